#pragma once
// --set: a variable held at a value for the whole capture.
#include "tools/capture/CaptureOptions.h"

#include <vector>

namespace Nimbra {

struct Timeline;

// Replaces the curve of every set variable with one Step key at row 0 that holds the value, so
// that every frame's work evaluates it there, the camera of curves 0 to 7 included. Call once,
// after the presentation's start-up.
void holdVariables(Timeline& timeline, const std::vector<VariableSetting>& settings);

}  // namespace Nimbra
