#include "gfx/BufferRuntime.h"

#include "gfx/frame/GraphicsContext.h"

namespace Nimbra {
namespace Gfx {

uint32_t bufferByteWidth(int32_t stride, int32_t countX, int32_t countY, int32_t countZ)
{
    if (stride < 0 || countX < 0 || countY < 0 || countZ < 0)
        return 0;
    // Stop as soon as the size leaves 32 bits, long before 64-bit arithmetic could wrap.
    const int32_t counts[3] = {countX, countY, countZ};
    uint64_t bytes = static_cast<uint64_t>(stride);
    for (int32_t count : counts) {
        bytes *= static_cast<uint64_t>(count);
        if (bytes > UINT32_MAX)
            return 0;
    }
    bytes = (bytes + 15) / 16 * 16;
    return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

bool BufferRuntime::create(const BufferDesc& desc, bool doubleBuffered_)
{
    constantBuffer = desc.constantBuffer;
    stride = desc.stride;
    countX = desc.countX;
    countY = desc.countY;
    countZ = desc.countZ;
    initialData = desc.initialData;
    doubleBuffered = doubleBuffered_;
    return createGpuObjects();
}

bool BufferRuntime::create(const void* desc, bool doubleBuffered_)
{
    return create(*static_cast<const BufferDesc*>(desc), doubleBuffered_);
}

bool BufferRuntime::createGpuObjects()
{
    ID3D11Device* device = graphicsContext.device;
    const UINT elements = static_cast<UINT>(countX) * static_cast<UINT>(countY) * static_cast<UINT>(countZ);

    D3D11_BUFFER_DESC desc = {};
    desc.ByteWidth = bufferByteWidth(stride, countX, countY, countZ);
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags =
        constantBuffer ? D3D11_BIND_CONSTANT_BUFFER : D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS;
    desc.MiscFlags = constantBuffer ? 0u : UINT(D3D11_RESOURCE_MISC_BUFFER_STRUCTURED);
    desc.StructureByteStride = static_cast<UINT>(stride);

    D3D11_SUBRESOURCE_DATA contents = {};
    contents.pSysMem = initialData;
    device->CreateBuffer(&desc, initialData != nullptr ? &contents : nullptr, &buffer[0]);
    if (constantBuffer)
        return true;

    D3D11_SHADER_RESOURCE_VIEW_DESC srvDesc = {};
    srvDesc.Format = DXGI_FORMAT_UNKNOWN;
    srvDesc.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
    srvDesc.Buffer.FirstElement = 0;
    srvDesc.Buffer.NumElements = elements;
    D3D11_UNORDERED_ACCESS_VIEW_DESC uavDesc = {};
    uavDesc.Format = DXGI_FORMAT_UNKNOWN;
    uavDesc.ViewDimension = D3D11_UAV_DIMENSION_BUFFER;
    uavDesc.Buffer.FirstElement = 0;
    uavDesc.Buffer.NumElements = elements;
    uavDesc.Buffer.Flags = 0;

    const int sides = doubleBuffered ? 2 : 1;
    for (int i = 0; i < sides; ++i) {
        // Only the first buffer starts with the initial data; the second is written by a pass.
        if (i == 1)
            device->CreateBuffer(&desc, nullptr, &buffer[1]);
        if (buffer[i] == nullptr)
            continue;
        device->CreateShaderResourceView(buffer[i], &srvDesc, &srvs[i]);
        device->CreateUnorderedAccessView(buffer[i], &uavDesc, &uavs[i]);
    }
    return true;
}

bool BufferRuntime::release()
{
    releaseAndClear(buffer[0]);
    releaseAndClear(buffer[1]);
    // The views hold the buffers alive; dropping them too lets the memory go.
    releaseAndClear(uavs[0]);
    releaseAndClear(srvs[0]);
    releaseAndClear(uavs[1]);
    releaseAndClear(srvs[1]);
    return true;
}

ID3D11Resource* BufferRuntime::resource(bool readSide)
{
    return buffer[side(readSide)];
}

ID3D11UnorderedAccessView* BufferRuntime::uav(bool readSide)
{
    return uavs[side(readSide)];
}

ID3D11ShaderResourceView* BufferRuntime::srv(bool readSide)
{
    return srvs[side(readSide)];
}

ID3D11RenderTargetView* BufferRuntime::rtv(bool)
{
    return nullptr;
}

ID3D11DepthStencilView* BufferRuntime::dsv()
{
    return nullptr;
}

}  // namespace Gfx
}  // namespace Nimbra
