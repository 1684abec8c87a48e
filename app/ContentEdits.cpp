#include "app/ContentEdits.h"

#include "content/animation/ContentVariables.h"

#include <cstring>

namespace Nimbra {

uint32_t contentVariableIndex(const char* name)
{
    for (uint32_t i = 0; i < contentVariableCount; ++i) {
        if (std::strcmp(contentVariables[i].name, name) == 0)
            return i;
    }
    return contentVariableCount;
}

bool readContentEdits(const char* text, size_t size, Sync::RocketDocument& document, Sync::RocketError& error)
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

} // namespace Nimbra
