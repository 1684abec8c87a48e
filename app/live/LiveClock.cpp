#include "app/live/LiveClock.h"

namespace Nimbra {

LiveClock::LiveClock(FrameClock& clock, ShaderReload* shaders, SongReload* song, uint64_t (*nowMs)())
    : clock(clock), shaders(shaders), song(song), nowMs(nowMs)
{
}

void LiveClock::start()
{
    clock.start();
    const uint64_t now = nowMs();
    if (shaders)
        shaders->start(now);
    if (song)
        song->start(now);
}

void LiveClock::turnStart()
{
    const uint64_t now = nowMs();
    if (shaders)
        shaders->tend(now);
    if (song)
        song->tend(now);
    clock.turnStart();
}

void LiveClock::stop()
{
    if (shaders)
        shaders->stop();
    clock.stop();
}

}  // namespace Nimbra
