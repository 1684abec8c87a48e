// recording-check RECORDING.wav RENDER.wav END_SECONDS [LATE_SECONDS]
// Compares a recording of the running demo (the sound sink's monitor) with the offline render of
// the same song: finds where the song starts in the recording, then checks that the two
// envelopes correlate section by section, that the lag between them stays constant over the
// whole run (the clock is in step: a drifting clock would move it by seconds), that no stretch
// of the song is missing (no dropouts beyond the sink's own underruns), and that the sound stops
// where the demo's clock ends the show (at most LATE_SECONDS late: the loop reads the clock once
// a turn). Prints its figures; exit code 0 on success.
#include "tests/soundtrack/SongAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

// The lag (in frames, near `guess`) at which the recording best matches the render over one
// second starting at render frame `at`.
int exactLag(const std::vector<float>& render, const std::vector<float>& rec, int64_t at, int64_t guess, int reach)
{
    double best = -1e300;
    int bestLag = int(guess);
    for (int64_t lag = guess - reach; lag <= guess + reach; ++lag) {
        double sum = 0.0;
        for (int64_t i = at; i < at + kRate; ++i) {
            const int64_t j = i + lag;
            if (j >= 0 && j < int64_t(rec.size()) && i < int64_t(render.size()))
                sum += double(render[size_t(i)]) * rec[size_t(j)];
        }
        if (sum > best) {
            best = sum;
            bestLag = int(lag);
        }
    }
    return bestLag;
}

} // namespace

