#include "app/FrameLoop.h"

#include "app/AudioClock.h"
#include "app/Screen.h"

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

// The device's play position; the query fails and leaves 0 while no device is open.
float readClock(HWAVEOUT device)
{
    MMTIME position = {};
    position.wType = TIME_BYTES;
    waveOutGetPosition(device, &position, sizeof(MMTIME));
    return clockSecondsFromBytes(position.u.cb);
}

// Without a swap chain nothing paces the loop; wait about one refresh or until a message comes
// so that the loop does not spin a core while it waits for Escape or the end of the music.
void waitInsteadOfPresent()
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 16, QS_ALLINPUT);
}

}  // namespace

void finishGpuWork(DemoWindow& window)
{
    if (!window.device || !window.immediateContext)
        return;
    D3D11_QUERY_DESC desc = {};
    desc.Query = D3D11_QUERY_EVENT;
    ID3D11Query* done = nullptr;
    if (FAILED(window.device->CreateQuery(&desc, &done)) || !done)
        return;
    window.immediateContext->End(done);
    window.immediateContext->Flush();
    BOOL finished = FALSE;
    const DWORD start = GetTickCount();
    while (window.immediateContext->GetData(done, &finished, sizeof(finished), 0) == S_FALSE &&
           GetTickCount() - start < 2000)
        Sleep(1);
    done->Release();
}

uint32_t runFrameLoop(DemoWindow& window, Presentation& presentation)
{
    float prevT = 0.0f;
    uint32_t frame = 0;
    while (!window.quit) {
        drainMessages(window);
        if (!window.quit && GetAsyncKeyState(VK_ESCAPE) != 0)
            window.quit = true;

        presentationTurnStart(presentation);
        const float t = readClock(presentationAudioDevice(presentation));
        const float elapsed = t - prevT;
        if (presentationIsOver(t))
            break;  // no frame is drawn for this time

        if (window.device && window.backBufferView)
            presentationFrameWork(presentation, window, t, elapsed, frame, aspect);
        if (window.swapChain)
            window.swapChain->Present(1, 0);
        else
            waitInsteadOfPresent();

        prevT = t;
        ++frame;
    }
    return frame;
}

int runDemo()
{
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    aspect = (float)screenWidth / (float)screenHeight;

    DemoWindow window;
    createWindowAndDevice(window);

    Presentation presentation;
    presentationStartUp(presentation, window);
    runFrameLoop(window, presentation);
    presentationShutdown(presentation);
    finishGpuWork(window);
    return 1;
}

}  // namespace Nimbra
