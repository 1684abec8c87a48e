#pragma once
// A way to turn a program's source into DXBC for demo-sync's live shaders. One job at a time:
// start() it, then ask finished() every turn until it answers. Two exist:
//   PlatformShaderCompiler  D3DCompile from the system's d3dcompiler_47.dll (every Windows
//                           since 8.1), in the program; finished at once.
//   CommandShaderCompiler   a command of the host, such as scripts/compile-shader.sh with the
//                           project's own compiler, in a process of its own.
#include "app/live/ShaderSources.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

struct CompileRequest {
    std::string program;     // the program's name, scrollerVS
    std::string sourcePath;  // its source, as the compiler should name it in messages
    std::string source;      // the source's text, already read and checked
    ProgramStage stage;
};

struct CompileResult {
    bool ok = false;
    std::vector<uint8_t> bytecode;  // DXBC when ok
    std::string messages;           // the compiler's output, errors and warnings
};

class ShaderCompiler
{
public:
    virtual ~ShaderCompiler() = default;
    // Starts a job; false, with the reason in `why`, when it cannot start at all.
    virtual bool start(const CompileRequest& request, std::string& why) = 0;
    // True once the job is over, with its result.
    virtual bool finished(CompileResult& result) = 0;
};

} // namespace Nimbra
