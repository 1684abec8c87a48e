#pragma once
// The pictures of --passes: where each pass's target is written, and its texels turned into
// 8-bit colour. Plain file naming and arithmetic, no GPU.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

// "DIR/frame_00042_draw5.png" for the target of pass "draw 5" in frame 42: the frame's own
// name with the pass's name, spaces dropped, appended.
std::string passPicturePath(const std::string& dir, uint32_t frame, const std::string& passName);

// Packs `height` rows of `width` texels (TextureFormat `format`, rows `rowPitch` bytes apart) as 8-bit RGBA: floats
// clamped to 0..1 (NaN as 0), one channel as grey, BGRA swapped. False, `rgba` empty, for depth and integer formats.
bool targetTexelsToRgba8(int32_t format, const uint8_t* texels, uint32_t width, uint32_t height, uint32_t rowPitch,
                         std::vector<uint8_t>& rgba);

}  // namespace Nimbra
