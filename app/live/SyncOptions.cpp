#include "app/live/SyncOptions.h"

#include "app/CommandOptions.h"

namespace Nimbra {

const char syncUsage[] =
    "usage: demo-sync [--width W] [--height H] [--host ADDRESS] [--port N] [--save FILE] [--keys FILE]\n"
    "                 [--dump FILE] [--verbose] [--retry-ms MS] [--greeting-timeout-ms MS]\n"
    "                 [--shaders DIR|none] [--shader-compiler d3dcompile|COMMAND] [--song FILE.xm]\n"
    "                 [--loop FROM:TO]   (L loops FROM to TO: seconds 12.5:20 or rows r200:r456)\n"
    "                 [--no-overlay]     (start with the overlay hidden; F2 shows it)\n"
    "                 [--editor]         (start with the editor shown; Tab shows and hides it)\n"
    "                 [--timings]        (at the end, the editor's time a frame beside the frame's)\n";

bool parseSyncOptions(int argc, const char* const* argv, SyncOptions& options, std::string& error)
{
    const std::vector<CommandOption> table = {
        flagOption("--verbose", options.verbose),
        flagOption("--no-overlay", options.overlay, false),
        flagOption("--editor", options.editorShown),
        flagOption("--timings", options.timings),
        wholeOption("--width", 1, 16384, options.width),
        wholeOption("--height", 1, 16384, options.height),
        wholeOption("--port", 1, 65535, options.port),
        wholeOption("--retry-ms", 1, 3600000, options.link.retryMs),
        wholeOption("--greeting-timeout-ms", 1, 3600000, options.link.greetingTimeoutMs),
        textOption("--host", options.host),
        textOption("--save", options.link.savePath),
        textOption("--keys", options.keysPath),
        textOption("--dump", options.dumpPath),
        textOption("--shaders", options.shaderFolder),
        textOption("--shader-compiler", options.shaderCompiler),
        textOption("--song", options.songPath),
        {"--loop", nullptr,
         [&options](const char* value, std::string& why) { return parseLoopRange(value, options.loop, why); }},
    };
    return readCommandLine(argc, argv, table, error);
}

}  // namespace Nimbra
