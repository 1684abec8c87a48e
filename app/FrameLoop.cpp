#include "app/FrameLoop.h"

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

}  // namespace

void finishGpuWork(DemoWindow& window)
{
    Gfx::waitForGpuIdle(window.device, window.immediateContext, Gfx::gpuIdleLimitMs);
}

uint32_t runFrameLoop(DemoWindow& window, Presentation& presentation, FrameClock& clock, FrameOverlay* overlay)
{
    float prevT = 0.0f;
    uint32_t frame = 0;
    bool presenting = window.swapChain != nullptr;
    while (!window.quit) {
        drainMessages(window);
        if (!window.quit && GetAsyncKeyState(VK_ESCAPE) != 0)
            window.quit = true;

        clock.turnStart();
        const float t = clock.seconds();
        const float elapsed = t - prevT;
        if (clock.finished(t))
            break;  // no frame is drawn for this time

        if (presentationCanDraw(window)) {
            presentationFrameWork(presentation, t, elapsed, frame, aspect);
            if (overlay)
                overlay->draw(window, t);
        }
        if (presenting)
            presenting = !deviceLost(window.swapChain->Present(1, 0));
        else
            waitInsteadOfPresent();

        prevT = t;
        ++frame;
    }
    return frame;
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

uint32_t runPresentation(DemoWindow& window, Presentation& presentation, FrameClock& clock, FrameOverlay* overlay)
{
    presentationStartUp(presentation, window);
    // Last of the start-up: the sound is ready but not yet playing, so the clock starts with the
    // first frame. At the end the sound stops first; the curves go last.
    clock.start();
    const uint32_t frames = runFrameLoop(window, presentation, clock, overlay);
    clock.stop();
    presentationShutdown(presentation);
    finishGpuWork(window);
    return frames;
}

}  // namespace Nimbra
