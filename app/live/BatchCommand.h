#pragma once
// A compile command that is a batch file (.cmd or .bat) runs through the command interpreter:
// CreateProcessW starts programs only, and its page says to start cmd.exe with /c and the
// batch file instead.
#include <string>

namespace Nimbra {

// True for a path whose file name ends in .cmd or .bat, in any case.
bool isBatchFile(const std::string& path);

// The command line on which `interpreter` (cmd.exe's full path) runs `line` as it stands: /d
// leaves out the AutoRun commands a user may have set, /v:off the delayed expansion of !NAME!,
// and /s takes everything between the first and the last quote as the command, whatever quotes
// it holds. Each word of `line` must be quoted where cmd would split it (quotedArgument does).
std::string batchCommandLine(const std::string& interpreter, const std::string& line);

// What CreateProcessW is given to start `line`, whose first word is `program`.
struct ProcessLaunch {
    std::string application;  // empty: the line's first word is the program
    std::string commandLine;
};
// A program as it stands; a batch file through `interpreter`, and not at all (an empty command
// line) without one.
ProcessLaunch processLaunch(const std::string& program, const std::string& line, const std::string& interpreter);

}  // namespace Nimbra
