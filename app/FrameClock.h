#pragma once
// Where a program's frames take their time from. demo.exe reads the sound device's play
// position, demo-capture steps by a fixed interval, demo-sync follows the sync editor and its
// own music. Each hands the time to the same start-up, frame work and shutdown of the
// presentation; nothing else differs between them.
//
// A run: start() after the presentation's start-up; then every turn turnStart(), seconds(),
// and finished(t) before any frame is drawn for t; stop() before the presentation's shutdown.
namespace Nimbra {

class FrameClock
{
public:
    virtual ~FrameClock() = default;
    virtual void start() = 0;
    // After the turn's input, before its time is read.
    virtual void turnStart() = 0;
    virtual float seconds() = 0;
    // True once the run is over at t: no frame is drawn for that time.
    virtual bool finished(float t) const = 0;
    virtual void stop() = 0;
};

}  // namespace Nimbra
