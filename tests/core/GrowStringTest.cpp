#include "core/GrowString.h"

#include <gtest/gtest.h>

using Nimbra::GrowString;

TEST(GrowString, EmptyStringHoldsOnlyTheTerminator)
{
    GrowString empty;
    EXPECT_EQ(empty.count, 1u);
    EXPECT_EQ(empty.capacity, 8u);
    EXPECT_STREQ(empty.c_str(), "");
    GrowString fromEmpty("");
    EXPECT_EQ(fromEmpty.count, 1u);
    EXPECT_EQ(fromEmpty.capacity, 8u);
    EXPECT_EQ(fromEmpty.length(), 0u);
}

TEST(GrowString, StorageFitsLongTextsExactly)
{
    GrowString vertex("vertex_main");
    EXPECT_EQ(vertex.count, 12u);
    EXPECT_EQ(vertex.capacity, 12u);
    EXPECT_STREQ(vertex.c_str(), "vertex_main");
    GrowString seven("1234567");  // 7 + NUL reaches 8 exactly
    EXPECT_EQ(seven.capacity, 8u);
    EXPECT_EQ(seven.count, 8u);
    GrowString shortText("abc");
    EXPECT_EQ(shortText.capacity, 8u);
    EXPECT_EQ(shortText.count, 4u);
    EXPECT_EQ(shortText.length(), 3u);
}

TEST(GrowString, CopyIsIndependentAndTerminated)
{
    GrowString source("kernel_main");
    GrowString copy(source);
    EXPECT_STREQ(copy.c_str(), "kernel_main");
    EXPECT_NE(copy.data, source.data);
    EXPECT_EQ(copy.count, 12u);
    copy.data[0] = 'K';
    EXPECT_STREQ(source.c_str(), "kernel_main");

    GrowString assigned;
    assigned = source;
    EXPECT_STREQ(assigned.c_str(), "kernel_main");
    EXPECT_EQ(assigned.count, 12u);
}

TEST(GrowString, CopyOfAnUnterminatedArrayGetsItsNul)
{
    GrowString broken("ab");
    broken.count = 2;  // drop the terminator behind its back
    GrowString copy(broken);
    EXPECT_EQ(copy.count, 3u);
    EXPECT_STREQ(copy.c_str(), "ab");
    broken.count = 0;
    GrowString fromNothing(broken);
    EXPECT_EQ(fromNothing.count, 1u);
    EXPECT_STREQ(fromNothing.c_str(), "");
}
