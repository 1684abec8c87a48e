#include "app/live/BatchCommand.h"

#include "app/live/CommandShaderCompiler.h"

#include <cctype>

namespace Nimbra {

bool isBatchFile(const std::string& path)
{
    if (path.size() < 5)
        return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return end == ".cmd" || end == ".bat";
}

std::string batchCommandLine(const std::string& interpreter, const std::string& line)
{
    return quotedArgument(interpreter) + " /d /v:off /s /c \"" + line + "\"";
}

ProcessLaunch processLaunch(const std::string& program, const std::string& line, const std::string& interpreter)
{
    if (!isBatchFile(program))
        return {"", line};
    if (interpreter.empty())
        return {"", ""};
    return {interpreter, batchCommandLine(interpreter, line)};
}

}  // namespace Nimbra
