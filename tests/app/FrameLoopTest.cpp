#include <gtest/gtest.h>

#include "app/FrameLoop.h"
#include "gfx/frame/Screen.h"
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"
#include "tests/support/FakeSwapChain.h"
#include "tests/support/TestWindow.h"

namespace Nimbra {
namespace {

// A small window of its own for a loop that has no swap chain.
class FrameLoop : public testing::Test
{
protected:
    void SetUp() override
    {
        setScreenSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        window.hwnd = openTestWindow(L"NimbraLoopTest", windowProc, WS_POPUP, {0, 0, 64, 64});
        ASSERT_NE(window.hwnd, nullptr);
        discardMessages();  // WM_QUIT of an earlier test's window
    }

    uint32_t run(FrameClock& clock)
    {
        Presentation presentation;
        return runPresentation(window, presentation, clock);
    }

    DemoWindow window;
};

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
TEST_F(FrameLoop, RunsWithoutDeviceUntilTheWindowCloses)
{
    ClosingClock clock(window.hwnd);
    const uint32_t frames = run(clock);
    EXPECT_TRUE(window.quit);
    EXPECT_FALSE(IsWindow(window.hwnd));
    EXPECT_EQ(frames, 4u);
    EXPECT_EQ(clock.turns, 4);
    EXPECT_EQ(clock.starts, 1);
    EXPECT_EQ(clock.stops, 1);
}

TEST_F(FrameLoop, RunsWithDeviceButNoSwapChainUntilTheWindowCloses)
{
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1, D3D11_SDK_VERSION, &window.device,
                      nullptr, &window.immediateContext);
    ASSERT_NE(window.device, nullptr);
    ClosingClock clock(window.hwnd);
    const uint32_t frames = run(clock);
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

TEST_F(FrameLoop, EndsWithoutDrawingTheFrameOfTheEnd)
{
    EndingClock clock;
    const uint32_t frames = run(clock);
    EXPECT_EQ(clock.turns, 3);
    EXPECT_EQ(frames, 2u);
    EXPECT_FALSE(window.quit);
    DestroyWindow(window.hwnd);
}

// Time is the turn's number; the music ends after `lastTurn` turns.
class TurnsClock : public FrameClock
{
public:
    explicit TurnsClock(int lastTurn) : lastTurn(lastTurn) {}
    void start() override {}
    void turnStart() override { ++turns; }
    float seconds() override { return static_cast<float>(turns); }
    bool finished(float t) const override { return t > static_cast<float>(lastTurn); }
    void stop() override {}
    int lastTurn;
    int turns = 0;
};

// A removed or reset device ends presenting for good: the loop waits instead, as without a swap
// chain, and still runs to the end of the music. Other results of Present change nothing.
TEST_F(FrameLoop, StopsPresentingOnceTheDeviceIsLost)
{
    const struct {
        std::vector<HRESULT> results;
        size_t presents;
    } cases[] = {
        {{S_OK, S_OK, DXGI_ERROR_DEVICE_REMOVED}, 3},
        {{DXGI_ERROR_DEVICE_RESET, S_OK}, 1},
        {{DXGI_STATUS_OCCLUDED, E_FAIL, S_OK}, 6},
        {{}, 6},
    };
    for (const auto& c : cases) {
        FakeSwapChain swapChain(c.results);
        window.swapChain = &swapChain;
        TurnsClock clock(6);
        EXPECT_EQ(run(clock), 6u);
        EXPECT_EQ(swapChain.presents, c.presents) << c.results.size() << " results given";
        EXPECT_FALSE(window.quit);
    }
    window.swapChain = nullptr;
    DestroyWindow(window.hwnd);
}

// Minimised from the second turn to the fifth, where the clock restores it: those turns wait
// without drawing or presenting, the music's end still ends the run.
class MinimisingClock : public TurnsClock
{
public:
    explicit MinimisingClock(HWND window) : TurnsClock(7), window(window) {}
    void turnStart() override
    {
        TurnsClock::turnStart();
        if (turns == 2)
            ShowWindow(window, SW_MINIMIZE);
        if (turns == 5)
            ShowWindow(window, SW_RESTORE);
    }
    HWND window;
};

TEST_F(FrameLoop, WaitsWithoutDrawingWhileMinimised)
{
    FakeSwapChain swapChain({});
    window.swapChain = &swapChain;
    MinimisingClock clock(window.hwnd);
    EXPECT_EQ(run(clock), 4u);
    EXPECT_EQ(clock.turns, 8);
    EXPECT_EQ(swapChain.presents, 4u);
    EXPECT_FALSE(IsIconic(window.hwnd));
    window.swapChain = nullptr;
    DestroyWindow(window.hwnd);
}

// Closing the window still ends the loop after the device is lost.
TEST_F(FrameLoop, EndsWhenTheWindowClosesAfterTheDeviceIsLost)
{
    FakeSwapChain swapChain({DXGI_ERROR_DEVICE_REMOVED});
    window.swapChain = &swapChain;
    ClosingClock clock(window.hwnd);
    EXPECT_EQ(run(clock), 4u);
    EXPECT_TRUE(window.quit);
    EXPECT_EQ(swapChain.presents, 1u);
    window.swapChain = nullptr;
}

// WM_QUIT found while draining: the turn is still drawn and presented, then the loop ends.
TEST(FrameLoopWithSwapChain, CloseDuringTheFirstTurnStillPresentsThatFrame)
{
    setScreenSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
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
