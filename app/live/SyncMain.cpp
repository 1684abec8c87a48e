// demo-sync: the presentation as demo.exe shows it, but timed by its music and live: a sync editor (GNU Rocket
// protocol) seeks, pauses and edits the curves, the window's keys move the music, and saved shaders and the song are
// swapped in while it runs. One live session owns each turn (LiveSession.h); options in SyncOptions.h.
#include "app/DemoWindow.h"
#include "app/FilePaths.h"
#include "app/FrameLoop.h"
#include "app/PerformanceCounter.h"
#include "app/live/EditorGui.h"
#include "app/live/EditorLink.h"
#include "app/live/EditorViews.h"
#include "app/live/LiveErrors.h"
#include "app/live/LiveOverlay.h"
#include "app/live/LiveSession.h"
#include "app/live/LiveShaders.h"
#include "app/live/MusicClock.h"
#include "app/live/SyncOptions.h"
#include "app/live/edit/EditFile.h"
#include "app/live/edit/Editor.h"
#include "content/animation/ContentVariables.h"
#include "content/song/Song.h"
#include "gfx/frame/Screen.h"
#include "sync/SocketConnection.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

using namespace Nimbra;

namespace {

uint64_t steadyMilliseconds()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Where the keys are saved when no --save says: the source tree's content/animation, where the
// next build takes them from, or the current folder away from the tree.
std::string defaultKeysFile()
{
    const std::string folder = std::string(NIMBRA_SOURCE_DIR) + "/content/animation";
    std::error_code error;
    return std::filesystem::is_directory(pathFromUtf8(folder), error) ? folder + "/demo-sync.rocket"
                                                                      : "demo-sync.rocket";
}

double secondsNow()
{
    return double(performanceCounterMicroseconds()) * 1e-6;
}

// The session's part in the frame loop's turns, the editor over the picture and the overlay.
class LiveTurn : public TurnHook
{
public:
    LiveTurn(LiveSession& session, Presentation& presentation, DemoWindow& window, WindowInput& input, LiveView& view,
             const SyncOptions& options, const LiveLog& log)
        : session(session), presentation(presentation), window(window), input(input), view(view), options(options),
          log(log)
    {
    }

    ~LiveTurn() override
    {
        if (options.timings && frames > 1)
            std::fprintf(
                stderr,
                "demo-sync: editor %.3f ms a frame (a new frame %.3f, views %.3f, drawing %.3f), frame %.3f ms, "
                "over %u frames\n",
                1000.0 * (beginSeconds + buildSeconds + drawSeconds) / frames, 1000.0 * beginSeconds / frames,
                1000.0 * buildSeconds / frames, 1000.0 * drawSeconds / frames,
                1000.0 * (lastFrame - firstFrame) / (frames - 1), frames);
    }

    // The keys the editor starts from, then the editor over the presentation's curves, which are
    // there from its start-up on.
    void start() override
    {
        const std::string& saved = options.link.savePath;
        std::error_code missing;
        const std::string keys = !options.keysPath.empty()                               ? options.keysPath
                                 : std::filesystem::exists(pathFromUtf8(saved), missing) ? saved
                                                                                         : "";
        if (!keys.empty()) {
            std::string error;
            std::vector<std::string> warnings;
            if (Edit::loadKeys(presentation.timeline, keys, error, warnings))
                log(fileEvent(LiveEventKind::KeysLoaded, keys));
            else
                log(liveEvent(LiveEventKind::KeysNotLoaded, error));
            for (const std::string& warning : warnings)
                writeText(stderr, "demo-sync: " + warning + "\n");
        }
        model = std::make_unique<Edit::EditModel>(presentation.timeline, contentVariableCount);
        editor = std::make_unique<Edit::Editor>(*model);
        editor->setShown(options.editorShown);
        session.attach(editor.get());
        // Without the views (no device, or no system shader compiler for ImGui's programs) the
        // editor's keys still work: they edit what the picture shows.
        guiReady = window.device && gui.create(window.hwnd, window.device, window.immediateContext);
        if (guiReady)
            input.takeFirst = [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
                return editor->shown() && view.overlayShown && gui.takeMessage(UINT(message), wParam, lParam);
            };
        overlayReady = window.device && overlay.create(window.device);
        session.start();
    }

    void stop() override
    {
        input.takeFirst = nullptr;
        session.stop();
    }

    void turn() override
    {
        session.turn();
        const Edit::CameraValues* held = editor->heldCamera();
        presentation.heldCamera = held ? held->data() : nullptr;
        if (session.quitAsked())
            window.quit = true;
    }

