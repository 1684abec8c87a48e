#include "gfx/DemoPlayer.h"
#include "gfx/FrameConstants.h"
#include "gfx/TextureRuntime.h"
#include "tests/support/TestDevice.h"
#include "tests/gfx/TestShaders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Nimbra {

// The shell reads these from the primary screen; the tests pick a small screen.
int32_t screenWidth = 8;
int32_t screenHeight = 4;

namespace Gfx {
namespace {

BufferRuntime* newCounter()
{
    BufferDesc desc;
    desc.stride = 4;
    BufferRuntime* counter = new BufferRuntime();
    counter->create(desc, false);
    return counter;
}

ComputePass* newCountPass(BufferRuntime* counter, int32_t enableMode)
{
    ComputePassDesc desc;
    desc.kernelCode = countCS;
    desc.kernelCodeSize = countCSSize;
    desc.enableMode = enableMode;
    desc.startTime = 10.0f;
    desc.endTime = 20.0f;
    desc.outputs.push(ResourceBinding{BufferBinding, counter});
    ComputePass* pass = new ComputePass();
    pass->initialize(desc);
    return pass;
}

uint32_t countOf(Resource* counter)
{
    return Testing::readBufferAs<uint32_t>(static_cast<ID3D11Buffer*>(counter->resource(false)))[0];
}

uint16_t halfBits(float value)
{
    // Exact for the small powers of two the tests use.
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const uint32_t exponent = ((bits >> 23) & 0xFF) - 127 + 15;
    return static_cast<uint16_t>(((bits >> 16) & 0x8000) | (exponent << 10) | ((bits >> 13) & 0x3FF));
}

// Four variables (step, depthA, depthB, gain), three counters under three enable modes, a
// double-buffered texture, and a draw pass that fills the output with `step`.
struct PlayerFixture {
    DemoPlayer* player = new DemoPlayer();
    TextureRuntime* pingPong = new TextureRuntime();
    TextureRuntime* picture = new TextureRuntime();
    TextureRuntime* unregistered = new TextureRuntime();

    PlayerFixture()
    {
        GrowArray<DemoVariable> variables;
        variables.push(makeDemoVariable("step", VariableType::Float, 0.5f));
        variables.push(makeDemoVariable("depthA", VariableType::Float, 0.5f));
        variables.push(makeDemoVariable("depthB", VariableType::Float, 0.7f));
        variables.push(makeDemoVariable("gain", VariableType::Float, 1.0f));
        player->variables = variables;

        const int32_t modes[3] = {EnableAlways, EnableFirstFrame, EnableWindow};
        for (uint32_t i = 0; i < 3; ++i) {
            BufferRuntime* counter = newCounter();
            player->resources.slot(i) = counter;
            ComputePass* pass = newCountPass(counter, modes[i]);
            player->computePasses.slot(i) = pass;
            player->passes.push(PassEntry{ComputePassKind, pass});
        }

        TextureDesc desc;
        desc.width = screenWidth;
        desc.height = screenHeight;
        pingPong->create(desc, true);
        picture->create(desc, false);
        unregistered->create(desc, true);
        player->resources.slot(3) = pingPong;
        player->resources.slot(19) = picture;  // shares bucket 3 with the texture above

        DrawPassDesc fill;
        fill.vertexCode = layersVS;
        fill.vertexCodeSize = layersVSSize;
        fill.pixelCode = fillPS;
        fill.pixelCodeSize = fillPSSize;
        fill.targets.push(TargetBinding{picture, true});
        DrawPass* fillPass = new DrawPass();
        fillPass->initialize(fill);
        player->drawPasses.slot(0) = fillPass;
        player->passes.push(PassEntry{DrawPassKind, fillPass});
        // An entry of no known kind is skipped.
        player->passes.push(PassEntry{7, nullptr});

        player->output = picture;
        player->variableBlock.rebuild(player->variables);
        player->firstFrame = true;
    }

