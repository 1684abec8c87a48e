#include "gfx/TextOverlay.h"

#include "gfx/KeptPipeline.h"
#include "gfx/Resource.h"
#include "gfx/shaders/OverlayShaders.h"

#include <algorithm>
#include <cstring>

namespace Nimbra {
namespace Gfx {
namespace {

// One quad as overlayVS.hlsl reads it: the rectangle in clip space, the glyph's in texels of
// the font texture (left < 0: plain), the colour.
struct QuadRecord {
    float rect[4];
    float texels[4];
    float colour[4];
};
static_assert(sizeof(QuadRecord) == 48, "overlayVS.hlsl's Quad");

class Overlay : public TextOverlay
{
public:
    ~Overlay() override
    {
        releaseAndClear(font);
        releaseAndClear(fontView);
        releaseAndClear(quads);
        releaseAndClear(quadView);
        releaseAndClear(vertexShader);
        releaseAndClear(pixelShader);
        releaseAndClear(rasterizer);
        releaseAndClear(blend);
    }

    bool create(ID3D11Device* device, const int32_t* pixels, uint32_t glyphCount) override
    {
        return createFont(device, pixels, glyphCount) && createQuads(device) && createPrograms(device);
    }

    void draw(ID3D11DeviceContext* context, ID3D11RenderTargetView* target, uint32_t width, uint32_t height,
              const std::vector<OverlayQuad>& list) override
    {
        const uint32_t count = std::min(uint32_t(list.size()), overlayQuadLimit);
        if (count == 0 || target == nullptr || width == 0 || height == 0)
            return;
        D3D11_MAPPED_SUBRESOURCE mapped = {};
        if (FAILED(context->Map(quads, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped)))
            return;
        QuadRecord* records = static_cast<QuadRecord*>(mapped.pData);
        for (uint32_t i = 0; i < count; ++i)
            records[i] = record(list[i], float(width), float(height));
        context->Unmap(quads, 0);

        KeptPipeline kept(context);
        D3D11_VIEWPORT viewport = {0.0f, 0.0f, float(width), float(height), 0.0f, 1.0f};
        context->RSSetViewports(1, &viewport);
        context->RSSetState(rasterizer);
        context->OMSetRenderTargets(1, &target, nullptr);
        context->OMSetBlendState(blend, nullptr, 0xFFFFFFFFu);
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
        context->VSSetShader(vertexShader, nullptr, 0);
        context->VSSetShaderResources(0, 1, &quadView);
        context->PSSetShader(pixelShader, nullptr, 0);
        context->PSSetShaderResources(0, 1, &fontView);
        context->Draw(count * 6, 0);
    }

private:
    static QuadRecord record(const OverlayQuad& q, float width, float height)
    {
        QuadRecord r = {};
        r.rect[0] = q.left / width * 2.0f - 1.0f;
        r.rect[1] = 1.0f - q.top / height * 2.0f;
        r.rect[2] = q.right / width * 2.0f - 1.0f;
        r.rect[3] = 1.0f - q.bottom / height * 2.0f;
        const float top = float(q.glyph) * float(overlayGlyphHeight);
        const float plain[4] = {-1.0f, 0.0f, -1.0f, 0.0f};
        const float glyph[4] = {0.0f, top, float(overlayGlyphWidth), top + float(overlayGlyphHeight)};
        std::memcpy(r.texels, q.glyph < 0 ? plain : glyph, sizeof r.texels);
        std::memcpy(r.colour, q.colour, sizeof r.colour);
        return r;
    }

    // The glyphs one under the other in one column, 8 texels wide, one byte per texel.
    bool createFont(ID3D11Device* device, const int32_t* pixels, uint32_t glyphCount)
    {
        const uint32_t texels = glyphCount * overlayGlyphWidth * overlayGlyphHeight;
        std::vector<uint8_t> coverage(texels);
        for (uint32_t i = 0; i < texels; ++i)
            coverage[i] = pixels[i] != 0 ? 255 : 0;
        D3D11_TEXTURE2D_DESC desc = {};
        desc.Width = overlayGlyphWidth;
        desc.Height = glyphCount * overlayGlyphHeight;
        desc.MipLevels = 1;
        desc.ArraySize = 1;
        desc.Format = DXGI_FORMAT_R8_UNORM;
        desc.SampleDesc.Count = 1;
        desc.Usage = D3D11_USAGE_IMMUTABLE;
        desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
        D3D11_SUBRESOURCE_DATA data = {coverage.data(), overlayGlyphWidth, 0};
        return SUCCEEDED(device->CreateTexture2D(&desc, &data, &font)) &&
               SUCCEEDED(device->CreateShaderResourceView(font, nullptr, &fontView));
    }

    bool createQuads(ID3D11Device* device)
    {
        D3D11_BUFFER_DESC desc = {};
        desc.ByteWidth = overlayQuadLimit * sizeof(QuadRecord);
        desc.Usage = D3D11_USAGE_DYNAMIC;
        desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
        desc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
        desc.MiscFlags = D3D11_RESOURCE_MISC_BUFFER_STRUCTURED;
        desc.StructureByteStride = sizeof(QuadRecord);
        D3D11_SHADER_RESOURCE_VIEW_DESC view = {};
        view.Format = DXGI_FORMAT_UNKNOWN;
        view.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
        view.Buffer.FirstElement = 0;
        view.Buffer.NumElements = overlayQuadLimit;
        return SUCCEEDED(device->CreateBuffer(&desc, nullptr, &quads)) &&
               SUCCEEDED(device->CreateShaderResourceView(quads, &view, &quadView));
    }

    // Straight alpha over the picture; the target's alpha, which composition reads, is kept.
    bool createPrograms(ID3D11Device* device)
    {
        D3D11_RASTERIZER_DESC raster = {};
        raster.FillMode = D3D11_FILL_SOLID;
        raster.CullMode = D3D11_CULL_NONE;
        raster.DepthClipEnable = TRUE;
        D3D11_BLEND_DESC blending = {};
        D3D11_RENDER_TARGET_BLEND_DESC& rt = blending.RenderTarget[0];
        rt.BlendEnable = TRUE;
        rt.SrcBlend = D3D11_BLEND_SRC_ALPHA;
        rt.DestBlend = D3D11_BLEND_INV_SRC_ALPHA;
        rt.BlendOp = D3D11_BLEND_OP_ADD;
        rt.SrcBlendAlpha = D3D11_BLEND_ZERO;
        rt.DestBlendAlpha = D3D11_BLEND_ONE;
        rt.BlendOpAlpha = D3D11_BLEND_OP_ADD;
        rt.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
        return SUCCEEDED(device->CreateVertexShader(overlayVS, overlayVSSize, nullptr, &vertexShader)) &&
               SUCCEEDED(device->CreatePixelShader(overlayPS, overlayPSSize, nullptr, &pixelShader)) &&
               SUCCEEDED(device->CreateRasterizerState(&raster, &rasterizer)) &&
               SUCCEEDED(device->CreateBlendState(&blending, &blend));
    }

    ID3D11Texture2D* font = nullptr;
    ID3D11ShaderResourceView* fontView = nullptr;
    ID3D11Buffer* quads = nullptr;
    ID3D11ShaderResourceView* quadView = nullptr;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11RasterizerState* rasterizer = nullptr;
    ID3D11BlendState* blend = nullptr;
};

}  // namespace

std::unique_ptr<TextOverlay> makeTextOverlay()
{
    return std::make_unique<Overlay>();
}

}  // namespace Gfx
}  // namespace Nimbra
