#pragma once
// The sync editor's XML file of tracks and keys, as the editors save it:
//
//     <?xml version="1.0" encoding="utf-8"?>
//     <sync rows="2176">
//         <tracks>
//             <track name="CameraPosX">
//                 <key row="0" value="11.6000004" interpolation="0"/>
//
// The reader takes the three shapes editors write: GNU Rocket's <sync> root holding <tracks>
// and <bookmarks>; the emoon editor's <rootElement> holding <bookmark>, <loopmark> and <group>
// beside <tracks rows startRow endRow rowsPerBeat beatsPerMin>, whose tracks carry folded,
// muteKeyCount, color and muteValue; and that editor's older files, whose <bookmark>, <group>
// and <tracks> elements all stand at the top level. Also: comments, any whitespace and attribute
// order, other attributes and elements, and <tracks> itself as the root. It refuses everything
// else, and a second <tracks>, with the line and a reason. Rows, values and key types obey the
// same limits as the link.

#include "core/Timeline.h"

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

struct RocketError {
    uint32_t line = 0;  // counted from 1; 0 when the fault has no place in the file
    std::string message;
};

// The file's bytes are untrusted input. False, with `error` filled in, when they are not a
// readable editor file; `document` is then unspecified.
bool parseRocketFile(const char* text, size_t size, RocketDocument& document, RocketError& error);

// Writes curve i of `timeline` as the track named names[i], for i below `trackCount`, after the
// XML declaration (some readers, pyrocket's among them, need it), with values to 9 significant
// digits so that every float reads back exactly. False, with a reason in `error`, when something
// cannot be written so that it reads back: a name that is empty or holds control characters, a
// row beyond maxRow, a value that is not finite, a key type outside 0..4.
bool writeRocketFile(const Timeline& timeline, const char* const* names, uint32_t trackCount, uint32_t rows,
                     std::string& out, std::string& error);

// The rows an editor should show for `timeline`: past every key's row, rounded up to whole bars
// of four beats.
uint32_t rowsCovering(const Timeline& timeline);

}  // namespace Nimbra::Sync
