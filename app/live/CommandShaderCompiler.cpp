#include "app/live/CommandShaderCompiler.h"

#include "app/FilePaths.h"
#include "app/live/BoundedRead.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Nimbra {
namespace {

// The compiler's bytecode and messages; no program of ours comes near it.
constexpr uint64_t maxOutputBytes = uint64_t(16) << 20;

bool readWhole(const std::string& path, std::string& text)
{
    std::string why;
    return readFileUpTo(path, maxOutputBytes, text, why);
}

} // namespace

std::string quotedArgument(const std::string& word)
{
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos)
        return word;
    // The Windows rules, which Wine also follows when it starts a Unix command: backslashes are
    // plain unless a quote follows them, so only those are doubled.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

CommandShaderCompiler::CommandShaderCompiler(std::string command, std::string workFolder, ProcessStarter startProcess,
                                             CommandPath commandPath)
    : command(std::move(command)), workFolder(std::move(workFolder)), startProcess(std::move(startProcess)),
      commandPath(std::move(commandPath))
{
}

void CommandShaderCompiler::removeJobFiles() const
{
    std::error_code error;
    for (const char* suffix : {"", ".log", ".done"})
        std::filesystem::remove(pathFromUtf8(output + suffix), error);
}

bool CommandShaderCompiler::start(const CompileRequest& request, std::string& why)
{
    // Every job has files of its own, so that a late job of before cannot answer for this one.
    output = workFolder + "/" + request.program + "-" + std::to_string(++jobs) + ".dxbc";
    removeJobFiles();
    const std::string line = quotedArgument(commandPath(command)) + " " + request.stage.profile + " " +
                             request.stage.entry + " " + quotedArgument(commandPath(request.sourcePath)) + " " +
                             quotedArgument(commandPath(output));
    if (!startProcess(line)) {
        why = "cannot start " + command;
        output.clear();
        return false;
    }
    return true;
}

bool CommandShaderCompiler::finished(CompileResult& result)
{
    std::string status;
    if (output.empty() || !readWhole(output + ".done", status) || status.empty() || status.back() != '\n')
        return false;  // still running (the status line is complete once it ends in a newline)
    result = CompileResult();
    readWhole(output + ".log", result.messages);
    std::string bytes;
    const bool succeeded = std::atoi(status.c_str()) == 0 && readWhole(output, bytes) && !bytes.empty();
    if (succeeded) {
        result.bytecode.assign(bytes.begin(), bytes.end());
        result.ok = true;
    }
    removeJobFiles();
    output.clear();
    return true;
}

} // namespace Nimbra
