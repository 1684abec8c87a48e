#pragma once
// What a program may draw over the finished picture in every turn, after the presentation's
// frame work and before Present, into the window's back buffer only (demo-sync's overlay).
// demo.exe has none.
#include "app/DemoWindow.h"

namespace Nimbra {

class FrameOverlay
{
public:
    virtual ~FrameOverlay() = default;
    // Called only when the window can be drawn into, with the turn's time.
    virtual void draw(DemoWindow& window, float t) = 0;
};

}  // namespace Nimbra
