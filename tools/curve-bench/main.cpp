// Measures one frame's curve work as the frame loop does it: the 8 camera curves, then every
// curve into its variable, at 1000 times spread evenly over the 107.58 s of the presentation.
// Prints nanoseconds per frame (median and best of several rounds).

#include "app/ShippedEdits.h"
#include "content/animation/ContentVariables.h"
#include "core/Timeline.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace Nimbra;

namespace {

constexpr int framesPerRound = 1000;
constexpr int rounds = 31;
constexpr float presentationSeconds = 107.58f;
constexpr uint32_t cameraCurves = 8;

float frameWork(const Timeline& timeline, float seconds, float* variables)
{
    float camera = 0.0f;
    for (uint32_t i = 0; i < cameraCurves; ++i)
        camera += evaluateCurve(timeline, i, seconds);
    for (uint32_t i = 0; i < timeline.curves.count; ++i)
        variables[i] = evaluateCurve(timeline, i, seconds);
    return camera;
}

}  // namespace

int main()
{
    Timeline timeline;
    loadShippedTimeline(timeline);

    float times[framesPerRound];
    for (int f = 0; f < framesPerRound; ++f)
        times[f] = presentationSeconds * float(f) / float(framesPerRound);

    float variables[contentVariableCount];
    volatile float sink = 0.0f;
    double nsPerFrame[rounds];
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        float total = 0.0f;
        for (float t : times) {
            total += frameWork(timeline, t, variables);
            total += variables[contentVariableCount - 1];
        }
        const auto stop = std::chrono::steady_clock::now();
        sink = sink + total;
        nsPerFrame[round] = std::chrono::duration<double, std::nano>(stop - start).count() / framesPerRound;
    }
    std::sort(nsPerFrame, nsPerFrame + rounds);
    std::printf("curve work per frame (%u camera + %u variable curves, %d frames over 0..%.2f s)\n", cameraCurves,
                timeline.curves.count, framesPerRound, double(presentationSeconds));
    std::printf("median %.0f ns, best %.0f ns, worst %.0f ns per frame\n", nsPerFrame[rounds / 2], nsPerFrame[0],
                nsPerFrame[rounds - 1]);
    return 0;
}
