#include "content/script/ContentTables.h"

#include "content/assets/Assets.h"

namespace Nimbra {

namespace {

constexpr int32_t rgba16Float = 3;
constexpr int32_t depth32Float = 6;
constexpr int32_t int32Elements = 0;
constexpr int32_t float32Elements = 1;
constexpr int32_t textureInput = 0;
constexpr int32_t bufferInput = 1;

// Shader-resource registers, named as the shaders declare them.
constexpr int32_t t0 = 0, t1 = 1, t2 = 2, t3 = 3, t5 = 5, t6 = 6;

// Rows are built by constexpr builders, one named call per field, so they read as named values rather than bare
// numbers yet stay constant data. A builder starts from an empty row (zeros, no depth target).

// An embedded program with the name it is embedded (and reloaded) under.
struct Program {
    const char* name;
    const unsigned char* code;
    const unsigned int* size;
};

// Spells a program's name once: PROGRAM(fullscreenVS) is "fullscreenVS" with its bytecode.
// clang-format off
#define PROGRAM(symbol) Program{#symbol, symbol, &symbol##Size}
// clang-format on

// What an input or output reads or writes: a texture or a buffer, by resource key.
struct Bound {
    int32_t kind;
    int32_t resource;
};

constexpr Bound texture(int32_t key)
{
    return {textureInput, key};
}

constexpr Bound buffer(int32_t key)
{
    return {bufferInput, key};
}

class ResourceRow
{
public:
    constexpr explicit ResourceRow(ContentResourceClass kind) : row{kind, 0, 0, 0, 0, nullptr, nullptr, false} {}
    constexpr ResourceRow format(int32_t value) const { return with(&ContentResource::format, value); }
    constexpr ResourceRow elementType(int32_t value) const { return with(&ContentResource::elementType, value); }
    constexpr ResourceRow count(uint32_t value) const { return with(&ContentResource::count, value); }
    constexpr ResourceRow stride(int32_t value) const { return with(&ContentResource::stride, value); }
    constexpr ResourceRow doubleBuffered() const { return with(&ContentResource::doubleBuffered, true); }
    constexpr ResourceRow data(const unsigned char* block, const unsigned int* size) const
    {
        ResourceRow next = *this;
        next.row.data = block;
        next.row.dataSize = size;
        return next;
    }
    constexpr operator ContentResource() const { return row; }

private:
    template <typename Field, typename Value>
    constexpr ResourceRow with(Field ContentResource::*field, Value value) const
    {
        ResourceRow next = *this;
        next.row.*field = value;
        return next;
    }

    ContentResource row;
};

// A screen-sized colour or depth texture.
constexpr ResourceRow colourTexture()
{
    return ResourceRow(ContentResourceClass::Texture).format(rgba16Float);
}

constexpr ResourceRow depthTexture()
{
    return ResourceRow(ContentResourceClass::Texture).format(depth32Float);
}

// A buffer filled from an embedded block of numbers.
constexpr ResourceRow numbers(int32_t elementType)
{
    return ResourceRow(ContentResourceClass::BufferData).elementType(elementType);
}

class DrawRow
{
public:
    constexpr DrawRow() : row{} { row.depthTarget = noResource; }
    constexpr DrawRow vertexShader(Program program) const
    {
        DrawRow next = *this;
        next.row.vertexProgram = program.name;
        next.row.vertexCode = program.code;
        next.row.vertexCodeSize = program.size;
        return next;
    }
    constexpr DrawRow pixelShader(Program program) const
    {
        DrawRow next = *this;
        next.row.pixelProgram = program.name;
        next.row.pixelCode = program.code;
        next.row.pixelCodeSize = program.size;
        return next;
    }
    constexpr DrawRow target(int32_t key) const { return with(&ContentDrawPass::target, key); }
    constexpr DrawRow depthTarget(int32_t key) const { return with(&ContentDrawPass::depthTarget, key); }
    // Appends the input at shader-resource register `reg`.
    constexpr DrawRow input(int32_t reg, Bound bound) const
    {
        DrawRow next = *this;
        next.row.inputs[next.row.inputCount++] = {reg, bound.kind, bound.resource};
        return next;
    }
    constexpr DrawRow clearColor(float r, float g, float b, float a) const
    {
        DrawRow next = *this;
        next.row.clearColor[0] = r;
        next.row.clearColor[1] = g;
        next.row.clearColor[2] = b;
        next.row.clearColor[3] = a;
        return next;
    }
    constexpr DrawRow useDepth(bool value) const { return with(&ContentDrawPass::useDepth, value); }
    constexpr DrawRow blend(bool value) const { return with(&ContentDrawPass::blend, value); }
    constexpr DrawRow blendMode(int32_t value) const { return with(&ContentDrawPass::blendMode, value); }
    constexpr DrawRow vertexCount(uint32_t value) const { return with(&ContentDrawPass::vertexCount, value); }
    constexpr DrawRow instanceCount(uint32_t value) const { return with(&ContentDrawPass::instanceCount, value); }
    constexpr operator ContentDrawPass() const { return row; }

private:
    template <typename Field, typename Value>
    constexpr DrawRow with(Field ContentDrawPass::*field, Value value) const
    {
        DrawRow next = *this;
        next.row.*field = value;
        return next;
    }

