#include "gfx/KeptPipeline.h"

#include "gfx/Resource.h"

namespace Nimbra {
namespace Gfx {

KeptPipeline::KeptPipeline(ID3D11DeviceContext* context) : context(context)
{
    context->IAGetPrimitiveTopology(&topology);
    context->VSGetShader(&vertexShader, nullptr, nullptr);
    context->PSGetShader(&pixelShader, nullptr, nullptr);
    context->GSGetShader(&geometryShader, nullptr, nullptr);
    context->HSGetShader(&hullShader, nullptr, nullptr);
    context->DSGetShader(&domainShader, nullptr, nullptr);
    context->CSGetShader(&computeShader, nullptr, nullptr);
    context->VSGetShaderResources(0, 1, &vertexStage.input);
    context->PSGetShaderResources(0, 1, &pixelStage.input);
    context->VSGetConstantBuffers(frameConstantsRegister, 1, &vertexStage.frameConstants);
    context->PSGetConstantBuffers(frameConstantsRegister, 1, &pixelStage.frameConstants);
    context->VSGetSamplers(0, sharedSamplerCount, vertexStage.samplers);
    context->PSGetSamplers(0, sharedSamplerCount, pixelStage.samplers);
    context->RSGetState(&rasterizer);
    context->RSGetViewports(&viewportCount, viewports);
    context->OMGetBlendState(&blend, blendFactor, &sampleMask);
    context->OMGetDepthStencilState(&depthStencil, &stencilReference);
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
    context->GSSetShader(geometryShader, nullptr, 0);
    context->HSSetShader(hullShader, nullptr, 0);
    context->DSSetShader(domainShader, nullptr, 0);
    context->CSSetShader(computeShader, nullptr, 0);
    context->VSSetShaderResources(0, 1, &vertexStage.input);
    context->PSSetShaderResources(0, 1, &pixelStage.input);
    context->VSSetConstantBuffers(frameConstantsRegister, 1, &vertexStage.frameConstants);
    context->PSSetConstantBuffers(frameConstantsRegister, 1, &pixelStage.frameConstants);
    context->VSSetSamplers(0, sharedSamplerCount, vertexStage.samplers);
    context->PSSetSamplers(0, sharedSamplerCount, pixelStage.samplers);
    context->RSSetState(rasterizer);
    context->RSSetViewports(viewportCount, viewports);
    context->OMSetBlendState(blend, blendFactor, sampleMask);
    context->OMSetDepthStencilState(depthStencil, stencilReference);

    releaseAndClear(vertexShader);
    releaseAndClear(pixelShader);
    releaseAndClear(geometryShader);
    releaseAndClear(hullShader);
    releaseAndClear(domainShader);
    releaseAndClear(computeShader);
    release(vertexStage);
    release(pixelStage);
    releaseAndClear(rasterizer);
    releaseAndClear(blend);
    releaseAndClear(depthStencil);
    for (ID3D11RenderTargetView*& target : targets)
        releaseAndClear(target);
    releaseAndClear(depth);
}

void KeptPipeline::release(StageInputs& stage)
{
    releaseAndClear(stage.input);
    releaseAndClear(stage.frameConstants);
    for (ID3D11SamplerState*& sampler : stage.samplers)
        releaseAndClear(sampler);
}

}  // namespace Gfx
}  // namespace Nimbra
