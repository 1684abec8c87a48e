#pragma once
// The long curves follow the music's rhythm: pulses on a grid of 128-row blocks of four
// 32-row bars. Each function appends one curve's keys in row order.

#include "core/Curve.h"
#include "core/GrowArray.h"

namespace Nimbra {

// The three rotation speeds share one pattern and differ in their values.
struct RotationSpeedPattern {
    float firstValue;     // the key at row 0
    float base;           // the value between pulses
    float pulseInBlock1;  // pulse value in the block from row 128
    float pulseInBlock2;  // pulse value in the block from row 256
    float pulseLater;     // pulse value from row 384 on
    uint32_t movedFrom;   // a pulse moved off the grid (0 when none)
    uint32_t movedTo;
};

extern const RotationSpeedPattern rotationSpeedX;
extern const RotationSpeedPattern rotationSpeedY;
extern const RotationSpeedPattern rotationSpeedZ;

void appendRotationSpeedKeys(GrowArray<Keyframe>& keys, const RotationSpeedPattern& pattern);
void appendInterlaceKeys(GrowArray<Keyframe>& keys);
void appendGlitchKeys(GrowArray<Keyframe>& keys);
void appendBrightnessKeys(GrowArray<Keyframe>& keys);             // BRUS
void appendStrobeKeys(GrowArray<Keyframe>& keys, bool negative);  // POST, and NEGT with negative
void appendLayer4FrameKeys(GrowArray<Keyframe>& keys);

// The scroller layer's offsets: one value before the layer enters, then a linear sweep from
// `sweepFrom` to `sweepTo` over each of its seven passages.
void appendLayerSweepKeys(GrowArray<Keyframe>& keys, float before, float sweepFrom, float sweepTo);

}  // namespace Nimbra
