#include "app/CaptureClock.h"

#include <gtest/gtest.h>

using namespace Nimbra;

TEST(CaptureClock, FramesFollowTheFixedStepUpToTheEnd)
{
    EXPECT_EQ(fixedStepFrameCount(0.0, 1.0, 60.0), 60u);
    EXPECT_FLOAT_EQ(fixedStepFrameTime(0.0, 60.0, 59), 59.0f / 60.0f);

    // The whole presentation at 60 fps stops before 107.58 s, like the frame loop:
    // 107.58 * 60 = 6454.8, so frames 0 to 6454.
    const uint32_t frames = fixedStepFrameCount(0.0, 500.0, 60.0);
    EXPECT_EQ(frames, 6455u);
    EXPECT_LT(fixedStepFrameTime(0.0, 60.0, frames - 1), 107.58f);
    EXPECT_GE(fixedStepFrameTime(0.0, 60.0, frames), 107.58f);

    // A span of zero length still gives the frame at its start.
    EXPECT_EQ(fixedStepFrameCount(40.0, 40.0, 60.0), 1u);
}

TEST(CaptureClock, EachTurnTakesTheNextStepAndTheRunEndsAfterTheLastFrame)
{
    CaptureClock clock(40.0, 40.1, 30.0);  // 40, 40.0333, 40.0667: three frames
    ASSERT_EQ(clock.frameCount(), 3u);
    clock.start();
    const float expected[] = {40.0f, 40.0f + 1.0f / 30.0f, 40.0f + 2.0f / 30.0f};
    for (uint32_t i = 0; i < 3; ++i) {
        clock.turnStart();
        EXPECT_EQ(clock.frame(), i);
        EXPECT_NEAR(clock.seconds(), expected[i], 1e-5f);
        EXPECT_FALSE(clock.finished(clock.seconds()));
    }
    clock.turnStart();
    EXPECT_TRUE(clock.finished(clock.seconds()));
}

// A film's sound runs through its last frame's whole step: N frames at F fps carry N / F s.
TEST(CaptureClock, TheSoundLastsAsLongAsTheFrames)
{
    EXPECT_DOUBLE_EQ(CaptureClock(0.0, 1.0, 30.0).soundEnd(), 1.0);                  // 30 frames
    EXPECT_DOUBLE_EQ(CaptureClock(40.0, 40.1, 30.0).soundEnd(), 40.1);               // 3
    EXPECT_DOUBLE_EQ(CaptureClock(40.0, 40.0, 60.0).soundEnd(), 40.0 + 1.0 / 60.0);  // 1
    EXPECT_DOUBLE_EQ(CaptureClock(0.0, 500.0, 60.0).soundEnd(), 6455.0 / 60.0);      // the whole show
}
