#include "gfx/ComputePass.h"
#include "gfx/DrawPass.h"
#include "gfx/FrameConstants.h"
#include "tests/support/TestDevice.h"
#include "tests/gfx/TestShaders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Nimbra {
namespace Gfx {
namespace {

// The variables the test shaders declare behind the header (tests/support/TestConstants.hlsli),
// padded to 16 bytes.
struct TestConstants {
    ContextBuffer header;
    float step;
    float depthA;
    float depthB;
    float gain;
};
static_assert(sizeof(TestConstants) == 624, "header plus four floats");

TestConstants constants(float step, float depthA = 0.5f, float depthB = 0.7f, float gain = 1.0f)
{
    TestConstants c = {};
    c.step = step;
    c.depthA = depthA;
    c.depthB = depthB;
    c.gain = gain;
    return c;
}

TEST(ComputePass, DoubleBufferedStateAdvancesFrameAfterFrame)
{
    constexpr int elements = 16;
    BufferDesc desc;
    desc.stride = 4;
    desc.countX = elements;
    BufferRuntime state;
    state.create(desc, true);
    ASSERT_NE(state.buffer[1], nullptr);
    // The read side of the first frame is the second buffer.
    std::vector<int32_t> start(elements);
    for (int i = 0; i < elements; ++i)
        start[i] = 100 + i;
    graphicsContext.context->UpdateSubresource(state.buffer[1], 0, nullptr, start.data(), 0, 0);

    ComputePassDesc passDesc;
    passDesc.kernelCode = advanceCS;
    passDesc.kernelCodeSize = advanceCSSize;
    passDesc.sizeX = elements;
    passDesc.sizeY = 1;
    passDesc.sizeZ = 0;
    passDesc.inputs.push(ResourceBinding{BufferBinding, &state});
    passDesc.outputs.push(ResourceBinding{BufferBinding, &state});
    ComputePass pass;
    EXPECT_TRUE(pass.initialize(passDesc));
    EXPECT_EQ(pass.kind, ComputeShader);
    EXPECT_STREQ(pass.kernelEntry.c_str(), "kernel_main");
    EXPECT_EQ(passDesc.inputs.count, 0u) << "the description is consumed";
    ASSERT_NE(pass.program.computeShader, nullptr);

    const TestConstants c = constants(3.0f);
    for (int frame = 1; frame <= 3; ++frame) {
        pass.execute(&c, sizeof c);
        const std::vector<int32_t> written =
            Testing::readBufferAs<int32_t>(static_cast<ID3D11Buffer*>(state.resource(false)));
        ASSERT_EQ(written.size(), size_t(elements));
        for (int i = 0; i < elements; ++i)
            ASSERT_EQ(written[i], 100 + i + 3 * frame) << "frame " << frame << ", element " << i;
        state.parity = !state.parity;
    }
    state.release();
}

TEST(ComputePass, MissingShaderIsSkipped)
{
    BufferDesc desc;
    desc.stride = 4;
    BufferRuntime counter;
    counter.create(desc, false);
    ComputePassDesc passDesc;
    passDesc.outputs.push(ResourceBinding{BufferBinding, &counter});
    ComputePass pass;
    pass.initialize(passDesc);
    EXPECT_EQ(pass.program.computeShader, nullptr);
    const TestConstants c = constants(1.0f);
    pass.execute(&c, sizeof c);
    EXPECT_EQ(Testing::readBufferAs<uint32_t>(counter.buffer[0])[0], 0u);
    counter.release();
}

struct DrawFixture {
    TextureRuntime first;
    TextureRuntime third;
    TextureRuntime target;
    TextureRuntime depth;

    DrawFixture()
    {
        TextureDesc desc;
        desc.width = 4;
        desc.height = 4;
        desc.format = Rgba32Float;
        first.create(desc, false);
        third.create(desc, false);
        target.create(desc, false);
        desc.format = Depth32Float;
        depth.create(desc, false);
        fill(first, 0.5f, 0.25f, 0.0f, 0.0f);
        fill(third, 0.0f, 0.0f, 0.125f, 0.0625f);
    }
    ~DrawFixture()
    {
        first.release();
        third.release();
        target.release();
        depth.release();
    }

    static void fill(TextureRuntime& texture, float r, float g, float b, float a)
    {
        std::vector<float> pixels;
        for (int i = 0; i < 16; ++i)
            pixels.insert(pixels.end(), {r, g, b, a});
        texture.upload(pixels.data(), 4, 4, 16);
    }

    DrawPassDesc description()
    {
        DrawPassDesc desc;
        desc.vertexCode = layersVS;
        desc.vertexCodeSize = layersVSSize;
        desc.pixelCode = layersPS;
        desc.pixelCodeSize = layersPSSize;
        desc.clearColor[0] = 0.25f;
        desc.clearColor[1] = 0.0f;
        desc.clearColor[2] = 0.0f;
        desc.clearColor[3] = 1.0f;
        desc.instanceCount = 2;
        desc.targets.push(TargetBinding{&target, true});
        desc.depthTarget = &depth;
        desc.inputs.push(ResourceBinding{TextureBinding, &first});
        desc.inputs.push(ResourceBinding{TextureBinding, nullptr});
        desc.inputs.push(ResourceBinding{TextureBinding, &third});
        return desc;
    }

