// demo-sync's text over the picture on the tests' shared device: a backdrop and a glyph blended
// into a target, pixel for pixel, and the pipeline as it was before the draw.
#include <gtest/gtest.h>

#include "tools/capture/PlainTextureDesc.h"
#include "gfx/Resource.h"
#include "gfx/TextOverlay.h"
#include "tests/support/BoundPipeline.h"
#include "tests/support/TestDevice.h"

#include <cstring>
#include <vector>

namespace Nimbra {
namespace {

using Gfx::OverlayQuad;
using Gfx::releaseAndClear;

OverlayQuad quad(float left, float right, int32_t glyph, float r, float g, float b, float a)
{
    OverlayQuad q;
    q.left = left;
    q.right = right;
    q.bottom = 16.0f;
    q.glyph = glyph;
    const float colour[4] = {r, g, b, a};
    std::memcpy(q.colour, colour, sizeof colour);
    return q;
}

TEST(TextOverlay, BlendsBackdropAndGlyphAndPutsThePipelineBack)
{
    ID3D11Device* device = graphicsContext.device;
    ID3D11DeviceContext* context = graphicsContext.context;
    // Three glyphs: clear, all set, and set only in the left half of the top half.
    std::vector<int32_t> font(3 * 8 * 16, 0);
    for (int i = 0; i < 8 * 16; ++i) {
        font[128 + i] = 1;
        font[256 + i] = (i % 8 < 4 && i / 8 < 8) ? 1 : 0;
    }
    std::unique_ptr<Gfx::TextOverlay> overlay = Gfx::makeTextOverlay();
    ASSERT_TRUE(overlay->create(device, font.data(), 3));

    const D3D11_TEXTURE2D_DESC desc = Gfx::plainTextureDesc(32, 16, DXGI_FORMAT_R8G8B8A8_UNORM,
                                                            D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE);
    ID3D11Texture2D* target = nullptr;
    ID3D11RenderTargetView* view = nullptr;
    ID3D11RenderTargetView* other = nullptr;
    ID3D11ShaderResourceView* input = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateTexture2D(&desc, nullptr, &target));
    ASSERT_HRESULT_SUCCEEDED(device->CreateRenderTargetView(target, nullptr, &view));
    ID3D11Texture2D* second = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateTexture2D(&desc, nullptr, &second));
    ASSERT_HRESULT_SUCCEEDED(device->CreateRenderTargetView(second, nullptr, &other));
    ASSERT_HRESULT_SUCCEEDED(device->CreateShaderResourceView(target, nullptr, &input));
    const float magenta[4] = {1.0f, 0.0f, 1.0f, 1.0f};
    context->ClearRenderTargetView(view, magenta);

    // What a pass might have left: another target, an input, a viewport, a topology, states.
    D3D11_BLEND_DESC blending = {};
    blending.RenderTarget[0].RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_RED;
    ID3D11BlendState* blend = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateBlendState(&blending, &blend));
    ID3D11RasterizerState* rasterizer = Testing::createUnculledRasterizer();
    const D3D11_VIEWPORT viewport = {1.0f, 2.0f, 7.0f, 5.0f, 0.0f, 1.0f};
    context->OMSetRenderTargets(1, &other, nullptr);
    context->OMSetBlendState(blend, nullptr, 0xFFFFFFFFu);
    context->RSSetState(rasterizer);
    context->RSSetViewports(1, &viewport);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_POINTLIST);
    context->PSSetShaderResources(0, 1, &input);

    const Testing::BoundPipeline before = Testing::boundPipeline(context);
    overlay->draw(context, view, 32, 16,
                  {quad(0, 16, -1, 0.0f, 0.0f, 0.0f, 0.5f), quad(16, 24, 2, 0.0f, 1.0f, 0.0f, 1.0f)});
    Testing::expectSamePipeline(before, Testing::boundPipeline(context));
    context->OMSetRenderTargets(0, nullptr, nullptr);
    ID3D11ShaderResourceView* none = nullptr;
    context->PSSetShaderResources(0, 1, &none);
    context->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFFu);
    context->RSSetState(nullptr);

    // Half-dark magenta under the backdrop, green where the glyph is set, magenta elsewhere; the
    // alpha, which composition reads, stays opaque.
    const std::vector<uint8_t> pixels = Testing::readTexture(target, 4);
    ASSERT_EQ(pixels.size(), 32u * 16u * 4u);
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = &pixels[(y * 32 + x) * 4];
            const bool set = x >= 16 && x < 20 && y < 8;
            const int r = x < 16 ? 128 : set ? 0 : 255, g = set ? 255 : 0, b = r;
            const bool ok = std::abs(p[0] - r) <= 1 && p[1] == g && std::abs(p[2] - b) <= 1 && p[3] == 255;
            if (!ok && wrong++ < 4)
                ADD_FAILURE() << x << "," << y << ": " << int(p[0]) << " " << int(p[1]) << " " << int(p[2]) << " "
                              << int(p[3]) << ", expected " << r << " " << g << " " << b << " 255";
        }
    EXPECT_EQ(wrong, 0);

    releaseAndClear(blend);
    releaseAndClear(rasterizer);
    releaseAndClear(input);
    releaseAndClear(other);
    releaseAndClear(second);
    releaseAndClear(view);
    releaseAndClear(target);
}

}  // namespace
}  // namespace Nimbra
