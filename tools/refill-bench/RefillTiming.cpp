#include "tools/refill-bench/RefillTiming.h"

#include "audio/RefillPlan.h"
#include "audio/StreamFormat.h"

#include <climits>

namespace Nimbra {

uint32_t reportedFramesAt(uint64_t t)
{
    return uint32_t(t * kStreamRate / 1000000);
}

// The device's last fetch took it the largest lead ahead of the position it reported then;
// without a range of leads it reads a steady lead ahead.
uint32_t framesReadBy(const RefillTimingModel& model, uint64_t t)
{
    const uint64_t fetchEvery = model.leadMaxUs - model.leadMinUs;
    const uint64_t lastFetch = fetchEvery ? t - t % fetchEvery : t;
    return reportedFramesAt(lastFetch + model.leadMaxUs);
}

uint64_t wakeUpAfter(const RefillTimingModel& model, uint64_t t, uint32_t ms)
{
    const uint64_t due = t + ms * 1000ull;
    return (due + model.timerTickUs - 1) / model.timerTickUs * model.timerTickUs;
}

RefillTiming simulateRefillTiming(const RefillTimingModel& model)
{
    RefillTiming result = {INT32_MAX, 0, 0};
    uint32_t written = 0;
    for (uint64_t t = 0; t < model.durationUs;) {
        ++result.visits;
        const uint32_t played = reportedFramesAt(t);
        const int64_t read = framesReadBy(model, t);
        while (uint32_t chunk = nextRefillChunk(written, played)) {
            // Slot refillSlot(written) receives song frame written + kStreamFrames, the chunk's
            // nearest to the device's reads.
            const int64_t margin = int64_t(written) + kStreamFrames - read;
            if (margin < result.worstMarginFrames)
                result.worstMarginFrames = int32_t(margin);
            if (margin < 0)
                result.framesReadUnwritten += uint32_t(-margin < chunk ? -margin : chunk);
            written += chunk;
        }
        // A sleep must end later than it began; one that did not would visit the same moment for ever.
        const uint64_t next = wakeUpAfter(model, t, kRefillIntervalMs);
        if (next <= t)
            break;
        t = next;
    }
    return result;
}

double framesToMs(int32_t frames)
{
    return frames * 1000.0 / kStreamRate;
}

}  // namespace Nimbra
