// Programs replaced in a player's passes on the tests' device: one program goes into every pass
// whose description names it, a thousand replacements leave no shader behind, a program that
// does not fit leaves every pass as it was, and a pass takes a program at its own stages only.
#include "content/assets/ContentPrograms.h"
#include "content/animation/ContentVariables.h"
#include "gfx/BufferRuntime.h"
#include "gfx/live/ProgramSwap.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <thread>

namespace Nimbra {
namespace Gfx {
namespace {

std::vector<uint8_t> codeOf(const char* name)
{
    for (unsigned int i = 0; i < contentProgramCount; ++i)
        if (std::strcmp(contentPrograms[i].name, name) == 0)
            return std::vector<uint8_t>(contentPrograms[i].code, contentPrograms[i].code + *contentPrograms[i].size);
    return {};
}

// A program through the route the live shaders take: made ahead, then swapped in.
bool replace(ProgramSwap& swap, const std::string& name, const std::vector<uint8_t>& code, std::string& why)
{
    PreparedProgram prepared;
    if (!swap.prepare(name, code, prepared, why))
        return false;
    swap.swapIn(prepared);
    return true;
}

// Two blurs over one picture (fullscreenVS with blurPS, and with focusBlurPS) and the rotation
// state's compute pass, built from copies of the bytecode, with the content's 64 variables.
class ProgramSwapTest : public testing::Test
{
protected:
    void SetUp() override
    {
        picture.create(textureDesc2D(16, 16, Rgba16Float), false);
        target.create(textureDesc2D(16, 16, Rgba16Float), false);
        BufferDesc state;
        state.stride = 16;
        rotation.create(state, true);
        addDraw(0, blur, "blurPS");
        addDraw(1, focusBlur, "focusBlurPS");
        ComputePassDesc desc;
        keep(desc, ComputeStage, "rotationCS");
        desc.kernelProgram = "rotationCS";
        desc.inputs.push(ResourceBinding{BufferBinding, &rotation});
        desc.outputs.push(ResourceBinding{BufferBinding, &rotation});
        turn.initialize(desc);
        player.computePasses.slot(0) = &turn;
        for (uint32_t i = 0; i < contentVariableCount; ++i)
            player.variables.push(makeDemoVariable("v", VariableType::Float, 0.0f));
    }

    void TearDown() override
    {
        picture.release();
        target.release();
        rotation.release();
    }

    // Points the description at a copy of the program's bytecode.
    void keep(ShaderDesc& desc, uint32_t stage, const char* program)
    {
        const std::vector<uint8_t>& code = kept.emplace_back(codeOf(program));
        desc.setCode(stage, code.data(), uint32_t(code.size()));
    }

    // A pass of fullscreenVS and `pixelProgram` reading the picture `inputs` times (t0, t1, ...).
    void addDraw(uint32_t key, DrawPass& pass, const char* pixelProgram, uint32_t inputs = 1)
    {
        DrawPassDesc desc;
        keep(desc, VertexStage, "fullscreenVS");
        keep(desc, PixelStage, pixelProgram);
        desc.vertexProgram = "fullscreenVS";
        desc.pixelProgram = pixelProgram;
        for (uint32_t i = 0; i < inputs; ++i)
            desc.inputs.push(ResourceBinding{TextureBinding, &picture});
        desc.targets.push(TargetBinding{&target});
        pass.initialize(desc);
        player.drawPasses.slot(key) = &pass;
    }

