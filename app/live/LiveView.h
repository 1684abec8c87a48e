#pragma once
// What demo-sync shows over its picture, filled by the frame thread every turn. The overlay draws it after the
// final copy, into the window only, so captures and the demo never see it.
#include <string>
#include <vector>

namespace Nimbra {

struct LiveView {
    bool overlayShown = true;             // F2 hides and shows it
    bool helpShown = false;               // F1: the keys over the picture
    std::string status;                   // time, row, bar, paused, loop, editor connected
    std::vector<std::string> helpLines;   // one key and what it does per line
    std::vector<std::string> errorLines;  // "file:line: message" first, then its first lines
    bool typing = false;                  // the editor's views have the keyboard (a value field)
};

}  // namespace Nimbra
