#include "core/IdMap.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(IdMap, ForEachWalksBucketByBucketNewestFirst)
{
    IdMap<Thing> map;
    Thing things[4] = {{17}, {2}, {1}, {33}};
    for (Thing& thing : things)
        map.slot(uint32_t(thing.id)) = &thing;
    map.slot(40);  // an entry without a value is walked too
    std::vector<uint32_t> keys;
    map.forEach([&](uint32_t key, Thing* value) {
        keys.push_back(key);
        EXPECT_EQ(value ? uint32_t(value->id) : 40u, key);
    });
    // Bucket 1 holds 33, 1 and 17 (newest first), bucket 2 holds 2, bucket 8 holds 40.
    EXPECT_EQ(keys, (std::vector<uint32_t>{33, 1, 17, 2, 40}));
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
