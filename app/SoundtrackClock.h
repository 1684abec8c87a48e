#pragma once
// demo.exe's time: the soundtrack's stream, started after the presentation's start-up and
// submitted in the first turn, so that the music and the clock start with the first frame.
// The run ends when the music reaches its end.
#include "app/FrameClock.h"
#include "audio/AudioStream.h"

namespace Nimbra {

class SoundtrackClock : public FrameClock
{
public:
    SoundtrackClock(const unsigned char* song, uint32_t songSize, const AudioOutput& output = defaultAudioOutput());

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
    // The device is null while none is open, which keeps the clock at 0.
    AudioStream audio;
};

}  // namespace Nimbra
