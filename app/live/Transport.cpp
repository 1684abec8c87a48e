#include "app/live/Transport.h"

#include "sync/Protocol.h"
#include "sync/Rows.h"

#include <cstring>

namespace Nimbra {

namespace {

// Windows virtual-key codes (winuser.h), spelled out so that the decisions stay portable.
struct KeyName {
    uint32_t virtualKey;
    TransportKey key;
};

constexpr KeyName transportKeys[] = {
    {0x20, TransportKey::PlayPause},  // VK_SPACE
    {0x25, TransportKey::Back},       // VK_LEFT
    {0x27, TransportKey::On},         // VK_RIGHT
    {0x21, TransportKey::PageBack},   // VK_PRIOR (Page Up)
    {0x22, TransportKey::PageOn},     // VK_NEXT (Page Down)
    {0x24, TransportKey::Start},      // VK_HOME
    {0x4C, TransportKey::Loop},       // 'L'
    {0xBE, TransportKey::Step},       // VK_OEM_PERIOD
    {0x6E, TransportKey::Step},       // VK_DECIMAL, the keypad's
    {0x70, TransportKey::Help},       // VK_F1
    {0x71, TransportKey::Overlay},    // VK_F2
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
    for (const KeyName& name : transportKeys)
        if (name.virtualKey == virtualKey)
            return name.key;
    return TransportKey::None;
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
