#include "app/ContentEdits.h"

#include "app/FilePaths.h"
#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"

namespace Nimbra {

bool readContentEdits(const char* text, size_t size, Sync::RocketDocument& document, Sync::FileError& error)
{
    if (!Sync::parseRocketFile(text, size, document, error))
        return false;
    for (const Sync::RocketTrack& track : document.tracks) {
        // The reader refuses NUL characters, so c_str() is the whole name.
        if (contentVariableIndex(track.name.c_str()) == contentVariableCount) {
            error.line = track.line;
            error.message = "the track \"" + track.name + "\" is not a variable of the demo";
            return false;
        }
    }
    return true;
}

namespace {

void warnOfOtherGrid(std::vector<Sync::FileError>& warnings, const char* name, const Sync::RocketSetting& setting,
                     uint32_t demoValue, const char* demoUnit)
{
    if (setting.line == 0 || setting.value == demoValue)
        return;
    warnings.push_back(Sync::FileError{setting.line, std::string(name) + " is " + std::to_string(setting.value) +
                                                         " in the editor, but the demo plays " +
                                                         std::to_string(demoValue) + " " + demoUnit +
                                                         ": the keys' rows land at other times"});
}

}  // namespace

std::vector<Sync::FileError> contentEditWarnings(const Sync::RocketDocument& document)
{
    std::vector<Sync::FileError> warnings;
    warnOfOtherGrid(warnings, "beatsPerMin", document.beatsPerMin, uint32_t(contentBpm), "beats a minute");
    warnOfOtherGrid(warnings, "rowsPerBeat", document.rowsPerBeat, contentRowsPerBeat, "rows a beat");
    for (const Sync::RocketTrack& track : document.tracks) {
        if (track.muted)
            warnings.push_back(Sync::FileError{track.line, "the track \"" + track.name +
                                                               "\" is muted in the editor; the demo plays its " +
                                                               std::to_string(track.keys.size()) +
                                                               (track.keys.size() == 1 ? " key" : " keys")});
    }
    return warnings;
}

void applyContentEdits(Timeline& timeline, const Sync::RocketDocument& document)
{
    for (const Sync::RocketTrack& track : document.tracks) {
        const uint32_t curve = contentVariableIndex(track.name.c_str());
        if (curve >= timeline.curves.count)
            continue;
        GrowArray<Keyframe>& keys = timeline.curves.at(curve)->keys;
        keys.resize(0);
        for (const Keyframe& key : track.keys)
            keys.push(key);
    }
}

bool writeContentEdits(const Timeline& timeline, const char* path, std::string& error)
{
    std::string text;
    return Sync::writeRocketFile(timeline, contentVariableNames(), contentVariableCount, Sync::rowsCovering(timeline),
                                 text, error) &&
           writeWholeFile(path, text, error);
}

}  // namespace Nimbra
