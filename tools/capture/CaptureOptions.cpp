#include "tools/capture/CaptureOptions.h"

#include "app/AudioClock.h"
#include "content/animation/ContentVariables.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Nimbra {

namespace {

bool parseNumber(const char* text, double& value)
{
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool parseSize(const char* text, int32_t& value)
{
    double parsed = 0.0;
    if (!parseNumber(text, parsed) || parsed < 1.0 || parsed > 16384.0 || parsed != std::floor(parsed))
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

// "NAME=VALUE" with NAME one of the content's variables and VALUE a finite number.
bool parseSetting(const char* text, VariableSetting& setting, std::string& error)
{
    const char* equals = std::strchr(text, '=');
    if (equals == nullptr || equals == text) {
        error = std::string("--set takes NAME=VALUE, not ") + text;
        return false;
    }
    const std::string name(text, equals);
    double value = 0.0;
    if (!parseNumber(equals + 1, value)) {
        error = "bad value for --set " + name + ": " + (equals + 1);
        return false;
    }
    setting.index = contentVariableIndex(name.c_str());
    setting.value = static_cast<float>(value);
    if (setting.index < contentVariableCount)
        return true;
    error = "--set: the content has no variable named " + name +
            " (names are spelt as in the content, e.g. CameraPosX, WAVEAMP, LNWIDHT)";
    return false;
}

}  // namespace

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (std::strcmp(name, "--passes") == 0) {
            options.passPictures = true;
            continue;
        }
        if (std::strcmp(name, "--report") == 0) {
            if (options.mode == CaptureMode::Constants) {
                error = "--report and --constants are two modes: give one";
                return false;
            }
            options.mode = CaptureMode::Report;
            continue;
        }
        if (std::strcmp(name, "--debug-layer") == 0) {
            options.debugLayer = true;
            continue;
        }
        if (std::strcmp(name, "--pictures") == 0) {
            options.filmPictures = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (std::strcmp(name, "--width") == 0) {
            ok = parseSize(value, options.width);
            options.sizeGiven = true;
        } else if (std::strcmp(name, "--height") == 0) {
            ok = parseSize(value, options.height);
            options.sizeGiven = true;
        } else if (std::strcmp(name, "--fps") == 0) {
            ok = parseNumber(value, options.fps) && options.fps > 0.0 && options.fps <= 1000.0;
        } else if (std::strcmp(name, "--from") == 0) {
            ok = parseNumber(value, options.from) && options.from >= 0.0;
        } else if (std::strcmp(name, "--to") == 0) {
            ok = parseNumber(value, options.to) && options.to >= 0.0;
        } else if (std::strcmp(name, "--out") == 0) {
            options.outDir = value;
            ok = value[0] != '\0';
        } else if (std::strcmp(name, "--film") == 0) {
            options.filmPath = value;
            ok = value[0] != '\0';
        } else if (std::strcmp(name, "--set") == 0) {
            VariableSetting setting = {};
            if (!parseSetting(value, setting, error))
                return false;
            options.settings.push_back(setting);
        } else if (std::strcmp(name, "--constants") == 0) {
            if (options.mode == CaptureMode::Report) {
                error = "--report and --constants are two modes: give one";
                return false;
            }
            ok = parseNumber(value, options.constantsTime) && options.constantsTime >= 0.0;
            options.mode = CaptureMode::Constants;
        } else {
            error = std::string("unknown option ") + name;
            return false;
        }
        if (!ok) {
            error = std::string("bad value for ") + name + ": " + value;
            return false;
        }
    }
    if (options.mode != CaptureMode::Frames && options.passPictures) {
        error = "--passes writes pictures of captured frames; --constants and --report capture none";
        return false;
    }
    if (!options.filmPath.empty() && (options.mode != CaptureMode::Frames || options.passPictures)) {
        error = "--film streams the frames alone; --passes, --constants and --report do not go with it";
        return false;
    }
    if (options.filmPictures && options.filmPath.empty()) {
        error = "--pictures keeps the PNG frames beside a film: it needs --film";
        return false;
    }
    if (options.mode == CaptureMode::Frames && presentationIsOver(static_cast<float>(options.from))) {
        error = "--from must lie before the end of the presentation (107.58 s)";
        return false;
    }
    if (options.mode == CaptureMode::Frames && options.to < options.from) {
        error = "--to lies before --from";
        return false;
    }
    return true;
}

}  // namespace Nimbra
