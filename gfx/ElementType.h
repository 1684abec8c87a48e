#pragma once
// Element types of buffers filled from numbers.
#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum ElementType : int32_t {
    Int32 = 0,
    Float32 = 1,
    UInt8 = 2,
};

// Bytes per element: 4, 4 or 1; 0 for a type that is not loaded.
inline uint32_t elementSize(int32_t elementType)
{
    switch (elementType) {
    case Int32:
    case Float32: return 4;
    case UInt8: return 1;
    default: return 0;
    }
}

}  // namespace Gfx
}  // namespace Nimbra
