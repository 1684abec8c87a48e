#include "tools/preview/PreviewRenderer.h"

#include "content/assets/Assets.h"
#include "gfx/PlainTextureDesc.h"
#include "gfx/ReadBack.h"
#include "gfx/Resource.h"

#include <cmath>
#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace Nimbra::Preview {
namespace {

using Gfx::releaseAndClear;

struct Input
{
    int reg;
    int key; // resource key
};

// The eight draw passes, as the content builds them.
struct DrawSpec
{
    const char* name;
    const unsigned char* vs;
    const unsigned int* vsSize;
    const unsigned char* ps;
    const unsigned int* psSize;
    int target;
    int depth; // -1: none
    std::vector<Input> inputs;
    float clear[4];
    bool blend;
    int blendMode;
    unsigned vertices, instances;
};

const std::vector<DrawSpec>& drawSpecs()
{
    static const std::vector<DrawSpec> specs = {
        {"waveLines", waveLinesVS, &waveLinesVSSize, waveLinesPS, &waveLinesPSSize, 0, -1, {{0, 12}}, {0, 0, 0, 1}, false, 0, 36, 60},
        {"focusBlur", fullscreenVS, &fullscreenVSSize, focusBlurPS, &focusBlurPSSize, 1, -1, {{0, 0}}, {0, 0, 0, 1}, false, 2, 3, 1},
        {"layers", layersVS, &layersVSSize, layersPS, &layersPSSize, 2, -1,
         {{0, 3}, {1, 4}, {2, 6}, {3, 5}, {5, 10}, {6, 11}}, {0, 0, 0, 1}, true, 2, 6, 5},
        {"composite", fullscreenVS, &fullscreenVSSize, compositePS, &compositePSSize, 7, -1, {{1, 1}, {2, 8}, {3, 2}}, {0, 0, 0, 1}, false, 2, 6, 1},
        {"blur", fullscreenVS, &fullscreenVSSize, blurPS, &blurPSSize, 9, -1, {{0, 7}}, {0, 0, 0, 1}, false, 0, 3, 1},
        {"scroller", scrollerVS, &scrollerVSSize, scrollerPS, &scrollerPSSize, 13, 17, {{0, 14}, {1, 15}, {2, 16}}, {0, 0, 0, 0}, false, 2, 36, 1081344},
        {"combine", fullscreenVS, &fullscreenVSSize, combinePS, &combinePSSize, 18, -1, {{0, 9}, {1, 19}}, {0, 0, 0, 1}, true, 2, 3, 1},
        {"scrollerBlur", fullscreenVS, &fullscreenVSSize, scrollerBlurPS, &scrollerBlurPSSize, 19, -1, {{0, 13}}, {0, 0, 0, 1}, false, 0, 3, 1},
    };
    return specs;
}

// Execution order: the compute pass (-1), then draws 0, 1, 2, 5, 3, 7, 4, 6.
const int PassOrder[9] = {-1, 0, 1, 2, 5, 3, 7, 4, 6};

float halfToFloat(uint16_t h)
{
    uint32_t sign = (h >> 15) & 1, exponent = (h >> 10) & 31, mantissa = h & 1023;
    float value;
    if (exponent == 0)
        value = mantissa / 1024.0f / 16384.0f;
    else if (exponent == 31)
        value = mantissa ? 0.0f : 65504.0f;
    else
        value = (1.0f + mantissa / 1024.0f) * std::ldexp(1.0f, int(exponent) - 15);
    return sign ? -value : value;
}

} // namespace

