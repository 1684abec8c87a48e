#include "app/live/LiveShaders.h"

#include "app/FilePaths.h"
#include "app/live/CommandShaderCompiler.h"
#include "app/live/CompileThread.h"
#include "app/live/InstallAhead.h"
#include "app/live/PlatformShaderCompiler.h"
#include "app/live/SaveWatch.h"
#include "content/assets/ContentPrograms.h"
#include "gfx/live/ProgramSwap.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>

namespace Nimbra {
namespace {

// Under Wine the Unix path a Unix command needs (in the Unix locale's encoding, UTF-8 in practice); elsewhere `path`.
// Relative to `base`: GetFullPathNameW reads the process's current folder, which is no thread's own.
std::string commandPathOf(const std::string& path, const std::filesystem::path& base)
{
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    static const UnixFileName unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName || path.empty() || path[0] == '/')
        return path;
    const std::wstring wide = (base / pathFromUtf8(path)).wstring();
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(wide.c_str(), DWORD(sizeof full / sizeof full[0]), full, nullptr);
    if (length == 0 || length >= sizeof full / sizeof full[0])
        return path;  // failed, or the buffer is too small (the length then counts the terminator)
    char* unix = unixFileName(full);
    if (!unix)
        return path;
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// A command started by CreateProcessW, with its process handle when it has one: under Wine a
// Unix command has none, and can then be neither ended nor waited for.
class StartedProcess : public StartedCommand
{
public:
    explicit StartedProcess(HANDLE process) : process(process) {}
    ~StartedProcess() override
    {
        if (process)
            CloseHandle(process);
    }

    bool end() override
    {
        if (!process)
            return false;
        // TerminateProcess only begins the end; the process's files are free once its handle
        // is signalled. It fails on a process already over, which the wait then shows.
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            TerminateProcess(process, 1);
        return WaitForSingleObject(process, endLimitMs) == WAIT_OBJECT_0;
    }

private:
    static constexpr DWORD endLimitMs = 5000;
    HANDLE process;
};

std::unique_ptr<StartedCommand> startProcess(const std::string& commandLine)
{
    std::wstring line;  // CreateProcessW may write into its command line: a buffer of our own
    if (!wideFromUtf8(commandLine, line) || line.empty())
        return nullptr;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    if (process.hThread)
        CloseHandle(process.hThread);
    return std::make_unique<StartedProcess>(process.hProcess);
}

std::string workFolder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::error_code error;
    std::filesystem::path folder =
        n && n <= MAX_PATH ? std::filesystem::path(temp) : std::filesystem::current_path(error);
    folder /= pathFromUtf8("nimbra-shaders-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder, error);
    return utf8FromPath(folder);
}

// Where new programs go: the presentation's passes, found when the first one arrives (the
// player exists only after start-up).
class PassMaker : public ProgramMaker
{
public:
    explicit PassMaker(Presentation& presentation) : presentation(presentation) {}

    std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode,
                               std::string& why) override
    {
        auto made = std::make_unique<Prepared>();
        if (!swap().prepare(program, bytecode, made->program, why))
            return nullptr;
        return made;
    }

    void swapIn(Made& made) override { swap().swapIn(static_cast<Prepared&>(made).program); }

private:
    struct Prepared : Made {
        Gfx::PreparedProgram program;
    };

    Gfx::ProgramSwap& swap()
    {
        if (!programs)
            programs = std::make_unique<Gfx::ProgramSwap>(*presentation.timeline.player);
        return *programs;
    }

    Presentation& presentation;
    std::unique_ptr<Gfx::ProgramSwap> programs;
};

class Live : public LiveShaders
{
public:
    Live(const std::string& folder, std::unique_ptr<ShaderCompiler> compiler, Presentation& presentation,
         const ReloadLog& log, const ReloadLog& messages)
        : compiler(std::move(compiler)), maker(presentation), installer(maker),
          jobs(*this->compiler,
               [this](const CompileRequest& request, const CompileResult& result) {
                   installer.prepare(request.program, result.bytecode);
               }),
          saves(savePollMs), shaders(folder, programNames(), jobs, installer, log, alsoToStandardError(messages),
                                     savePollMs, jobLimitMs, &saves)
    {
    }

    ShaderReload& reload() override { return shaders; }

private:
    static ReloadLog alsoToStandardError(const ReloadLog& messages)
    {
        return [messages](const std::string& line) {
            writeText(stderr, line + "\n");
            std::fflush(stderr);
            if (messages)
                messages(line);
        };
    }

    static std::vector<std::string> programNames()
    {
        std::vector<std::string> names;
        for (unsigned int i = 0; i < contentProgramCount; ++i)
            names.push_back(contentPrograms[i].name);
        return names;
    }

    // A save is noticed 25 to 50 ms after it holds still, whatever a turn takes: some 20 stamps
    // read each time, next to nothing.
    static constexpr uint32_t savePollMs = 25;
    static constexpr uint32_t jobLimitMs = 60000;

    std::unique_ptr<ShaderCompiler> compiler;
    PassMaker maker;
    InstallAhead installer;  // made ahead on the compile thread, swapped in by the turns
    CompileThread jobs;
    SaveWatch saves;
    ShaderReload shaders;
};

}  // namespace

bool runningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::unique_ptr<LiveShaders> startLiveShaders(const LiveShaderOptions& options, Presentation& presentation,
                                              const ReloadLog& log, const ReloadLog& messages)
{
    if (options.folder == "none")
        return nullptr;
    const std::string tree = NIMBRA_SOURCE_DIR;
    const std::string folder = options.folder.empty() ? tree + "/content/shaders" : options.folder;
    std::error_code error;
    if (!std::filesystem::is_directory(pathFromUtf8(folder), error)) {
        log("live shaders off: no folder " + folder + (options.folder.empty() ? " (give one with --shaders)" : ""));
        return nullptr;
    }
    std::string command = options.compiler;
    if (command.empty() && runningUnderWine())
        command = tree + "/scripts/compile-shader.sh";  // Wine's own D3DCompile is too old for our shaders
    std::unique_ptr<ShaderCompiler> compiler;
    if (command.empty() || command == "d3dcompile") {
        compiler = std::make_unique<PlatformShaderCompiler>();
        command = "D3DCompile";
    } else {
        const std::filesystem::path base = std::filesystem::current_path(error);
        compiler = std::make_unique<CommandShaderCompiler>(command, workFolder(), startProcess,
                                                           [base](const std::string& path) {
                                                               return commandPathOf(path, base);
                                                           });
    }
    log("live shaders: " + folder + ", compiled with " + command);
    return std::make_unique<Live>(folder, std::move(compiler), presentation, log, messages);
}

}  // namespace Nimbra
