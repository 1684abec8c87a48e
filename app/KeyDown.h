#pragma once
// A key pressed in a window, as WM_KEYDOWN reports it, for the programs that take keys beyond
// Escape (demo-sync's transport and editor). Plain numbers, so that what is done with them is
// portable.
#include <cstdint>

namespace Nimbra {

struct KeyDown {
    uint32_t virtualKey = 0;  // the Windows virtual-key code (wParam)
    bool shift = false;       // Shift was held when the key went down
    bool repeat = false;      // the key was already down: the keyboard's auto-repeat
    bool ctrl = false;        // Ctrl was held
};

}  // namespace Nimbra
