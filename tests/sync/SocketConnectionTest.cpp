// The editor connection over a real loopback socket, with the system's address release replaced
// by one that, as any call may, leaves the last error changed.
#include "sync/SocketConnection.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

extern "C" void freeaddrinfo(addrinfo* list) noexcept
{
    using Release = void (*)(addrinfo*);
    static const Release release = reinterpret_cast<Release>(dlsym(RTLD_NEXT, "freeaddrinfo"));
    release(list);
    errno = 0;
}

namespace Nimbra::Sync {
namespace {

// A connect still under way when connect() returns (as a non-blocking one to a listening port
// is) is pending, not failed, whatever runs between the attempt and the look at its error; it is
// then made. A port nobody listens on ends closed.
TEST(SocketConnection, APendingConnectIsNotTakenForAFailure)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const uint16_t port = ntohs(address.sin_port);

    SocketConnection connection("127.0.0.1", port);
    connection.connect();
    EXPECT_NE(connection.state(), ConnectionState::Closed);
    for (int i = 0; i < 10000 && connection.state() == ConnectionState::Connecting; ++i)
        usleep(1000);
    EXPECT_EQ(connection.state(), ConnectionState::Open);
    connection.close();
    ::close(listener);

    SocketConnection nobody("127.0.0.1", port);  // the listener is gone
    nobody.connect();
    for (int i = 0; i < 10000 && nobody.state() == ConnectionState::Connecting; ++i)
        usleep(1000);
    EXPECT_EQ(nobody.state(), ConnectionState::Closed);
}

}  // namespace
}  // namespace Nimbra::Sync
