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

// `height` rows of `width` texels of a render target in TextureFormat `format`, rows
// `rowPitch` bytes apart, as tightly packed 8-bit RGBA. Each float channel is clamped to 0..1
// and rounded to the nearest of 256 steps (NaN counts as 0); a one-channel target is shown as
// grey; 8-bit targets are copied, blue and red swapped back for Bgra8Unorm. Alpha is carried
// over, although the PNG writer drops it. False, and `rgba` empty, for formats that hold no
// picture (depth, integer).
bool targetTexelsToRgba8(int32_t format, const uint8_t* texels, uint32_t width, uint32_t height, uint32_t rowPitch,
                         std::vector<uint8_t>& rgba);

}  // namespace Nimbra
