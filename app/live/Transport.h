#pragma once
// demo-sync's transport keys, kept apart from the clock: a key and the music's state (row, playing, loop) give a
// move. Moves snap to 8 rows a beat, 32 a bar, and stay inside an active loop (`L`: the 256-row block, or --loop).
#include "app/KeyDown.h"
#include "app/live/LoopRange.h"
#include "core/Timeline.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

constexpr uint32_t beatRows = 8;
constexpr uint32_t barRows = 32;
constexpr uint32_t pageRows = 256;         // eight bars: PageUp, PageDown and the loop of `L`
constexpr uint32_t stepMusicFrames = 735;  // `.`: 1/60 s of the 44,100 Hz music

enum class TransportKey {
    None,
    PlayPause,  // Space
    Back,       // Left: a beat back, with Shift a bar
    On,         // Right: a beat on, with Shift a bar
    PageBack,   // PageUp: eight bars back
    PageOn,     // PageDown: eight bars on
    Start,      // Home
    Loop,       // L: start or end the loop
    Step,       // `.`: one frame on while paused
    Help,       // F1: the keys over the picture
    Overlay,    // F2: the overlay shown or hidden
    Quit,       // Escape
};

// The transport key a Windows virtual-key code stands for; None for any other (Escape too).
TransportKey transportKeyFor(uint32_t virtualKey);

struct TransportState {
    uint32_t row = 0;
    bool playing = true;
    bool looping = false;
    LoopRows loop;  // while looping
};

// What a key asks for. A seek and a loop may come together (a --loop range away from the row).
struct TransportMove {
    bool seek = false;
    uint32_t row = 0;
    bool step = false;  // stepMusicFrames on
    bool togglePlaying = false;
    bool startLoop = false;  // loop `loop`
    bool endLoop = false;
    LoopRows loop;
    bool toggleHelp = false;
    bool toggleOverlay = false;
    bool quit = false;
};

// One line per key, for the help over the picture.
const std::vector<std::string>& transportHelpLines();

// The status line: time, row, bar, paused, loop and editor, e.g.
// "12.48 s  row 208  bar 6  paused  loop r208:r333  editor connected".
std::string transportStatus(float seconds, uint32_t row, bool playing, bool looping, LoopRows loop, bool editor);

// The move `key` makes from `state`. `givenLoop` is the --loop range in rows, or null: then `L`
// loops the current eight bars. Toggles ignore the keyboard's auto-repeat; moves repeat.
TransportMove transportMove(const KeyDown& key, const TransportState& state, const LoopRows* givenLoop);

}  // namespace Nimbra
