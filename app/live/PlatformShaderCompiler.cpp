#include "app/live/PlatformShaderCompiler.h"

#include "app/live/IncludeReader.h"
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

// The program's own reader behind the compiler's #include. The standard file include would take
// the source's name for a path in the ANSI code page, which cannot name every folder; ours reads
// UTF-8 paths wide. A file that cannot be read fails the compile, with our reason among the
// messages.
class SourceIncludes : public ID3DInclude
{
public:
    explicit SourceIncludes(const std::string& sourcePath) : reader(sourcePath) {}

    HRESULT STDMETHODCALLTYPE Open(D3D_INCLUDE_TYPE, const char* name, const void*, const void** data,
                                   UINT* bytes) override
    {
        std::string why;
        const std::string* text = reader.open(name, why);
        if (!text) {
            failures += std::string(name) + ": " + why + "\n";
            return E_FAIL;
        }
        *data = text->data();
        *bytes = UINT(text->size());
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Close(const void* data) override
    {
        reader.close(data);
        return S_OK;
    }

    std::string failures;

private:
    IncludeReader reader;
};

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
    SourceIncludes includes(request.sourcePath);
    // The source's name only labels the messages now that our reader finds the includes: given
    // as the UTF-8 path, it comes back as written, and the messages name the file as the log
    // does. The build compiles with the highest optimisation level too.
    const HRESULT compiled =
        compile(request.source.data(), request.source.size(), request.sourcePath.c_str(), nullptr, &includes,
                request.stage.entry, request.stage.profile, D3DCOMPILE_OPTIMIZATION_LEVEL3, 0, &code, &errors);
    result.messages = includes.failures + blobText(errors);
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
