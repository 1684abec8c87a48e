#include "gfx/frame/Screen.h"

namespace Nimbra {

int32_t screenWidth = 0;
int32_t screenHeight = 0;
float aspect = 0.0f;

void setScreenSize(int32_t width, int32_t height)
{
    screenWidth = width;
    screenHeight = height;
    aspect = (float)width / (float)height;
}

}  // namespace Nimbra
