#include "tests/support/BoundPipeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace Nimbra {
namespace Testing {

BoundPipeline boundPipeline(ID3D11DeviceContext* context)
{
    BoundPipeline s;
    context->OMGetRenderTargets(1, &s.target, &s.depth);
    context->RSGetViewports(&s.viewportCount, &s.viewport);
    context->OMGetBlendState(&s.blend, nullptr, nullptr);
    context->RSGetState(&s.rasterizer);
    context->OMGetDepthStencilState(&s.depthStencil, &s.stencilReference);
    context->VSGetShader(&s.vertexShader, nullptr, nullptr);
    context->PSGetShader(&s.pixelShader, nullptr, nullptr);
    context->CSGetShader(&s.computeShader, nullptr, nullptr);
    context->VSGetConstantBuffers(frameConstantsRegister, 1, &s.vertexConstants);
    context->PSGetConstantBuffers(frameConstantsRegister, 1, &s.pixelConstants);
    context->VSGetShaderResources(0, 1, &s.vertexInput);
    context->PSGetShaderResources(0, 1, &s.pixelInput);
    context->VSGetSamplers(0, sharedSamplerCount, s.vertexSamplers);
    context->PSGetSamplers(0, sharedSamplerCount, s.pixelSamplers);
    context->IAGetPrimitiveTopology(&s.topology);
    for (IUnknown* object :
         std::initializer_list<IUnknown*>{s.target, s.depth, s.blend, s.rasterizer, s.depthStencil, s.vertexShader,
                                          s.pixelShader, s.computeShader, s.vertexConstants, s.pixelConstants,
                                          s.vertexInput, s.pixelInput})
        if (object != nullptr)
            object->Release();
    for (UINT slot = 0; slot < sharedSamplerCount; ++slot)
        for (ID3D11SamplerState* sampler : {s.vertexSamplers[slot], s.pixelSamplers[slot]})
            if (sampler != nullptr)
                sampler->Release();
    return s;
}

void expectSamePipeline(const BoundPipeline& before, const BoundPipeline& after)
{
    EXPECT_EQ(after.target, before.target);
    EXPECT_EQ(after.depth, before.depth);
    EXPECT_EQ(after.viewportCount, before.viewportCount);
    EXPECT_EQ(std::memcmp(&after.viewport, &before.viewport, sizeof before.viewport), 0);
    EXPECT_EQ(after.blend, before.blend);
    EXPECT_EQ(after.rasterizer, before.rasterizer);
    EXPECT_EQ(after.depthStencil, before.depthStencil);
    EXPECT_EQ(after.stencilReference, before.stencilReference);
    EXPECT_EQ(after.vertexShader, before.vertexShader);
    EXPECT_EQ(after.pixelShader, before.pixelShader);
    EXPECT_EQ(after.computeShader, before.computeShader);
    EXPECT_EQ(after.vertexConstants, before.vertexConstants);
    EXPECT_EQ(after.pixelConstants, before.pixelConstants);
    EXPECT_EQ(after.vertexInput, before.vertexInput);
    EXPECT_EQ(after.pixelInput, before.pixelInput);
    for (UINT slot = 0; slot < sharedSamplerCount; ++slot) {
        EXPECT_EQ(after.vertexSamplers[slot], before.vertexSamplers[slot]) << "s" << slot;
        EXPECT_EQ(after.pixelSamplers[slot], before.pixelSamplers[slot]) << "s" << slot;
    }
    EXPECT_EQ(after.topology, before.topology);
}

}  // namespace Testing
}  // namespace Nimbra
