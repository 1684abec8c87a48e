// The content's frame, rendered without the demo player: the resources and the nine passes
// in the demo's order and with its bindings, over the embedded assets, on an off-screen
// device. Each pass is timed with timestamp queries; any texture can be read back.
#pragma once
#include "tools/preview/FrameConstants.h"

#include <d3d11.h>

#include <string>
#include <vector>

namespace Nimbra::Preview {

struct PassTiming
{
    const char* name;
    double milliseconds; // summed over the frames rendered since the last reset
};

class PreviewRenderer
{
public:
    PreviewRenderer(int width, int height);
    ~PreviewRenderer();
    bool ready() const { return device_ != nullptr; }

    // Runs every pass once with these constants; timings accumulate.
    void renderFrame(const FrameConstants& constants);
    void resetTimings();
    const std::vector<PassTiming>& timings() const { return timings_; }

    // Texture resource `key` as 8-bit RGBA (colour clamped to 0..1, alpha forced to 255).
    std::vector<unsigned char> readTexture(int key);

private:
    struct Resource
    {
        ID3D11Texture2D* texture = nullptr;
        ID3D11ShaderResourceView* srv = nullptr;
        ID3D11RenderTargetView* rtv = nullptr;
        ID3D11DepthStencilView* dsv = nullptr;
        ID3D11Buffer* buffer[2] = {};
        ID3D11ShaderResourceView* bufferSrv[2] = {};
        ID3D11UnorderedAccessView* bufferUav[2] = {};
    };

    void createResources();
    void createTexture(int key, DXGI_FORMAT format, bool depth);
    void createDataBuffer(int key, const unsigned char* data, unsigned int size);
    void createImage(int key, const unsigned char* data, unsigned int size);
    void createRotationState(int key);
    void createPrograms();
    ID3D11ShaderResourceView* readView(int key);
    void runDraw(int pass);
    void runCompute();

    int width_, height_;
    ID3D11Device* device_ = nullptr;
    ID3D11DeviceContext* context_ = nullptr;
    ID3D11Buffer* constants_ = nullptr;
    ID3D11SamplerState* samplers_[6] = {};
    Resource resources_[20];
    std::vector<ID3D11VertexShader*> vertexShaders_;
    std::vector<ID3D11PixelShader*> pixelShaders_;
    ID3D11ComputeShader* rotation_ = nullptr;
    ID3D11Query* disjoint_ = nullptr;
    std::vector<ID3D11Query*> stamps_;
    std::vector<PassTiming> timings_;
    int parity_ = 0;
};

} // namespace Nimbra::Preview
