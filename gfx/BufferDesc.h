#pragma once
// What a BufferRuntime is made from.
#include <cstdint>

namespace Nimbra {
namespace Gfx {

struct BufferDesc {
    bool constantBuffer = false;  // false: a structured buffer with SRV and UAV
    int32_t stride = 4;           // bytes per element
    int32_t countX = 1;           // the element count is countX * countY * countZ
    int32_t countY = 1;
    int32_t countZ = 1;
    const void* initialData = nullptr;  // contents of the first buffer; not owned
};

}  // namespace Gfx
}  // namespace Nimbra
