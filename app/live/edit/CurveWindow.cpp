#include "app/live/edit/CurveWindow.h"

#include <algorithm>
#include <cmath>

namespace Nimbra::Edit {

float xOfRow(const CurveWindow& window, double row)
{
    return float((row - window.firstRow) / window.rowSpan * double(window.width));
}

double rowAtX(const CurveWindow& window, float x)
{
    return window.firstRow + double(x) / double(window.width) * window.rowSpan;
}

float yOfValue(const CurveWindow& window, float value)
{
    return (window.high - value) / (window.high - window.low) * window.height;
}

float valueAtY(const CurveWindow& window, float y)
{
    return window.high - y / window.height * (window.high - window.low);
}

CurveWindow windowAround(double row, double rowSpan, float width, float height)
{
    CurveWindow window;
    window.rowSpan = std::clamp(rowSpan, minRowSpan, maxRowSpan);
    window.firstRow = row - window.rowSpan / 3.0;
    window.width = std::max(width, 1.0f);
    window.height = std::max(height, 1.0f);
    return window;
}

void fitValues(CurveWindow& window, const std::vector<float>& values)
{
    float low = INFINITY, high = -INFINITY;
    for (float value : values)
        if (std::isfinite(value)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    if (low > high) {
        window.low = -1.0f;
        window.high = 1.0f;
    } else if (low == high) {
        window.low = low - 1.0f;
        window.high = high + 1.0f;
    } else {
        const float margin = (high - low) / 10.0f;
        window.low = low - margin;
        window.high = high + margin;
    }
}

void zoomRows(CurveWindow& window, float notches, float x)
{
    const double kept = rowAtX(window, x);
    window.rowSpan = std::clamp(window.rowSpan * std::pow(1.25, -double(notches)), minRowSpan, maxRowSpan);
    window.firstRow = kept - double(x) / double(window.width) * window.rowSpan;
}

void pan(CurveWindow& window, float dx, float dy)
{
    window.firstRow -= double(dx) / double(window.width) * window.rowSpan;
    const float shift = dy / window.height * (window.high - window.low);
    window.low += shift;
    window.high += shift;
}

}  // namespace Nimbra::Edit
