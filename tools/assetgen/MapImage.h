// The backdrop picture: a neon relief map, 1280 x 720 RGBA, encoded as PNG.
#pragma once
#include <cstdint>
#include <vector>

namespace Nimbra::AssetGen {

constexpr int MapWidth = 1280;
constexpr int MapHeight = 720;

// The picture's pixels, 8-bit RGBA, rows from the top.
std::vector<uint8_t> renderMap();

// The pixels encoded as a PNG file (one IDAT chunk), ready to embed.
std::vector<uint8_t> encodePng(const std::vector<uint8_t>& rgba, int width, int height);

}  // namespace Nimbra::AssetGen