int main(int argc, char** argv)
{
    Wave recording, render;
    if ((argc != 4 && argc != 5) || !readWav(argv[1], recording) || !readWav(argv[2], render) || recording.rate != kRate ||
        render.rate != kRate) {
        std::fprintf(stderr, "usage: recording-check RECORDING.wav RENDER.wav END_SECONDS [LATE_SECONDS] (44.1 kHz WAV "
                             "files)\n");
        return 2;
    }
    const double endSeconds = std::atof(argv[3]);
    const double lateSeconds = argc == 5 ? std::atof(argv[4]) : 0.0;
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

    // The lag, to the sample, every ten seconds of the show.
    const std::vector<float> renderMono = mono(render), recMono = mono(recording);
    std::vector<int> lags;
    for (double t = 5.0; t + 1.0 < endSeconds - 1.0; t += 10.0)
        lags.push_back(exactLag(renderMono, recMono, int64_t(t * kRate), int64_t(whole.lag) * kWindow, 6 * kWindow));
    const auto [low, high] = std::minmax_element(lags.begin(), lags.end());
    std::printf("lag %d..%d frames over %zu checkpoints:", *low, *high, lags.size());
    for (int l : lags)
        std::printf(" %d", l);
    std::printf("\n");
    // A constant lag means the clock and the sound are in step. A clock that drifted would move
    // it by whole seconds; the sink's own underruns under Wine, while the software rasteriser
    // keeps both cores busy, shift it by tens of ms at a time, a few times a run.
    check(*high - *low <= 20 * kWindow, "the lag stays constant over the run (within 200 ms)");
    const int lag = lags[lags.size() / 2];
    // The lag that holds around song time t: that of the nearest checkpoint.
    auto lagAt = [&lags](double t) {
        const long k = std::lround((t - 5.0) / 10.0);
        return lags[size_t(std::clamp<long>(k, 0, long(lags.size()) - 1))];
    };

    // Section by section the two takes must agree.
    double worst = 1.0;
    for (size_t from = 0; from + 1000 <= endWindow; from += 1000) {
        double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        size_t n = 0;
        const int sectionLag = lagAt((from + 500) * 0.01);
        for (size_t w = from; w < from + 1000; ++w) {
            const int64_t j = int64_t(w) * kWindow + sectionLag;
            if (j < 0 || size_t(j) + kWindow > recMono.size())
                continue;
            // Window of the recording that lines up with render window w.
            double sum = 0.0;
            for (int64_t f = j; f < j + kWindow; ++f)
                sum += double(recMono[size_t(f)]) * recMono[size_t(f)];
            const double x = renderEnvelope[w], y = std::sqrt(sum / kWindow);
            sa += x; sb += y; saa += x * x; sbb += y * y; sab += x * y;
            ++n;
        }
        if (n < 2)
            continue;
        const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
        worst = std::min(worst, va > 0 && vb > 0 ? (sab - sa * sb / n) / std::sqrt(va * vb) : 0.0);
    }
    std::printf("worst envelope correlation over 10 s sections %.3f\n", worst);
    check(worst > 0.8, "every section of the recording follows the render");

    // Dropouts: 10 ms windows of the song that are missing from the recording.
    std::vector<double> ratios;
    std::vector<std::pair<double, double>> pairs;
    // Counted from one second on: Wine opens its sound stream on the first write, and the sink
    // may swallow the first fraction of a second while the device position already runs.
    for (size_t w = 100; w + 20 < endWindow; ++w) {
        const int64_t j = int64_t(w) * kWindow + lagAt(w * 0.01);
        if (j < 0 || size_t(j) + kWindow > recMono.size())
            continue;
        double a = 0.0, b = 0.0;
        for (int64_t f = 0; f < kWindow; ++f) {
            a += double(renderMono[size_t(int64_t(w) * kWindow + f)]) * renderMono[size_t(int64_t(w) * kWindow + f)];
            b += double(recMono[size_t(j + f)]) * recMono[size_t(j + f)];
        }
        if (a > kWindow * 1e-4) {
            pairs.emplace_back(a, b);
            ratios.push_back(std::sqrt(b / a));
        }
    }
    std::vector<double> sorted = ratios;
    std::sort(sorted.begin(), sorted.end());
    const double gain = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    size_t dropouts = 0;
    for (double r : ratios)
        dropouts += r < 0.3 * gain;
    size_t startMissing = 0;
    for (size_t w = 0; w < 100; ++w) {
        const int64_t j = int64_t(w) * kWindow + lag;
        if (j < 0 || renderEnvelope[w] < 0.01)
            continue;
        double b = 0.0;
        for (int64_t f = j; f < j + kWindow; ++f)
            b += double(recMono[size_t(f)]) * recMono[size_t(f)];
        startMissing += std::sqrt(b / kWindow) < 0.3 * renderEnvelope[w];
    }
    std::printf("level of the recording %.3f of the render; %zu of %zu windows missing (and %zu in the first "
                "second)\n",
                gain, dropouts, ratios.size(), startMissing);
    check(gain > 0.5 && gain < 2.0, "the recording has the render's level");
    // Wine's sound path underruns now and then while the software rasteriser saturates the
    // machine; a stream that fell behind would lose far more than this.
    check(dropouts <= 50, "no dropouts (at most 0.5 s missing over the run)");

    // The end: the demo stops the sound when its clock reaches the end of the show.
    double stop = 0.0;
    const int endLag = lagAt(endSeconds);
    for (size_t w = endWindow - 300; w < renderEnvelope.size(); ++w) {
        const int64_t j = int64_t(w) * kWindow + endLag;
        if (j < 0 || size_t(j) + kWindow > recMono.size())
            break;
        double b = 0.0;
        for (int64_t f = 0; f < kWindow; ++f)
            b += double(recMono[size_t(j + f)]) * recMono[size_t(j + f)];
        if (std::sqrt(b / kWindow) > 0.2 * gain * renderEnvelope[w] && renderEnvelope[w] > 1e-3)
            stop = (w + 1) * kWindow / double(kRate);
    }
    // The demo ends when its clock (the device position) reaches the end; what the device has
    // taken but the sink has not played yet is dropped at the reset, so the sound stops the
    // output latency early.
    std::printf("sound stops at song time %.3f s (the show ends at %.2f s; output latency %.0f ms)\n", stop,
                endSeconds, (endSeconds - stop) * 1000.0);
    // The loop reads the clock once a turn, so the end is seen up to one frame late; a frame of
    // the software rasteriser takes seconds (LATE_SECONDS, given by the caller).
    check(stop > endSeconds - 0.3 && stop < endSeconds + 0.3 + lateSeconds, "the sound stops with the show");
    std::printf(ok ? "recording matches the render\n" : "recording does not match the render\n");
    return ok ? 0 : 1;
}