    TextureRuntime picture, target;
    BufferRuntime rotation;
    std::deque<std::vector<uint8_t>> kept;  // the bytecode the passes were built with
    DrawPass blur, focusBlur;
    DrawPass fourInputs[2];  // for the tests that add a pass
    ComputePass turn;
    DemoPlayer player;
};

TEST_F(ProgramSwapTest, AProgramGoesIntoEveryPassThatRunsIt)
{
    ProgramSwap swap(player);
    ID3D11VertexShader* blurBefore = blur.program.vertexShader;
    ID3D11VertexShader* focusBefore = focusBlur.program.vertexShader;
    ASSERT_NE(blurBefore, nullptr);
    std::string why;
    ASSERT_TRUE(replace(swap, "fullscreenVS", codeOf("fullscreenVS"), why)) << why;
    EXPECT_NE(blur.program.vertexShader, blurBefore);
    EXPECT_NE(focusBlur.program.vertexShader, focusBefore);
    EXPECT_EQ(blur.vertexCode, focusBlur.vertexCode);  // one copy of the new bytes for both
    EXPECT_NE(blur.vertexCode, kept[0].data());
    EXPECT_EQ(blur.program.vertexCode, blur.vertexCode);
    EXPECT_EQ(std::memcmp(blur.vertexCode, codeOf("fullscreenVS").data(), blur.vertexCodeSize), 0);
    EXPECT_EQ(blur.pixelCode, kept[1].data()) << "the other stage keeps its program";
    ID3D11ComputeShader* turnBefore = turn.program.computeShader;
    ASSERT_TRUE(replace(swap, "rotationCS", codeOf("rotationCS"), why)) << why;
    EXPECT_NE(turn.program.computeShader, turnBefore);
    ASSERT_NE(turn.program.computeShader, nullptr);
}

TEST_F(ProgramSwapTest, AProgramMadeOnAnotherThreadChangesNoPassUntilItIsSwappedIn)
{
    ProgramSwap swap(player);
    ID3D11VertexShader* blurBefore = blur.program.vertexShader;
    PreparedProgram prepared;
    std::string why;
    bool made = false;
    // The device is free-threaded (created without D3D11_CREATE_DEVICE_SINGLETHREADED).
    std::thread([&] { made = swap.prepare("fullscreenVS", codeOf("fullscreenVS"), prepared, why); }).join();
    ASSERT_TRUE(made) << why;
    EXPECT_EQ(blur.program.vertexShader, blurBefore);
    EXPECT_EQ(blur.vertexCode, kept[0].data());
    swap.swapIn(prepared);
    EXPECT_NE(blur.program.vertexShader, blurBefore);
    EXPECT_NE(focusBlur.program.vertexShader, blur.program.vertexShader);  // a shader for each pass
    EXPECT_EQ(blur.vertexCode, focusBlur.vertexCode);
    EXPECT_NE(blur.vertexCode, kept[0].data());
    EXPECT_EQ(std::memcmp(blur.vertexCode, codeOf("fullscreenVS").data(), blur.vertexCodeSize), 0);
}

TEST_F(ProgramSwapTest, AThousandReplacementsLeaveNoShaderBehind)
{
    ProgramSwap swap(player);
    const std::vector<uint8_t> code = codeOf("blurPS");
    std::string why;
    for (int i = 0; i < 1000; ++i) {
        ID3D11PixelShader* old = blur.program.pixelShader;
        old->AddRef();
        ASSERT_TRUE(replace(swap, "blurPS", code, why)) << why;
        ASSERT_EQ(old->Release(), 0u) << "replacement " << i << " kept the old shader";
    }
    blur.program.pixelShader->AddRef();
    EXPECT_EQ(blur.program.pixelShader->Release(), 1u);  // the pass's reference alone
}

TEST_F(ProgramSwapTest, AProgramThatDoesNotFitLeavesEveryPassAsItWas)
{
    ID3D11PixelShader* blurShader = blur.program.pixelShader;
    ID3D11ComputeShader* turnShader = turn.program.computeShader;
    const void* blurCode = blur.pixelCode;
    struct Misfit {
        const char* name;
        std::vector<uint8_t> code;
        uint32_t variables;  // the player's, each one float
        const char* why;
    };
    const Misfit misfits[] = {
        {"blurPS", codeOf("scrollerPS"), 64, "it reads NORMAL0 at register"},  // not written by fullscreenVS
        {"blurPS", codeOf("compositePS"), 64, "t1 (inputTexture2): the pass binds nothing there"},
        {"rotationCS", codeOf("blurPS"), 64, "it is a pixel program; the pass runs a compute program here"},
        {"blurPS", {'D', 'X', 'B', 'C', 0, 0}, 64, "its bytecode cannot be read"},
        {"layersPS", codeOf("layersPS"), 64, "no pass runs a program of that name"},
        // The upload is the header and the variables: 608 + 60 x 4 bytes, less than blurPS reads.
        {"blurPS", codeOf("blurPS"), 60, "b8 is 864 bytes; the demo uploads 848"},
    };
    for (const Misfit& misfit : misfits) {
        player.variables.resize(misfit.variables);
        ProgramSwap swap(player);
        std::string why;
        EXPECT_FALSE(replace(swap, misfit.name, misfit.code, why)) << misfit.why;
        EXPECT_EQ(why.rfind(misfit.why, 0), 0u) << why;
    }
    EXPECT_EQ(blur.program.pixelShader, blurShader);
    EXPECT_EQ(blur.pixelCode, blurCode);
    EXPECT_EQ(turn.program.computeShader, turnShader);
}

// A program is checked against every pass that runs it: compositePS, which reads t0 to t3, fits a
// pass of blurPS that binds four textures and not blur, which binds one, so it goes into neither.
// Whichever of the two is met first: a pass at key 16 is met before blur's at 0 (they share a
// bucket, the newer first), one at key 2 after it. With blur gone it goes into the other.
TEST_F(ProgramSwapTest, AProgramThatFitsOneOfItsPassesButNotAnotherGoesIntoNone)
{
    const uint32_t keys[] = {2, 16};
    for (uint32_t i = 0; i < 2; ++i) {
        addDraw(keys[i], fourInputs[i], "blurPS", 4);
        ID3D11PixelShader* before[] = {blur.program.pixelShader, fourInputs[i].program.pixelShader};
        ProgramSwap swap(player);
        std::string why;
        EXPECT_FALSE(replace(swap, "blurPS", codeOf("compositePS"), why)) << keys[i];
        EXPECT_EQ(why, "t1 (inputTexture2): the pass binds nothing there") << keys[i];
        EXPECT_EQ(blur.program.pixelShader, before[0]) << keys[i];
        EXPECT_EQ(fourInputs[i].program.pixelShader, before[1]) << keys[i];
        if (i == 0)
            player.drawPasses.slot(keys[i]) = nullptr;
    }
    player.drawPasses.slot(0) = nullptr;
    ProgramSwap swap(player);
    std::string why;
    EXPECT_TRUE(replace(swap, "blurPS", codeOf("compositePS"), why)) << why;
}

TEST_F(ProgramSwapTest, APassTakesAProgramAtItsOwnStagesOnly)
{
    const std::vector<uint8_t> compute = codeOf("rotationCS"), pixel = codeOf("blurPS");
    EXPECT_EQ(ShaderProgram::make(VertexPixelShaders, ComputeStage, compute.data(), uint32_t(compute.size())), nullptr);
    EXPECT_EQ(ShaderProgram::make(ComputeShader, PixelStage, pixel.data(), uint32_t(pixel.size())), nullptr);

    const std::vector<PassStage> stages = blur.stages();
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[0].stage, uint32_t(VertexStage));
    EXPECT_EQ(stages[1].stage, uint32_t(PixelStage));
    ASSERT_EQ(turn.stages().size(), 1u);
    EXPECT_EQ(turn.stages()[0].stage, uint32_t(ComputeStage));

