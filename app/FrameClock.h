#pragma once
// Where a program's frames take their time from (sound device, fixed step, sync editor); all else is shared.
// Order: start() after the presentation's start-up; each turn turnStart(), seconds(), then finished(t) before any
// frame is drawn for t; stop() before the presentation's shutdown.
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
