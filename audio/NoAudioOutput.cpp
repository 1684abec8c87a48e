// Systems without waveform audio have no output device: the stream stays silent and its clock
// at 0. Only the host builds of the tests and tools link this.
#include "audio/AudioOutput.h"

namespace Nimbra {
namespace {

// Nothing opens, so nothing else is ever asked of it.
bool refuse(AudioStream&)
{
    return false;
}
PlayPositionReading nothingPlayed(const AudioStream&)
{
    return {};
}
void noThreadSetUp() {}
uint32_t noFineTimer()
{
    return 0;
}
void noTimerToEnd(uint32_t) {}
void noRefillToWaitFor(uint32_t) {}

const AudioOutput noAudioOutput = {
    refuse,        refuse,      refuse,       nothingPlayed,     refuse, refuse, refuse,
    noThreadSetUp, noFineTimer, noTimerToEnd, noRefillToWaitFor,
};

}  // namespace

const AudioOutput& defaultAudioOutput()
{
    return noAudioOutput;
}

}  // namespace Nimbra
