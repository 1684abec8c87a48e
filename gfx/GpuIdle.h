#pragma once
// Waits until the GPU has finished the work queued so far. A process must not end with work in flight: under Wine
// an exit that takes over a second is killed and the software rasteriser has crashed there, failing the exit code.
#include <d3d11.h>

#include <cstdint>

namespace Nimbra::Gfx {

// The longest wait before a process leaves. On a GPU the work takes milliseconds; a minute
// only guards against a device that never answers (the software rasteriser's frames take
// seconds on a busy machine).
constexpr uint32_t gpuIdleLimitMs = 60000;

// Flushes and waits, at most `limitMs`; returns at once without a device.
void waitForGpuIdle(ID3D11Device* device, ID3D11DeviceContext* context, uint32_t limitMs);

}  // namespace Nimbra::Gfx
