#pragma once
// The demo's icon, drawn in code: a disc with a diagonal sunset gradient, a bright rim and an
// "N", at 16 x 16 and 32 x 32 pixels with a 256-colour palette, packed as a Windows .ico file.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Nimbra {

// One square image: palette indices row by row from the top, and which pixels are opaque.
struct IconImage {
    int size = 0;
    std::vector<uint8_t> pixels;
    std::vector<bool> opaque;
};

// The 256 palette entries as 0xRRGGBB.
std::vector<uint32_t> iconPalette();

IconImage drawIcon(int size);

// The complete .ico file with one 8-bit image per size, in the given order.
std::vector<uint8_t> buildIconFile(const std::vector<int>& sizes);

// The demo's icon file: 16 x 16 and 32 x 32.
std::vector<uint8_t> buildDemoIcon();

}  // namespace Nimbra
