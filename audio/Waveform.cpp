#include "audio/Waveform.h"

#include <cmath>

namespace Nimbra {

namespace {
const uint32_t randomSeed = 24492;
uint32_t randomState = randomSeed;  // one generator for the whole process
}  // namespace

void resetWaveformRandomState()
{
    randomState = randomSeed;
}

float waveform(int32_t type, uint32_t pos)
{
    uint32_t p = pos % 64;
    switch (type) {
    case WaveSine: return -std::sin(6.283184f * float(p) / 64.0f);
    case WaveRampDown: return float(32 - int(p)) / 32.0f;
    case WaveSquare: return p < 32 ? -1.0f : 1.0f;
    case WaveRandom:
        randomState = randomState * 1103515245u + 12345u;
        return float((randomState >> 16) & 0x7FFF) / 16384.0f - 1.0f;
    case WaveRampUp: return float(int(p) - 32) / 32.0f;
    default: return 0.0f;
    }
}

}  // namespace Nimbra
