#include "app/live/Transport.h"

#include "sync/Protocol.h"
#include "sync/Rows.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Nimbra {

namespace {

// Windows virtual-key codes (winuser.h), spelled out so that the decisions stay portable.
struct KeyName
{
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

// One end of FROM:TO: seconds, or rows after an `r`.
bool parseLoopEnd(const char* begin, const char* end, bool& inRows, double& value)
{
    inRows = begin < end && *begin == 'r';
    if (inRows)
        ++begin;
    if (begin == end || !(std::isdigit((unsigned char)*begin)))
        return false;
    const std::string text(begin, end);
    char* stop = nullptr;
    errno = 0;
    if (inRows) {
        const unsigned long long rows = std::strtoull(text.c_str(), &stop, 10);
        value = double(rows);
        return *stop == '\0' && errno == 0 && rows <= Sync::maxRow;
    }
    value = std::strtod(text.c_str(), &stop);
    return *stop == '\0' && errno == 0 && std::isfinite(value);
}

}  // namespace

TransportKey transportKeyFor(uint32_t virtualKey)
{
    for (const KeyName& name : transportKeys)
        if (name.virtualKey == virtualKey)
            return name.key;
    return TransportKey::None;
}

bool parseLoopRange(const char* text, LoopRange& range, std::string& error)
{
    const char* colon = std::strchr(text, ':');
    const char* end = text + std::strlen(text);
    bool fromRows = false;
    bool toRows = false;
    double from = 0.0;
    double to = 0.0;
    if (!colon || !parseLoopEnd(text, colon, fromRows, from) || !parseLoopEnd(colon + 1, end, toRows, to) ||
        fromRows != toRows) {
        error = std::string("--loop wants FROM:TO in seconds (12.5:20) or in rows (r200:r456), not ") + text;
        return false;
    }
    if (from >= to) {
        error = std::string("--loop ") + text + ": the loop must end after it starts";
        return false;
    }
    range = {true, fromRows, from, to};
    return true;
}

LoopRows loopRowsOf(const LoopRange& range, const Timeline& timeline)
{
    LoopRows rows;
    if (range.inRows) {
        rows.first = uint32_t(range.from);
        rows.end = uint32_t(range.to);
    } else {
        rows.first = Sync::rowAt(timeline, float(range.from));
        rows.end = Sync::rowAt(timeline, float(range.to));
    }
    if (rows.end <= rows.first)
        rows.end = rows.first + 1;
    return rows;
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
    case TransportKey::Step:
        move.step = !state.playing;
        break;
    default:
        break;
    }
    if (key.repeat)
        return move;  // holding a toggle down does not flip it back and forth
    switch (what) {
    case TransportKey::PlayPause:
        move.togglePlaying = true;
        break;
    case TransportKey::Help:
        move.toggleHelp = true;
        break;
    case TransportKey::Overlay:
        move.toggleOverlay = true;
        break;
    case TransportKey::Loop:
        if (state.looping) {
            move.endLoop = true;
            break;
        }
        move.startLoop = true;
        move.loop = givenLoop ? *givenLoop : LoopRows{state.row / pageRows * pageRows,
                                                      state.row / pageRows * pageRows + pageRows};
        // A given range away from the music: the music goes to its start.
        move.seek = state.row < move.loop.first || state.row >= move.loop.end;
        move.row = move.loop.first;
        return move;
    default:
        break;
    }
    // While looping a move stays in the loop: past its end it goes round to the start, as
    // playing does, and before its start it stops there.
    if (move.seek && state.looping && (move.row >= state.loop.end || move.row < state.loop.first))
        move.row = state.loop.first;
    return move;
}

}  // namespace Nimbra
