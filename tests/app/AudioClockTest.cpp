#include <gtest/gtest.h>

#include "app/AudioClock.h"

namespace Nimbra {
namespace {

constexpr uint32_t bytesPerSecond = 44100 * 8;  // float stereo

TEST(AudioClock, ReadsWholeSecondsAndHalves)
{
    EXPECT_EQ(clockSecondsFromBytes(0), 0.0f);
    EXPECT_EQ(clockSecondsFromBytes(bytesPerSecond), 1.0f);
    EXPECT_EQ(clockSecondsFromBytes(529200), 1.5f);
    EXPECT_EQ(clockSecondsFromBytes(60 * bytesPerSecond), 60.0f);
}

TEST(AudioClock, CountsOnlyWholeFrames)
{
    EXPECT_EQ(clockSecondsFromBytes(7), 0.0f);
    EXPECT_EQ(clockSecondsFromBytes(8), clockSecondsFromBytes(15));
    EXPECT_GT(clockSecondsFromBytes(8), 0.0f);
    EXPECT_FLOAT_EQ(clockSecondsFromBytes(8), 1.0f / 44100.0f);
}

TEST(AudioClock, NeighbouringFramesStayDistinctLateInTheMusic)
{
    // Near the end a frame (22.7 us) is still three float steps, so time never stands still.
    const uint32_t lateFrame = 107 * 44100;
    for (uint32_t f = lateFrame; f < lateFrame + 100; ++f)
        EXPECT_LT(clockSecondsFromBytes(f * 8), clockSecondsFromBytes((f + 1) * 8)) << f;
}

TEST(AudioClock, LargestPositionDoesNotWrap)
{
    EXPECT_NEAR(clockSecondsFromBytes(0xFFFFFFFFu), 536870911.0 / 44100.0, 1e-3);
}

TEST(PresentationEnd, EndsExactlyAtTheFrameOf107_58Seconds)
{
    const uint32_t endFrame = 4744278;  // 107.58 s at 44,100 Hz
    EXPECT_TRUE(presentationIsOver(clockSecondsFromBytes(endFrame * 8)));
    EXPECT_FALSE(presentationIsOver(clockSecondsFromBytes((endFrame - 1) * 8)));
    EXPECT_TRUE(presentationIsOver(clockSecondsFromBytes((endFrame + 1) * 8)));
}

TEST(PresentationEnd, RunsWhileTheClockStandsAtZero)
{
    EXPECT_FALSE(presentationIsOver(0.0f));
    EXPECT_FALSE(presentationIsOver(107.5799f));
    EXPECT_TRUE(presentationIsOver(107.58f));
    EXPECT_TRUE(presentationIsOver(200.0f));
}

}  // namespace
}  // namespace Nimbra