PreviewRenderer::PreviewRenderer(int width, int height) : width_(width), height_(height)
{
    D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1, D3D11_SDK_VERSION, &device_,
                                 nullptr, &context_)))
        return;
    D3D11_BUFFER_DESC cb = {ConstantBytes, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
    device_->CreateBuffer(&cb, nullptr, &constants_);
    // The six shared samplers: linear, then point, each with clamp, border and wrap.
    const D3D11_TEXTURE_ADDRESS_MODE modes[3] = {D3D11_TEXTURE_ADDRESS_CLAMP, D3D11_TEXTURE_ADDRESS_BORDER,
                                                 D3D11_TEXTURE_ADDRESS_WRAP};
    for (int i = 0; i < 6; ++i)
    {
        D3D11_SAMPLER_DESC s = {};
        s.Filter = i < 3 ? D3D11_FILTER_MIN_MAG_MIP_LINEAR : D3D11_FILTER_MIN_MAG_MIP_POINT;
        s.AddressU = s.AddressV = s.AddressW = modes[i % 3];
        s.MaxAnisotropy = 1;
        s.ComparisonFunc = D3D11_COMPARISON_NEVER;
        s.MinLOD = -3.402823466e+38f;
        s.MaxLOD = 3.402823466e+38f;
        device_->CreateSamplerState(&s, &samplers_[i]);
    }
    context_->VSSetSamplers(0, 6, samplers_);
    context_->PSSetSamplers(0, 6, samplers_);
    context_->CSSetSamplers(0, 6, samplers_);
    createResources();
    createPrograms();

    D3D11_QUERY_DESC q = {D3D11_QUERY_TIMESTAMP_DISJOINT, 0};
    device_->CreateQuery(&q, &disjoint_);
    q.Query = D3D11_QUERY_TIMESTAMP;
    stamps_.resize(10);
    for (auto& s : stamps_)
        device_->CreateQuery(&q, &s);
    resetTimings();
}

PreviewRenderer::~PreviewRenderer()
{
    for (Resource& r : resources_)
    {
        releaseAndClear(r.texture);
        releaseAndClear(r.srv);
        releaseAndClear(r.rtv);
        releaseAndClear(r.dsv);
        for (int i = 0; i < 2; ++i)
        {
            releaseAndClear(r.buffer[i]);
            releaseAndClear(r.bufferSrv[i]);
            releaseAndClear(r.bufferUav[i]);
        }
    }
    for (auto* s : vertexShaders_)
        releaseAndClear(s);
    for (auto* s : pixelShaders_)
        releaseAndClear(s);
    releaseAndClear(rotation_);
    for (auto*& s : samplers_)
        releaseAndClear(s);
    for (auto*& s : stamps_)
        releaseAndClear(s);
    releaseAndClear(disjoint_);
    releaseAndClear(constants_);
    releaseAndClear(context_);
    releaseAndClear(device_);
}

void PreviewRenderer::createTexture(int key, DXGI_FORMAT format, bool depth)
{
    const D3D11_TEXTURE2D_DESC d = Gfx::plainTextureDesc(
        width_, height_, format, depth ? D3D11_BIND_DEPTH_STENCIL : (D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE));
    Resource& r = resources_[key];
    device_->CreateTexture2D(&d, nullptr, &r.texture);
    if (!r.texture)
        return;
    if (depth)
        device_->CreateDepthStencilView(r.texture, nullptr, &r.dsv);
    else
    {
        device_->CreateShaderResourceView(r.texture, nullptr, &r.srv);
        device_->CreateRenderTargetView(r.texture, nullptr, &r.rtv);
    }
}

void PreviewRenderer::createDataBuffer(int key, const unsigned char* data, unsigned int size)
{
    D3D11_BUFFER_DESC d = {size, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0,
                           D3D11_RESOURCE_MISC_BUFFER_STRUCTURED, 4};
    D3D11_SUBRESOURCE_DATA init = {data, 0, 0};
    Resource& r = resources_[key];
    device_->CreateBuffer(&d, &init, &r.buffer[0]);
    D3D11_SHADER_RESOURCE_VIEW_DESC v = {};
    v.Format = DXGI_FORMAT_UNKNOWN;
    v.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
    v.Buffer.NumElements = size / 4;
    if (r.buffer[0])
        device_->CreateShaderResourceView(r.buffer[0], &v, &r.bufferSrv[0]);
}

void PreviewRenderer::createImage(int key, const unsigned char* data, unsigned int size)
{
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(data, int(size), &w, &h, &channels, 4);
    if (!pixels)
        return;
    const D3D11_TEXTURE2D_DESC d = Gfx::plainTextureDesc(UINT(w), UINT(h), DXGI_FORMAT_R8G8B8A8_UNORM,
                                                         D3D11_BIND_SHADER_RESOURCE, D3D11_USAGE_IMMUTABLE);
    D3D11_SUBRESOURCE_DATA init = {pixels, UINT(w * 4), 0};
    Resource& r = resources_[key];
    device_->CreateTexture2D(&d, &init, &r.texture);
    if (r.texture)
        device_->CreateShaderResourceView(r.texture, nullptr, &r.srv);
    stbi_image_free(pixels);
}

