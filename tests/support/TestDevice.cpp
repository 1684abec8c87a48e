#include "tests/support/TestDevice.h"

#include "gfx/EndProcess.h"
#include "gfx/GpuIdle.h"
#include "tools/capture/PlainTextureDesc.h"
#include "tools/capture/ReadBack.h"

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
    Gfx::readBackTexture(graphicsContext.device, graphicsContext.context, source, bytesPerTexel, bytes);
    source->Release();
    return bytes;
}

std::vector<uint8_t> readBuffer(ID3D11Buffer* buffer)
{
    std::vector<uint8_t> bytes;
    Gfx::readBackBuffer(graphicsContext.device, graphicsContext.context, buffer, bytes);
    return bytes;
}

ID3D11ShaderResourceView* createStructuredView(const void* data, UINT size, ID3D11Buffer** buffer)
{
    *buffer = nullptr;
    const D3D11_BUFFER_DESC desc = {
        size, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, D3D11_RESOURCE_MISC_BUFFER_STRUCTURED, 4};
    const D3D11_SUBRESOURCE_DATA init = {data, 0, 0};
    if (FAILED(graphicsContext.device->CreateBuffer(&desc, &init, buffer)))
        return nullptr;
    D3D11_SHADER_RESOURCE_VIEW_DESC view = {};
    view.Format = DXGI_FORMAT_UNKNOWN;
    view.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
    view.Buffer.NumElements = size / 4;
    ID3D11ShaderResourceView* made = nullptr;
    graphicsContext.device->CreateShaderResourceView(*buffer, &view, &made);
    return made;
}

ID3D11Buffer* createConstantBuffer(UINT size)
{
    const D3D11_BUFFER_DESC desc = {size, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
    ID3D11Buffer* buffer = nullptr;
    graphicsContext.device->CreateBuffer(&desc, nullptr, &buffer);
    return buffer;
}

ID3D11Texture2D* createColourTarget(UINT width, UINT height, ID3D11RenderTargetView** view)
{
    *view = nullptr;
    const D3D11_TEXTURE2D_DESC desc =
        Gfx::plainTextureDesc(width, height, DXGI_FORMAT_R16G16B16A16_FLOAT, D3D11_BIND_RENDER_TARGET);
    ID3D11Texture2D* texture = nullptr;
    if (SUCCEEDED(graphicsContext.device->CreateTexture2D(&desc, nullptr, &texture)))
        graphicsContext.device->CreateRenderTargetView(texture, nullptr, view);
    return texture;
}

ID3D11RasterizerState* createUnculledRasterizer()
{
    D3D11_RASTERIZER_DESC desc = {};
    desc.FillMode = D3D11_FILL_SOLID;
    desc.CullMode = D3D11_CULL_NONE;
    desc.DepthClipEnable = TRUE;
    ID3D11RasterizerState* state = nullptr;
    graphicsContext.device->CreateRasterizerState(&desc, &state);
    return state;
}

}  // namespace Testing
}  // namespace Nimbra

// One device for the whole program, installed before any test runs. Once the results are out,
// the process ends without tearing the driver down.
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
    Nimbra::Gfx::waitForGpuIdle(device, context, Nimbra::Gfx::gpuIdleLimitMs);
    Nimbra::Gfx::endWithoutDriverTeardown(static_cast<UINT>(result));
    return result;
}
