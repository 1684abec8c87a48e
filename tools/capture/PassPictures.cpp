#include "tools/capture/PassPictures.h"

#include "tools/capture/HalfFloat.h"
#include "gfx/TextureFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace Nimbra {

namespace {

uint8_t unitToByte(float value)
{
    if (!(value > 0.0f))  // NaN as well
        return 0;
    if (value >= 1.0f)
        return 255;
    return static_cast<uint8_t>(value * 255.0f + 0.5f);
}

float floatAt(const uint8_t* bytes)
{
    float value;
    std::memcpy(&value, bytes, 4);
    return value;
}

float halfAt(const uint8_t* bytes)
{
    uint16_t half;
    std::memcpy(&half, bytes, 2);
    return Gfx::halfToFloat(half);
}

uint32_t bytesPerTexel(int32_t format)
{
    switch (format) {
    case Gfx::R32Float:
    case Gfx::Rgba8Unorm:
    case Gfx::Bgra8Unorm: return 4;
    case Gfx::Rgba16Float: return 8;
    case Gfx::Rgba32Float: return 16;
    default: return 0;
    }
}

}  // namespace

std::string passPicturePath(const std::string& dir, uint32_t frame, const std::string& passName)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05u_", frame);
    std::string path = dir + "/" + name;
    for (char c : passName)
        if (c != ' ')
            path += c;
    return path + ".png";
}

bool targetTexelsToRgba8(int32_t format, const uint8_t* texels, uint32_t width, uint32_t height, uint32_t rowPitch,
                         std::vector<uint8_t>& rgba)
{
    rgba.clear();
    const uint32_t size = bytesPerTexel(format);
    if (size == 0)
        return false;
    rgba.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = texels + static_cast<size_t>(y) * rowPitch;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* texel = row + static_cast<size_t>(x) * size;
            uint8_t* out = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            switch (format) {
            case Gfx::R32Float:
                out[0] = out[1] = out[2] = unitToByte(floatAt(texel));
                out[3] = 255;
                break;
            case Gfx::Rgba8Unorm: std::memcpy(out, texel, 4); break;
            case Gfx::Bgra8Unorm:
                out[0] = texel[2];
                out[1] = texel[1];
                out[2] = texel[0];
                out[3] = texel[3];
                break;
            case Gfx::Rgba16Float:
                for (int c = 0; c < 4; ++c)
                    out[c] = unitToByte(halfAt(texel + 2 * c));
                break;
            case Gfx::Rgba32Float:
                for (int c = 0; c < 4; ++c)
                    out[c] = unitToByte(floatAt(texel + 4 * c));
                break;
            }
        }
    }
    return true;
}

}  // namespace Nimbra
