#include "tools/icon/IconArt.h"

namespace Nimbra {

namespace {

// Palette layout: 0 is the (transparent) background, 1..199 the disc gradient from deep
// violet to orange, 200..255 the rim and letter highlights from orange to pale yellow.
constexpr int gradientFirst = 1;
constexpr int gradientLast = 199;
constexpr int highlightFirst = 200;

uint32_t mix(uint32_t a, uint32_t b, int num, int den)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = (int)((a >> shift) & 0xFF);
        const int cb = (int)((b >> shift) & 0xFF);
        out |= (uint32_t)(ca + (cb - ca) * num / den) << shift;
    }
    return out;
}

void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back((uint8_t)(v & 0xFF));
    out.push_back((uint8_t)((v >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

int rowBytes(int bitsPerRow)
{
    return (bitsPerRow + 31) / 32 * 4;
}

// The image as stored in an .ico: a BITMAPINFOHEADER of double height, the palette, the colour
// rows and the transparency mask rows, both bottom-up and padded to four bytes.
std::vector<uint8_t> encodeImage(const IconImage& image, const std::vector<uint32_t>& palette)
{
    const int n = image.size;
    const int colourRow = rowBytes(n * 8);
    const int maskRow = rowBytes(n);
    std::vector<uint8_t> out;
    put32(out, 40);
    put32(out, (uint32_t)n);
    put32(out, (uint32_t)(2 * n));
    put16(out, 1);
    put16(out, 8);
    put32(out, 0);  // BI_RGB
    put32(out, (uint32_t)((colourRow + maskRow) * n));
    put32(out, 0);
    put32(out, 0);
    put32(out, 256);
    put32(out, 0);
    for (uint32_t rgb : palette) {
        out.push_back((uint8_t)(rgb & 0xFF));
        out.push_back((uint8_t)((rgb >> 8) & 0xFF));
        out.push_back((uint8_t)((rgb >> 16) & 0xFF));
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < colourRow; ++x)
            out.push_back(x < n ? image.pixels[(size_t)(y * n + x)] : 0);
    }
    for (int y = n - 1; y >= 0; --y) {
        for (int byte = 0; byte < maskRow; ++byte) {
            uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                const bool transparent = x >= n || !image.opaque[(size_t)(y * n + x)];
                if (transparent)
                    bits |= (uint8_t)(0x80 >> bit);
            }
            out.push_back(bits);
        }
    }
    return out;
}

}  // namespace

std::vector<uint32_t> iconPalette()
{
    std::vector<uint32_t> palette(256, 0);
    const uint32_t violet = 0x2A0A5E, magenta = 0xC2186B, orange = 0xFF8A1E, pale = 0xFFF4B0;
    const int half = (gradientFirst + gradientLast) / 2;
    for (int i = gradientFirst; i <= half; ++i)
        palette[(size_t)i] = mix(violet, magenta, i - gradientFirst, half - gradientFirst);
    for (int i = half; i <= gradientLast; ++i)
        palette[(size_t)i] = mix(magenta, orange, i - half, gradientLast - half);
    for (int i = highlightFirst; i <= 255; ++i)
        palette[(size_t)i] = mix(orange, pale, i - highlightFirst, 255 - highlightFirst);
    return palette;
}

IconImage drawIcon(int size)
{
    IconImage image;
    image.size = size;
    image.pixels.assign((size_t)(size * size), 0);
    image.opaque.assign((size_t)(size * size), false);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Pixel centres in units of a hundredth of the radius, -100..100, y downwards.
            const int u = (2 * x + 1 - size) * 100 / size;
            const int v = (2 * y + 1 - size) * 100 / size;
            const int r2 = u * u + v * v;
            if (r2 > 100 * 100)
                continue;
            const size_t i = (size_t)(y * size + x);
            image.opaque[i] = true;
            const bool rim = r2 >= 84 * 84;
            const bool inLetter = v >= -52 && v <= 52;
            const bool leftStem = inLetter && u >= -52 && u <= -26;
            const bool rightStem = inLetter && u >= 26 && u <= 52;
            const bool diagonal = inLetter && u >= -52 && u <= 52 && u - v >= -16 && u - v <= 16;
            if (leftStem || rightStem || diagonal)
                image.pixels[i] = (uint8_t)(255 - (v + 52) * 30 / 104);
            else if (rim)
                image.pixels[i] = (uint8_t)(highlightFirst + 10 + (u - v + 200) * 20 / 400);
            else  // the disc: violet at the top left, orange at the bottom right
                image.pixels[i] = (uint8_t)(gradientFirst + (u + v + 200) * (gradientLast - gradientFirst) / 400);
        }
    }
    return image;
}

std::vector<uint8_t> buildIconFile(const std::vector<int>& sizes)
{
    const std::vector<uint32_t> palette = iconPalette();
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes)
        images.push_back(encodeImage(drawIcon(size), palette));

    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // icon
    put16(out, (uint32_t)sizes.size());
    uint32_t offset = (uint32_t)(6 + 16 * sizes.size());
    for (size_t k = 0; k < sizes.size(); ++k) {
        out.push_back((uint8_t)sizes[k]);
        out.push_back((uint8_t)sizes[k]);
        out.push_back(0);  // 256 colours
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 8);  // bits per pixel
        put32(out, (uint32_t)images[k].size());
        put32(out, offset);
        offset += (uint32_t)images[k].size();
    }
    for (const std::vector<uint8_t>& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

std::vector<uint8_t> buildDemoIcon()
{
    return buildIconFile({16, 32});
}

}  // namespace Nimbra
