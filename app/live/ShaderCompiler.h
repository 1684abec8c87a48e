#pragma once
// A way to turn a program's source into DXBC for demo-sync's live shaders. compile() does one
// job whole and is called on the compile thread (CompileThread), never on the frame thread. Two
// exist:
//   PlatformShaderCompiler  D3DCompile from the system's d3dcompiler_47.dll (every Windows
//                           since 8.1), in the program.
//   CommandShaderCompiler   a command of the host, such as scripts/compile-shader.sh with the
//                           project's own compiler, in a process of its own.
#include "app/live/ShaderSources.h"

#include <atomic>
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
    std::string failure;            // why the compiler could not start or finish, when it could not
    uint32_t compileMs = 0;         // how long the job took on the compile thread
};

class ShaderCompiler
{
public:
    virtual ~ShaderCompiler() = default;
    // Compiles one program. Once `givenUp` is set nobody wants the result: a compiler that waits
    // for something stops waiting, removes the job's files as soon as it can and returns.
    virtual CompileResult compile(const CompileRequest& request, const std::atomic<bool>& givenUp) = 0;
    // Removes every file and folder it made; called when no job runs any more.
    virtual void removeFiles() {}
};

}  // namespace Nimbra
