#include "core/Timeline.h"

#include <gtest/gtest.h>

#include <initializer_list>

using Nimbra::evaluateCurve;
using Nimbra::Keyframe;
using Nimbra::rowsPerSecond;
using Nimbra::Timeline;

namespace {

// A timeline of one curve. At 60 BPM and one row per beat a row lasts exactly one second,
// which keeps the expected values readable.
struct OneCurve {
    Timeline timeline;

    OneCurve(std::initializer_list<Keyframe> keys, float bpm = 60.0f, uint32_t rowsPerBeat = 1)
    {
        timeline.bpm = bpm;
        timeline.rowsPerBeat = rowsPerBeat;
        timeline.curves.resize(1);
        for (const Keyframe& key : keys)
            timeline.curves.at(0)->keys.push(key);
    }

    float at(float seconds) const { return evaluateCurve(timeline, 0, seconds); }
};

constexpr int32_t step = 0, linear = 1, smooth = 2, quadratic = 3, quartic = 4;

}  // namespace

TEST(Timeline, StartsAt120BpmWithEightRowsPerBeat)
{
    Timeline timeline;
    EXPECT_EQ(timeline.player, nullptr);
    EXPECT_EQ(timeline.curves.count, 0u);
    EXPECT_EQ(timeline.curves.capacity, 8u);
    EXPECT_EQ(timeline.bpm, 120.0f);
    EXPECT_EQ(timeline.rowsPerBeat, 8u);
    for (void* object : timeline.objects)
        EXPECT_EQ(object, nullptr);
    EXPECT_FLOAT_EQ(rowsPerSecond(timeline), 16.0f);
}

TEST(Timeline, ShippedTempoRowsAreSinglePrecision)
{
    // 125 BPM x 8 rows: 16.666666 rows per second; 0.06 s lands just short of row 1.
    OneCurve curve({{0, 10.0f, step}, {1, 11.0f, step}, {24, 24.0f, step}, {25, 25.0f, step}}, 125.0f, 8);
    EXPECT_EQ(rowsPerSecond(curve.timeline), 1000.0f / 60.0f);
    EXPECT_EQ(curve.at(0.06f), 10.0f);
    EXPECT_EQ(curve.at(0.0601f), 11.0f);
    EXPECT_EQ(curve.at(1.5f), 25.0f);
    EXPECT_EQ(curve.at(1.49f), 24.0f);
}

TEST(EvaluateCurve, EmptyCurveAndTimesBeforeTheFirstKeyGiveZero)
{
    OneCurve empty({});
    EXPECT_EQ(empty.at(0.0f), 0.0f);
    EXPECT_EQ(empty.at(50.0f), 0.0f);
    OneCurve late({{10, 7.0f, step}, {20, 9.0f, linear}});
    EXPECT_EQ(late.at(0.0f), 0.0f);
    EXPECT_EQ(late.at(9.99f), 0.0f);
    EXPECT_EQ(late.at(10.0f), 7.0f);
}

TEST(EvaluateCurve, NegativeTimesLieBeforeEveryKey)
{
    OneCurve curve({{0, 5.0f, step}, {10, 7.0f, step}});
    EXPECT_EQ(curve.at(-1.0f), 0.0f);
    EXPECT_EQ(curve.at(-1000.0f), 0.0f);
    EXPECT_EQ(curve.at(-0.5f), 5.0f);  // still truncates to row 0
}

TEST(EvaluateCurve, EachKindFollowsItsWeightAtAQuarter)
{
    struct Case {
        int32_t kind;
        float weight;
    };
    // A quarter of the way from row 0 to row 4; keys sit 1 ms after their rows.
    const float u = 0.25f;
    for (Case c : {Case{linear, u}, Case{smooth, 0.15625f}, Case{quadratic, 0.0625f}, Case{quartic, 0.00390625f}}) {
        OneCurve curve({{0, 100.0f, c.kind}, {4, 200.0f, step}});
        EXPECT_NEAR(curve.at(1.001f), 100.0f + 100.0f * c.weight, 1e-3f) << "kind " << c.kind;
    }
}

