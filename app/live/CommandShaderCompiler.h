#pragma once
// Runs a host command `COMMAND PROFILE ENTRY SOURCE OUTPUT`, which writes OUTPUT (DXBC on success), OUTPUT.log
// (messages) and, last, OUTPUT.done (its exit status). The files say when it is over: a Windows program under Wine
// can start a Unix command but cannot wait for it.
#include "app/live/ShaderCompiler.h"

#include <functional>
#include <memory>

namespace Nimbra {

// A command started in the background. Letting go of it leaves it running.
class StartedCommand
{
public:
    virtual ~StartedCommand() = default;
    // Ends the command if it still runs; true once it is known to have ended (false when it
    // cannot be ended or waited for, as a Unix command under Wine).
    virtual bool end() = 0;
};

// Starts a command line in the background; null when it cannot be started.
using ProcessStarter = std::function<std::unique_ptr<StartedCommand>(const std::string& commandLine)>;
// A path as the command sees it (under Wine: the Unix path of a Windows one).
using CommandPath = std::function<std::string(const std::string& path)>;

class CommandShaderCompiler : public ShaderCompiler
{
public:
    // The jobs' files go to `workFolder`, which must exist and is this compiler's own:
    // removeFiles() removes it whole. The files are looked at every `pollMs`.
    CommandShaderCompiler(std::string command, std::string workFolder, ProcessStarter startProcess,
                          CommandPath commandPath, uint32_t pollMs = 5);

    CompileResult compile(const CompileRequest& request, const std::atomic<bool>& givenUp) override;
    void removeFiles() override;

private:
    bool over(const std::string& output, std::string& status) const;
    void removeJobFiles(const std::string& output) const;
    void sweepGivenUp();

    std::string command;
    std::string workFolder;
    ProcessStarter startProcess;
    CommandPath commandPath;
    uint32_t pollMs;
    uint32_t jobs = 0;
    // Jobs given up whose command may still write their files: removed once it has.
    std::vector<std::string> givenUpOutputs;
};

// `word` quoted for a command line by the Windows rules, or the word itself when it needs no
// quotes: neither there nor for cmd.exe.
std::string quotedArgument(const std::string& word);

}  // namespace Nimbra
