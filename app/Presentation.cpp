#include "app/Presentation.h"

#include "app/PresentationPicture.h"

namespace Nimbra {

void presentationStartUp(Presentation& presentation, DemoWindow& window)
{
    // Without a device or a swap chain the loop draws nothing, so nothing is built.
    if (window.device && window.backBufferView)
        startPicture(presentation.timeline, window);
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
    if (!presentation.timeline.player)
        return;
    preparePictureFrame(presentation.timeline, t, elapsed, frame, aspect);
    renderPictureFrame(presentation.timeline);
}

void presentationShutdown(Presentation& presentation)
{
    // The sound stops first; the curves go last.
    destroyCurves(presentation.timeline);
}

}  // namespace Nimbra
