#pragma once
// demo-sync's live shaders, put together: the folder, the compiler the options pick, the
// presentation's passes as the place new programs go, and the ShaderReload that ties them.
// Windows only.
#include "app/Presentation.h"
#include "app/live/LiveEvent.h"
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

// Null, with the reason logged, when live shaders are off or cannot run.
std::unique_ptr<LiveShaders> startLiveShaders(const LiveShaderOptions& options, Presentation& presentation,
                                              const LiveLog& log);

}  // namespace Nimbra
