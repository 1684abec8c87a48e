// The content as buildContent leaves it on a 1920 x 1080 screen, the player before and after
// initialize, and one frame of the frame work.
#include "gfx/frame/Camera.h"
#include "gfx/frame/GraphicsContext.h"
#include "app/Presentation.h"
#include "gfx/frame/Screen.h"
#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"
#include "content/assets/Assets.h"
#include "content/assets/ContentPrograms.h"
#include "content/script/BuildContent.h"
#include "content/script/ContentTables.h"
#include "core/Timeline.h"
#include "gfx/BufferDataRuntime.h"
#include "gfx/ComputePass.h"
#include "gfx/DemoPlayer.h"
#include "gfx/DrawPass.h"
#include "gfx/FrameConstants.h"
#include "gfx/ImageRuntime.h"
#include "gfx/TextureRuntime.h"
#include "gfx/live/ProgramSwap.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cstddef>

#include <cstring>
#include <vector>

using namespace Nimbra;
using namespace Nimbra::Gfx;

namespace {

constexpr int32_t screenW = 1920;
constexpr int32_t screenH = 1080;

// One build for all cases, on the tests' shared device: building uploads some 4 MB of data and
// compiles every shader, and the content is never changed by the cases that only look at it.
struct Built {
    Presentation presentation;
    DemoPlayer* player = nullptr;
};

Built& built()
{
    static Built b;
    static bool done = false;
    if (!done) {
        done = true;
        screenWidth = screenW;
        screenHeight = screenH;
        buildContent(b.presentation.timeline, screenW, screenH);
        b.player = b.presentation.timeline.player;
    }
    return b;
}

D3D11_TEXTURE2D_DESC textureDesc(Resource* resource, bool readSide = false)
{
    D3D11_TEXTURE2D_DESC desc = {};
    auto* texture = static_cast<ID3D11Texture2D*>(resource->resource(readSide));
    if (texture)
        texture->GetDesc(&desc);
    return desc;
}

uint32_t bufferBytes(Resource* resource)
{
    D3D11_BUFFER_DESC desc = {};
    auto* buffer = static_cast<ID3D11Buffer*>(resource->resource(false));
    if (buffer)
        buffer->GetDesc(&desc);
    return desc.ByteWidth;
}

class BuiltContent : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(built().player, nullptr); }
    Timeline& timeline = built().presentation.timeline;
    DemoPlayer*& player = built().player;
};

}  // namespace

// Direct3D copies a buffer's whole ByteWidth from its initial data: every number block must
// store at least that many bytes, though its size (and the buffer's count) is often less.
TEST_F(BuiltContent, EveryBufferDataBlockCoversItsBufferWidth)
{
    const struct {
        const unsigned char* block;
        const unsigned int* storage;
    } stored[] = {
        {fontA, &fontAStorage},
        {fontB, &fontBStorage},
        {layer1Text, &layer1TextStorage},
        {layer2Text, &layer2TextStorage},
        {layer3Text, &layer3TextStorage},
        {layer4Text, &layer4TextStorage},
        {scrollerText, &scrollerTextStorage},
        {palette256, &palette256Storage},
        {palette32, &palette32Storage},
    };
    uint32_t checked = 0;
    for (uint32_t key = 0; key < contentResourceCount; ++key) {
        if (contentResources[key].kind != ContentResourceClass::BufferData)
            continue;
        auto* buffer = static_cast<BufferDataRuntime*>(player->resources.slot(key));
        ASSERT_NE(buffer, nullptr) << key;
        const unsigned int* storage = nullptr;
        for (const auto& s : stored)
            if (s.block == buffer->initialData)
                storage = s.storage;
        ASSERT_NE(storage, nullptr) << "resource " << key << " starts from a block of unknown storage";
        EXPECT_GE(*storage, bufferBytes(buffer)) << key;
        ++checked;
    }
    EXPECT_EQ(checked, 9u);
    // The one block whose size is not a multiple of 16: 765 ints, 3,060 bytes in a 3,072-byte buffer.
    EXPECT_EQ(layer1TextSize, 3060u);
    EXPECT_EQ(bufferBytes(player->resources.slot(4)), 3072u);
}

