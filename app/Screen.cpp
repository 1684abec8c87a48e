#include "app/Screen.h"

namespace Nimbra {

int32_t screenWidth = 0;
int32_t screenHeight = 0;
float aspect = 0.0f;

}  // namespace Nimbra
