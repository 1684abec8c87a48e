#include "app/SoundtrackClock.h"

#include "app/AudioClock.h"
#include "app/PerformanceCounter.h"

namespace Nimbra {

SoundtrackClock::SoundtrackClock(const unsigned char* song, uint32_t songSize, const AudioOutput& output,
                                 MicrosecondCounter counter)
    : song(song), songSize(songSize), output(output),
      counter(counter ? std::move(counter) : MicrosecondCounter(performanceCounterMicroseconds))
{
}

void SoundtrackClock::start()
{
    // The buffer is pre-filled here and submitted in the first turn.
    startAudioStream(audio, song, songSize, output);
}

void SoundtrackClock::turnStart()
{
    submitAudioStream(audio);  // starts playback in the first turn only
}

float SoundtrackClock::seconds()
{
    const uint64_t now = counter();
    const uint32_t frames = bridge.frames(audioFramesPlayed(audio), now);
    if (bridge.retryDue(now)) {
        // A new device plays the song from the time shown on, and counts from there.
        reopenAudioStream(audio, frames);
        bridge.retried(audioFramesPlayed(audio), now);
    }
    return clockSecondsFromFrames(frames);
}

bool SoundtrackClock::finished(float t) const
{
    return presentationIsOver(t);
}

void SoundtrackClock::stop()
{
    // The thread is joined, the device closed and the player freed.
    stopAudioStream(audio);
}

}  // namespace Nimbra
