// Tone portamento's rarer rules: an instrument on a portamento cell, speed 0 in the volume
// column, and a portamento with nowhere to go. Linear periods: 7680 - 64 x note; cell note 49
// is note 48 (period 4608), cell note 61 is note 60 (period 3840). Speed s moves 4 x s a tick.
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

float period(const ModuleChannel& c)
{
    return c.period;
}

TEST(TonePortamento, InstrumentOnAPortamentoCellKeepsThePeriod)
{
    PlayerPtr p = makePlayer(oneChannel({
        {49, 1, 0x00, 0, 0},     // note 48, period 4608, full volume
        {61, 0, 0x20, 3, 0x10},  // toward 3840 at 64 a tick; volume 16/64
        {61, 1, 0x00, 3, 0x00},  // the instrument restarts the voice but not its pitch
    }));
    EXPECT_EQ(trace(*p, 6, period), (std::vector<float>{4608, 4608, 4608, 4608, 4544, 4480}));
    ModuleChannel& c = p->channels[0];
    EXPECT_FLOAT_EQ(c.volume, 0.25f);
    c.position = 300.0f;

    // Row 2, tick 0: the period stays where the slide left it, then the slide goes on.
    EXPECT_EQ(trace(*p, 3, period), (std::vector<float>{4480, 4416, 4352}));
    EXPECT_FLOAT_EQ(c.position, 300.0f);  // not restarted
    EXPECT_FLOAT_EQ(c.volume, 1.0f);      // the sample's volume again
    EXPECT_FLOAT_EQ(c.tonePortaTarget, 3840.0f);
}

TEST(TonePortamento, VolumeColumnSpeedZeroKeepsTheLastSpeed)
{
    PlayerPtr p = makePlayer(oneChannel({
        {49, 1, 0x00, 0, 0},
        {61, 0, 0xF2, 0, 0},  // speed 0x22 = 34: 136 a tick
        {0, 0, 0xF0, 0, 0},   // F0: the same speed
    }));
    EXPECT_EQ(trace(*p, 9, period), (std::vector<float>{4608, 4608, 4608, 4608, 4472, 4336, 4336, 4200, 4064}));
    EXPECT_EQ(p->channels[0].tonePortaSpeed, 34);
}

TEST(TonePortamento, WithoutATargetNothingMoves)
{
    // The first note of a channel played with 3xx sets no target: 3xx and Fx then leave the
    // period alone instead of sliding toward period 0.
    PlayerPtr p = makePlayer(oneChannel({
        {49, 1, 0x00, 3, 0x10},
        {0, 0, 0x00, 3, 0x00},
        {0, 0, 0xF4, 0, 0x00},
    }));
    EXPECT_EQ(trace(*p, 9, period), std::vector<float>(9, 4608.0f));
    EXPECT_FLOAT_EQ(p->channels[0].tonePortaTarget, 0.0f);
    EXPECT_FLOAT_EQ(p->channels[0].frequency, 8363.0f);  // 8363 x 2^((4608 - 4608) / 768)
}

}  // namespace
}  // namespace Nimbra
