#pragma once
// The keys of the short curves, listed as they are.

#include <cstdint>

namespace Nimbra {

struct LiteralKey {
    uint32_t curve;
    uint32_t row;
    float value;
    int32_t interpolation;
};

extern const LiteralKey literalKeys[];
extern const uint32_t literalKeyCount;

}  // namespace Nimbra
