#pragma once
// What a window that takes input beyond Escape (demo-sync's) collects between the turns of the
// frame loop, as plain numbers so that what is done with it is portable: the keys pressed, the
// keys held, and the mouse's movement while its right button is held (the editor's fly mode).
// Each turn takes what it needs and clears `keys`, `lookX` and `lookY`.
#include "app/KeyDown.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Nimbra {

constexpr uint32_t virtualKeyCount = 256;

struct WindowInput {
    std::vector<KeyDown> keys;        // pressed since the last turn, in order
    bool held[virtualKeyCount] = {};  // down now, by virtual-key code
    bool looking = false;             // the right mouse button is held over the window
    int32_t lookX = 0, lookY = 0;     // pixels moved while looking, since the last turn
    int32_t mouseX = 0, mouseY = 0;   // the last position, in the window's inside
    // Every message goes here first (the editor's interface): true when it is taken, and then
    // nothing above sees it.
    std::function<bool(uint32_t message, uintptr_t wParam, intptr_t lParam)> takeFirst;
};

}  // namespace Nimbra
