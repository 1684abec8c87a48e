// exit-witness CODEFILE PROGRAM [ARGUMENTS...]: runs PROGRAM with ARGUMENTS and this process's
// standard handles, waits for it, writes its exit code to CODEFILE and ends with that code.
// Under Wine the status a Unix parent reads is not always the program's exit code: a process
// whose Unix side is still exiting a second after its last thread has ended (its graphics
// libraries' destructors on a loaded machine) is ended with SIGKILL. The file always holds the
// code Windows gives, written before this small process exits.
// The program runs in a job that ends it when this process ends, however that comes (a harness
// that kills the run); the program's own children break away, free to join jobs of its own.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// One argument quoted so that the program's command line parser gives it back unchanged:
// backslashes are literal except before a quote, where they and the quote are escaped.
void appendQuoted(std::wstring& line, const wchar_t* argument)
{
    line += L'"';
    for (const wchar_t* c = argument;; ++c) {
        size_t backslashes = 0;
        while (*c == L'\\') {
            ++backslashes;
            ++c;
        }
        if (*c == L'\0') {
            line.append(backslashes * 2, L'\\');  // the closing quote follows
            break;
        }
        if (*c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        line += *c;
    }
    line += L'"';
}

bool writeCode(const wchar_t* path, DWORD code)
{
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%lu\n", static_cast<unsigned long>(code));
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 3) {
        std::fprintf(stderr, "usage: exit-witness CODEFILE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    std::wstring line;
    for (int i = 2; i < count; ++i) {
        if (i > 2)
            line += L' ';
        appendQuoted(line, arguments[i]);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // Suspended until it is in the job; detached, as a console program started from Unix is.
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(arguments[2], &line[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED | DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &started))
        return fail("the program could not be started");
    const HANDLE job = endingJob();
    if (!job || !AssignProcessToJobObject(job, started.hProcess)) {
        TerminateProcess(started.hProcess, 125);
        return fail("the program could not be put in a job");
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(started.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(started.hProcess, &code))
        return fail("the program's end could not be read");
    if (!writeCode(arguments[1], code))
        return fail("the exit code could not be written");
    return int(code);
}
