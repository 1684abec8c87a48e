#pragma once
// --set on a frame: the held values written over what the curves gave, just before the frame
// is rendered.
#include "tools/capture/CaptureOptions.h"

#include <cstdint>
#include <vector>

namespace Nimbra {

struct Timeline;

// Call after the frame's curves have been evaluated into the variables and the frame's header
// has been made (preparePictureFrame), with the same time, frame and aspect. Each setting
// replaces its variable's value. The camera is made from curves 0 to 7 rather than from the
// variables, so when one of its eight variables is set the frame's camera is made again from
// the variables' values, in place of the one the curves gave.
void applyVariableSettings(Timeline& timeline, const std::vector<VariableSetting>& settings, float t,
                           float elapsed, uint32_t frame, float aspect);

}  // namespace Nimbra
