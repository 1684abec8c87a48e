#include "audio/RefillPlan.h"

namespace Nimbra {

uint32_t nextRefillChunk(uint32_t written, uint32_t played)
{
    if (played <= written)
        return 0;
    const uint32_t lapMask = ~(kStreamFrames - 1);
    const bool sameLap = (played & lapMask) == (written & lapMask);
    const uint32_t chunk = sameLap ? kStreamFrames : kStreamFrames - refillSlot(written);
    const uint32_t remaining = played - written;
    return chunk < remaining ? chunk : remaining;
}

}  // namespace Nimbra
