#pragma once
// The main routine of the run and its frame loop.
#include <cstdint>

#include "app/DemoWindow.h"
#include "app/FrameClock.h"
#include "app/Presentation.h"
#include "app/TurnHook.h"

namespace Nimbra {

// Sizes everything to the primary screen, opens the window and the device, starts the
// presentation and its soundtrack, runs the frame loop until the music ends, Escape is pressed
// or the window is closed, and shuts both down. Returns 1.
int runDemo();

// The run of a windowed program around the presentation's stages: start-up, the clock's start,
// the frame loop, the clock's stop, shutdown, and the wait for the GPU. Returns the number of
// frames drawn. The hook, if any, takes part in every turn.
uint32_t runPresentation(DemoWindow& window, Presentation& presentation, FrameClock& clock, TurnHook* hook = nullptr);

// One turn per vertical blank. Without a swap chain, or once Present reports the device removed or reset, a turn
// waits about one refresh instead; while the window is minimised it waits without drawing. Returns the frames drawn.
uint32_t runFrameLoop(DemoWindow& window, Presentation& presentation, FrameClock& clock, TurnHook* hook = nullptr);

// How the turns of a program begin and end: with a window (messages, Escape, Present) or without
// one (demo-capture's frames read back and written).
class FrameSteps
{
public:
    virtual ~FrameSteps() = default;
    // Before each turn: false leaves the loop.
    virtual bool goOn() = 0;
    // The turn's input, before the clock's turn start.
    virtual void beginTurn() = 0;
    // After the end test: false when no frame is wanted this turn (a minimised window), the step
    // having waited instead; the frame counter and the previous time then stand.
    virtual bool frameWanted() { return true; }
    // What watches the passes of the turn's frame work, if anything.
    virtual Gfx::PassObserver* observer() { return nullptr; }
    // After the frame work, when the window could be drawn into.
    virtual void overPicture(float t) { (void)t; }
    // After the turn's frame, drawn or not: Present, or what stands for it.
    virtual void endTurn(uint32_t frame) = 0;
};

// The turns every program's frames go through: each turn's input, the clock's turn start and
// time, the end test before anything is drawn for that time, the frame work and the end of the
// turn. Returns the number of turns that passed the end test.
uint32_t runTurns(DemoWindow& window, Presentation& presentation, FrameClock& clock, FrameSteps& steps);

// Waits until the GPU has finished the frames in flight before the process leaves (see
// gfx/GpuIdle.h): with the software rasteriser on a busy machine a frame takes seconds, and Wine
// kills a process whose exit waits that long (exit code 137).
void finishGpuWork(DemoWindow& window);

}  // namespace Nimbra
