// Smooth segments give exactly the single-precision result of the evaluation rule, to the bit:
// every frame of every shader sees these values, so a reordered expression is a change.
#include "core/Timeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using Nimbra::evaluateCurve;
using Nimbra::Keyframe;
using Nimbra::Timeline;

namespace {

uint32_t bits(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// Expected values from a plain single-precision evaluation, each operation rounded to float
// in this order (rps = 8 x 125 / 60 = 16.666666):
//   t0 = 16 / rps + 0.001 = 0.961000025     t1 = 40 / rps + 0.001 = 2.40100002
//   u = (t - t0) / (t1 - t0)                w = (3 - (u + u)) x (u x u)
//   value = (1 - w) x 0.3 + w x -2.7
// At each of these times the same formula in another order (u x (u x (3 - 2u)),
// 3u^2 - 2u^3, 0.3 + w x (-2.7 - 0.3)) or in double precision gives a different float.
TEST(EvaluateCurve, SmoothSegmentIsBitExact)
{
    Timeline timeline;
    timeline.bpm = 125.0f;
    timeline.rowsPerBeat = 8;
    timeline.curves.resize(1);
    timeline.curves.at(0)->keys.push(Keyframe{16, 0.3f, 2});
    timeline.curves.at(0)->keys.push(Keyframe{40, -2.7f, 0});

    struct Point {
        float seconds;
        float value;
    };
    const Point points[] = {
        {1.102f, 0.219343722f},   // row 18, u = 0.0979166403, w = 0.0268854219
        {1.162f, 0.140965998f},   // row 19, u = 0.139583275, w = 0.0530113317
        {1.2f, 0.0795110017f},    // row 20, u = 0.165972233, w = 0.0734963417
        {1.345f, -0.226222187f},  // row 22, u = 0.266666651, w = 0.175407395
    };
    for (const Point& p : points)
        EXPECT_EQ(bits(evaluateCurve(timeline, 0, p.seconds)), bits(p.value)) << "t = " << p.seconds;
}

}  // namespace
