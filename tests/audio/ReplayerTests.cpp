// Tick timing, row order, position changes, pattern loops and delays, visit counting.
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

// count patterns of `rows` rows, played in order once each.
XmModule songOf(int count, uint16_t rows, uint16_t channels = 2)
{
    XmModule m = basicModule(channels, rows);
    m.patterns.assign(count, m.patterns[0]);
    m.orders.clear();
    for (int i = 0; i < count; ++i)
        m.orders.push_back(uint8_t(i));
    return m;
}

std::vector<PlayedRow> rows(std::initializer_list<PlayedRow> r)
{
    return r;
}

TEST(TickTiming, TicksAndRowsAtTempo125)
{
    PlayerPtr p = makePlayer(basicModule());
    render(*p, 1);
    EXPECT_FLOAT_EQ(p->framesToNextTick, 881.0f);  // 882 frames per tick at 44,100 Hz
    EXPECT_EQ(p->tick, 1);
    render(*p, 881);
    EXPECT_EQ(p->tick, 1);  // the second tick runs on the next frame
    render(*p, 1);
    EXPECT_EQ(p->tick, 2);
    render(*p, 2646 - 883);
    EXPECT_EQ(p->tick, 0);
    EXPECT_EQ(p->row, 1);  // speed 3: a row is 2646 frames
    render(*p, 1);
    EXPECT_EQ(p->row, 2);
}

TEST(TickTiming, SpeedAndTempoEffects)
{
    XmModule m = basicModule(1, 8);
    cellAt(m, 0, 0, 0) = {0, 0, 0, 0x0F, 0x20};
    cellAt(m, 0, 1, 0) = {0, 0, 0, 0x0F, 0x1F};
    cellAt(m, 0, 2, 0) = {0, 0, 0, 0x0F, 0x00};
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 1);
    EXPECT_EQ(p->bpm, 32);
    EXPECT_FLOAT_EQ(p->framesToNextTick, 44100.0f / 12.8f);
    runTicks(*p, 2);
    runTicks(*p, 1);
    EXPECT_EQ(p->speed, 31);
    runTicks(*p, 30);
    EXPECT_EQ(p->tick, 0);  // the row lasted 31 ticks
    runTicks(*p, 1);
    EXPECT_EQ(p->row, 3);
    EXPECT_EQ(p->speed, 31);
    EXPECT_EQ(p->bpm, 32);  // F00 changed nothing
}

TEST(RowOrder, PatternsFollowTheOrderTableAndTheSongComesRound)
{
    XmModule m = songOf(3, 2);
    m.orders = {2, 0, 1};
    m.restartPosition = 1;
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(playedRows(*p, 8), rows({{2, 0}, {2, 1}, {0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 1}}));
}

TEST(RowOrder, PatternBreakAndJump)
{
    XmModule m = songOf(5, 64);
    cellAt(m, 0, 0, 0) = {0, 0, 0, 0x0D, 0x32};   // D32: decimal row 32
    cellAt(m, 1, 33, 0) = {0, 0, 0, 0x0B, 0x05};  // B05 beyond a 5-entry song: nothing
    cellAt(m, 1, 34, 0) = {0, 0, 0, 0x0B, 0x04};
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(playedRows(*p, 5), rows({{0, 0}, {1, 32}, {1, 33}, {1, 34}, {4, 0}}));
}

TEST(RowOrder, PositionChangesOfSeveralChannelsApplyInChannelOrder)
{
    XmModule m = songOf(5, 16);
    cellAt(m, 0, 0, 0) = {0, 0, 0, 0x0B, 0x03};
    cellAt(m, 0, 0, 1) = {0, 0, 0, 0x0D, 0x10};
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(playedRows(*p, 2), rows({{0, 0}, {3, 10}}));

    m = songOf(5, 16);
    cellAt(m, 0, 0, 0) = {0, 0, 0, 0x0D, 0x10};
    cellAt(m, 0, 0, 1) = {0, 0, 0, 0x0B, 0x03};
    p = makePlayer(m);
    EXPECT_EQ(playedRows(*p, 2), rows({{0, 0}, {3, 0}}));
}

TEST(RowOrder, PatternLoopPlaysTheBlockAgainAndCarriesItsRow)
{
    XmModule m = songOf(2, 16);
    cellAt(m, 0, 8, 0) = {0, 0, 0, 0x0E, 0x60};
    cellAt(m, 0, 15, 0) = {0, 0, 0, 0x0E, 0x62};  // the loop row belongs to its channel
    PlayerPtr p = makePlayer(m);
    std::vector<PlayedRow> want;
    for (int r = 0; r < 16; ++r)
        want.push_back({0, r});
    for (int pass = 0; pass < 2; ++pass) {
        for (int r = 8; r < 16; ++r)
            want.push_back({0, r});
    }
    want.push_back({1, 8});  // the pattern ended normally after an E60: the next starts there
    EXPECT_EQ(playedRows(*p, int(want.size())), want);
}