void PreviewRenderer::createRotationState(int key)
{
    Resource& r = resources_[key];
    for (int side = 0; side < 2; ++side)
    {
        D3D11_BUFFER_DESC d = {16, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS, 0,
                               D3D11_RESOURCE_MISC_BUFFER_STRUCTURED, 16};
        device_->CreateBuffer(&d, nullptr, &r.buffer[side]);
        if (!r.buffer[side])
            continue;
        D3D11_SHADER_RESOURCE_VIEW_DESC v = {};
        v.Format = DXGI_FORMAT_UNKNOWN;
        v.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
        v.Buffer.NumElements = 1;
        device_->CreateShaderResourceView(r.buffer[side], &v, &r.bufferSrv[side]);
        D3D11_UNORDERED_ACCESS_VIEW_DESC u = {};
        u.Format = DXGI_FORMAT_UNKNOWN;
        u.ViewDimension = D3D11_UAV_DIMENSION_BUFFER;
        u.Buffer.NumElements = 1;
        device_->CreateUnorderedAccessView(r.buffer[side], &u, &r.bufferUav[side]);
    }
}

void PreviewRenderer::createResources()
{
    for (int key : {0, 1, 2, 7, 9, 13, 18, 19})
        createTexture(key, DXGI_FORMAT_R16G16B16A16_FLOAT, false);
    createTexture(17, DXGI_FORMAT_D32_FLOAT, true);
    createDataBuffer(3, fontA, fontASize);
    createDataBuffer(4, layer1Text, layer1TextSize);
    createDataBuffer(5, palette256, palette256Size);
    createDataBuffer(6, layer2Text, layer2TextSize);
    createImage(8, mapImage, mapImageSize);
    createDataBuffer(10, layer3Text, layer3TextSize);
    createDataBuffer(11, layer4Text, layer4TextSize);
    createRotationState(12);
    createDataBuffer(14, fontB, fontBSize);
    createDataBuffer(15, scrollerText, scrollerTextSize);
    createDataBuffer(16, palette32, palette32Size);
}

void PreviewRenderer::createPrograms()
{
    for (const DrawSpec& s : drawSpecs())
    {
        ID3D11VertexShader* vs = nullptr;
        ID3D11PixelShader* ps = nullptr;
        device_->CreateVertexShader(s.vs, *s.vsSize, nullptr, &vs);
        device_->CreatePixelShader(s.ps, *s.psSize, nullptr, &ps);
        vertexShaders_.push_back(vs);
        pixelShaders_.push_back(ps);
    }
    device_->CreateComputeShader(rotationCS, rotationCSSize, nullptr, &rotation_);
}

ID3D11ShaderResourceView* PreviewRenderer::readView(int key)
{
    Resource& r = resources_[key];
    if (r.srv)
        return r.srv;
    // The double-buffered rotation state is read on the side written in the previous frame.
    return r.bufferUav[0] ? r.bufferSrv[1 - parity_] : r.bufferSrv[0];
}

void PreviewRenderer::runCompute()
{
    Resource& state = resources_[12];
    ID3D11ShaderResourceView* input = state.bufferSrv[1 - parity_];
    ID3D11UnorderedAccessView* output = state.bufferUav[parity_];
    context_->CSSetConstantBuffers(8, 1, &constants_);
    context_->CSSetShaderResources(0, 1, &input);
    context_->CSSetUnorderedAccessViews(1, 1, &output, nullptr);
    context_->CSSetShader(rotation_, nullptr, 0);
    context_->Dispatch(1, 1, 1);
    ID3D11ShaderResourceView* noView = nullptr;
    ID3D11UnorderedAccessView* noUav = nullptr;
    context_->CSSetShaderResources(0, 1, &noView);
    context_->CSSetUnorderedAccessViews(1, 1, &noUav, nullptr);
    context_->CSSetShader(nullptr, nullptr, 0);
}

