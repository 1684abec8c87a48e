#pragma once
// demo-sync's command line:
//   demo-sync [--width W] [--height H] [--host ADDRESS] [--port N] [--save FILE] [--keys FILE] [--dump FILE]
//             [--verbose] [--retry-ms MS] [--greeting-timeout-ms MS] [--shaders DIR|none]
//             [--shader-compiler d3dcompile|COMMAND] [--song FILE.xm] [--loop FROM:TO] [--no-overlay] [--editor]
//             [--timings]
#include "app/live/EditorLink.h"
#include "app/live/LoopRange.h"

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
    std::string dumpPath;  // when set, every turn's time, row, music and variables go there
    // What the keys start from (--keys; empty: the save file, when it is there). The save file is
    // link.savePath: where Ctrl+S and the linked editor's SAVE_TRACKS write (--save; empty: the
    // source tree's content/animation/demo-sync.rocket, where the next build takes it from).
    std::string keysPath;
    bool editorShown = false;  // --editor: start with the editor over the picture
    bool timings = false;      // --timings: the editor's time a frame and the frame's, at the end
    EditorLinkOptions link;
};

// Fills `options` from argv; on a malformed or unknown argument returns false and describes the
// problem in `error`.
bool parseSyncOptions(int argc, const char* const* argv, SyncOptions& options, std::string& error);

extern const char syncUsage[];

}  // namespace Nimbra
