// The embedded data blocks: element counts and the value ranges the shaders rely on.
// Runs natively and, in the Windows build, under Wine against the same embedded bytes.
#include "content/assets/Assets.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<int32_t> ints(const unsigned char* data, unsigned int size)
{
    std::vector<int32_t> values(size / 4);
    std::memcpy(values.data(), data, values.size() * 4);
    return values;
}

std::vector<float> floats(const unsigned char* data, unsigned int size)
{
    std::vector<float> values(size / 4);
    std::memcpy(values.data(), data, values.size() * 4);
    return values;
}

struct CellRanges {
    int codeMin, codeMax, colourMin, colourMax;
};

// What the third value of a cell may be: text-layer cells never carry a background of their
// own (-1); scroller cells are shown (0) or hidden (-1).
enum class ThirdValue {
    NoBackground,
    Visibility,
};

// Checks every cell of a text block; returns the number of cells whose third value is -1.
// Cells out of range are counted rather than reported one by one.
size_t expectCells(const std::vector<int32_t>& cells, CellRanges r, ThirdValue third)
{
    size_t hidden = 0, badCodes = 0, badColours = 0, badThirds = 0;
    for (size_t i = 0; i + 2 < cells.size(); i += 3) {
        badCodes += cells[i] < r.codeMin || cells[i] > r.codeMax;
        badColours += cells[i + 1] < r.colourMin || cells[i + 1] > r.colourMax;
        if (third == ThirdValue::NoBackground)
            badThirds += cells[i + 2] != -1;
        else
            badThirds += cells[i + 2] != -1 && cells[i + 2] != 0;
        hidden += cells[i + 2] == -1;
    }
    EXPECT_EQ(badCodes, 0u) << "codes outside " << r.codeMin << " to " << r.codeMax;
    EXPECT_EQ(badColours, 0u) << "colours outside " << r.colourMin << " to " << r.colourMax;
    EXPECT_EQ(badThirds, 0u) << "cells with an unexpected third value";
    return hidden;
}

TEST(AssetData, FontsAreBitmapsOfTheirGlyphCounts)
{
    ASSERT_EQ(fontASize, 32768u * 4);
    ASSERT_EQ(fontBSize, 32768u * 4);
    for (const auto& font : {ints(fontA, fontASize), ints(fontB, fontBSize)}) {
        size_t set = 0;
        for (int32_t v : font) {
            ASSERT_TRUE(v == 0 || v == 1);
            set += v;
        }
        EXPECT_GT(set, font.size() / 10);  // real glyphs, not an empty block
    }
}

// Pixels of glyph `code` as strings, for comparisons between the fonts.
std::vector<std::string> glyph(const std::vector<int32_t>& font, int code, int rows)
{
    std::vector<std::string> lines;
    for (int y = 0; y < rows; ++y) {
        std::string line;
        for (int x = 0; x < 8; ++x)
            line += font[(size_t(code) * rows + y) * 8 + x] ? '#' : '.';
        lines.push_back(line);
    }
    return lines;
}

