#pragma once
// The Direct3D 11 device the Windows tests share, installed as the GraphicsContext, and
// helpers to read GPU contents back.
#include "gfx/frame/GraphicsContext.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace Nimbra {
namespace Testing {

// Copies a 2D texture (mip 0) or a buffer to a staging resource and returns its bytes, rows
// packed without padding (bytesPerTexel per texel).
std::vector<uint8_t> readTexture(ID3D11Resource* texture, uint32_t bytesPerTexel);
std::vector<uint8_t> readBuffer(ID3D11Buffer* buffer);

// What the content's passes draw with, made on the shared device (null when it cannot be made;
// the caller releases them):
// a structured buffer of 4-byte elements holding `size` bytes of `data`, with its shader view;
ID3D11ShaderResourceView* createStructuredView(const void* data, UINT size, ID3D11Buffer** buffer);
// the constant buffer of the frame constants and the packed variables (864 bytes for the content);
ID3D11Buffer* createConstantBuffer(UINT size);
// a 16-bit float colour target with its render-target view;
ID3D11Texture2D* createColourTarget(UINT width, UINT height, ID3D11RenderTargetView** view);
// solid triangles, none culled, clipped in depth.
ID3D11RasterizerState* createUnculledRasterizer();

template <typename T>
std::vector<T> readBufferAs(ID3D11Buffer* buffer)
{
    const std::vector<uint8_t> bytes = readBuffer(buffer);
    std::vector<T> values(bytes.size() / sizeof(T));
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

}  // namespace Testing
}  // namespace Nimbra
