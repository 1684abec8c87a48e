#include "core/Curve.h"
#include "core/GrowArray.h"

#include <gtest/gtest.h>

#include <vector>

using Nimbra::Curve;
using Nimbra::GrowArray;
using Nimbra::Keyframe;

namespace {

struct PassRecord {  // a 16-byte record like the pass and binding entries
    uint32_t kind;
    uint32_t pad;
    void* object;
};

std::vector<uint32_t> capacitiesWhilePushing(uint32_t pushes)
{
    GrowArray<uint32_t> array;
    std::vector<uint32_t> seen{array.capacity};
    for (uint32_t i = 0; i < pushes; ++i) {
        array.push(i);
        if (array.capacity != seen.back())
            seen.push_back(array.capacity);
    }
    return seen;
}

}  // namespace

TEST(GrowArray, StartsEmptyWithEightSlotsAndFactor161)
{
    GrowArray<uint32_t> array;
    EXPECT_EQ(array.count, 0u);
    EXPECT_EQ(array.capacity, 8u);
    EXPECT_EQ(array.growth, 1.61f);
    EXPECT_NE(array.data, nullptr);
    GrowArray<uint32_t> sized(3);
    EXPECT_EQ(sized.capacity, 3u);
    EXPECT_EQ(sized.count, 0u);
}

TEST(GrowArray, GrowsByFactorPlusOneTruncated)
{
    const std::vector<uint32_t> expected{8, 13, 21, 34, 55, 89, 144, 232, 374, 603, 971, 1564, 2519};
    EXPECT_EQ(capacitiesWhilePushing(1565), expected);
}

TEST(GrowArray, NinthPushGrowsTo13AndFourteenthTo21)
{
    GrowArray<uint32_t> array;
    for (uint32_t i = 0; i < 8; ++i)
        array.push(i);
    EXPECT_EQ(array.capacity, 8u);
    array.push(8);
    EXPECT_EQ(array.capacity, 13u);
    for (uint32_t i = 9; i < 13; ++i)
        array.push(i);
    EXPECT_EQ(array.capacity, 13u);
    array.push(13);
    EXPECT_EQ(array.capacity, 21u);
    for (uint32_t i = 0; i < 14; ++i)
        EXPECT_EQ(*array.at(i), i);
}

TEST(GrowArray, PushKeepsRecordsOfOtherAreasIntact)
{
    static_assert(sizeof(PassRecord) == 16, "test record is 16 bytes");
    GrowArray<PassRecord> records;
    int anchors[20];
    for (uint32_t i = 0; i < 20; ++i)
        records.push(PassRecord{i, 0, &anchors[i]});
    ASSERT_EQ(records.count, 20u);
    for (uint32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(records[i].kind, i);
        EXPECT_EQ(records[i].object, &anchors[i]);
    }

    GrowArray<int*> pointers;
    for (int& anchor : anchors)
        pointers.push(&anchor);
    EXPECT_EQ(pointers[19], &anchors[19]);
}

TEST(GrowArray, PushOfOwnElementSurvivesGrowth)
{
    GrowArray<uint32_t> array;
    for (uint32_t i = 0; i < 8; ++i)
        array.push(100 + i);
    array.push(array[3]);
    ASSERT_EQ(array.count, 9u);
    EXPECT_EQ(array[8], 103u);
}

TEST(GrowArray, ResizeZeroFillsNewElementsAndShrinkKeepsCapacity)
{
    GrowArray<uint32_t> array;
    for (uint32_t i = 0; i < 5; ++i)
        array.push(0xDEADBEEFu);
    array.resize(2);
    EXPECT_EQ(array.count, 2u);
    EXPECT_EQ(array.capacity, 8u);
    array.resize(6);
    EXPECT_EQ(array[1], 0xDEADBEEFu);
    for (uint32_t i = 2; i < 6; ++i)
        EXPECT_EQ(array[i], 0u) << i;
}

TEST(GrowArray, ResizeBeyondCapacityTakesTheLargerOfNAndGrowth)
{
    GrowArray<uint32_t> small;
    small.resize(10);  // 8 x 1.61 + 1 = 13.88
    EXPECT_EQ(small.capacity, 13u);
    EXPECT_EQ(small.count, 10u);
    GrowArray<uint32_t> large;
    large.resize(64);
    EXPECT_EQ(large.capacity, 64u);
    GrowArray<uint32_t> empty(0);
    empty.push(7);
    EXPECT_EQ(empty.capacity, 1u);
    EXPECT_EQ(empty[0], 7u);
}