TEST_F(BuiltContent, VariablesInRegistrationOrder)
{
    ASSERT_EQ(player->variables.count, 64u);
    for (uint32_t i = 0; i < 64; ++i) {
        const DemoVariable& v = *player->variables.at(i);
        EXPECT_STREQ(v.name, contentVariables[i].name) << i;
        EXPECT_EQ(v.type, 0) << i;
        EXPECT_EQ(v.value[0], contentVariables[i].defaultValue) << v.name;
        EXPECT_EQ(v.value[1], 0.0f);
        EXPECT_EQ(v.value[2], 0.0f);
        EXPECT_EQ(v.value[3], 0.0f);
        // The name field is NUL-padded to its end.
        for (size_t c = std::strlen(v.name); c < sizeof v.name; ++c)
            ASSERT_EQ(v.name[c], 0) << v.name;
    }
    EXPECT_STREQ(player->variables.at(0)->name, "CameraPosX");
    EXPECT_STREQ(player->variables.at(9)->name, "BLRSTRENGHT");
    EXPECT_STREQ(player->variables.at(42)->name, "PTRNLNGHT");
    EXPECT_STREQ(player->variables.at(63)->name, "LNWIDHT");
    EXPECT_EQ(player->variables.at(42)->value[0], 728000.0f);
    // 64 floats packed behind the 608-byte header.
    EXPECT_EQ(player->variableBlock.byteCount, 256u);
}

TEST_F(BuiltContent, TempoAndKeys)
{
    EXPECT_EQ(timeline.bpm, 125.0f);
    EXPECT_EQ(timeline.rowsPerBeat, 8u);
    ASSERT_EQ(timeline.curves.count, 64u);
    uint32_t keys = 0;
    for (uint32_t i = 0; i < timeline.curves.count; ++i)
        keys += timeline.curves.at(i)->keys.count;
    EXPECT_EQ(keys, 4154u);
}

TEST_F(BuiltContent, ResourcesAtScreenSize)
{
    uint32_t textures = 0, images = 0, dataBuffers = 0, buffers = 0;
    for (uint32_t key = 0; key < 20; ++key) {
        Resource* r = player->resources.slot(key);
        ASSERT_NE(r, nullptr) << key;
        EXPECT_EQ(r->doubleBuffered, key == 12) << key;
        if (auto* image = dynamic_cast<ImageRuntime*>(r)) {
            ++images;
            EXPECT_EQ(key, 8u);
            EXPECT_NE(image->srv(true), nullptr);
        } else if (auto* texture = dynamic_cast<TextureRuntime*>(r)) {
            ++textures;
            EXPECT_EQ(texture->width, screenW) << key;
            EXPECT_EQ(texture->height, screenH) << key;
            EXPECT_EQ(texture->format, key == 17 ? Depth32Float : Rgba16Float) << key;
            EXPECT_FALSE(texture->mips);
            D3D11_TEXTURE2D_DESC desc = textureDesc(r);
            EXPECT_EQ(desc.Width, UINT(screenW)) << key;
            EXPECT_EQ(desc.Height, UINT(screenH)) << key;
            EXPECT_EQ(desc.Format, key == 17 ? DXGI_FORMAT_D32_FLOAT : DXGI_FORMAT_R16G16B16A16_FLOAT) << key;
            if (key == 17) {
                EXPECT_NE(r->dsv(), nullptr);
            } else {
                EXPECT_NE(r->rtv(false), nullptr) << key;
            }
        } else if (auto* data = dynamic_cast<BufferDataRuntime*>(r)) {
            ++dataBuffers;
            EXPECT_EQ(bufferBytes(r), (data->count * 4 + 15) / 16 * 16) << key;
            EXPECT_NE(r->srv(true), nullptr) << key;
        } else if (dynamic_cast<BufferRuntime*>(r)) {
            ++buffers;
            EXPECT_EQ(key, 12u);
            EXPECT_EQ(bufferBytes(r), 16u);
            // Both sides exist, and the sides are different buffers.
            EXPECT_NE(r->srv(true), nullptr);
            EXPECT_NE(r->uav(false), nullptr);
            EXPECT_NE(r->resource(true), r->resource(false));
        }
    }
    EXPECT_EQ(textures, 9u);
    EXPECT_EQ(images, 1u);
    EXPECT_EQ(dataBuffers, 9u);
    EXPECT_EQ(buffers, 1u);
    EXPECT_EQ(static_cast<BufferDataRuntime*>(player->resources.slot(6))->count, 354960u);
    EXPECT_EQ(static_cast<BufferDataRuntime*>(player->resources.slot(16))->elementType, Float32);
}

