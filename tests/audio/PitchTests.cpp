// Note periods and frequencies in linear and Amiga modes.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/Pitch.h"

namespace Nimbra {
namespace {

TEST(LinearPitch, PeriodsAndFrequencies)
{
    EXPECT_FLOAT_EQ(notePeriod(LinearFrequencies, 48.0f), 4608.0f);
    EXPECT_FLOAT_EQ(notePeriod(LinearFrequencies, 60.0f), 3840.0f);
    EXPECT_FLOAT_EQ(periodFrequency(LinearFrequencies, 4608.0f, 0, 0.0f), 8363.0f);
    EXPECT_FLOAT_EQ(periodFrequency(LinearFrequencies, 3840.0f, 0, 0.0f), 16726.0f);
    EXPECT_FLOAT_EQ(periodFrequency(LinearFrequencies, 4608.0f, 12, 0.0f), 16726.0f);
    EXPECT_NEAR(periodFrequency(LinearFrequencies, 4608.0f, 0, 1.0f), 8484.6f, 0.1f);
    // Finetune: half a semitone up is 32 period units.
    EXPECT_FLOAT_EQ(notePeriod(LinearFrequencies, 48.5f), 4576.0f);
}

TEST(AmigaPitch, PeriodsFromTheTable)
{
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 48.0f), 428.0f);
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 48.5f), 416.0f);
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 36.0f), 856.0f);
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 24.0f), 1712.0f);
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 12.0f), 3424.0f);
    // note / 12 - 2 is truncated toward zero, so note 13 keeps shift 0.
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 13.0f), 1616.0f);
    EXPECT_FLOAT_EQ(notePeriod(AmigaFrequencies, 60.0f), 214.0f);
}

TEST(AmigaPitch, Frequencies)
{
    EXPECT_FLOAT_EQ(periodFrequency(AmigaFrequencies, 428.0f, 0, 0.0f), 7093789.0f / 856.0f);
    EXPECT_NEAR(periodFrequency(AmigaFrequencies, 428.0f, 0, 1.0f), 7988.5f, 0.1f);
    EXPECT_FLOAT_EQ(periodFrequency(AmigaFrequencies, 0.0f, 0, 0.0f), 0.0f);
    // A vibrato offset that cancels the period gives no pitch rather than a division by zero.
    EXPECT_FLOAT_EQ(periodFrequency(AmigaFrequencies, 16.0f, 0, -1.0f), 0.0f);
}

TEST(AmigaPitch, ArpeggioGoesThroughNotes)
{
    EXPECT_NEAR(periodFrequency(AmigaFrequencies, 428.0f, 12, 0.0f), 7093789.0f / 428.0f, 0.01f);
    EXPECT_NEAR(periodFrequency(AmigaFrequencies, 428.0f, 7, 0.0f), 7093789.0f / (2.0f * 285.25f), 0.01f);
    // Periods above and below the table's octave find their octave first.
    EXPECT_NEAR(periodFrequency(AmigaFrequencies, 1712.0f, 12, 0.0f), 7093789.0f / 1712.0f, 0.01f);
    EXPECT_NEAR(periodFrequency(AmigaFrequencies, 107.0f, 12, 0.0f), 7093789.0f / 107.0f, 0.01f);
}

TEST(AmigaPitch, ExtremesStayFinite)
{
    // Strongly negative notes (large negative relative notes) play deep but finite periods.
    for (float note = -300.0f; note < 0.0f; note += 7.25f) {
        float period = notePeriod(AmigaFrequencies, note);
        EXPECT_TRUE(std::isfinite(period)) << note;
        EXPECT_GT(period, 0.0f) << note;
    }
    // Periods below 1 empty the shifted table; huge periods need octaves beyond 32 bits.
    const float periods[] = {0.0f, 0.001f, 0.5f, 1e7f, 1e12f};
    for (float period : periods) {
        for (int a = 0; a < 16; ++a) {
            float f = periodFrequency(AmigaFrequencies, period, a, 0.0f);
            EXPECT_TRUE(std::isfinite(f)) << period << " " << a;
        }
    }
}

}  // namespace
}  // namespace Nimbra
