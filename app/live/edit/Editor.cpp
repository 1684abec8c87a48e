#include "app/live/edit/Editor.h"

#include "content/animation/ContentVariables.h"
#include "sync/Protocol.h"

#include <algorithm>
#include <cstdio>

namespace Nimbra::Edit {
namespace {

// How a key must be held to be the editor's: Ctrl down or up, and (for a few) Shift too.
enum class Ctrl { Up, Down };
enum class Shift { Any, Down };

// Windows virtual-key codes (winuser.h), spelled out so that the decisions stay portable; a line of
// the help each, or none where the line before holds it.
struct KeyRow {
    uint32_t virtualKey;
    Ctrl ctrl;
    Shift shift;
    bool flyingOnly;
    EditorKey key;
    const char* name;  // null: told on the line before
    const char* does;
};

// clang-format off
constexpr KeyRow keyRows[] = {
    {0x09, Ctrl::Up,   Shift::Any,  false, EditorKey::Toggle,             "Tab",               "the editor"},
    {0x26, Ctrl::Up,   Shift::Any,  false, EditorKey::RowBack,            "Up / Down",         "a row back / on (Shift: select)"},
    {0x28, Ctrl::Up,   Shift::Any,  false, EditorKey::RowOn,              nullptr,             nullptr},
    {0x25, Ctrl::Down, Shift::Any,  false, EditorKey::TrackBack,          "Ctrl+Left / Right", "the track before / after (Shift: select)"},
    {0x27, Ctrl::Down, Shift::Any,  false, EditorKey::TrackOn,            nullptr,             nullptr},
    {0x0D, Ctrl::Up,   Shift::Any,  false, EditorKey::TypeValue,          "Enter",             "type the key's value"},
    {0x2E, Ctrl::Up,   Shift::Any,  false, EditorKey::Delete,             "Delete",            "delete the selected keys"},
    {0x49, Ctrl::Up,   Shift::Any,  false, EditorKey::CycleInterpolation, "I",                 "interpolation: step, linear, smooth, ramp, quartic"},
    {0x26, Ctrl::Down, Shift::Any,  false, EditorKey::MoveUp,             "Ctrl+Up / Down",    "move the selected keys a row"},
    {0x28, Ctrl::Down, Shift::Any,  false, EditorKey::MoveDown,           nullptr,             nullptr},
    {0x43, Ctrl::Down, Shift::Any,  false, EditorKey::Copy,               "Ctrl+C / Ctrl+V",   "copy the selection / paste it here"},
    {0x56, Ctrl::Down, Shift::Any,  false, EditorKey::Paste,              nullptr,             nullptr},
    {0x5A, Ctrl::Down, Shift::Down, false, EditorKey::Redo,               "Ctrl+Z / Ctrl+Y",   "undo / redo"},
    {0x5A, Ctrl::Down, Shift::Any,  false, EditorKey::Undo,               nullptr,             nullptr},
    {0x59, Ctrl::Down, Shift::Any,  false, EditorKey::Redo,               nullptr,             nullptr},
    {0x53, Ctrl::Down, Shift::Any,  false, EditorKey::Save,               "Ctrl+S",            "save the keys"},
    {0x46, Ctrl::Up,   Shift::Any,  false, EditorKey::Fly,                "F",                 "fly the camera: right button looks, W A S D Q E move"},
    {0x43, Ctrl::Up,   Shift::Any,  true,  EditorKey::CaptureCamera,      "C (flying)",        "key the camera here"},
};
// clang-format on

// The fly keys, held: forward, back, right, left, down, up, and four times as fast.
constexpr uint32_t keyW = 0x57, keyS = 0x53, keyD = 0x44, keyA = 0x41, keyQ = 0x51, keyE = 0x45, keyShift = 0x10;
constexpr float fastFactor = 4.0f;

bool readOnly(EditorKey key)
{
    return key == EditorKey::Toggle || key == EditorKey::RowBack || key == EditorKey::RowOn ||
           key == EditorKey::TrackBack || key == EditorKey::TrackOn || key == EditorKey::Copy ||
           key == EditorKey::Fly || key == EditorKey::Save;
}

float axis(const WindowInput& input, uint32_t plus, uint32_t minus)
{
    return float(input.held[plus]) - float(input.held[minus]);
}

}  // namespace

EditorKey editorKeyFor(const KeyDown& key, bool flying)
{
    for (const KeyRow& row : keyRows)
        if (row.virtualKey == key.virtualKey && (row.ctrl == Ctrl::Down) == key.ctrl &&
            (row.shift == Shift::Any || key.shift) && (!row.flyingOnly || flying))
            return row.key;
    return EditorKey::None;
}

const std::vector<std::string>& editorHelpLines()
{
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> made;
        for (const KeyRow& row : keyRows) {
            if (!row.name)
                continue;
            char text[112];
            std::snprintf(text, sizeof text, "%-19s%s", row.name, row.does);
            made.push_back(text);
        }
        return made;
    }();
    return lines;
}

Editor::Editor(EditModel& model) : keyModel(model), trackGroups(contentTrackGroups()) {}

KeyBlock Editor::selection(uint32_t row) const
{
    if (!selecting)
        return {cursor, cursor + 1, row, row + 1};
    return {std::min(cursor, anchorTrack), std::max(cursor, anchorTrack) + 1, std::min(row, anchorRow),
            std::max(row, anchorRow) + 1};
}

