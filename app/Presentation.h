#pragma once
// The presentation as the frame loop sees it: four fixed points of runDemo.
//   presentationStartUp    once, after the window and device exist, before the first turn
//   presentationTurnStart  every turn, after input and before the clock is read
//   presentationFrameWork  every turn that passes the end test, before Present
//   presentationShutdown   once, after the loop
// The window's device, swap chain and back-buffer view may be null (no Direct3D device, or no
// swap chain could be made). The loop then never calls presentationFrameWork, but start-up,
// turn start and shutdown still run and must do no GPU work, so the sound can still play.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "app/DemoWindow.h"
#include "audio/AudioStream.h"
#include "core/Timeline.h"

namespace Nimbra {

struct Presentation
{
    // The content's curves and its DemoPlayer: 120 BPM and no curves until start-up builds them.
    Timeline timeline;
    // The soundtrack's stream. Its device's play position is the clock of the loop; the device
    // is null while none is open, which keeps the clock at 0.
    AudioStream audio;
};

void presentationStartUp(Presentation& presentation, DemoWindow& window);
void presentationTurnStart(Presentation& presentation);
HWAVEOUT presentationAudioDevice(const Presentation& presentation);
void presentationFrameWork(Presentation& presentation, DemoWindow& window, float t, float elapsed,
                           uint32_t frame, float aspect);
void presentationShutdown(Presentation& presentation);

}  // namespace Nimbra
