// Programs replaced in a player's passes on the tests' device: one program goes into every pass
// that runs it, a thousand replacements leave no shader behind, and a program that does not fit
// leaves every pass as it was.
#include "content/assets/ContentPrograms.h"
#include "gfx/BufferRuntime.h"
#include "gfx/live/ProgramSwap.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

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

// Two blurs over one picture (fullscreenVS with blurPS, and with focusBlurPS) and the rotation
// state's compute pass.
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
        addDraw(blur, "blurPS");
        addDraw(focusBlur, "focusBlurPS");
        ComputePassDesc desc;
        const std::vector<uint8_t>& code = kept.emplace_back(codeOf("rotationCS"));
        desc.kernelCode = code.data();
        desc.kernelCodeSize = uint32_t(code.size());
        desc.inputs.push(ResourceBinding{BufferBinding, &rotation});
        desc.outputs.push(ResourceBinding{BufferBinding, &rotation});
        turn.initialize(desc);
        player.passes.push(PassEntry{ComputePassKind, &turn});

        // The passes were built from copies: those are what the swap must find them by.
        const std::vector<NamedProgram> programs = {{"fullscreenVS", blur.vertexCode, blur.vertexCodeSize},
                    {"blurPS", blur.pixelCode, blur.pixelCodeSize},
                    {"focusBlurPS", focusBlur.pixelCode, focusBlur.pixelCodeSize},
                    {"rotationCS", turn.kernelCode, turn.kernelCodeSize}};
        swap = std::make_unique<ProgramSwap>(player, programs);
    }

    void TearDown() override
    {
        picture.release();
        target.release();
        rotation.release();
    }

    void addDraw(DrawPass& pass, const char* pixelProgram)
    {
        if (kept.empty() || kept.front().empty())
            kept.emplace_front(codeOf("fullscreenVS"));
        const std::vector<uint8_t>& pixel = kept.emplace_back(codeOf(pixelProgram));
        DrawPassDesc desc;
        desc.vertexCode = kept.front().data();
        desc.vertexCodeSize = uint32_t(kept.front().size());
        desc.pixelCode = pixel.data();
        desc.pixelCodeSize = uint32_t(pixel.size());
        desc.inputs.push(ResourceBinding{TextureBinding, &picture});
        desc.targets.push(TargetBinding{&target});
        pass.initialize(desc);
        player.passes.push(PassEntry{DrawPassKind, &pass});
    }

    TextureRuntime picture, target;
    BufferRuntime rotation;
    std::deque<std::vector<uint8_t>> kept;  // the bytecode the passes were built with
    DrawPass blur, focusBlur;
    ComputePass turn;
    DemoPlayer player;
    std::unique_ptr<ProgramSwap> swap;
};

TEST_F(ProgramSwapTest, AProgramGoesIntoEveryPassThatRunsIt)
{
    ASSERT_NE(blur.program.vertexShader, nullptr);
    EXPECT_EQ(swap->passesRunning("fullscreenVS"), 2u);
    EXPECT_EQ(swap->passesRunning("rotationCS"), 1u);
    ID3D11VertexShader* before = blur.program.vertexShader;
    std::string why;
    ASSERT_TRUE(swap->replace("fullscreenVS", codeOf("fullscreenVS"), why)) << why;
    EXPECT_NE(blur.program.vertexShader, before);
    EXPECT_EQ(blur.program.vertexShader, focusBlur.program.vertexShader);  // one new shader for both
    EXPECT_EQ(blur.vertexCode, focusBlur.vertexCode);
    EXPECT_EQ(std::memcmp(blur.vertexCode, codeOf("fullscreenVS").data(), blur.vertexCodeSize), 0);
    ASSERT_TRUE(swap->replace("rotationCS", codeOf("rotationCS"), why)) << why;
    ASSERT_NE(turn.program.computeShader, nullptr);
}

TEST_F(ProgramSwapTest, AThousandReplacementsLeaveNoShaderBehind)
{
    const std::vector<uint8_t> code = codeOf("blurPS");
    std::string why;
    for (int i = 0; i < 1000; ++i) {
        ID3D11PixelShader* old = blur.program.pixelShader;
        old->AddRef();
        ASSERT_TRUE(swap->replace("blurPS", code, why)) << why;
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
    const std::pair<const char*, std::vector<uint8_t>> misfits[] = {
        {"blurPS", codeOf("scrollerPS")},   // reads what fullscreenVS does not write
        {"blurPS", codeOf("compositePS")},  // reads t1 to t3, which the pass leaves empty
        {"rotationCS", codeOf("blurPS")},   // another stage
        {"blurPS", {'D', 'X', 'B', 'C', 0, 0}},
        {"layersPS", codeOf("layersPS")},   // no pass runs it
    };
    const char* reasons[] = {"it reads NORMAL0 at register", "t1 (inputTexture2): the pass binds nothing there",
                             "it is a pixel program; the pass runs a compute program here",
                             "its bytecode cannot be read", "no pass runs a program of that name"};
    for (size_t i = 0; i < 5; ++i) {
        std::string why;
        EXPECT_FALSE(swap->replace(misfits[i].first, misfits[i].second, why)) << reasons[i];
        EXPECT_EQ(why.rfind(reasons[i], 0), 0u) << why;
    }
    EXPECT_EQ(blur.program.pixelShader, blurShader);
    EXPECT_EQ(blur.pixelCode, blurCode);
    EXPECT_EQ(turn.program.computeShader, turnShader);
}

} // namespace
} // namespace Gfx
} // namespace Nimbra
