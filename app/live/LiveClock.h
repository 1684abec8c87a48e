#pragma once
// demo-sync's clock with its live files: every turn, before the editor's clock takes its turn,
// the shader folder and the song file are looked at (ShaderReload, SongReload); either may be
// absent. Time and end are the editor clock's; stop also ends the shaders' compiling and removes
// its files.
#include "app/FrameClock.h"
#include "app/live/ShaderReload.h"
#include "app/live/SongReload.h"

#include <cstdint>

namespace Nimbra {

class LiveClock : public FrameClock
{
public:
    LiveClock(FrameClock& clock, ShaderReload* shaders, SongReload* song, uint64_t (*nowMs)());

    void start() override;
    void turnStart() override;
    float seconds() override { return clock.seconds(); }
    bool finished(float t) const override { return clock.finished(t); }
    void stop() override;

private:
    FrameClock& clock;
    ShaderReload* shaders;
    SongReload* song;
    uint64_t (*nowMs)();
};

}  // namespace Nimbra
