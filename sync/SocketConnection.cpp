#include "sync/SocketConnection.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>

namespace Nimbra::Sync {
namespace {

constexpr intptr_t noSocket = -1;

#ifdef _WIN32
using Handle = SOCKET;
Handle handleOf(intptr_t s)
{
    return static_cast<Handle>(s);
}
bool wouldBlock()
{
    return WSAGetLastError() == WSAEWOULDBLOCK;
}
bool connectPending()
{
    return WSAGetLastError() == WSAEWOULDBLOCK;
}
void closeHandle(intptr_t s)
{
    closesocket(handleOf(s));
}
void makeNonBlocking(intptr_t s)
{
    u_long on = 1;
    ioctlsocket(handleOf(s), FIONBIO, &on);
}
// True once the connection is made, false while pending; `failed` when it cannot be made.
bool connectDone(intptr_t s, bool& failed)
{
    fd_set writable, broken;
    FD_ZERO(&writable);
    FD_ZERO(&broken);
    FD_SET(handleOf(s), &writable);
    FD_SET(handleOf(s), &broken);
    timeval now = {0, 0};
    failed = false;
    if (select(0, nullptr, &writable, &broken, &now) <= 0)
        return false;
    failed = FD_ISSET(handleOf(s), &broken) != 0;
    return !failed;
}
constexpr int sendFlags = 0;
#else
using Handle = int;
Handle handleOf(intptr_t s)
{
    return static_cast<Handle>(s);
}
bool wouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}
bool connectPending()
{
    return errno == EINPROGRESS;
}
void closeHandle(intptr_t s)
{
    ::close(handleOf(s));
}
void makeNonBlocking(intptr_t s)
{
    fcntl(handleOf(s), F_SETFL, fcntl(handleOf(s), F_GETFL) | O_NONBLOCK);
}
bool connectDone(intptr_t s, bool& failed)
{
    pollfd poll = {handleOf(s), POLLOUT, 0};
    failed = false;
    if (::poll(&poll, 1, 0) <= 0)
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(handleOf(s), SOL_SOCKET, SO_ERROR, &error, &length);
    failed = error != 0 || (poll.revents & (POLLERR | POLLHUP)) != 0;
    return !failed;
}
constexpr int sendFlags = MSG_NOSIGNAL;
#endif

}  // namespace

SocketConnection::SocketConnection(std::string host, uint16_t port)
    : host_(std::move(host)), port_(port), socket_(noSocket)
{
#ifdef _WIN32
    WSADATA data;
    networkStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#else
    networkStarted_ = true;
#endif
}

SocketConnection::~SocketConnection()
{
    close();
#ifdef _WIN32
    if (networkStarted_)
        WSACleanup();
#endif
}

void SocketConnection::connect()
{
    close();
    if (!networkStarted_)
        return;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    char port[8];
    std::snprintf(port, sizeof port, "%u", unsigned(port_));
    addrinfo* found = nullptr;
    if (getaddrinfo(host_.c_str(), port, &hints, &found) != 0 || !found)
        return;
    const Handle s = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (s == Handle(noSocket)) {
        freeaddrinfo(found);
        return;
    }
    socket_ = intptr_t(s);
    makeNonBlocking(socket_);
    // Small messages go out at once: a row report is worth nothing late.
    int on = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    const int result = ::connect(s, found->ai_addr, socklen_t(found->ai_addrlen));
    // The error is read at once: any later call, the release of the addresses too, may overwrite it.
    const bool pending = result != 0 && connectPending();
    freeaddrinfo(found);
    if (result == 0)
        state_ = ConnectionState::Open;
    else if (pending)
        state_ = ConnectionState::Connecting;
    else
        close();
}

ConnectionState SocketConnection::state()
{
    if (state_ == ConnectionState::Connecting) {
        bool failed = false;
        if (connectDone(socket_, failed))
            state_ = ConnectionState::Open;
        else if (failed)
            close();
    }
    return state_;
}

ptrdiff_t SocketConnection::receive(uint8_t* buffer, size_t size)
{
    if (state_ != ConnectionState::Open)
        return -1;
    const auto n = ::recv(handleOf(socket_), reinterpret_cast<char*>(buffer), int(size), 0);
    if (n > 0)
        return ptrdiff_t(n);
    if (n < 0 && wouldBlock())
        return 0;
    return -1;  // closed by the editor, or broken
}

ptrdiff_t SocketConnection::send(const uint8_t* data, size_t size)
{
    if (state_ != ConnectionState::Open)
        return -1;
    const auto n = ::send(handleOf(socket_), reinterpret_cast<const char*>(data), int(size), sendFlags);
    if (n >= 0)
        return ptrdiff_t(n);
    return wouldBlock() ? 0 : -1;
}

void SocketConnection::close()
{
    if (socket_ != noSocket)
        closeHandle(socket_);
    socket_ = noSocket;
    state_ = ConnectionState::Closed;
}

}  // namespace Nimbra::Sync
