// A stand-in for the sync editor program over a real loopback socket (POSIX), built on the
// portable link as the Windows program is: it plays the content's timeline on a wall clock,
// connects to an editor, retries every --retry-ms, gives up on a greeting after
// --greeting-timeout-ms, and prints one line per event on stdout:
//
//   connect-failed | connected | greeted | keys | seek ROW | pause 0|1 | report ROW
//   save PATH | fault REASON | timeout greeting | closed [REASON]
//
// On SAVE_TRACKS it writes the timeline to --save PATH. Commands on stdin: "save PATH" writes
// the timeline now; "quit" or the end of stdin ends it.
//
// usage: sync-loopback-driver --port N [--retry-ms MS] [--greeting-timeout-ms MS] [--save PATH]

#include "app/ShippedEdits.h"
#include "content/animation/ContentVariables.h"
#include "sync/RocketFile.h"
#include "sync/Rows.h"
#include "sync/SyncLink.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdarg>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

const char* names[contentVariableCount];

bool save(const Timeline& timeline, const std::string& path)
{
    std::string text, error;
    if (!writeRocketFile(timeline, names, contentVariableCount, rowsCovering(timeline), text, error))
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    int port = 0;
    double retrySeconds = 1.0;
    double greetingTimeout = 5.0;
    std::string savePath = "tracks.rocket";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--port"))
            port = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--retry-ms"))
            retrySeconds = std::atof(argv[i + 1]) / 1000.0;
        else if (!std::strcmp(argv[i], "--greeting-timeout-ms"))
            greetingTimeout = std::atof(argv[i + 1]) / 1000.0;
        else if (!std::strcmp(argv[i], "--save"))
            savePath = argv[i + 1];
    }
    if (port <= 0 || port > 65535) {
        std::fprintf(stderr, "usage: sync-loopback-driver --port N [--retry-ms MS] [--greeting-timeout-ms MS] [--save PATH]\n");
        return 2;
    }
    for (uint32_t i = 0; i < contentVariableCount; ++i)
        names[i] = contentVariables[i].name;

    Timeline timeline;
    loadShippedTimeline(timeline);
    SyncLink link(timeline, names, contentVariableCount);

    int fd = -1;
    bool connecting = false;
    Clock::time_point attempt = Clock::now() - std::chrono::hours(1);
    Clock::time_point connectedAt = Clock::now();
    Clock::time_point last = Clock::now();
    double seconds = 0.0;
    bool playing = true;
    std::string input;

    auto closeLink = [&] {
        close(fd);
        fd = -1;
        connecting = false;
        link.disconnected();
        attempt = Clock::now();
    };

    for (;;) {
        if (fd < 0 && since(attempt) >= retrySeconds) {
            attempt = Clock::now();
            fd = socket(AF_INET, SOCK_STREAM, 0);
            fcntl(fd, F_SETFL, O_NONBLOCK);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(uint16_t(port));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || errno == EINPROGRESS) {
                connecting = true;
            } else {
                close(fd);
                fd = -1;
                say("connect-failed");
            }
        }

        pollfd polls[2] = {{0, POLLIN, 0}, {fd, short(connecting ? POLLOUT : POLLIN), 0}};
        poll(polls, fd >= 0 ? 2 : 1, 5);

        if (polls[0].revents) {
            char buffer[512];
            const ssize_t n = read(0, buffer, sizeof buffer);
            if (n <= 0)
                break;
            input.append(buffer, size_t(n));
            size_t end;
            bool quit = false;
            while ((end = input.find('\n')) != std::string::npos) {
                const std::string line = input.substr(0, end);
                input.erase(0, end + 1);
                if (line == "quit")
                    quit = true;
                else if (line.rfind("save ", 0) == 0)
                    say(save(timeline, line.substr(5)) ? "saved %s" : "save-failed %s", line.substr(5).c_str());
            }
            if (quit)
                break;
        }

        if (fd >= 0 && connecting && polls[1].revents) {
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0) {
                close(fd);
                fd = -1;
                connecting = false;
                say("connect-failed");
            } else {
                connecting = false;
                connectedAt = Clock::now();
                link.connected();
                say("connected");
            }
        } else if (fd >= 0 && !connecting) {
            uint8_t buffer[4096];
            const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                const LinkUpdate update = link.receive(buffer, size_t(n));
                if (update.greeted)
                    say("greeted");
                if (update.keysChanged)
                    say("keys");
                if (update.seek) {
                    seconds = secondsForRow(timeline, update.seekRow);
                    say("seek %u", update.seekRow);
                }
                if (update.pauseChanged) {
                    playing = !update.paused;
                    say("pause %d", update.paused ? 1 : 0);
                }
                if (update.saveRequested)
                    say(save(timeline, savePath) ? "save %s" : "save-failed %s", savePath.c_str());
                if (update.failed) {
                    say("fault %s", link.fault());
                    closeLink();
                }
            } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                closeLink();
                say(link.fault()[0] ? "closed %s" : "closed%s", link.fault());
            }
            if (fd >= 0 && link.state() == LinkState::AwaitingGreeting && since(connectedAt) > greetingTimeout) {
                say("timeout greeting");
                closeLink();
            }
        }

        // The clock runs while playing; every new row goes to the editor.
        const Clock::time_point now = Clock::now();
        if (playing)
            seconds += std::chrono::duration<double>(now - last).count();
        last = now;
        const size_t before = link.pendingOutputSize();
        const uint32_t row = rowAt(timeline, float(seconds));
        link.playRow(row, playing);
        if (link.pendingOutputSize() > before)
            say("report %u", row);

        while (fd >= 0 && !connecting && link.pendingOutputSize() > 0) {
            const ssize_t sent = send(fd, link.pendingOutput(), link.pendingOutputSize(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (sent > 0) {
                link.consumeOutput(size_t(sent));
            } else {
                if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                    closeLink();
                    say("closed sending failed");
                }
                break;
            }
        }
    }
    if (fd >= 0)
        close(fd);
    return 0;
}
