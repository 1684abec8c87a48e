// The overlay's layout read back as text: where the quads put which glyph in a small window. A
// line too long for the window ends in a right arrow, a block with more lines than room in a
// down arrow, a character beyond ASCII is one glyph, and a hidden overlay draws nothing.
#include "app/live/OverlayLayout.h"

#include <gtest/gtest.h>

#include <map>

namespace Nimbra {
namespace {

using Lines = std::vector<std::string>;

// Below 1440 rows a glyph is 8 x 16 pixels and a row's text starts 8 pixels in (a margin of 4,
// then the backdrop's own 4).
constexpr int glyphWidth = 8;
constexpr int textLeft = 8;
const std::string right = "\xE2\x86\x92", down = "\xE2\x86\x93";  // the marks, as the tests write them

// The rows of text the quads show, by the pixel row of their top; blanks between glyphs as
// spaces, the marks as arrows.
std::map<int, std::string> screenRows(const std::vector<Gfx::OverlayQuad>& quads)
{
    std::map<int, std::map<int, int32_t>> glyphs;  // by top, then by column
    for (const Gfx::OverlayQuad& q : quads)
        if (q.glyph >= 0)
            glyphs[int(q.top)][(int(q.left) - textLeft) / glyphWidth] = q.glyph;
    std::map<int, std::string> rows;
    for (const auto& [top, row] : glyphs) {
        std::vector<std::string> cells;
        for (const auto& [column, glyph] : row) {
            cells.resize(size_t(column), " ");
            cells.push_back(glyph == 26 ? right : glyph == 25 ? down : std::string(1, char(glyph)));
        }
        for (const std::string& cell : cells)
            rows[top] += cell;
    }
    return rows;
}

Lines screenText(const LiveView& view, int width, int height)
{
    Lines text;
    for (const auto& row : screenRows(overlayLayout(view, width, height)))
        text.push_back(row.second);
    return text;
}

const std::string status = "12.48 s  row 208  bar 6  playing  no loop  no editor";  // 51 characters

LiveView viewOf(Lines errors, std::string statusLine, bool help = false)
{
    LiveView view;
    view.errorLines = std::move(errors);
    view.status = std::move(statusLine);
    view.helpShown = help;
    view.helpLines = {"Space  pause / play", "Home   the start", "Esc    quit"};
    return view;
}

// At 320 x 180 a row holds 38 glyphs ((320 - 4 x 4) / 8); the status line's text starts at row
// 156 (180 - 4 - 24 + 4), and the blocks above it have rows 4 to 148.
TEST(OverlayLayout, LinesThatDoNotFitEndInAMark)
{
    const std::string x37(37, 'x');
    const struct {
        const char* what;
        LiveView view;
        Lines screen;
    } cases[] = {
        {"the status line, cut", viewOf({}, status), {"12.48 s  row 208  bar 6  playing  no " + right}},
        {"a character beyond ASCII is one glyph, whatever its length in UTF-8",
         viewOf({x37 + "\xC3\xA4", "\xC3\xA4, \xE2\x82\xAC or \xF0\x9F\x8E\xB5"}, ""),
         {x37 + "?", "?, ? or ?"}},
        {"38 glyphs and one more", viewOf({x37 + "\xC3\xA4z"}, ""), {x37 + right}},
        // Six error lines take rows 4 to 108; the help under them has room for one.
        {"the help without room for its lines",
         viewOf({"a", "b", "c", "d", "e", "f"}, status, true),
         {"a", "b", "c", "d", "e", "f", "Space  pause / play" + down, "12.48 s  row 208  bar 6  playing  no " + right}},
        {"without an error the help has room",
         viewOf({}, "", true),
         {"Space  pause / play", "Home   the start", "Esc    quit"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(screenText(c.view, 320, 180), c.screen) << c.what;

    LiveView hidden = viewOf({"a"}, status);
    hidden.overlayShown = false;
    EXPECT_TRUE(overlayLayout(hidden, 320, 180).empty());
}

// Every size demo-sync takes, from 1 up. Each width: the status line whole, or as many of its
// characters as fit inside the margins (8 pixels each side) with the mark after them; only a
// window too narrow for one glyph shows the mark alone, cut by its edge. Each height: the error's
// lines as far as they fit above the bottom margin (8 pixels), the last one shown ending in the
// down arrow when some are left out; the first shows however little room there is.
TEST(OverlayLayout, EveryWindowSizeShowsWhatIsCut)
{
    for (int width = 1; width <= 440; ++width) {
        const Lines screen = screenText(viewOf({}, status), width, 180);
        ASSERT_EQ(screen.size(), 1u) << width;
        const std::string& shown = screen[0];
        const bool whole = shown == status;
        const size_t kept = whole ? status.size() : shown.size() - right.size();
        ASSERT_TRUE(whole || shown == status.substr(0, kept) + right) << width << ": " << shown;
        const int end = textLeft + int(whole ? kept : kept + 1) * glyphWidth;
        EXPECT_TRUE(end <= width - textLeft || kept == 0) << width << ": " << shown;
        EXPECT_TRUE(whole || end + glyphWidth > width - textLeft) << width << ": room for one more";
    }
    const Lines errors = {"first", "2", "3", "4", "5", "6"};
    for (int height = 1; height <= 160; ++height) {
        const std::map<int, std::string> rows = screenRows(overlayLayout(viewOf(errors, ""), 320, height));
        ASSERT_FALSE(rows.empty()) << height;
        Lines shown = errors;
        shown.resize(rows.size());
        if (rows.size() < errors.size())
            shown.back() += down;
        size_t r = 0;
        for (const auto& [top, text] : rows)
            EXPECT_EQ(text, shown[r++]) << height;
        const int lastTop = rows.rbegin()->first;
        EXPECT_TRUE(lastTop + 16 <= height - 8 || rows.size() == 1) << height;
        EXPECT_TRUE(rows.size() == errors.size() || lastTop + 32 > height - 8) << height << ": room for one more";
    }
}

}  // namespace
}  // namespace Nimbra
