// Test entry for programs that keep Direct3D objects alive to the end, as the demo does. Once
// the results are out, the process ends without tearing the driver down (TerminateProcess skips
// the libraries' detach): returning from main with live objects can crash in the driver under
// Wine, and the software rasteriser has crashed in that teardown now and then.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), (UINT)result);
    return result;
}
