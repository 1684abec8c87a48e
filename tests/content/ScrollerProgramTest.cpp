// The cube scroller on the tests' shared device (its programs and buffers are made once for
// the suite: that is the slow part under Wine), with the demo's camera looking at the block's resting
// place: the front slice of a text page covers pixels with the blur code in alpha, each
// through one cube face only, while instances past the last slice and a block moved out of view
// draw nothing at all.
#include "content/assets/Assets.h"
#include "tools/capture/PlainTextureDesc.h"
#include "tests/gfx/TestShaders.h"
#include "tests/support/ProgramTest.h"

#include <d3d11.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr UINT Width = 160, Height = 90;
constexpr UINT InstancesPerSlice = 256 * 64;

using Nimbra::Testing::ConstantData;

class ScrollerProgram : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ID3D11Device* device = Nimbra::graphicsContext.device;
        ASSERT_EQ(device->CreateVertexShader(scrollerVS, scrollerVSSize, nullptr, &vs_), S_OK);
        ASSERT_EQ(device->CreatePixelShader(scrollerPS, scrollerPSSize, nullptr, &ps_), S_OK);
        kept_.keep(vs_);
        kept_.keep(ps_);
        views_[0] = kept_.structuredView(fontB, fontBSize);
        views_[1] = kept_.structuredView(scrollerText, scrollerTextSize);
        views_[2] = kept_.structuredView(palette32, palette32Size);
        for (ID3D11ShaderResourceView* view : views_)
            ASSERT_NE(view, nullptr);
        ASSERT_TRUE(target_.create(Width, Height, kept_));
        D3D11_TEXTURE2D_DESC t =
            Nimbra::Gfx::plainTextureDesc(Width, Height, DXGI_FORMAT_D32_FLOAT, D3D11_BIND_DEPTH_STENCIL);
        ASSERT_EQ(device->CreateTexture2D(&t, nullptr, &depth_), S_OK);
        kept_.keep(depth_);
        ASSERT_EQ(device->CreateDepthStencilView(depth_, nullptr, &dsv_), S_OK);
        kept_.keep(dsv_);
        ASSERT_EQ(device->CreatePixelShader(fillPS, fillPSSize, nullptr, &countPs_), S_OK);
        kept_.keep(countPs_);
        D3D11_BLEND_DESC adding = {};
        adding.RenderTarget[0] = {TRUE,
                                  D3D11_BLEND_ONE,
                                  D3D11_BLEND_ONE,
                                  D3D11_BLEND_OP_ADD,
                                  D3D11_BLEND_ONE,
                                  D3D11_BLEND_ONE,
                                  D3D11_BLEND_OP_ADD,
                                  D3D11_COLOR_WRITE_ENABLE_ALL};
        ASSERT_EQ(device->CreateBlendState(&adding, &adding_), S_OK);
        kept_.keep(adding_);
    }

    static void TearDownTestSuite()
    {
        kept_.releaseAll();
        adding_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(adding_, nullptr);
        defaultScene();
    }

    // The demo's camera after its opening (at (11.6, -5, -25), looking along (0, 0, 25), a
    // field of view of 1.666 degrees) and the block at the middle of its sweep, one slice,
    // text frame 0 in the palette's colours.
    void defaultScene()
    {
        data_ = ConstantData();
        const float view[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -25, 0, -11.6f, -5.0f, -625.0f, 1};
        // Its inverse, by hand: x = x' + 11.6, y = -y' - 5, z = -z' / 25 - 25 (the origin goes back
        // to the camera).
        const float inverseView[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -0.04f, 0, 11.6f, -5.0f, -25.0f, 1};
        float yScale = 1.0f / std::tan(1.666f * 0.01745329f * 0.5f);
        const float projection[16] = {
            yScale * 9.0f / 16.0f, 0, 0, 0, 0, yScale, 0, 0, 0, 0, -1.0001f, -1, 0, 0, -0.10001f, 0};
        data_.setMatrix(offsetof(Nimbra::ContextBuffer, viewMatrix), view);
        data_.setMatrix(offsetof(Nimbra::ContextBuffer, invViewMatrix), inverseView);
        data_.setMatrix(offsetof(Nimbra::ContextBuffer, projectionMatrix), projection);
        data_.setVariable(23, 181.0f);                // L1_X_OFFSET
        data_.setVariable(24, -186.0f);               // L1_Y_OFFSET
        data_.setVariable(31, 0.0f);                  // L1_FRAMECOUNT: one slice
        data_.setVariable(33, 1.0f);                  // L1_MANUAL_OR
        data_.setVariable(34, 0.0f);                  // L1_FRAME
        for (UINT index : {36u, 37u, 38u, 39u, 40u})  // L1_COL, L1TEXT_R, G, B, A
            data_.setVariable(index, 1.0f);
    }

    // Draws `count` instances from `first` and returns the alpha of every pixel.
    std::vector<float> draw(UINT first, UINT count) { return render(first, count, ps_, dsv_, nullptr, 3); }

    // Draws the front slice without depth, every fragment adding one to its pixel (fillPS writes
    // the first variable, which the scroller does not read), and returns the count of every pixel.
    std::vector<float> countFragments()
    {
        data_.setVariable(0, 1.0f);
        return render(0, InstancesPerSlice, countPs_, nullptr, adding_, 0);
    }

    std::vector<float> render(UINT first, UINT count, ID3D11PixelShader* ps, ID3D11DepthStencilView* dsv,
                              ID3D11BlendState* blend, UINT channel)
    {
        Nimbra::Testing::ProgramDraw call;
        call.vertexShader = vs_;
        call.pixelShader = ps;
        call.inputs = views_;
        call.inputCount = 3;
        call.vertexCount = 36;
        call.instanceCount = count;
        call.firstInstance = first;
        call.blend = blend;
        call.depth = dsv;
        const std::vector<uint8_t> texels = target_.draw(data_, call);
        std::vector<float> values;
        for (UINT y = 0; texels.size() == size_t(Width) * Height * 8 && y < Height; ++y)
            for (UINT x = 0; x < Width; ++x)
                values.push_back(target_.channelAt(texels, x, y, channel));
        return values;
    }

    static size_t covered(const std::vector<float>& alpha)
    {
        size_t n = 0;
        for (float a : alpha)
            n += a > 0.0f;
        return n;
    }

    ConstantData data_;
    static inline Nimbra::Testing::SuiteObjects kept_;
    static inline ID3D11VertexShader* vs_ = nullptr;
    static inline ID3D11PixelShader* ps_ = nullptr;
    static inline Nimbra::Testing::ProgramTarget target_;
    static inline ID3D11Texture2D* depth_ = nullptr;
    static inline ID3D11DepthStencilView* dsv_ = nullptr;
    static inline ID3D11PixelShader* countPs_ = nullptr;
    static inline ID3D11BlendState* adding_ = nullptr;
    static inline ID3D11ShaderResourceView* views_[3] = {};
};

