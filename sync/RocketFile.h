#pragma once
// The sync editor's XML file of tracks and keys, as the editors save it:
//
//     <?xml version="1.0" encoding="utf-8"?>
//     <sync rows="2176">
//         <tracks>
//             <track name="CameraPosX">
//                 <key row="0" value="11.6000004" interpolation="0"/>
//
// The reader takes GNU Rocket's <sync> root, the emoon editor's <rootElement> and its older top-level layout, and
// <tracks> as the root, passing over comments and unknown attributes and elements. Anything else, or a second
// <tracks>, fails with the line and a reason. Rows, values and key types obey the same limits as the link.

#include "core/Timeline.h"
#include "sync/FileError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra::Sync {

struct RocketTrack {
    std::string name;
    uint32_t line = 0;           // line of the track's start tag, counted from 1
    std::vector<Keyframe> keys;  // ascending rows, one key per row
    bool muted = false;          // muted in the editor (muteKeyCount above 0); the keys are its own
};

// A whole number the editor keeps for its own display, and the line it is written on.
struct RocketSetting {
    uint32_t value = 0;
    uint32_t line = 0;  // 0 when the file does not say
};

struct RocketDocument {
    uint32_t rows = 0;  // the rows attribute of the root or <tracks>, 0 when there is none
    // The grid the editor drew the rows on and played its music to (attributes of <tracks>).
    RocketSetting beatsPerMin;
    RocketSetting rowsPerBeat;
    std::vector<RocketTrack> tracks;
};

// The file's bytes are untrusted input. False, with `error` filled in, when they are not a
// readable editor file; `document` is then unspecified.
bool parseRocketFile(const char* text, size_t size, RocketDocument& document, FileError& error);

// Writes curve i as the track names[i], after the XML declaration (some readers need it), values to 9 significant
// digits so every float reads back exactly. False, with a reason, for what would not read back: an empty name or
// one with control characters, a row beyond maxRow, a non-finite value, a key type outside 0..4.
bool writeRocketFile(const Timeline& timeline, const char* const* names, uint32_t trackCount, uint32_t rows,
                     std::string& out, std::string& error);

// The rows an editor should show for `timeline`: past every key's row, rounded up to whole bars
// of four beats.
uint32_t rowsCovering(const Timeline& timeline);

}  // namespace Nimbra::Sync
