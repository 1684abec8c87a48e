#pragma once
// demo-sync's clock with its live files: each turn the shaders and the song (either may be absent) are looked at
// before the editor's clock turns; stop also ends the shaders' compiling and removes its files.
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
