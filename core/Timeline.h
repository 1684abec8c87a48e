#pragma once
// The curves of the presentation on a musical grid of rows, and the rule that evaluates them.

#include "core/Curve.h"
#include "core/GrowArray.h"

#include <cstdint>

namespace Nimbra {

namespace Gfx {
class DemoPlayer;
}

constexpr uint32_t timelineObjectCount = 29;

// The timeline owns its curves and their keys; at shutdown curves.release() frees them all.
struct Timeline {
    Gfx::DemoPlayer* player = nullptr;  // created by the content builder
    GrowArray<Curve> curves;            // curve i drives variable i
    float bpm = 120.0f;                 // the content sets its own tempo
    uint32_t rowsPerBeat = 8;
    // The resources and passes in creation order, kept by the content builder; never read.
    void* objects[timelineObjectCount] = {};
};

// rowsPerBeat x bpm / 60 in single precision: 16.666667 at 125 BPM and 8 rows per beat.
float rowsPerSecond(const Timeline& timeline);

// The value of curve `curveIndex` at `seconds`. The index is not checked. Before the first key
// (and for a curve without keys) the value is 0; from the last key on it is the last value.
float evaluateCurve(const Timeline& timeline, uint32_t curveIndex, float seconds);

}  // namespace Nimbra
