#include <gtest/gtest.h>

#include "app/AudioClock.h"

namespace Nimbra {
namespace {

TEST(AudioClock, ReadsWholeSecondsAndHalves)
{
    EXPECT_EQ(clockSecondsFromFrames(0), 0.0f);
    EXPECT_EQ(clockSecondsFromFrames(44100), 1.0f);
    EXPECT_EQ(clockSecondsFromFrames(66150), 1.5f);
    EXPECT_EQ(clockSecondsFromFrames(60 * 44100), 60.0f);
}

TEST(AudioClock, OneFrameIsOne44100thOfASecond)
{
    EXPECT_GT(clockSecondsFromFrames(1), 0.0f);
    EXPECT_FLOAT_EQ(clockSecondsFromFrames(1), 1.0f / 44100.0f);
}

TEST(AudioClock, NeighbouringFramesStayDistinctLateInTheMusic)
{
    // Near the end a frame (22.7 us) is still three float steps, so time never stands still.
    const uint32_t lateFrame = 107 * 44100;
    for (uint32_t f = lateFrame; f < lateFrame + 100; ++f)
        EXPECT_LT(clockSecondsFromFrames(f), clockSecondsFromFrames(f + 1)) << f;
}

TEST(AudioClock, LargestPositionDoesNotWrap)
{
    // A 32-bit byte count holds at most 536,870,911 whole frames.
    EXPECT_NEAR(clockSecondsFromFrames(536870911u), 536870911.0 / 44100.0, 1e-3);
}

TEST(PresentationEnd, EndsExactlyAtTheFrameOf107_58Seconds)
{
    const uint32_t endFrame = 4744278;  // 107.58 s at 44,100 Hz
    EXPECT_TRUE(presentationIsOver(clockSecondsFromFrames(endFrame)));
    EXPECT_FALSE(presentationIsOver(clockSecondsFromFrames(endFrame - 1)));
    EXPECT_TRUE(presentationIsOver(clockSecondsFromFrames(endFrame + 1)));
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
