#pragma once
// The capture's frame target and its read-back.
#include <d3d11.h>

#include <cstdint>
#include <vector>

namespace Nimbra {

// An 8-bit RGBA render target of the capture size standing in for the swap chain's buffer,
// and the staging texture its frames are read back through.
class FrameTarget
{
public:
    FrameTarget(ID3D11Device* device, ID3D11DeviceContext* context, int32_t width, int32_t height);
    ~FrameTarget();
    FrameTarget(const FrameTarget&) = delete;
    FrameTarget& operator=(const FrameTarget&) = delete;

    ID3D11RenderTargetView* view() const { return renderTargetView; }
    bool valid() const { return texture && staging && renderTargetView; }

    // Waits for the frame and copies its pixels, tightly packed rows of width x 4 bytes.
    bool read(std::vector<unsigned char>& rgba);

private:
    ID3D11DeviceContext* context;
    int32_t width;
    int32_t height;
    ID3D11Texture2D* texture = nullptr;
    ID3D11Texture2D* staging = nullptr;
    ID3D11RenderTargetView* renderTargetView = nullptr;
};

}  // namespace Nimbra