    Resource* renderAt(float t)
    {
        ContextBuffer frame = {};
        frame.time = t;
        frame.resolution = {static_cast<float>(screenWidth), static_cast<float>(screenHeight)};
        updateFrameContext(frame);
        return player->render();
    }
};

TEST(DemoPlayer, InitializeAddsTheScreenTextureAndTheCopyPass)
{
    PlayerFixture fixture;
    DemoPlayer& player = *fixture.player;
    ASSERT_EQ(player.passes.count, 5u);
    EXPECT_TRUE(player.initialize());
    ASSERT_EQ(player.passes.count, 6u);
    EXPECT_EQ(player.passes[5].kind, DrawPassKind);
    auto* copy = static_cast<DrawPass*>(player.passes[5].pass);
    ASSERT_NE(copy->program.vertexShader, nullptr);
    ASSERT_NE(copy->program.pixelShader, nullptr);
    ASSERT_EQ(copy->inputs.count, 1u);
    EXPECT_EQ(copy->inputs[0].resource, fixture.picture);

    auto* screen = dynamic_cast<TextureRuntime*>(player.output);
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(screen, fixture.picture);
    EXPECT_EQ(screen->width, screenWidth);
    EXPECT_EQ(screen->height, screenHeight);
    EXPECT_EQ(screen->format, Rgba16Float);
    EXPECT_EQ(copy->targets[0].resource, screen);

    // The frame's picture reaches the screen texture through the copy pass: `step` is 0.5.
    player.variables[0].value[0] = 0.25f;
    EXPECT_EQ(fixture.renderAt(1.0f), screen);
    const std::vector<uint8_t> texels = Testing::readTexture(screen->texture[0], 8);
    ASSERT_EQ(texels.size(), size_t(8 * screenWidth * screenHeight));
    uint16_t channel;
    std::memcpy(&channel, &texels[8 * 5 + 2], 2);
    EXPECT_EQ(channel, halfBits(0.25f));
}

TEST(DemoPlayer, EnableModesParityAndFirstFrame)
{
    PlayerFixture fixture;
    DemoPlayer& player = *fixture.player;
    player.initialize();
    Resource* always = player.resources.slot(0);
    Resource* once = player.resources.slot(1);
    Resource* window = player.resources.slot(2);

    struct Frame {
        float t;
        uint32_t always, once, window;
        bool pingPongParity;
    };
    const Frame frames[] = {
        {0.0f, 1, 1, 0, true},   {9.99f, 2, 1, 0, false}, {10.0f, 3, 1, 1, true},
        {20.0f, 4, 1, 2, false}, {20.01f, 5, 1, 2, true},
    };
    for (const Frame& frame : frames) {
        SCOPED_TRACE(frame.t);
        fixture.renderAt(frame.t);
        EXPECT_FALSE(player.firstFrame);
        EXPECT_EQ(countOf(always), frame.always);
        EXPECT_EQ(countOf(once), frame.once);
        EXPECT_EQ(countOf(window), frame.window);
        EXPECT_EQ(fixture.pingPong->parity, frame.pingPongParity);
        EXPECT_EQ(fixture.pingPong->rtv(false), fixture.pingPong->rtvs[frame.pingPongParity ? 1 : 0]);
        // Only registered, double-buffered resources flip.
        EXPECT_FALSE(fixture.unregistered->parity);
        EXPECT_FALSE(fixture.picture->parity);
        EXPECT_FALSE(player.output->parity);
    }

    // Four float variables: 608 + 16 bytes of constant data, header first.
    D3D11_BUFFER_DESC desc;
    frameConstants.buffer[0]->GetDesc(&desc);
    EXPECT_EQ(desc.ByteWidth, 624u);
    const std::vector<float> uploaded = Testing::readBufferAs<float>(frameConstants.buffer[0]);
    EXPECT_EQ(uploaded[0], 20.01f);
    EXPECT_EQ(uploaded[152], 0.5f);
    EXPECT_EQ(uploaded[155], 1.0f);
}

// Records the calls, and what the "always" counter holds at each pass's end.
struct RecordingObserver : PassObserver {
    Resource* counter = nullptr;
    std::vector<std::string> calls;
    void passesBegin() override { calls.push_back("begin " + std::to_string(countOf(counter))); }
    void passDone(uint32_t index) override
    {
        calls.push_back(std::to_string(index) + " " + std::to_string(countOf(counter)));
    }
    void passesEnd() override { calls.push_back("end"); }
};

TEST(DemoPlayer, ObserverSeesTheEndOfEveryPassInOrder)
{
    PlayerFixture fixture;
    DemoPlayer& player = *fixture.player;
    player.initialize();
    RecordingObserver observer;
    observer.counter = player.resources.slot(0);
    fixture.renderAt(0.0f);
    // Second frame, outside the window: passes 1 and 2 are skipped, entry 4 has no kind, and
    // each still gets its call; the first pass has run when its call comes.
    ContextBuffer frame = {};
    frame.time = 5.0f;
    frame.resolution = {static_cast<float>(screenWidth), static_cast<float>(screenHeight)};
    updateFrameContext(frame);
    EXPECT_EQ(player.render(&observer), player.output);
    const std::vector<std::string> expected = {"begin 1", "0 2", "1 2", "2 2", "3 2", "4 2", "5 2", "end"};
    EXPECT_EQ(observer.calls, expected);
    EXPECT_EQ(countOf(player.resources.slot(1)), 1u);
    EXPECT_EQ(countOf(player.resources.slot(2)), 0u);
}

TEST(DemoPlayer, CopyPassWithoutOutputBindsNothing)
{
    DemoPlayer player;
    player.variableBlock.rebuild(player.variables);
    player.firstFrame = true;
    EXPECT_TRUE(player.initialize());
    ASSERT_EQ(player.passes.count, 1u);
    auto* copy = static_cast<DrawPass*>(player.passes[0].pass);
    EXPECT_EQ(copy->inputs[0].resource, nullptr);

    // A buffer left at another size by earlier work must not be mistaken for the header's.
    const std::vector<uint8_t> larger(624, 1);
    refreshFrameConstants(larger.data(), 624);
    ContextBuffer frame = {};
    updateFrameContext(frame);
    auto* screen = static_cast<TextureRuntime*>(player.render());
    ASSERT_NE(screen, nullptr);
    // No variables: the constant data is the bare header.
    D3D11_BUFFER_DESC desc;
    frameConstants.buffer[0]->GetDesc(&desc);
    EXPECT_EQ(desc.ByteWidth, 608u);
    // The unbound input reads as zero everywhere.
    const std::vector<uint8_t> texels = Testing::readTexture(screen->texture[0], 8);
    EXPECT_EQ(texels, std::vector<uint8_t>(texels.size(), 0));
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
