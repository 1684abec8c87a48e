// demo-sync: the presentation in a window of its own, choreographed live from a sync editor
// (GNU Rocket protocol). It shows what demo.exe shows, through the same start-up, frame work and
// shutdown, with its time taken from the editor and its music (SyncClock). Events go to the
// console; see SyncOptions.h for the command line.
#include "app/DemoWindow.h"
#include "app/FrameLoop.h"
#include "gfx/frame/Screen.h"
#include "app/SyncClock.h"
#include "app/SyncOptions.h"
#include "content/song/Song.h"
#include "sync/SocketConnection.h"

#include <windows.h>

#include <cstdio>

using namespace Nimbra;

int main(int argc, char** argv)
{
    SyncOptions options;
    std::string error;
    if (!parseSyncOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "demo-sync: %s\n%s", error.c_str(), syncUsage);
        return 2;
    }

    // The presentation is the window's inside: every screen-sized texture takes this size.
    setScreenSize(options.width, options.height);

    DemoWindow window;
    WindowShape shape;
    shape.framed = true;
    shape.title = L"demo-sync";
    createWindowAndDevice(window, shape);
    if (!window.device)
        std::fprintf(stderr, "demo-sync: no Direct3D 11 device: the link and the music run without a picture\n");

    const bool verbose = options.verbose;
    SyncLog log = [verbose](const std::string& line) {
        if (verbose || line.compare(0, 7, "report ") != 0) {
            std::fprintf(stderr, "demo-sync: %s\n", line.c_str());
            std::fflush(stderr);
        }
    };
    std::fprintf(stderr, "demo-sync: editor at %s:%u\n", options.host.c_str(), unsigned(options.port));
    Sync::SocketConnection connection(options.host, options.port);
    Presentation presentation;
    SyncClock clock(presentation.timeline, songModule, songModuleSize, connection, defaultAudioOutput(), options.clock,
                    log);
    runPresentation(window, presentation, clock);
    std::fflush(stderr);
    // The player and its GPU objects live to the end of the process, as in the demo.
    ExitProcess(0);
}
