#pragma once
// Where demo-sync's overlay puts its text in a window of width x height pixels: the error at the
// top left, the key help (F1) under it, the status line at the bottom, each on a darkened
// backdrop, one glyph a character. A line too long for the window ends in a right arrow where it
// is cut; a block with more lines than room above the status line ends in a down arrow after the
// last that fits. Nothing while the overlay is hidden (F2).
#include "app/live/LiveView.h"
#include "gfx/OverlayQuad.h"

#include <vector>

namespace Nimbra {

std::vector<Gfx::OverlayQuad> overlayLayout(const LiveView& view, int width, int height);

}  // namespace Nimbra
