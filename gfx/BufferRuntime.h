#pragma once
// A constant buffer, or a structured buffer with shader-resource and unordered-access views.
#include "gfx/BufferDesc.h"
#include "gfx/Resource.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

// n * stride rounded up to a multiple of 16; 0 when that does not fit in 32 bits (or a count
// is negative), which Direct3D then refuses.
uint32_t bufferByteWidth(int32_t stride, int32_t countX, int32_t countY, int32_t countZ);

class BufferRuntime : public Resource
{
public:
    BufferRuntime() = default;

    bool create(const BufferDesc& desc, bool doubleBuffered);

    bool create(const void* desc, bool doubleBuffered) override;
    bool createGpuObjects() override;
    bool release() override;
    ID3D11Resource* resource(bool readSide) override;
    ID3D11UnorderedAccessView* uav(bool readSide) override;
    ID3D11ShaderResourceView* srv(bool readSide) override;
    ID3D11RenderTargetView* rtv(bool readSide) override;
    ID3D11DepthStencilView* dsv() override;

    bool constantBuffer = false;
    int32_t stride = 4;
    int32_t countX = 1;
    int32_t countY = 1;
    int32_t countZ = 1;
    const void* initialData = nullptr;  // contents of buffer[0]; not owned
    ID3D11Buffer* buffer[2] = {};       // [1] only when double-buffered and structured
    ID3D11UnorderedAccessView* uavs[2] = {};
    ID3D11ShaderResourceView* srvs[2] = {};
};

}  // namespace Gfx
}  // namespace Nimbra
