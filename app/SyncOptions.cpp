#include "app/SyncOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace Nimbra {

const char syncUsage[] =
    "usage: demo-sync [--width W] [--height H] [--host ADDRESS] [--port N] [--save FILE] [--dump FILE]\n"
    "                 [--verbose] [--retry-ms MS] [--greeting-timeout-ms MS]\n"
    "                 [--shaders DIR|none] [--shader-compiler d3dcompile|COMMAND] [--song FILE.xm]\n"
    "                 [--loop FROM:TO]   (L loops FROM to TO: seconds 12.5:20 or rows r200:r456)\n"
    "                 [--no-overlay]     (start with the overlay hidden; F2 shows it)\n";

namespace {

// A whole decimal number in [low, high].
bool parseWhole(const char* text, long low, long high, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && value >= low && value <= high;
}

}  // namespace

bool parseSyncOptions(int argc, const char* const* argv, SyncOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (std::strcmp(name, "--verbose") == 0) {
            options.verbose = true;
            continue;
        }
        if (std::strcmp(name, "--no-overlay") == 0) {
            options.overlay = false;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(name) + (name[0] == '-' ? " needs a value" : ": unexpected argument");
            return false;
        }
        const char* value = argv[++i];
        long number = 0;
        bool ok = true;
        if (std::strcmp(name, "--width") == 0)
            ok = parseWhole(value, 1, 16384, number) && (options.width = int32_t(number), true);
        else if (std::strcmp(name, "--height") == 0)
            ok = parseWhole(value, 1, 16384, number) && (options.height = int32_t(number), true);
        else if (std::strcmp(name, "--port") == 0)
            ok = parseWhole(value, 1, 65535, number) && (options.port = uint16_t(number), true);
        else if (std::strcmp(name, "--retry-ms") == 0)
            ok = parseWhole(value, 1, 3600000, number) && (options.clock.retryMs = uint32_t(number), true);
        else if (std::strcmp(name, "--greeting-timeout-ms") == 0)
            ok = parseWhole(value, 1, 3600000, number) && (options.clock.greetingTimeoutMs = uint32_t(number), true);
        else if (std::strcmp(name, "--host") == 0)
            ok = (options.host = value, value[0] != '\0');
        else if (std::strcmp(name, "--save") == 0)
            ok = (options.clock.savePath = value, value[0] != '\0');
        else if (std::strcmp(name, "--dump") == 0)
            ok = (options.clock.dumpPath = value, value[0] != '\0');
        else if (std::strcmp(name, "--shaders") == 0)
            ok = (options.shaderFolder = value, value[0] != '\0');
        else if (std::strcmp(name, "--shader-compiler") == 0)
            ok = (options.shaderCompiler = value, value[0] != '\0');
        else if (std::strcmp(name, "--song") == 0)
            ok = (options.songPath = value, value[0] != '\0');
        else if (std::strcmp(name, "--loop") == 0) {
            if (!parseLoopRange(value, options.loop, error))
                return false;
        } else {
            error = std::string("unknown option ") + name;
            return false;
        }
        if (!ok) {
            error = std::string("bad value for ") + name + ": " + value;
            return false;
        }
    }
    return true;
}

}  // namespace Nimbra
