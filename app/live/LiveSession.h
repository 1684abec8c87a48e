#pragma once
// demo-sync's turn, in one place. Every turn, in this order: the live shaders and song are looked
// at; the music's position is read once; the window's keys go to the editor over the picture,
// and those it leaves to the transport move the music (and a connected editor's cursor); the fly
// camera moves; the editor link runs and its requests move the music; playing past the show's end
// or the loop's goes round; the row goes back to the editor; the view over the picture is filled
// and, if asked for, the turn is dumped. Portable: the parts below it are.
#include "app/WindowInput.h"
#include "app/live/EditorLink.h"
#include "app/live/LiveErrors.h"
#include "app/live/LiveView.h"
#include "app/live/LoopRange.h"
#include "app/live/MusicClock.h"
#include "app/live/ShaderReload.h"
#include "app/live/SongReload.h"
#include "app/live/edit/Editor.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

struct LiveSessionParts {
    Timeline& timeline;  // the presentation's
    MusicClock& music;   // the frame loop's clock
    EditorLink& link;
    ShaderReload* shaders = nullptr;  // either may be absent
    SongReload* song = nullptr;
    const LiveErrors* errors = nullptr;  // what the overlay shows of the events, if anything
    Edit::Editor* editor = nullptr;      // the editor over the picture, if any
};

struct LiveSessionOptions {
    LoopRange givenLoop;   // --loop: what `L` loops instead of the current eight bars
    std::string dumpPath;  // when set, every turn's time, row, music and variables go there
    std::string keysPath;  // where the editor saves the keys (Ctrl+S)
};

class LiveSession
{
public:
    // `input` is filled by the window between turns; each turn takes its keys and the fly's
    // look. `nowMs` reads a millisecond clock (tests step their own).
    LiveSession(LiveSessionParts parts, WindowInput& input, LiveView& view, LiveSessionOptions options, LiveLog log,
                uint64_t (*nowMs)());

    // The editor over the picture, made once the presentation's curves are there.
    void attach(Edit::Editor* editor) { parts.editor = editor; }
    // After the music's start: the link, the shaders and the song begin.
    void start();
    void turn();
    // Before the music's stop: the shaders' compiling ends and the link closes.
    void stop();

    // The program's own moves, with or without an editor; a move also tells a connected editor so
    // that its cursor follows. The protocol has no pause from the demo to the editor.
    void moveToRow(uint32_t row);
    void stepFrames(uint32_t frames);
    // Rows [first, end) that playing goes round: reaching `end`, the music goes back to `first`.
    // end <= first: no loop.
    void setLoop(uint32_t first, uint32_t end);
    bool looping() const { return loop.end > loop.first; }
    LoopRows loopRows() const { return loop; }
    // The row the music is on this turn.
    uint32_t row() const;
    // Escape was pressed, and no edits are lost by leaving (or it was pressed again after the
    // warning): the program should end.
    bool quitAsked() const { return quitting; }
    // What the editor over the picture is told this turn.
    Edit::EditorTurn editorTurn() const;
    // Saves the editor's keys (Ctrl+S), reporting how it went.
    void saveKeys();
    // Acts on what the editor did with a key or one of its views' clicks.
    void follow(const Edit::EditorOutcome& outcome);

private:
    void seekToRow(uint32_t row);
    void apply(const KeyDown& key);
    void apply(const EditorRequest& request);
    void quit();
    void fillView();

    LiveSessionParts parts;
    WindowInput& input;
    LiveView& view;
    LiveSessionOptions options;
    LiveLog log;
    uint64_t (*nowMs)();
    LoopRows loop;
    uint64_t lastTurn = 0;
    bool warnedOfUnsaved = false;  // Escape was pressed once with unsaved edits
    bool quitting = false;
};

}  // namespace Nimbra
