// libFuzzer harness: any input is an editor's byte stream to the sync link. The first byte
// chooses whether the editor's greeting is put in front (so most inputs reach the messages)
// and how the stream is cut into pieces. Two links over 64 curves read the same stream, one
// whole and one in pieces; they must end in the same state with the same keys, and the keys
// must be what the link promises: ascending rows, one key per row, at most 65,536 a track,
// rows in 0..2^24, finite values, key types 0..4.
#include "sync/Protocol.h"
#include "sync/SyncLink.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

constexpr uint32_t trackCount = 64;

struct Side {
    Timeline timeline;
    std::vector<std::string> names;
    std::vector<const char*> pointers;
    SyncLink* link = nullptr;

    Side()
    {
        timeline.bpm = 125.0f;
        timeline.curves.resize(trackCount);
        for (uint32_t i = 0; i < trackCount; ++i) {
            names.push_back("track" + std::to_string(i));
            timeline.curves.at(i)->keys.push(Keyframe{i, float(i), int32_t(i % 5)});
        }
        for (const std::string& name : names)
            pointers.push_back(name.c_str());
        link = new SyncLink(timeline, pointers.data(), trackCount);
        link->connected();
    }
    ~Side() { delete link; }
};

void checkKeys(const Timeline& timeline)
{
    for (uint32_t curve = 0; curve < timeline.curves.count; ++curve) {
        const GrowArray<Keyframe>& keys = timeline.curves.at(curve)->keys;
        if (keys.count > maxTrackKeys)
            std::abort();
        for (uint32_t i = 0; i < keys.count; ++i) {
            const Keyframe& key = keys[i];
            if (i > 0 && key.row <= keys[i - 1].row)
                std::abort();
            if (key.row > maxRow || !std::isfinite(key.value) || key.interpolation < 0 || key.interpolation > 4)
                std::abort();
        }
    }
}

// `before` is the link's state before the receive that gave `update`.
void checkUpdate(const SyncLink& link, const LinkUpdate& update, LinkState before)
{
    const bool failedNow = before != LinkState::Failed && link.state() == LinkState::Failed;
    if (update.failed != failedNow)
        std::abort();
    if (before == LinkState::Failed && (link.state() != LinkState::Failed || update.messages || update.keysChanged))
        std::abort();
    if (update.failed && link.fault()[0] == '\0')
        std::abort();
    if (update.seek && update.seekRow > maxRow)
        std::abort();
}

bool sameKeys(const Timeline& a, const Timeline& b)
{
    for (uint32_t curve = 0; curve < trackCount; ++curve) {
        const GrowArray<Keyframe>& x = a.curves.at(curve)->keys;
        const GrowArray<Keyframe>& y = b.curves.at(curve)->keys;
        if (x.count != y.count || (x.count && std::memcmp(x.data, y.data, sizeof(Keyframe) * x.count) != 0))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t control = data[0];
    std::vector<uint8_t> stream;
    if (control & 1)
        stream.insert(stream.end(), editorGreeting, editorGreeting + editorGreetingSize);
    stream.insert(stream.end(), data + 1, data + size);

    Side whole;
    const LinkUpdate all = whole.link->receive(stream.data(), stream.size());
    checkUpdate(*whole.link, all, LinkState::AwaitingGreeting);
    checkKeys(whole.timeline);

    // Piece sizes from a small generator seeded by the control byte: 1 to 16 bytes.
    Side pieces;
    uint32_t state = control | 0x100u;
    size_t offset = 0;
    uint32_t row = 0;
    while (offset < stream.size()) {
        state = state * 1103515245u + 12345u;
        size_t piece = 1 + (state >> 16) % 16;
        if (piece > stream.size() - offset)
            piece = stream.size() - offset;
        const LinkState before = pieces.link->state();
        const LinkUpdate update = pieces.link->receive(stream.data() + offset, piece);
        checkUpdate(*pieces.link, update, before);
        offset += piece;
        pieces.link->playRow(row++, (state >> 8) & 1);
        pieces.link->consumeOutput((state >> 4) % 64);
    }

    if (whole.link->state() != pieces.link->state() || std::strcmp(whole.link->fault(), pieces.link->fault()) != 0 ||
        !sameKeys(whole.timeline, pieces.timeline))
        std::abort();

    pieces.link->disconnected();
    if (pieces.link->state() != LinkState::Disconnected || pieces.link->pendingOutputSize() != 0)
        std::abort();
    return 0;
}
