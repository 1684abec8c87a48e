// The text cells of the four text layers and the scroller. A cell is three ints: character
// code, colour index, and a third value (background colour index for the layers, visibility
// for the scroller), -1 meaning none.
#pragma once
#include <cstdint>
#include <vector>

namespace Nimbra::AssetGen {

// Shapes shared with the text-layer and scroller shaders.
constexpr int PageColumns = 80;
constexpr int PageRows = 51;
constexpr int StripColumns = 85;
constexpr int StripRows = 3;
constexpr int LogoFrames = 29;
constexpr int InfoFrames = 31;
constexpr int PatternFrames = 12;
constexpr int ScrollerColumns = 32;
constexpr int ScrollerLines = 8;
constexpr int ScrollerFrames = 20;

// Layer 1: a strip of 3 x 85 cells of symbols and words, codes 1 to 78, colours 1 to 14.
std::vector<int32_t> buildStripLayer();

// Layer 2: the title logo building up over 29 frames; codes 1 to 250, colours 0 to 15.
std::vector<int32_t> buildLogoLayer();

// Layer 3: an information screen in box drawing, typed in over 31 frames; codes 32 to 219.
std::vector<int32_t> buildInfoLayer();

// Layer 4: a shaded interference pattern in 12 frames; codes 1 to 219, colours 1 to 15.
std::vector<int32_t> buildPatternLayer();

// The scroller: 20 pages of 8 lines of 32 cells in screen codes (0 to 345), colours 1 to 31
// of the scroller palette, third value 0 for a drawn cell and -1 for an empty one.
std::vector<int32_t> buildScrollerText();

} // namespace Nimbra::AssetGen
