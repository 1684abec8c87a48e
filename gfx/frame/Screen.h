#pragma once
// The primary screen's size, read once at start-up. The window, the swap chain and every
// screen-sized texture take their size from here.
#include <cstdint>

namespace Nimbra {

extern int32_t screenWidth;
extern int32_t screenHeight;
// screenWidth / screenHeight in single precision, for the camera projection.
extern float aspect;

// Sets all three.
void setScreenSize(int32_t width, int32_t height);

}  // namespace Nimbra
