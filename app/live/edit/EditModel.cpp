#include "app/live/edit/EditModel.h"

#include "sync/Rows.h"
#include "sync/TrackKeys.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Nimbra::Edit {

namespace {

constexpr uint64_t rowLimit = uint64_t(Sync::maxRow) + 1;  // rows 0 to maxRow

// A key the editors' file and the link can carry.
bool carried(const Keyframe& key)
{
    return key.row <= Sync::maxRow && std::isfinite(key.value) && key.interpolation >= 0 &&
           key.interpolation <= Sync::maxKeyType;
}

// The index of the first key on `row` or after it.
uint32_t lowerBound(const GrowArray<Keyframe>& keys, uint32_t row)
{
    const Keyframe* at = std::lower_bound(keys.data, keys.data + keys.count, row,
                                          [](const Keyframe& key, uint32_t r) { return key.row < r; });
    return uint32_t(at - keys.data);
}

bool sameCell(const KeyChange& a, const KeyChange& b)
{
    return a.track == b.track && a.row == b.row;
}

}  // namespace

EditModel::EditModel(Timeline& timeline, uint32_t trackCount, EditLimits limits)
    : timeline_(timeline), tracks_(std::min(trackCount, timeline.curves.count)), limits_(limits),
      history_(limits.undoSteps)
{
}

const Keyframe* EditModel::keyAt(uint32_t track, uint32_t row) const
{
    if (track >= tracks_)
        return nullptr;
    const GrowArray<Keyframe>& all = keys(track);
    const uint32_t at = lowerBound(all, row);
    return at < all.count && all[at].row == row ? &all[at] : nullptr;
}

KeySpan EditModel::keysInRows(uint32_t track, uint32_t firstRow, uint32_t endRow) const
{
    if (track >= tracks_ || endRow <= firstRow)
        return KeySpan();
    const GrowArray<Keyframe>& all = keys(track);
    const uint32_t first = lowerBound(all, firstRow);
    return KeySpan{all.data + first, lowerBound(all, endRow) - first};
}

float EditModel::valueAt(uint32_t track, uint32_t row) const
{
    return track < tracks_ ? evaluateCurve(timeline_, track, Sync::secondsForRow(timeline_, row)) : 0.0f;
}

CameraValues EditModel::cameraValuesAt(uint32_t row) const
{
    CameraValues values;
    for (uint32_t i = 0; i < cameraTrackCount; ++i)
        values[i] = valueAt(i, row);
    return values;
}

KeyBlock EditModel::clipped(const KeyBlock& block) const
{
    KeyBlock inside = block;
    inside.endTrack = std::min(block.endTrack, tracks_);
    inside.endRow = uint32_t(std::min<uint64_t>(block.endRow, rowLimit));
    if (inside.firstTrack >= inside.endTrack || inside.firstRow >= inside.endRow)
        return KeyBlock();
    return inside;
}

void EditModel::record(uint32_t track, uint32_t row)
{
    KeyChange change;
    change.track = track;
    change.row = row;
    if (const Keyframe* key = keyAt(track, row)) {
        change.hadKey = true;
        change.before = *key;
    }
    step_.push_back(change);
}

bool EditModel::put(uint32_t track, const Keyframe& key)
{
    record(track, key.row);
    return Sync::setKey(curve(track), key, limits_.keysPerTrack) != Sync::SetKeyResult::Full;
}

bool EditModel::remove(uint32_t track, uint32_t row)
{
    record(track, row);
    return Sync::deleteKey(curve(track), row);
}

void EditModel::removeRows(uint32_t track, uint32_t firstRow, uint32_t endRow)
{
    // From the last: removing a key moves only the keys after it.
    const KeySpan span = keysInRows(track, firstRow, endRow);
    for (uint32_t i = span.count; i-- > 0;)
        remove(track, span.keys[i].row);
}

bool EditModel::finishStep()
{
    EditStep recorded;
    recorded.swap(step_);
    // A cell's first record holds its state before the action; its state now is the one after.
    std::stable_sort(recorded.begin(), recorded.end(), [](const KeyChange& a, const KeyChange& b) {
        return a.track < b.track || (a.track == b.track && a.row < b.row);
    });
    EditStep changes;
    for (size_t i = 0; i < recorded.size(); ++i) {
        if (i > 0 && sameCell(recorded[i], recorded[i - 1]))
            continue;
        KeyChange change = recorded[i];
        if (const Keyframe* key = keyAt(change.track, change.row)) {
            change.hasKey = true;
            change.after = *key;
        }
        const bool same = change.hadKey == change.hasKey &&
                          (!change.hadKey || std::memcmp(&change.before, &change.after, sizeof(Keyframe)) == 0);
        if (!same)
            changes.push_back(change);
    }
    if (changes.empty())
        return false;
    history_.push(std::move(changes));
    return true;
}

void EditModel::apply(const EditStep& step, bool before)
{
    // Removals first: the keys then fit within the limit whatever the order of the cells.
    for (const KeyChange& change : step) {
        if (!(before ? change.hadKey : change.hasKey))
            Sync::deleteKey(curve(change.track), change.row);
    }
    for (const KeyChange& change : step) {
        if (before ? change.hadKey : change.hasKey)
            Sync::setKey(curve(change.track), before ? change.before : change.after, limits_.keysPerTrack);
    }
}

