#include "app/FrameLoop.h"

#include "app/EscapeKey.h"
#include "gfx/frame/Screen.h"
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"
#include "gfx/GpuIdle.h"

namespace Nimbra {

namespace {

void drainMessages(DemoWindow& window)
{
    MSG msg = {};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message == WM_QUIT)
            window.quit = true;
    }
}

// Without a swap chain nothing paces the loop; it waits about one refresh at 60 Hz or until a
// message comes, so that it does not spin a core while it waits for Escape or the end of the music.
constexpr DWORD refreshWaitMs = 16;

void waitInsteadOfPresent()
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, refreshWaitMs, QS_ALLINPUT);
}

// A removed or reset device never presents again: every later Present fails at once and paces
// nothing.
bool deviceLost(HRESULT presented)
{
    return presented == DXGI_ERROR_DEVICE_REMOVED || presented == DXGI_ERROR_DEVICE_RESET;
}

int16_t sessionEscapeState()
{
    return GetAsyncKeyState(VK_ESCAPE);
}

// The window's turns: messages and Escape first, then the hook's turn; Present paces the loop.
// A window that collects its input takes Escape as one of its keys (collectInput): the session's
// key state would also hold Escape pressed in the programs beside it.
class WindowSteps : public FrameSteps
{
public:
    WindowSteps(DemoWindow& window, TurnHook* hook)
        : window(window), hook(hook), presenting(window.swapChain != nullptr),
          escape(collectsInput(window.hwnd) ? nullptr : sessionEscapeState)
    {
    }

    bool goOn() override { return !window.quit; }

    void beginTurn() override
    {
        drainMessages(window);
        if (!window.quit && escape.pressed())
            window.quit = true;
        if (hook)
            hook->turn();
    }

    // Minimised, nothing is seen and a flip-model Present does not wait for the screen: the
    // clock still turns, and the next frame drawn takes the time since the last one.
    bool frameWanted() override
    {
        if (!IsIconic(window.hwnd))
            return true;
        waitInsteadOfPresent();
        return false;
    }

    void overPicture(float t) override
    {
        if (hook)
            hook->drawOver(window, t);
    }

    void endTurn(uint32_t) override
    {
        if (presenting)
            presenting = !deviceLost(window.swapChain->Present(1, 0));
        else
            waitInsteadOfPresent();
    }

private:
    DemoWindow& window;
    TurnHook* hook;
    bool presenting;
    EscapeWatch escape;
};

}  // namespace

uint32_t runTurns(DemoWindow& window, Presentation& presentation, FrameClock& clock, FrameSteps& steps)
{
    float prevT = 0.0f;
    uint32_t frame = 0;
    while (steps.goOn()) {
        steps.beginTurn();
        clock.turnStart();
        const float t = clock.seconds();
        const float elapsed = t - prevT;
        if (clock.finished(t))
            break;  // no frame is drawn for this time
        if (!steps.frameWanted())
            continue;

        if (presentationCanDraw(window)) {
            presentationFrameWork(presentation, t, elapsed, frame, aspect, steps.observer());
            steps.overPicture(t);
        }
        steps.endTurn(frame);

        prevT = t;
        ++frame;
    }
    return frame;
}

void finishGpuWork(DemoWindow& window)
{
    Gfx::waitForGpuIdle(window.device, window.immediateContext, Gfx::gpuIdleLimitMs);
}

uint32_t runFrameLoop(DemoWindow& window, Presentation& presentation, FrameClock& clock, TurnHook* hook)
{
    WindowSteps steps(window, hook);
    return runTurns(window, presentation, clock, steps);
}

int runDemo()
{
    setScreenSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    DemoWindow window;
    createWindowAndDevice(window);

    Presentation presentation;
    SoundtrackClock clock(songModule, songModuleSize);
    runPresentation(window, presentation, clock);
    return 1;
}

uint32_t runPresentation(DemoWindow& window, Presentation& presentation, FrameClock& clock, TurnHook* hook)
{
    presentationStartUp(presentation, window);
    // Last of the start-up: the sound is ready but not yet playing, so the clock starts with the
    // first frame. At the end the sound stops first; the curves go last.
    clock.start();
    if (hook)
        hook->start();
    const uint32_t frames = runFrameLoop(window, presentation, clock, hook);
    if (hook)
        hook->stop();
    clock.stop();
    presentationShutdown(presentation);
    finishGpuWork(window);
    return frames;
}

}  // namespace Nimbra
