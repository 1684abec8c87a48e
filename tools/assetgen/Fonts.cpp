#include "tools/assetgen/Fonts.h"

#include "tools/assetgen/GlyphDesigns.h"

namespace Nimbra::AssetGen {
namespace {

constexpr int TextModeGlyphs = 256;
constexpr int TextModeRows = 16;
constexpr int ScreenCodeGlyphs = 512;

// A glyph of up to 16 rows of 8 pixels, bit 7 leftmost.
struct Bitmap {
    uint16_t rows[16] = {};
    bool at(int x, int y) const { return (rows[y] >> (7 - x)) & 1; }
    void set(int x, int y) { rows[y] |= uint16_t(0x80 >> x); }
};

// 8 x 8 design stretched to 8 x 16: every row twice, the chunky look of a doubled font.
Bitmap tall(const Glyph8& glyph)
{
    Bitmap b;
    for (int y = 0; y < 16; ++y)
        b.rows[y] = glyph.rows[y / 2];
    return b;
}

// Letters of code page 437 from 128 on that are drawn as a base letter with a mark above.
struct Accented {
    int code;
    char base;
    char mark;  // '\'' acute, '`' grave, '^' circumflex, ':' diaeresis, 'o' ring, '~' tilde, ',' cedilla
};

const Accented AccentedLetters[] = {
    {128, 'C', ','}, {129, 'u', ':'}, {130, 'e', '\''}, {131, 'a', '^'},  {132, 'a', ':'},  {133, 'a', '`'},
    {134, 'a', 'o'}, {135, 'c', ','}, {136, 'e', '^'},  {137, 'e', ':'},  {138, 'e', '`'},  {139, 'i', ':'},
    {140, 'i', '^'}, {141, 'i', '`'}, {142, 'A', ':'},  {143, 'A', 'o'},  {144, 'E', '\''}, {145, 'a', ' '},
    {146, 'A', ' '}, {147, 'o', '^'}, {148, 'o', ':'},  {149, 'o', '`'},  {150, 'u', '^'},  {151, 'u', '`'},
    {152, 'y', ':'}, {153, 'O', ':'}, {154, 'U', ':'},  {155, 'c', ' '},  {156, 'L', ' '},  {157, 'Y', ' '},
    {158, 'P', ' '}, {159, 'f', ' '}, {160, 'a', '\''}, {161, 'i', '\''}, {162, 'o', '\''}, {163, 'u', '\''},
    {164, 'n', '~'}, {165, 'N', '~'}, {166, 'a', ' '},  {167, 'o', ' '},  {168, '?', ' '},  {169, '-', ' '},
    {170, '-', ' '}, {171, '%', ' '}, {172, '%', ' '},  {173, '!', ' '},  {174, '<', ' '},  {175, '>', ' '},
    {224, 'a', ' '}, {225, 'B', ' '}, {226, 'F', ' '},  {227, 'n', ' '},  {228, 'E', ' '},  {229, 'o', ' '},
    {230, 'u', ' '}, {231, 't', ' '}, {232, 'O', ' '},  {233, 'O', ' '},  {234, 'O', ' '},  {235, 'd', ' '},
    {236, '8', ' '}, {237, 'o', ' '}, {238, 'e', ' '},  {239, 'n', ' '},  {240, '=', ' '},  {241, '+', ' '},
    {242, '>', ' '}, {243, '<', ' '}, {244, '(', ' '},  {245, ')', ' '},  {246, '/', ' '},  {247, '~', ' '},
    {248, 'o', ' '}, {249, '.', ' '}, {250, '.', ' '},  {251, 'v', ' '},  {252, 'n', ' '},  {253, '2', ' '},
};

void addMark(Bitmap& b, char mark)
{
    // Marks sit in the two top rows, which the doubled lower-case designs leave free.
    // clang-format off
    switch (mark)
    {
    case '\'': b.set(4, 0); b.set(3, 1); b.set(4, 1); break;
    case '`': b.set(2, 0); b.set(2, 1); b.set(3, 1); break;
    case '^': b.set(3, 0); b.set(2, 1); b.set(4, 1); break;
    case ':': b.set(1, 1); b.set(2, 1); b.set(4, 1); b.set(5, 1); break;
    case 'o': b.set(3, 0); b.set(2, 1); b.set(4, 1); break;
    case '~': b.set(1, 1); b.set(2, 0); b.set(3, 1); b.set(4, 0); break;
    case ',': b.set(3, 15); b.set(2, 15); break;
    default: break;
    }
    // clang-format on
}

// Shades 176 to 178: a quarter, half and three quarters of the pixels, in a dither pattern.
Bitmap shade(int level)
{
    Bitmap b;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            bool quarter = (x + (y % 2) * 2) % 4 == 0;
            bool on = level == 0 ? quarter : (level == 1 ? (x + y) % 2 == 0 : !quarter);
            if (on)
                b.set(x, y);
        }
    return b;
}

// Line strengths of a box-drawing character towards up, down, left and right:
// 0 none, 1 single, 2 double.
struct BoxPiece {
    int code;
    int up, down, left, right;
};

const BoxPiece BoxPieces[] = {
    {179, 1, 1, 0, 0}, {180, 1, 1, 1, 0}, {181, 1, 1, 2, 0}, {182, 2, 2, 1, 0}, {183, 0, 2, 1, 0}, {184, 0, 1, 2, 0},
    {185, 2, 2, 2, 0}, {186, 2, 2, 0, 0}, {187, 0, 2, 2, 0}, {188, 2, 0, 2, 0}, {189, 2, 0, 1, 0}, {190, 1, 0, 2, 0},
    {191, 0, 1, 1, 0}, {192, 1, 0, 0, 1}, {193, 1, 0, 1, 1}, {194, 0, 1, 1, 1}, {195, 1, 1, 0, 1}, {196, 0, 0, 1, 1},
    {197, 1, 1, 1, 1}, {198, 1, 1, 0, 2}, {199, 2, 2, 0, 1}, {200, 2, 0, 0, 2}, {201, 0, 2, 0, 2}, {202, 2, 0, 2, 2},
    {203, 0, 2, 2, 2}, {204, 2, 2, 0, 2}, {205, 0, 0, 2, 2}, {206, 2, 2, 2, 2}, {207, 1, 0, 2, 2}, {208, 2, 0, 1, 1},
    {209, 0, 1, 2, 2}, {210, 0, 2, 1, 1}, {211, 2, 0, 0, 1}, {212, 1, 0, 0, 2}, {213, 0, 1, 0, 2}, {214, 0, 2, 0, 1},
    {215, 2, 2, 1, 1}, {216, 1, 1, 2, 2}, {217, 1, 0, 1, 0}, {218, 0, 1, 0, 1},
};

// Single lines run through column 3 and row 7. A double line is the outline of a bar three
// pixels wide (columns 2 to 4, rows 6 to 8): the union of the bars minus their centre lines,
// which joins corners and crossings cleanly.
Bitmap boxPiece(const BoxPiece& p)
{
    constexpr int cx = 3, cy = 7;
    bool verticalDouble = p.up == 2 || p.down == 2;
    bool horizontalDouble = p.left == 2 || p.right == 2;
    bool bar[16][8] = {};
    bool centre[16][8] = {};
    bool single[16][8] = {};
    auto fill = [](bool(&m)[16][8], int x0, int x1, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                m[y][x] = true;
    };
    // Double bars reach past the centre only when the crossing line is double too.
    int vReach = horizontalDouble ? 1 : 0;
    int hReach = verticalDouble ? 1 : 0;
    // clang-format off
    if (p.up == 2) { fill(bar, cx - 1, cx + 1, 0, cy + vReach); fill(centre, cx, cx, 0, cy); }
    if (p.down == 2) { fill(bar, cx - 1, cx + 1, cy - vReach, 15); fill(centre, cx, cx, cy, 15); }
    if (p.left == 2) { fill(bar, 0, cx + hReach, cy - 1, cy + 1); fill(centre, 0, cx, cy, cy); }
    if (p.right == 2) { fill(bar, cx - hReach, 7, cy - 1, cy + 1); fill(centre, cx, 7, cy, cy); }
    if (p.up == 1) fill(single, cx, cx, 0, cy);
    if (p.down == 1) fill(single, cx, cx, cy, 15);
    if (p.left == 1) fill(single, 0, cx, cy, cy);
    if (p.right == 1) fill(single, cx, 7, cy, cy);
    // clang-format on
    Bitmap b;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            if ((bar[y][x] && !centre[y][x]) || single[y][x])
                b.set(x, y);
    return b;
}

Bitmap block(int code)
{
    Bitmap b;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = code == 219 || (code == 220 && y >= 8) || (code == 221 && x < 4) || (code == 222 && x >= 4) ||
                      (code == 223 && y < 8) || (code == 254 && x >= 1 && x <= 6 && y >= 4 && y <= 11);
            if (on)
                b.set(x, y);
        }
    return b;
}

