#pragma once
// demo-sync's overlay: the view the live session fills every turn (status, keys, errors), drawn
// over the finished picture in the content's own text-mode font, into the back buffer only.
// Windows only.
#include "app/DemoWindow.h"
#include "app/live/LiveView.h"
#include "gfx/TextOverlay.h"

#include <memory>

namespace Nimbra {

class LiveOverlay
{
public:
    // The font and programs on the window's device; false when they could not be made.
    bool create(ID3D11Device* device);
    void draw(DemoWindow& window, const LiveView& view);

private:
    std::unique_ptr<Gfx::TextOverlay> text;
};

}  // namespace Nimbra