TEST_F(ScrollerProgram, TheFrontSliceShowsItsTextWithTheBlurCodeInAlpha)
{
    auto alpha = draw(0, InstancesPerSlice);
    ASSERT_EQ(alpha.size(), size_t(Width) * Height);
    size_t n = covered(alpha);
    EXPECT_GT(n, 100u);
    EXPECT_LT(n, alpha.size() / 2);  // letters, not a filled screen
    for (float a : alpha)
        if (a > 0.0f) {
            EXPECT_GE(a, 0.5f);
            EXPECT_LE(a, 1.0f);
        }
}

// A face turned away from the camera would lie behind the front face of its cube, at the same
// depth along their shared edge, where the rasteriser's rounding would pick the face a pixel
// shows. The scroller draws no such face: with the depth test off and every fragment counted,
// a pixel of the front slice is reached by one face, save for the odd pixel where a cube's
// side passes in front of its neighbour's face (the page ripples in depth). With the faces
// turned away, every covered pixel would be reached twice.
TEST_F(ScrollerProgram, ACoveredPixelIsReachedByOneFace)
{
    const std::vector<float> counts = countFragments();
    ASSERT_EQ(counts.size(), size_t(Width) * Height);
    const size_t reached = covered(counts);
    EXPECT_GT(reached, 100u);
    size_t moreThanOnce = 0;
    for (float count : counts)
        moreThanOnce += count > 1.0f;
    EXPECT_LE(moreThanOnce * 100, reached) << moreThanOnce << " of " << reached << " pixels reached twice or more";
}

TEST_F(ScrollerProgram, InstancesPastTheLastSliceDrawNothing)
{
    // SV_InstanceID ignores the start instance, so the extra instances are drawn along with
    // the first slice: with one slice they change nothing, with two they add the tail.
    auto oneSlice = draw(0, InstancesPerSlice);
    auto extraInstances = draw(0, 2 * InstancesPerSlice);
    EXPECT_TRUE(oneSlice == extraInstances);
    data_.setVariable(31, 1.0f);
    EXPECT_FALSE(draw(0, 2 * InstancesPerSlice) == oneSlice);
}

TEST_F(ScrollerProgram, ABlockParkedFarAwayIsOutOfView)
{
    data_.setVariable(23, -5000.0f);  // where the choreography keeps it before its first sweep
    EXPECT_EQ(covered(draw(0, InstancesPerSlice)), 0u);
}

}  // namespace