Bitmap textModeGlyph(int code)
{
    if ((code >= 1 && code <= 31) || code == 127)
        return tall(symbolGlyph(code));
    if (code >= 32 && code <= 126)
        return tall(asciiGlyph(code));
    if (code >= 176 && code <= 178)
        return shade(code - 176);
    for (const BoxPiece& p : BoxPieces)
        if (p.code == code)
            return boxPiece(p);
    if ((code >= 219 && code <= 223) || code == 254)
        return block(code);
    for (const Accented& a : AccentedLetters)
        if (a.code == code) {
            Bitmap b = tall(asciiGlyph(a.base));
            addMark(b, a.mark);
            return b;
        }
    return Bitmap{};  // 0 and 255 are blank
}

// Graphics of the screen-code font (codes 64 to 127 of each set): lines, corners, blocks,
// checkers and shapes, made from simple rules so that both sets share them.
Glyph8 graphicGlyph(int index)
{
    Glyph8 g = {};
    auto rule = [&](auto inside) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (inside(x, y))
                    g.rows[y] |= uint8_t(0x80 >> x);
    };
    switch (index / 8) {
    case 0:  // horizontal bars at eight heights
        rule([&](int, int y) { return y == index % 8; });
        break;
    case 1:  // vertical bars at eight positions
        rule([&](int x, int) { return x == index % 8; });
        break;
    case 2:  // growing blocks from the bottom
        rule([&](int, int y) { return y >= 7 - index % 8; });
        break;
    case 3:  // growing blocks from the left
        rule([&](int x, int) { return x <= index % 8; });
        break;
    case 4:  // quadrant combinations
        rule([&](int x, int y) {
            int quadrant = (y >= 4 ? 2 : 0) + (x >= 4 ? 1 : 0);
            return ((index % 8 + 1) >> (quadrant % 3)) & 1;
        });
        break;
    case 5:  // checkers and diagonals
        rule([&](int x, int y) {
            int k = index % 8;
            return k < 4 ? ((x / (k + 1) + y / (k + 1)) % 2 == 0) : ((x + y * (k - 3)) % 4 == 0);
        });
        break;
    case 6:  // circles and rings
        rule([&](int x, int y) {
            float dx = x - 3.5f, dy = y - 3.5f;
            float r = dx * dx + dy * dy;
            float size = 1.5f + index % 8 * 0.5f;
            return index % 2 == 0 ? r <= size * size : (r <= size * size && r >= (size - 1.2f) * (size - 1.2f));
        });
        break;
    default:  // suits and symbols of the text-mode set
        g = symbolGlyph(3 + index % 8);
        break;
    }
    return g;
}

