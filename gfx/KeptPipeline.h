#pragma once
// Pipeline state a draw outside the passes changes (the overlay's, the editor library's), saved before and restored
// after it so the next frame's passes find the context as the last pass left it: the draw stages' programs, inputs,
// the frame constants at b8 and the shared samplers s0 to s5, rasterizer, viewports, blend, depth and targets, and the
// other stages' programs, which a library may unbind. The Get calls add references; restore() sets and releases them.
#include <d3d11.h>

#include "gfx/frame/ShaderRegisters.h"

namespace Nimbra {
namespace Gfx {

class KeptPipeline
{
public:
    explicit KeptPipeline(ID3D11DeviceContext* context);
    ~KeptPipeline();
    KeptPipeline(const KeptPipeline&) = delete;
    KeptPipeline& operator=(const KeptPipeline&) = delete;

private:
    void restore();

    // What the vertex and the pixel stage each keep.
    struct StageInputs {
        ID3D11ShaderResourceView* input = nullptr;  // t0
        ID3D11Buffer* frameConstants = nullptr;     // b8
        ID3D11SamplerState* samplers[sharedSamplerCount] = {};
    };

    static void release(StageInputs& stage);

    ID3D11DeviceContext* context;
    D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11GeometryShader* geometryShader = nullptr;
    ID3D11HullShader* hullShader = nullptr;
    ID3D11DomainShader* domainShader = nullptr;
    ID3D11ComputeShader* computeShader = nullptr;
    StageInputs vertexStage, pixelStage;
    ID3D11RasterizerState* rasterizer = nullptr;
    UINT viewportCount = D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE;
    D3D11_VIEWPORT viewports[D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE] = {};
    ID3D11BlendState* blend = nullptr;
    FLOAT blendFactor[4] = {};
    UINT sampleMask = 0xFFFFFFFFu;
    ID3D11DepthStencilState* depthStencil = nullptr;
    UINT stencilReference = 0;
    ID3D11RenderTargetView* targets[D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT] = {};
    ID3D11DepthStencilView* depth = nullptr;
};

}  // namespace Gfx
}  // namespace Nimbra
