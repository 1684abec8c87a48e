// exit-witness CODEFILE PROGRAM [ARGUMENTS...]: runs PROGRAM with ARGUMENTS and this process's
// standard handles, waits for it, writes its exit code to CODEFILE and ends with that code.
// Under Wine the status a Unix parent reads is not always the program's exit code: a process
// whose Unix side is still exiting a second after its last thread has ended (its graphics
// libraries' destructors on a loaded machine) is ended with SIGKILL. The file always holds the
// code Windows gives, written before this small process exits.
// The program runs in a job that ends it when this process ends, however that comes (a harness
// that kills the run); the program's own children break away, free to join jobs of its own.
#include "app/FilePaths.h"
#include "app/live/CommandShaderCompiler.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool writeCode(const std::wstring& path, DWORD code)
{
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%lu\n", static_cast<unsigned long>(code));
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, text, DWORD(length), &written, nullptr) && written == DWORD(length);
    return CloseHandle(file) && whole;
}

HANDLE endingJob()
{
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
    if (job && !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

int fail(const char* what)
{
    std::fprintf(stderr, "exit-witness: %s (error %lu)\n", what, GetLastError());
    return 125;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments;
    if (!Nimbra::commandLineArguments(argc, argv, arguments) || arguments.size() < 3) {
        std::fprintf(stderr, "usage: exit-witness CODEFILE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    // Each argument quoted as demo-sync quotes its compile commands', so that the program's
    // parser gives it back unchanged.
    std::string text;
    for (size_t i = 2; i < arguments.size(); ++i)
        text += (i > 2 ? " " : "") + Nimbra::quotedArgument(arguments[i]);
    std::wstring codeFile, program, line;
    if (!Nimbra::wideFromUtf8(arguments[1], codeFile) || !Nimbra::wideFromUtf8(arguments[2], program) ||
        !Nimbra::wideFromUtf8(text, line))
        return fail("an argument is no text");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // Suspended until it is in the job; detached, as a console program started from Unix is.
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED | DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &started))
        return fail("the program could not be started");
    const HANDLE job = endingJob();
    if (!job || !AssignProcessToJobObject(job, started.hProcess)) {
        TerminateProcess(started.hProcess, 125);
        return fail("the program could not be put in a job");
    }
    if (ResumeThread(started.hThread) == DWORD(-1)) {
        TerminateProcess(started.hProcess, 125);
        return fail("the program could not be resumed");
    }
    CloseHandle(started.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(started.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(started.hProcess, &code))
        return fail("the program's end could not be read");
    if (!writeCode(codeFile, code))
        return fail("the exit code could not be written");
    return int(code);
}
