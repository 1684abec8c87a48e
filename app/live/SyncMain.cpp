// demo-sync: the presentation as demo.exe shows it, but timed live by a sync editor (GNU Rocket protocol) and
// its music (SyncClock); saved shaders and the song are swapped in while it runs (LiveClock). Options: SyncOptions.h.
#include "app/DemoWindow.h"
#include "app/FilePaths.h"
#include "app/FrameLoop.h"
#include "gfx/frame/Screen.h"
#include "app/SyncClock.h"
#include "app/SyncOptions.h"
#include "app/live/LiveClock.h"
#include "app/live/LiveErrors.h"
#include "app/live/LiveOverlay.h"
#include "app/live/LiveShaders.h"
#include "app/live/LiveView.h"
#include "app/live/TransportClock.h"
#include "content/song/Song.h"
#include "sync/SocketConnection.h"

#include <windows.h>

#include <cstdio>

using namespace Nimbra;

int main(int argc, char** argv)
{
    // Paths on the command line may name any file: the arguments are read wide, as UTF-8.
    std::vector<std::string> arguments;
    if (!commandLineArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "demo-sync: the command line holds text that is not Unicode\n%s", syncUsage);
        return 2;
    }
    const std::vector<const char*> words = argumentWords(arguments);
    SyncOptions options;
    std::string error;
    if (!parseSyncOptions(int(words.size()), words.data(), options, error)) {
        writeText(stderr, "demo-sync: " + error + "\n" + syncUsage);
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
    LiveErrors errors;  // the overlay's error, from the events logged here
    SyncLog log = [verbose, &errors](const std::string& line) {
        errors.logLine(line);
        if (verbose || line.compare(0, 7, "report ") != 0) {
            writeText(stderr, "demo-sync: " + line + "\n");
            std::fflush(stderr);
        }
    };
    std::fprintf(stderr, "demo-sync: editor at %s:%u\n", options.host.c_str(), unsigned(options.port));
    Sync::SocketConnection connection(options.host, options.port);
    // The song: the built-in one, or a module file that is watched for saves.
    std::vector<unsigned char> module;
    if (!options.songPath.empty() && (!readSongFile(options.songPath, module, error) || !songLoads(module, error))) {
        writeText(stderr, "demo-sync: the song " + options.songPath + " " + error + "\n");
        return 1;
    }
    Presentation presentation;
    SyncClock clock(presentation.timeline, module.empty() ? songModule : module.data(),
                    module.empty() ? songModuleSize : uint32_t(module.size()), connection, defaultAudioOutput(),
                    options.clock, log);
    std::unique_ptr<SongReload> song;
    if (!module.empty())
        song = std::make_unique<SongReload>(
            options.songPath,
            [&clock](std::vector<unsigned char> bytes, std::string& why) {
                return clock.replaceSong(std::move(bytes), why);
            },
            log);

    std::unique_ptr<LiveShaders> shaders;
    if (window.device)
        shaders = startLiveShaders({options.shaderFolder, options.shaderCompiler}, presentation, log,
                                   [&errors](const std::string& line) { errors.compilerMessage(line); });
    else
        log("live shaders off: there is no picture to put them in");
    // The transport keys pressed in the window move the clock, editor or not; the overlay shows
    // its status, the keys (F1) and the last error over the picture.
    std::vector<KeyDown> keys;
    collectKeys(window.hwnd, &keys);
    LiveView view;
    view.overlayShown = options.overlay;
    TransportClock transport(clock, keys, view, options.loop);
    LiveClock live(transport, shaders ? &shaders->reload() : nullptr, song.get(), SyncClock::steadyMilliseconds);
    LiveOverlay overlay(view, [&errors](LiveView& v, float) { v.errorLines = errors.lines(); });
    runPresentation(window, presentation, live, window.device && overlay.create(window.device) ? &overlay : nullptr);
    std::fflush(stderr);
    // The player and its GPU objects live to the end of the process, as in the demo.
    ExitProcess(0);
}
