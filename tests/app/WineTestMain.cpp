// Test entry for programs that keep Direct3D objects alive to the end, as the demo does:
// ExitProcess leaves them to the system (returning from main with live objects can crash in
// the driver at exit under Wine).
#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ExitProcess((UINT)result);
}
