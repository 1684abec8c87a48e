#pragma once
// IEEE half precision, as 16-bit float textures hold it, read back into single precision:
// subnormals, infinities and NaN included.
#include <cmath>
#include <cstdint>

namespace Nimbra::Gfx {

inline float halfToFloat(uint16_t half)
{
    const float sign = (half & 0x8000) ? -1.0f : 1.0f;
    const int exponent = (half >> 10) & 31;
    const int mantissa = half & 1023;
    if (exponent == 0)
        return sign * std::ldexp(static_cast<float>(mantissa), -24);
    if (exponent == 31)
        return mantissa == 0 ? sign * INFINITY : NAN;
    return sign * std::ldexp(static_cast<float>(1024 + mantissa), exponent - 25);
}

}  // namespace Nimbra::Gfx
