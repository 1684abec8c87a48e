#include <gtest/gtest.h>

#include <d3d11.h>

#include "tools/capture/PlainTextureDesc.h"
#include "gfx/Resource.h"
#include "gfx/shaders/PresentShaders.h"
#include "tests/support/TestDevice.h"

#include <cstring>
#include <vector>

namespace {

using Nimbra::Gfx::releaseAndClear;

// The final copy pass's two programs, built from the embedded bytecode on the tests' shared
// device.
class PresentShaders : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        device = Nimbra::graphicsContext.device;
        context = Nimbra::graphicsContext.context;
        vertexResult = device->CreateVertexShader(presentVS, presentVSSize, nullptr, &vertexShader);
        pixelResult = device->CreatePixelShader(presentPS, presentPSSize, nullptr, &pixelShader);
    }

    static void TearDownTestSuite()
    {
        releaseAndClear(pixelShader);
        releaseAndClear(vertexShader);
    }

    static ID3D11SamplerState* sampler(D3D11_FILTER filter)
    {
        D3D11_SAMPLER_DESC desc = {};
        desc.Filter = filter;
        desc.AddressU = desc.AddressV = desc.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
        desc.MaxLOD = D3D11_FLOAT32_MAX;
        ID3D11SamplerState* state = nullptr;
        device->CreateSamplerState(&desc, &state);
        return state;
    }

    // Draws three vertices with the present programs from a source texture into a target of
    // the given size (first cleared to a marker colour) and reads the target back.
    static std::vector<uint32_t> present(const std::vector<uint32_t>& texels, UINT srcW, UINT srcH, UINT dstW,
                                         UINT dstH)
    {
        D3D11_TEXTURE2D_DESC desc =
            Nimbra::Gfx::plainTextureDesc(srcW, srcH, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE);
        D3D11_SUBRESOURCE_DATA data = {texels.data(), srcW * 4, 0};
        ID3D11Texture2D* source = nullptr;
        device->CreateTexture2D(&desc, &data, &source);
        ID3D11ShaderResourceView* sourceView = nullptr;
        device->CreateShaderResourceView(source, nullptr, &sourceView);

        desc.Width = dstW;
        desc.Height = dstH;
        desc.BindFlags = D3D11_BIND_RENDER_TARGET;
        ID3D11Texture2D* target = nullptr;
        device->CreateTexture2D(&desc, nullptr, &target);
        ID3D11RenderTargetView* targetView = nullptr;
        device->CreateRenderTargetView(target, nullptr, &targetView);

        // Only s3 samples by point; a linear sampler everywhere else would blend the texels
        // if the program read the wrong slot.
        ID3D11SamplerState* linear = sampler(D3D11_FILTER_MIN_MAG_MIP_LINEAR);
        ID3D11SamplerState* point = sampler(D3D11_FILTER_MIN_MAG_MIP_POINT);
        ID3D11SamplerState* samplers[6] = {linear, linear, linear, point, linear, linear};

        std::vector<uint32_t> pixels;
        if (source && sourceView && target && targetView && linear && point) {
            // The shared samplers are put back afterwards.
            ID3D11SamplerState* shared[6] = {};
            context->PSGetSamplers(0, 6, shared);
            const float marker[4] = {1.0f, 0.0f, 1.0f, 0.0f};
            context->ClearRenderTargetView(targetView, marker);
            context->OMSetRenderTargets(1, &targetView, nullptr);
            D3D11_VIEWPORT viewport = {0.0f, 0.0f, (float)dstW, (float)dstH, 0.0f, 1.0f};
            context->RSSetViewports(1, &viewport);
            context->IASetInputLayout(nullptr);
            context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
            context->VSSetShader(vertexShader, nullptr, 0);
            context->PSSetShader(pixelShader, nullptr, 0);
            context->PSSetShaderResources(0, 1, &sourceView);
            context->PSSetSamplers(0, 6, samplers);
            context->Draw(3, 0);
            const std::vector<uint8_t> bytes = Nimbra::Testing::readTexture(target, 4);
            pixels.resize(bytes.size() / 4);
            if (!pixels.empty())
                std::memcpy(pixels.data(), bytes.data(), bytes.size());
            ID3D11ShaderResourceView* noView = nullptr;
            context->PSSetShaderResources(0, 1, &noView);
            context->OMSetRenderTargets(0, nullptr, nullptr);
            context->VSSetShader(nullptr, nullptr, 0);
            context->PSSetShader(nullptr, nullptr, 0);
            context->PSSetSamplers(0, 6, shared);
            for (ID3D11SamplerState*& state : shared)
                releaseAndClear(state);
        }
        releaseAndClear(point);
        releaseAndClear(linear);
        releaseAndClear(targetView);
        releaseAndClear(target);
        releaseAndClear(sourceView);
        releaseAndClear(source);
        return pixels;
    }

    // Distinct, fully opaque texels (bytes R, G, B, A in memory order).
    static std::vector<uint32_t> pattern(UINT w, UINT h)
    {
        std::vector<uint32_t> texels;
        for (UINT i = 0; i < w * h; ++i)
            texels.push_back(0xFF000000u | ((i * 37u) & 0xFF) << 16 | (255 - i * 16) << 8 | (i * 16));
        return texels;
    }

    static ID3D11Device* device;
    static ID3D11DeviceContext* context;
    static ID3D11VertexShader* vertexShader;
    static ID3D11PixelShader* pixelShader;
    static HRESULT vertexResult;
    static HRESULT pixelResult;
};

ID3D11Device* PresentShaders::device = nullptr;
ID3D11DeviceContext* PresentShaders::context = nullptr;
ID3D11VertexShader* PresentShaders::vertexShader = nullptr;
ID3D11PixelShader* PresentShaders::pixelShader = nullptr;
HRESULT PresentShaders::vertexResult = E_FAIL;
HRESULT PresentShaders::pixelResult = E_FAIL;

TEST_F(PresentShaders, DeviceAcceptsBothPrograms)
{
    ASSERT_NE(device, nullptr);
    EXPECT_GT(presentVSSize, 0u);
    EXPECT_GT(presentPSSize, 0u);
    EXPECT_EQ(vertexResult, S_OK);
    EXPECT_EQ(pixelResult, S_OK);
    EXPECT_NE(vertexShader, nullptr);
    EXPECT_NE(pixelShader, nullptr);
}

TEST_F(PresentShaders, CopiesTheTextureTexelForTexel)
{
    ASSERT_NE(pixelShader, nullptr);
    const std::vector<uint32_t> texels = pattern(4, 4);
    const std::vector<uint32_t> pixels = present(texels, 4, 4, 4, 4);
    ASSERT_EQ(pixels.size(), texels.size());
    for (size_t i = 0; i < texels.size(); ++i)
        EXPECT_EQ(pixels[i], texels[i]) << "pixel " << i % 4 << "," << i / 4;
}

// A target twice the texture's size: the one triangle covers every pixel (no marker left),
// keeps the texture upright and samples by point (each texel becomes a 2 x 2 block).
TEST_F(PresentShaders, TriangleCoversTheWholeTargetUpright)
{
    ASSERT_NE(pixelShader, nullptr);
    const std::vector<uint32_t> texels = pattern(4, 3);
    const std::vector<uint32_t> pixels = present(texels, 4, 3, 8, 6);
    ASSERT_EQ(pixels.size(), 48u);
    for (UINT y = 0; y < 6; ++y)
        for (UINT x = 0; x < 8; ++x)
            EXPECT_EQ(pixels[y * 8 + x], texels[(y / 2) * 4 + x / 2]) << "pixel " << x << "," << y;
}

}  // namespace