TEST(EvaluateCurve, StepAndUnknownCodesHoldTheKeyValue)
{
    for (int32_t code : {step, 7, -1, 5}) {
        OneCurve curve({{0, 3.0f, code}, {10, 9.0f, step}});
        EXPECT_EQ(curve.at(5.0f), 3.0f) << "code " << code;
        EXPECT_EQ(curve.at(9.9f), 3.0f) << "code " << code;
        EXPECT_EQ(curve.at(10.0f), 9.0f) << "code " << code;
    }
}

TEST(EvaluateCurve, AtAndAfterTheLastKeyEveryKindGivesItsValue)
{
    for (int32_t kind : {step, linear, smooth, quadratic, quartic, 9}) {
        OneCurve curve({{0, 1.0f, linear}, {10, 6.5f, kind}});
        EXPECT_EQ(curve.at(10.0f), 6.5f) << "kind " << kind;
        EXPECT_EQ(curve.at(10.0005f), 6.5f) << "kind " << kind;
        EXPECT_EQ(curve.at(1.0e6f), 6.5f) << "kind " << kind;
    }
}

TEST(EvaluateCurve, SingleInterpolatingKeyHoldsItsValue)
{
    OneCurve curve({{0, 0.475f, linear}}, 125.0f, 8);
    for (float t : {0.0f, 0.0005f, 1.0f, 107.57f})
        EXPECT_EQ(curve.at(t), 0.475f) << t;
}

TEST(EvaluateCurve, ArrivingAtAKeyRowGivesTheSegmentStart)
{
    OneCurve curve({{0, 2.0f, linear}, {4, 6.0f, quadratic}, {8, 10.0f, step}});
    EXPECT_NEAR(curve.at(4.001f), 6.0f, 1e-5f);
    EXPECT_NEAR(curve.at(3.999f), 5.998f, 1e-4f);  // still on the linear segment
}

TEST(EvaluateCurve, FirstMillisecondAfterAKeyOvershootsAwayFromTheNext)
{
    // u runs from -0.001 / (t1 - t0) up to 0 during the millisecond after the row begins.
    OneCurve rising({{10, 1.0f, linear}, {20, 2.0f, step}});
    const float early = rising.at(10.0005f);
    EXPECT_LT(early, 1.0f);
    EXPECT_GT(early, 1.0f - 0.001f / 10.0f - 1e-6f);
    OneCurve falling({{10, 1.0f, linear}, {20, 0.0f, step}});
    EXPECT_GT(falling.at(10.0f), 1.0f);
    EXPECT_NEAR(falling.at(10.0f), 1.0001f, 2e-6f);
}

TEST(EvaluateCurve, DuplicateRowsUseTheLaterKeyFromThatRowOn)
{
    OneCurve curve({{0, 0.0f, linear}, {5, 10.0f, step}, {5, 20.0f, linear}, {9, 40.0f, step}});
    // Below row 5 the earlier of the two keys is the target.
    EXPECT_NEAR(curve.at(2.501f), 5.0f, 1e-4f);
    // From row 5 on the later key is the start of the segment.
    EXPECT_NEAR(curve.at(7.001f), 30.0f, 1e-4f);
    EXPECT_NEAR(curve.at(5.001f), 20.0f, 1e-4f);
}

TEST(EvaluateCurve, DifferentCurvesAreIndependent)
{
    Timeline timeline;
    timeline.bpm = 60.0f;
    timeline.rowsPerBeat = 1;
    timeline.curves.resize(3);
    timeline.curves.at(0)->keys.push(Keyframe{0, 1.0f, step});
    timeline.curves.at(2)->keys.push(Keyframe{0, 3.0f, step});
    EXPECT_EQ(evaluateCurve(timeline, 0, 1.0f), 1.0f);
    EXPECT_EQ(evaluateCurve(timeline, 1, 1.0f), 0.0f);
    EXPECT_EQ(evaluateCurve(timeline, 2, 1.0f), 3.0f);
}
