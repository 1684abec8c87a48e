#include "app/Presentation.h"

#include "gfx/frame/Camera.h"
#include "gfx/frame/GraphicsContext.h"
#include "gfx/frame/Screen.h"
#include "app/ShippedEdits.h"
#include "content/script/BuildContent.h"
#include "gfx/DemoPlayer.h"
#include "gfx/TextureRuntime.h"

namespace Nimbra {

namespace {

// Curves 0 to 7 are the camera: position, direction, field of view and roll.
constexpr uint32_t cameraCurveCount = 8;

}  // namespace

bool presentationCanDraw(const DemoWindow& window)
{
    return window.device && window.backBufferView;
}

void presentationStartUp(Presentation& presentation, DemoWindow& window)
{
    Timeline& timeline = presentation.timeline;
    if (!presentationCanDraw(window)) {
        loadShippedTimeline(timeline);
        return;
    }
    const ContextBuffer zeroHeader = {};
    installGraphicsContext(zeroHeader, window.device, window.immediateContext);

    buildContent(timeline, screenWidth, screenHeight);
    applyShippedEdits(timeline);

    Gfx::DemoPlayer* player = timeline.player;
    player->initialize();
    // The final copy pass draws into the swap chain's buffer instead of the texture it made.
    Gfx::TextureRuntime* output = static_cast<Gfx::TextureRuntime*>(player->output);
    output->rtvs[0] = window.backBufferView;
}

void presentationFrameWork(Presentation& presentation, float t, float elapsed, uint32_t frame, float aspect,
                           Gfx::PassObserver* observer)
{
    Timeline& timeline = presentation.timeline;
    Gfx::DemoPlayer* player = timeline.player;
    if (!player)
        return;

    // Curve i drives variable i, each evaluated once a frame; the first eight are the camera.
    for (uint32_t i = 0; i < timeline.curves.count; ++i)
        player->variables.at(i)->value[0] = evaluateCurve(timeline, i, t);
    if (presentation.heldCamera)
        for (uint32_t i = 0; i < cameraCurveCount && i < player->variables.count; ++i)
            player->variables.at(i)->value[0] = presentation.heldCamera[i];

    float camera[cameraCurveCount];
    for (uint32_t i = 0; i < cameraCurveCount; ++i)
        camera[i] = player->variables.at(i)->value[0];
    CameraInput input = {camera[0], camera[1], camera[2], camera[3], camera[4], camera[5], camera[6], camera[7]};
    updateFrameContext(makeFrameHeader(input, aspect, t, frame, elapsed, static_cast<float>(screenWidth),
                                       static_cast<float>(screenHeight)));

    player->render(observer);
}

void presentationShutdown(Presentation& presentation)
{
    presentation.timeline.curves.release();
}

}  // namespace Nimbra