TEST(AssetData, GlyphOrderOfBothFonts)
{
    auto a = ints(fontA, fontASize);
    auto b = ints(fontB, fontBSize);
    // The tall font doubles the rows of the same design, so letter A of code page 437 (65)
    // matches letter A of the screen codes (1) row for row, and so do the upper-case letters
    // of the second screen-code set (321).
    auto tallA = glyph(a, 65, 16);
    auto smallA = glyph(b, 1, 8);
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(tallA[y], smallA[y / 2]) << y;
    EXPECT_EQ(glyph(b, 321, 8), smallA);
    EXPECT_NE(glyph(b, 1, 8), glyph(b, 2, 8));
    EXPECT_NE(glyph(b, 257, 8), smallA);  // 'a' differs from 'A'
    // Codes 128 and on of each set are the reversed glyphs.
    auto reversed = glyph(b, 129, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_NE(reversed[y][x], smallA[y][x]);
    // The space is empty and the full block full.
    for (const auto& line : glyph(a, 32, 16))
        EXPECT_EQ(line, "........");
    for (const auto& line : glyph(a, 219, 16))
        EXPECT_EQ(line, "########");
}

TEST(AssetData, TextLayersHaveTheirCellCountsAndRanges)
{
    ASSERT_EQ(layer1TextSize, 765u * 4);
    ASSERT_EQ(layer2TextSize, 354960u * 4);
    ASSERT_EQ(layer3TextSize, 379440u * 4);
    ASSERT_EQ(layer4TextSize, 146880u * 4);
    expectCells(ints(layer1Text, layer1TextSize), {1, 78, 1, 14}, ThirdValue::NoBackground);
    expectCells(ints(layer2Text, layer2TextSize), {1, 250, 0, 15}, ThirdValue::NoBackground);
    expectCells(ints(layer3Text, layer3TextSize), {32, 219, 1, 15}, ThirdValue::NoBackground);
    expectCells(ints(layer4Text, layer4TextSize), {1, 219, 1, 15}, ThirdValue::NoBackground);
}

TEST(AssetData, ScrollerTextUsesTheScreenCodeFontAndTheSmallPalette)
{
    ASSERT_EQ(scrollerTextSize, 15360u * 4);
    auto cells = ints(scrollerText, scrollerTextSize);
    size_t hidden = expectCells(cells, {0, 345, 1, 31}, ThirdValue::Visibility);
    EXPECT_GT(hidden, 0u);
    EXPECT_LT(hidden, cells.size() / 3);
}

TEST(AssetData, PalettesHoldTheirFixedEntries)
{
    ASSERT_EQ(palette256Size, 768u * 4);
    ASSERT_EQ(palette32Size, 96u * 4);
    auto p = floats(palette256, palette256Size);
    for (float v : p) {
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
    }
    // Text-mode colours use thirds only; 6 is brown, 15 white.
    for (int i = 0; i < 48; ++i) {
        float thirds = p[i] * 3.0f;
        EXPECT_NEAR(thirds, float(int(thirds + 0.5f)), 1e-5f) << i;
    }
    EXPECT_NEAR(p[6 * 3], 2.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(p[6 * 3 + 1], 1.0f / 3.0f, 1e-6f);
    EXPECT_EQ(p[6 * 3 + 2], 0.0f);
    EXPECT_EQ(p[16 * 3], 1.0f);
    EXPECT_EQ(p[16 * 3 + 1], 0.0f);
    EXPECT_EQ(p[16 * 3 + 2], 0.0f);
    for (int i = 18; i <= 31; ++i)
        EXPECT_GT(p[i * 3], p[(i - 1) * 3]) << i;  // the grey ramp rises
    EXPECT_EQ(p[31 * 3], 1.0f);
    EXPECT_EQ(p[31 * 3 + 1], 1.0f);
    for (int i = 248 * 3; i < 768; ++i)
        EXPECT_EQ(p[i], 0.0f);

    auto s = floats(palette32, palette32Size);
    EXPECT_EQ(s[0] + s[1] + s[2], 0.0f);
    for (int i = 3; i < 96; ++i) {
        EXPECT_GE(s[i], 0.0f);
        EXPECT_LE(s[i], 1.0f);
    }
    for (int i = 16; i < 32; ++i) {
        EXPECT_GE(s[i * 3], 0.6f) << i;
        EXPECT_EQ(s[i * 3], s[i * 3 + 1]) << i;
    }
}

TEST(AssetData, MapImageIsAnRgbaPngOf1280By720)
{
    ASSERT_GT(mapImageSize, 33u);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_EQ(std::memcmp(mapImage, signature, 8), 0);
    EXPECT_EQ(std::memcmp(mapImage + 12, "IHDR", 4), 0);
    auto be32 = [](const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; };
    EXPECT_EQ(be32(mapImage + 16), 1280u);
    EXPECT_EQ(be32(mapImage + 20), 720u);
    EXPECT_EQ(mapImage[24], 8);  // bits per channel
    EXPECT_EQ(mapImage[25], 6);  // RGBA
    EXPECT_EQ(mapImage[28], 0);  // not interlaced
    // Chunks: IHDR, one IDAT, IEND.
    std::vector<std::string> chunks;
    for (uint32_t at = 8; at + 8 <= mapImageSize;) {
        uint32_t length = be32(mapImage + at);
        chunks.emplace_back(reinterpret_cast<const char*>(mapImage + at + 4), 4);
        at += 12 + length;
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

}  // namespace
