#include "tools/capture/HalfFloat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Nimbra::Gfx {
namespace {

TEST(HalfFloat, ReadsEveryKindOfHalf)
{
    EXPECT_EQ(halfToFloat(0x3C00), 1.0f);
    EXPECT_EQ(halfToFloat(0x3800), 0.5f);
    EXPECT_EQ(halfToFloat(0x3E00), 1.5f);
    EXPECT_EQ(halfToFloat(0xC000), -2.0f);
    EXPECT_EQ(halfToFloat(0x7BFF), 65504.0f);               // the largest finite half
    EXPECT_EQ(halfToFloat(0x0400), 1.0f / 16384.0f);        // the smallest normal, 2^-14
    EXPECT_EQ(halfToFloat(0x0001), 1.0f / 16777216.0f);     // the smallest subnormal, 2^-24
    EXPECT_EQ(halfToFloat(0x03FF), 1023.0f / 16777216.0f);  // the largest subnormal
    EXPECT_EQ(halfToFloat(0x0000), 0.0f);
    EXPECT_TRUE(std::signbit(halfToFloat(0x8000)));
    EXPECT_EQ(halfToFloat(0x7C00), INFINITY);
    EXPECT_EQ(halfToFloat(0xFC00), -INFINITY);
    EXPECT_TRUE(std::isnan(halfToFloat(0x7E00)));
    EXPECT_TRUE(std::isnan(halfToFloat(0x7C01)));
}

}  // namespace
}  // namespace Nimbra::Gfx
