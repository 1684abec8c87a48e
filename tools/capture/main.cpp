// demo-capture: the presentation rendered offline with demo.exe's start-up, frame work and shutdown, timed by a fixed
// step (CaptureClock) instead of the sound device. Writes frames and the soundtrack, then the average CPU time of the
// frame work and GPU time of every pass; modes and options in CaptureOptions.h.
#include "app/CaptureClock.h"
#include "tools/capture/CaptureFiles.h"
#include "tools/capture/CaptureDevice.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/CompatibilityReport.h"
#include "tools/capture/DebugMessages.h"
#include "tools/capture/FilmStream.h"
#include "tools/capture/CaptureRender.h"
#include "tools/capture/CaptureSoundtrack.h"
#include "tools/capture/PassDump.h"
#include "tools/capture/PassTimer.h"
#include "tools/capture/FrameTarget.h"
#include "tools/capture/SystemReport.h"
#include "tools/capture/VariableSettings.h"

#include "app/DemoWindow.h"
#include "app/FilePaths.h"
#include "app/FrameLoop.h"
#include "app/Presentation.h"
#include "gfx/frame/Screen.h"
#include "gfx/DemoPlayer.h"
#include "gfx/EndProcess.h"
#include "gfx/FrameConstants.h"
#include "tools/capture/ReadBack.h"

#include <windows.h>
#include <d3d11.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace Nimbra;

namespace {

void printUsage()
{
    std::fprintf(stderr,
                 "usage: demo-capture [--width W] [--height H] [--fps F] [--from S] [--to E] [--out DIR]\n"
                 "                    [--film PATH|- [--pictures]] [--passes] [--set NAME=VALUE ...] [--debug-layer]\n"
                 "       demo-capture [--width W] [--height H] [--set NAME=VALUE ...] [--debug-layer] --constants T\n"
                 "       demo-capture --report [--width W --height H] [--debug-layer]\n");
}

// Creates the folder `path` (UTF-8) and any missing folders above it.
bool createFolders(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path folder = pathFromUtf8(path);
    std::filesystem::create_directories(folder, error);
    return !folder.empty() && std::filesystem::is_directory(folder, error);
}

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// demo-capture's turns: no window, no Present; after each frame `frameDone` gets the frame's
// index and returns false to stop the capture.
template <typename FrameDone>
class CaptureSteps : public FrameSteps
{
public:
    CaptureSteps(Gfx::PassObserver* passes, FrameDone frameDone) : passes(passes), frameDone(frameDone) {}

    bool goOn() override { return !stopped; }
    void beginTurn() override {}
    Gfx::PassObserver* observer() override { return passes; }
    void endTurn(uint32_t frame) override { stopped = !frameDone(frame); }

