#include "tools/assetgen/Palettes.h"

#include <cmath>

namespace Nimbra::AssetGen {
namespace {

void add(std::vector<float>& p, float r, float g, float b)
{
    p.push_back(r);
    p.push_back(g);
    p.push_back(b);
}

// Hue in turns (0 to 1) at full saturation and value.
void hueToRgb(float hue, float& r, float& g, float& b)
{
    float h = (hue - std::floor(hue)) * 6.0f;
    int sector = int(h) % 6;
    float f = h - float(int(h));
    float up = f, down = 1.0f - f;
    const float table[6][3] = {{1, up, 0}, {down, 1, 0}, {0, 1, up}, {0, down, 1}, {up, 0, 1}, {1, 0, down}};
    r = table[sector][0];
    g = table[sector][1];
    b = table[sector][2];
}

}  // namespace

std::vector<float> buildTextPalette()
{
    std::vector<float> p;
    p.reserve(768);
    // The text-mode colours: each component 0, 1/3, 2/3 or 1; colour 6 is brown, not dark yellow.
    const int text[16][3] = {{0, 0, 0}, {0, 0, 2}, {0, 2, 0}, {0, 2, 2}, {2, 0, 0}, {2, 0, 2}, {2, 1, 0}, {2, 2, 2},
                             {1, 1, 1}, {1, 1, 3}, {1, 3, 1}, {1, 3, 3}, {3, 1, 1}, {3, 1, 3}, {3, 3, 1}, {3, 3, 3}};
    for (const auto& c : text)
        add(p, c[0] / 3.0f, c[1] / 3.0f, c[2] / 3.0f);
    add(p, 1.0f, 0.0f, 0.0f);
    for (int i = 1; i <= 15; ++i)
        add(p, i / 15.0f, i / 15.0f, i / 15.0f);
    // Nine hue ramps, dark to saturated to pale.
    for (int ramp = 0; ramp < 9; ++ramp) {
        float r, g, b;
        hueToRgb(ramp / 9.0f, r, g, b);
        for (int step = 0; step < 24; ++step) {
            float t = step / 23.0f;
            float value = std::fmin(1.0f, t * 1.6f);
            float pale = std::fmax(0.0f, t * 1.6f - 1.0f) / 0.6f;
            add(p, value * (r + (1.0f - r) * pale), value * (g + (1.0f - g) * pale), value * (b + (1.0f - b) * pale));
        }
    }
    while (p.size() < 768)
        add(p, 0.0f, 0.0f, 0.0f);
    return p;
}

std::vector<float> buildScrollerPalette()
{
    std::vector<float> p;
    p.reserve(96);
    add(p, 0.0f, 0.0f, 0.0f);
    // Neon: magenta through violet and blue to cyan, then mint, lemon and coral.
    const float neon[15][3] = {{1.00f, 0.15f, 0.60f}, {0.95f, 0.20f, 0.85f}, {0.75f, 0.25f, 1.00f},
                               {0.50f, 0.30f, 1.00f}, {0.30f, 0.45f, 1.00f}, {0.15f, 0.65f, 1.00f},
                               {0.10f, 0.85f, 1.00f}, {0.10f, 1.00f, 0.85f}, {0.30f, 1.00f, 0.60f},
                               {0.65f, 1.00f, 0.35f}, {0.95f, 1.00f, 0.30f}, {1.00f, 0.80f, 0.25f},
                               {1.00f, 0.55f, 0.25f}, {1.00f, 0.35f, 0.30f}, {1.00f, 0.25f, 0.45f}};
    for (const auto& c : neon)
        add(p, c[0], c[1], c[2]);
    for (int i = 0; i < 16; ++i) {
        float v = 0.70f + 0.30f * i / 15.0f;
        add(p, v, v, v * 1.0f);
    }
    return p;
}

}  // namespace Nimbra::AssetGen
