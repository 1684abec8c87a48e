#include "gfx/ShaderProgram.h"

#include "gfx/frame/GraphicsContext.h"

namespace Nimbra {
namespace Gfx {

void ShaderProgram::create(const ShaderDesc& desc)
{
    static_cast<ShaderDesc&>(*this) = desc;
    if ((vertexCode == nullptr || pixelCode == nullptr) && kernelCode == nullptr)
        return;
    ID3D11Device* device = graphicsContext.device;
    if (kind == VertexPixelShaders) {
        if (vertexCode != nullptr)
            device->CreateVertexShader(vertexCode, vertexCodeSize, nullptr, &vertexShader);
        if (pixelCode != nullptr)
            device->CreatePixelShader(pixelCode, pixelCodeSize, nullptr, &pixelShader);
    } else if (kind == ComputeShader) {
        device->CreateComputeShader(kernelCode, kernelCodeSize, nullptr, &computeShader);
    }
}

} // namespace Gfx
} // namespace Nimbra