    ID3D11VertexShader* vertexShader = blur.program.vertexShader;
    ID3D11PixelShader* pixelShader = blur.program.pixelShader;
    putStageProgram(stages[1],
                    ShaderProgram::make(VertexPixelShaders, PixelStage, pixel.data(), uint32_t(pixel.size())),
                    pixel.data(), uint32_t(pixel.size()));
    EXPECT_NE(blur.program.pixelShader, pixelShader);
    EXPECT_EQ(blur.pixelCode, pixel.data());
    EXPECT_EQ(blur.program.pixelCode, pixel.data());
    EXPECT_EQ(blur.program.vertexShader, vertexShader);
}

TEST_F(ProgramSwapTest, PassesDescribeWhatTheyBindAtEachRegister)
{
    const PassSlots draw = blur.stages()[0].slots;
    ASSERT_EQ(draw.inputs.size(), 1u);
    EXPECT_EQ(draw.inputs[0].kind, SlotKind::Texture2D);
    EXPECT_EQ(draw.targetCount, 1u);
    EXPECT_TRUE(draw.outputs.empty());
    const PassSlots compute = turn.stages()[0].slots;
    ASSERT_EQ(compute.inputs.size(), 1u);
    EXPECT_EQ(compute.inputs[0].kind, SlotKind::Buffer);
    EXPECT_EQ(compute.inputs[0].stride, 16u);
    ASSERT_EQ(compute.outputs.size(), 1u);
    EXPECT_EQ(compute.outputs[0].kind, SlotKind::Buffer);
    EXPECT_EQ(compute.firstOutput, 1u);  // u1, after the one input
    EXPECT_EQ(compute.targetCount, 0u);
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
