#pragma once
// demo-sync's live shaders, put together: the folder, the compiler the options pick, the
// presentation's passes as the place new programs go, and the ShaderReload that ties them.
// Windows only: it starts processes and reads bytecode with the platform's reflection.
#include "app/Presentation.h"
#include "app/live/ShaderReload.h"

#include <memory>
#include <string>

namespace Nimbra {

struct LiveShaderOptions {
    std::string folder;    // empty: the source tree's content/shaders when it is there; "none": off
    std::string compiler;  // empty: D3DCompile, or under Wine the tree's scripts/compile-shader.sh
};

class LiveShaders
{
public:
    virtual ~LiveShaders() = default;
    virtual ShaderReload& reload() = 0;
};

// Null, with the reason logged, when live shaders are off or cannot run. The compiler's messages
// go to standard error and, if given, to `messages`.
std::unique_ptr<LiveShaders> startLiveShaders(const LiveShaderOptions& options, Presentation& presentation,
                                              const ReloadLog& log, const ReloadLog& messages = nullptr);

// True inside Wine (its ntdll says so).
bool runningUnderWine();

}  // namespace Nimbra
