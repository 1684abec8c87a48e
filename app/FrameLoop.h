#pragma once
// The main routine of the run and its frame loop.
#include <cstdint>

#include "app/DemoWindow.h"
#include "app/Presentation.h"

namespace Nimbra {

// Sizes everything to the primary screen, opens the window and the device, starts the
// presentation, runs the frame loop until the music ends, Escape is pressed or the window is
// closed, and shuts the presentation down. Returns 1.
int runDemo();

// One turn per vertical blank: messages, Escape, turn start, clock, end test, frame work,
// Present. Returns the number of turns that were completed (frames drawn).
uint32_t runFrameLoop(DemoWindow& window, Presentation& presentation);

// Waits (at most two seconds) until the GPU has finished the frames in flight. Leaving the
// process while the driver still works on the last Present can crash inside the driver (seen
// under Wine), which would turn an orderly end into a failed exit code.
void finishGpuWork(DemoWindow& window);

}  // namespace Nimbra
