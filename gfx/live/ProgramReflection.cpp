#include "gfx/live/ProgramReflection.h"

#include "gfx/frame/ShaderRegisters.h"
#include "gfx/live/CompilerLibrary.h"

#include <d3d11shader.h>
#include <d3dcompiler.h>
#include <windows.h>

namespace Nimbra {
namespace Gfx {
namespace {

using ReflectFunction = HRESULT(WINAPI*)(LPCVOID, SIZE_T, REFIID, void**);

// The version token's program type (bits 16 and up).
ProgramKind kindOf(UINT version)
{
    switch (version >> 16) {
    case 0: return ProgramKind::Pixel;
    case 1: return ProgramKind::Vertex;
    case 5: return ProgramKind::Compute;
    default: return ProgramKind::Other;
    }
}

BindingType typeOf(D3D_SHADER_INPUT_TYPE type)
{
    switch (type) {
    case D3D_SIT_CBUFFER: return BindingType::Constants;
    case D3D_SIT_TEXTURE: return BindingType::Texture;
    case D3D_SIT_SAMPLER: return BindingType::Sampler;
    case D3D_SIT_STRUCTURED: return BindingType::StructuredBuffer;
    case D3D_SIT_BYTEADDRESS: return BindingType::ByteBuffer;
    case D3D_SIT_UAV_RWTYPED: return BindingType::WritableTexture;
    case D3D_SIT_UAV_RWSTRUCTURED: return BindingType::WritableStructuredBuffer;
    case D3D_SIT_UAV_RWBYTEADDRESS: return BindingType::WritableByteBuffer;
    default: return BindingType::Other;
    }
}

SignatureElement elementOf(const D3D11_SIGNATURE_PARAMETER_DESC& d)
{
    SignatureElement e;
    e.semantic = d.SemanticName ? d.SemanticName : "";
    e.index = d.SemanticIndex;
    e.reg = d.Register;
    e.componentType = d.ComponentType;
    e.mask = d.Mask;
    e.used = d.ReadWriteMask;
    return e;
}

void readFrameConstants(ID3D11ShaderReflection* reflection, ProgramInterface& program)
{
    for (const ProgramBinding& binding : program.bindings) {
        if (binding.type != BindingType::Constants || binding.slot != frameConstantsRegister)
            continue;
        ID3D11ShaderReflectionConstantBuffer* block = reflection->GetConstantBufferByName(binding.name.c_str());
        D3D11_SHADER_BUFFER_DESC desc = {};
        if (!block || FAILED(block->GetDesc(&desc)))
            continue;
        program.frameConstantsSize = desc.Size;
        for (UINT i = 0; i < desc.Variables; ++i) {
            D3D11_SHADER_VARIABLE_DESC variable = {};
            if (SUCCEEDED(block->GetVariableByIndex(i)->GetDesc(&variable)))
                program.frameConstants.push_back({variable.Name, variable.StartOffset, variable.Size});
        }
    }
}

}  // namespace

bool reflectProgram(const void* bytecode, size_t size, ProgramInterface& program, std::string& why)
{
    program = ProgramInterface();
    const ReflectFunction reflect = compilerFunction<ReflectFunction>("D3DReflect");
    if (!reflect) {
        why = "d3dcompiler_47.dll with D3DReflect is not on this system";
        return false;
    }
    ID3D11ShaderReflection* reflection = nullptr;
    if (FAILED(reflect(bytecode, size, IID_ID3D11ShaderReflection, reinterpret_cast<void**>(&reflection))) ||
        !reflection) {
        why = "its bytecode cannot be read";
        return false;
    }
    D3D11_SHADER_DESC desc = {};
    reflection->GetDesc(&desc);
    program.kind = kindOf(desc.Version);
    for (UINT i = 0; i < desc.InputParameters; ++i) {
        D3D11_SIGNATURE_PARAMETER_DESC d = {};
        reflection->GetInputParameterDesc(i, &d);
        program.inputs.push_back(elementOf(d));
    }
    for (UINT i = 0; i < desc.OutputParameters; ++i) {
        D3D11_SIGNATURE_PARAMETER_DESC d = {};
        reflection->GetOutputParameterDesc(i, &d);
        program.outputs.push_back(elementOf(d));
    }
    for (UINT i = 0; i < desc.BoundResources; ++i) {
        D3D11_SHADER_INPUT_BIND_DESC d = {};
        reflection->GetResourceBindingDesc(i, &d);
        ProgramBinding binding;
        binding.name = d.Name ? d.Name : "";
        binding.type = typeOf(d.Type);
        binding.slot = d.BindPoint;
        binding.count = d.BindCount ? d.BindCount : 1;
        binding.dimension = d.Dimension;
        // Structured buffers report their element size here.
        const bool structured = d.Type == D3D_SIT_STRUCTURED || d.Type == D3D_SIT_UAV_RWSTRUCTURED;
        binding.stride = structured ? d.NumSamples : 0;
        program.bindings.push_back(binding);
    }
    readFrameConstants(reflection, program);
    reflection->Release();
    return true;
}

}  // namespace Gfx
}  // namespace Nimbra
