#pragma once
// demo-sync's editor over the picture, apart from how it is drawn: what its keys and its views'
// clicks and drags do to the keys (EditModel), which track and rows are selected, what was copied,
// the fly camera and the saved file. The views (EditorViews, Windows) only draw this state and
// call it. Portable.
//
// The keys, while the editor shows (Tab; the transport's keys keep theirs):
//   Up / Down          a row back / on (Shift: the selection grows)
//   Ctrl+Left / Right  the track before / after (Shift: the selection grows)
//   Enter              type the value of the key at the cursor
//   Delete             delete the selected keys
//   I                  the key's interpolation: Step, Linear, Smooth, Ramp, Quartic
//   Ctrl+Up / Down     move the selected keys a row up / down
//   Ctrl+C / Ctrl+V    copy the selection / paste it at the cursor
//   Ctrl+Z / Ctrl+Y    undo / redo (Ctrl+Shift+Z redoes too)
//   Ctrl+S             save the keys
//   F                  fly the camera: right button and mouse look, W A S D move, Q E down and up,
//                      Shift four times as fast; C keys the eight camera tracks at the row
#include "app/KeyDown.h"
#include "app/WindowInput.h"
#include "app/live/edit/EditModel.h"
#include "app/live/edit/FlyCamera.h"
#include "app/live/edit/TrackGroups.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra::Edit {

enum class EditorKey {
    None,
    Toggle,
    RowBack,
    RowOn,
    TrackBack,
    TrackOn,
    TypeValue,
    Delete,
    CycleInterpolation,
    MoveUp,
    MoveDown,
    Copy,
    Paste,
    Undo,
    Redo,
    Save,
    Fly,
    CaptureCamera,
};

// The editor's key for a key pressed, by its virtual-key code and Shift and Ctrl; None for any
// other (the transport's then).
EditorKey editorKeyFor(const KeyDown& key, bool flying);

// One line per key, for the help beside the views.
const std::vector<std::string>& editorHelpLines();

// What the session tells the editor every turn.
struct EditorTurn {
    uint32_t row = 0;     // the music's row
    bool linked = false;  // a sync editor is linked: its keys win, and the views only show them
};

// What the editor did with a key or an action, for the session to act on and report.
struct EditorOutcome {
    bool taken = false;  // the key was the editor's
    bool seek = false;   // the music goes to `row`
    uint32_t row = 0;
    bool save = false;       // the keys are to be saved (Ctrl+S): the session saves and reports
    bool typeValue = false;  // the views open the value field of the cursor's key
};

class Editor
{
public:
    explicit Editor(EditModel& model);

    bool shown() const { return visible; }
    void setShown(bool shown) { visible = shown; }

    // A key pressed in the window. Tab is taken always; the other keys only while the editor
    // shows (and the fly keys only while flying).
    EditorOutcome take(const KeyDown& key, const EditorTurn& turn);

    // The views' actions. A click on a track's row selects it there and moves the music to it.
    EditorOutcome click(uint32_t track, uint32_t row, bool extend, const EditorTurn& turn);
    // The value typed or dragged for the key at (track, row): a new key takes the interpolation
    // of the key before it, or Linear. A drag's values make one undo step between its start and
    // its end.
    bool setValue(uint32_t track, uint32_t row, float value, const EditorTurn& turn);
    void beginDrag()
    {
        dragging = true;
        dragStep = false;
    }
    void endDrag() { dragging = false; }

    // The fly camera, moved every turn by the held keys and the look; while it flies, its eight
    // values stand for the camera's curves in the picture.
    void fly(WindowInput& input, float seconds);
    bool flying() const { return isFlying; }
    const CameraValues* heldCamera() const { return isFlying ? &held : nullptr; }

    // The keys changed elsewhere (the linked editor, whose own file holds them): nothing is left
    // to undo or redo, and nothing here is unsaved.
    void keysChangedElsewhere()
    {
        keyModel.keysChangedElsewhere();
        keyModel.markSaved();
    }
    // Enter asked for the value field: true once, for the views to open it.
    bool takeTypingRequest()
    {
        const bool wanted = typingWanted;
        typingWanted = false;
        return wanted;
    }

    uint32_t cursorTrack() const { return cursor; }
    // The selected tracks by rows, the cursor's track and row within.
    KeyBlock selection(uint32_t row) const;
    EditModel& model() { return keyModel; }
    const EditModel& model() const { return keyModel; }
    const std::vector<TrackGroup>& groups() const { return trackGroups; }

private:
    void moveCursor(int32_t tracks);
    EditorOutcome edit(EditorKey key, const EditorTurn& turn);

    EditModel& keyModel;
    std::vector<TrackGroup> trackGroups;
    bool visible = false;
    uint32_t cursor = 0;       // the cursor's track
    uint32_t anchorTrack = 0;  // the selection runs from the anchor to the cursor
    uint32_t anchorRow = 0;
    bool selecting = false;  // Shift held with the last move: the anchor stays
    KeyClipboard clipboard;
    bool dragging = false;
    bool dragStep = false;  // the drag has made its one step
    bool typingWanted = false;
    bool isFlying = false;
    FlyPose pose;
    CameraValues held = {};
};

}  // namespace Nimbra::Edit
