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

constexpr ContentResource colourTexture()
{
    return {ContentResourceClass::Texture, rgba16Float, 0, 0, 0, nullptr, nullptr, false};
}

constexpr ContentResource depthTexture()
{
    return {ContentResourceClass::Texture, depth32Float, 0, 0, 0, nullptr, nullptr, false};
}

constexpr ContentResource numbers(int32_t elementType, uint32_t count, const unsigned char* data,
                                  const unsigned int* size)
{
    return {ContentResourceClass::BufferData, 0, elementType, count, 0, data, size, false};
}

}  // namespace

const ContentResource contentResources[contentResourceCount] = {
    /*  0 */ colourTexture(),  // wave lines
    /*  1 */ colourTexture(),  // focus-blurred lines
    /*  2 */ colourTexture(),  // text layers
    /*  3 */ numbers(int32Elements, 32768, fontA, &fontASize),
    /*  4 */ numbers(int32Elements, 765, layer1Text, &layer1TextSize),
    /*  5 */ numbers(float32Elements, 768, palette256, &palette256Size),
    /*  6 */ numbers(int32Elements, 354960, layer2Text, &layer2TextSize),
    /*  7 */ colourTexture(),  // composite
    /*  8 */ {ContentResourceClass::Image, 0, 0, 0, 0, mapImage, &mapImageSize, false},
    /*  9 */ colourTexture(),  // blurred composite
    /* 10 */ numbers(int32Elements, 379440, layer3Text, &layer3TextSize),
    /* 11 */ numbers(int32Elements, 146880, layer4Text, &layer4TextSize),
    // The rotation state: one 16-byte element, read from last frame's side and written to
    // this frame's side.
    /* 12 */ {ContentResourceClass::Buffer, 0, 0, 0, 16, nullptr, nullptr, true},
    /* 13 */ colourTexture(),  // scroller
    /* 14 */ numbers(int32Elements, 32768, fontB, &fontBSize),
    /* 15 */ numbers(int32Elements, 15360, scrollerText, &scrollerTextSize),
    /* 16 */ numbers(float32Elements, 96, palette32, &palette32Size),
    /* 17 */ depthTexture(),   // scroller depth
    /* 18 */ colourTexture(),  // combined picture, the player's output
    /* 19 */ colourTexture(),  // blurred scroller
};

const ContentDrawPass contentDrawPasses[contentDrawPassCount] = {
    // 0: wave lines, 60 instances of 36 vertices shaped by the rotation state.
    {waveLinesVS, &waveLinesVSSize, waveLinesPS, &waveLinesPSSize, 0, noResource,
     1, {{0, bufferInput, 12}}, {0, 0, 0, 1}, false, false, 0, 36, 60},
    // 1: focus blur of the lines.
    {fullscreenVS, &fullscreenVSSize, focusBlurPS, &focusBlurPSSize, 1, noResource,
     1, {{0, textureInput, 0}}, {0, 0, 0, 1}, false, false, 2, 3, 1},
    // 2: the four text layers; t4 stays unbound.
    {layersVS, &layersVSSize, layersPS, &layersPSSize, 2, noResource,
     6,
     {{0, bufferInput, 3}, {1, bufferInput, 4}, {2, bufferInput, 6}, {3, bufferInput, 5},
      {5, bufferInput, 10}, {6, bufferInput, 11}},
     {0, 0, 0, 1}, false, true, 2, 6, 5},
    // 3: composite of lines, picture and text; t0 stays unbound.
    {fullscreenVS, &fullscreenVSSize, compositePS, &compositePSSize, 7, noResource,
     3, {{1, textureInput, 1}, {2, textureInput, 8}, {3, textureInput, 2}},
     {0, 0, 0, 1}, false, false, 2, 6, 1},
    // 4: blur of the composite.
    {fullscreenVS, &fullscreenVSSize, blurPS, &blurPSSize, 9, noResource,
     1, {{0, textureInput, 7}}, {0, 0, 0, 1}, false, false, 0, 3, 1},
    // 5: the cube scroller, 1081344 instances of 36 vertices, with depth.
    {scrollerVS, &scrollerVSSize, scrollerPS, &scrollerPSSize, 13, 17,
     3, {{0, bufferInput, 14}, {1, bufferInput, 15}, {2, bufferInput, 16}},
     {0, 0, 0, 0}, true, false, 2, 36, 1081344},
    // 6: combines the blurred composite and the blurred scroller into the output.
    {fullscreenVS, &fullscreenVSSize, combinePS, &combinePSSize, 18, noResource,
     2, {{0, textureInput, 9}, {1, textureInput, 19}}, {0, 0, 0, 1}, false, true, 2, 3, 1},
    // 7: blur of the scroller.
    {fullscreenVS, &fullscreenVSSize, scrollerBlurPS, &scrollerBlurPSSize, 19, noResource,
     1, {{0, textureInput, 13}}, {0, 0, 0, 1}, false, false, 0, 3, 1},
};

const ContentComputePass contentComputePasses[contentComputePassCount] = {
    // 0: advances the rotation state; one thread group.
    {rotationCS, &rotationCSSize, 1, 1, 0, {0, bufferInput, 12}, {0, bufferInput, 12}},
};

const ContentPassRef contentCreationOrder[contentPassCount] = {
    {ContentPassKind::Draw, 0},    {ContentPassKind::Draw, 1}, {ContentPassKind::Draw, 2},
    {ContentPassKind::Draw, 3},    {ContentPassKind::Draw, 4}, {ContentPassKind::Compute, 0},
    {ContentPassKind::Draw, 5},    {ContentPassKind::Draw, 6}, {ContentPassKind::Draw, 7},
};

const ContentPassRef contentExecutionOrder[contentPassCount] = {
    {ContentPassKind::Compute, 0}, {ContentPassKind::Draw, 0}, {ContentPassKind::Draw, 1},
    {ContentPassKind::Draw, 2},    {ContentPassKind::Draw, 5}, {ContentPassKind::Draw, 3},
    {ContentPassKind::Draw, 7},    {ContentPassKind::Draw, 4}, {ContentPassKind::Draw, 6},
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
