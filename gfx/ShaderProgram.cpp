#include "gfx/ShaderProgram.h"

#include "gfx/frame/GraphicsContext.h"
#include "gfx/Resource.h"

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

ID3D11DeviceChild* ShaderProgram::make(ShaderKind kind, uint32_t stage, const void* code, uint32_t size)
{
    ID3D11Device* device = graphicsContext.device;
    ID3D11DeviceChild* made = nullptr;
    HRESULT result = E_INVALIDARG;
    if (kind == VertexPixelShaders && stage == VertexStage)
        result = device->CreateVertexShader(code, size, nullptr, reinterpret_cast<ID3D11VertexShader**>(&made));
    else if (kind == VertexPixelShaders && stage == PixelStage)
        result = device->CreatePixelShader(code, size, nullptr, reinterpret_cast<ID3D11PixelShader**>(&made));
    else if (kind == ComputeShader && stage == ComputeStage)
        result = device->CreateComputeShader(code, size, nullptr, reinterpret_cast<ID3D11ComputeShader**>(&made));
    if (FAILED(result))
        releaseAndClear(made);
    return made;
}

void ShaderProgram::put(uint32_t stage, ID3D11DeviceChild* made, const void* code, uint32_t size)
{
    if (stage == VertexStage) {
        releaseAndClear(vertexShader);
        vertexShader = static_cast<ID3D11VertexShader*>(made);
    } else if (stage == PixelStage) {
        releaseAndClear(pixelShader);
        pixelShader = static_cast<ID3D11PixelShader*>(made);
    } else {
        releaseAndClear(computeShader);
        computeShader = static_cast<ID3D11ComputeShader*>(made);
    }
    setCode(stage, code, size);
}

}  // namespace Gfx
}  // namespace Nimbra
