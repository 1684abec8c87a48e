#pragma once
// The demo's side of the link to a sync editor, over any byte transport: its owner moves bytes between it and a
// connection and acts on what it reports. A non-blocking socket drives it once a frame:
//
//     if (connection just made)   link.connected();
//     n = recv(...);  n > 0: update = link.receive(buffer, n);  closed or error: link.disconnected();
//     act on update (keys changed, seek, pause, save); close the connection if update.failed
//     link.playRow(rowAt(timeline, seconds), playing);
//     while (link.pendingOutputSize()) send(link.pendingOutput(), ...) and link.consumeOutput(sent);
//
// After connected() it greets and waits for the answer (how long is the owner's business), then asks for the tracks
// in order and empties their curves: the editor resends its keys. Track i is curve i of the timeline. Anything
// malformed or out of range fails the link; the curves keep the keys they have.

#include "core/Timeline.h"
#include "sync/MessageReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra::Sync {

enum class LinkState {
    Disconnected,      // no connection; connected() starts one
    AwaitingGreeting,  // greeting sent, the editor has not answered yet
    Live,              // tracks asked for; editor messages are applied
    Failed,            // the editor sent something wrong: close the connection, then disconnected()
};

// What one receive() did. When several messages of a kind arrive at once, the last one counts.
struct LinkUpdate {
    bool greeted = false;      // the editor answered: the tracks were asked for and emptied
    bool keysChanged = false;  // some curve's keys changed
    bool seek = false;         // the editor moved to `seekRow`
    uint32_t seekRow = 0;
    bool pauseChanged = false;  // the editor paused (`paused`) or resumed playback
    bool paused = false;
    bool saveRequested = false;  // the editor asked the demo to save its tracks
    bool failed = false;         // the link failed in this call: fault() says why
    uint32_t messages = 0;       // whole messages applied
};

class SyncLink
{
public:
    // Track i is named trackNames[i] and drives curve i of `timeline`, which must outlive the
    // link. Names beyond the timeline's curves are left out.
    SyncLink(Timeline& timeline, const char* const* trackNames, uint32_t trackCount);

    // A new connection to an editor is open: the greeting is queued, earlier state dropped.
    void connected();
    // The connection is gone (closed by either side, or after a failure).
    void disconnected();

    // Bytes from the editor, in pieces of any size.
    LinkUpdate receive(const uint8_t* data, size_t size);

    // The demo's current row. While live and playing, every change of row is reported to the
    // editor (SET_ROW), except the row the editor itself last seeked to.
    void playRow(uint32_t row, bool playing);
    // The demo moved to `row` by itself (its own keys): while live the editor is told, playing
    // or paused, so that its cursor follows.
    void reportRow(uint32_t row);

    // Bytes waiting to be sent to the editor, oldest first.
    const uint8_t* pendingOutput() const { return output_.data() + outputSent_; }
    size_t pendingOutputSize() const { return output_.size() - outputSent_; }
    void consumeOutput(size_t bytes);

    LinkState state() const { return state_; }
    uint32_t trackCount() const { return uint32_t(names_.size()); }
    const char* trackName(uint32_t track) const { return names_[track].c_str(); }
    // Why the link last failed or was cut, empty when it has not; kept until connected().
    const char* fault() const { return fault_.c_str(); }

private:
    void requestTracks();
    void apply(const EditorMessage& message, LinkUpdate& update);
    void fail(const char* reason, LinkUpdate& update);

    Timeline& timeline_;
    std::vector<std::string> names_;
    MessageReader reader_;
    LinkState state_ = LinkState::Disconnected;
    std::vector<uint8_t> output_;
    size_t outputSent_ = 0;
    bool rowKnown_ = false;  // lastRow_ holds the row the editor knows of
    uint32_t lastRow_ = 0;
    std::string fault_;
};

}  // namespace Nimbra::Sync
