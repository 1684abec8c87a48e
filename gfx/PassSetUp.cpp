#include "gfx/PassSetUp.h"

#include "gfx/FrameConstants.h"
#include "gfx/NullViews.h"

#include <algorithm>

namespace Nimbra {
namespace Gfx {

namespace {

void setResources(ID3D11DeviceContext* context, uint32_t stages, UINT first, UINT count,
                  ID3D11ShaderResourceView* const* views)
{
    if (stages & VertexStage)
        context->VSSetShaderResources(first, count, views);
    if (stages & PixelStage)
        context->PSSetShaderResources(first, count, views);
    if (stages & ComputeStage)
        context->CSSetShaderResources(first, count, views);
}

} // namespace

uint32_t bindConstantsAndInputs(ID3D11DeviceContext* context, const GrowArray<ResourceBinding>& inputs,
                                uint32_t stages)
{
    ID3D11Buffer* constants = frameConstants.buffer[0];
    if (stages & VertexStage)
        context->VSSetConstantBuffers(frameConstantsSlot, 1, &constants);
    if (stages & PixelStage)
        context->PSSetConstantBuffers(frameConstantsSlot, 1, &constants);
    if (stages & ComputeStage)
        context->CSSetConstantBuffers(frameConstantsSlot, 1, &constants);

    const uint32_t inputCount = std::min(inputs.count, inputRegisterCount);
    for (uint32_t i = 0; i < inputCount; ++i) {
        Resource* input = inputs[i].resource;
        if (input == nullptr)
            continue;
        ID3D11ShaderResourceView* view = input->srv(true);
        setResources(context, stages, i, 1, &view);
    }
    return inputCount;
}

void unbindInputs(ID3D11DeviceContext* context, uint32_t inputCount, uint32_t stages)
{
    if (inputCount > 0)
        setResources(context, stages, 0, inputCount, nullShaderResources);
}

} // namespace Gfx
} // namespace Nimbra
