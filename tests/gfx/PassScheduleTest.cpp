#include "gfx/PassSchedule.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace Gfx {
namespace {

TEST(PassSchedule, EnableModes)
{
    EXPECT_TRUE(passEnabled(EnableAlways, 10.0f, 20.0f, 5.0f, false));
    EXPECT_TRUE(passEnabled(EnableFirstFrame, 0.0f, 0.0f, 5.0f, true));
    EXPECT_FALSE(passEnabled(EnableFirstFrame, 0.0f, 100000.0f, 5.0f, false));
    // Both ends of the window belong to it.
    EXPECT_FALSE(passEnabled(EnableWindow, 10.0f, 20.0f, 9.99f, false));
    EXPECT_TRUE(passEnabled(EnableWindow, 10.0f, 20.0f, 10.0f, false));
    EXPECT_TRUE(passEnabled(EnableWindow, 10.0f, 20.0f, 20.0f, false));
    EXPECT_FALSE(passEnabled(EnableWindow, 10.0f, 20.0f, 20.01f, true));
    EXPECT_FALSE(passEnabled(3, 0.0f, 100000.0f, 5.0f, true));
    EXPECT_FALSE(passEnabled(-1, 0.0f, 100000.0f, 5.0f, true));
}

TEST(PassSchedule, ThreadGroupsRoundUpAndNeverVanish)
{
    EXPECT_EQ(threadGroupsFor(0), 1u);
    EXPECT_EQ(threadGroupsFor(1), 1u);
    EXPECT_EQ(threadGroupsFor(8), 1u);
    EXPECT_EQ(threadGroupsFor(16), 2u);
    EXPECT_EQ(threadGroupsFor(17), 3u);
    EXPECT_EQ(threadGroupsFor(1280), 160u);
    EXPECT_EQ(threadGroupsFor(720), 90u);
    EXPECT_EQ(threadGroupsFor(0xFFFFFFFFu), 0x20000000u);
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