void Editor::moveCursor(int32_t tracks)
{
    const int64_t last = keyModel.trackCount() > 0 ? int64_t(keyModel.trackCount()) - 1 : 0;
    cursor = uint32_t(std::clamp<int64_t>(int64_t(cursor) + tracks, 0, last));
}

EditorOutcome Editor::take(const KeyDown& key, const EditorTurn& turn)
{
    const EditorKey what = editorKeyFor(key, isFlying);
    if (what == EditorKey::None || (!visible && what != EditorKey::Toggle && what != EditorKey::Save))
        return {};
    // A move with Shift grows the selection from where it started; one without starts anew.
    const bool move = what == EditorKey::RowBack || what == EditorKey::RowOn || what == EditorKey::TrackBack ||
                      what == EditorKey::TrackOn;
    if (move) {
        if (key.shift && !selecting) {
            anchorTrack = cursor;
            anchorRow = turn.row;
        }
        selecting = key.shift;
    }
    return edit(what, turn);
}

EditorOutcome Editor::edit(EditorKey key, const EditorTurn& turn)
{
    EditorOutcome out;
    out.taken = true;
    if (turn.linked && !readOnly(key))
        return out;  // the linked editor's keys win: the views say so
    const KeyBlock block = selection(turn.row);
    switch (key) {
    case EditorKey::Toggle: visible = !visible; break;
    case EditorKey::RowBack:
        out.seek = true;
        out.row = turn.row > 0 ? turn.row - 1 : 0;
        break;
    case EditorKey::RowOn:
        out.seek = true;
        out.row = std::min(turn.row + 1, Sync::maxRow);
        break;
    case EditorKey::TrackBack: moveCursor(-1); break;
    case EditorKey::TrackOn: moveCursor(1); break;
    case EditorKey::TypeValue: typingWanted = out.typeValue = true; break;
    case EditorKey::Delete: keyModel.deleteKeys(block); break;
    case EditorKey::CycleInterpolation: keyModel.cycleInterpolation(cursor, turn.row); break;
    case EditorKey::MoveUp:
    case EditorKey::MoveDown: {
        const int32_t moved = keyModel.moveKeys(block, key == EditorKey::MoveUp ? -1 : 1);
        // The selection and the music go with the keys.
        anchorRow = uint32_t(int64_t(anchorRow) + moved);
        out.seek = moved != 0;
        out.row = uint32_t(int64_t(turn.row) + moved);
        break;
    }
    case EditorKey::Copy: clipboard = keyModel.copyKeys(block); break;
    case EditorKey::Paste: keyModel.pasteKeys(clipboard, block.firstTrack, block.firstRow); break;
    case EditorKey::Undo: keyModel.undo(); break;
    case EditorKey::Redo: keyModel.redo(); break;
    case EditorKey::Save: out.save = true; break;
    case EditorKey::Fly:
        isFlying = !isFlying;
        if (isFlying) {
            pose = poseFromCameraValues(keyModel.cameraValuesAt(turn.row));
            held = cameraValuesFromPose(pose);
        }
        break;
    case EditorKey::CaptureCamera: keyModel.setCameraKeys(turn.row, held); break;
    case EditorKey::None: out.taken = false; break;
    }
    return out;
}

EditorOutcome Editor::click(uint32_t track, uint32_t row, bool extend, const EditorTurn& turn)
{
    EditorOutcome out;
    out.taken = true;
    if (extend && !selecting) {
        anchorTrack = cursor;
        anchorRow = turn.row;
    }
    selecting = extend;
    cursor = std::min(track, keyModel.trackCount() ? keyModel.trackCount() - 1 : 0);
    out.seek = row != turn.row;
    out.row = row;
    return out;
}

bool Editor::setValue(uint32_t track, uint32_t row, float value, const EditorTurn& turn)
{
    if (turn.linked)
        return false;
    Keyframe key = {row, value, int32_t(KeyInterpolation::Linear)};
    if (const Keyframe* there = keyModel.keyAt(track, row)) {
        key.interpolation = there->interpolation;
    } else if (row > 0) {
        const KeySpan before = keyModel.keysInRows(track, 0, row);
        if (before.count > 0)
            key.interpolation = before.keys[before.count - 1].interpolation;
    }
    // A drag is one step: each of its values takes back the one before.
    if (dragging && dragStep)
        keyModel.undo();
    const bool changed = keyModel.setKey(track, key);
    if (dragging)
        dragStep = changed;
    return changed;
}

void Editor::fly(WindowInput& input, float seconds)
{
    if (!isFlying) {
        input.lookX = input.lookY = 0;
        return;
    }
    FlyInput step;
    step.lookX = float(input.lookX);
    step.lookY = float(input.lookY);
    step.forward = axis(input, keyW, keyS);
    step.right = axis(input, keyD, keyA);
    step.up = axis(input, keyE, keyQ);
    step.speedFactor = input.held[keyShift] ? fastFactor : 1.0f;
    step.seconds = seconds;
    input.lookX = input.lookY = 0;
    pose = flyStep(pose, step);
    held = cameraValuesFromPose(pose);
}

}  // namespace Nimbra::Edit
