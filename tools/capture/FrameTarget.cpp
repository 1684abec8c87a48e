#include "tools/capture/FrameTarget.h"

#include "tools/capture/PlainTextureDesc.h"

#include <cstring>

namespace Nimbra {

FrameTarget::FrameTarget(ID3D11Device* device, ID3D11DeviceContext* context, int32_t width, int32_t height)
    : context(context), width(width), height(height)
{
    // The swap chain's format, so the picture is quantised exactly as on screen.
    D3D11_TEXTURE2D_DESC desc = Gfx::plainTextureDesc(static_cast<UINT>(width), static_cast<UINT>(height),
                                                      DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_RENDER_TARGET);
    device->CreateTexture2D(&desc, nullptr, &texture);
    if (texture)
        device->CreateRenderTargetView(texture, nullptr, &renderTargetView);

    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    device->CreateTexture2D(&desc, nullptr, &staging);
}

FrameTarget::~FrameTarget()
{
    if (renderTargetView)
        renderTargetView->Release();
    if (staging)
        staging->Release();
    if (texture)
        texture->Release();
}

bool FrameTarget::read(std::vector<unsigned char>& rgba)
{
    if (!valid())
        return false;
    context->CopyResource(staging, texture);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (FAILED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped)))
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    rgba.resize(rowBytes * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(rgba.data() + rowBytes * y, static_cast<const unsigned char*>(mapped.pData) + mapped.RowPitch * y,
                    rowBytes);
    context->Unmap(staging, 0);
    return true;
}

}  // namespace Nimbra
