#pragma once
// The editor connection over TCP, non-blocking throughout: BSD sockets, or Winsock on Windows.
#include "sync/EditorConnection.h"

#include <string>

namespace Nimbra::Sync {

class SocketConnection : public EditorConnection
{
public:
    // `host` is a numeric IPv4 address or a name; it is resolved at each connect.
    SocketConnection(std::string host, uint16_t port);
    ~SocketConnection() override;
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    void connect() override;
    ConnectionState state() override;
    ptrdiff_t receive(uint8_t* buffer, size_t size) override;
    ptrdiff_t send(const uint8_t* data, size_t size) override;
    void close() override;

private:
    std::string host_;
    uint16_t port_;
    intptr_t socket_;  // the platform's socket handle, or -1
    ConnectionState state_ = ConnectionState::Closed;
    bool networkStarted_ = false;
};

}  // namespace Nimbra::Sync
