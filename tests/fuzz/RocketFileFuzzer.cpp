// libFuzzer harness: any input is offered as a sync editor file. When it reads, the document
// must keep the reader's promises (named, distinct tracks; ascending rows, one key per row, at
// most 65,536 keys; rows in 0..2^24, finite values, key types 0..4; every line it names, of a
// track or of the editor's beatsPerMin and rowsPerBeat, within the file, and a setting that is
// absent zero), and written back out it must read again to the same tracks, bit for bit.
#include "sync/Protocol.h"
#include "sync/RocketFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

void checkSetting(const RocketSetting& setting, uint32_t lines)
{
    if (setting.line > lines || (setting.line == 0 && setting.value != 0))
        std::abort();
}

void checkDocument(const RocketDocument& document, uint32_t lines)
{
    checkSetting(document.beatsPerMin, lines);
    checkSetting(document.rowsPerBeat, lines);
    for (size_t t = 0; t < document.tracks.size(); ++t) {
        const RocketTrack& track = document.tracks[t];
        if (track.name.empty() || track.line == 0 || track.line > lines || track.keys.size() > maxTrackKeys)
            std::abort();
        for (size_t other = 0; other < t; ++other) {
            if (document.tracks[other].name == track.name)
                std::abort();
        }
        for (size_t i = 0; i < track.keys.size(); ++i) {
            const Keyframe& key = track.keys[i];
            if (i > 0 && key.row <= track.keys[i - 1].row)
                std::abort();
            if (key.row > maxRow || !std::isfinite(key.value) || key.interpolation < 0 || key.interpolation > 4)
                std::abort();
        }
    }
}

bool hasControlCharacter(const std::string& name)
{
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RocketDocument document;
    FileError error;
    if (!parseRocketFile(reinterpret_cast<const char*>(data), size, document, error)) {
        if (error.message.empty())
            std::abort();
        return 0;
    }
    const uint32_t lines = 1 + uint32_t(std::count(data, data + size, uint8_t('\n')));
    checkDocument(document, lines);

    Timeline timeline;
    timeline.curves.resize(uint32_t(document.tracks.size()));
    std::vector<const char*> names;
    for (size_t t = 0; t < document.tracks.size(); ++t) {
        names.push_back(document.tracks[t].name.c_str());
        for (const Keyframe& key : document.tracks[t].keys)
            timeline.curves.at(uint32_t(t))->keys.push(key);
    }
    std::string text, writeError;
    if (!writeRocketFile(timeline, names.data(), uint32_t(names.size()), document.rows, text, writeError)) {
        // The only thing a reader lets through that the writer refuses: raw control characters.
        bool control = false;
        for (const RocketTrack& track : document.tracks)
            control = control || hasControlCharacter(track.name);
        if (!control)
            std::abort();
        return 0;
    }

    RocketDocument again;
    if (!parseRocketFile(text.data(), text.size(), again, error))
        std::abort();
    if (again.rows != document.rows || again.tracks.size() != document.tracks.size())
        std::abort();
    for (size_t t = 0; t < document.tracks.size(); ++t) {
        const RocketTrack& a = document.tracks[t];
        const RocketTrack& b = again.tracks[t];
        if (a.name != b.name || a.keys.size() != b.keys.size() ||
            (!a.keys.empty() && std::memcmp(a.keys.data(), b.keys.data(), sizeof(Keyframe) * a.keys.size()) != 0))
            std::abort();
    }
    return 0;
}
