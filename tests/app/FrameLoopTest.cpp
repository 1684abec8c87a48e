#include <gtest/gtest.h>

#include "app/FrameLoop.h"
#include "app/Screen.h"

namespace Nimbra {
namespace {

VOID CALLBACK closeWindowLater(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    DestroyWindow(hwnd);
}

// Without a device the loop cannot present; it must still run, wait for input without
// drawing, and end when the window goes.
TEST(FrameLoop, RunsWithoutDeviceUntilTheWindowCloses)
{
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    aspect = (float)screenWidth / (float)screenHeight;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NimbraLoopTest";
    RegisterClassExW(&wc);
    DemoWindow window;
    window.hwnd = CreateWindowExW(0, L"NimbraLoopTest", L"loop", WS_POPUP | WS_VISIBLE, 0, 0, 64,
                                  64, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window.hwnd, nullptr);
    SetTimer(window.hwnd, 1, 200, closeWindowLater);

    Presentation presentation;
    presentationStartUp(presentation, window);
    const uint32_t frames = runFrameLoop(window, presentation);
    presentationShutdown(presentation);

    EXPECT_TRUE(window.quit);
    EXPECT_FALSE(IsWindow(window.hwnd));
    EXPECT_GE(frames, 2u);
}

// WM_QUIT found while draining: the turn is still drawn and presented, then the loop ends.
TEST(FrameLoop, CloseDuringTheFirstTurnStillPresentsThatFrame)
{
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    aspect = (float)screenWidth / (float)screenHeight;
    DemoWindow window;
    createWindowAndDevice(window);
    ASSERT_NE(window.swapChain, nullptr);

    Presentation presentation;
    presentationStartUp(presentation, window);
    PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    const uint32_t frames = runFrameLoop(window, presentation);
    presentationShutdown(presentation);
    finishGpuWork(window);

    EXPECT_TRUE(window.quit);
    EXPECT_FALSE(IsWindow(window.hwnd));
    EXPECT_EQ(frames, 1u);
}

}  // namespace
}  // namespace Nimbra
