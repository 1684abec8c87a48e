#include "audio/PlayPosition.h"
#include "audio/RefillPlan.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace Nimbra;

using Chunk = std::pair<uint32_t, uint32_t>;  // ring slot, frames

// One visit of the refill thread: every missing frame, chunk by chunk.
std::vector<Chunk> refillVisit(uint32_t& written, uint32_t played)
{
    std::vector<Chunk> chunks;
    while (uint32_t frames = nextRefillChunk(written, played)) {
        chunks.emplace_back(refillSlot(written), frames);
        written += frames;
    }
    return chunks;
}

TEST(RefillPlan, NothingToDoUntilTheDeviceHasPlayedSomething)
{
    uint32_t written = 0;
    EXPECT_TRUE(refillVisit(written, 0).empty());
    written = 5000;
    EXPECT_TRUE(refillVisit(written, 5000).empty());
    EXPECT_EQ(nextRefillChunk(5000, 4000), 0u);
}

TEST(RefillPlan, ChunkStopsAtTheEndOfTheRing)
{
    uint32_t written = 4000;
    const std::vector<Chunk> expected = {{4000, 96}, {0, 104}};
    EXPECT_EQ(refillVisit(written, 4200), expected);
    EXPECT_EQ(written, 4200u);
    // A stall of exactly one lap from mid-ring: the same slot, but a lap later.
    written = 100;
    const std::vector<Chunk> lap = {{100, 3996}, {0, 100}};
    EXPECT_EQ(refillVisit(written, 4196), lap);
}

TEST(RefillPlan, StallOfMoreThanTwoLapsGeneratesEveryMissedFrame)
{
    uint32_t written = 100;
    const std::vector<Chunk> expected = {{100, 3996}, {0, 4096}, {0, 808}};
    EXPECT_EQ(refillVisit(written, 9000), expected);
    EXPECT_EQ(written, 9000u);
}

TEST(RefillPlan, SameLapIsOneChunk)
{
    uint32_t written = 8192 + 10;
    const std::vector<Chunk> expected = {{10, 220}};
    EXPECT_EQ(refillVisit(written, 8192 + 230), expected);
}

TEST(RefillPlan, ExactLapBoundariesNeverCrossTheRing)
{
    uint32_t written = 4096 - 220;
    const std::vector<Chunk> up = {{3876, 220}};
    EXPECT_EQ(refillVisit(written, 4096), up);
    const std::vector<Chunk> next = {{0, 4096}};
    EXPECT_EQ(refillVisit(written, 8192), next);
}

// Steady polling of about 220 frames keeps every frame in its slot: the writer's slot always
// equals the song frame modulo the ring, and chunks never run past the ring's end.
TEST(RefillPlan, SteadyPollingCoversEveryFrameOnce)
{
    uint32_t written = 0;
    uint32_t covered = 0;
    for (uint32_t played = 0; played < 1000000; played += 217 + played % 11) {
        for (const Chunk& chunk : refillVisit(written, played)) {
            EXPECT_EQ(chunk.first, covered % kStreamFrames);
            EXPECT_LE(chunk.first + chunk.second, kStreamFrames);
            covered += chunk.second;
        }
        EXPECT_EQ(covered, played);
    }
}

// Only an answer in bytes at or above the last good count moves the position; anything else
// keeps that count.
TEST(PlayPosition, KeepsTheLastGoodCountUnlessTheDeviceCountsOnInBytes)
{
    struct Case {
        uint32_t lastGood;
        PlayPositionReading reading;
        uint32_t kept;
    };
    const Case cases[] = {
        {1000, {true, true, 1200}, 1200},  {1000, {true, true, 1000}, 1000},  {1000, {true, true, 200}, 1000},
        {1000, {false, true, 1200}, 1000}, {1000, {true, false, 1200}, 1000}, {0, {true, true, 8}, 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keptPlayPosition(c.lastGood, c.reading), c.kept) << c.lastGood << " then " << c.reading.bytes;
}

}  // namespace
