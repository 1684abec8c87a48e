#include "tools/capture/ReadBack.h"

#include <cstring>

namespace Nimbra {
namespace Gfx {

bool readBackBuffer(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Buffer* buffer,
                    std::vector<uint8_t>& bytes)
{
    if (buffer == nullptr)
        return false;
    D3D11_BUFFER_DESC desc = {};
    buffer->GetDesc(&desc);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    desc.StructureByteStride = 0;
    ID3D11Buffer* staging = nullptr;
    if (FAILED(device->CreateBuffer(&desc, nullptr, &staging)) || staging == nullptr)
        return false;
    context->CopyResource(staging, buffer);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    const bool ok = SUCCEEDED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped));
    if (ok) {
        const auto* data = static_cast<const uint8_t*>(mapped.pData);
        bytes.assign(data, data + desc.ByteWidth);
        context->Unmap(staging, 0);
    }
    staging->Release();
    return ok;
}

ID3D11Texture2D* createStagingTextureFor(ID3D11Device* device, ID3D11Texture2D* texture)
{
    if (texture == nullptr)
        return nullptr;
    D3D11_TEXTURE2D_DESC desc = {};
    texture->GetDesc(&desc);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    ID3D11Texture2D* staging = nullptr;
    if (FAILED(device->CreateTexture2D(&desc, nullptr, &staging)))
        return nullptr;
    return staging;
}

bool readBackTexture(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture2D* texture,
                     uint32_t bytesPerTexel, std::vector<uint8_t>& bytes)
{
    ID3D11Texture2D* staging = createStagingTextureFor(device, texture);
    if (staging == nullptr)
        return false;
    D3D11_TEXTURE2D_DESC desc = {};
    staging->GetDesc(&desc);
    context->CopySubresourceRegion(staging, 0, 0, 0, 0, texture, 0, nullptr);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    const bool ok = SUCCEEDED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped));
    if (ok) {
        const size_t rowBytes = size_t(desc.Width) * bytesPerTexel;
        bytes.resize(rowBytes * desc.Height);
        for (UINT row = 0; row < desc.Height; ++row)
            std::memcpy(&bytes[row * rowBytes], static_cast<const uint8_t*>(mapped.pData) + row * mapped.RowPitch,
                        rowBytes);
        context->Unmap(staging, 0);
    }
    staging->Release();
    return ok;
}

}  // namespace Gfx
}  // namespace Nimbra
