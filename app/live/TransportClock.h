#pragma once
// demo-sync's clock with its transport keys: every turn the keys pressed in the window since the
// last one move the editor clock (seek, pause, step, loop), with or without an editor, before
// its own turn; then the LiveView is told where the music is and which keys there are.
#include "app/FrameClock.h"
#include "app/KeyDown.h"
#include "app/SyncClock.h"
#include "app/live/LiveView.h"
#include "app/live/Transport.h"

#include <vector>

namespace Nimbra {

class TransportClock : public FrameClock
{
public:
    // `keys` is filled by the window between turns and emptied here; `givenLoop` is --loop.
    TransportClock(SyncClock& clock, std::vector<KeyDown>& keys, LiveView& view, const LoopRange& givenLoop);

    void start() override;
    void turnStart() override;
    float seconds() override { return clock.seconds(); }
    bool finished(float t) const override { return clock.finished(t); }
    void stop() override { clock.stop(); }

private:
    void apply(const KeyDown& key);
    void tellView();

    SyncClock& clock;
    std::vector<KeyDown>& keys;
    LiveView& view;
    LoopRange givenLoop;
};

// The status line: time, row, bar, paused, loop and editor, e.g.
// "12.48 s  row 208  bar 6  paused  loop r208:r333  editor connected".
std::string transportStatus(float seconds, uint32_t row, bool playing, bool looping, LoopRows loop, bool editor);

// One line per key, for the help over the picture.
const std::vector<std::string>& transportHelpLines();

}  // namespace Nimbra
