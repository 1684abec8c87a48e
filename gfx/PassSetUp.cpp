#include "gfx/PassSetUp.h"

#include "gfx/BufferRuntime.h"
#include "gfx/FrameConstants.h"
#include "gfx/NullViews.h"
#include "gfx/TextureRuntime.h"

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

SlotOffer slotOf(Resource* resource)
{
    SlotOffer offer;
    if (auto* texture = dynamic_cast<TextureRuntime*>(resource)) {
        const SlotKind kinds[] = {SlotKind::Texture1D, SlotKind::Texture2D, SlotKind::Texture3D};
        if (texture->dimension >= Texture1D && texture->dimension <= Texture3D)
            offer.kind = kinds[texture->dimension];
    } else if (auto* buffer = dynamic_cast<BufferRuntime*>(resource)) {
        offer.kind = SlotKind::Buffer;
        offer.stride = uint32_t(buffer->stride);
    }
    return offer;
}

}  // namespace

void putStageProgram(const PassStage& stage, ID3D11DeviceChild* made, const void* code, uint32_t size)
{
    stage.program->put(stage.stage, made, code, size);
    stage.desc->setCode(stage.stage, code, size);
}

std::vector<SlotOffer> slotsOf(const GrowArray<ResourceBinding>& bindings)
{
    std::vector<SlotOffer> slots;
    for (const ResourceBinding& binding : bindings)
        slots.push_back(slotOf(binding.resource));
    return slots;
}

uint32_t bindConstantsAndInputs(ID3D11DeviceContext* context, const GrowArray<ResourceBinding>& inputs, uint32_t stages)
{
    ID3D11Buffer* constants = frameConstants.buffer[0];
    if (stages & VertexStage)
        context->VSSetConstantBuffers(frameConstantsRegister, 1, &constants);
    if (stages & PixelStage)
        context->PSSetConstantBuffers(frameConstantsRegister, 1, &constants);
    if (stages & ComputeStage)
        context->CSSetConstantBuffers(frameConstantsRegister, 1, &constants);

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

}  // namespace Gfx
}  // namespace Nimbra
