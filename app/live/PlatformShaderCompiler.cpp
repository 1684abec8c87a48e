#include "app/live/PlatformShaderCompiler.h"

#include "gfx/live/CompilerLibrary.h"

#include <d3dcompiler.h>
#include <windows.h>

namespace Nimbra {
namespace {

using CompileFunction = HRESULT(WINAPI*)(LPCVOID, SIZE_T, LPCSTR, const D3D_SHADER_MACRO*, ID3DInclude*, LPCSTR, LPCSTR,
                                         UINT, UINT, ID3DBlob**, ID3DBlob**);

std::string blobText(ID3DBlob* blob)
{
    if (!blob)
        return "";
    return std::string(static_cast<const char*>(blob->GetBufferPointer()), blob->GetBufferSize());
}

}  // namespace

CompileResult PlatformShaderCompiler::compile(const CompileRequest& request, const std::atomic<bool>&)
{
    CompileResult result;
    const CompileFunction compile = Gfx::compilerFunction<CompileFunction>("D3DCompile");
    if (!compile) {
        result.failure = "d3dcompiler_47.dll with D3DCompile is not on this system";
        return result;
    }
    ID3DBlob* code = nullptr;
    ID3DBlob* errors = nullptr;
    // The build compiles with the highest optimisation level too.
    const HRESULT compiled = compile(request.source.data(), request.source.size(), request.sourcePath.c_str(), nullptr,
                                     D3D_COMPILE_STANDARD_FILE_INCLUDE, request.stage.entry, request.stage.profile,
                                     D3DCOMPILE_OPTIMIZATION_LEVEL3, 0, &code, &errors);
    result.messages = blobText(errors);
    if (SUCCEEDED(compiled) && code) {
        const uint8_t* bytes = static_cast<const uint8_t*>(code->GetBufferPointer());
        result.bytecode.assign(bytes, bytes + code->GetBufferSize());
        result.ok = true;
    }
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    return result;
}

}  // namespace Nimbra