    ContentDrawPass row;
};

class ComputeRow
{
public:
    constexpr ComputeRow() : row{} {}
    constexpr ComputeRow kernelShader(Program program) const
    {
        ComputeRow next = *this;
        next.row.kernelProgram = program.name;
        next.row.kernelCode = program.code;
        next.row.kernelCodeSize = program.size;
        return next;
    }
    // Work size in threads on each axis; the pass dispatches it in groups of 8.
    constexpr ComputeRow workSize(uint32_t x, uint32_t y, uint32_t z) const
    {
        ComputeRow next = *this;
        next.row.sizeX = x;
        next.row.sizeY = y;
        next.row.sizeZ = z;
        return next;
    }
    // The one input at t0, and the one output, the first unordered-access view after it.
    constexpr ComputeRow input(Bound bound) const
    {
        ComputeRow next = *this;
        next.row.input = {0, bound.kind, bound.resource};
        return next;
    }
    constexpr ComputeRow output(Bound bound) const
    {
        ComputeRow next = *this;
        next.row.output = {0, bound.kind, bound.resource};
        return next;
    }
    constexpr operator ContentComputePass() const { return row; }

private:
    ContentComputePass row;
};

constexpr ContentPassRef draw(uint32_t key)
{
    return {ContentPassKind::Draw, key};
}

constexpr ContentPassRef compute(uint32_t key)
{
    return {ContentPassKind::Compute, key};
}

}  // namespace

const ContentResource contentResources[contentResourceCount] = {
    /*  0 */ colourTexture(),  // wave lines
    /*  1 */ colourTexture(),  // focus-blurred lines
    /*  2 */ colourTexture(),  // text layers
    /*  3 */ numbers(int32Elements).count(32768).data(fontA, &fontASize),
    /*  4 */ numbers(int32Elements).count(765).data(layer1Text, &layer1TextSize),
    /*  5 */ numbers(float32Elements).count(768).data(palette256, &palette256Size),
    /*  6 */ numbers(int32Elements).count(354960).data(layer2Text, &layer2TextSize),
    /*  7 */ colourTexture(),  // composite
    /*  8 */ ResourceRow(ContentResourceClass::Image).data(mapImage, &mapImageSize),
    /*  9 */ colourTexture(),  // blurred composite
    /* 10 */ numbers(int32Elements).count(379440).data(layer3Text, &layer3TextSize),
    /* 11 */ numbers(int32Elements).count(146880).data(layer4Text, &layer4TextSize),
    // The rotation state: one 16-byte element, read from last frame's side and written to
    // this frame's side.
    /* 12 */ ResourceRow(ContentResourceClass::Buffer).stride(16).doubleBuffered(),
    /* 13 */ colourTexture(),  // scroller
    /* 14 */ numbers(int32Elements).count(32768).data(fontB, &fontBSize),
    /* 15 */ numbers(int32Elements).count(15360).data(scrollerText, &scrollerTextSize),
    /* 16 */ numbers(float32Elements).count(96).data(palette32, &palette32Size),
    /* 17 */ depthTexture(),   // scroller depth
    /* 18 */ colourTexture(),  // combined picture, the player's output
    /* 19 */ colourTexture(),  // blurred scroller
};

// The blend mode of a pass without blending has no effect; it is kept as the content has it.
const ContentDrawPass contentDrawPasses[contentDrawPassCount] = {
    // 0: wave lines, 60 instances of 36 vertices shaped by the rotation state.
    DrawRow()
        .vertexShader(PROGRAM(waveLinesVS))
        .pixelShader(PROGRAM(waveLinesPS))
        .target(0)
        .input(t0, buffer(12))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(false)
        .blendMode(0)
        .vertexCount(36)
        .instanceCount(60),
    // 1: focus blur of the lines.
    DrawRow()
        .vertexShader(PROGRAM(fullscreenVS))
        .pixelShader(PROGRAM(focusBlurPS))
        .target(1)
        .input(t0, texture(0))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(false)
        .blendMode(2)
        .vertexCount(3)
        .instanceCount(1),
    // 2: the four text layers; t4 stays unbound.
    DrawRow()
        .vertexShader(PROGRAM(layersVS))
        .pixelShader(PROGRAM(layersPS))
        .target(2)
        .input(t0, buffer(3))
        .input(t1, buffer(4))
        .input(t2, buffer(6))
        .input(t3, buffer(5))
        .input(t5, buffer(10))
        .input(t6, buffer(11))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(true)
        .blendMode(2)
        .vertexCount(6)
        .instanceCount(5),
    // 3: composite of lines, picture and text; t0 stays unbound.
    DrawRow()
        .vertexShader(PROGRAM(fullscreenVS))
        .pixelShader(PROGRAM(compositePS))
        .target(7)
        .input(t1, texture(1))
        .input(t2, texture(8))
        .input(t3, texture(2))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(false)
        .blendMode(2)
        .vertexCount(6)
        .instanceCount(1),
    // 4: blur of the composite.
    DrawRow()
        .vertexShader(PROGRAM(fullscreenVS))
        .pixelShader(PROGRAM(blurPS))
        .target(9)
        .input(t0, texture(7))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(false)
        .blendMode(0)
        .vertexCount(3)
        .instanceCount(1),
    // 5: the cube scroller, 1081344 instances of 36 vertices, with depth.
    DrawRow()
        .vertexShader(PROGRAM(scrollerVS))
        .pixelShader(PROGRAM(scrollerPS))
        .target(13)
        .depthTarget(17)
        .input(t0, buffer(14))
        .input(t1, buffer(15))
        .input(t2, buffer(16))
        .clearColor(0, 0, 0, 0)
        .useDepth(true)
        .blend(false)
        .blendMode(2)
        .vertexCount(36)
        .instanceCount(1081344),
    // 6: combines the blurred composite and the blurred scroller into the output.
    DrawRow()
        .vertexShader(PROGRAM(fullscreenVS))
        .pixelShader(PROGRAM(combinePS))
        .target(18)
        .input(t0, texture(9))
        .input(t1, texture(19))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(true)
        .blendMode(2)
        .vertexCount(3)
        .instanceCount(1),
    // 7: blur of the scroller.
    DrawRow()
        .vertexShader(PROGRAM(fullscreenVS))
        .pixelShader(PROGRAM(scrollerBlurPS))
        .target(19)
        .input(t0, texture(13))
        .clearColor(0, 0, 0, 1)
        .useDepth(false)
        .blend(false)
        .blendMode(0)
        .vertexCount(3)
        .instanceCount(1),
};

const ContentComputePass contentComputePasses[contentComputePassCount] = {
    // 0: advances the rotation state; one thread group.
    ComputeRow().kernelShader(PROGRAM(rotationCS)).workSize(1, 1, 0).output(buffer(12)).input(buffer(12)),
};

const ContentPassRef contentCreationOrder[contentPassCount] = {
    draw(0), draw(1), draw(2), draw(3), draw(4), compute(0), draw(5), draw(6), draw(7),
};

const ContentPassRef contentExecutionOrder[contentPassCount] = {
    compute(0), draw(0), draw(1), draw(2), draw(5), draw(3), draw(7), draw(4), draw(6),
};

uint32_t contentInputRegisterCount(const ContentDrawPass& pass)
{
    uint32_t registers = 0;
    for (uint32_t i = 0; i < pass.inputCount; ++i) {
        if (static_cast<uint32_t>(pass.inputs[i].reg) + 1 > registers)
            registers = static_cast<uint32_t>(pass.inputs[i].reg) + 1;
    }
    return registers;
}

}  // namespace Nimbra
