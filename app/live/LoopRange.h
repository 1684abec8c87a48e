#pragma once
// demo-sync's --loop FROM:TO: the rows a loop plays over and over, given in seconds or in rows.
#include "core/Timeline.h"

#include <cstdint>
#include <string>

namespace Nimbra {

// Rows [first, end) that play over and over.
struct LoopRows {
    uint32_t first = 0;
    uint32_t end = 0;
};

// --loop FROM:TO as given: in seconds (12.5:20) or in rows (r200:r456), FROM < TO.
struct LoopRange {
    bool given = false;
    bool inRows = false;
    double from = 0.0;
    double to = 0.0;
};

// False, with the reason, for anything but FROM:TO of one unit with 0 <= FROM < TO.
bool parseLoopRange(const char* text, LoopRange& range, std::string& error);

// The rows of `range` on the timeline's grid: a time counts on the row it falls on; the loop
// holds one row at least.
LoopRows loopRowsOf(const LoopRange& range, const Timeline& timeline);

}  // namespace Nimbra
