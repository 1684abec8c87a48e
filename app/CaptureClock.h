#pragma once
// demo-capture's time: a fixed step of 1/fps from a start time, one frame per turn. The
// presentation's stages see these times as the demo's frames see the sound device's.
#include "app/FrameClock.h"

#include <cstdint>

namespace Nimbra {

// Frames a fixed step renders: one per 1/fps from `from` while below `to` and below the end of
// the presentation; a span of zero length still yields the one frame at `from`.
uint32_t fixedStepFrameCount(double from, double to, double fps);

// Presentation time of frame `index`, from + index / fps in double, rounded to float like the
// audio clock.
float fixedStepFrameTime(double from, double fps, uint32_t index);

class CaptureClock : public FrameClock
{
public:
    CaptureClock(double from, double to, double fps);

    void start() override;
    void turnStart() override;
    float seconds() override;
    bool finished(float t) const override;
    void stop() override {}

    // The frame of the current turn, counted from 0.
    uint32_t frame() const { return current; }
    uint32_t frameCount() const { return frames; }
    // Where the sound of the frames ends: after the last frame's whole step, so that N frames at
    // F fps carry N / F seconds of sound from the start.
    double soundEnd() const;

private:
    double from;
    double fps;
    uint32_t frames;
    uint32_t current = 0;
    uint32_t next = 0;
};

}  // namespace Nimbra
