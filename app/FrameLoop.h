#pragma once
// The main routine of the run and its frame loop.
#include <cstdint>

#include "app/DemoWindow.h"
#include "app/FrameClock.h"
#include "app/FrameOverlay.h"
#include "app/Presentation.h"

namespace Nimbra {

// Sizes everything to the primary screen, opens the window and the device, starts the
// presentation and its soundtrack, runs the frame loop until the music ends, Escape is pressed
// or the window is closed, and shuts both down. Returns 1.
int runDemo();

// The run of a windowed program around the presentation's stages: start-up, the clock's start,
// the frame loop, the clock's stop, shutdown, and the wait for the GPU. Returns the number of
// frames drawn. An overlay, if any, draws over every frame before it is presented.
uint32_t runPresentation(DemoWindow& window, Presentation& presentation, FrameClock& clock,
                         FrameOverlay* overlay = nullptr);

// One turn per vertical blank. Without a swap chain, or once Present reports the device removed or reset, a turn
// waits about one refresh instead. Returns the frames drawn; the overlay draws after the frame work.
uint32_t runFrameLoop(DemoWindow& window, Presentation& presentation, FrameClock& clock,
                      FrameOverlay* overlay = nullptr);

// Waits until the GPU has finished the frames in flight before the process leaves (see
// gfx/GpuIdle.h): with the software rasteriser on a busy machine a frame takes seconds, and Wine
// kills a process whose exit waits that long (exit code 137).
void finishGpuWork(DemoWindow& window);

}  // namespace Nimbra
