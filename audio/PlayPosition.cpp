#include "audio/PlayPosition.h"

namespace Nimbra {

uint32_t keptPlayPosition(uint32_t lastGood, const PlayPositionReading& reading)
{
    if (!reading.answered)
        return lastGood;  // no count at all: the record holds whatever it held before
    if (!reading.inBytes)
        return lastGood;  // milliseconds or samples read as bytes would move the clock anywhere
    return reading.bytes;
}

}  // namespace Nimbra
