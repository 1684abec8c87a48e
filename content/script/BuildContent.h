#pragma once
#include <cstdint>

namespace Nimbra {

struct Timeline;

// Creates the DemoPlayer (64 variables, 20 resources, 9 passes; textures sized to the screen) and fills the
// timeline. Runs once, on the thread that owns the device, after the graphics context is installed.
void buildContent(Timeline& timeline, int32_t screenWidth, int32_t screenHeight);

}  // namespace Nimbra