    void drawOver(DemoWindow& target, float) override
    {
        if (overlayReady)
            overlay.draw(target, view);
        view.typing = false;
        if (!guiReady || !editor->shown() || !view.overlayShown)
            return;
        const double begun = secondsNow();
        gui.beginFrame(uint32_t(screenWidth), uint32_t(screenHeight));
        view.typing = gui.wantsKeyboard();
        const double opened = secondsNow();
        views.draw(
            *editor, session.editorTurn(), [this](const Edit::EditorOutcome& outcome) { session.follow(outcome); },
            float(screenWidth), float(screenHeight));
        const double built = secondsNow();
        gui.draw(target.backBufferView);
        const double ended = secondsNow();
        // The first frames make the font's texture and the buffers: the figures start after them.
        if (++warmUp <= warmUpFrames)
            return;
        if (frames++ == 0)
            firstFrame = ended;
        lastFrame = ended;
        beginSeconds += opened - begun;
        buildSeconds += built - opened;
        drawSeconds += ended - built;
    }

private:
    LiveSession& session;
    Presentation& presentation;
    DemoWindow& window;
    WindowInput& input;
    LiveView& view;
    const SyncOptions& options;
    const LiveLog& log;
    std::unique_ptr<Edit::EditModel> model;
    std::unique_ptr<Edit::Editor> editor;
    EditorGui gui;
    EditorViews views;
    LiveOverlay overlay;
    bool overlayReady = false;
    bool guiReady = false;
    uint32_t frames = 0;
    static constexpr uint32_t warmUpFrames = 5;
    uint32_t warmUp = 0;
    double beginSeconds = 0.0, buildSeconds = 0.0, drawSeconds = 0.0, firstFrame = 0.0, lastFrame = 0.0;
};

}  // namespace

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

    if (options.link.savePath.empty())
        options.link.savePath = defaultKeysFile();

    // The presentation is the window's inside: every screen-sized texture takes this size.
    setScreenSize(options.width, options.height);

    DemoWindow window;
    WindowShape shape;
    shape.framed = true;
    shape.title = L"demo-sync";
    createWindowAndDevice(window, shape);
    if (!window.device)
        std::fprintf(stderr, "demo-sync: no Direct3D 11 device: the link and the music run without a picture\n");

    // Every event goes to the console (row reports only with --verbose) and to the overlay's error.
    LiveErrors errors;
    const bool verbose = options.verbose;
    const LiveLog log = [verbose, &errors](const LiveEvent& event) {
        errors.take(event);
        const LiveEventWording& wording = liveEventWording(event.kind);
        if (wording.verboseOnly && !verbose)
            return;
        writeText(stderr, (wording.withoutPrefix ? "" : "demo-sync: ") + liveEventText(event) + "\n");
        std::fflush(stderr);
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
    MusicClock music(module.empty() ? songModule : module.data(),
                     module.empty() ? songModuleSize : uint32_t(module.size()), defaultAudioOutput(), log,
                     steadyMilliseconds);
    EditorLink link(presentation.timeline, connection, options.link, log);
    std::unique_ptr<SongReload> song;
    if (!module.empty())
        song = std::make_unique<SongReload>(
            options.songPath,
            [&music](std::vector<unsigned char> bytes, std::string& why) {
                return music.replaceSong(std::move(bytes), why);
            },
            log);
    std::unique_ptr<LiveShaders> shaders;
    if (window.device)
        shaders = startLiveShaders({options.shaderFolder, options.shaderCompiler}, presentation, log);
    else
        log(liveEvent(LiveEventKind::ShadersOff, "there is no picture to put them in"));

    // The keys pressed in the window go to the editor and the music, linked or not; the overlay
    // shows the status, the keys (F1) and the last error over the picture.
    WindowInput input;
    collectInput(window.hwnd, &input);
    LiveView view;
    view.overlayShown = options.overlay;
    LiveSession session({presentation.timeline, music, link, shaders ? &shaders->reload() : nullptr, song.get(),
                         &errors},
                        input, view, {options.loop, options.dumpPath, options.link.savePath}, log, steadyMilliseconds);
    {
        LiveTurn turn(session, presentation, window, input, view, options, log);
        runPresentation(window, presentation, music, &turn);
    }
    std::fflush(stderr);
    // The player and its GPU objects live to the end of the process, as in the demo.
    ExitProcess(0);
}
