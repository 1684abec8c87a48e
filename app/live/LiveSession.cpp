#include "app/live/LiveSession.h"

#include "app/AudioClock.h"
#include "app/live/Transport.h"
#include "app/live/TurnDump.h"
#include "app/live/edit/EditFile.h"
#include "sync/Rows.h"

namespace Nimbra {

LiveSession::LiveSession(LiveSessionParts parts, WindowInput& input, LiveView& view, LiveSessionOptions options,
                         LiveLog log, uint64_t (*nowMs)())
    : parts(parts), input(input), view(view), options(std::move(options)), log(std::move(log)), nowMs(nowMs)
{
}

void LiveSession::start()
{
    parts.link.start();
    const uint64_t now = nowMs();
    if (parts.shaders)
        parts.shaders->start(now);
    if (parts.song)
        parts.song->start(now);
    lastTurn = now;
    fillView();
}

void LiveSession::stop()
{
    if (parts.shaders)
        parts.shaders->stop();
    parts.link.stop();
}

void LiveSession::turn()
{
    const uint64_t now = nowMs();
    if (parts.shaders)
        parts.shaders->tend(now);
    if (parts.song)
        parts.song->tend(now);

    MusicClock& music = parts.music;
    music.readPosition();
    for (const KeyDown& key : input.keys)
        apply(key);
    input.keys.clear();  // each press once
    if (parts.editor)
        parts.editor->fly(input, float(now - lastTurn) / 1000.0f);
    lastTurn = now;
    for (const EditorRequest& request : parts.link.receive(now))
        apply(request);

    if (music.playing() && presentationIsOver(music.seconds()))
        seekToRow(0);
    if (music.playing() && looping() && row() >= loop.end)
        seekToRow(loop.first);

    parts.link.playRow(row(), music.playing());
    parts.link.flush(now);
    fillView();
    if (!options.dumpPath.empty())
        writeTurnDump(options.dumpPath,
                      {music.seconds(), row(), music.frame(), music.playing(), parts.link.live(), view.typing,
                       parts.editor && parts.editor->model().unsaved()},
                      parts.timeline);
}

uint32_t LiveSession::row() const
{
    return Sync::rowAt(parts.timeline, parts.music.seconds());
}

void LiveSession::seekToRow(uint32_t row)
{
    log(numberEvent(LiveEventKind::Seek, row));
    parts.music.moveTo(firstFrameOfRow(parts.timeline, row));
}

void LiveSession::moveToRow(uint32_t row)
{
    seekToRow(row);
    parts.link.reportRow(row);
}

void LiveSession::stepFrames(uint32_t frames)
{
    const uint32_t frame = parts.music.frame() + frames;
    log(numberEvent(LiveEventKind::Step, frame));
    parts.music.moveTo(frame);
    parts.link.reportRow(row());
}

void LiveSession::setLoop(uint32_t first, uint32_t end)
{
    loop = {first, end};
    log(numberEvent(LiveEventKind::Loop, first, end));
}

Edit::EditorTurn LiveSession::editorTurn() const
{
    return {row(), parts.link.live()};
}

void LiveSession::follow(const Edit::EditorOutcome& outcome)
{
    if (outcome.seek)
        moveToRow(outcome.row);
    if (outcome.save)
        saveKeys();
}

void LiveSession::saveKeys()
{
    std::string error;
    if (Edit::saveKeys(parts.editor->model(), options.keysPath, error))
        log(fileEvent(LiveEventKind::KeysSaved, options.keysPath));
    else
        log(fileEvent(LiveEventKind::KeysNotSaved, options.keysPath, error));
}

// With edits not saved, the first Escape warns and the next one quits; any other key between
// them stands for more work, and the warning comes again.
void LiveSession::quit()
{
    if (parts.editor && parts.editor->model().unsaved() && !warnedOfUnsaved) {
        warnedOfUnsaved = true;
        log(liveEvent(LiveEventKind::UnsavedOnQuit));
        return;
    }
    quitting = true;
}

void LiveSession::apply(const KeyDown& key)
{
    if (transportKeyFor(key.virtualKey) != TransportKey::Quit)
        warnedOfUnsaved = false;
    if (parts.editor) {
        const Edit::EditorOutcome outcome = parts.editor->take(key, editorTurn());
        if (outcome.taken) {
            follow(outcome);
            return;
        }
    }
    TransportState state;
    state.row = row();
    state.playing = parts.music.playing();
    state.looping = looping();
    state.loop = loop;
    // The timeline's grid is known once the presentation has started: the range is read here.
    const LoopRows given = loopRowsOf(options.givenLoop, parts.timeline);
    const TransportMove move = transportMove(key, state, options.givenLoop.given ? &given : nullptr);
    if (move.startLoop)
        setLoop(move.loop.first, move.loop.end);
    if (move.endLoop)
        setLoop(0, 0);
    if (move.seek)
        moveToRow(move.row);
    if (move.step)
        stepFrames(stepMusicFrames);
    if (move.togglePlaying)
        parts.music.playing() ? parts.music.pause() : parts.music.resume();
    if (move.toggleHelp)
        view.helpShown = !view.helpShown;
    if (move.toggleOverlay)
        view.overlayShown = !view.overlayShown;
    if (move.quit)
        quit();
}

void LiveSession::apply(const EditorRequest& request)
{
    switch (request.kind) {
    case EditorRequest::Pause: parts.music.pause(); break;
    case EditorRequest::Play: parts.music.resume(); break;
    case EditorRequest::Seek: seekToRow(request.row); break;
    case EditorRequest::KeysChanged:
        if (parts.editor)
            parts.editor->keysChangedElsewhere();
        break;
    }
}

void LiveSession::fillView()
{
    const MusicClock& music = parts.music;
    view.helpLines = transportHelpLines();
    view.status = transportStatus(parts.music.seconds(), row(), music.playing(), looping(), loop, parts.link.live());
    if (parts.editor && parts.editor->model().unsaved())
        view.status += "  unsaved edits";
    if (parts.errors)
        view.errorLines = parts.errors->lines();
}

}  // namespace Nimbra
