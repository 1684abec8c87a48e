#pragma once
// A connection to the sync editor as the demo's side uses it: nothing here ever waits, so the
// frame loop keeps turning whatever the editor does. SocketConnection is the real one; tests
// stand in their own.
#include <cstddef>
#include <cstdint>

namespace Nimbra::Sync {

enum class ConnectionState {
    Closed,      // nothing open; connect() starts over
    Connecting,  // a connection is being made
    Open,        // bytes can flow
};

class EditorConnection
{
public:
    virtual ~EditorConnection() = default;
    // Starts connecting (to the address the connection was made for); a refusal may be known at
    // once (state Closed) or later.
    virtual void connect() = 0;
    // Where the connection stands, moving a connection in progress on.
    virtual ConnectionState state() = 0;
    // Bytes the editor has sent, at most `size`: > 0 bytes read, 0 none yet, < 0 the connection
    // is gone (closed by the editor, or broken).
    virtual ptrdiff_t receive(uint8_t* buffer, size_t size) = 0;
    // Hands over bytes for the editor: how many were taken (0 when the way is full for now), < 0
    // when the connection is gone.
    virtual ptrdiff_t send(const uint8_t* data, size_t size) = 0;
    virtual void close() = 0;
};

}  // namespace Nimbra::Sync
