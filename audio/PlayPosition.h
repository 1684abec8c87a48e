#pragma once
// What the device answers when asked how far it has played, and the rule that turns the
// answers into a clock that never falls back: a query that fails (the device is gone, say the
// last one was unplugged), that answers in another unit than bytes, or whose count lies below
// the last good one (the system moved the stream to another device, whose count began anew)
// keeps the last good count.
#include <cstdint>

namespace Nimbra {

struct PlayPositionReading {
    bool answered = false;  // the query succeeded
    bool inBytes = false;   // and counted in bytes: a device may answer in another unit instead
    uint32_t bytes = 0;     // the count, meaningful only when both hold
};

// The position to use after `reading`, when `lastGood` is the count of the last good reading.
uint32_t keptPlayPosition(uint32_t lastGood, const PlayPositionReading& reading);

}  // namespace Nimbra
