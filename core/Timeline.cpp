#include "core/Timeline.h"

namespace Nimbra {

float rowsPerSecond(const Timeline& timeline)
{
    return float(timeline.rowsPerBeat) * timeline.bpm / 60.0f;
}

namespace {

float segmentWeight(int32_t interpolation, float u)
{
    switch (static_cast<KeyInterpolation>(interpolation)) {
    case KeyInterpolation::Linear: return u;
    case KeyInterpolation::Smooth: return (3.0f - (u + u)) * (u * u);
    case KeyInterpolation::Quadratic: return u * u;
    case KeyInterpolation::Quartic: return (u * u) * (u * u);
    default: return 0.0f;
    }
}

bool interpolates(int32_t interpolation)
{
    return interpolation >= static_cast<int32_t>(KeyInterpolation::Linear) && interpolation < keyInterpolationCount;
}

}  // namespace

float evaluateCurve(const Timeline& timeline, uint32_t curveIndex, float seconds)
{
    const float rps = rowsPerSecond(timeline);
    const float exactRow = rps * seconds;
    // Times before row 0 (and NaN) lie before every key. Between -1 and 0 rows the row
    // truncates to 0, as the clock can read a hair under a key's time.
    if (!(exactRow > -1.0f))
        return 0.0f;
    const uint32_t row = exactRow >= 4294967040.0f ? 0xFFFFFFFFu : uint32_t(exactRow);

    const GrowArray<Keyframe>& keys = timeline.curves.at(curveIndex)->keys;
    const Keyframe* prev = nullptr;
    const Keyframe* next = nullptr;
    for (const Keyframe& key : keys) {
        if (key.row > row) {
            next = &key;
            break;
        }
        prev = &key;
    }
    if (!prev)
        return 0.0f;
    if (!interpolates(prev->interpolation))
        return prev->value;

    // Keys sit 1 ms after their row's time; u is not clamped, so in that first millisecond
    // it runs slightly negative.
    const Keyframe* other = next ? next : prev;
    const float t0 = float(prev->row) / rps + 0.001f;
    const float t1 = float(other->row) / rps + 0.001f;
    const float u = t1 > t0 ? (seconds - t0) / (t1 - t0) : 0.0f;
    const float w = segmentWeight(prev->interpolation, u);
    return (1.0f - w) * prev->value + w * other->value;
}

}  // namespace Nimbra
