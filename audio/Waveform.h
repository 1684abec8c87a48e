#pragma once
// The modulation waveforms shared by vibrato, tremolo and the instrument vibrato.
#include <cstdint>

namespace Nimbra {

// Waveform numbers, as vibrato, tremolo and the instrument vibrato store them.
enum WaveformType : int32_t {
    WaveSine = 0,
    WaveRampDown = 1,
    WaveSquare = 2,
    WaveRandom = 3,
    WaveRampUp = 4,
};

// Value in -1..1 at pos (period 64) of a WaveformType; other types give 0. Every random lookup advances one process-wide generator.
float waveform(int32_t type, uint32_t pos);

// Puts the random generator back to its start-up state, so renders can be repeated exactly.
void resetWaveformRandomState();

}  // namespace Nimbra