TEST(RowOrder, LoopedRowsAreNotCounted)
{
    XmModule m = songOf(1, 4);
    cellAt(m, 0, 1, 0) = {0, 0, 0, 0x0E, 0x60};
    cellAt(m, 0, 2, 0) = {0, 0, 0, 0x0E, 0x61};
    PlayerPtr p = makePlayer(m);
    playedRows(*p, 4);  // rows 0, 1, 2, then 1 again while the loop runs
    EXPECT_EQ(p->visitCounts[0], 1);
    EXPECT_EQ(p->visitCounts[1], 1);
    EXPECT_EQ(p->visitCounts[2], 0);  // row 2 set loopCount 1 on its first visit
    playedRows(*p, 1);                // row 2 again: the loop ends, counted now
    EXPECT_EQ(p->visitCounts[2], 1);
    EXPECT_EQ(p->rowVisits, 0);
}

TEST(RowOrder, PatternDelayStretchesTheRowWithoutReprocessingIt)
{
    XmModule m = basicModule(2, 4);
    cellAt(m, 0, 0, 0) = {49, 1, 0x30, 0x0A, 0x01};  // volume 32/64, sliding down 1/64 a tick
    cellAt(m, 0, 0, 1) = {0, 0, 0, 0x0E, 0xE2};
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 9);
    EXPECT_EQ(p->row, 1);
    EXPECT_EQ(p->tick, 0);  // 3 + 2 x 3 ticks
    EXPECT_FLOAT_EQ(p->channels[0].volume, 0.5f - 8.0f / 64.0f);
    runTicks(*p, 1);
    EXPECT_EQ(p->extraTicks, 0);
}

TEST(RowOrder, RowsOutsideTheirPatternPlayEmptyAndTheSongMovesOn)
{
    // A break to row 20 of a 16-row pattern.
    XmModule m = songOf(3, 16);
    cellAt(m, 0, 0, 0) = {0, 0, 0, 0x0D, 0x20};
    cellAt(m, 1, 0, 0) = {49, 1, 0, 0, 0};  // must not be played by the out-of-range row
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(playedRows(*p, 3), rows({{0, 0}, {-1, -1}, {2, 0}}));
    EXPECT_EQ(p->channels[0].instrument, nullptr);

    // A pattern of no rows, and an order entry naming a pattern that does not exist (64 empty
    // rows).
    m = songOf(2, 2);
    m.patterns[0].resize(0, 2);
    m.orders = {0, 7, 1};
    p = makePlayer(m);
    std::vector<PlayedRow> played = playedRows(*p, 67);
    EXPECT_EQ(played[0], (PlayedRow{-1, -1}));
    EXPECT_EQ(played[64], (PlayedRow{-1, -1}));
    EXPECT_EQ(played[65], (PlayedRow{1, 0}));
}

TEST(RowOrder, OrderIndexesBeyondTheSongAreNotCounted)
{
    // The restart position lies beyond the song: those rows play but have no counters.
    XmModule m = songOf(1, 2);
    m.restartPosition = 9;
    PlayerPtr p = makePlayer(m);
    playedRows(*p, 2);
    EXPECT_EQ(p->rowVisits, 0);
    playedRows(*p, 6);
    EXPECT_EQ(p->orderIndex, 9);
    EXPECT_EQ(p->rowVisits, 0);  // keeps its value
    EXPECT_EQ(p->visitCounts[0], 1);
    EXPECT_EQ(p->visitCounts[1], 1);

    // A song of no order entries has no counters at all and still plays.
    m.orders.clear();
    p = makePlayer(m);
    EXPECT_EQ(playedRows(*p, 4).size(), 4u);
    EXPECT_EQ(p->visitCounts, reinterpret_cast<uint8_t*>(p.get()) + p->blockSize);
}

TEST(RowOrder, VisitCountsReportTheSongComingRound)
{
    XmModule m = songOf(2, 2);
    m.restartPosition = 1;
    PlayerPtr p = makePlayer(m);
    playedRows(*p, 4);
    EXPECT_EQ(p->rowVisits, 0);
    playedRows(*p, 1);  // order 1 row 0 again
    EXPECT_EQ(p->rowVisits, 1);
}

TEST(Channels, MoreThan255ChannelsAllPlay)
{
    XmModule m = basicModule(300, 2);
    cellAt(m, 0, 0, 299) = {49, 1, 0, 0, 0};
    cellAt(m, 0, 1, 256) = {0, 0, 0, 0x0D, 0x00};
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 1);
    EXPECT_NE(p->channels[299].sample, nullptr);
    EXPECT_GT(p->channels[299].targetLeft, 0.0f);
    EXPECT_EQ(p->channels[255].sample, nullptr);
    runTicks(*p, 3);
    EXPECT_EQ(p->breakPending, 1);
    std::vector<float> out = render(*p, 1000);
    EXPECT_EQ(p->visitCounts + 256, reinterpret_cast<uint8_t*>(p.get()) + p->blockSize);
}

}  // namespace
}  // namespace Nimbra
