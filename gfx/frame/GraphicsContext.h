#pragma once
// The process-wide frame constants with the device and immediate context that all GPU code
// uses, and the six samplers every shader shares.
#include "gfx/frame/ContextBuffer.h"

#include <d3d11.h>

namespace Nimbra {

struct GraphicsContext {
    ContextBuffer header;
    ID3D11Device* device;
    ID3D11DeviceContext* context;
};

extern GraphicsContext graphicsContext;

// Copies the header and the two pointers, then creates the samplers s0 to s5 (linear clamp,
// border, wrap; point clamp, border, wrap) and binds them to the vertex, pixel and compute
// stages. Called once, before any resource is created.
void installGraphicsContext(const ContextBuffer& header, ID3D11Device* device, ID3D11DeviceContext* context);

// Takes this frame's time, resolution and camera matrices into the running header.
void updateFrameContext(ContextBuffer frame);

}  // namespace Nimbra
