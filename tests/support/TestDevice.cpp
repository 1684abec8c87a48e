#include "tests/support/TestDevice.h"

#include "gfx/ReadBack.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace Nimbra {
namespace Testing {

std::vector<uint8_t> readTexture(ID3D11Resource* texture, uint32_t bytesPerTexel)
{
    std::vector<uint8_t> bytes;
    ID3D11Texture2D* source = nullptr;
    if (texture == nullptr ||
        FAILED(texture->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&source))))
        return bytes;
    Gfx::readBackTexture(graphicsContext.device, graphicsContext.context, source, bytesPerTexel, bytes);
    source->Release();
    return bytes;
}

std::vector<uint8_t> readBuffer(ID3D11Buffer* buffer)
{
    std::vector<uint8_t> bytes;
    Gfx::readBackBuffer(graphicsContext.device, graphicsContext.context, buffer, bytes);
    return bytes;
}

} // namespace Testing
} // namespace Nimbra

// One device for the whole program, installed before any test runs. The process ends with
// ExitProcess so that no Direct3D object outlives the runtime at exit.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    const HRESULT created = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1,
                                              D3D11_SDK_VERSION, &device, nullptr, &context);
    if (FAILED(created) || device == nullptr) {
        std::fprintf(stderr, "No Direct3D 11 device (0x%08lx)\n", static_cast<unsigned long>(created));
        ExitProcess(1);
    }
    const Nimbra::ContextBuffer zeroHeader = {};
    Nimbra::installGraphicsContext(zeroHeader, device, context);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    ExitProcess(static_cast<UINT>(result));
}
