#pragma once
#include <cstdint>

namespace Nimbra {

struct Timeline;

// Creates the presentation's DemoPlayer with its 64 variables, 20 resources and 9 passes,
// fills the timeline's curves and tempo, and names the player's output texture. Textures are
// sized to the screen. Runs once, on the thread that owns the device, after the graphics
// context is installed.
void buildContent(Timeline& timeline, int32_t screenWidth, int32_t screenHeight);

}  // namespace Nimbra
