// The two bitmap fonts, one int per pixel (0 clear, 1 set), glyph after glyph, rows from the
// top, pixels from the left.
#pragma once
#include <cstdint>
#include <vector>

namespace Nimbra::AssetGen {

// 256 glyphs of 8 x 16 in the order of the PC text-mode character set (code page 437):
// symbols, ASCII, accented letters, shades, box drawing, blocks, Greek and maths.
std::vector<int32_t> buildTextModeFont();

// 512 glyphs of 8 x 8 in the order of the home-computer screen codes: set one (0 '@',
// 1 to 26 'A' to 'Z', 32 to 63 as ASCII, graphics from 64, reversed from 128) and set two
// (the same from 256 with 'a' to 'z' at 257 and 'A' to 'Z' at 321).
std::vector<int32_t> buildScreenCodeFont();

// Screen code (set two) for an ASCII character; unknown characters give the space.
int screenCodeOf(char c);

}  // namespace Nimbra::AssetGen
