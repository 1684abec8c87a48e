#pragma once
// demo.exe's time: the soundtrack's stream, started after the presentation's start-up and
// submitted in the first turn, so that the music and the clock start with the first frame.
// The run ends when the music reaches its end. Should the device stop counting mid-show, the
// time goes on by the performance counter until a device counts again (StallBridge.h).
#include "app/FrameClock.h"
#include "app/StallBridge.h"
#include "audio/AudioStream.h"

#include <functional>

namespace Nimbra {

// Microseconds that only move forward; only differences count.
using MicrosecondCounter = std::function<uint64_t()>;

class SoundtrackClock : public FrameClock
{
public:
    SoundtrackClock(const unsigned char* song, uint32_t songSize, const AudioOutput& output = defaultAudioOutput(),
                    MicrosecondCounter counter = nullptr);

    void start() override;
    void turnStart() override;
    float seconds() override;
    bool finished(float t) const override;
    void stop() override;

    const AudioStream& stream() const { return audio; }

private:
    const unsigned char* song;
    uint32_t songSize;
    const AudioOutput& output;
    MicrosecondCounter counter;  // the performance counter unless a test steps one of its own
    // The device is null while none is open, which keeps the clock at 0.
    AudioStream audio;
    StallBridge bridge;
};

}  // namespace Nimbra
