#pragma once
// What a draw over the picture must leave bound as it found it, read from a context: the targets,
// viewports, states, programs, the frame constants at b8, the first inputs and the shared
// samplers. Pointers only, to compare: the references the Get calls add are given back at once,
// so the objects must be held by the test.
#include <d3d11.h>

#include "gfx/frame/ShaderRegisters.h"

namespace Nimbra {
namespace Testing {

struct BoundPipeline {
    ID3D11RenderTargetView* target = nullptr;
    ID3D11DepthStencilView* depth = nullptr;
    UINT viewportCount = D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE;
    D3D11_VIEWPORT viewport = {};
    ID3D11BlendState* blend = nullptr;
    ID3D11RasterizerState* rasterizer = nullptr;
    ID3D11DepthStencilState* depthStencil = nullptr;
    UINT stencilReference = 0;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11ComputeShader* computeShader = nullptr;
    ID3D11Buffer* vertexConstants = nullptr;  // b8
    ID3D11Buffer* pixelConstants = nullptr;   // b8
    ID3D11ShaderResourceView* vertexInput = nullptr;
    ID3D11ShaderResourceView* pixelInput = nullptr;
    ID3D11SamplerState* vertexSamplers[sharedSamplerCount] = {};
    ID3D11SamplerState* pixelSamplers[sharedSamplerCount] = {};
    D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
};

BoundPipeline boundPipeline(ID3D11DeviceContext* context);

// One failure for each part of `after` that differs from `before`.
void expectSamePipeline(const BoundPipeline& before, const BoundPipeline& after);

}  // namespace Testing
}  // namespace Nimbra
