#pragma once
// The presentation's clock is the play position of the sound stream, in frames of 44,100 a
// second, and the music's end is the end of the run.
#include <cstdint>

namespace Nimbra {

// The music's last moment; the loop stops before drawing a frame at or after it.
constexpr float presentationEndSeconds = 107.58f;

// Seconds of sound for a count of frames played. The division runs in double precision so
// that long runs keep every frame distinct before the result is rounded to float.
float clockSecondsFromFrames(uint32_t framesPlayed);

// True once t has reached the end (compared in single precision).
bool presentationIsOver(float t);

}  // namespace Nimbra