TEST_F(BuiltContent, ObjectsInCreationOrder)
{
    for (uint32_t key = 0; key < 20; ++key)
        EXPECT_EQ(timeline.objects[key], player->resources.slot(key)) << key;
    const uint32_t drawKeys[] = {0, 1, 2, 3, 4};
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(timeline.objects[20 + i], player->drawPasses.slot(drawKeys[i])) << i;
    EXPECT_EQ(timeline.objects[25], player->computePasses.slot(0));
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(timeline.objects[26 + i], player->drawPasses.slot(5 + i)) << i;
}

// demo-sync's live shaders find a program by the name its passes record, and it takes its own
// place again within what the player uploads at b8. (layersPS and compositePS declare t4 and t0,
// which their passes leave empty: the fit check refuses them even their own program.)
TEST_F(BuiltContent, ProgramsThePassesNameTakeTheirOwnPlaceAgain)
{
    static ProgramSwap swap(*player);  // the passes keep pointing at its bytes
    const char* const names[] = {"waveLinesVS", "waveLinesPS", "fullscreenVS", "focusBlurPS",    "layersVS",  "blurPS",
                                 "scrollerVS",  "scrollerPS",  "combinePS",    "scrollerBlurPS", "rotationCS"};
    for (const char* name : names)
        for (unsigned int i = 0; i < contentProgramCount; ++i) {
            const ContentProgram& program = contentPrograms[i];
            std::string why;
            PreparedProgram prepared;
            if (std::strcmp(program.name, name) != 0)
                continue;
            EXPECT_TRUE(
                swap.prepare(name, std::vector<uint8_t>(program.code, program.code + *program.size), prepared, why))
                << name << ": " << why;
            swap.swapIn(prepared);
        }
}

TEST_F(BuiltContent, PassesAndRegisters)
{
    for (uint32_t key = 0; key < 8; ++key) {
        DrawPass* pass = player->drawPasses.slot(key);
        ASSERT_NE(pass, nullptr) << key;
        EXPECT_NE(pass->program.vertexShader, nullptr) << "draw " << key << " vertex shader rejected";
        EXPECT_NE(pass->program.pixelShader, nullptr) << "draw " << key << " pixel shader rejected";
        ASSERT_EQ(pass->targets.count, 1u);
    }
    ComputePass* compute = player->computePasses.slot(0);
    ASSERT_NE(compute, nullptr);
    EXPECT_NE(compute->program.computeShader, nullptr);
    ASSERT_EQ(compute->inputs.count, 1u);
    ASSERT_EQ(compute->outputs.count, 1u);
    EXPECT_EQ(compute->inputs.at(0)->resource, player->resources.slot(12));
    EXPECT_EQ(compute->outputs.at(0)->resource, player->resources.slot(12));

    DrawPass* text = player->drawPasses.slot(2);
    ASSERT_EQ(text->inputs.count, 7u);
    const uint32_t textKeys[] = {3, 4, 6, 5, 0, 10, 11};
    for (uint32_t reg = 0; reg < 7; ++reg) {
        const ResourceBinding& in = *text->inputs.at(reg);
        if (reg == 4) {
            EXPECT_EQ(in.resource, nullptr);
            EXPECT_EQ(in.kind, 0);
        } else {
            EXPECT_EQ(in.resource, player->resources.slot(textKeys[reg])) << "t" << reg;
            EXPECT_EQ(in.kind, 1) << "t" << reg;
        }
    }
    DrawPass* composite = player->drawPasses.slot(3);
    ASSERT_EQ(composite->inputs.count, 4u);
    EXPECT_EQ(composite->inputs.at(0)->resource, nullptr);
    EXPECT_EQ(composite->inputs.at(0)->kind, 0);
    EXPECT_EQ(composite->inputs.at(1)->resource, player->resources.slot(1));
    EXPECT_EQ(composite->inputs.at(2)->resource, player->resources.slot(8));
    EXPECT_EQ(composite->inputs.at(3)->resource, player->resources.slot(2));

    DrawPass* scroller = player->drawPasses.slot(5);
    EXPECT_TRUE(scroller->useDepth);
    EXPECT_EQ(scroller->depthTarget, player->resources.slot(17));
    EXPECT_EQ(scroller->instanceCount, 1081344u);
    EXPECT_EQ(scroller->clearColor[3], 0.0f);
}

