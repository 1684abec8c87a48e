#include "app/live/LiveShaders.h"

#include "app/FilePaths.h"
#include "app/live/CommandProcess.h"
#include "app/live/CommandShaderCompiler.h"
#include "app/live/CompileThread.h"
#include "app/live/PassMaker.h"
#include "app/live/PlatformShaderCompiler.h"
#include "app/live/SaveWatch.h"
#include "app/live/WineHost.h"
#include "content/assets/ContentPrograms.h"

#include <windows.h>

#include <filesystem>

namespace Nimbra {
namespace {

// A folder of this process's own for the compile command's files.
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

std::vector<std::string> programNames()
{
    std::vector<std::string> names;
    for (unsigned int i = 0; i < contentProgramCount; ++i)
        names.push_back(contentPrograms[i].name);
    return names;
}

class Live : public LiveShaders
{
public:
    Live(const std::string& folder, std::unique_ptr<ShaderCompiler> compiler, Presentation& presentation,
         const LiveLog& log)
        : compiler(std::move(compiler)), maker(presentation), jobs(*this->compiler, maker), saves(savePollMs),
          shaders(folder, programNames(), jobs, maker, saves, log, jobLimitMs)
    {
    }

    ShaderReload& reload() override { return shaders; }

private:
    // A save is noticed 25 to 50 ms after it holds still, whatever a turn takes: some 20 stamps
    // read each time, next to nothing.
    static constexpr uint32_t savePollMs = 25;
    static constexpr uint32_t jobLimitMs = 60000;

    std::unique_ptr<ShaderCompiler> compiler;
    PassMaker maker;  // made on the compile thread, swapped in by the turns
    CompileThread jobs;
    SaveWatch saves;
    ShaderReload shaders;
};

}  // namespace

std::unique_ptr<LiveShaders> startLiveShaders(const LiveShaderOptions& options, Presentation& presentation,
                                              const LiveLog& log)
{
    if (options.folder == "none")
        return nullptr;
    const std::string tree = NIMBRA_SOURCE_DIR;
    const std::string folder = options.folder.empty() ? tree + "/content/shaders" : options.folder;
    std::error_code error;
    if (!std::filesystem::is_directory(pathFromUtf8(folder), error)) {
        log(liveEvent(LiveEventKind::ShadersOff,
                      "no folder " + folder + (options.folder.empty() ? " (give one with --shaders)" : "")));
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
        compiler = std::make_unique<CommandShaderCompiler>(command, workFolder(), startCommandProcess,
                                                           [base](const std::string& path) {
                                                               return unixPathUnderWine(path, base);
                                                           });
    }
    log(fileEvent(LiveEventKind::ShadersOn, folder, command));
    return std::make_unique<Live>(folder, std::move(compiler), presentation, log);
}

}  // namespace Nimbra
