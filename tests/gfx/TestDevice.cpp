#include "tests/gfx/TestDevice.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace Nimbra {
namespace Testing {

std::vector<uint8_t> readTexture(ID3D11Resource* texture, uint32_t bytesPerTexel)
{
    std::vector<uint8_t> bytes;
    ID3D11Texture2D* source = nullptr;
    if (texture == nullptr ||
        FAILED(texture->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&source))))
        return bytes;
    D3D11_TEXTURE2D_DESC desc;
    source->GetDesc(&desc);
    desc.MipLevels = 1;
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    ID3D11Texture2D* staging = nullptr;
    graphicsContext.device->CreateTexture2D(&desc, nullptr, &staging);
    if (staging != nullptr) {
        ID3D11DeviceContext* context = graphicsContext.context;
        context->CopySubresourceRegion(staging, 0, 0, 0, 0, source, 0, nullptr);
        D3D11_MAPPED_SUBRESOURCE mapped;
        if (SUCCEEDED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
            const size_t rowBytes = size_t(desc.Width) * bytesPerTexel;
            bytes.resize(rowBytes * desc.Height);
            for (UINT row = 0; row < desc.Height; ++row)
                std::memcpy(&bytes[row * rowBytes], static_cast<uint8_t*>(mapped.pData) + row * mapped.RowPitch,
                            rowBytes);
            context->Unmap(staging, 0);
        }
        staging->Release();
    }
    source->Release();
    return bytes;
}

std::vector<uint8_t> readBuffer(ID3D11Buffer* buffer)
{
    std::vector<uint8_t> bytes;
    if (buffer == nullptr)
        return bytes;
    D3D11_BUFFER_DESC desc;
    buffer->GetDesc(&desc);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    desc.StructureByteStride = 0;
    ID3D11Buffer* staging = nullptr;
    graphicsContext.device->CreateBuffer(&desc, nullptr, &staging);
    if (staging == nullptr)
        return bytes;
    ID3D11DeviceContext* context = graphicsContext.context;
    context->CopyResource(staging, buffer);
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (SUCCEEDED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
        bytes.assign(static_cast<uint8_t*>(mapped.pData), static_cast<uint8_t*>(mapped.pData) + desc.ByteWidth);
        context->Unmap(staging, 0);
    }
    staging->Release();
    return bytes;
}

} // namespace Testing
} // namespace Nimbra

// One device for the whole program, installed before any test runs. The process ends with
// ExitProcess so that no Direct3D object outlives the runtime at exit.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    const HRESULT created = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1,
                                              D3D11_SDK_VERSION, &device, nullptr, &context);
    if (FAILED(created) || device == nullptr) {
        std::fprintf(stderr, "No Direct3D 11 device (0x%08lx)\n", static_cast<unsigned long>(created));
        ExitProcess(1);
    }
    const Nimbra::ContextBuffer zeroHeader = {};
    Nimbra::installGraphicsContext(zeroHeader, device, context);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    ExitProcess(static_cast<UINT>(result));
}
