#pragma once
// What a pass reads and writes. Inputs are bound at the register of their position in the list.
#include "gfx/Resource.h"
#include "gfx/TextureRuntime.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum BindingKind : int32_t
{
    TextureBinding = 0,
    BufferBinding = 1,
};

struct ResourceBinding
{
    int32_t kind = TextureBinding;
    Resource* resource = nullptr; // not owned; null leaves the register unbound
};

struct TargetBinding
{
    TextureRuntime* resource = nullptr; // not owned
    bool flag = true;                   // set by the construction code, never read
};

// When a pass runs: every frame, only in the player's first frame, or inside a time window.
enum EnableMode : int32_t
{
    EnableAlways = 0,
    EnableFirstFrame = 1,
    EnableWindow = 2,
};

// Both ends of the window are included; unknown modes never run.
inline bool passEnabled(int32_t enableMode, float startTime, float endTime, float t, bool firstFrame)
{
    switch (enableMode) {
    case EnableAlways:
        return true;
    case EnableFirstFrame:
        return firstFrame;
    case EnableWindow:
        return startTime <= t && t <= endTime;
    default:
        return false;
    }
}

} // namespace Gfx
} // namespace Nimbra
