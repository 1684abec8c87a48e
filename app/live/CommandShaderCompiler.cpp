#include "app/live/CommandShaderCompiler.h"

#include "app/FilePaths.h"
#include "app/BoundedRead.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

namespace Nimbra {
namespace {

// The compiler's bytecode and messages; no program of ours comes near it.
constexpr uint64_t maxOutputBytes = uint64_t(16) << 20;

bool readWhole(const std::string& path, std::string& text)
{
    std::string why;
    return readFileUpTo(path, maxOutputBytes, text, why);
}

}  // namespace

std::string quotedArgument(const std::string& word)
{
    // Beside what splits words, what cmd.exe would read as an operator or a separator, so that a
    // batch file's line holds too (BatchCommand.h). Quoting more changes nothing elsewhere.
    if (!word.empty() && word.find_first_of(" \t\"&|<>()^,;=") == std::string::npos)
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
                                             CommandPath commandPath, uint32_t pollMs)
    : command(std::move(command)), workFolder(std::move(workFolder)), startProcess(std::move(startProcess)),
      commandPath(std::move(commandPath)), pollMs(pollMs)
{
}

void CommandShaderCompiler::removeJobFiles(const std::string& output) const
{
    std::error_code error;
    for (const char* suffix : {"", ".log", ".done"})
        std::filesystem::remove(pathFromUtf8(output + suffix), error);
}

bool CommandShaderCompiler::over(const std::string& output, std::string& status) const
{
    // The status line is complete once it ends in a newline.
    return readWhole(output + ".done", status) && !status.empty() && status.back() == '\n';
}

void CommandShaderCompiler::sweepGivenUp()
{
    std::string status;
    for (size_t i = 0; i < givenUpOutputs.size();) {
        if (over(givenUpOutputs[i], status)) {
            removeJobFiles(givenUpOutputs[i]);
            givenUpOutputs.erase(givenUpOutputs.begin() + long(i));
        } else {
            ++i;
        }
    }
}

CompileResult CommandShaderCompiler::compile(const CompileRequest& request, const std::atomic<bool>& givenUp)
{
    sweepGivenUp();
    // Every job has files of its own, so that a late job of before cannot answer for this one.
    const std::string output = workFolder + "/" + request.program + "-" + std::to_string(++jobs) + ".dxbc";
    removeJobFiles(output);
    const std::string line = quotedArgument(commandPath(command)) + " " + request.stage.profile + " " +
                             request.stage.entry + " " + quotedArgument(commandPath(request.sourcePath)) + " " +
                             quotedArgument(commandPath(output));
    CompileResult result;
    const std::unique_ptr<StartedCommand> process = startProcess(line);
    if (!process) {
        result.failure = "cannot start " + command;
        return result;
    }
    std::string status;
    while (!over(output, status)) {
        if (givenUp) {
            // A command that cannot be ended writes its files still: they go once it has.
            if (process->end())
                removeJobFiles(output);
            else
                givenUpOutputs.push_back(output);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        sweepGivenUp();
    }
    readWhole(output + ".log", result.messages);
    std::string bytes;
    if (std::atoi(status.c_str()) == 0 && readWhole(output, bytes) && !bytes.empty()) {
        result.bytecode.assign(bytes.begin(), bytes.end());
        result.ok = true;
    }
    removeJobFiles(output);
    return result;
}

void CommandShaderCompiler::removeFiles()
{
    // A command given up and still running loses its folder; it cannot write its files again
    // without it.
    std::error_code error;
    std::filesystem::remove_all(pathFromUtf8(workFolder), error);
    givenUpOutputs.clear();
}

}  // namespace Nimbra
