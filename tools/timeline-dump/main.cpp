// timeline-dump keys    every key as curve,row,value,interpolation
// timeline-dump at T    the 64 variables' values at T seconds, as the frame work writes them

#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"
#include "core/Timeline.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Nimbra;

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: timeline-dump keys\n"
                 "       timeline-dump at SECONDS\n");
    return 2;
}

bool parseSeconds(const char* text, float& seconds)
{
    char* end = nullptr;
    seconds = std::strtof(text, &end);
    return end != text && *end == '\0' && std::isfinite(seconds);
}

void printKeys(const Timeline& timeline)
{
    for (uint32_t curve = 0; curve < timeline.curves.count; ++curve) {
        for (const Keyframe& key : timeline.curves.at(curve)->keys)
            std::printf("%u,%u,%.9g,%d\n", curve, key.row, double(key.value), key.interpolation);
    }
}

void printValues(const Timeline& timeline, float seconds)
{
    for (uint32_t i = 0; i < contentVariableCount; ++i)
        std::printf("%s %.9g\n", contentVariables[i].name, double(evaluateCurve(timeline, i, seconds)));
}

} // namespace

int main(int argc, char** argv)
{
    const bool keys = argc == 2 && std::strcmp(argv[1], "keys") == 0;
    const bool at = argc == 3 && std::strcmp(argv[1], "at") == 0;
    float seconds = 0.0f;
    if (!keys && !(at && parseSeconds(argv[2], seconds)))
        return usage();

    Timeline timeline;
    loadContentTimeline(timeline);
    if (keys)
        printKeys(timeline);
    else
        printValues(timeline, seconds);
    return 0;
}
