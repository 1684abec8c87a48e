#include "app/Presentation.h"

#include "app/PresentationPicture.h"
#include "content/song/Song.h"

namespace Nimbra {

void presentationStartUp(Presentation& presentation, DemoWindow& window)
{
    // Without a device or a swap chain the loop draws nothing, so no picture is built; the
    // sound still plays.
    if (window.device && window.backBufferView)
        startPicture(presentation.timeline, window);
    // Last of the start-up: the buffer is pre-filled here and submitted in the first turn, so
    // the clock starts with the first frame.
    startAudioStream(presentation.audio, songModule, songModuleSize);
}

void presentationTurnStart(Presentation& presentation)
{
    submitAudioStream(presentation.audio);  // starts playback in the first turn only
}

HWAVEOUT presentationAudioDevice(const Presentation& presentation)
{
    return presentation.audio.device;
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
    // The sound stops first (thread joined, device closed, player freed); the curves go last.
    stopAudioStream(presentation.audio);
    destroyCurves(presentation.timeline);
}

}  // namespace Nimbra
