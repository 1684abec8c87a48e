#pragma once
// demo-sync's overlay: every turn `update` fills the view (status, errors), which is then drawn
// over the finished picture in the content's own text-mode font, into the back buffer only.
// Windows only.
#include "app/FrameOverlay.h"
#include "app/live/LiveView.h"
#include "gfx/TextOverlay.h"

#include <functional>
#include <memory>

namespace Nimbra {

class LiveOverlay : public FrameOverlay
{
public:
    using Update = std::function<void(LiveView& view, float t)>;
    LiveOverlay(LiveView& view, Update update);

    // The font and programs on the window's device; false when they could not be made.
    bool create(ID3D11Device* device);
    void draw(DemoWindow& window, float t) override;

private:
    LiveView& view;
    Update update;
    std::unique_ptr<Gfx::TextOverlay> text;
};

}  // namespace Nimbra
