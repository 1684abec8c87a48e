#include "sync/TrackKeys.h"

#include <gtest/gtest.h>

#include <string>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

std::string rowsOf(const Curve& curve)
{
    std::string text;
    for (const Keyframe& key : curve.keys)
        text += std::to_string(key.row) + ":" + std::to_string(int(key.value)) + ":" +
                std::to_string(key.interpolation) + " ";
    return text;
}

}  // namespace

TEST(TrackKeys, KeepsKeysInRowOrderWhereverTheyArrive)
{
    Curve curve;
    EXPECT_EQ(setKey(curve, {50, 5, 0}, 100), SetKeyResult::Added);
    EXPECT_EQ(setKey(curve, {10, 1, 1}, 100), SetKeyResult::Added);  // before all
    EXPECT_EQ(setKey(curve, {90, 9, 2}, 100), SetKeyResult::Added);  // after all
    EXPECT_EQ(setKey(curve, {30, 3, 3}, 100), SetKeyResult::Added);  // in between
    EXPECT_EQ(setKey(curve, {0, 0, 4}, 100), SetKeyResult::Added);
    EXPECT_EQ(rowsOf(curve), "0:0:4 10:1:1 30:3:3 50:5:0 90:9:2 ");
}

TEST(TrackKeys, AKeyOnAnOccupiedRowReplacesIt)
{
    Curve curve;
    setKey(curve, {10, 1, 0}, 100);
    setKey(curve, {20, 2, 0}, 100);
    EXPECT_EQ(setKey(curve, {20, 7, 4}, 100), SetKeyResult::Replaced);
    EXPECT_EQ(setKey(curve, {10, 6, 1}, 100), SetKeyResult::Replaced);
    EXPECT_EQ(rowsOf(curve), "10:6:1 20:7:4 ");
}

TEST(TrackKeys, DeletesOnlyTheKeyOnThatRow)
{
    Curve curve;
    for (uint32_t row : {5u, 10u, 15u, 20u})
        setKey(curve, {row, float(row), 0}, 100);
    EXPECT_TRUE(deleteKey(curve, 10));
    EXPECT_FALSE(deleteKey(curve, 10));
    EXPECT_FALSE(deleteKey(curve, 11));
    EXPECT_TRUE(deleteKey(curve, 20));  // the last
    EXPECT_TRUE(deleteKey(curve, 5));   // the first
    EXPECT_EQ(rowsOf(curve), "15:15:0 ");
    EXPECT_TRUE(deleteKey(curve, 15));
    EXPECT_EQ(curve.keys.count, 0u);
    EXPECT_FALSE(deleteKey(curve, 15));
}

TEST(TrackKeys, AFullCurveRefusesNewRowsButTakesReplacements)
{
    Curve curve;
    for (uint32_t row = 0; row < 4; ++row)
        EXPECT_EQ(setKey(curve, {row * 2, 1, 0}, 4), SetKeyResult::Added);
    EXPECT_EQ(setKey(curve, {1, 9, 0}, 4), SetKeyResult::Full);
    EXPECT_EQ(setKey(curve, {100, 9, 0}, 4), SetKeyResult::Full);
    EXPECT_EQ(setKey(curve, {4, 9, 0}, 4), SetKeyResult::Replaced);
    EXPECT_EQ(rowsOf(curve), "0:1:0 2:1:0 4:9:0 6:1:0 ");
    EXPECT_TRUE(deleteKey(curve, 0));
    EXPECT_EQ(setKey(curve, {1, 9, 0}, 4), SetKeyResult::Added);
}

TEST(TrackKeys, ManyKeysInReverseOrderEndAscending)
{
    Curve curve;
    for (uint32_t row = 3000; row-- > 0;)
        setKey(curve, {row * 7 % 3001, float(row), 0}, 65536);
    ASSERT_EQ(curve.keys.count, 3000u);
    for (uint32_t i = 1; i < curve.keys.count; ++i)
        ASSERT_LT(curve.keys[i - 1].row, curve.keys[i].row);
}
