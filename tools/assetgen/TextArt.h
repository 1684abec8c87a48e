// The text cells of the four text layers and the scroller. A cell is three ints: character
// code, colour index, and a third value: for the layers a background colour index, which the
// content never sets (NoBackground), for the scroller its visibility (ShownCell, HiddenCell).
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

// The third value of a cell (the programs name them alike).
constexpr int32_t NoBackground = -1;
constexpr int32_t ShownCell = 0;
constexpr int32_t HiddenCell = -1;

// Logo sweep: in frame f the diagonal front has covered f / LogoSweepFrames of LogoSweepLength positions (column +
// 2 * rows below LogoSweepOriginRow); a cell is laid down once the front is LogoSweepTrail past it. In rows
// LogoPanelTop..LogoPanelBottom the layers program draws a dark panel under the empty cells laid down.
constexpr int LogoSweepLength = 128;
constexpr int LogoSweepFrames = 27;
constexpr int LogoSweepTrail = 3;
constexpr int LogoSweepOriginRow = 3;
constexpr int LogoPanelTop = 2;
constexpr int LogoPanelBottom = 19;

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

}  // namespace Nimbra::AssetGen
