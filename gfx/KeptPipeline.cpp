#include "gfx/KeptPipeline.h"

#include "gfx/Resource.h"

namespace Nimbra {
namespace Gfx {

KeptPipeline::KeptPipeline(ID3D11DeviceContext* context) : context(context)
{
    context->IAGetPrimitiveTopology(&topology);
    context->VSGetShader(&vertexShader, nullptr, nullptr);
    context->PSGetShader(&pixelShader, nullptr, nullptr);
    context->VSGetShaderResources(0, 1, &vertexInput);
    context->PSGetShaderResources(0, 1, &pixelInput);
    context->RSGetState(&rasterizer);
    context->RSGetViewports(&viewportCount, viewports);
    context->OMGetBlendState(&blend, blendFactor, &sampleMask);
    context->OMGetRenderTargets(D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT, targets, &depth);
}

KeptPipeline::~KeptPipeline()
{
    restore();
}

void KeptPipeline::restore()
{
    // Targets first: an input that reads what the overlay drew into would otherwise be unbound
    // again by the runtime, which never lets one resource be bound for output and input at once.
    context->OMSetRenderTargets(D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT, targets, depth);
    // Undefined is only the state a fresh context starts in, not a value to set.
    if (topology != D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED)
        context->IASetPrimitiveTopology(topology);
    context->VSSetShader(vertexShader, nullptr, 0);
    context->PSSetShader(pixelShader, nullptr, 0);
    context->VSSetShaderResources(0, 1, &vertexInput);
    context->PSSetShaderResources(0, 1, &pixelInput);
    context->RSSetState(rasterizer);
    context->RSSetViewports(viewportCount, viewports);
    context->OMSetBlendState(blend, blendFactor, sampleMask);

    releaseAndClear(vertexShader);
    releaseAndClear(pixelShader);
    releaseAndClear(vertexInput);
    releaseAndClear(pixelInput);
    releaseAndClear(rasterizer);
    releaseAndClear(blend);
    for (ID3D11RenderTargetView*& target : targets)
        releaseAndClear(target);
    releaseAndClear(depth);
}

}  // namespace Gfx
}  // namespace Nimbra
