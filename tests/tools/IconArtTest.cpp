#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tools/icon/IconArt.h"

namespace Nimbra {
namespace {

uint32_t read16(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t)b.at(at) | ((uint32_t)b.at(at + 1) << 8);
}

uint32_t read32(const std::vector<uint8_t>& b, size_t at)
{
    return read16(b, at) | (read16(b, at + 2) << 16);
}

std::vector<uint8_t> readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(IconArt, CommittedIconIsTheToolsOutput)
{
    const std::vector<uint8_t> committed = readFile(NIMBRA_DEMO_ICO);
    ASSERT_FALSE(committed.empty()) << NIMBRA_DEMO_ICO;
    EXPECT_TRUE(committed == buildDemoIcon())
        << "regenerate with: build/host/tools/icon/make_icon app/resources/demo.ico";
}

TEST(IconArt, FileHoldsA16AndA32ImageAt8BitsWithPalette)
{
    const std::vector<uint8_t> ico = buildDemoIcon();
    ASSERT_GE(ico.size(), 38u);
    EXPECT_EQ(read16(ico, 0), 0u);
    EXPECT_EQ(read16(ico, 2), 1u);  // icon, not cursor
    ASSERT_EQ(read16(ico, 4), 2u);
    const int sizes[2] = {16, 32};
    size_t expectedOffset = 6 + 2 * 16;
    for (int k = 0; k < 2; ++k) {
        const size_t entry = 6 + 16 * (size_t)k;
        const uint32_t n = (uint32_t)sizes[k];
        SCOPED_TRACE(n);
        EXPECT_EQ(ico[entry], n);
        EXPECT_EQ(ico[entry + 1], n);
        EXPECT_EQ(ico[entry + 2], 0u);  // 256 colours
        EXPECT_EQ(read16(ico, entry + 4), 1u);
        EXPECT_EQ(read16(ico, entry + 6), 8u);
        const uint32_t maskRow = (n + 31) / 32 * 4;
        const uint32_t bytes = read32(ico, entry + 8);
        EXPECT_EQ(bytes, 40 + 256 * 4 + n * n + maskRow * n);
        ASSERT_EQ(read32(ico, entry + 12), expectedOffset);

        const size_t header = expectedOffset;
        EXPECT_EQ(read32(ico, header), 40u);
        EXPECT_EQ(read32(ico, header + 4), n);
        EXPECT_EQ(read32(ico, header + 8), 2 * n);  // colour rows and mask rows
        EXPECT_EQ(read16(ico, header + 12), 1u);
        EXPECT_EQ(read16(ico, header + 14), 8u);
        EXPECT_EQ(read32(ico, header + 16), 0u);  // uncompressed
        expectedOffset += bytes;
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

// Transparent pixels must be colour 0 (black) under a set mask bit, so the desktop shows
// through unchanged; opaque pixels use the drawn colours, never the background entry.
TEST(IconArt, MaskAndColoursAgreeInEveryImage)
{
    const std::vector<uint8_t> ico = buildDemoIcon();
    for (int k = 0; k < 2; ++k) {
        const uint32_t n = ico[6 + 16 * (size_t)k];
        const size_t header = read32(ico, 6 + 16 * (size_t)k + 12);
        const size_t colours = header + 40 + 1024;
        const uint32_t maskRow = (n + 31) / 32 * 4;
        const size_t mask = colours + n * n;
        int opaque = 0;
        for (uint32_t row = 0; row < n; ++row) {
            for (uint32_t x = 0; x < n; ++x) {
                const uint8_t index = ico[colours + row * n + x];
                const bool transparent = (ico[mask + row * maskRow + x / 8] >> (7 - x % 8)) & 1;
                if (transparent) {
                    EXPECT_EQ(index, 0u) << n << " " << x << "," << row;
                } else {
                    EXPECT_NE(index, 0u) << n << " " << x << "," << row;
                    ++opaque;
                }
            }
        }
        // A disc filling the square covers pi/4 of it.
        EXPECT_NEAR(opaque, 0.785 * n * n, 0.06 * n * n) << n;
    }
}

TEST(IconArt, DiscIsOpaqueInTheMiddleAndClearInTheCorners)
{
    for (int size : {16, 32, 48}) {
        const IconImage image = drawIcon(size);
        ASSERT_EQ(image.pixels.size(), (size_t)(size * size));
        const auto at = [&](int x, int y) { return (size_t)(y * size + x); };
        EXPECT_FALSE(image.opaque[at(0, 0)]);
        EXPECT_FALSE(image.opaque[at(size - 1, 0)]);
        EXPECT_FALSE(image.opaque[at(0, size - 1)]);
        EXPECT_FALSE(image.opaque[at(size - 1, size - 1)]);
        EXPECT_TRUE(image.opaque[at(size / 2, size / 2)]);
        EXPECT_TRUE(image.opaque[at(size / 2, 0)]);  // the rim touches the edges
        EXPECT_TRUE(image.opaque[at(0, size / 2)]);
    }
}

TEST(IconArt, PaletteStartsWithTheBackgroundAndHasNoRepeatsInTheGradient)
{
    const std::vector<uint32_t> palette = iconPalette();
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], 0u);
    int repeats = 0;
    for (size_t i = 2; i < 200; ++i)
        repeats += palette[i] == palette[i - 1];
    EXPECT_LT(repeats, 10);
}

}  // namespace
}  // namespace Nimbra
