#pragma once
// The Windows side of a compile command: CreateProcessW, in a job object of its own so that
// ending it ends whatever it started too; a batch file through cmd.exe (BatchCommand.h).
#include "app/live/CommandShaderCompiler.h"

#include <memory>
#include <string>

namespace Nimbra {

// Starts `commandLine` (its first word the program, quoted by quotedArgument) in the background;
// null when it cannot be started. Under Wine a Unix command has no process handle: it is then
// neither ended nor waited for.
std::unique_ptr<StartedCommand> startCommandProcess(const std::string& commandLine);

}  // namespace Nimbra
