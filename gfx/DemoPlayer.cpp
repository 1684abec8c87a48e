#include "gfx/DemoPlayer.h"

#include "gfx/TextureRuntime.h"
#include "gfx/frame/GraphicsContext.h"
#include "gfx/frame/Screen.h"
#include "gfx/shaders/PresentShaders.h"

#include <cstdlib>

namespace Nimbra {
namespace Gfx {

bool DemoPlayer::initialize()
{
    TextureRuntime* screen = new TextureRuntime();
    screen->create(textureDesc2D(screenWidth, screenHeight, Rgba16Float), false);

    DrawPassDesc copyDesc;
    copyDesc.vertexCode = presentVS;
    copyDesc.vertexCodeSize = presentVSSize;
    copyDesc.pixelCode = presentPS;
    copyDesc.pixelCodeSize = presentPSSize;
    TargetBinding target;
    target.resource = screen;
    target.flag = true;
    copyDesc.targets.push(target);
    ResourceBinding input;
    input.kind = TextureBinding;
    input.resource = output;
    copyDesc.inputs.push(input);

    DrawPass* copyPass = new DrawPass();
    copyPass->initialize(copyDesc);

    PassEntry entry;
    entry.kind = DrawPassKind;
    entry.pass = copyPass;
    passes.push(entry);
    output = screen;
    return true;
}

uint32_t DemoPlayer::constantBytes() const
{
    uint32_t packed = 0;
    for (const DemoVariable& variable : variables)
        packed += variableTypeSize(variable.type);
    return constantDataSize(packed);
}

Resource* DemoPlayer::render(PassObserver* observer)
{
    variableBlock.releasePacking();
    variableBlock.rebuild(variables);

    uint32_t constantSize = 0;
    uint8_t* constantData = buildConstantData(graphicsContext.header, variableBlock, constantSize);
    const float t = graphicsContext.header.time;

    resources.forEach([](uint32_t, Resource* resource) {
        if (resource != nullptr)
            resource->update();
    });

    if (observer != nullptr)
        observer->passesBegin();
    uint32_t index = 0;
    for (const PassEntry& entry : passes) {
        if (entry.kind == DrawPassKind) {
            auto* pass = static_cast<DrawPass*>(entry.pass);
            if (pass != nullptr && passEnabled(pass->enableMode, pass->startTime, pass->endTime, t, firstFrame))
                pass->execute(constantData, constantSize);
        } else if (entry.kind == ComputePassKind) {
            auto* pass = static_cast<ComputePass*>(entry.pass);
            if (pass != nullptr && passEnabled(pass->enableMode, pass->startTime, pass->endTime, t, firstFrame))
                pass->execute(constantData, constantSize);
        }
        if (observer != nullptr)
            observer->passDone(index);
        ++index;
    }
    if (observer != nullptr)
        observer->passesEnd();

    // Double-buffered resources now read what this frame wrote.
    resources.forEach([](uint32_t, Resource* resource) {
        if (resource != nullptr && resource->doubleBuffered)
            resource->parity = !resource->parity;
    });

    firstFrame = false;
    std::free(constantData);
    return output;
}

}  // namespace Gfx
}  // namespace Nimbra
