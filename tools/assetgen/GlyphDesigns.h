// Hand-drawn 8 x 8 glyph designs: the printable ASCII set and a few symbols of the text-mode
// character set. Both fonts are built from these.
#pragma once
#include <cstdint>

namespace Nimbra::AssetGen {

// Eight rows of a glyph, top to bottom; bit 7 of a row is the leftmost pixel.
struct Glyph8 {
    uint8_t rows[8];
};

// The design of ASCII character `code` (32 to 126); other codes give an empty glyph.
Glyph8 asciiGlyph(int code);

// The design of text-mode symbol `code` (1 to 31 and 127: faces, suits, notes, arrows, house);
// other codes give an empty glyph.
Glyph8 symbolGlyph(int code);

}  // namespace Nimbra::AssetGen
