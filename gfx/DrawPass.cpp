#include "gfx/DrawPass.h"

#include "gfx/frame/GraphicsContext.h"
#include "gfx/FrameConstants.h"
#include "gfx/NullViews.h"
#include "gfx/PassSetUp.h"

#include <algorithm>

namespace Nimbra {
namespace Gfx {

namespace {

struct BlendFactors {
    D3D11_BLEND source;
    D3D11_BLEND destination;
    D3D11_BLEND sourceAlpha;
    D3D11_BLEND destinationAlpha;
};

// Indexed by BlendMode; the colour and alpha operations are always ADD.
constexpr BlendFactors blendModes[] = {
    {D3D11_BLEND_ONE, D3D11_BLEND_ONE, D3D11_BLEND_ONE, D3D11_BLEND_ONE},
    {D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_INV_DEST_ALPHA, D3D11_BLEND_ONE},
    {D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_ONE, D3D11_BLEND_ZERO},
    {D3D11_BLEND_ZERO, D3D11_BLEND_INV_SRC_COLOR, D3D11_BLEND_ZERO, D3D11_BLEND_INV_SRC_ALPHA},
};
constexpr int32_t blendModeCount = sizeof blendModes / sizeof blendModes[0];

// Indexed by Topology.
constexpr D3D11_PRIMITIVE_TOPOLOGY topologies[] = {
    D3D11_PRIMITIVE_TOPOLOGY_POINTLIST,    D3D11_PRIMITIVE_TOPOLOGY_LINELIST,      D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP,
    D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP,
};
constexpr int32_t topologyCount = sizeof topologies / sizeof topologies[0];

D3D11_PRIMITIVE_TOPOLOGY topologyOf(int32_t topology)
{
    // An unknown topology draws nothing rather than guessing a shape.
    if (topology < 0 || topology >= topologyCount)
        return D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    return topologies[topology];
}

ID3D11RasterizerState* createRasterizerState(bool cullBack)
{
    D3D11_RASTERIZER_DESC desc = {};
    desc.FillMode = D3D11_FILL_SOLID;
    desc.CullMode = cullBack ? D3D11_CULL_BACK : D3D11_CULL_NONE;
    desc.FrontCounterClockwise = FALSE;
    desc.DepthClipEnable = TRUE;
    ID3D11RasterizerState* state = nullptr;
    graphicsContext.device->CreateRasterizerState(&desc, &state);
    return state;
}

ID3D11BlendState* createBlendState(bool blend, int32_t blendMode)
{
    D3D11_BLEND_DESC desc = {};
    desc.AlphaToCoverageEnable = FALSE;
    desc.IndependentBlendEnable = FALSE;
    D3D11_RENDER_TARGET_BLEND_DESC& target = desc.RenderTarget[0];
    // A mode outside the table draws without blending.
    const bool known = blendMode >= 0 && blendMode < blendModeCount;
    const BlendFactors& factors = blendModes[known ? blendMode : 0];
    target.BlendEnable = blend && known;
    target.SrcBlend = factors.source;
    target.DestBlend = factors.destination;
    target.BlendOp = D3D11_BLEND_OP_ADD;
    target.SrcBlendAlpha = factors.sourceAlpha;
    target.DestBlendAlpha = factors.destinationAlpha;
    target.BlendOpAlpha = D3D11_BLEND_OP_ADD;
    target.RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_ALL;
    ID3D11BlendState* state = nullptr;
    graphicsContext.device->CreateBlendState(&desc, &state);
    return state;
}

}  // namespace

void DrawPassDesc::releaseContents()
{
    releaseStrings();
    targets.release();
    inputs.release();
}

bool DrawPass::initialize(DrawPassDesc& desc)
{
    initializePass(*this, desc, VertexPixelShaders);
    return true;
}

std::vector<PassStage> DrawPass::stages()
{
    PassSlots slots;
    slots.inputs = slotsOf(inputs);
    slots.targetCount = targets.count;
    return {{this, &program, VertexStage, slots}, {this, &program, PixelStage, slots}};
}

void DrawPass::execute(const void* constantData, uint32_t constantSize)
{
    if (program.vertexShader == nullptr || program.pixelShader == nullptr)
        return;
    ID3D11DeviceContext* context = graphicsContext.context;

    refreshFrameConstants(constantData, constantSize);

    // The viewport covers the first target.
    if (targets.count > 0 && targets[0].resource != nullptr) {
        D3D11_VIEWPORT viewport = {};
        viewport.Width = static_cast<float>(targets[0].resource->width);
        viewport.Height = static_cast<float>(targets[0].resource->height);
        viewport.MinDepth = 0.0f;
        viewport.MaxDepth = 1.0f;
        context->RSSetViewports(1, &viewport);
    }

    const uint32_t targetCount = std::min(targets.count, renderTargetCount);
    ID3D11RenderTargetView* views[renderTargetCount] = {};
    for (uint32_t i = 0; i < targetCount; ++i) {
        TextureRuntime* target = targets[i].resource;
        views[i] = target != nullptr ? target->rtv(false) : nullptr;
        if (clear && views[i] != nullptr)
            context->ClearRenderTargetView(views[i], clearColor);
    }

    ID3D11DepthStencilView* depthView = nullptr;
    if (useDepth && depthTarget != nullptr) {
        depthView = depthTarget->dsv();
        if (clear && depthView != nullptr)
            context->ClearDepthStencilView(depthView, D3D11_CLEAR_DEPTH, 1.0f, 0);
    }
    context->OMSetRenderTargets(targetCount, views, depthView);

    ID3D11RasterizerState* rasterizer = createRasterizerState(cullBack);
    context->RSSetState(rasterizer);
    context->IASetPrimitiveTopology(topologyOf(topology));
    ID3D11BlendState* blendState = createBlendState(blend, blendMode);
    context->OMSetBlendState(blendState, nullptr, 0xFFFFFFFFu);

    const uint32_t inputCount = bindConstantsAndInputs(context, inputs, VertexStage | PixelStage);

    context->VSSetShader(program.vertexShader, nullptr, 0);
    context->PSSetShader(program.pixelShader, nullptr, 0);
    context->DrawInstanced(vertexCount, instanceCount, 0, 0);

    // Leave nothing bound, so the next pass may read what this one wrote.
    unbindInputs(context, inputCount, VertexStage | PixelStage);
    context->OMSetRenderTargets(targetCount, nullRenderTargets, nullptr);
    context->VSSetShader(nullptr, nullptr, 0);
    context->PSSetShader(nullptr, nullptr, 0);

    releaseAndClear(rasterizer);
    releaseAndClear(blendState);

    for (uint32_t i = 0; i < targets.count; ++i) {
        if (targets[i].resource != nullptr)
            targets[i].resource->generateMips();
    }
}

}  // namespace Gfx
}  // namespace Nimbra
