// demo-sync's live session natively, over a real loopback socket (POSIX) and the silent output
// that keeps the music's time: what the Windows program runs, without its window. It prints the
// session's events on stdout as the console words them (LiveEvent.cpp), every row report included.
// Commands on stdin: "save PATH" writes the tracks now ("saved PATH" or "save-failed PATH");
// "quit" or the end of stdin ends it.
//
// usage: sync-loopback-driver --port N [--retry-ms MS] [--greeting-timeout-ms MS] [--save PATH]

#include "app/ContentEdits.h"
#include "app/ShippedEdits.h"
#include "app/live/LiveSession.h"
#include "app/live/SyncOptions.h"
#include "audio/SilentOutput.h"
#include "content/song/Song.h"
#include "sync/SocketConnection.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

using namespace Nimbra;

namespace {

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

uint64_t steadyMilliseconds()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Reads whatever stdin holds, waiting at most a few milliseconds (the pace of a frame loop
// without a picture); false once stdin has ended or asked to quit.
bool takeCommands(std::string& input, const Timeline& timeline)
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
            say(writeContentEdits(timeline, path.c_str(), error) ? "saved " + path
                                                                 : "save-failed " + path + ": " + error);
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
    const LiveLog log = [](const LiveEvent& event) { say(liveEventText(event)); };
    MusicClock music(songModule, songModuleSize, silentAudioOutput(), log, steadyMilliseconds);
    EditorLink link(timeline, connection, options.link, log);
    WindowInput keys;  // no window, no keys
    LiveView view;
    LiveSession session({timeline, music, link}, keys, view, {}, log, steadyMilliseconds);
    music.start();
    session.start();
    std::string input;
    while (takeCommands(input, timeline))
        session.turn();
    session.stop();
    music.stop();
    return 0;
}
