#include "gfx/frame/GraphicsContext.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace Nimbra {
namespace {

TEST(GraphicsContext, SixSharedSamplersOnEveryStage)
{
    ID3D11DeviceContext* context = graphicsContext.context;
    ID3D11SamplerState* vertex[6] = {};
    ID3D11SamplerState* pixel[6] = {};
    ID3D11SamplerState* compute[6] = {};
    context->VSGetSamplers(0, 6, vertex);
    context->PSGetSamplers(0, 6, pixel);
    context->CSGetSamplers(0, 6, compute);

    const D3D11_FILTER filters[6] = {D3D11_FILTER_MIN_MAG_MIP_LINEAR, D3D11_FILTER_MIN_MAG_MIP_LINEAR,
                                     D3D11_FILTER_MIN_MAG_MIP_LINEAR, D3D11_FILTER_MIN_MAG_MIP_POINT,
                                     D3D11_FILTER_MIN_MAG_MIP_POINT,  D3D11_FILTER_MIN_MAG_MIP_POINT};
    const D3D11_TEXTURE_ADDRESS_MODE modes[6] = {D3D11_TEXTURE_ADDRESS_CLAMP,  D3D11_TEXTURE_ADDRESS_BORDER,
                                                 D3D11_TEXTURE_ADDRESS_WRAP,   D3D11_TEXTURE_ADDRESS_CLAMP,
                                                 D3D11_TEXTURE_ADDRESS_BORDER, D3D11_TEXTURE_ADDRESS_WRAP};
    for (int slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(slot);
        ASSERT_NE(pixel[slot], nullptr);
        EXPECT_EQ(vertex[slot], pixel[slot]);
        EXPECT_EQ(compute[slot], pixel[slot]);
        D3D11_SAMPLER_DESC desc;
        pixel[slot]->GetDesc(&desc);
        EXPECT_EQ(desc.Filter, filters[slot]);
        EXPECT_EQ(desc.AddressU, modes[slot]);
        EXPECT_EQ(desc.AddressV, modes[slot]);
        EXPECT_EQ(desc.AddressW, modes[slot]);
        EXPECT_EQ(desc.ComparisonFunc, D3D11_COMPARISON_NEVER);
        EXPECT_EQ(desc.BorderColor[3], 0.0f);
        EXPECT_EQ(desc.MinLOD, -FLT_MAX);
        EXPECT_EQ(desc.MaxLOD, FLT_MAX);
    }
    for (int slot = 0; slot < 6; ++slot) {
        for (ID3D11SamplerState* state : {vertex[slot], pixel[slot], compute[slot]}) {
            if (state != nullptr)
                state->Release();
        }
    }
}

TEST(GraphicsContext, FrameUpdateTakesTheFrame)
{
    ContextBuffer frame = {};
    frame.time = 2.5f;
    frame.frame = 7;
    frame.resolution = {640.0f, 360.0f};
    updateFrameContext(frame);
    EXPECT_EQ(graphicsContext.header.time, 2.5f);
    EXPECT_EQ(graphicsContext.header.frame, 7u);
    EXPECT_EQ(graphicsContext.header.invResolution.y, 1.0f / 360.0f);
}

}  // namespace
}  // namespace Nimbra
