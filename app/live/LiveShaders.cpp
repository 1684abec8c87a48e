#include "app/live/LiveShaders.h"

#include "app/FilePaths.h"
#include "app/live/CommandShaderCompiler.h"
#include "app/live/PlatformShaderCompiler.h"
#include "content/assets/ContentPrograms.h"
#include "gfx/live/ProgramSwap.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>

namespace Nimbra {
namespace {

// Under Wine, the Unix path of a Windows path (a Unix command sees only those); elsewhere the
// path itself. Wine gives the Unix name in the Unix locale's encoding, which is UTF-8 where
// names other than ASCII work at all.
std::string commandPathOf(const std::string& path)
{
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    static const UnixFileName unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName || path.empty() || path[0] == '/')
        return path;
    std::wstring wide;
    wchar_t full[MAX_PATH * 4];
    if (!wideFromUtf8(path, wide) ||
        !GetFullPathNameW(wide.c_str(), DWORD(sizeof full / sizeof full[0]), full, nullptr))
        return path;
    char* unix = unixFileName(full);
    if (!unix)
        return path;
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool startProcess(const std::string& commandLine)
{
    std::wstring line;
    if (!wideFromUtf8(commandLine, line) || line.empty())
        return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    // Nobody waits for it: the job's files say when it is over (under Wine a Unix process has
    // no handle at all).
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    return true;
}

std::string workFolder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::error_code error;
    std::filesystem::path folder = n && n <= MAX_PATH ? std::filesystem::path(temp)
                                                      : std::filesystem::current_path(error);
    folder /= pathFromUtf8("nimbra-shaders-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder, error);
    return utf8FromPath(folder);
}

// Where new programs go: the presentation's passes, found when the first one arrives (the
// player exists only after start-up).
class PassInstaller : public ProgramInstaller
{
public:
    explicit PassInstaller(Presentation& presentation) : presentation(presentation) {}

    bool install(const std::string& program, const std::vector<uint8_t>& bytecode, std::string& why) override
    {
        if (!swap)
            swap = std::make_unique<Gfx::ProgramSwap>(*presentation.timeline.player);
        return swap->replace(program, bytecode, why);
    }

private:
    Presentation& presentation;
    std::unique_ptr<Gfx::ProgramSwap> swap;
};

class Live : public LiveShaders
{
public:
    Live(const std::string& folder, std::unique_ptr<ShaderCompiler> compiler, Presentation& presentation,
         const ReloadLog& log)
        : compiler(std::move(compiler)), installer(presentation),
          shaders(folder, programNames(), *this->compiler, installer, log, [](const std::string& line) {
              writeText(stderr, line + "\n");
              std::fflush(stderr);
          })
    {
    }

    ShaderReload& reload() override { return shaders; }

private:
    static std::vector<std::string> programNames()
    {
        std::vector<std::string> names;
        for (unsigned int i = 0; i < contentProgramCount; ++i)
            names.push_back(contentPrograms[i].name);
        return names;
    }

    std::unique_ptr<ShaderCompiler> compiler;
    PassInstaller installer;
    ShaderReload shaders;
};

} // namespace

bool runningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::unique_ptr<LiveShaders> startLiveShaders(const LiveShaderOptions& options, Presentation& presentation,
                                              const ReloadLog& log)
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
        compiler = std::make_unique<CommandShaderCompiler>(command, workFolder(), startProcess, commandPathOf);
    }
    log("live shaders: " + folder + ", compiled with " + command);
    return std::make_unique<Live>(folder, std::move(compiler), presentation, log);
}

} // namespace Nimbra
