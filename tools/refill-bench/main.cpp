// refill-bench: how far ahead of a Windows sound device the refill thread writes over the whole show (107.58 s), in
// model time (RefillTiming.h). The device reads 10 to 40 ms ahead of its reported position; the refill sleeps 5 ms on
//   fine timer     a 1 ms tick: timeBeginPeriod(1) granted (and Wine, whose sleeps end within ~1 ms)
//   default timer  the 15.625 ms tick (no request since Windows 10 2004, or Windows 11 with the window hidden)
// For each: the worst margin (least lead of a write over the device's reads: the slack for a late wake-up or slow
// render) and the largest device read-ahead the ring survives.

#include "tools/refill-bench/RefillTiming.h"

#include <cstdio>

using namespace Nimbra;

namespace {

constexpr uint32_t showUs = 107580000;

// The largest device lead, in whole ms, that still leaves no frame read before it was written.
uint32_t largestLeadMs(uint32_t tickUs)
{
    uint32_t good = 10;
    uint32_t bad = 200;
    while (bad - good > 1) {
        const uint32_t lead = (good + bad) / 2;
        const RefillTiming timing = simulateRefillTiming({tickUs, 10000, lead * 1000, showUs});
        (timing.framesReadUnwritten == 0 ? good : bad) = lead;
    }
    return good;
}

}  // namespace

int main()
{
    struct Timer {
        const char* name;
        uint32_t tickUs;
    };
    const Timer timers[] = {{"fine timer (1 ms)", 1000}, {"default timer (15.625 ms)", 15625}};
    std::printf("refill every 5 ms, ring 4096 frames (92.9 ms), device reading 10 to 40 ms ahead\n");
    for (const Timer& timer : timers) {
        const RefillTiming timing = simulateRefillTiming({timer.tickUs, 10000, 40000, showUs});
        std::printf("%-26s worst margin %6.1f ms (%d frames), frames read unwritten %u, visits %u, "
                    "largest device lead survived %u ms\n",
                    timer.name, framesToMs(timing.worstMarginFrames), timing.worstMarginFrames,
                    timing.framesReadUnwritten, timing.visits, largestLeadMs(timer.tickUs));
    }
    return 0;
}
