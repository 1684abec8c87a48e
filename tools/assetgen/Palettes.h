// Colour palettes as red, green, blue triples in 0 to 1.
#pragma once
#include <vector>

namespace Nimbra::AssetGen {

// 256 colours: 0 to 15 the sixteen text-mode colours, 16 pure red, 17 to 31 a grey ramp
// ending in white, nine hue ramps of 24 shades from 32 to 247, black from 248 to 255.
std::vector<float> buildTextPalette();

// 32 colours for the cube scroller: 0 black, 1 to 15 neon hues, 16 to 31 light greys.
std::vector<float> buildScrollerPalette();

}  // namespace Nimbra::AssetGen
