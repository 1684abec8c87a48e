#pragma once
// Times and rows of the editor's grid. The editor's rows are the curves' rows: rowsPerBeat per
// beat at the timeline's tempo (8 at 125 BPM, 16.666667 rows a second).

#include "core/Timeline.h"

#include <cstdint>

namespace Nimbra::Sync {

// The row the curves are evaluated on at `seconds`: rowsPerSecond x seconds in single precision,
// truncated, as evaluateCurve does. Times before row 0 give row 0.
uint32_t rowAt(const Timeline& timeline, float seconds);

// The earliest time whose row is `row` (by rowAt). Seeking there puts the curves on that row
// and not, by a rounding, on the row before. Far out, where one float step spans a row or
// more, it is the earliest time on or past the row.
float secondsForRow(const Timeline& timeline, uint32_t row);

}  // namespace Nimbra::Sync
