#pragma once
// The editor's keys: edits made straight on the presentation's timeline, the curves the frame work evaluates, so
// that each one shows in the next frame. Every track stays in row order with one key per row and within the key
// limit, and holds only keys the editors' file and the link carry (rows 0 to maxRow, finite values, key types 0 to
// 4). One user action is one undo step, however many keys it touches; an action that changes nothing is no step.
//
// What a demo maker meets at the edges:
// - Moving a block moves its keys together; they replace the keys they land on outside the block (undo brings those
//   back). The block stops at row 0 and at maxRow: the move is cut short there and moveKeys says how far it went,
//   so that the selection can follow.
// - Pasting puts the copied rows over the same number of rows under the cursor: the copy's empty rows clear keys
//   there, so the pasted block looks as the copied one did. Keys that would land past maxRow, on no track or on a
//   full track are left out and counted. Keys past the show's end (row 1792) are kept, as the shipped content keeps
//   its own: the show's last keys still ease towards them.
// - Undo or redo back to the keys last saved counts as saved.
#include "app/live/edit/EditHistory.h"
#include "app/live/edit/FlyCamera.h"
#include "core/Timeline.h"
#include "sync/Protocol.h"

#include <cstdint>
#include <vector>

namespace Nimbra::Edit {

constexpr uint32_t defaultUndoSteps = 1000;

struct EditLimits {
    uint32_t keysPerTrack = Sync::maxTrackKeys;
    uint32_t undoSteps = defaultUndoSteps;
};

// Tracks [firstTrack, endTrack) by rows [firstRow, endRow).
struct KeyBlock {
    uint32_t firstTrack = 0;
    uint32_t endTrack = 0;
    uint32_t firstRow = 0;
    uint32_t endRow = 0;
};

struct KeySpan {
    const Keyframe* keys = nullptr;
    uint32_t count = 0;
    const Keyframe* begin() const { return keys; }
    const Keyframe* end() const { return keys + count; }
};

// Copied keys, their tracks and rows counted from the copied block's first track and row.
struct ClipboardKey {
    uint32_t track = 0;
    Keyframe key = {};
};

struct KeyClipboard {
    uint32_t trackCount = 0;
    uint32_t rowCount = 0;
    std::vector<ClipboardKey> keys;
};

struct PasteResult {
    uint32_t pasted = 0;
    uint32_t leftOut = 0;  // past maxRow, on no track, on a full track, or not a key the file could carry
};

class EditModel
{
public:
    // Tracks 0 to trackCount - 1 are the timeline's first curves (clipped to its count), which must outlive the model.
    EditModel(Timeline& timeline, uint32_t trackCount, EditLimits limits = EditLimits());

    uint32_t trackCount() const { return tracks_; }
    const Timeline& timeline() const { return timeline_; }

    // The key on `row`, or null.
    const Keyframe* keyAt(uint32_t track, uint32_t row) const;
    // The keys on rows [firstRow, endRow), in row order; valid until the next edit.
    KeySpan keysInRows(uint32_t track, uint32_t firstRow, uint32_t endRow) const;
    // What the frame work shows on `row` (evaluateCurve at the row's first moment).
    float valueAt(uint32_t track, uint32_t row) const;
    CameraValues cameraValuesAt(uint32_t row) const;

    // Each returns whether the keys changed (and so whether an undo step was made). A key the file could not carry,
    // or a new row on a full track, is refused.
    bool setKey(uint32_t track, const Keyframe& key);
    bool deleteKey(uint32_t track, uint32_t row);
    bool deleteKeys(const KeyBlock& block);
    // Step, Linear, Smooth, Ramp (Quadratic), Quartic, then Step again; an unknown code, which plays as Step, goes on
    // to Linear.
    bool cycleInterpolation(uint32_t track, uint32_t row);
    // Moves the block's keys by `rows` (negative: up) and returns the rows the block moved.
    int32_t moveKeys(const KeyBlock& block, int32_t rows);
    KeyClipboard copyKeys(const KeyBlock& block) const;
    // The clipboard's first row on `row` of its first track, `track`.
    PasteResult pasteKeys(const KeyClipboard& clipboard, uint32_t track, uint32_t row);
    // The camera's eight tracks keyed on `row`, as one step. Each key keeps the key type of the track's key on that
    // row, else takes that of the track's key before it; a track with neither takes the first camera track's that
    // has one (so that the eight move alike), else Linear, for a camera that glides from key to key.
    bool setCameraKeys(uint32_t row, const CameraValues& values);

    bool undo();
    bool redo();
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    size_t undoCount() const { return history_.undoCount(); }

    bool unsaved() const { return history_.unsaved(); }
    void markSaved() { history_.markSaved(); }
    // Something else (the linked editor) changed the keys: the history is forgotten and the keys count as unsaved.
    void keysChangedElsewhere() { history_.forget(); }

private:
    Curve& curve(uint32_t track) { return *timeline_.curves.at(track); }
    const GrowArray<Keyframe>& keys(uint32_t track) const { return timeline_.curves.at(track)->keys; }
    KeyBlock clipped(const KeyBlock& block) const;
    // Changes that go through the step being made: the cell's state is recorded before its first change.
    void record(uint32_t track, uint32_t row);
    bool put(uint32_t track, const Keyframe& key);
    bool remove(uint32_t track, uint32_t row);
    void removeRows(uint32_t track, uint32_t firstRow, uint32_t endRow);
    // Ends the step: pushed to the history when it changed any key. True then.
    bool finishStep();
    void apply(const EditStep& step, bool before);

    Timeline& timeline_;
    uint32_t tracks_;
    EditLimits limits_;
    EditHistory history_;
    EditStep step_;  // the cells recorded by the action under way
};

}  // namespace Nimbra::Edit
