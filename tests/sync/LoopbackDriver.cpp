// demo-sync's clock natively, over a real loopback socket (POSIX) and the silent output that
// keeps the music's time: what the Windows program runs, without its window. It prints the
// clock's event lines on stdout (SyncClock.h lists them), every row report included.
// Commands on stdin: "save PATH" writes the tracks now ("saved PATH" or "save-failed PATH");
// "quit" or the end of stdin ends it.
//
// usage: sync-loopback-driver --port N [--retry-ms MS] [--greeting-timeout-ms MS] [--save PATH]

#include "app/ShippedEdits.h"
#include "app/SyncClock.h"
#include "app/SyncOptions.h"
#include "audio/SilentOutput.h"
#include "content/song/Song.h"
#include "sync/SocketConnection.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>

using namespace Nimbra;

namespace {

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Reads whatever stdin holds, waiting at most a few milliseconds (the pace of a frame loop
// without a picture); false once stdin has ended or asked to quit.
bool takeCommands(std::string& input, const SyncClock& clock)
{
    pollfd in = {0, POLLIN, 0};
    if (poll(&in, 1, 5) <= 0)
        return true;
    char buffer[512];
    const ssize_t n = read(0, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    input.append(buffer, size_t(n));
    for (size_t end; (end = input.find('\n')) != std::string::npos;) {
        const std::string line = input.substr(0, end);
        input.erase(0, end + 1);
        if (line == "quit")
            return false;
        if (line.rfind("save ", 0) == 0) {
            std::string error;
            const std::string path = line.substr(5);
            say(clock.saveTracks(path, error) ? "saved " + path : "save-failed " + path + ": " + error);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SyncOptions options;
    std::string error;
    if (!parseSyncOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "sync-loopback-driver: %s\n%s", error.c_str(), syncUsage);
        return 2;
    }
    Timeline timeline;
    loadShippedTimeline(timeline);
    Sync::SocketConnection connection(options.host, options.port);
    SyncClock clock(timeline, songModule, songModuleSize, connection, silentAudioOutput(), options.clock, say);
    clock.start();
    std::string input;
    while (takeCommands(input, clock))
        clock.turnStart();
    clock.stop();
    return 0;
}
