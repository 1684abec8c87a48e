#include "tools/capture/CaptureOptions.h"

#include "app/AudioClock.h"
#include "content/animation/ContentVariables.h"

#include "app/CommandOptions.h"

#include <cstring>

namespace Nimbra {

namespace {

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
    if (!readDecimalNumber(equals + 1, value)) {
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

// A decimal number that `fits`.
CommandOption decimalOption(const char* name, double& target, bool (*fits)(double))
{
    return {name, nullptr, [&target, fits](const char* value, std::string&) {
                return readDecimalNumber(value, target) && fits(target);
            }};
}

bool notNegative(double value)
{
    return value >= 0.0;
}

bool aFrameRate(double value)
{
    return value > 0.0 && value <= 1000.0;
}

// A width or height: a whole number of pixels, and the size counts as given.
CommandOption sizeOption(const char* name, CaptureOptions& options, int32_t& target)
{
    const CommandOption whole = wholeOption(name, 1, 16384, target);
    return {name, nullptr, [whole, &options](const char* value, std::string& error) {
                options.sizeGiven = true;
                return whole.take(value, error);
            }};
}

const char twoModes[] = "--report and --constants are two modes: give one";

}  // namespace

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error)
{
    bool bothModes = false;  // --report and --constants, in either order
    const std::vector<CommandOption> table = {
        flagOption("--passes", options.passPictures),
        flagOption("--debug-layer", options.debugLayer),
        flagOption("--pictures", options.filmPictures),
        {"--report",
         [&] {
             bothModes = bothModes || options.mode == CaptureMode::Constants;
             options.mode = CaptureMode::Report;
         },
         nullptr},
        sizeOption("--width", options, options.width),
        sizeOption("--height", options, options.height),
        decimalOption("--fps", options.fps, aFrameRate),
        decimalOption("--from", options.from, notNegative),
        decimalOption("--to", options.to, notNegative),
        textOption("--out", options.outDir),
        textOption("--film", options.filmPath),
        {"--set", nullptr,
         [&options](const char* value, std::string& why) {
             VariableSetting setting = {};
             if (!parseSetting(value, setting, why))
                 return false;
             options.settings.push_back(setting);
             return true;
         }},
        {"--constants", nullptr,
         [&options, &bothModes](const char* value, std::string&) {
             bothModes = bothModes || options.mode == CaptureMode::Report;
             options.mode = CaptureMode::Constants;
             return readDecimalNumber(value, options.constantsTime) && options.constantsTime >= 0.0;
         }},
    };
    if (!readCommandLine(argc, argv, table, error))
        return false;
    if (bothModes) {
        error = twoModes;
        return false;
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
