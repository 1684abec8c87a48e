#include "audio/RefillTiming.h"

#include "audio/RefillPlan.h"
#include "audio/StreamFormat.h"

#include <climits>

namespace Nimbra {
namespace {

// The position the device reports at model time t (us), in frames.
int64_t reportedFrames(uint64_t t)
{
    return int64_t(t * kStreamRate / 1000000);
}

// Frames the device has read by time t: its last fetch took it the largest lead ahead of the
// position it reported then. Without a range of leads it reads a steady lead ahead.
int64_t framesRead(const RefillTimingModel& model, uint64_t t)
{
    const uint64_t fetchEvery = model.leadMaxUs - model.leadMinUs;
    const uint64_t lastFetch = fetchEvery ? t - t % fetchEvery : t;
    return reportedFrames(lastFetch + model.leadMaxUs);
}

uint64_t nextWakeUp(uint64_t t, uint32_t tickUs)
{
    const uint64_t due = t + kRefillIntervalMs * 1000ull;
    return (due + tickUs - 1) / tickUs * tickUs;
}

} // namespace

RefillTiming simulateRefillTiming(const RefillTimingModel& model)
{
    RefillTiming result = {INT32_MAX, 0, 0};
    uint32_t written = 0;
    for (uint64_t t = 0; t < model.durationUs; t = nextWakeUp(t, model.timerTickUs)) {
        ++result.visits;
        const uint32_t played = uint32_t(reportedFrames(t));
        const int64_t read = framesRead(model, t);
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
    }
    return result;
}

double framesToMs(int32_t frames)
{
    return frames * 1000.0 / kStreamRate;
}

} // namespace Nimbra
