#pragma once
// demo-sync's --dump: every turn, what it plays, for the end-to-end tests that cannot see inside.
#include "core/Timeline.h"

#include <cstdint>
#include <string>

namespace Nimbra {

struct TurnState {
    float seconds = 0.0f;
    uint32_t row = 0;
    uint32_t musicFrame = 0;
    bool playing = false;
    bool linked = false;
    bool typing = false;   // the editor's value field has the keyboard
    bool unsaved = false;  // the editor's keys have edits not saved
};

// Time, row, music frame, paused and link state, the editor's, then every variable as the frame work writes it
// ("NAME VALUE" a line); written beside and renamed over, so that a reader never sees half a dump.
void writeTurnDump(const std::string& path, const TurnState& state, const Timeline& timeline);

}  // namespace Nimbra
