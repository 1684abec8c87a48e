#pragma once
// The Direct3D 11 device the Windows tests share, installed as the GraphicsContext, and
// helpers to read GPU contents back.
#include "app/GraphicsContext.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace Nimbra {
namespace Testing {

// Copies a 2D texture (mip 0) or a buffer to a staging resource and returns its bytes, rows
// packed without padding (bytesPerTexel per texel).
std::vector<uint8_t> readTexture(ID3D11Resource* texture, uint32_t bytesPerTexel);
std::vector<uint8_t> readBuffer(ID3D11Buffer* buffer);

template <typename T>
std::vector<T> readBufferAs(ID3D11Buffer* buffer)
{
    const std::vector<uint8_t> bytes = readBuffer(buffer);
    std::vector<T> values(bytes.size() / sizeof(T));
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

} // namespace Testing
} // namespace Nimbra
