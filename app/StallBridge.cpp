#include "app/StallBridge.h"

#include "audio/StreamFormat.h"

namespace Nimbra {

uint32_t StallBridge::frames(uint32_t played, uint64_t nowUs)
{
    if (bridging && played > retriedAt) {
        bridging = false;  // a device counts again: follow it from here
        lastPlayed = played;
        movedAtUs = nowUs;
    } else if (!bridging && played > lastPlayed) {
        lastPlayed = played;
        movedAtUs = nowUs;
        everMoved = true;
    } else if (!bridging && everMoved && nowUs - movedAtUs >= kStallUs) {
        bridging = true;
        bridgedFrom = shown;
        bridgedAtUs = nowUs;
        nextRetryUs = nowUs;
        retriedAt = played;
    }
    const uint32_t now = bridging ? bridgedFrom + uint32_t((nowUs - bridgedAtUs) * kStreamRate / 1000000) : played;
    if (now > shown)
        shown = now;
    return shown;
}

void StallBridge::retried(uint32_t played, uint64_t nowUs)
{
    retriedAt = played;
    nextRetryUs = nowUs + kDeviceRetryUs;
}

}  // namespace Nimbra