bool EditModel::setKey(uint32_t track, const Keyframe& key)
{
    if (track >= tracks_ || !carried(key))
        return false;
    put(track, key);
    return finishStep();
}

bool EditModel::deleteKey(uint32_t track, uint32_t row)
{
    if (track >= tracks_)
        return false;
    remove(track, row);
    return finishStep();
}

bool EditModel::deleteKeys(const KeyBlock& block)
{
    const KeyBlock inside = clipped(block);
    for (uint32_t track = inside.firstTrack; track < inside.endTrack; ++track)
        removeRows(track, inside.firstRow, inside.endRow);
    return finishStep();
}

bool EditModel::cycleInterpolation(uint32_t track, uint32_t row)
{
    const Keyframe* key = keyAt(track, row);
    if (!key)
        return false;
    Keyframe next = *key;
    const int32_t code = key->interpolation;
    next.interpolation = code == Sync::maxKeyType ? 0 : code >= 0 && code < Sync::maxKeyType ? code + 1 : 1;
    put(track, next);
    return finishStep();
}

int32_t EditModel::moveKeys(const KeyBlock& block, int32_t rows)
{
    const KeyBlock inside = clipped(block);
    if (inside.endTrack == 0)
        return 0;
    // The block stops at row 0 and at the last row.
    const int64_t rowsMoved =
        std::clamp<int64_t>(rows, -int64_t(inside.firstRow), int64_t(rowLimit) - int64_t(inside.endRow));
    if (rowsMoved == 0)
        return 0;
    std::vector<Keyframe> moving;
    for (uint32_t track = inside.firstTrack; track < inside.endTrack; ++track) {
        const KeySpan span = keysInRows(track, inside.firstRow, inside.endRow);
        moving.assign(span.begin(), span.end());
        removeRows(track, inside.firstRow, inside.endRow);
        // As many keys as were removed: the track cannot be full.
        for (Keyframe key : moving) {
            key.row = uint32_t(int64_t(key.row) + rowsMoved);
            put(track, key);
        }
    }
    finishStep();
    return int32_t(rowsMoved);
}

KeyClipboard EditModel::copyKeys(const KeyBlock& block) const
{
    KeyClipboard clipboard;
    const KeyBlock inside = clipped(block);
    if (inside.endTrack == 0)
        return clipboard;
    clipboard.trackCount = inside.endTrack - inside.firstTrack;
    clipboard.rowCount = inside.endRow - inside.firstRow;
    for (uint32_t track = inside.firstTrack; track < inside.endTrack; ++track) {
        for (Keyframe key : keysInRows(track, inside.firstRow, inside.endRow)) {
            key.row -= inside.firstRow;
            clipboard.keys.push_back(ClipboardKey{track - inside.firstTrack, key});
        }
    }
    return clipboard;
}

PasteResult EditModel::pasteKeys(const KeyClipboard& clipboard, uint32_t track, uint32_t row)
{
    PasteResult result;
    const uint64_t endTrack = std::min<uint64_t>(uint64_t(track) + clipboard.trackCount, tracks_);
    const uint64_t endRow = std::min<uint64_t>(uint64_t(row) + clipboard.rowCount, rowLimit);
    for (uint64_t to = track; to < endTrack && row < endRow; ++to)
        removeRows(uint32_t(to), row, uint32_t(endRow));
    for (const ClipboardKey& copied : clipboard.keys) {
        const uint64_t to = uint64_t(track) + copied.track;
        const uint64_t at = uint64_t(row) + copied.key.row;
        Keyframe key = copied.key;
        key.row = uint32_t(at);
        if (to < tracks_ && at < rowLimit && carried(key) && put(uint32_t(to), key))
            ++result.pasted;
        else
            ++result.leftOut;
    }
    finishStep();
    return result;
}

bool EditModel::setCameraKeys(uint32_t row, const CameraValues& values)
{
    if (tracks_ < cameraTrackCount || row > Sync::maxRow)
        return false;
    int32_t kinds[cameraTrackCount];
    bool known[cameraTrackCount];
    int32_t shared = int32_t(KeyInterpolation::Linear);
    bool sharedFound = false;
    for (uint32_t i = 0; i < cameraTrackCount; ++i) {
        const GrowArray<Keyframe>& all = keys(i);
        const uint32_t at = lowerBound(all, row);
        const bool onRow = at < all.count && all[at].row == row;
        if (!std::isfinite(values[i]) || (!onRow && all.count >= limits_.keysPerTrack))
            return false;  // all eight or none
        known[i] = onRow || at > 0;
        kinds[i] = onRow ? all[at].interpolation : at > 0 ? all[at - 1].interpolation : 0;
        if (kinds[i] < 0 || kinds[i] > Sync::maxKeyType)
            kinds[i] = int32_t(KeyInterpolation::Step);  // which is how it plays
        if (known[i] && !sharedFound) {
            shared = kinds[i];
            sharedFound = true;
        }
    }
    for (uint32_t i = 0; i < cameraTrackCount; ++i)
        put(i, Keyframe{row, values[i], known[i] ? kinds[i] : shared});
    return finishStep();
}

bool EditModel::undo()
{
    const EditStep* step = history_.undo();
    if (step)
        apply(*step, true);
    return step != nullptr;
}

bool EditModel::redo()
{
    const EditStep* step = history_.redo();
    if (step)
        apply(*step, false);
    return step != nullptr;
}

}  // namespace Nimbra::Edit
