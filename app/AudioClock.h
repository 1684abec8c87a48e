#pragma once
// The presentation's clock is the play position of the audio device: 32-bit float stereo at
// 44,100 Hz, so eight bytes are one frame of sound.
#include <cstdint>

namespace Nimbra {

// The music's last moment; the loop stops before drawing a frame at or after it.
constexpr float presentationEndSeconds = 107.58f;

// Seconds of sound played for a byte position of the device.
float clockSecondsFromBytes(uint32_t bytePosition);

// True once t has reached the end (compared in single precision).
bool presentationIsOver(float t);

}  // namespace Nimbra
