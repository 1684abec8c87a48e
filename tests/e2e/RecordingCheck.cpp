// recording-check RECORDING.wav RENDER.wav END_SECONDS [--late S] [--spread MS] [--missing MS]
// Compares a recording of the running demo (the sound sink's monitor) with the offline render of
// the same song: finds where the song starts in the recording, then follows the lag between the
// two section by section and checks that the envelopes correlate, that the lag holds from
// section to section (a clock off by a tenth of a percent moves every section by 5 ms or more),
// that no stretch of the song is missing (no dropouts beyond the sink's own underruns), and that
// the sound stops where the demo's clock ends the show.
//
// Wine's sound sink underruns now and then, also on an idle machine: the device position stands
// still for 20 to 130 ms while the sink plays silence, and the lag takes a step. Such steps are
// the machine's, not the demo's; they are allowed up to --spread in all (1000 ms) as long as the
// lag holds between them. The other limits: the end seen at most --late 0.5 s late (the loop reads
// the clock once a turn), at most --missing 300 ms of the song lost. Prints its figures; exit
// code 0 on success.
#include "tools/song-report/SongAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Nimbra::Listening;

namespace {

constexpr int kWindow = 441;  // 10 ms

std::vector<float> mono(const Wave& w)
{
    std::vector<float> m(w.frames());
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = 0.5f * (w.left[i] + w.right[i]);
    return m;
}

// Running sums of squares, so that the RMS of any stretch of the recording is one subtraction.
class SquareSums
{
public:
    explicit SquareSums(const std::vector<float>& samples) : sums_(samples.size() + 1, 0.0)
    {
        for (size_t i = 0; i < samples.size(); ++i)
            sums_[i + 1] = sums_[i] + double(samples[i]) * samples[i];
    }
    // RMS of the window of kWindow frames starting at `frame`; -1 where the recording has none.
    double rms(int64_t frame) const
    {
        if (frame < 0 || size_t(frame) + kWindow >= sums_.size())
            return -1.0;
        return std::sqrt(std::max(0.0, sums_[size_t(frame) + kWindow] - sums_[size_t(frame)]) / kWindow);
    }

private:
    std::vector<double> sums_;
};

constexpr size_t kSectionWindows = 500;       // 5 s
constexpr int64_t kLagStep = 110;             // 2.5 ms
constexpr int64_t kLagReach = 80 * kLagStep;  // 200 ms either side
// A section that follows the render this well has found its lag.
constexpr double kFollows = 0.8;
// The median change of lag from one section to the next must stay below this: 5 ms per 5 s, a
// clock off by a tenth of a percent. Underrun steps leave most changes at 0.
constexpr int64_t kMaxPace = 2 * kLagStep;

struct Section {
    size_t from = 0;  // first render window
    int64_t lag = 0;  // recording frame minus render frame
    double correlation = 0.0;
};

// The lag (within kLagReach of `guess`, in kLagStep steps) at which the recording's envelope best
// follows the render's over one section starting at render window `from`.
Section bestSection(const std::vector<double>& renderEnvelope, const SquareSums& rec, size_t from, int64_t guess)
{
    Section best{from, guess, -2.0};
    for (int64_t lag = guess - kLagReach; lag <= guess + kLagReach; lag += kLagStep) {
        double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        size_t n = 0;
        for (size_t w = from; w < from + kSectionWindows; ++w) {
            const double y = rec.rms(int64_t(w) * kWindow + lag);
            if (y < 0.0)
                continue;
            const double x = renderEnvelope[w];
            sa += x;
            sb += y;
            saa += x * x;
            sbb += y * y;
            sab += x * y;
            ++n;
        }
        if (n < 2)
            continue;
        const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
        const double r = va > 0 && vb > 0 ? (sab - sa * sb / n) / std::sqrt(va * vb) : 0.0;
        if (r > best.correlation)
            best = {from, lag, r};
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    double lateSeconds = 0.5, spreadMs = 1000.0, missingMs = 300.0;
    bool argumentsOk = argc >= 4 && (argc - 4) % 2 == 0;
    for (int i = 4; argumentsOk && i + 1 < argc; i += 2) {
        char* end = nullptr;
        const double value = std::strtod(argv[i + 1], &end);
        argumentsOk = end != argv[i + 1] && *end == '\0' && value >= 0.0;
        if (std::strcmp(argv[i], "--late") == 0)
            lateSeconds = value;
        else if (std::strcmp(argv[i], "--spread") == 0)
            spreadMs = value;
        else if (std::strcmp(argv[i], "--missing") == 0)
            missingMs = value;
        else
            argumentsOk = false;
    }
    Wave recording, render;
    if (!argumentsOk || !readWav(argv[1], recording) || !readWav(argv[2], render) || recording.rate != kRate ||
        render.rate != kRate) {
        std::fprintf(stderr, "usage: recording-check RECORDING.wav RENDER.wav END_SECONDS [--late S] [--spread MS] "
                             "[--missing MS] (44.1 kHz WAV files)\n");
        return 2;
    }
    const double endSeconds = std::atof(argv[3]);
    const size_t endWindow = size_t(endSeconds * kRate / kWindow);
    bool ok = true;
    auto check = [&ok](bool condition, const char* what) {
        if (!condition) {
            std::printf("FAILED: %s\n", what);
            ok = false;
        }
    };

    // Where the song starts in the recording: the envelopes over the whole show, at 10 ms.
    const std::vector<double> renderEnvelope = envelope(render, kWindow);
    const std::vector<double> recEnvelope = envelope(recording, kWindow);
    if (renderEnvelope.size() < endWindow || recEnvelope.size() < 100) {
        std::printf("FAILED: recording or render too short\n");
        return 1;
    }
    const int maxLag = int(std::min<size_t>(recEnvelope.size(), 90 * 100));
    const Alignment whole = align(renderEnvelope, recEnvelope, 0, endWindow - 100, maxLag);
    std::printf("song starts %.2f s into the recording; envelope correlation %.3f\n", whole.lag * 0.01,
                whole.correlation);
    // At one lag for the whole run; the sink's hiccups shift the later part a few ms, which is
    // enough to blur 10 ms envelopes, so this only shows that the song was found at all.
    check(whole.correlation > 0.5, "the recording's envelope follows the render's");
    // (The recorder may start a little late: an idle sink's monitor delivers nothing, so the
    // song can begin before the recording does.)

    // Section by section, each at the lag that fits it best near the last section that followed
    // the render (at first the whole run's): the sink's steps add up over the run, a drifting
    // clock moves every section, and a stream that wrote in the wrong place matches nowhere.
    const std::vector<float> recMono = mono(recording);
    const SquareSums recSquares(recMono);
    std::vector<Section> sections;
    int64_t guess = int64_t(whole.lag) * kWindow;
    for (size_t from = 0; from + kSectionWindows <= endWindow; from += kSectionWindows) {
        sections.push_back(bestSection(renderEnvelope, recSquares, from, guess));
        if (sections.back().correlation > kFollows)
            guess = sections.back().lag;
    }
    std::vector<double> correlations;
    std::vector<int64_t> followedLags, paces;
    std::printf("lag and envelope correlation per %d s section:\n", int(kSectionWindows / 100));
    for (const Section& section : sections) {
        std::printf("  %5.1f s  %6lld  %.3f\n", section.from * 0.01, static_cast<long long>(section.lag),
                    section.correlation);
        correlations.push_back(section.correlation);
        if (section.correlation > kFollows) {
            if (!followedLags.empty())
                paces.push_back(section.lag - followedLags.back());
            followedLags.push_back(section.lag);
        }
    }
    std::sort(correlations.begin(), correlations.end());
    std::sort(paces.begin(), paces.end());
    const int64_t pace = paces.empty() ? 0 : paces[paces.size() / 2];
    const auto [low, high] = std::minmax_element(followedLags.begin(), followedLags.end());
    const double spread = followedLags.empty() ? 0.0 : double(*high - *low) * 1000.0 / kRate;
    const size_t following =
        size_t(std::count_if(correlations.begin(), correlations.end(), [](double c) { return c > kFollows; }));
    std::printf("lag moves %.1f ms a section (median; below %.1f ms), %.1f ms in all (limit %.0f ms); %zu of %zu "
                "sections follow the render (median %.3f)\n",
                pace * 1000.0 / kRate, kMaxPace * 1000.0 / kRate, spread, spreadMs, following, sections.size(),
                correlations[correlations.size() / 2]);
    check(std::llabs(pace) < kMaxPace, "the lag holds from section to section");
    check(spread <= spreadMs, "the sink's steps stay within their limit");
    // A lag step inside a section blurs that one (an idle machine's sink may step seven times in
    // a run); a fault in the stream shows in many more.
    check(following * 4 >= sections.size() * 3, "three sections in four follow the render");
    // The lag that holds at song time t: that of its section.
    auto lagAt = [&sections](double t) {
        const long k = long(t * 100.0) / long(kSectionWindows);
        return sections[size_t(std::clamp<long>(k, 0, long(sections.size()) - 1))].lag;
    };
    const int64_t lag = lagAt(0.5 * endSeconds);

    // Dropouts: 10 ms windows of the song that are missing from the recording.
    std::vector<double> ratios;
    // Counted from one second on: Wine opens its sound stream on the first write, and the sink
    // may swallow the first fraction of a second while the device position already runs.
    for (size_t w = 100; w + 20 < endWindow; ++w) {
        const double a = renderEnvelope[w], b = recSquares.rms(int64_t(w) * kWindow + lagAt(w * 0.01));
        if (a > 1e-2 && b >= 0.0)
            ratios.push_back(b / a);
    }
    std::vector<double> sorted = ratios;
    std::sort(sorted.begin(), sorted.end());
    const double gain = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    size_t dropouts = 0;
    for (double r : ratios)
        dropouts += r < 0.3 * gain;
    size_t startMissing = 0;
    for (size_t w = 0; w < 100; ++w) {
        const double b = recSquares.rms(int64_t(w) * kWindow + lag);
        startMissing += renderEnvelope[w] >= 0.01 && b >= 0.0 && b < 0.3 * renderEnvelope[w];
    }
    std::printf("level of the recording %.3f of the render; %zu of %zu windows missing (and %zu in the first "
                "second)\n",
                gain, dropouts, ratios.size(), startMissing);
    check(gain > 0.5 && gain < 2.0, "the recording has the render's level");
    // A stream that fell behind would lose far more than a few windows.
    check(double(dropouts) * 10.0 <= missingMs, "no dropouts");

    // The end: the demo stops the sound when its clock reaches the end of the show.
    double stop = 0.0;
    const int64_t endLag = lagAt(endSeconds);
    for (size_t w = endWindow - 300; w < renderEnvelope.size(); ++w) {
        const double b = recSquares.rms(int64_t(w) * kWindow + endLag);
        if (b < 0.0)
            break;
        if (b > 0.2 * gain * renderEnvelope[w] && renderEnvelope[w] > 1e-3)
            stop = (w + 1) * kWindow / double(kRate);
    }
    // The demo ends when its clock (the device position) reaches the end; what the device has
    // taken but the sink has not played yet is dropped at the reset, so the sound stops the
    // output latency early.
    std::printf("sound stops at song time %.3f s (the show ends at %.2f s; output latency %.0f ms)\n", stop, endSeconds,
                (endSeconds - stop) * 1000.0);
    // The loop reads the clock once a turn, so the end is seen up to one frame late; a frame of
    // the software rasteriser takes seconds (--late, given by the caller).
    check(stop > endSeconds - 0.3 && stop < endSeconds + 0.3 + lateSeconds, "the sound stops with the show");
    std::printf(ok ? "recording matches the render\n" : "recording does not match the render\n");
    return ok ? 0 : 1;
}
