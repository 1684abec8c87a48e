// The rotation program on the device: it advances the previous angles by the speeds times the
// frame's duration, starts from zero in the first frame, limits a stall to a tenth of a second
// and keeps the angles within one turn.
#include "content/assets/Assets.h"
#include "tests/support/ProgramTest.h"

#include <d3d11.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr float TwoPi = 6.28318531f;
using Nimbra::Testing::ConstantData;

class RotationProgram : public ::testing::Test
{
protected:
    // The program and its buffers, once for the suite, on the tests' shared device.
    static void SetUpTestSuite()
    {
        ID3D11Device* device = Nimbra::graphicsContext.device;
        ASSERT_EQ(device->CreateComputeShader(rotationCS, rotationCSSize, nullptr, &shader_), S_OK);
        kept_.keep(shader_);
        ASSERT_NE(constants_ = kept_.keep(Nimbra::Testing::createConstantBuffer(ConstantData::size)), nullptr);
        D3D11_BUFFER_DESC state = {16,
                                   D3D11_USAGE_DEFAULT,
                                   D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS,
                                   0,
                                   D3D11_RESOURCE_MISC_BUFFER_STRUCTURED,
                                   16};
        ASSERT_EQ(device->CreateBuffer(&state, nullptr, &previous_), S_OK);
        ASSERT_EQ(device->CreateBuffer(&state, nullptr, &next_), S_OK);
        kept_.keep(previous_);
        kept_.keep(next_);
        D3D11_SHADER_RESOURCE_VIEW_DESC sv = {};
        sv.Format = DXGI_FORMAT_UNKNOWN;
        sv.ViewDimension = D3D11_SRV_DIMENSION_BUFFER;
        sv.Buffer.NumElements = 1;
        ASSERT_EQ(device->CreateShaderResourceView(previous_, &sv, &input_), S_OK);
        D3D11_UNORDERED_ACCESS_VIEW_DESC uv = {};
        uv.Format = DXGI_FORMAT_UNKNOWN;
        uv.ViewDimension = D3D11_UAV_DIMENSION_BUFFER;
        uv.Buffer.NumElements = 1;
        ASSERT_EQ(device->CreateUnorderedAccessView(next_, &uv, &output_), S_OK);
        kept_.keep(input_);
        kept_.keep(output_);
    }

    static void TearDownTestSuite()
    {
        kept_.releaseAll();
        output_ = nullptr;
    }

    void SetUp() override { ASSERT_NE(output_, nullptr); }

    // One dispatch as the demo's compute pass makes it: input at t0, output at u1.
    void step(const float previous[3], uint32_t frame, float elapsed, const float speeds[3], float out[3])
    {
        ID3D11DeviceContext* context = Nimbra::graphicsContext.context;
        float state[4] = {previous[0], previous[1], previous[2], 0.0f};
        context->UpdateSubresource(previous_, 0, nullptr, state, 0, 0);
        ConstantData data;
        data.set(offsetof(Nimbra::ContextBuffer, frame), &frame, 4);
        data.set(offsetof(Nimbra::ContextBuffer, elapsedTime), &elapsed, 4);
        for (UINT axis = 0; axis < 3; ++axis)
            data.setVariable(16 + axis, speeds[axis]);  // RSPEEDX, RSPEEDY, RSPEEDZ
        context->UpdateSubresource(constants_, 0, nullptr, data.bytes, 0, 0);
        context->CSSetConstantBuffers(Nimbra::frameConstantsRegister, 1, &constants_);
        context->CSSetShaderResources(0, 1, &input_);
        context->CSSetUnorderedAccessViews(1, 1, &output_, nullptr);
        context->CSSetShader(shader_, nullptr, 0);
        context->Dispatch(1, 1, 1);
        ID3D11UnorderedAccessView* noUav = nullptr;
        ID3D11ShaderResourceView* noSrv = nullptr;
        context->CSSetUnorderedAccessViews(1, 1, &noUav, nullptr);
        context->CSSetShaderResources(0, 1, &noSrv);
        context->CSSetShader(nullptr, nullptr, 0);
        const std::vector<float> written = Nimbra::Testing::readBufferAs<float>(next_);
        ASSERT_EQ(written.size(), 4u);
        std::memcpy(out, written.data(), 12);
    }

    static inline Nimbra::Testing::SuiteObjects kept_;
    static inline ID3D11ComputeShader* shader_ = nullptr;
    static inline ID3D11Buffer* constants_ = nullptr;
    static inline ID3D11Buffer* previous_ = nullptr;
    static inline ID3D11Buffer* next_ = nullptr;
    static inline ID3D11ShaderResourceView* input_ = nullptr;
    static inline ID3D11UnorderedAccessView* output_ = nullptr;
};

TEST_F(RotationProgram, AdvancesByTheSpeedsTimesTheFrameDuration)
{
    const float previous[3] = {1.0f, 2.0f, 3.0f};
    const float speeds[3] = {1.4f, -2.0f, 0.5f};
    float out[3] = {};
    step(previous, 7, 0.05f, speeds, out);
    EXPECT_NEAR(out[0], 1.07f, 1e-5f);
    EXPECT_NEAR(out[1], 1.90f, 1e-5f);
    EXPECT_NEAR(out[2], 3.025f, 1e-5f);
}

TEST_F(RotationProgram, FirstFrameIgnoresTheUninitialisedState)
{
    const float garbage[3] = {123.0f, -55.0f, 1e6f};
    const float speeds[3] = {1.0f, 2.0f, 3.0f};
    float out[3] = {};
    step(garbage, 0, 0.016f, speeds, out);
    EXPECT_NEAR(out[0], 0.016f, 1e-5f);
    EXPECT_NEAR(out[1], 0.032f, 1e-5f);
    EXPECT_NEAR(out[2], 0.048f, 1e-5f);
}

TEST_F(RotationProgram, StallsAreLimitedAndAnglesStayWithinOneTurn)
{
    const float previous[3] = {6.25f, 0.01f, 0.0f};
    const float speeds[3] = {1.0f, -1.0f, 8.0f};
    float out[3] = {};
    step(previous, 3, 5.0f, speeds, out);  // a five-second stall advances a tenth of a second
    EXPECT_NEAR(out[0], 6.35f - TwoPi, 1e-4f);
    EXPECT_NEAR(out[1], 0.01f - 0.1f + TwoPi, 1e-4f);
    EXPECT_NEAR(out[2], 0.8f, 1e-4f);
    for (float a : out) {
        EXPECT_GE(a, 0.0f);
        EXPECT_LT(a, TwoPi);
    }
}

}  // namespace
