#include "app/live/TransportClock.h"

#include "sync/Rows.h"

#include <cstdio>

namespace Nimbra {

TransportClock::TransportClock(SyncClock& clock, std::vector<KeyDown>& keys, LiveView& view, const LoopRange& givenLoop)
    : clock(clock), keys(keys), view(view), givenLoop(givenLoop)
{
}

void TransportClock::start()
{
    clock.start();
    tellView();
}

void TransportClock::turnStart()
{
    for (const KeyDown& key : keys)
        apply(key);
    keys.clear();
    clock.turnStart();
    tellView();
}

void TransportClock::apply(const KeyDown& key)
{
    TransportState state;
    state.row = clock.row();
    state.playing = clock.playing();
    state.looping = clock.looping();
    state.loop = {clock.loopStartRow(), clock.loopEndRow()};
    // The timeline's grid is known once the presentation has started: the range is read here.
    const LoopRows given = loopRowsOf(givenLoop, clock.playedTimeline());
    const TransportMove move = transportMove(key, state, givenLoop.given ? &given : nullptr);
    if (move.startLoop)
        clock.setLoop(move.loop.first, move.loop.end);
    if (move.endLoop)
        clock.setLoop(0, 0);
    if (move.seek)
        clock.moveToRow(move.row);
    if (move.step)
        clock.stepFrames(stepMusicFrames);
    if (move.togglePlaying)
        clock.setPlaying(!clock.playing());
    if (move.toggleHelp)
        view.helpShown = !view.helpShown;
    if (move.toggleOverlay)
        view.overlayShown = !view.overlayShown;
}

void TransportClock::tellView()
{
    const float t = clock.seconds();
    view.helpLines = transportHelpLines();
    view.status =
        transportStatus(t, Sync::rowAt(clock.playedTimeline(), t), clock.playing(), clock.looping(),
                        {clock.loopStartRow(), clock.loopEndRow()}, clock.linkState() == Sync::LinkState::Live);
}

std::string transportStatus(float seconds, uint32_t row, bool playing, bool looping, LoopRows loop, bool editor)
{
    char text[160];
    char loopText[48] = "no loop";
    if (looping)
        std::snprintf(loopText, sizeof loopText, "loop r%u:r%u", loop.first, loop.end);
    std::snprintf(text, sizeof text, "%.2f s  row %u  bar %u  %s  %s  %s", double(seconds), row, row / barRows,
                  playing ? "playing" : "paused", loopText, editor ? "editor connected" : "no editor");
    return text;
}

const std::vector<std::string>& transportHelpLines()
{
    static const std::vector<std::string> lines = {
        "Space          pause / play",
        "Left / Right   a beat back / on (Shift: a bar)",
        "PgUp / PgDn    eight bars back / on",
        "Home           the start",
        "L              loop these eight bars (or --loop) / end the loop",
        ".              one frame on (paused)",
        "F1             these keys",
        "F2             the overlay",
        "Esc            quit",
    };
    return lines;
}

}  // namespace Nimbra
