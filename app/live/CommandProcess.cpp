#include "app/live/CommandProcess.h"

#include "app/FilePaths.h"
#include "app/live/BatchCommand.h"

#include <windows.h>

#include <vector>

namespace Nimbra {
namespace {

// A job whose processes all end when its last handle is closed, demo-sync's end too; null when
// the system gives none.
HANDLE killingJob()
{
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return job;
    CloseHandle(job);
    return nullptr;
}

// A command started by CreateProcessW, with its process handle when it has one, and its job
// when the process could be put in one.
class StartedProcess : public StartedCommand
{
public:
    StartedProcess(HANDLE process, HANDLE job) : process(process), job(job) {}
    ~StartedProcess() override
    {
        // Let go of, not ended: the job's processes outlive its handle once the limit is off.
        if (job) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION none = {};
            SetInformationJobObject(job, JobObjectExtendedLimitInformation, &none, sizeof none);
            CloseHandle(job);
        }
        if (process)
            CloseHandle(process);
    }

    bool end() override
    {
        if (!process)
            return false;
        // The job ends every process in it, the command's own children too. Terminating only
        // begins the end; the process's files are free once its handle is signalled.
        if (!(job && TerminateJobObject(job, 1)) && WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            TerminateProcess(process, 1);
        return WaitForSingleObject(process, endLimitMs) == WAIT_OBJECT_0;
    }

private:
    static constexpr DWORD endLimitMs = 5000;
    HANDLE process;
    HANDLE job;
};

// cmd.exe of this system, by its full path: a bare name would be looked for in the current
// folder first. Empty when the system folder cannot be had.
std::wstring commandInterpreter()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"";
    return std::wstring(folder, length) + L"\\cmd.exe";
}

}  // namespace

std::unique_ptr<StartedCommand> startCommandProcess(const std::string& commandLine)
{
    std::wstring wide;
    std::vector<std::string> words;
    if (!wideFromUtf8(commandLine, wide) || !argumentsFromCommandLine(wide.c_str(), words) || words.empty())
        return nullptr;
    std::string interpreter;
    if (!utf8FromWide(commandInterpreter(), interpreter))
        return nullptr;
    const ProcessLaunch launch = processLaunch(words.front(), commandLine, interpreter);
    std::wstring application, line;  // CreateProcessW may write into its command line: a buffer of our own
    if (!wideFromUtf8(launch.application, application) || !wideFromUtf8(launch.commandLine, line) || line.empty())
        return nullptr;
    // Suspended until it is in the job, so that nothing it starts can escape it.
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), &line[0], nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &started))
        return nullptr;
    if (!started.hProcess) {
        // Under Wine a Unix command runs at once and has no process to hold, suspend or end.
        if (started.hThread)
            CloseHandle(started.hThread);
        return std::make_unique<StartedProcess>(nullptr, nullptr);
    }
    HANDLE job = killingJob();
    // From Windows 8 on a process already in a job (a launcher's, say) can join a nested one;
    // where it cannot, the command runs without: ending it then ends it alone.
    if (job && !AssignProcessToJobObject(job, started.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    if (started.hThread) {
        const bool resumed = ResumeThread(started.hThread) != DWORD(-1);
        CloseHandle(started.hThread);
        if (!resumed) {
            TerminateProcess(started.hProcess, 1);  // still suspended: it has started nothing
            CloseHandle(started.hProcess);
            if (job)
                CloseHandle(job);
            return nullptr;
        }
    }
    return std::make_unique<StartedProcess>(started.hProcess, job);
}

}  // namespace Nimbra
