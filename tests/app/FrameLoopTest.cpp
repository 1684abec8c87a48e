#include <gtest/gtest.h>

#include "app/FrameLoop.h"
#include "app/Screen.h"
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"

namespace Nimbra {
namespace {

VOID CALLBACK closeWindowLater(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    DestroyWindow(hwnd);
}

void useScreenSize()
{
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    aspect = (float)screenWidth / (float)screenHeight;
}

// A small window of its own for a loop that has no swap chain; it closes itself after 200 ms.
HWND openSelfClosingWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NimbraLoopTest";
        RegisterClassExW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"NimbraLoopTest", L"loop", WS_POPUP, 0, 0, 64, 64, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    SetTimer(hwnd, 1, 200, closeWindowLater);
    return hwnd;
}

uint32_t runWithSoundtrack(DemoWindow& window)
{
    SoundtrackClock clock(songModule, songModuleSize);
    return runPresentation(window, clock);
}

// Without a device, or with a device but no swap chain, the loop cannot draw or present; it
// must still run, wait for input, and end when the window goes.
TEST(FrameLoop, RunsWithoutDeviceUntilTheWindowCloses)
{
    useScreenSize();
    DemoWindow window;
    window.hwnd = openSelfClosingWindow();
    ASSERT_NE(window.hwnd, nullptr);
    const uint32_t frames = runWithSoundtrack(window);
    EXPECT_TRUE(window.quit);
    EXPECT_FALSE(IsWindow(window.hwnd));
    EXPECT_GE(frames, 2u);
}

TEST(FrameLoop, RunsWithDeviceButNoSwapChainUntilTheWindowCloses)
{
    useScreenSize();
    DemoWindow window;
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1, D3D11_SDK_VERSION,
                      &window.device, nullptr, &window.immediateContext);
    ASSERT_NE(window.device, nullptr);
    window.hwnd = openSelfClosingWindow();
    ASSERT_NE(window.hwnd, nullptr);
    const uint32_t frames = runWithSoundtrack(window);
    EXPECT_TRUE(window.quit);
    EXPECT_GE(frames, 2u);
}

// WM_QUIT found while draining: the turn is still drawn and presented, then the loop ends.
TEST(FrameLoop, CloseDuringTheFirstTurnStillPresentsThatFrame)
{
    useScreenSize();
    DemoWindow window;
    createWindowAndDevice(window);
    ASSERT_NE(window.swapChain, nullptr);

    SoundtrackClock clock(songModule, songModuleSize);
    Presentation presentation;
    presentationStartUp(presentation, window);
    clock.start();
    PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    const uint32_t frames = runFrameLoop(window, presentation, clock);
    clock.stop();
    presentationShutdown(presentation);
    finishGpuWork(window);

    EXPECT_TRUE(window.quit);
    EXPECT_FALSE(IsWindow(window.hwnd));
    EXPECT_EQ(frames, 1u);
}

}  // namespace
}  // namespace Nimbra
