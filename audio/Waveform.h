#pragma once
// The modulation waveforms shared by vibrato, tremolo and the instrument vibrato.
#include <cstdint>

namespace Nimbra {

// Value in -1..1 at pos (period 64): 0 sine, 1 ramp down, 2 square, 3 random, 4 ramp up;
// other types give 0. Every random lookup advances one process-wide generator.
float waveform(int32_t type, uint32_t pos);

// Puts the random generator back to its start-up state, so renders can be repeated exactly.
void resetWaveformRandomState();

}  // namespace Nimbra
