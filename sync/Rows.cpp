#include "sync/Rows.h"

#include <cmath>

namespace Nimbra::Sync {

uint32_t rowAt(const Timeline& timeline, float seconds)
{
    const float exactRow = rowsPerSecond(timeline) * seconds;
    if (!(exactRow > 0.0f))
        return 0;
    return exactRow >= 4294967040.0f ? 0xFFFFFFFFu : uint32_t(exactRow);
}

float secondsForRow(const Timeline& timeline, uint32_t row)
{
    // row / rps lands on the row or a hair before it (0.06 s x 16.666667 is 0.99999994): step
    // to the first float on the row, then back while the float before is still on it.
    // A few steps suffice; the bound keeps a timeline without a tempo from looping.
    const float rps = rowsPerSecond(timeline);
    if (!(rps > 0.0f) || row == 0)
        return 0.0f;
    float seconds = float(row) / rps;
    for (int step = 0; step < 64 && rowAt(timeline, seconds) < row; ++step)
        seconds = std::nextafter(seconds, INFINITY);
    for (int step = 0; step < 64 && rowAt(timeline, std::nextafter(seconds, 0.0f)) >= row; ++step)
        seconds = std::nextafter(seconds, 0.0f);
    return seconds;
}

}  // namespace Nimbra::Sync
