// The refill's timing against a model of a Windows sound device, in model time. Worked by hand:
// a visit finds the device P frames on from the last (at most 221 for 5 ms wake-ups, 690 for
// wake-ups on the 15.625 ms tick) and writes from the slot of song frame last + 4096, while the
// device has read up to its lead (1764 frames for 40 ms) past the position: the margin is
// 4096 - P - lead. A lead that runs from 10 to 40 ms and back reaches 40 ms on a visit within
// the first 0.75 s (the ticks meet the fetches there), so its worst is that of a steady 40 ms.
#include "tools/refill-bench/RefillTiming.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

TEST(RefillTiming, WorstMarginOfEachTimerAndDevice)
{
    struct Case {
        const char* what;
        RefillTimingModel model;
        int32_t worstMargin;
        uint32_t unwritten;
    };
    const Case cases[] = {
        {"1 ms timer, 40 ms lead", {1000, 40000, 40000, 1000000}, 4096 - 221 - 1764, 0},
        {"15.6 ms timer, 40 ms lead", {15625, 40000, 40000, 1000000}, 4096 - 690 - 1764, 0},
        {"1 ms timer, 10 to 40 ms lead", {1000, 10000, 40000, 1000000}, 4096 - 221 - 1764, 0},
        {"15.6 ms timer, 10 to 40 ms lead", {15625, 10000, 40000, 1000000}, 4096 - 690 - 1764, 0},
        // A lead of 80 ms (3528 frames) is too much for the coarse tick: each of the 63 visits
        // after the first comes 121 or 122 frames late, 43410 frames played in all by the last.
        {"15.6 ms timer, 80 ms lead", {15625, 80000, 80000, 1000000}, 4096 - 690 - 3528, 43410 - 63 * 568},
    };
    for (const Case& c : cases) {
        const RefillTiming timing = simulateRefillTiming(c.model);
        EXPECT_EQ(timing.worstMarginFrames, c.worstMargin) << c.what;
        EXPECT_EQ(timing.framesReadUnwritten, c.unwritten) << c.what;
    }
}

TEST(RefillTiming, VisitsOnEveryWakeUp)
{
    EXPECT_EQ(simulateRefillTiming({1000, 40000, 40000, 1000000}).visits, 200u);
    EXPECT_EQ(simulateRefillTiming({15625, 40000, 40000, 1000000}).visits, 64u);
}

TEST(RefillTiming, FramesInMilliseconds)
{
    EXPECT_DOUBLE_EQ(framesToMs(441), 10.0);
    EXPECT_DOUBLE_EQ(framesToMs(-4410), -100.0);
}

}  // namespace
}  // namespace Nimbra
