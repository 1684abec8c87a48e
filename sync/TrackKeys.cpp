#include "sync/TrackKeys.h"

#include <cstring>

namespace Nimbra::Sync {

namespace {

// Index of the first key whose row is not below `row` (the count when there is none).
uint32_t lowerBound(const GrowArray<Keyframe>& keys, uint32_t row)
{
    uint32_t low = 0;
    uint32_t high = keys.count;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        if (keys[middle].row < row)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

}  // namespace

SetKeyResult setKey(Curve& curve, const Keyframe& key, uint32_t limit)
{
    GrowArray<Keyframe>& keys = curve.keys;
    const uint32_t at = lowerBound(keys, key.row);
    if (at < keys.count && keys[at].row == key.row) {
        keys[at] = key;
        return SetKeyResult::Replaced;
    }
    if (keys.count >= limit)
        return SetKeyResult::Full;
    // Append, then open a gap at `at` by moving the later keys up one place.
    keys.push(key);
    const uint32_t later = keys.count - 1 - at;
    if (later > 0) {
        std::memmove(keys.data + at + 1, keys.data + at, sizeof(Keyframe) * later);
        keys[at] = key;
    }
    return SetKeyResult::Added;
}

bool deleteKey(Curve& curve, uint32_t row)
{
    GrowArray<Keyframe>& keys = curve.keys;
    const uint32_t at = lowerBound(keys, row);
    if (at >= keys.count || keys[at].row != row)
        return false;
    const uint32_t later = keys.count - 1 - at;
    if (later > 0)
        std::memmove(keys.data + at, keys.data + at + 1, sizeof(Keyframe) * later);
    --keys.count;  // keyframes are plain records: nothing to destroy
    return true;
}

}  // namespace Nimbra::Sync
