#include "tools/assetgen/TextArt.h"

#include "tools/assetgen/Fonts.h"
#include "tools/assetgen/GlyphDesigns.h"

#include <cmath>
#include <cstring>
#include <string>

namespace Nimbra::AssetGen {
namespace {

struct Cell {
    int32_t code = 32;
    int32_t colour = 7;
};

// One frame of cells with clipped drawing.
class Page
{
public:
    Page(int columns, int rows) : columns_(columns), rows_(rows), cells_(size_t(columns) * rows) {}

    void put(int x, int y, int code, int colour)
    {
        if (x < 0 || y < 0 || x >= columns_ || y >= rows_)
            return;
        cells_[size_t(y) * columns_ + x] = Cell{code, colour};
    }

    void text(int x, int y, const char* s, int colour)
    {
        for (int i = 0; s[i]; ++i)
            put(x + i, y, (unsigned char)s[i], colour);
    }

    const Cell& at(int x, int y) const { return cells_[size_t(y) * columns_ + x]; }
    Cell& at(int x, int y) { return cells_[size_t(y) * columns_ + x]; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }

    void appendTo(std::vector<int32_t>& out) const
    {
        for (const Cell& c : cells_) {
            out.push_back(c.code);
            out.push_back(c.colour);
            out.push_back(NoBackground);
        }
    }

private:
    int columns_, rows_;
    std::vector<Cell> cells_;
};

// Box-drawing codes of the text-mode set.
enum Box {
    DoubleHorizontal = 205,
    DoubleVertical = 186,
    DoubleTopLeft = 201,
    DoubleTopRight = 187,
    DoubleBottomLeft = 200,
    DoubleBottomRight = 188,
    SingleHorizontal = 196,
    SingleVertical = 179,
    SingleTopLeft = 218,
    SingleTopRight = 191,
    SingleBottomLeft = 192,
    SingleBottomRight = 217,
    DoubleTeeLeftSingle = 199,
    DoubleTeeRightSingle = 182,
    FullBlock = 219,
    LightShade = 176,
    MediumShade = 177,
    DarkShade = 178,
    UpperHalf = 223,
    LowerHalf = 220,
};

void frame(Page& p, int x0, int y0, int x1, int y1, bool doubled, int colour)
{
    int h = doubled ? DoubleHorizontal : SingleHorizontal;
    int v = doubled ? DoubleVertical : SingleVertical;
    for (int x = x0 + 1; x < x1; ++x) {
        p.put(x, y0, h, colour);
        p.put(x, y1, h, colour);
    }
    for (int y = y0 + 1; y < y1; ++y) {
        p.put(x0, y, v, colour);
        p.put(x1, y, v, colour);
    }
    p.put(x0, y0, doubled ? DoubleTopLeft : SingleTopLeft, colour);
    p.put(x1, y0, doubled ? DoubleTopRight : SingleTopRight, colour);
    p.put(x0, y1, doubled ? DoubleBottomLeft : SingleBottomLeft, colour);
    p.put(x1, y1, doubled ? DoubleBottomRight : SingleBottomRight, colour);
}

// A deterministic hash for sparkles and dissolves.
uint32_t hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// ---- Layer 1 ------------------------------------------------------------------------------

std::vector<int32_t> stripCells()
{
    Page p(StripColumns, StripRows);
    // Top and bottom rows: a row of teeth, triangles up above and down below, in a colour run.
    const int run[] = {9, 11, 10, 14, 12, 13};
    for (int x = 0; x < StripColumns; ++x) {
        int colour = run[(x / 4) % 6];
        p.put(x, 0, x % 2 ? 30 : 31, colour);
        p.put(x, 2, x % 2 ? 31 : 30, colour);
    }
    // The middle row: words made of the letters A to N between notes, hearts and suns.
    const char* words[] = {"DANCE", "BIG BEAM", "ACID HACK", "MAGIC", "JAM", "BLEND", "1 2 3 4"};
    const int symbols[] = {13, 14, 15, 3, 16, 17, 4};
    int x = 0;
    for (int w = 0; x < StripColumns; w = (w + 1) % 7) {
        p.put(x++, 1, symbols[w], 14);
        p.put(x++, 1, 32, 7);
        for (const char* c = words[w]; *c && x < StripColumns; ++c)
            p.put(x++, 1, (unsigned char)*c, run[w % 6]);
        p.put(x++, 1, 32, 7);
    }
    std::vector<int32_t> out;
    p.appendTo(out);
    return out;
}

// ---- Layer 2 ------------------------------------------------------------------------------

constexpr int LogoTop = 5;
constexpr int LogoLeft = 1;
constexpr int LogoLetterWidth = 13;

// The logo page at full strength: the title in big block letters with an extruded shadow.
Page logoPage()
{
    Page p(PageColumns, PageRows);
    const char* title = "NIMBRA";
    // Colour bands from the top of the letters down: white, cyan, light blue, blue, magenta.
    const int bands[7] = {15, 11, 11, 9, 9, 13, 5};
    bool solid[PageRows][PageColumns] = {};
    for (int letter = 0; title[letter]; ++letter) {
        Glyph8 g = asciiGlyph(title[letter]);
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 7; ++gx) {
                if (!((g.rows[gy] >> (7 - gx)) & 1))
                    continue;
                // Columns 0 to 5 of the design are two cells wide, column 6 one cell.
                int x = LogoLeft + letter * LogoLetterWidth + gx * 2;
                int width = gx < 6 ? 2 : 1;
                for (int i = 0; i < width; ++i)
                    solid[LogoTop + gy][x + i] = true;
            }
    }
    for (int y = 0; y < PageRows; ++y)
        for (int x = 0; x < PageColumns; ++x) {
            if (solid[y][x])
                p.put(x, y, FullBlock, bands[y - LogoTop]);
            else if (y > 0 && x > 0 && solid[y - 1][x - 1])
                p.put(x, y, UpperHalf, 1);  // the extrusion, one cell down and right
            else if (x > 0 && solid[y][x - 1])
                p.put(x, y, DarkShade, 1);
        }
    // Rules above and below, and the subtitle.
    for (int x = 2; x < PageColumns - 2; ++x) {
        p.put(x, LogoTop - 2, x % 3 ? SingleHorizontal : 250, 8);
        p.put(x, LogoTop + 9, x % 3 ? SingleHorizontal : 250, 8);
    }
    p.text(17, LogoTop + 11, "a real-time audiovisual trip of 107 seconds", 7);
    p.text(27, LogoTop + 13, "\x10 code \x07 music \x07 pixels \x11", 3);
    // The dark panel behind the title block, from the row above the upper rule to the row
    // below the subtitle, is drawn by the layers program (LogoPanelTop to LogoPanelBottom).
    static_assert(LogoPanelTop == LogoTop - 3 && LogoPanelBottom == LogoTop + 14, "panel around the title");
    return p;
}

std::vector<int32_t> logoCells()
{
    Page full = logoPage();
    std::vector<int32_t> out;
    // Frame 0 is empty; frames 1 to 28 sweep the logo in along a diagonal, the front of the
    // sweep glittering in light shades.
    static_assert(LogoSweepLength == PageColumns + 2 * 24, "the front crosses the page and its slant");
    static_assert(LogoSweepOriginRow == LogoTop - 2, "the sweep starts at the upper rule");
    for (int f = 0; f < LogoFrames; ++f) {
        Page p(PageColumns, PageRows);
        float front = f == 0 ? -100.0f : (f / float(LogoSweepFrames)) * LogoSweepLength;
        for (int y = 0; y < PageRows; ++y)
            for (int x = 0; x < PageColumns; ++x) {
                const Cell& c = full.at(x, y);
                float position = x + 2.0f * (y - LogoSweepOriginRow);
                float behind = front - position;
                if (behind >= float(LogoSweepTrail) || (f >= LogoSweepFrames && c.code != 32))
                    p.at(x, y) = c;
                else if (behind >= 0.0f && c.code != 32) {
                    bool glitter = (hash(uint32_t(x * 131 + y * 7 + f * 977)) & 3) != 0;
                    p.put(x, y, glitter ? (behind < 1.5f ? LightShade : MediumShade) : c.code, 15);
                }
            }
        p.appendTo(out);
    }
    return out;
}

// ---- Layer 3 ------------------------------------------------------------------------------

Page infoPage()
{
    Page p(PageColumns, PageRows);
    frame(p, 2, 2, 77, 28, true, 9);
    // Title bar with a tee-joined rule under it.
    p.text(30, 2, "\xb5 NIMBRA SYSTEM \xc6", 11);
    for (int x = 3; x < 77; ++x)
        p.put(x, 4, SingleHorizontal, 1);
    p.put(2, 4, DoubleTeeLeftSingle, 9);
    p.put(77, 4, DoubleTeeRightSingle, 9);
    p.text(5, 3, "node 01", 3);
    p.text(64, 3, "online \xdb", 10);

    const char* lines[] = {
        "> boot sequence ........................ ok",
        "> tracker replayer ..................... 10 channels",
        "> cube scroller ........................ 1081344 instances",
        "> wave rings ........................... 60 ribbons",
        "> text layers .......................... 4 stacked",
        "> signal ............................... unstable",
        "",
        "  the screen is yours. sit back, turn it up loud,",
        "  and let the cubes fly.",
    };
    int y = 6;
    for (const char* line : lines) {
        p.text(5, y, line, 7);
        // The value after the dots in a brighter colour.
        const char* dots = std::strstr(line, ". ");
        if (dots)
            p.text(5 + int(dots - line) + 2, y, dots + 2, 14);
        ++y;
    }
    // Meters: a frame with shaded bars of different lengths.
    frame(p, 5, 17, 38, 25, false, 8);
    p.text(7, 17, " levels ", 11);
    const int levels[6] = {22, 14, 27, 9, 18, 25};
    const int colours[6] = {12, 14, 10, 11, 9, 13};
    for (int i = 0; i < 6; ++i) {
        p.text(7, 18 + i, "ch", 8);
        p.put(9, 18 + i, '1' + i, 8);
        for (int x = 0; x < levels[i]; ++x)
            p.put(11 + x, 18 + i, x + 3 < levels[i] ? FullBlock : (x + 1 < levels[i] ? DarkShade : MediumShade),
                  colours[i]);
    }
    frame(p, 41, 17, 74, 25, false, 8);
    p.text(43, 17, " message ", 11);
    p.text(43, 19, "greetings to every crew that", 7);
    p.text(43, 20, "still ships a demo on a", 7);
    p.text(43, 21, "deadline and a broken night", 7);
    p.text(43, 22, "of sleep. keep it real-time.", 7);
    p.text(43, 24, "\xb0\xb1\xb2\xdb\xdb\xb2\xb1\xb0", 12);

    // A lower panel for when the page scrolls up.
    frame(p, 2, 31, 77, 47, true, 5);
    p.text(33, 31, " \xae MEMORY MAP \xaf ", 13);
    for (int row = 0; row < 13; ++row)
        for (int col = 0; col < 70; ++col) {
            uint32_t h = hash(uint32_t(row * 97 + col * 13));
            int code = (h & 7) == 0 ? FullBlock : ((h & 7) < 3 ? DarkShade : ((h & 7) < 5 ? MediumShade : LightShade));
            int colour = 1 + int((h >> 8) % 15);
            p.put(5 + col, 33 + row, code, colour < 8 ? colour + 8 : colour);
        }
    return p;
}

std::vector<int32_t> infoCells()
{
    Page full = infoPage();
    // Reading order of the printed cells: the typing animation reveals them in this order.
    int printed = 0;
    for (int y = 0; y < PageRows; ++y)
        for (int x = 0; x < PageColumns; ++x)
            printed += full.at(x, y).code != 32;
    std::vector<int32_t> out;
    constexpr int typingFrames = 19;
    for (int f = 0; f < InfoFrames; ++f) {
        Page p(PageColumns, PageRows);
        int reveal = f >= typingFrames ? printed : printed * f / typingFrames;
        int shown = 0;
        int cursorX = -1, cursorY = -1;
        for (int y = 0; y < PageRows; ++y)
            for (int x = 0; x < PageColumns; ++x) {
                const Cell& c = full.at(x, y);
                if (c.code == 32)
                    continue;
                if (shown < reveal) {
                    p.at(x, y) = c;
                    cursorX = x + 1;
                    cursorY = y;
                }
                ++shown;
            }
        // A blinking block cursor after the last printed cell, or after the prompt when done.
        if (f >= typingFrames) {
            cursorX = 49;
            cursorY = 14;
        }
        if (cursorX >= 0 && (f < typingFrames || f % 2 == 0))
            p.put(cursorX, cursorY, FullBlock, 15);
        p.appendTo(out);
    }
    return out;
}

// ---- Layer 4 ------------------------------------------------------------------------------

std::vector<int32_t> patternCells()
{
    std::vector<int32_t> out;
    const int shades[5] = {32, LightShade, MediumShade, DarkShade, FullBlock};
    const int colours[6] = {1, 9, 5, 13, 1, 8};  // blues and violets, like the map
    for (int f = 0; f < PatternFrames; ++f) {
        Page p(PageColumns, PageRows);
        // Frames 9 and 10 pulse on the beat: the same phase, one of them brighter.
        float phase = (f == 10 ? 9 : f) * 0.55f;
        float boost = f == 10 ? 0.6f : 0.0f;
        for (int y = 0; y < PageRows; ++y)
            for (int x = 0; x < PageColumns; ++x) {
                float fx = x * 0.5f, fy = float(y);
                float v =
                    std::sin(fx * 0.21f + phase) + std::sin(fy * 0.27f - phase * 0.7f) +
                    std::sin((fx + fy) * 0.13f + phase * 1.3f) +
                    std::sin(std::sqrt((fx - 20.0f) * (fx - 20.0f) + (fy - 25.0f) * (fy - 25.0f)) * 0.35f - phase);
                float level = (v + 4.0f) / 8.0f + boost * 0.25f;  // 0 .. 1
                int shade = int(level * 6.0f) - 1;
                if (shade < 0)
                    continue;
                if (shade > 4)
                    shade = 4;
                int colour = colours[int((v + 4.0f) * 1.5f + f) % 6];
                p.put(x, y, shades[shade], f == 10 ? (colour < 8 ? colour + 8 : colour) : colour);
            }
        p.appendTo(out);
    }
    return out;
}

// ---- Scroller -----------------------------------------------------------------------------

const char* const ScrollerPages[ScrollerFrames][ScrollerLines] = {
    {"", "    NIMBRA", "", "   presents a demo", "   in real time", "", "", ""},
    {"", " cubes, rings and", " text in one frame", "", " made with love for", " the big screen", "", ""},
    {"", " every letter you", " read is built from", " tiny lit cubes", "", " a million of them", " each frame", ""},
    {"", "  turn up the", "  volume and", "  lean back", "", "", "", ""},
    {"", " the music is a", " tracker module", " ten channels", " played by our own", " replayer", "", ""},
    {"", " no video files", " no precalc", " only shaders and", " numbers", "", "", ""},
    {"", "  greetings fly", "  out to all", "  demo crews", "  big and small", "", "", ""},
    {"", " to the coders who", " still count cycles", "", " to the musicians", " who count rows", "", ""},
    {"", " to the pixel folk", " who count colours", "", " and to you who", " counts the frames", "", ""},
    {"", "    64 K", "   of spirit", "   in 64 bits", "", "", "", ""},
    {"", " hold on tight", " the signal gets", " rough from here", "", "", "", ""},
    {"", " R E A L   T I M E", "", " R E A L   F U N", "", "", "", ""},
    {"", "  dance dance", "  dance", "", "  and dance", "  some more", "", ""},
    {"", " the cubes do not", " care about depth", " of field", "", " the blur does", "", ""},
    {"", " press escape if", " you must", "", " but why would you", "", "", ""},
    {"", " nearly there", "", " one more round", " of the chorus", "", "", ""},
    {"", "  WAVE", "  after", "  WAVE", "  after", "  WAVE", "", ""},
    {"", " thanks for", " watching", "", " see you at the", " next party", "", ""},
    {"", "    N I M B R A", "", "", "  signing off", "", "", ""},
    {"", "", "    the end", "", "", "", "", ""},
};

std::vector<int32_t> scrollerCells()
{
    std::vector<int32_t> out;
    out.reserve(ScrollerFrames * ScrollerLines * ScrollerColumns * 3);
    for (int f = 0; f < ScrollerFrames; ++f)
        for (int line = 0; line < ScrollerLines; ++line) {
            // Lines are centred: the block turns about its middle.
            std::string text = ScrollerPages[f][line];
            while (!text.empty() && text.front() == ' ')
                text.erase(text.begin());
            int left = (ScrollerColumns - int(text.size())) / 2;
            for (int x = 0; x < ScrollerColumns; ++x) {
                int at = x - left;
                char c = at >= 0 && at < int(text.size()) ? text[at] : ' ';
                // Colours run diagonally through the neon entries 1 to 15; spaces are hidden.
                int colour = 1 + (x / 3 + line + f) % 15;
                out.push_back(screenCodeOf(c));
                out.push_back(colour);
                out.push_back(c == ' ' ? HiddenCell : ShownCell);
            }
        }
    return out;
}

}  // namespace

std::vector<int32_t> buildStripLayer()
{
    return stripCells();
}
std::vector<int32_t> buildLogoLayer()
{
    return logoCells();
}
std::vector<int32_t> buildInfoLayer()
{
    return infoCells();
}
std::vector<int32_t> buildPatternLayer()
{
    return patternCells();
}
std::vector<int32_t> buildScrollerText()
{
    return scrollerCells();
}

}  // namespace Nimbra::AssetGen
