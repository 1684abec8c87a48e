#pragma once
// Turns a program's source into DXBC for the live shaders; compile() runs on the compile thread, never the frame
// thread. PlatformShaderCompiler: D3DCompile in the program (every Windows since 8.1); CommandShaderCompiler: a
// host command such as scripts/compile-shader.sh, in a process of its own.
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
