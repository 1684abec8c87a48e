#pragma once
// The curve view's window onto rows and values: where a row and a value fall in the view's pixels
// and back, the values fitted to what the curves show, and the mouse's zoom and pan. Portable.
#include <cstdint>
#include <vector>

namespace Nimbra::Edit {

struct CurveWindow {
    double firstRow = 0.0;  // the row at the left edge
    double rowSpan = 64.0;  // rows across the view
    float low = -1.0f;      // the value at the bottom edge
    float high = 1.0f;      // and at the top
    float width = 1.0f;     // the view's pixels
    float height = 1.0f;
};

constexpr double minRowSpan = 8.0;
constexpr double maxRowSpan = 4096.0;

float xOfRow(const CurveWindow& window, double row);
double rowAtX(const CurveWindow& window, float x);
float yOfValue(const CurveWindow& window, float value);
float valueAtY(const CurveWindow& window, float y);

// The window `rowSpan` rows wide with `row` a third of the way in, so that the rows to come show
// more than the rows gone.
CurveWindow windowAround(double row, double rowSpan, float width, float height);

// Low and high from the values the curves show, a tenth of their range beyond each, or 1 either
// side of a flat curve's value; nothing shown leaves -1 to 1.
void fitValues(CurveWindow& window, const std::vector<float>& values);

// The wheel: `notches` up zoom in (the rows across shrink by 1.25 a notch, within min and max),
// with the row under `x` kept where it is.
void zoomRows(CurveWindow& window, float notches, float x);
// A drag of (dx, dy) pixels moves what the view shows with the mouse.
void pan(CurveWindow& window, float dx, float dy);

}  // namespace Nimbra::Edit
