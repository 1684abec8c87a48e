#include "content/script/BuildContent.h"

#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"
#include "content/script/ContentTables.h"
#include "core/DemoVariable.h"
#include "core/GrowArray.h"
#include "core/Timeline.h"
#include "gfx/BufferDataRuntime.h"
#include "gfx/BufferRuntime.h"
#include "gfx/ComputePass.h"
#include "gfx/DemoPlayer.h"
#include "gfx/DrawPass.h"
#include "gfx/ImageRuntime.h"
#include "gfx/TextureRuntime.h"

namespace Nimbra {

namespace {

using namespace Gfx;

// The literal size every texture descriptor starts from; screen-relative textures replace it.
constexpr int32_t literalTextureWidth = 1280;
constexpr int32_t literalTextureHeight = 720;

TextureDesc textureDescFor(const ContentResource& row, int32_t screenWidth, int32_t screenHeight)
{
    TextureDesc desc = textureDesc2D(literalTextureWidth, literalTextureHeight, row.format);
    if (!desc.fixedSize) {
        // Product in single precision, truncated toward zero.
        desc.width = static_cast<int32_t>(static_cast<float>(screenWidth) * desc.scale);
        desc.height = static_cast<int32_t>(static_cast<float>(screenHeight) * desc.scale);
    }
    return desc;
}

Resource* createResource(const ContentResource& row, int32_t screenWidth, int32_t screenHeight)
{
    switch (row.kind) {
    case ContentResourceClass::Texture: {
        TextureRuntime* texture = new TextureRuntime();
        texture->create(textureDescFor(row, screenWidth, screenHeight), row.doubleBuffered);
        return texture;
    }
    case ContentResourceClass::Image: {
        ImageRuntime* image = new ImageRuntime();
        ImageDesc desc;
        desc.data = row.data;
        desc.size = *row.dataSize;
        image->create(desc);
        return image;
    }
    case ContentResourceClass::Buffer: {
        BufferRuntime* buffer = new BufferRuntime();
        BufferDesc desc;
        desc.constantBuffer = false;
        desc.stride = row.stride;
        desc.countX = 1;
        desc.countY = 1;
        desc.countZ = 1;
        desc.initialData = nullptr;
        buffer->create(desc, row.doubleBuffered);
        return buffer;
    }
    case ContentResourceClass::BufferData: {
        BufferDataRuntime* buffer = new BufferDataRuntime();
        BufferDataDesc desc;
        desc.elementType = row.elementType;
        desc.data = row.data;
        desc.count = row.count;
        buffer->create(desc);
        return buffer;
    }
    }
    return nullptr;
}

ResourceBinding bindingFor(DemoPlayer& player, const ContentInput& input)
{
    ResourceBinding binding;
    binding.kind = input.kind;
    binding.resource = player.resources.slot(static_cast<uint32_t>(input.resource));
    return binding;
}

DrawPass* createDrawPass(DemoPlayer& player, const ContentDrawPass& row)
{
    DrawPassDesc desc;
    desc.vertexProgram = row.vertexProgram;
    desc.pixelProgram = row.pixelProgram;
    desc.vertexCode = row.vertexCode;
    desc.vertexCodeSize = *row.vertexCodeSize;
    desc.pixelCode = row.pixelCode;
    desc.pixelCodeSize = *row.pixelCodeSize;
    desc.kernelCode = nullptr;
    desc.kernelCodeSize = 0;

    TargetBinding target;
    target.resource = static_cast<TextureRuntime*>(player.resources.slot(static_cast<uint32_t>(row.target)));
    target.flag = true;
    desc.targets.push(target);
    if (row.depthTarget != noResource)
        desc.depthTarget = player.resources.slot(static_cast<uint32_t>(row.depthTarget));

    // Registers the pass leaves out stay zero: kind 0 and no resource, so nothing is bound.
    desc.inputs.resize(contentInputRegisterCount(row));
    for (uint32_t i = 0; i < row.inputCount; ++i)
        *desc.inputs.at(static_cast<uint32_t>(row.inputs[i].reg)) = bindingFor(player, row.inputs[i]);

    for (int c = 0; c < 4; ++c)
        desc.clearColor[c] = row.clearColor[c];
    desc.clear = true;
    desc.useDepth = row.useDepth;
    desc.cullBack = false;
    desc.blend = row.blend;
    desc.blendMode = row.blendMode;
    desc.topology = 3;
    desc.vertexCount = row.vertexCount;
    desc.instanceCount = row.instanceCount;
    desc.enableMode = 0;
    desc.startTime = contentPassStartTime;
    desc.endTime = contentPassEndTime;
    desc.reservedDepthFlag = true;

    DrawPass* pass = new DrawPass();
    pass->initialize(desc);
    return pass;
}

ComputePass* createComputePass(DemoPlayer& player, const ContentComputePass& row)
{
    ComputePassDesc desc;
    desc.vertexCode = nullptr;
    desc.vertexCodeSize = 0;
    desc.pixelCode = nullptr;
    desc.pixelCodeSize = 0;
    desc.kernelProgram = row.kernelProgram;
    desc.kernelCode = row.kernelCode;
    desc.kernelCodeSize = *row.kernelCodeSize;
    desc.sizeX = row.sizeX;
    desc.sizeY = row.sizeY;
    desc.sizeZ = row.sizeZ;
    desc.enableMode = 0;
    desc.startTime = contentPassStartTime;
    desc.endTime = contentPassEndTime;
    desc.outputs.push(bindingFor(player, row.output));
    desc.inputs.push(bindingFor(player, row.input));

    ComputePass* pass = new ComputePass();
    pass->initialize(desc);
    return pass;
}

}  // namespace

void buildContent(Timeline& timeline, int32_t screenWidth, int32_t screenHeight)
{
    DemoPlayer* player = new DemoPlayer();
    timeline.player = player;

    GrowArray<DemoVariable> variables;
    for (uint32_t i = 0; i < contentVariableCount; ++i)
        variables.push(
            makeDemoVariable(contentVariables[i].name, VariableType::Float, contentVariables[i].defaultValue));
    player->variables = variables;
    player->variableBlock.rebuild(GrowArray<DemoVariable>(variables));

    timeline.bpm = contentBpm;
    timeline.rowsPerBeat = contentRowsPerBeat;
    timeline.curves.resize(contentVariableCount);
    appendContentKeys(timeline);

    uint32_t objectCount = 0;
    for (uint32_t key = 0; key < contentResourceCount; ++key) {
        Resource* resource = createResource(contentResources[key], screenWidth, screenHeight);
        player->resources.slot(key) = resource;
        timeline.objects[objectCount++] = resource;
    }

    for (const ContentPassRef& ref : contentCreationOrder) {
        if (ref.kind == ContentPassKind::Draw) {
            DrawPass* pass = createDrawPass(*player, contentDrawPasses[ref.key]);
            player->drawPasses.slot(ref.key) = pass;
            timeline.objects[objectCount++] = pass;
        } else {
            ComputePass* pass = createComputePass(*player, contentComputePasses[ref.key]);
            player->computePasses.slot(ref.key) = pass;
            timeline.objects[objectCount++] = pass;
        }
    }

    for (const ContentPassRef& ref : contentExecutionOrder) {
        PassEntry entry;
        entry.kind = static_cast<int32_t>(ref.kind);
        if (ref.kind == ContentPassKind::Draw)
            entry.pass = player->drawPasses.slot(ref.key);
        else
            entry.pass = player->computePasses.slot(ref.key);
        player->passes.push(entry);
    }

    player->output = player->resources.slot(contentOutputResource);
    player->firstFrame = true;
}

}  // namespace Nimbra
