#pragma once
// Turns a program's source into DXBC for the live shaders; compile() runs on the compile thread, never the frame
// thread. PlatformShaderCompiler: D3DCompile in the program (every Windows since 8.1); CommandShaderCompiler: a
// host command such as scripts/compile-shader.sh, in a process of its own.
#include "app/live/ProgramStage.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Nimbra {

// Where a compiled program goes: the presentation's passes in demo-sync. make() checks it
// against every pass that runs it and makes its device objects, on the compile thread; swapIn()
// puts them into the passes, on the frame thread between frames.
class ProgramMaker
{
public:
    struct Made {
        virtual ~Made() = default;
    };
    virtual ~ProgramMaker() = default;
    // Null, with the reason, when the program does not fit.
    virtual std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode,
                                       std::string& why) = 0;
    virtual void swapIn(Made& made) = 0;
};

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
    uint32_t compileMs = 0;         // how long the compile took on the compile thread
    // When ok: the program made for its passes, or null with the reason it does not fit them.
    std::unique_ptr<ProgramMaker::Made> prepared;
    std::string refusal;
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
