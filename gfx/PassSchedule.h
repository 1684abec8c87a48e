#pragma once
// When a pass runs and how many thread groups a compute pass dispatches.
#include <cstdint>

namespace Nimbra {
namespace Gfx {

// When a pass runs: every frame, only in the player's first frame, or inside a time window.
enum EnableMode : int32_t {
    EnableAlways = 0,
    EnableFirstFrame = 1,
    EnableWindow = 2,
};

// Both ends of the window are included; unknown modes never run.
inline bool passEnabled(int32_t enableMode, float startTime, float endTime, float t, bool firstFrame)
{
    switch (enableMode) {
    case EnableAlways: return true;
    case EnableFirstFrame: return firstFrame;
    case EnableWindow: return startTime <= t && t <= endTime;
    default: return false;
    }
}

// Thread groups for a work size: size / 8 rounded up, at least 1.
inline uint32_t threadGroupsFor(uint32_t size)
{
    const uint32_t groups = size / 8 + (size % 8 != 0 ? 1 : 0);
    return groups > 0 ? groups : 1;
}

}  // namespace Gfx
}  // namespace Nimbra
