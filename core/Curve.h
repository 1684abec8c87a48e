#pragma once
// Keyframes on the row grid and the curve that holds them.

#include "core/GrowArray.h"

#include <cstdint>

namespace Nimbra {

// How a segment runs from its key to the next one. Codes outside 0..4 behave as Step.
enum class KeyInterpolation : int32_t {
    Step = 0,
    Linear = 1,
    Smooth = 2,
    Quadratic = 3,
    Quartic = 4,
};

// The key types there are, Step to Quartic: the editor link and files accept no other code.
constexpr int32_t keyInterpolationCount = 5;

struct Keyframe {
    uint32_t row;           // position on the row grid
    float value;            // value at that row
    int32_t interpolation;  // KeyInterpolation code of the segment that starts here
};

static_assert(sizeof(Keyframe) == 12, "Keyframe is a 12-byte record");

constexpr uint32_t curveNameSize = 256;

// Keys must be pushed in ascending row order. The name is never read: curve i drives
// variable i.
struct Curve {
    char name[curveNameSize] = {};
    GrowArray<Keyframe> keys;
};

static_assert(sizeof(Curve) == 280, "Curve is a 280-byte record");

}  // namespace Nimbra
