#pragma once
// The tracks as the editor lists them, in groups: the camera (curves 0 to 7, which the frame work reads for the
// view), each layer's variables, then the rest.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra::Edit {

struct TrackGroup {
    std::string name;
    std::vector<uint32_t> tracks;  // in track order
};

// The group of track `track` called `name`: "Camera" for tracks 0 to 7; for a layer's variable the layer, by the
// name's prefix ("FLAT_L2_X_OFFSET": "FLAT_L2"; "L1_ROT_X" and "L1TEXT_R": "L1"); "Other" for the rest.
std::string trackGroupName(uint32_t track, const char* name);

// Every track in its group: the camera first, then the layers in the order of their first tracks, then the rest.
std::vector<TrackGroup> groupTracks(const char* const* names, uint32_t count);

// The content's 64 tracks, grouped.
std::vector<TrackGroup> contentTrackGroups();

}  // namespace Nimbra::Edit
