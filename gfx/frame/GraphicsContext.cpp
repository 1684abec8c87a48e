#include "gfx/frame/GraphicsContext.h"

#include "gfx/frame/ShaderRegisters.h"

#include <cfloat>

namespace Nimbra {

GraphicsContext graphicsContext = {};

namespace {

constexpr UINT samplerCount = sharedSamplerCount;

struct SamplerKind {
    D3D11_FILTER filter;
    D3D11_TEXTURE_ADDRESS_MODE address;
};

// Slot order is part of the shader interface: smpLinearClamp / LinearSampler is s0, smp is s3.
constexpr SamplerKind samplerKinds[samplerCount] = {
    {D3D11_FILTER_MIN_MAG_MIP_LINEAR, D3D11_TEXTURE_ADDRESS_CLAMP},
    {D3D11_FILTER_MIN_MAG_MIP_LINEAR, D3D11_TEXTURE_ADDRESS_BORDER},
    {D3D11_FILTER_MIN_MAG_MIP_LINEAR, D3D11_TEXTURE_ADDRESS_WRAP},
    {D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_CLAMP},
    {D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_BORDER},
    {D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_WRAP},
};

// Kept for the whole run: the samplers stay bound until the process ends.
ID3D11SamplerState* samplers[samplerCount] = {};

}  // namespace

void installGraphicsContext(const ContextBuffer& header, ID3D11Device* device, ID3D11DeviceContext* context)
{
    graphicsContext.header = header;
    graphicsContext.device = device;
    graphicsContext.context = context;

    for (UINT slot = 0; slot < samplerCount; ++slot) {
        D3D11_SAMPLER_DESC desc = {};
        desc.Filter = samplerKinds[slot].filter;
        desc.AddressU = samplerKinds[slot].address;
        desc.AddressV = samplerKinds[slot].address;
        desc.AddressW = samplerKinds[slot].address;
        desc.MipLODBias = 0.0f;
        desc.MaxAnisotropy = 1;
        desc.ComparisonFunc = D3D11_COMPARISON_NEVER;
        desc.MinLOD = -FLT_MAX;
        desc.MaxLOD = FLT_MAX;
        // A second installation replaces the samplers instead of leaking them.
        if (samplers[slot] != nullptr)
            samplers[slot]->Release();
        samplers[slot] = nullptr;
        device->CreateSamplerState(&desc, &samplers[slot]);
    }
    context->VSSetSamplers(0, samplerCount, samplers);
    context->PSSetSamplers(0, samplerCount, samplers);
    context->CSSetSamplers(0, samplerCount, samplers);
}

void updateFrameContext(ContextBuffer frame)
{
    ContextBuffer& header = graphicsContext.header;
    advanceContextBuffer(header, frame);
}

}  // namespace Nimbra
