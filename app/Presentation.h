#pragma once
// The presentation's stages, the same for every program; each program supplies every frame's time (FrameClock.h).
// The device, swap chain and back-buffer view may be null: nothing is drawn and no frame work is done, but the
// curves are still loaded, so a program without a picture follows the same choreography.
#include <cstdint>

#include "app/DemoWindow.h"
#include "core/Timeline.h"

namespace Nimbra {

namespace Gfx {
class PassObserver;
}

struct Presentation {
    // The content's curves and its DemoPlayer: 120 BPM and no curves until start-up builds them.
    Timeline timeline;
    // demo-sync's fly camera: while set, eight values that stand for curves 0 to 7 in the frame
    // work, the camera's and their variables'. Null in the demo.
    const float* heldCamera = nullptr;
};

// True when the window can be drawn into: a device and the swap chain's back-buffer view.
bool presentationCanDraw(const DemoWindow& window);

// Installs the graphics context with an all-zero header (and the shared samplers), builds the
// content into the timeline at the screen size, adds the player's screen texture and final copy
// pass, and points that pass at the window's back buffer.
void presentationStartUp(Presentation& presentation, DemoWindow& window);

// The frame's camera and context header from curves 0 to 7, every curve's value into its
// variable, then every enabled pass, ending in the final copy into the back buffer. The observer,
// if any, sees every pass (the capture times and reads them).
void presentationFrameWork(Presentation& presentation, float t, float elapsed, uint32_t frame, float aspect,
                           Gfx::PassObserver* observer = nullptr);

// Releases every curve's keys and the curve array. The player and the GPU objects are left to
// process exit.
void presentationShutdown(Presentation& presentation);

}  // namespace Nimbra
