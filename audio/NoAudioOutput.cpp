// Systems without waveform audio have no output device: the stream stays silent and its clock
// at 0. Only the host builds of the tests and tools link this.
#include "audio/AudioOutput.h"

namespace Nimbra {
namespace {

bool openNothing(AudioStream&) { return false; }
void doNothing(AudioStream&) {}
uint32_t nothingPlayed(const AudioStream&) { return 0; }
void noThreadSetUp() {}

const AudioOutput noAudioOutput = {
    openNothing, doNothing, doNothing, nothingPlayed, doNothing, doNothing, doNothing, noThreadSetUp,
};

} // namespace

const AudioOutput& defaultAudioOutput()
{
    return noAudioOutput;
}

} // namespace Nimbra
