#include "app/live/LiveOverlay.h"

#include "app/live/OverlayLayout.h"
#include "content/assets/Assets.h"
#include "gfx/frame/Screen.h"

#include <cstring>
#include <vector>

namespace Nimbra {

bool LiveOverlay::create(ID3D11Device* device)
{
    // fontA: 256 glyphs of 8 x 16 in text-mode order, whose first 128 are ASCII.
    std::vector<int32_t> pixels(fontASize / sizeof(int32_t));
    std::memcpy(pixels.data(), fontA, pixels.size() * sizeof(int32_t));
    const uint32_t glyphs = uint32_t(pixels.size() / (Gfx::overlayGlyphWidth * Gfx::overlayGlyphHeight));
    text = Gfx::makeTextOverlay();
    if (!text->create(device, pixels.data(), glyphs))
        text.reset();
    return text != nullptr;
}

void LiveOverlay::draw(DemoWindow& window, const LiveView& view)
{
    if (text)
        text->draw(window.immediateContext, window.backBufferView, uint32_t(screenWidth), uint32_t(screenHeight),
                   overlayLayout(view, screenWidth, screenHeight));
}

}  // namespace Nimbra
