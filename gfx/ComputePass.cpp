#include "gfx/ComputePass.h"

#include "gfx/frame/GraphicsContext.h"
#include "gfx/FrameConstants.h"
#include "gfx/NullViews.h"
#include "gfx/PassSetUp.h"

#include <algorithm>

namespace Nimbra {
namespace Gfx {

void ComputePassDesc::releaseContents()
{
    releaseStrings();
    outputs.release();
    inputs.release();
}

bool ComputePass::initialize(ComputePassDesc& desc)
{
    initializePass(*this, desc, ComputeShader);
    return true;
}

std::vector<PassStage> ComputePass::stages()
{
    PassSlots slots;
    slots.inputs = slotsOf(inputs);
    slots.outputs = slotsOf(outputs);
    slots.firstOutput = inputs.count;
    return {{this, &program, ComputeStage, slots}};
}

void ComputePass::execute(const void* constantData, uint32_t constantSize)
{
    if (program.computeShader == nullptr)
        return;
    ID3D11DeviceContext* context = graphicsContext.context;

    refreshFrameConstants(constantData, constantSize);
    const uint32_t inputCount = bindConstantsAndInputs(context, inputs, ComputeStage);

    // Output registers follow the input registers: with two inputs the first output is u2.
    const uint32_t firstOutput = inputs.count;
    const uint32_t outputCount =
        firstOutput < unorderedRegisterCount ? std::min(outputs.count, unorderedRegisterCount - firstOutput) : 0;
    for (uint32_t j = 0; j < outputCount; ++j) {
        Resource* output = outputs[j].resource;
        if (output == nullptr)
            continue;
        ID3D11UnorderedAccessView* view = output->uav(false);
        context->CSSetUnorderedAccessViews(firstOutput + j, 1, &view, nullptr);
    }

    context->CSSetShader(program.computeShader, nullptr, 0);
    context->Dispatch(threadGroupsFor(sizeX), threadGroupsFor(sizeY), threadGroupsFor(sizeZ));

    unbindInputs(context, inputCount, ComputeStage);
    if (outputCount > 0)
        context->CSSetUnorderedAccessViews(firstOutput, outputCount, nullUnorderedAccess, nullptr);
    context->CSSetShader(nullptr, nullptr, 0);

    // Texture outputs refresh their mip chains; the cast also guards a mislabelled buffer.
    for (uint32_t j = 0; j < outputs.count; ++j) {
        if (outputs[j].kind != TextureBinding)
            continue;
        if (auto* texture = dynamic_cast<TextureRuntime*>(outputs[j].resource))
            texture->generateMips();
    }
}

}  // namespace Gfx
}  // namespace Nimbra
