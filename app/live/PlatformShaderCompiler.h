#pragma once
// D3DCompile from the system's d3dcompiler_47.dll (gfx/live/CompilerLibrary.h), loaded when
// first needed, so that demo-sync runs where the library is missing and only this route is
// lost. The job is done in start(); #include files are looked up beside the source.
#include "app/live/ShaderCompiler.h"

namespace Nimbra {

class PlatformShaderCompiler : public ShaderCompiler
{
public:
    bool start(const CompileRequest& request, std::string& why) override;
    bool finished(CompileResult& result) override;

private:
    CompileResult last;
    bool done = false;
};

} // namespace Nimbra
