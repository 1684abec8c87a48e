#pragma once
// Pipeline state a draw outside the passes changes, saved before and restored after it so the next frame's passes
// find the context as the last pass left it. The Get calls add references; restore() sets and releases them.
#include <d3d11.h>

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

    ID3D11DeviceContext* context;
    D3D11_PRIMITIVE_TOPOLOGY topology = D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11ShaderResourceView* vertexInput = nullptr;
    ID3D11ShaderResourceView* pixelInput = nullptr;
    ID3D11RasterizerState* rasterizer = nullptr;
    UINT viewportCount = D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE;
    D3D11_VIEWPORT viewports[D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE] = {};
    ID3D11BlendState* blend = nullptr;
    FLOAT blendFactor[4] = {};
    UINT sampleMask = 0xFFFFFFFFu;
    ID3D11RenderTargetView* targets[D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT] = {};
    ID3D11DepthStencilView* depth = nullptr;
};

}  // namespace Gfx
}  // namespace Nimbra
