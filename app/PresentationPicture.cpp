#include "app/PresentationPicture.h"

#include "app/Camera.h"
#include "app/DemoWindow.h"
#include "app/GraphicsContext.h"
#include "app/Screen.h"
#include "content/script/BuildContent.h"
#include "core/Timeline.h"
#include "gfx/DemoPlayer.h"
#include "gfx/TextureRuntime.h"

namespace Nimbra {

namespace {

// Curves 0 to 7 are the camera: position, direction, field of view and roll.
constexpr uint32_t cameraCurveCount = 8;

}  // namespace

void startPicture(Timeline& timeline, DemoWindow& window)
{
    const ContextBuffer zeroHeader = {};
    installGraphicsContext(zeroHeader, window.device, window.immediateContext);

    buildContent(timeline, screenWidth, screenHeight);

    Gfx::DemoPlayer* player = timeline.player;
    player->initialize();
    // The final copy pass draws into the swap chain's buffer instead of the texture it made.
    Gfx::TextureRuntime* output = static_cast<Gfx::TextureRuntime*>(player->output);
    output->rtvs[0] = window.backBufferView;
}

void preparePictureFrame(Timeline& timeline, float t, float elapsed, uint32_t frame, float aspect)
{
    float camera[cameraCurveCount];
    for (uint32_t i = 0; i < cameraCurveCount; ++i)
        camera[i] = evaluateCurve(timeline, i, t);
    CameraInput input = {camera[0], camera[1], camera[2], camera[3],
                         camera[4], camera[5], camera[6], camera[7]};
    updateFrameContext(makeFrameHeader(input, aspect, t, frame, elapsed, static_cast<float>(screenWidth),
                                       static_cast<float>(screenHeight)));

    // Curve i drives variable i; the camera variables receive their values here as well.
    Gfx::DemoPlayer* player = timeline.player;
    for (uint32_t i = 0; i < timeline.curves.count; ++i)
        player->variables.at(i)->value[0] = evaluateCurve(timeline, i, t);
}

void renderPictureFrame(Timeline& timeline)
{
    timeline.player->render();
}

void destroyCurves(Timeline& timeline)
{
    timeline.curves.release();
}

}  // namespace Nimbra
