#pragma once
// demo-sync's command line:
//   demo-sync [--width W] [--height H] [--host ADDRESS] [--port N] [--save FILE] [--dump FILE] [--verbose]
//             [--retry-ms MS] [--greeting-timeout-ms MS] [--shaders DIR|none] [--shader-compiler d3dcompile|COMMAND]
//             [--song FILE.xm] [--loop FROM:TO] [--no-overlay]
#include "app/SyncClock.h"
#include "app/LoopRange.h"

#include <cstdint>
#include <string>

namespace Nimbra {

struct SyncOptions {
    int32_t width = 1280;
    int32_t height = 720;
    std::string host = "127.0.0.1";
    uint16_t port = 1338;
    bool verbose = false;  // every row report goes to the log too
    // Live shaders: the folder of program sources to watch (empty: the source tree's
    // content/shaders when it is there; "none": no watching) and how to compile them (empty:
    // D3DCompile, or under Wine the tree's scripts/compile-shader.sh).
    std::string shaderFolder;
    std::string shaderCompiler;
    std::string songPath;  // a module to play and watch instead of the built-in song
    LoopRange loop;        // what `L` loops instead of the current eight bars
    bool overlay = true;   // status and errors over the picture; --no-overlay starts with it hidden
    SyncClockOptions clock;
};

// Fills `options` from argv; on a malformed or unknown argument returns false and describes the
// problem in `error`.
bool parseSyncOptions(int argc, const char* const* argv, SyncOptions& options, std::string& error);

extern const char syncUsage[];

}  // namespace Nimbra
