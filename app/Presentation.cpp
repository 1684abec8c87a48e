#include "app/Presentation.h"

#include <cmath>

namespace Nimbra {

// Until the content and the soundtrack are wired in, the frame work clears the back buffer to
// a colour that drifts with the frame counter: enough to see that the loop presents.

void presentationStartUp(Presentation& presentation, DemoWindow& window)
{
    presentation.audioDevice = nullptr;
}

void presentationTurnStart(Presentation& presentation)
{
}

HWAVEOUT presentationAudioDevice(const Presentation& presentation)
{
    return presentation.audioDevice;
}

void presentationFrameWork(Presentation& presentation, DemoWindow& window, float t, float elapsed,
                           uint32_t frame, float aspect)
{
    if (!window.immediateContext || !window.backBufferView)
        return;
    // Three phase-shifted waves keep every channel between 0.2 and 0.8: never black.
    const float phase = (float)(frame % 600) * (6.2831853f / 600.0f);
    const float colour[4] = {0.5f + 0.3f * sinf(phase), 0.5f + 0.3f * sinf(phase + 2.0943951f),
                             0.5f + 0.3f * sinf(phase + 4.1887902f), 1.0f};
    window.immediateContext->OMSetRenderTargets(1, &window.backBufferView, nullptr);
    window.immediateContext->ClearRenderTargetView(window.backBufferView, colour);
}

void presentationShutdown(Presentation& presentation)
{
}

}  // namespace Nimbra
