// demo-sync's transport keys: the move each key makes from a few places, the help they give, and
// --loop as written (LiveSessionTest applies them to the music).
#include "app/live/Transport.h"

#include "content/animation/ContentKeys.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

// Windows virtual-key codes, from winuser.h.
constexpr uint32_t space = 0x20, left = 0x25, right = 0x27, pageUp = 0x21, pageDown = 0x22, home = 0x24, keyL = 0x4C,
                   period = 0xBE, f1 = 0x70, f2 = 0x71, escape = 0x1B;

struct MoveCase {
    const char* what;
    KeyDown key;
    TransportState state;
    bool seek;
    uint32_t row;
};

TEST(Transport, MovesLandOnTheGridAndStayInTheLoop)
{
    const TransportState paused13{13, false, false, {}};
    const TransportState atZero{0, true, false, {}};
    const TransportState looping{300, true, true, {256, 512}};
    const MoveCase cases[] = {
        {"right: the next beat", {right}, paused13, true, 16},
        {"left: the beat before", {left}, paused13, true, 8},
        {"shift+right: the next bar", {right, true}, paused13, true, 32},
        {"shift+left: the bar before", {left, true}, paused13, true, 0},
        {"page down: eight bars on", {pageDown}, paused13, true, 256},
        {"home", {home}, paused13, true, 0},
        {"left from a beat line", {left}, {16, true, false, {}}, true, 8},
        {"left at row 0 stays", {left}, atZero, true, 0},
        {"page up at row 0 stays", {pageUp}, atZero, true, 0},
        {"page up from 300", {pageUp}, {300, true, false, {}}, true, 256},
        {"a held key repeats", {right, false, true}, atZero, true, 8},
        {"inside the loop", {right}, looping, true, 304},
        {"at the loop's end: round to its start", {right}, {511, true, true, {256, 512}}, true, 256},
        {"page down past the loop's end", {pageDown}, looping, true, 256},
        {"before the loop's start: its start", {left, true}, {260, true, true, {256, 512}}, true, 256},
        {"home while looping: the loop's start", {home}, looping, true, 256},
        {"escape moves nothing", {escape}, paused13, false, 0},
        {"F1 moves nothing", {f1}, paused13, false, 0},
    };
    for (const MoveCase& c : cases) {
        const TransportMove move = transportMove(c.key, c.state, nullptr);
        EXPECT_EQ(move.seek, c.seek) << c.what;
        EXPECT_EQ(move.row, c.row) << c.what;
    }
}

TEST(Transport, TogglesStepAndLoop)
{
    const TransportState playing{300, true, false, {}};
    const TransportState paused{300, false, false, {}};
    EXPECT_TRUE(transportMove({space}, playing, nullptr).togglePlaying);
    EXPECT_FALSE(transportMove({space, false, true}, playing, nullptr).togglePlaying) << "auto-repeat";
    EXPECT_TRUE(transportMove({f1}, playing, nullptr).toggleHelp);
    EXPECT_TRUE(transportMove({f2}, playing, nullptr).toggleOverlay);
    EXPECT_TRUE(transportMove({escape}, playing, nullptr).quit);
    EXPECT_FALSE(transportMove({escape, false, true}, playing, nullptr).quit) << "auto-repeat";
    EXPECT_TRUE(transportMove({period}, paused, nullptr).step);
    EXPECT_FALSE(transportMove({period}, playing, nullptr).step) << "a step only while paused";

    // L: the block of 256 rows holding row 300, from its first row; the music stays.
    TransportMove move = transportMove({keyL}, playing, nullptr);
    EXPECT_TRUE(move.startLoop);
    EXPECT_EQ(move.loop.first, 256u);
    EXPECT_EQ(move.loop.end, 512u);
    EXPECT_FALSE(move.seek);
    move = transportMove({keyL}, {255, true, false, {}}, nullptr);
    EXPECT_EQ(move.loop.first, 0u);
    EXPECT_EQ(move.loop.end, 256u);
    // Again: the loop ends.
    move = transportMove({keyL}, {300, true, true, {256, 512}}, nullptr);
    EXPECT_TRUE(move.endLoop);
    EXPECT_FALSE(move.startLoop);
    // A given range: looped instead; away from it, the music goes to its start.
    const LoopRows given{200, 456};
    move = transportMove({keyL}, playing, &given);
    EXPECT_EQ(move.loop.first, 200u);
    EXPECT_EQ(move.loop.end, 456u);
    EXPECT_FALSE(move.seek);
    move = transportMove({keyL}, {456, true, false, {}}, &given);
    EXPECT_TRUE(move.seek);
    EXPECT_EQ(move.row, 200u);
}

TEST(Transport, ReadsLoopRangesInSecondsAndRows)
{
    struct Case {
        const char* text;
        bool ok;
        bool inRows = false;
        double from = 0.0, to = 0.0;
    };
    const Case cases[] = {
        {"12.5:20", true, false, 12.5, 20.0},
        {"0:0.5", true, false, 0.0, 0.5},
        {"r200:r456", true, true, 200.0, 456.0},
        {"r0:r1", true, true, 0.0, 1.0},
        {"20:12.5", false},
        {"5:5", false},
        {"r456:r200", false},
        {"r2:20", false},
        {"2:r20", false},
        {"12.5", false},
        {"12.5:", false},
        {":20", false},
        {"-1:20", false},
        {"1:2x", false},
        {"r1.5:r3", false},
        {"r0:r16777217", false},
        {"nan:5", false},
        {"1:inf", false},
        {"", false},
    };
    for (const Case& c : cases) {
        LoopRange range;
        std::string error;
        EXPECT_EQ(parseLoopRange(c.text, range, error), c.ok) << c.text;
        EXPECT_EQ(error.empty(), c.ok) << c.text;
        if (c.ok) {
            EXPECT_TRUE(range.given);
            EXPECT_EQ(range.inRows, c.inRows) << c.text;
            EXPECT_EQ(range.from, c.from) << c.text;
            EXPECT_EQ(range.to, c.to) << c.text;
        }
    }
}

// At 16.666666 rows a second: 12.5 s is row 208.3, 20 s row 333.3; 0.01 s and 0.05 s both fall
// on row 0, which still loops one row.
TEST(Transport, ALoopInSecondsTakesTheRowsItsTimesFallOn)
{
    Timeline timeline;
    loadContentTimeline(timeline);
    const LoopRows seconds = loopRowsOf({true, false, 12.5, 20.0}, timeline);
    EXPECT_EQ(seconds.first, 208u);
    EXPECT_EQ(seconds.end, 333u);
    const LoopRows tiny = loopRowsOf({true, false, 0.01, 0.05}, timeline);
    EXPECT_EQ(tiny.first, 0u);
    EXPECT_EQ(tiny.end, 1u);
    const LoopRows rows = loopRowsOf({true, true, 200, 456}, timeline);
    EXPECT_EQ(rows.first, 200u);
    EXPECT_EQ(rows.end, 456u);
}

}  // namespace
}  // namespace Nimbra
