#pragma once
// D3DCompile from d3dcompiler_47.dll, loaded when first needed so that demo-sync still runs without it. Includes are
// looked up beside the source. A job cannot be interrupted: one given up runs to its end and its result is dropped.
#include "app/live/ShaderCompiler.h"

namespace Nimbra {

class PlatformShaderCompiler : public ShaderCompiler
{
public:
    CompileResult compile(const CompileRequest& request, const std::atomic<bool>& givenUp) override;
};

}  // namespace Nimbra
