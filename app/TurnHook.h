#pragma once
// What a windowed program does in every turn of the frame loop beside its clock and the
// presentation: demo-sync's live session and what it draws over the picture. demo.exe has none.
#include "app/DemoWindow.h"

namespace Nimbra {

class TurnHook
{
public:
    virtual ~TurnHook() = default;
    // After the clock's start, before the first turn; and after the last turn, before the
    // clock's stop.
    virtual void start() {}
    virtual void stop() {}
    // After the turn's messages and input, before the clock's turn start and its time.
    virtual void turn() = 0;
    // Over the finished picture, into the window's back buffer only, before Present; called only
    // when the window can be drawn into, with the turn's time.
    virtual void drawOver(DemoWindow& window, float t) = 0;
};

}  // namespace Nimbra
