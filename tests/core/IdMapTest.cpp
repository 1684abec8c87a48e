#include "core/IdMap.h"

#include <gtest/gtest.h>

using Nimbra::IdMap;

namespace {
struct Thing {
    int id;
};
}  // namespace

TEST(IdMap, StartsWithSixteenEmptyBuckets)
{
    IdMap<Thing> map;
    EXPECT_EQ(map.bucketCount, 16u);
    EXPECT_EQ(map.size, 0u);
    EXPECT_EQ(map.maxLoadFactor, 0.75f);
    for (uint32_t b = 0; b < map.bucketCount; ++b)
        EXPECT_EQ(map.buckets[b], nullptr);
}

TEST(IdMap, SlotCreatesANullEntryOnce)
{
    IdMap<Thing> map;
    EXPECT_EQ(map.slot(5), nullptr);
    EXPECT_EQ(map.size, 1u);
    Thing thing{5};
    map.slot(5) = &thing;
    EXPECT_EQ(map.slot(5), &thing);
    EXPECT_EQ(map.size, 1u);
    EXPECT_EQ(map.find(5), &thing);
    EXPECT_EQ(map.find(6), nullptr);
    EXPECT_EQ(map.size, 1u);
}

TEST(IdMap, CollidingKeysShareABucketAndStayApart)
{
    IdMap<Thing> map;
    Thing three{3}, nineteen{19};
    map.slot(3) = &three;
    map.slot(19) = &nineteen;
    EXPECT_EQ(map.size, 2u);
    ASSERT_NE(map.buckets[3], nullptr);
    EXPECT_EQ(map.buckets[3]->key, 19u);  // newest entry heads the chain
    EXPECT_EQ(map.buckets[3]->next->key, 3u);
    EXPECT_EQ(map.slot(3), &three);
    EXPECT_EQ(map.slot(19), &nineteen);
}

TEST(IdMap, NeverRehashesWhateverTheLoad)
{
    IdMap<Thing> map;
    Thing things[100];
    for (int i = 0; i < 100; ++i) {
        things[i].id = i;
        map.slot(uint32_t(i) * 7u + 0xFFFFFF00u) = &things[i];
    }
    EXPECT_EQ(map.bucketCount, 16u);
    EXPECT_EQ(map.size, 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(map.slot(uint32_t(i) * 7u + 0xFFFFFF00u)->id, i);
}
