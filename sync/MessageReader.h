#pragma once
// Turns the editor's bytes, as they arrive in pieces of any size, into whole messages. The bytes
// come from the network and are not trusted: the first thing that is not the greeting or a
// well-formed message in range is a fault, and the link must then be closed.

#include "sync/Protocol.h"

#include <cstddef>
#include <cstdint>

namespace Nimbra::Sync {

struct EditorMessage {
    Command command = Command::SaveTracks;
    uint32_t track = 0;         // SetKey, DeleteKey: below the number of tracks asked for
    uint32_t row = 0;           // SetKey, DeleteKey, SetRow: at most maxRow
    float value = 0.0f;         // SetKey: a finite number
    int32_t interpolation = 0;  // SetKey: key type 0..4, passed on unchanged
    bool paused = false;        // Pause
};

enum class ReadStatus {
    NeedMore,  // every byte offered was taken; the message is not complete yet
    Greeting,  // the editor's greeting arrived whole
    Message,   // one message arrived whole
    Fault,     // the bytes cannot be a greeting or message; fault() says why
};

class MessageReader
{
public:
    // `trackCount` is how many tracks have been asked for: the track indices that may arrive.
    explicit MessageReader(uint32_t trackCount = 0);

    // Starts over for a new connection: the greeting comes first.
    void reset();
    void setTrackCount(uint32_t trackCount) { trackCount_ = trackCount; }

    // Takes bytes from data[0, size) up to the end of the greeting or of one message, and says
    // in `used` how many it took. Call again with the rest. After a fault nothing more is
    // taken until reset().
    ReadStatus read(const uint8_t* data, size_t size, size_t& used, EditorMessage& message);

    bool greeted() const { return greeted_; }
    bool faulted() const { return fault_[0] != '\0'; }
    // True while part of the greeting or a message is held: a close now cuts it short.
    bool midMessage() const { return held_ > 0; }
    // A short reason fit to print, empty when there is no fault.
    const char* fault() const { return fault_; }

private:
    ReadStatus readGreeting(const uint8_t* data, size_t size, size_t& used);
    ReadStatus finish(EditorMessage& message);
    ReadStatus fail(const char* format, ...);

    uint32_t trackCount_;
    bool greeted_ = false;
    uint8_t pending_[maxEditorMessageSize] = {};
    size_t held_ = 0;    // bytes of the current greeting or message held in pending_
    size_t needed_ = 0;  // length of the current message, known once its command byte is in
    char fault_[96] = {};
};

// Length of a whole editor message that starts with `command`, or 0 for a command the editor
// never sends.
size_t editorMessageSize(uint8_t command);

}  // namespace Nimbra::Sync
