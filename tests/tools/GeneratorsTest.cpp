// The generators of the content data: deterministic, and the committed files are their
// current output (run `make assets` after changing a generator).
#include "tools/assetgen/Fonts.h"
#include "tools/assetgen/GeneratedFiles.h"
#include "tools/assetgen/TextArt.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>

using namespace Nimbra::AssetGen;

namespace {

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Generators, SameBytesEveryRun)
{
    auto first = generateAllFiles();
    auto second = generateAllFiles();
    ASSERT_EQ(first.size(), 10u);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name;
    }
}

TEST(Generators, CommittedDataIsUpToDate)
{
    for (const auto& file : generateAllFiles()) {
        auto committed = readFile(std::string(NIMBRA_ASSET_DATA_DIR) + "/" + file.name);
        EXPECT_FALSE(committed.empty()) << file.name;
        EXPECT_TRUE(committed == file.bytes) << file.name << " differs: run `make assets`";
    }
}

TEST(Generators, LittleEndianEncoding)
{
    EXPECT_EQ(toBytes(std::vector<int32_t>{-1, 0x01020304}),
              (std::vector<uint8_t>{0xff, 0xff, 0xff, 0xff, 4, 3, 2, 1}));
    EXPECT_EQ(toBytes(std::vector<float>{1.0f}), (std::vector<uint8_t>{0, 0, 0x80, 0x3f}));
}

TEST(Generators, ScreenCodesOfTheScrollerText)
{
    EXPECT_EQ(screenCodeOf('a'), 257);
    EXPECT_EQ(screenCodeOf('z'), 282);
    EXPECT_EQ(screenCodeOf('A'), 321);
    EXPECT_EQ(screenCodeOf(' '), 288);
    EXPECT_EQ(screenCodeOf('0'), 256 + '0');
    EXPECT_EQ(screenCodeOf('~'), 288);  // not in the font: a space
}

// Box drawing joins: a double corner is an outer and an inner corner, and every line of a
// piece reaches the cell's edge so that frames close.
TEST(Generators, BoxDrawingPiecesReachTheirEdges)
{
    auto font = buildTextModeFont();
    auto pixel = [&](int code, int x, int y) { return font[(size_t(code) * 16 + y) * 8 + x] != 0; };
    // 201: double down and right.
    EXPECT_TRUE(pixel(201, 7, 6));
    EXPECT_TRUE(pixel(201, 7, 8));
    EXPECT_TRUE(pixel(201, 2, 15));
    EXPECT_TRUE(pixel(201, 4, 15));
    EXPECT_FALSE(pixel(201, 0, 7));
    EXPECT_FALSE(pixel(201, 3, 0));
    EXPECT_FALSE(pixel(201, 3, 10));  // hollow between the two lines
    // 197: single cross.
    EXPECT_TRUE(pixel(197, 3, 0) && pixel(197, 3, 15) && pixel(197, 0, 7) && pixel(197, 7, 7));
    // 205 joins 205 horizontally and 186 joins 186 vertically.
    for (int y : {6, 8})
        EXPECT_TRUE(pixel(205, 0, y) && pixel(205, 7, y));
    for (int x : {2, 4})
        EXPECT_TRUE(pixel(186, x, 0) && pixel(186, x, 15));
}

TEST(Generators, TextLayersSplitIntoFrames)
{
    EXPECT_EQ(buildLogoLayer().size(), size_t(PageColumns) * PageRows * LogoFrames * 3);
    EXPECT_EQ(buildInfoLayer().size(), size_t(PageColumns) * PageRows * InfoFrames * 3);
    EXPECT_EQ(buildPatternLayer().size(), size_t(PageColumns) * PageRows * PatternFrames * 3);
    EXPECT_EQ(buildStripLayer().size(), size_t(StripColumns) * StripRows * 3);
    EXPECT_EQ(buildScrollerText().size(), size_t(ScrollerColumns) * ScrollerLines * ScrollerFrames * 3);

    // The logo starts empty and is complete in its last frame; the info page types itself in.
    auto logo = buildLogoLayer();
    auto printed = [](const std::vector<int32_t>& cells, int frame) {
        size_t frameInts = size_t(PageColumns) * PageRows * 3, count = 0;
        for (size_t i = frame * frameInts; i < (frame + 1) * frameInts; i += 3)
            count += cells[i] != 32;
        return count;
    };
    EXPECT_EQ(printed(logo, 0), 0u);
    EXPECT_GT(printed(logo, 14), 0u);
    EXPECT_LT(printed(logo, 14), printed(logo, 28));
    auto info = buildInfoLayer();
    EXPECT_LT(printed(info, 5), printed(info, 10));
    EXPECT_LT(printed(info, 10), printed(info, 19));
}