TEST(GrowArray, CopyOwnsFreshStorageAndResetsGrowth)
{
    GrowArray<uint32_t> source;
    source.growth = 3.0f;
    for (uint32_t i = 0; i < 10; ++i)
        source.push(i);
    GrowArray<uint32_t> copy(source);
    EXPECT_EQ(copy.growth, 1.61f);
    EXPECT_EQ(copy.count, 10u);
    EXPECT_EQ(copy.capacity, source.capacity);
    EXPECT_NE(copy.data, source.data);
    copy[0] = 42;
    EXPECT_EQ(source[0], 0u);
    EXPECT_EQ(copy[9], 9u);
}

TEST(GrowArray, AssignReplacesContentsAndSurvivesSelfAssignment)
{
    GrowArray<uint32_t> target;
    target.push(1);
    GrowArray<uint32_t> source(20);
    source.push(5);
    source.push(6);
    target = source;
    EXPECT_EQ(target.count, 2u);
    EXPECT_EQ(target.capacity, 20u);
    EXPECT_NE(target.data, source.data);
    EXPECT_EQ(target[1], 6u);
    const GrowArray<uint32_t>& same = target;
    target = same;
    EXPECT_EQ(target.count, 2u);
    EXPECT_EQ(target[0], 5u);
}

TEST(GrowArray, ResizeConstructsAndDestroysCurves)
{
    GrowArray<Curve> curves;
    curves.resize(64);
    ASSERT_EQ(curves.count, 64u);
    for (const Curve& curve : curves) {
        EXPECT_EQ(curve.keys.count, 0u);
        EXPECT_EQ(curve.keys.capacity, 8u);
        EXPECT_EQ(curve.keys.growth, 1.61f);
        EXPECT_EQ(curve.name[0], 0);
        EXPECT_EQ(curve.name[255], 0);
    }
    for (uint32_t i = 0; i < 30; ++i)
        curves.at(63)->keys.push(Keyframe{i, float(i), 0});
    // Shrinking releases the dropped curves' keys (the sanitizer build reports any leak) and
    // growing again brings back empty curves.
    curves.resize(10);
    curves.resize(64);
    EXPECT_EQ(curves.at(63)->keys.count, 0u);
    EXPECT_EQ(curves.at(63)->keys.capacity, 8u);
}

TEST(GrowArray, CurvesKeepTheirKeysWhenTheArrayGrows)
{
    GrowArray<Curve> curves;
    curves.resize(8);
    curves.at(7)->keys.push(Keyframe{3, 1.5f, 1});
    Curve extra;
    extra.keys.push(Keyframe{9, 2.5f, 0});
    curves.push(extra);
    ASSERT_EQ(curves.capacity, 13u);
    EXPECT_EQ(curves.at(7)->keys[0].value, 1.5f);
    EXPECT_EQ(curves.at(8)->keys[0].row, 9u);
    // The pushed curve is a copy with storage of its own.
    EXPECT_NE(curves.at(8)->keys.data, extra.keys.data);
}

TEST(GrowArray, CopiedCurvesDoNotShareKeys)
{
    GrowArray<Curve> curves;
    curves.resize(2);
    curves.at(1)->keys.push(Keyframe{0, 4.0f, 0});
    GrowArray<Curve> copy(curves);
    copy.at(1)->keys[0].value = 9.0f;
    EXPECT_EQ(curves.at(1)->keys[0].value, 4.0f);
    EXPECT_NE(copy.at(1)->keys.data, curves.at(1)->keys.data);
}

TEST(GrowArray, ReleaseEmptiesAndAllowsReuse)
{
    GrowArray<Curve> curves;
    curves.resize(3);
    curves.at(0)->keys.push(Keyframe{1, 1.0f, 0});
    curves.release();
    EXPECT_EQ(curves.count, 0u);
    EXPECT_EQ(curves.capacity, 0u);
    EXPECT_EQ(curves.data, nullptr);
    curves.resize(1);
    EXPECT_EQ(curves.at(0)->keys.count, 0u);
}
