#pragma once
// demo-capture's time: a fixed step of 1/fps from --from, one frame per turn, for the frames
// captureFrameCount gives. The presentation's stages see these times as the demo's frames see
// the sound device's.
#include "app/FrameClock.h"
#include "tools/capture/CaptureOptions.h"

#include <cstdint>

namespace Nimbra {

class CaptureClock : public FrameClock
{
public:
    explicit CaptureClock(const CaptureOptions& options);

    void start() override;
    void turnStart() override;
    float seconds() override;
    bool finished(float t) const override;
    void stop() override {}

    // The frame of the current turn, counted from 0.
    uint32_t frame() const { return current; }
    uint32_t frameCount() const { return frames; }

private:
    CaptureOptions options;
    uint32_t frames;
    uint32_t current = 0;
    uint32_t next = 0;
};

} // namespace Nimbra
