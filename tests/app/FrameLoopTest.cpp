#include <gtest/gtest.h>

#include "app/FrameLoop.h"
#include "gfx/frame/Screen.h"
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"

namespace Nimbra {
namespace {

void useScreenSize()
{
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    aspect = (float)screenWidth / (float)screenHeight;
}

// A small window of its own for a loop that has no swap chain.
HWND openWindow()
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
    return CreateWindowExW(0, L"NimbraLoopTest", L"loop", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Time stands at 0; in its third turn the clock destroys the window, as closing it would. The
// loop is counted in turns, so the verdict does not depend on how fast the machine is.
class ClosingClock : public FrameClock
{
public:
    explicit ClosingClock(HWND window) : window(window) {}
    void start() override { ++starts; }
    void turnStart() override
    {
        if (++turns == 3)
            DestroyWindow(window);
    }
    float seconds() override { return 0.0f; }
    bool finished(float) const override { return false; }
    void stop() override { ++stops; }

    HWND window;
    int turns = 0;
    int starts = 0;
    int stops = 0;
};

// Without a device, or with a device but no swap chain, the loop cannot draw or present; it
// must still run, wait for input, and end when the window goes: the window goes in the third
// turn, the fourth finds WM_QUIT while draining, is still completed, and is the last.
TEST(FrameLoop, RunsWithoutDeviceUntilTheWindowCloses)
{
    useScreenSize();
    DemoWindow window;
    window.hwnd = openWindow();
    ASSERT_NE(window.hwnd, nullptr);
    ClosingClock clock(window.hwnd);
    Presentation presentation;
    const uint32_t frames = runPresentation(window, presentation, clock);
    EXPECT_TRUE(window.quit);
    EXPECT_FALSE(IsWindow(window.hwnd));
    EXPECT_EQ(frames, 4u);
    EXPECT_EQ(clock.turns, 4);
    EXPECT_EQ(clock.starts, 1);
    EXPECT_EQ(clock.stops, 1);
}

TEST(FrameLoop, RunsWithDeviceButNoSwapChainUntilTheWindowCloses)
{
    useScreenSize();
    DemoWindow window;
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1, D3D11_SDK_VERSION,
                      &window.device, nullptr, &window.immediateContext);
    ASSERT_NE(window.device, nullptr);
    window.hwnd = openWindow();
    ASSERT_NE(window.hwnd, nullptr);
    ClosingClock clock(window.hwnd);
    Presentation presentation;
    const uint32_t frames = runPresentation(window, presentation, clock);
    EXPECT_TRUE(window.quit);
    EXPECT_EQ(frames, 4u);
}

// The music's end ends the loop before the frame for that time is drawn.
class EndingClock : public FrameClock
{
public:
    void start() override {}
    void turnStart() override { ++turns; }
    float seconds() override { return turns < 3 ? 1.0f : 2.0f; }
    bool finished(float t) const override { return t >= 2.0f; }
    void stop() override {}
    int turns = 0;
};

TEST(FrameLoop, EndsWithoutDrawingTheFrameOfTheEnd)
{
    useScreenSize();
    DemoWindow window;
    window.hwnd = openWindow();
    ASSERT_NE(window.hwnd, nullptr);
    EndingClock clock;
    Presentation presentation;
    const uint32_t frames = runPresentation(window, presentation, clock);
    EXPECT_EQ(clock.turns, 3);
    EXPECT_EQ(frames, 2u);
    EXPECT_FALSE(window.quit);
    DestroyWindow(window.hwnd);
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
