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

class Layout
{
public:
    Layout(int width, int height)
        : scale(std::max(1, height / 720)), glyphW(int(Gfx::overlayGlyphWidth) * scale),
          glyphH(int(Gfx::overlayGlyphHeight) * scale), margin(4 * scale), maxChars((width - 4 * margin) / glyphW)
    {
    }

    // A block of lines with its top at `top`, the first in `head`; returns its bottom.
    int block(const std::vector<std::string>& lines, int top, Colour head, Colour rest)
    {
        if (lines.empty() || maxChars <= 0)
            return top;
        std::vector<std::vector<int32_t>> rows;
        size_t widest = 0;
        for (const std::string& line : lines) {
            rows.push_back(glyphsOf(line));
            if (rows.back().size() > size_t(maxChars))
                rows.back().resize(size_t(maxChars));
            widest = std::max(widest, rows.back().size());
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
    int top = layout.margin;
    top = layout.block(view.errorLines, top, errorHead, plainText);
    if (view.helpShown)
        layout.block(view.helpLines, top == layout.margin ? top : top + layout.margin, helpText, helpText);
    if (!view.status.empty())
        layout.block({view.status}, height - layout.margin - layout.lineBlockHeight(), plainText, plainText);
    return layout.quads;
}

}  // namespace Nimbra
