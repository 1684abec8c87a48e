#pragma once
// Models the refill thread against a Windows sound device, for what no test machine shows on demand: sleeps end on
// the timer's next tick (15.6 ms by default, 1 ms under timeBeginPeriod(1)) and the mixer reads ahead in bursts up
// to its largest lead. It tells how far ahead of the device's reads each song frame was written.
#include <cstdint>

namespace Nimbra {

struct RefillTimingModel {
    uint32_t timerTickUs;  // a sleep ends on the first tick at or after its due time
    uint32_t leadMinUs;    // the device's reads run at least this far ahead of its position
    uint32_t leadMaxUs;    // and at most this far: where each fetch ends
    uint32_t durationUs;   // model time from the write on
};

struct RefillTiming {
    int32_t worstMarginFrames;     // least distance by which a frame's write led the device's reads
    uint32_t framesReadUnwritten;  // frames the device read before the refill wrote them
    uint32_t visits;
};

// Visits from the write on until durationUs; a sleep that would end no later than it began (a
// broken model) ends the run after that visit, which `visits` then shows.
RefillTiming simulateRefillTiming(const RefillTimingModel& model);

// The model's parts, for a stand-in device that drives the stream itself in model time (us):
// the position the device reports at t, in frames; the frames it has read from the ring by t;
// and when a sleep of `ms` begun at t ends.
uint32_t reportedFramesAt(uint64_t t);
uint32_t framesReadBy(const RefillTimingModel& model, uint64_t t);
uint64_t wakeUpAfter(const RefillTimingModel& model, uint64_t t, uint32_t ms);

// Frames as milliseconds at the stream's rate.
double framesToMs(int32_t frames);

}  // namespace Nimbra