// Every printable character has a design in both fonts, and the scroller hides exactly its
// spaces, which the cube program skips without reading the font.
TEST(Generators, EveryPrintableCharacterIsDrawnAndOnlySpacesAreHidden)
{
    auto tall = buildTextModeFont();
    auto small = buildScreenCodeFont();
    auto pixels = [](const std::vector<int32_t>& font, int code, int rows) {
        int count = 0;
        for (int i = 0; i < rows * 8; ++i)
            count += font[size_t(code) * rows * 8 + i];
        return count;
    };
    for (int c = 33; c < 127; ++c) {
        EXPECT_GT(pixels(tall, c, 16), 0) << char(c);
        // The screen codes have no backslash, caret, underscore, backquote or braces.
        bool inScreenCodes =
            c < 64 || c == '@' || c == '[' || c == ']' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (inScreenCodes) {
            EXPECT_GT(pixels(small, screenCodeOf(char(c)), 8), 0) << char(c);
        }
    }
    EXPECT_EQ(pixels(tall, 32, 16), 0);
    EXPECT_EQ(pixels(small, screenCodeOf(' '), 8), 0);

    auto cells = buildScrollerText();
    for (size_t i = 0; i < cells.size(); i += 3)
        EXPECT_EQ(cells[i + 2] == HiddenCell, cells[i] == screenCodeOf(' ')) << "cell " << i / 3;
}

// The whole-number constants a program declares ("static const int Name = 3;").
std::map<std::string, long> shaderConstants(const std::string& file)
{
    std::ifstream in(std::string(NIMBRA_SOURCE_DIR) + "/content/shaders/" + file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    std::map<std::string, long> constants;
    const std::regex declaration(R"(static const u?int (\w+) = (-?\d+);)");
    for (std::sregex_iterator m(source.begin(), source.end(), declaration), end; m != end; ++m)
        constants[(*m)[1]] = std::stol((*m)[2]);
    return constants;
}

// The generators and the programs that read their cells agree on the shapes, the markers of
// the third value and the logo's sweep and panel.
TEST(Generators, ShapesAndMarkersMatchThePrograms)
{
    auto layers = shaderConstants("TextLayers.hlsli");
    ASSERT_FALSE(layers.empty()) << "TextLayers.hlsli not found under " << NIMBRA_SOURCE_DIR;
    const std::map<std::string, long> shared = {
        {"PageColumns", PageColumns},         {"PageRows", PageRows},
        {"StripColumns", StripColumns},       {"StripRows", StripRows},
        {"Layer2Frames", LogoFrames},         {"Layer3Frames", InfoFrames},
        {"Layer4Frames", PatternFrames},      {"NoBackground", NoBackground},
        {"LogoSweepLength", LogoSweepLength}, {"LogoSweepFrames", LogoSweepFrames},
        {"LogoSweepTrail", LogoSweepTrail},   {"LogoSweepOriginRow", LogoSweepOriginRow},
        {"LogoPanelTop", LogoPanelTop},       {"LogoPanelBottom", LogoPanelBottom},
    };
    for (const auto& [name, value] : shared) {
        ASSERT_EQ(layers.count(name), 1u) << name << " is not declared in TextLayers.hlsli";
        EXPECT_EQ(layers[name], value) << name;
    }

    auto scroller = shaderConstants("scrollerVS.hlsl");
    EXPECT_EQ(scroller["PageColumns"], ScrollerColumns);
    EXPECT_EQ(scroller["PageLines"], ScrollerLines);
    EXPECT_EQ(scroller["TextFrames"], ScrollerFrames);
    ASSERT_EQ(scroller.count("HiddenCell"), 1u);
    EXPECT_EQ(scroller["HiddenCell"], HiddenCell);
}

}  // namespace
