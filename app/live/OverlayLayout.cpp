#include "app/live/OverlayLayout.h"

#include <algorithm>
#include <string>

namespace Nimbra {
namespace {

using Gfx::OverlayQuad;

struct Colour {
    float r, g, b, a;
};
constexpr Colour backdrop = {0.0f, 0.0f, 0.0f, 0.7f};
constexpr Colour errorHead = {1.0f, 0.85f, 0.3f, 1.0f};  // the "file:line: message" line
constexpr Colour plainText = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Colour helpText = {0.75f, 0.9f, 1.0f, 1.0f};

// The font's glyph for each character: ASCII as it is, control characters blank, anything beyond
// ASCII (one UTF-8 sequence) a question mark.
std::vector<int32_t> glyphsOf(const std::string& line)
{
    std::vector<int32_t> glyphs;
    for (unsigned char c : line) {
        if (c < 0x80)
            glyphs.push_back(c < 0x20 || c == 0x7F ? ' ' : c);
        else if (c >= 0xC0)
            glyphs.push_back('?');
    }
    return glyphs;
}

// The glyphs (code page 437's arrows) that end a row which goes on: past the window's right edge,
// and in lines below the block's room.
constexpr int32_t cutMark = 26;   // right arrow
constexpr int32_t moreMark = 25;  // down arrow

class Layout
{
public:
    Layout(int width, int height)
        : scale(std::max(1, height / 720)), glyphW(int(Gfx::overlayGlyphWidth) * scale),
          glyphH(int(Gfx::overlayGlyphHeight) * scale), margin(4 * scale),
          maxChars(std::max(1, (width - 4 * margin) / glyphW))
    {
    }

    // A block of lines with its top at `top`, the first in `head`; returns its bottom. Its rows
    // stop above `limit`, but the first always shows: in a tiny window an error still says so.
    int block(const std::vector<std::string>& lines, int top, int limit, Colour head, Colour rest)
    {
        if (lines.empty())
            return top;
        const size_t room = size_t(std::max(1, (limit - top - 2 * margin) / glyphH));
        const size_t shown = std::min(lines.size(), room);
        std::vector<std::vector<int32_t>> rows;
        size_t widest = 0;
        for (size_t r = 0; r < shown; ++r) {
            rows.push_back(glyphsOf(lines[r]));
            std::vector<int32_t>& row = rows.back();
            const bool more = r + 1 == shown && shown < lines.size();
            if (more || row.size() > size_t(maxChars)) {
                row.resize(std::min(row.size(), size_t(maxChars) - 1));
                row.push_back(more ? moreMark : cutMark);
            }
            widest = std::max(widest, row.size());
        }
        const int bottom = top + 2 * margin + int(rows.size()) * glyphH;
        add(margin, top, 3 * margin + int(widest) * glyphW, bottom, -1, backdrop);
        for (size_t r = 0; r < rows.size(); ++r) {
            const int y = top + margin + int(r) * glyphH;
            for (size_t i = 0; i < rows[r].size(); ++i)
                if (rows[r][i] != ' ')
                    add(2 * margin + int(i) * glyphW, y, 2 * margin + int(i + 1) * glyphW, y + glyphH, rows[r][i],
                        r == 0 ? head : rest);
        }
        return bottom;
    }

    int lineBlockHeight() const { return 2 * margin + glyphH; }

    const int scale;  // the font's pixels per glyph pixel: 1 up to 1439 rows, 2 from 1440, ...
    const int glyphW, glyphH, margin, maxChars;
    std::vector<OverlayQuad> quads;

private:
    void add(int left, int top, int right, int bottom, int32_t glyph, Colour c)
    {
        OverlayQuad q;
        q.left = float(left);
        q.top = float(top);
        q.right = float(right);
        q.bottom = float(bottom);
        q.glyph = glyph;
        q.colour[0] = c.r;
        q.colour[1] = c.g;
        q.colour[2] = c.b;
        q.colour[3] = c.a;
        quads.push_back(q);
    }
};

}  // namespace

std::vector<OverlayQuad> overlayLayout(const LiveView& view, int width, int height)
{
    if (!view.overlayShown)
        return {};
    Layout layout(width, height);
    const int statusTop = height - layout.margin - layout.lineBlockHeight();
    const int limit = view.status.empty() ? height - layout.margin : statusTop - layout.margin;
    int top = layout.margin;
    top = layout.block(view.errorLines, top, limit, errorHead, plainText);
    if (view.helpShown)
        layout.block(view.helpLines, top == layout.margin ? top : top + layout.margin, limit, helpText, helpText);
    if (!view.status.empty())
        layout.block({view.status}, statusTop, height, plainText, plainText);
    return layout.quads;
}

}  // namespace Nimbra
