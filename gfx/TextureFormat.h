#pragma once
// Texture formats a TextureRuntime can have, and the length of its mip chain.
#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum TextureDimension : int32_t {
    Texture1D = 0,
    Texture2D = 1,
    Texture3D = 2,
};

enum TextureFormat : int32_t {
    R32Float = 0,
    Rgba8Unorm = 1,
    Bgra8Unorm = 2,
    Rgba16Float = 3,
    Rgba32Float = 4,
    Depth24Stencil8 = 5,
    Depth32Float = 6,
    R32Uint = 7,
};

constexpr int32_t textureFormatCount = 8;

inline bool isDepthFormat(int32_t format)
{
    return format == Depth24Stencil8 || format == Depth32Float;
}

// 1 plus the number of halvings of the largest extent down to 1 when a chain is wanted and
// possible (depth formats cannot generate mips); 1 otherwise. 1280 gives 11, 3 gives 2.
inline uint32_t mipLevelCount(int32_t dimension, int32_t width, int32_t height, int32_t depth, bool mips,
                              int32_t format)
{
    if (!mips || isDepthFormat(format))
        return 1;
    int32_t largest = width;
    if (dimension >= Texture2D && height > largest)
        largest = height;
    if (dimension >= Texture3D && depth > largest)
        largest = depth;
    uint32_t count = 1;
    while (largest > 1) {
        largest /= 2;
        ++count;
    }
    return count;
}

}  // namespace Gfx
}  // namespace Nimbra
