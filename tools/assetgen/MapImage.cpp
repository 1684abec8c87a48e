// A relief map of an imaginary coast styled as a night-time survey display (banded terrain, glowing contours,
// hatched sea, survey grid). Value noise on an integer lattice keeps it identical on every machine.
#include "tools/assetgen/MapImage.h"

#include <algorithm>
#include <cmath>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace Nimbra::AssetGen {
namespace {

uint32_t hash2(int x, int y)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u;
    h ^= h >> 13;
    h *= 0x85ebca6bu;
    h ^= h >> 16;
    return h;
}

float lattice(int x, int y)
{
    return (hash2(x, y) & 0xffff) / 65535.0f;
}

float smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

float valueNoise(float x, float y)
{
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = smooth(x - ix), fy = smooth(y - iy);
    float a = lattice(ix, iy), b = lattice(ix + 1, iy);
    float c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Terrain height in 0 .. 1: five octaves, with a ridge along the diagonal.
float height(float x, float y)
{
    float h = 0.0f, amplitude = 0.5f, frequency = 1.0f / 220.0f;
    for (int octave = 0; octave < 5; ++octave) {
        h += valueNoise(x * frequency + octave * 17.0f, y * frequency - octave * 9.0f) * amplitude;
        amplitude *= 0.5f;
        frequency *= 2.03f;
    }
    float ridge = 1.0f - std::fabs((x * 0.55f - y) / 720.0f - 0.15f) * 1.6f;
    return std::clamp(h * 0.85f + ridge * 0.3f - 0.08f, 0.0f, 1.0f);
}

struct Colour {
    float r, g, b;
};

Colour mix(Colour a, Colour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

constexpr float SeaLevel = 0.38f;
constexpr float ContourStep = 0.035f;

}  // namespace

std::vector<uint8_t> renderMap()
{
    std::vector<float> heights(size_t(MapWidth) * MapHeight);
    for (int y = 0; y < MapHeight; ++y)
        for (int x = 0; x < MapWidth; ++x)
            heights[size_t(y) * MapWidth + x] = height(float(x), float(y));
    auto h = [&](int x, int y) {
        x = std::clamp(x, 0, MapWidth - 1);
        y = std::clamp(y, 0, MapHeight - 1);
        return heights[size_t(y) * MapWidth + x];
    };

    const Colour deepSea = {0.01f, 0.02f, 0.07f}, shallow = {0.02f, 0.10f, 0.22f};
    const Colour lowland = {0.06f, 0.05f, 0.20f}, highland = {0.30f, 0.08f, 0.36f};
    const Colour cyan = {0.20f, 0.95f, 1.00f}, magenta = {1.00f, 0.25f, 0.80f};
    const Colour grid = {0.25f, 0.35f, 0.70f};
    const float ringX[3] = {402.0f, 905.0f, 1090.0f}, ringY[3] = {255.0f, 480.0f, 160.0f};

    std::vector<uint8_t> rgba(size_t(MapWidth) * MapHeight * 4);
    for (int y = 0; y < MapHeight; ++y)
        for (int x = 0; x < MapWidth; ++x) {
            float v = h(x, y);
            // Light from the upper left on the relief.
            float slope = (h(x + 1, y) - h(x - 1, y)) + (h(x, y + 1) - h(x, y - 1));
            Colour c;
            if (v < SeaLevel) {
                c = mix(deepSea, shallow, std::floor(v / SeaLevel * 6.0f) / 6.0f);
                if (((x + y) % 9) == 0 && v > SeaLevel - 0.1f)
                    c = mix(c, cyan, 0.12f);  // hatching near the shore
            } else {
                // Flat tints between the contour levels and four steps of hill shading, the
                // way a printed relief map is coloured.
                float band = std::floor((v - SeaLevel) / ContourStep) * ContourStep;
                float t = band / (1.0f - SeaLevel);
                c = mix(lowland, highland, t);
                float shade = std::clamp(std::round((0.6f - slope * 40.0f) * 4.0f) / 4.0f, 0.25f, 1.25f);
                c = {c.r * shade, c.g * shade, c.b * shade};
            }
            // Contour lines: distance to the nearest level in pixels, from the local gradient.
            float gx = (h(x + 1, y) - h(x - 1, y)) * 0.5f, gy = (h(x, y + 1) - h(x, y - 1)) * 0.5f;
            float gradient = std::sqrt(gx * gx + gy * gy) + 1e-6f;
            float level = v / ContourStep;
            float distance = std::fabs(level - std::round(level)) * ContourStep / gradient;
            bool major = int(std::round(level)) % 5 == 0;
            float line = std::clamp(1.2f - distance, 0.0f, 1.0f);
            if (v >= SeaLevel - ContourStep)
                c = mix(c, major ? magenta : cyan, line * (major ? 0.95f : 0.6f));
            // Coastline.
            float coast = std::clamp(1.5f - std::fabs(v - SeaLevel) / gradient, 0.0f, 1.0f);
            c = mix(c, {0.9f, 1.0f, 1.0f}, coast * 0.8f);
            // Survey grid every 80 pixels, with ticks every 16.
            bool gridLine = x % 80 == 0 || y % 80 == 0;
            bool tick = (x % 80 < 4 && y % 16 == 0) || (y % 80 < 4 && x % 16 == 0);
            if (gridLine || tick)
                c = mix(c, grid, gridLine ? 0.35f : 0.6f);
            // Target rings.
            for (int r = 0; r < 3; ++r) {
                float d = std::sqrt((x - ringX[r]) * (x - ringX[r]) + (y - ringY[r]) * (y - ringY[r]));
                float ring = std::clamp(1.5f - std::fabs(d - 26.0f), 0.0f, 1.0f) +
                             std::clamp(1.2f - std::fabs(d - 40.0f), 0.0f, 1.0f) *
                                 ((int(std::atan2(y - ringY[r], x - ringX[r]) * 6.0f) & 1) ? 1.0f : 0.0f);
                c = mix(c, {1.0f, 0.85f, 0.3f}, std::min(ring, 1.0f) * 0.9f);
            }
            uint8_t* p = &rgba[(size_t(y) * MapWidth + x) * 4];
            p[0] = uint8_t(std::clamp(c.r, 0.0f, 1.0f) * 255.0f + 0.5f);
            p[1] = uint8_t(std::clamp(c.g, 0.0f, 1.0f) * 255.0f + 0.5f);
            p[2] = uint8_t(std::clamp(c.b, 0.0f, 1.0f) * 255.0f + 0.5f);
            p[3] = 255;
        }
    return rgba;
}

std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgba, int width, int height)
{
    std::vector<uint8_t> file;
    stbi_write_png_compression_level = 9;  // smallest file; the encoder is still deterministic
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<uint8_t>*>(context);
            const uint8_t* bytes = static_cast<const uint8_t*>(data);
            out->insert(out->end(), bytes, bytes + size);
        },
        &file, width, height, 4, rgba.data(), width * 4);
    return file;
}

}  // namespace Nimbra::AssetGen
