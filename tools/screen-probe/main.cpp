// screen-probe: the whole screen of $DISPLAY, grabbed once, as one line "BRIGHTEST HASH": the
// brightest red, green or blue value of any pixel (0 when the screen is uniform black) and a
// 64-bit FNV-1a hash of the pixels' colours, in hex. The test harness polls the screen with it
// while software rendering needs the processors: a look costs about 20 ms of processor time,
// where ImageMagick's import and convert took about 110.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "screen-probe: cannot open the display\n");
        return 1;
    }
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "screen-probe: cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }
    // Through XGetPixel and the colour masks, so that the padding of a 24-bit pixel never counts.
    struct Channel {
        unsigned long mask;
        unsigned shift;
    } channels[3] = {{image->red_mask, 0}, {image->green_mask, 0}, {image->blue_mask, 0}};
    for (Channel& channel : channels) {
        while (channel.mask && !(channel.mask & 1)) {
            channel.mask >>= 1;
            ++channel.shift;
        }
    }
    unsigned brightest = 0;
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            for (const Channel& channel : channels) {
                const unsigned value = static_cast<unsigned>((pixel >> channel.shift) & channel.mask);
                brightest = value > brightest ? value : brightest;
                hash = (hash ^ value) * 1099511628211ull;
            }
        }
    }
    std::printf("%u %016" PRIx64 "\n", brightest, hash);
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