    bool stopped = false;

private:
    Gfx::PassObserver* passes;
    FrameDone frameDone;
};

// Runs the presentation's frames at the clock's times through the frame loop's turns; false when
// `frameDone` stopped the capture.
template <typename FrameDone>
bool runCaptureFrames(Presentation& presentation, DemoWindow& window, CaptureClock& clock, Gfx::PassObserver* observer,
                      FrameDone frameDone)
{
    CaptureSteps<FrameDone> steps(observer, frameDone);
    clock.start();
    runTurns(window, presentation, clock, steps);
    clock.stop();
    return !steps.stopped;
}

int printConstants(Presentation& presentation, DemoWindow& window, const CaptureOptions& options)
{
    // The constants are those of a single first frame at their time.
    CaptureClock clock(options.constantsTime, options.constantsTime, options.fps);
    runCaptureFrames(presentation, window, clock, nullptr, [](uint32_t) { return true; });
    std::vector<unsigned char> bytes;
    if (!Gfx::readBackBuffer(window.device, window.immediateContext, Gfx::frameConstants.buffer[0], bytes)) {
        std::fprintf(stderr, "demo-capture: the constant buffer could not be read\n");
        return 1;
    }
    std::string text = formatConstantData(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

// Where the frames of a capture go: numbered PNGs in the folder, one raw stream (--film), or both.
struct FrameOutput {
    const CaptureOptions& options;
    FilmStream film;

    bool filming() const { return !options.filmPath.empty(); }

    bool write(uint32_t frame, const std::vector<unsigned char>& pixels)
    {
        const uint32_t pitch = static_cast<uint32_t>(options.width) * 4;
        if (filming() && !writeFilmFrame(film, pixels.data(), options.width, options.height, pitch))
            return false;
        if (filming() && !options.filmPictures)
            return true;
        return writeFramePng(captureFramePath(options.outDir, frame), pixels.data(), options.width, options.height,
                             pitch);
    }

    std::string name(uint32_t frame) const
    {
        if (filming())
            return "frame " + std::to_string(frame) + " to " + options.filmPath;
        return captureFramePath(options.outDir, frame);
    }
};

int captureFrames(Presentation& presentation, DemoWindow& window, FrameTarget& target, const CaptureOptions& options,
                  std::FILE* report)
{
    if (!createFolders(options.outDir)) {
        writeText(stderr, "demo-capture: cannot create " + options.outDir + "\n");
        return 1;
    }
    CaptureClock clock(options.from, options.to, options.fps);
    const uint32_t frames = clock.frameCount();
    const std::string wav = options.outDir + "/soundtrack.wav";
    const double soundEnd = clock.soundEnd();
    FrameOutput output = {options, FilmStream()};
    if (output.filming()) {
        // The encoder reads the soundtrack beside the stream, so it is whole before the first frame.
        if (!writeSoundtrack(wav, options.from, soundEnd)) {
            writeText(stderr, "demo-capture: cannot write " + wav + "\n");
            return 1;
        }
        if (!createFilmStream(output.film, options.filmPath)) {
            writeText(stderr, "demo-capture: cannot open " + options.filmPath + "\n");
            return 1;
        }
    }
    std::unique_ptr<PassDump> passes;
    if (options.passPictures)
        passes = std::make_unique<PassDump>(*presentation.timeline.player, window.device, window.immediateContext);
    TimedRenderer renderer(*presentation.timeline.player, window.device, window.immediateContext, passes.get());
    std::vector<unsigned char> pixels;
    double frameWorkSeconds = 0.0;
    LARGE_INTEGER frameStart;
    QueryPerformanceCounter(&frameStart);
    bool written = runCaptureFrames(presentation, window, clock, &renderer, [&](uint32_t frame) {
        frameWorkSeconds += secondsSince(frameStart);
        if (!target.read(pixels) || !output.write(frame, pixels)) {
            writeText(stderr, "demo-capture: cannot write " + output.name(frame) + "\n");
            return false;
        }
        std::string error;
        if (passes && !passes->write(options.outDir, frame, error)) {
            writeText(stderr, "demo-capture: " + error + "\n");
            return false;
        }
        renderer.collectTimings();
        QueryPerformanceCounter(&frameStart);
        return true;
    });
    if (output.filming() && !destroyFilmStream(output.film) && written) {
        writeText(stderr, "demo-capture: the frames did not all reach " + options.filmPath + "\n");
        written = false;
    }
    if (!written)
        return 1;

    if (!output.filming() && !writeSoundtrack(wav, options.from, soundEnd)) {
        writeText(stderr, "demo-capture: cannot write " + wav + "\n");
        return 1;
    }

    char summary[128];
    std::snprintf(summary, sizeof summary, "%u frames of %d x %d from %.3f s into ", frames, options.width,
                  options.height, options.from);
    writeText(report, summary + (output.filming() ? options.filmPath : options.outDir) + "\n");
    std::fprintf(report, "frame work, CPU: %.3f ms per frame\n", 1000.0 * frameWorkSeconds / frames);
    renderer.printTimings(report);
    return 0;
}

// The moments of the show the report times, one frame each; a frame just before each is drawn
// first and not counted, so that no first use of a program or target is in the figures.
const float reportMoments[] = {2.0f, 35.0f, 69.0f, 102.0f};

std::string timeReportFrames(Presentation& presentation, DemoWindow& window)
{
    std::vector<std::unique_ptr<TimedRenderer>> moments;
    const double fps = 60.0;
    for (float t : reportMoments) {
        moments.push_back(
            std::make_unique<TimedRenderer>(*presentation.timeline.player, window.device, window.immediateContext));
        // Two frames a step apart, the moment last: its timestamps are the ones collected.
        CaptureClock clock(double(t) - 1.0 / fps, double(t) + 0.5 / fps, fps);
        runCaptureFrames(presentation, window, clock, moments.back().get(), [](uint32_t) { return true; });
        moments.back()->collectTimings();
    }
    char line[256];
    std::snprintf(line, sizeof line, "GPU time per pass at %d x %d, ms, one frame at each moment:\n  %-12s",
                  screenWidth, screenHeight, "pass");
    std::string text = line;
    for (float t : reportMoments) {
        std::snprintf(line, sizeof line, " %8.1f s", t);
        text += line;
    }
    text += "\n";
    for (const auto& moment : moments)
        if (moment->framesTimed() == 0)
            return text + "  no timestamps from this driver\n";
    const TimedRenderer& first = *moments.front();
    for (uint32_t pass = 0; pass <= first.passCount(); ++pass) {
        std::snprintf(line, sizeof line, "  %-12s", pass < first.passCount() ? first.passLabel(pass).c_str() : "frame");
        text += line;
        for (const auto& moment : moments) {
            const double ms = pass < first.passCount() ? moment->passMilliseconds(pass) : moment->frameMilliseconds();
            std::snprintf(line, sizeof line, " %10.3f", ms);
            text += line;
        }
        text += "\n";
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    // Plain newlines, so the printed figures and constants read the same on every system.
    _setmode(_fileno(stdout), _O_BINARY);

    // --out may name any folder: the arguments are read wide, as UTF-8.
    std::vector<std::string> arguments;
    if (!commandLineArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "demo-capture: the command line holds text that is not Unicode\n");
        printUsage();
        return 2;
    }
    const std::vector<const char*> words = argumentWords(arguments);
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(int(words.size()), words.data(), options, error)) {
        writeText(stderr, "demo-capture: " + error + "\n");
        printUsage();
        return 2;
    }

    // The programs' manifest makes them per-monitor DPI aware, so this is the size in pixels the
    // demo renders at; a smaller one than the output's under display scaling means the manifest
    // was not honoured.
    std::string demoScreen;
    if (options.mode == CaptureMode::Report)
        demoScreen = "screen as the demo sees it: " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
                     std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "\n";

    // A film on standard output leaves it to the frames: everything else is said on standard error.
    std::FILE* report = options.filmPath == "-" ? stderr : stdout;

    CaptureDeviceRequest request;
    request.debugLayer = options.debugLayer;
    request.lowerLevels = options.mode == CaptureMode::Report;
    const CaptureDevice made = createCaptureDevice(request);
    if (options.debugLayer && options.mode != CaptureMode::Report)
        std::fprintf(report, "%s\n", debugLayerNote(made.debugLayer).c_str());

    CompatibilityFacts facts;
    facts.device = made.device != nullptr;
    facts.featureLevel = static_cast<uint32_t>(made.level);
    SystemReport system;
    if (options.mode == CaptureMode::Report) {
        system = describeSystem(made.device, made.level, highestFeatureLevel());
        facts.soundDevice = system.soundDevice;
        if (!options.sizeGiven && system.output) {
            options.width = system.outputWidth;
            options.height = system.outputHeight;
        }
        system.text += demoScreen;
        if (options.debugLayer)
            system.text += debugLayerNote(made.debugLayer) + "\n";
        // Without a device of level 11_0 there are no frames to time.
        if (!facts.device || made.level < D3D_FEATURE_LEVEL_11_0) {
            std::printf("%s\n%s", compatibilityLine(facts).c_str(), system.text.c_str());
            return 1;
        }
    }
    setScreenSize(options.width, options.height);

    // A device without a window: the frames end in a texture of the capture size that stands in
    // for the swap chain's buffer.
    DemoWindow window = {};
    window.device = made.device;
    window.immediateContext = made.context;
    if (!window.device) {
        std::fprintf(stderr, "demo-capture: no Direct3D 11 device\n");
        return 1;
    }
    FrameTarget target(window.device, window.immediateContext, options.width, options.height);
    if (!target.valid()) {
        std::fprintf(stderr, "demo-capture: cannot create a %d x %d target\n", options.width, options.height);
        return 1;
    }
    window.backBufferView = target.view();

    // The capture takes its time from the frame step and renders the sound offline, so no audio
    // device is opened (the report only tries one, above).
    Presentation presentation;
    presentationStartUp(presentation, window);
    holdVariables(presentation.timeline, options.settings);
    int status = 0;
    std::string timings;
    if (options.mode == CaptureMode::Report)
        timings = timeReportFrames(presentation, window);
    else if (options.mode == CaptureMode::Constants)
        status = printConstants(presentation, window, options);
    else
        status = captureFrames(presentation, window, target, options, report);

    // The debug layer's verdict on the frames: any error or corruption fails the run.
    std::string messages;
    if (made.debugLayer == DebugLayer::On) {
        facts.debugFailures = readDebugMessages(window.device, messages).failures;
        if (facts.debugFailures > 0)
            status = 1;
    }
    if (options.mode == CaptureMode::Report) {
        const std::string line = compatibilityLine(facts);
        std::printf("%s\n%s%s%s", line.c_str(), system.text.c_str(), messages.c_str(), timings.c_str());
        if (!compatibilityProblems(facts).empty())
            status = 1;
    } else {
        std::fputs(messages.c_str(), report);
    }
    presentationShutdown(presentation);
    finishGpuWork(window);
    std::fflush(stdout);
    std::fflush(stderr);
    // The player and its GPU objects live to the end of the process, as in the demo; every
    // file is closed by now.
    Gfx::endWithoutDriverTeardown(static_cast<UINT>(status));
}
