#include "audio/PlayPosition.h"

namespace Nimbra {

uint32_t keptPlayPosition(uint32_t lastGood, const PlayPositionReading& reading)
{
    if (!reading.answered)
        return lastGood;  // no count at all: the record holds whatever it held before
    if (!reading.inBytes)
        return lastGood;  // milliseconds or samples read as bytes would move the clock anywhere
    if (reading.bytes < lastGood)
        return lastGood;  // a count begun anew says nothing about how far this stream has played
    return reading.bytes;
}

}  // namespace Nimbra
