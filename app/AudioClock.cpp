#include "app/AudioClock.h"

#include "audio/StreamFormat.h"

namespace Nimbra {

float clockSecondsFromFrames(uint32_t framesPlayed)
{
    return (float)((double)framesPlayed / (double)kStreamRate);
}

bool presentationIsOver(float t)
{
    return t >= presentationEndSeconds;
}

}  // namespace Nimbra
