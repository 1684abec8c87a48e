#include "app/live/Transport.h"

#include "sync/Protocol.h"
#include "sync/Rows.h"

#include <cstdio>
#include <cstring>

namespace Nimbra {

namespace {

// Every key of the window, a line of the help each: Windows virtual-key codes (winuser.h),
// spelled out so that the decisions stay portable, and what the help says of them.
struct KeyLine {
    struct {
        uint32_t virtualKey;
        TransportKey key;
    } keys[2];
    const char* name;
    const char* does;
};

constexpr KeyLine keyLines[] = {
    {{{0x20, TransportKey::PlayPause}}, "Space", "pause / play"},  // VK_SPACE
    {{{0x25, TransportKey::Back}, {0x27, TransportKey::On}},
     "Left / Right",  // VK_LEFT, VK_RIGHT
     "a beat back / on (Shift: a bar)"},
    {{{0x21, TransportKey::PageBack}, {0x22, TransportKey::PageOn}},
     "PgUp / PgDn",  // VK_PRIOR, VK_NEXT
     "eight bars back / on"},
    {{{0x24, TransportKey::Start}}, "Home", "the start"},  // VK_HOME
    {{{0x4C, TransportKey::Loop}}, "L", "loop these eight bars (or --loop) / end the loop"},
    {{{0xBE, TransportKey::Step}, {0x6E, TransportKey::Step}}, ".", "one frame on (paused)"},  // the keypad's too
    {{{0x70, TransportKey::Help}}, "F1", "these keys"},
    {{{0x71, TransportKey::Overlay}}, "F2", "the overlay"},
    {{{0x1B, TransportKey::Quit}}, "Esc", "quit"},  // VK_ESCAPE
};

// The next grid line after `row`, and the last one before it (row 0 at the least).
uint32_t gridAfter(uint32_t row, uint32_t step)
{
    return (row / step + 1) * step;
}

uint32_t gridBefore(uint32_t row, uint32_t step)
{
    return row == 0 ? 0 : (row - 1) / step * step;
}

}  // namespace

TransportKey transportKeyFor(uint32_t virtualKey)
{
    for (const KeyLine& line : keyLines)
        for (const auto& key : line.keys)
            if (key.key != TransportKey::None && key.virtualKey == virtualKey)
                return key.key;
    return TransportKey::None;
}

const std::vector<std::string>& transportHelpLines()
{
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> made;
        for (const KeyLine& line : keyLines) {
            char text[96];
            std::snprintf(text, sizeof text, "%-15s%s", line.name, line.does);
            made.push_back(text);
        }
        return made;
    }();
    return lines;
}

std::string transportStatus(float seconds, uint32_t row, bool playing, bool looping, LoopRows loop, bool editor)
{
    char text[160];
    char loopText[48] = "no loop";
    if (looping)
        std::snprintf(loopText, sizeof loopText, "loop r%u:r%u", loop.first, loop.end);
    std::snprintf(text, sizeof text, "%.2f s  row %u  bar %u  %s  %s  %s", double(seconds), row, row / barRows,
                  playing ? "playing" : "paused", loopText, editor ? "editor connected" : "no editor");
    return text;
}

TransportMove transportMove(const KeyDown& key, const TransportState& state, const LoopRows* givenLoop)
{
    TransportMove move;
    const TransportKey what = transportKeyFor(key.virtualKey);
    const uint32_t shiftedStep = key.shift ? barRows : beatRows;
    switch (what) {
    case TransportKey::Back:
        move.seek = true;
        move.row = gridBefore(state.row, shiftedStep);
        break;
    case TransportKey::On:
        move.seek = true;
        move.row = gridAfter(state.row, shiftedStep);
        break;
    case TransportKey::PageBack:
        move.seek = true;
        move.row = gridBefore(state.row, pageRows);
        break;
    case TransportKey::PageOn:
        move.seek = true;
        move.row = gridAfter(state.row, pageRows);
        break;
    case TransportKey::Start:
        move.seek = true;
        move.row = 0;
        break;
    case TransportKey::Step: move.step = !state.playing; break;
    default: break;
    }
    if (key.repeat)
        return move;  // holding a toggle down does not flip it back and forth
    switch (what) {
    case TransportKey::PlayPause: move.togglePlaying = true; break;
    case TransportKey::Help: move.toggleHelp = true; break;
    case TransportKey::Overlay: move.toggleOverlay = true; break;
    case TransportKey::Quit: move.quit = true; break;
    case TransportKey::Loop:
        if (state.looping) {
            move.endLoop = true;
            break;
        }
        move.startLoop = true;
        move.loop = givenLoop ? *givenLoop
                              : LoopRows{state.row / pageRows * pageRows, state.row / pageRows * pageRows + pageRows};
        // A given range away from the music: the music goes to its start.
        move.seek = state.row < move.loop.first || state.row >= move.loop.end;
        move.row = move.loop.first;
        return move;
    default: break;
    }
    // While looping a move stays in the loop: past its end it goes round to the start, as
    // playing does, and before its start it stops there.
    if (move.seek && state.looping && (move.row >= state.loop.end || move.row < state.loop.first))
        move.row = state.loop.first;
    return move;
}

}  // namespace Nimbra
