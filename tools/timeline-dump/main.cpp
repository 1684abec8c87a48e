// timeline-dump keys          every key as curve,row,value,interpolation
// timeline-dump at T          the 64 variables' values at T seconds, as the frame work writes them
// timeline-dump rocket FILE   the 64 curves as a sync editor file, one track per variable

#include "app/ContentEdits.h"
#include "app/ShippedEdits.h"
#include "content/animation/ContentVariables.h"
#include "core/Timeline.h"
#include "sync/RocketFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace Nimbra;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: timeline-dump keys\n"
                         "       timeline-dump at SECONDS\n"
                         "       timeline-dump rocket FILE.rocket\n");
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

int writeRocket(const Timeline& timeline, const char* path)
{
    std::string error;
    if (!writeContentEdits(timeline, path, error)) {
        std::fprintf(stderr, "timeline-dump: cannot write %s: %s\n", path, error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool keys = argc == 2 && std::strcmp(argv[1], "keys") == 0;
    const bool at = argc == 3 && std::strcmp(argv[1], "at") == 0;
    const bool rocket = argc == 3 && std::strcmp(argv[1], "rocket") == 0 && argv[2][0] != '\0';
    float seconds = 0.0f;
    if (!keys && !rocket && !(at && parseSeconds(argv[2], seconds)))
        return usage();

    Timeline timeline;
    loadShippedTimeline(timeline);
    if (rocket)
        return writeRocket(timeline, argv[2]);
    if (keys)
        printKeys(timeline);
    else
        printValues(timeline, seconds);
    return 0;
}
