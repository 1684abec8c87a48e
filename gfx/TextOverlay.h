#pragma once
// Text over a finished picture (demo-sync's overlay): quads of glyphs from a bitmap font of
// 8 x 16 pixels and plain backdrops, blended into a render target after every pass has run.
// Whatever it changes in the pipeline is put back (KeptPipeline).
#include <d3d11.h>

#include "gfx/OverlayQuad.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Nimbra {
namespace Gfx {

constexpr uint32_t overlayQuadLimit = 4096;  // quads beyond it are not drawn

class TextOverlay
{
public:
    virtual ~TextOverlay() = default;
    // `pixels`: `glyphCount` glyphs of 8 x 16, one int per pixel (0 clear), rows from the top.
    virtual bool create(ID3D11Device* device, const int32_t* pixels, uint32_t glyphCount) = 0;
    // Draws the quads, in order, into `target` of width x height pixels.
    virtual void draw(ID3D11DeviceContext* context, ID3D11RenderTargetView* target, uint32_t width, uint32_t height,
                      const std::vector<OverlayQuad>& quads) = 0;
};

std::unique_ptr<TextOverlay> makeTextOverlay();

}  // namespace Gfx
}  // namespace Nimbra
