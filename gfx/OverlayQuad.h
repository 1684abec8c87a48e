#pragma once
// One quad of text over the picture (TextOverlay): a rectangle of the target in pixels showing
// glyph `glyph` of the font stretched over it or, when glyph is negative, plain colour. Colours
// are straight (not premultiplied) RGBA. Portable, so the layout is too.
#include <cstdint>

namespace Nimbra {
namespace Gfx {

constexpr uint32_t overlayGlyphWidth = 8;
constexpr uint32_t overlayGlyphHeight = 16;

struct OverlayQuad {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    int32_t glyph = -1;
    float colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

}  // namespace Gfx
}  // namespace Nimbra
