#pragma once
// Editing a curve's keys in place, as the editor does: keys stay in ascending row order, one key
// per row, and a key on a row that already has one replaces it.

#include "core/Curve.h"

#include <cstdint>

namespace Nimbra::Sync {

enum class SetKeyResult {
    Added,
    Replaced,
    Full,  // the key is new and the curve already holds `limit` keys: nothing changed
};

SetKeyResult setKey(Curve& curve, const Keyframe& key, uint32_t limit);

// False when the curve has no key on that row.
bool deleteKey(Curve& curve, uint32_t row);

}  // namespace Nimbra::Sync
