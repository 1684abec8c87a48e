#include "app/AudioClock.h"

namespace Nimbra {

float clockSecondsFromBytes(uint32_t bytePosition)
{
    // Whole frames only; the division runs in double precision so that long runs keep every
    // frame distinct before the result is rounded to float.
    return (float)((double)(bytePosition >> 3) / 44100.0);
}

bool presentationIsOver(float t)
{
    return t >= presentationEndSeconds;
}

}  // namespace Nimbra