Glyph8 screenCodeGlyph(int code)
{
    int set = code / 256;
    int c = code % 256;
    bool reversed = c >= 128;
    c %= 128;
    Glyph8 g = {};
    if (c == 0)
        g = asciiGlyph('@');
    else if (c <= 26)
        g = asciiGlyph((set == 0 ? 'A' : 'a') + c - 1);
    else if (c == 27 || c == 29)
        g = asciiGlyph(c == 27 ? '[' : ']');
    else if (c == 28)
        g = asciiGlyph('#');
    else if (c == 30)
        g = symbolGlyph(24);
    else if (c == 31)
        g = symbolGlyph(27);
    else if (c < 64)
        g = asciiGlyph(c);
    else if (set == 1 && c >= 65 && c <= 90)
        g = asciiGlyph('A' + c - 65);
    else
        g = graphicGlyph(c - 64);
    if (reversed)
        for (uint8_t& row : g.rows)
            row = uint8_t(~row);
    return g;
}

}  // namespace

std::vector<int32_t> buildTextModeFont()
{
    std::vector<int32_t> pixels;
    pixels.reserve(TextModeGlyphs * TextModeRows * 8);
    for (int code = 0; code < TextModeGlyphs; ++code) {
        Bitmap b = textModeGlyph(code);
        for (int y = 0; y < TextModeRows; ++y)
            for (int x = 0; x < 8; ++x)
                pixels.push_back(b.at(x, y) ? 1 : 0);
    }
    return pixels;
}

std::vector<int32_t> buildScreenCodeFont()
{
    std::vector<int32_t> pixels;
    pixels.reserve(ScreenCodeGlyphs * 64);
    for (int code = 0; code < ScreenCodeGlyphs; ++code) {
        Glyph8 g = screenCodeGlyph(code);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pixels.push_back((g.rows[y] >> (7 - x)) & 1);
    }
    return pixels;
}

int screenCodeOf(char c)
{
    if (c >= 'a' && c <= 'z')
        return 257 + (c - 'a');
    if (c >= 'A' && c <= 'Z')
        return 321 + (c - 'A');
    if (c == '@')
        return 256;
    if (c == '[')
        return 256 + 27;
    if (c == ']')
        return 256 + 29;
    if (c >= 32 && c < 64)
        return 256 + c;
    return 256 + 32;
}

}  // namespace Nimbra::AssetGen