// Defined last, so it runs after the cases that look at the content as built: it initialises
// the player and renders a frame.
TEST_F(BuiltContent, InitializeThenOneFrame)
{
    const int32_t order[9][2] = {{0, 0}, {1, 0}, {1, 1}, {1, 2}, {1, 5}, {1, 3}, {1, 7}, {1, 4}, {1, 6}};
    ASSERT_EQ(player->passes.count, 9u);
    for (uint32_t i = 0; i < 9; ++i) {
        const PassEntry& entry = *player->passes.at(i);
        EXPECT_EQ(entry.kind, order[i][0]) << i;
        void* expected = order[i][0] == 0 ? static_cast<void*>(player->computePasses.slot(order[i][1]))
                                          : static_cast<void*>(player->drawPasses.slot(order[i][1]));
        EXPECT_EQ(entry.pass, expected) << i;
    }
    EXPECT_EQ(player->output, player->resources.slot(18));
    EXPECT_TRUE(player->firstFrame);

    player->initialize();
    ASSERT_EQ(player->passes.count, 10u);
    EXPECT_EQ(player->passes.at(9)->kind, 1);
    auto* screen = dynamic_cast<TextureRuntime*>(player->output);
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(player->output, player->resources.slot(18));
    EXPECT_EQ(screen->width, screenW);
    EXPECT_EQ(screen->height, screenH);

    // One frame of the frame work at 1.5 s (row 25); the constant data the shaders receive is
    // the context header followed by every curve's value.
    Resource* rotation = player->resources.slot(12);
    bool parity = rotation->parity;
    const float t = 1.5f;
    presentationFrameWork(built().presentation, t, t, 0, float(screenW) / float(screenH));
    EXPECT_NE(rotation->parity, parity);
    EXPECT_FALSE(player->firstFrame);

    const std::vector<uint8_t> bytes = Testing::readBuffer(frameConstants.buffer[0]);
    ASSERT_EQ(bytes.size(), 864u);
    float words[216];
    std::memcpy(words, bytes.data(), 864);
    EXPECT_EQ(words[0], t);
    uint32_t frame;
    std::memcpy(&frame, bytes.data() + 4, 4);
    EXPECT_EQ(frame, 0u);
    EXPECT_EQ(words[2], t);
    EXPECT_EQ(words[4], float(screenW));
    EXPECT_EQ(words[5], float(screenH));
    for (uint32_t i = 0; i < 64; ++i)
        EXPECT_EQ(words[152 + i], evaluateCurve(timeline, i, t)) << contentVariables[i].name;

    // demo-sync's fly camera holds the eight camera values, in the variables the shaders read and
    // in the camera's view: a camera at (1, 2, 3) looking along +Z, FOV 60, no roll.
    const float held[8] = {1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f, 60.0f, 0.0f};
    built().presentation.heldCamera = held;
    presentationFrameWork(built().presentation, t, 0.0f, 1, float(screenW) / float(screenH));
    built().presentation.heldCamera = nullptr;
    std::memcpy(words, Testing::readBuffer(frameConstants.buffer[0]).data(), 864);
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(words[152 + i], held[i]) << contentVariables[i].name;
    for (uint32_t i = 8; i < 64; ++i)
        EXPECT_EQ(words[152 + i], evaluateCurve(timeline, i, t)) << contentVariables[i].name;
    const Matrix4 view = cameraView({1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f, 60.0f, 0.0f});
    EXPECT_EQ(std::memcmp(&words[offsetof(ContextBuffer, viewMatrix) / 4], view.m, sizeof view.m), 0);
}