void PreviewRenderer::runDraw(int pass)
{
    const DrawSpec& s = drawSpecs()[pass];
    Resource& target = resources_[s.target];
    D3D11_VIEWPORT viewport = {0, 0, float(width_), float(height_), 0, 1};
    context_->RSSetViewports(1, &viewport);
    context_->ClearRenderTargetView(target.rtv, s.clear);
    ID3D11DepthStencilView* depth = s.depth >= 0 ? resources_[s.depth].dsv : nullptr;
    if (depth)
        context_->ClearDepthStencilView(depth, D3D11_CLEAR_DEPTH, 1.0f, 0);
    context_->OMSetRenderTargets(1, &target.rtv, depth);

    D3D11_RASTERIZER_DESC rd = {};
    rd.FillMode = D3D11_FILL_SOLID;
    rd.CullMode = D3D11_CULL_NONE;
    rd.DepthClipEnable = TRUE;
    ID3D11RasterizerState* raster = nullptr;
    device_->CreateRasterizerState(&rd, &raster);
    context_->RSSetState(raster);
    context_->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

    D3D11_BLEND_DESC bd = {};
    D3D11_RENDER_TARGET_BLEND_DESC& b = bd.RenderTarget[0];
    b.BlendEnable = s.blend;
    b.SrcBlend = D3D11_BLEND_SRC_ALPHA;
    b.DestBlend = D3D11_BLEND_INV_SRC_ALPHA;
    b.BlendOp = D3D11_BLEND_OP_ADD;
    b.SrcBlendAlpha = D3D11_BLEND_ONE;
    b.DestBlendAlpha = D3D11_BLEND_ZERO;
    b.BlendOpAlpha = D3D11_BLEND_OP_ADD;
    b.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    ID3D11BlendState* blend = nullptr;
    device_->CreateBlendState(&bd, &blend);
    context_->OMSetBlendState(blend, nullptr, 0xffffffff);

    context_->VSSetConstantBuffers(8, 1, &constants_);
    context_->PSSetConstantBuffers(8, 1, &constants_);
    for (const Input& in : s.inputs)
    {
        ID3D11ShaderResourceView* view = readView(in.key);
        context_->VSSetShaderResources(in.reg, 1, &view);
        context_->PSSetShaderResources(in.reg, 1, &view);
    }
    context_->VSSetShader(vertexShaders_[pass], nullptr, 0);
    context_->PSSetShader(pixelShaders_[pass], nullptr, 0);
    context_->DrawInstanced(s.vertices, s.instances, 0, 0);

    ID3D11ShaderResourceView* none[8] = {};
    context_->VSSetShaderResources(0, 8, none);
    context_->PSSetShaderResources(0, 8, none);
    ID3D11RenderTargetView* noTarget = nullptr;
    context_->OMSetRenderTargets(1, &noTarget, nullptr);
    releaseAndClear(raster);
    releaseAndClear(blend);
}

void PreviewRenderer::renderFrame(const FrameConstants& constants)
{
    context_->UpdateSubresource(constants_, 0, nullptr, constants.bytes, 0, 0);
    context_->Begin(disjoint_);
    context_->End(stamps_[0]);
    for (int i = 0; i < 9; ++i)
    {
        if (PassOrder[i] < 0)
            runCompute();
        else
            runDraw(PassOrder[i]);
        context_->End(stamps_[i + 1]);
    }
    context_->End(disjoint_);

    D3D11_QUERY_DATA_TIMESTAMP_DISJOINT d = {};
    while (context_->GetData(disjoint_, &d, sizeof(d), 0) == S_FALSE)
    {
    }
    UINT64 stamp[10] = {};
    for (int i = 0; i < 10; ++i)
        while (context_->GetData(stamps_[i], &stamp[i], sizeof(UINT64), 0) == S_FALSE)
        {
        }
    if (!d.Disjoint && d.Frequency)
        for (int i = 0; i < 9; ++i)
            timings_[i].milliseconds += double(stamp[i + 1] - stamp[i]) * 1000.0 / double(d.Frequency);
    parity_ = 1 - parity_;
}

void PreviewRenderer::resetTimings()
{
    static const char* const names[9] = {"rotation", "waveLines", "focusBlur", "layers", "scroller",
                                          "composite", "scrollerBlur", "blur", "combine"};
    timings_.clear();
    for (const char* n : names)
        timings_.push_back({n, 0.0});
}

std::vector<unsigned char> PreviewRenderer::readTexture(int key)
{
    std::vector<unsigned char> rgba(size_t(width_) * height_ * 4);
    std::vector<uint8_t> texels;
    if (!Gfx::readBackTexture(device_, context_, resources_[key].texture, 8, texels) ||
        texels.size() != size_t(width_) * height_ * 8)
        return rgba;
    const uint16_t* halves = reinterpret_cast<const uint16_t*>(texels.data());
    for (size_t i = 0; i < rgba.size(); ++i)
    {
        float v = i % 4 == 3 ? 1.0f : halfToFloat(halves[i]);
        v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
        rgba[i] = (unsigned char)(v * 255.0f + 0.5f);
    }
    return rgba;
}

} // namespace Nimbra::Preview
