#pragma once
// An output with no device behind it that keeps a device's time: from the write on its position
// runs with the system's steady clock, holds while paused, and nothing is heard. For programs
// that follow the music without hearing it (the sync build on a machine without sound, tools).
#include "audio/AudioOutput.h"

namespace Nimbra {

const AudioOutput& silentAudioOutput();

}  // namespace Nimbra
