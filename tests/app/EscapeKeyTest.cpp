// demo.exe's Escape against a model of the session's key state as GetAsyncKeyState's page
// describes it: bit 15 while the key is down, bit 0 once it was pressed since the previous query,
// cleared by that query.
#include "app/EscapeKey.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

struct SessionKey {
    bool down = false;
    bool pressedSince = false;
    int queries = 0;
};
SessionKey escapeKey;

int16_t readSessionKey()
{
    ++escapeKey.queries;
    const uint16_t state = (escapeKey.down ? 0x8000 : 0) | (escapeKey.pressedSince ? 1 : 0);
    escapeKey.pressedSince = false;
    return int16_t(state);
}

void press()
{
    escapeKey.down = true;
    escapeKey.pressedSince = true;
}

// The turn (1 for the first) in which Escape ended the run, or 0 when `turns` went by; `between`
// changes the key before the turn it is given.
int endingTurn(int turns, void (*between)(int turn), KeyStateReader read = readSessionKey)
{
    EscapeWatch escape(read);
    for (int turn = 1; turn <= turns; ++turn) {
        between(turn);
        if (escape.pressed())
            return turn;
    }
    return 0;
}

TEST(EscapeKey, APressFromBeforeTheStartEndsNothing)
{
    // Escape went down and up in another program before the start: only bit 0 is left.
    escapeKey = {false, true, 0};
    EXPECT_EQ(endingTurn(5, [](int) {}), 0);
    EXPECT_EQ(escapeKey.queries, 5);
}

TEST(EscapeKey, TheKeyDownOrPressedDuringTheRunEndsIt)
{
    const struct {
        const char* what;
        void (*between)(int turn);
        int endingTurn;
    } cases[] = {
        // Still held when the show starts: down is down, in the first turn too.
        {"held at the start", [](int) { escapeKey.down = true; }, 1},
        {"held from the third turn", [](int turn) { escapeKey.down = turn >= 3; }, 3},
        // Down and up again between two queries: bit 0 alone, after the first turn.
        {"tapped before the fourth turn",
         [](int turn) {
             if (turn == 4) {
                 press();
                 escapeKey.down = false;
             }
         },
         4},
    };
    for (const auto& c : cases) {
        escapeKey = {};
        EXPECT_EQ(endingTurn(6, c.between), c.endingTurn) << c.what;
    }
}

TEST(EscapeKey, WithoutAReaderOnlyTheWindowEndsTheRun)
{
    escapeKey = {true, true, 0};
    EXPECT_EQ(endingTurn(
                  3, [](int) {}, nullptr),
              0);
    EXPECT_EQ(escapeKey.queries, 0);
}

TEST(EscapeKey, TheFirstTurnTakesOnlyTheDownBit)
{
    // Reserved bits aside, each answer in each kind of turn: 0x8001 is negative as a SHORT.
    EXPECT_FALSE(escapeEndsRun(0, true));
    EXPECT_FALSE(escapeEndsRun(1, true));
    EXPECT_TRUE(escapeEndsRun(int16_t(0x8000), true));
    EXPECT_TRUE(escapeEndsRun(int16_t(0x8001), true));
    EXPECT_FALSE(escapeEndsRun(0, false));
    EXPECT_TRUE(escapeEndsRun(1, false));
    EXPECT_TRUE(escapeEndsRun(int16_t(0x8000), false));
}

}  // namespace
}  // namespace Nimbra