    std::vector<float> pixel()
    {
        const std::vector<uint8_t> bytes = Testing::readTexture(target.texture[0], 16);
        std::vector<float> rgba(4);
        if (bytes.size() >= 16)
            std::memcpy(rgba.data(), bytes.data(), 16);
        return rgba;
    }
};

TEST(DrawPass, BlendsOverTheClearColourBehindTheDepthTest)
{
    DrawFixture fixture;
    // Source colour: first + 10 * (nothing) + 100 * third = (0.5, 0.25, 12.5, 6.25).
    DrawPassDesc desc = fixture.description();
    desc.useDepth = true;
    desc.blend = true;
    desc.blendMode = BlendAdd;
    DrawPass pass;
    pass.initialize(desc);
    EXPECT_EQ(pass.kind, VertexPixelShaders);
    ASSERT_NE(pass.program.vertexShader, nullptr);
    ASSERT_NE(pass.program.pixelShader, nullptr);

    const TestConstants c = constants(0.0f);
    // Instance 1 lies behind instance 0 and fails the depth test: one addition only. The
    // second run shows the depth target is cleared again.
    for (int run = 0; run < 2; ++run) {
        pass.execute(&c, sizeof c);
        EXPECT_EQ(fixture.pixel(), (std::vector<float>{0.75f, 0.25f, 12.5f, 7.25f})) << "run " << run;
    }

    // Without the depth target both instances add.
    pass.useDepth = false;
    pass.execute(&c, sizeof c);
    EXPECT_EQ(fixture.pixel(), (std::vector<float>{1.25f, 0.5f, 25.0f, 13.5f}));

    // Blending off: the mode is ignored and the source replaces the clear colour.
    pass.blend = false;
    pass.blendMode = 3;
    pass.execute(&c, sizeof c);
    EXPECT_EQ(fixture.pixel(), (std::vector<float>{0.5f, 0.25f, 12.5f, 6.25f}));

    // The inverse-colour mode darkens the clear colour by the source.
    DrawFixture::fill(fixture.first, 0.5f, 0.0f, 0.0f, 0.0f);
    DrawFixture::fill(fixture.third, 0.0f, 0.0f, 0.0f, 0.0f);
    pass.blend = true;
    pass.instanceCount = 1;
    pass.execute(&c, sizeof c);
    // dest * (1 - src) for colour, dest * (1 - src.a) for alpha: (0.125, 0, 0, 1).
    EXPECT_EQ(fixture.pixel(), (std::vector<float>{0.125f, 0.0f, 0.0f, 1.0f}));
}

TEST(DrawPass, LeavesNothingBound)
{
    DrawFixture fixture;
    DrawPassDesc desc = fixture.description();
    DrawPass pass;
    pass.initialize(desc);
    const TestConstants c = constants(0.0f);
    pass.execute(&c, sizeof c);

    ID3D11DeviceContext* context = graphicsContext.context;
    ID3D11ShaderResourceView* views[3] = {};
    context->PSGetShaderResources(0, 3, views);
    ID3D11RenderTargetView* target = nullptr;
    ID3D11DepthStencilView* depthView = nullptr;
    context->OMGetRenderTargets(1, &target, &depthView);
    ID3D11PixelShader* shader = nullptr;
    context->PSGetShader(&shader, nullptr, nullptr);
    EXPECT_EQ(views[0], nullptr);
    EXPECT_EQ(views[2], nullptr);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(depthView, nullptr);
    EXPECT_EQ(shader, nullptr);
    ID3D11Buffer* constantsBound = nullptr;
    context->PSGetConstantBuffers(8, 1, &constantsBound);
    EXPECT_EQ(constantsBound, frameConstants.buffer[0]);
    if (constantsBound != nullptr)
        constantsBound->Release();
}

TEST(FrameConstants, CreatedAtTheUploadSizeAndKeptWhileItStays)
{
    BufferDesc desc;
    desc.stride = 4;
    BufferRuntime counter;
    counter.create(desc, false);
    ComputePassDesc passDesc;
    passDesc.kernelCode = countCS;
    passDesc.kernelCodeSize = countCSSize;
    passDesc.outputs.push(ResourceBinding{BufferBinding, &counter});
    ComputePass pass;
    pass.initialize(passDesc);

    std::vector<uint8_t> data(864);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);

    frameConstants.release();
    updateFrameContext(ContextBuffer{});
    pass.execute(data.data(), 864);
    ID3D11Buffer* created = frameConstants.buffer[0];
    ASSERT_NE(created, nullptr);
    created->AddRef();  // keeps the address from being reused by a later buffer
    D3D11_BUFFER_DESC bufferDesc;
    created->GetDesc(&bufferDesc);
    EXPECT_EQ(bufferDesc.ByteWidth, 864u);
    EXPECT_EQ(bufferDesc.BindFlags, UINT(D3D11_BIND_CONSTANT_BUFFER));
    EXPECT_EQ(frameConstantsDesc.stride, 864);

    // The second pass of a frame, and the next frame, upload into the same buffer.
    data[700] = 1;
    pass.execute(data.data(), 864);
    EXPECT_EQ(frameConstants.buffer[0], created);
    updateFrameContext(ContextBuffer{});
    pass.execute(data.data(), 864);
    EXPECT_EQ(frameConstants.buffer[0], created) << "a new frame keeps the buffer";
    EXPECT_EQ(Testing::readBufferAs<uint32_t>(counter.buffer[0])[0], 3u);
    // Every pass uploads the whole constant data.
    EXPECT_EQ(Testing::readBuffer(frameConstants.buffer[0]), data);

    // Constant data of another size makes another buffer.
    pass.execute(data.data(), 608);
    EXPECT_NE(frameConstants.buffer[0], created);
    frameConstants.buffer[0]->GetDesc(&bufferDesc);
    EXPECT_EQ(bufferDesc.ByteWidth, 608u);
    created->Release();
    counter.release();
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
