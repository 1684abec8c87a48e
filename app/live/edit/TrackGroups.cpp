#include "app/live/edit/TrackGroups.h"

#include "app/live/edit/FlyCamera.h"
#include "content/animation/ContentVariables.h"

#include <cstring>

namespace Nimbra::Edit {

namespace {

const char otherGroup[] = "Other";

// The length of a layer's prefix at the start of `name`: "L" and digits, then "_" or "TEXT_" ("L1_", "L1TEXT_"),
// the layer being what comes before that; 0 when `name` does not start with one.
size_t layerLength(const char* name)
{
    if (name[0] != 'L' || name[1] < '0' || name[1] > '9')
        return 0;
    size_t end = 1;
    while (name[end] >= '0' && name[end] <= '9')
        ++end;
    return name[end] == '_' || std::strncmp(name + end, "TEXT_", 5) == 0 ? end : 0;
}

}  // namespace

std::string trackGroupName(uint32_t track, const char* name)
{
    if (track < cameraTrackCount)
        return "Camera";
    const size_t flat = std::strncmp(name, "FLAT_", 5) == 0 ? 5 : 0;
    const size_t layer = layerLength(name + flat);
    return layer ? std::string(name, flat + layer) : otherGroup;
}

std::vector<TrackGroup> groupTracks(const char* const* names, uint32_t count)
{
    std::vector<TrackGroup> groups;
    TrackGroup other{otherGroup, {}};
    for (uint32_t track = 0; track < count; ++track) {
        const std::string name = trackGroupName(track, names[track]);
        TrackGroup* group = name == otherGroup ? &other : nullptr;
        for (size_t i = 0; !group && i < groups.size(); ++i)
            group = groups[i].name == name ? &groups[i] : nullptr;
        if (!group) {
            groups.push_back(TrackGroup{name, {}});
            group = &groups.back();
        }
        group->tracks.push_back(track);
    }
    if (!other.tracks.empty())
        groups.push_back(std::move(other));
    return groups;
}

std::vector<TrackGroup> contentTrackGroups()
{
    return groupTracks(contentVariableNames(), contentVariableCount);
}

}  // namespace Nimbra::Edit
