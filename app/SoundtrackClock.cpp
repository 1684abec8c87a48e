#include "app/SoundtrackClock.h"

#include "app/AudioClock.h"

namespace Nimbra {

SoundtrackClock::SoundtrackClock(const unsigned char* song, uint32_t songSize, const AudioOutput& output)
    : song(song), songSize(songSize), output(output)
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
    return clockSecondsFromFrames(audioFramesPlayed(audio));
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
