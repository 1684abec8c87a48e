#pragma once
// The sync editor's wire protocol (GNU Rocket): TCP, every integer an unsigned 32-bit big-endian
// number. The demo connects, greets, asks for its tracks by name, and the editor numbers them
// 0, 1, 2... in the order they were asked for.

#include "core/Curve.h"

#include <cstddef>
#include <cstdint>

namespace Nimbra::Sync {

constexpr char demoGreeting[] = "hello, synctracker!";  // demo -> editor, first bytes on the wire
constexpr char editorGreeting[] = "hello, demo!";       // editor -> demo, the answer
constexpr size_t demoGreetingSize = sizeof(demoGreeting) - 1;
constexpr size_t editorGreetingSize = sizeof(editorGreeting) - 1;

constexpr uint16_t defaultEditorPort = 1338;

// Command bytes. GET_TRACK goes from the demo to the editor, SET_ROW both ways, the rest from
// the editor to the demo.
enum class Command : uint8_t {
    SetKey = 0,      // track, row, value bits, one byte key type
    DeleteKey = 1,   // track, row
    GetTrack = 2,    // name length, name bytes
    SetRow = 3,      // row
    Pause = 4,       // one byte: 1 paused, 0 playing
    SaveTracks = 5,  // no data
};

// Rows beyond this are refused, and so is "below 0", which arrives as a huge number.
constexpr uint32_t maxRow = 1u << 24;
// A track never holds more keys than this.
constexpr uint32_t maxTrackKeys = 65536;
// Key types the editor may send: Step, Linear, Smooth, Ramp (our Quadratic), and our Quartic.
constexpr uint8_t maxKeyType = uint8_t(keyInterpolationCount - 1);

// The longest editor message: SET_KEY, 1 + 4 + 4 + 4 + 1 bytes.
constexpr size_t maxEditorMessageSize = 14;
constexpr size_t setRowMessageSize = 5;

inline void putU32(uint8_t* out, uint32_t value)
{
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

inline uint32_t getU32(const uint8_t* in)
{
    return uint32_t(in[0]) << 24 | uint32_t(in[1]) << 16 | uint32_t(in[2]) << 8 | uint32_t(in[3]);
}

}  // namespace Nimbra::Sync
