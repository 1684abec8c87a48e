// Test entry for programs that keep Direct3D objects alive to the end, as the demo does. Once
// the results are out, the process ends without tearing the driver down: returning from main
// with live objects can crash in the driver under Wine.
#include "gfx/EndProcess.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Nimbra::Gfx::endWithoutDriverTeardown(static_cast<UINT>(result));
    return result;
}
