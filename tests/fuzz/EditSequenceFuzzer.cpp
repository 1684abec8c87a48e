// libFuzzer harness: the input's first bytes lay keys on ten tracks, the rest is a sequence of editor actions (set,
// delete, delete a block, cycle, move a block, copy, paste, camera capture, undo, redo, save, keys changed
// elsewhere) over rows that collide often and rows at the protocol's last row. After every action each track keeps
// ascending rows, one key per row, at most the key limit and only keys a file can carry; an action that reports a
// change changed the keys; an edit that changed them is one undo step, which undoes and redoes to the keys before
// and after it, and one that did not is none. At the end, undoing every step gives back the keys the history
// started from, bit for bit, and redoing as many the last keys.
#include "app/live/edit/EditModel.h"
#include "sync/Protocol.h"
#include "sync/TrackKeys.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace Nimbra;
using namespace Nimbra::Edit;

namespace {

constexpr uint32_t trackCount = 10;
constexpr uint32_t keyLimit = 12;

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
};

// Rows 0 to 39 mostly, so that keys meet; the last few bytes reach the rows around maxRow, one past it too.
uint32_t rowFrom(uint8_t b)
{
    return b < 240 ? b % 40u : Sync::maxRow - 14 + (b - 240u);
}

float valueFrom(uint8_t b)
{
    return b == 255 ? std::nanf("") : (float(b) - 128.0f) / 4.0f;
}

KeyBlock blockFrom(Bytes& in)
{
    KeyBlock block;
    block.firstTrack = in.next() % (trackCount + 2);
    block.endTrack = block.firstTrack + in.next() % 4;
    block.firstRow = rowFrom(in.next());
    block.endRow = block.firstRow + in.next() % 24;
    return block;
}

// Every key's bits, track by track.
std::string keysOf(const Timeline& timeline)
{
    std::string bytes;
    for (uint32_t track = 0; track < timeline.curves.count; ++track) {
        const GrowArray<Keyframe>& keys = timeline.curves.at(track)->keys;
        bytes.append(reinterpret_cast<const char*>(&keys.count), sizeof keys.count);
        if (keys.count)
            bytes.append(reinterpret_cast<const char*>(keys.data), sizeof(Keyframe) * keys.count);
    }
    return bytes;
}

void checkTracks(const Timeline& timeline)
{
    for (uint32_t track = 0; track < timeline.curves.count; ++track) {
        const GrowArray<Keyframe>& keys = timeline.curves.at(track)->keys;
        if (keys.count > keyLimit)
            std::abort();
        for (uint32_t i = 0; i < keys.count; ++i) {
            const Keyframe& key = keys[i];
            if ((i > 0 && key.row <= keys[i - 1].row) || key.row > Sync::maxRow || !std::isfinite(key.value) ||
                key.interpolation < 0 || key.interpolation > Sync::maxKeyType)
                std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in{data, size};
    Timeline timeline;
    timeline.bpm = 125.0f;
    timeline.curves.resize(trackCount);
    for (uint32_t n = in.next() % 48; n > 0; --n) {
        const uint32_t track = in.next() % trackCount;
        const uint32_t row = rowFrom(in.next());
        const Keyframe key{row < Sync::maxRow ? row : Sync::maxRow, valueFrom(in.next() & 0x7F),
                           int32_t(in.next() % 5)};
        Sync::setKey(*timeline.curves.at(track), key, keyLimit);
    }
    EditLimits limits;
    limits.keysPerTrack = keyLimit;
    limits.undoSteps = 1u << 20;  // more than any input has actions
    EditModel model(timeline, trackCount, limits);
    std::string start = keysOf(timeline);
    KeyClipboard clipboard;

    while (in.more()) {
        const std::string before = keysOf(timeline);
        const size_t steps = model.undoCount();
        const uint8_t action = in.next() % 12;
        int reported = -1;  // 1 or 0 when the action says whether it changed the keys
        switch (action) {
        case 0: {
            const uint32_t track = in.next() % (trackCount + 1);
            const uint32_t row = rowFrom(in.next());
            const float value = valueFrom(in.next());
            reported = model.setKey(track, {row, value, int32_t(in.next() % 7) - 1});
            break;
        }
        case 1: {
            const uint32_t track = in.next() % trackCount;
            reported = model.deleteKey(track, rowFrom(in.next()));
            break;
        }
        case 2: reported = model.deleteKeys(blockFrom(in)); break;
        case 3: {
            const uint32_t track = in.next() % trackCount;
            reported = model.cycleInterpolation(track, rowFrom(in.next()));
            break;
        }
        case 4: {
            const KeyBlock block = blockFrom(in);
            const uint8_t b = in.next();
            const int32_t rows = b == 0 ? -int32_t(Sync::maxRow) : b == 1 ? int32_t(Sync::maxRow) : int8_t(b);
            model.moveKeys(block, rows);
            break;
        }
        case 5: clipboard = model.copyKeys(blockFrom(in)); break;
        case 6: {
            const uint32_t track = in.next() % (trackCount + 1);
            model.pasteKeys(clipboard, track, rowFrom(in.next()));
            break;
        }
        case 7: {
            const uint32_t row = rowFrom(in.next());
            CameraValues values;
            for (float& value : values)
                value = valueFrom(in.next());
            reported = model.setCameraKeys(row, values);
            break;
        }
        case 8: model.undo(); break;
        case 9: model.redo(); break;
        case 10: model.markSaved(); break;
        case 11:
            model.keysChangedElsewhere();
            start = keysOf(timeline);
            if (model.canUndo() || model.canRedo() || !model.unsaved())
                std::abort();
            break;
        }
        checkTracks(timeline);
        const std::string after = keysOf(timeline);
        const bool changed = after != before;
        if (reported >= 0 && bool(reported) != changed)
            std::abort();
        // An edit is one step when it changed the keys and none otherwise, taken back and done again exactly.
        if (action < 8 && model.undoCount() != steps + (changed ? 1 : 0))
            std::abort();
        if (action < 8 && changed) {
            if (!model.undo() || keysOf(timeline) != before || !model.redo() || keysOf(timeline) != after)
                std::abort();
        }
    }

    const std::string last = keysOf(timeline);
    size_t undone = 0;
    for (; model.undo(); ++undone)
        checkTracks(timeline);
    if (keysOf(timeline) != start)
        std::abort();
    for (; undone > 0; --undone) {
        if (!model.redo())
            std::abort();
        checkTracks(timeline);
    }
    if (keysOf(timeline) != last)
        std::abort();
    return 0;
}
