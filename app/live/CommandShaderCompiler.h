#pragma once
// A shader compiler that runs a command of the host:
//     COMMAND PROFILE ENTRY SOURCE OUTPUT
// which writes OUTPUT (the DXBC, on success), OUTPUT.log (the compiler's messages) and, last,
// OUTPUT.done holding its exit status. The files, not the process, say when it is over: a
// Windows program under Wine can start a Unix command but cannot wait for it.
#include "app/live/ShaderCompiler.h"

#include <functional>

namespace Nimbra {

// Starts a command line in the background; false when it cannot be started.
using ProcessStarter = std::function<bool(const std::string& commandLine)>;
// A path as the command sees it (under Wine: the Unix path of a Windows one).
using CommandPath = std::function<std::string(const std::string& path)>;

class CommandShaderCompiler : public ShaderCompiler
{
public:
    // The jobs' files go to `workFolder`, which must exist.
    CommandShaderCompiler(std::string command, std::string workFolder, ProcessStarter startProcess,
                          CommandPath commandPath);

    bool start(const CompileRequest& request, std::string& why) override;
    bool finished(CompileResult& result) override;

private:
    void removeJobFiles() const;

    std::string command;
    std::string workFolder;
    ProcessStarter startProcess;
    CommandPath commandPath;
    std::string output;  // this job's OUTPUT, empty between jobs
    uint32_t jobs = 0;
};

// `word` quoted for a command line by the Windows rules, or the word itself when it needs no
// quotes.
std::string quotedArgument(const std::string& word);

} // namespace Nimbra
