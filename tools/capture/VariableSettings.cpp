#include "tools/capture/VariableSettings.h"

#include "app/Camera.h"
#include "app/GraphicsContext.h"
#include "app/Screen.h"
#include "core/Timeline.h"
#include "gfx/DemoPlayer.h"

namespace Nimbra {

namespace {

// Variables 0 to 7 are the camera's: position, direction, field of view and roll.
constexpr uint32_t cameraVariableCount = 8;

float valueOf(Gfx::DemoPlayer& player, uint32_t index)
{
    return player.variables.at(index)->value[0];
}

}  // namespace

void applyVariableSettings(Timeline& timeline, const std::vector<VariableSetting>& settings, float t,
                           float elapsed, uint32_t frame, float aspect)
{
    Gfx::DemoPlayer& player = *timeline.player;
    bool cameraSet = false;
    for (const VariableSetting& setting : settings) {
        if (setting.index >= player.variables.count)
            continue;
        player.variables.at(setting.index)->value[0] = setting.value;
        cameraSet = cameraSet || setting.index < cameraVariableCount;
    }
    if (!cameraSet)
        return;

    // Take back this frame's camera, so that the previous frame's stays the "last" one, and
    // make the frame's header again from the camera variables.
    ContextBuffer& header = graphicsContext.header;
    header.viewMatrix = header.lastViewMatrix;
    header.projectionMatrix = header.lastProjectionMatrix;
    header.viewProjectionMatrix = header.lastViewProjectionMatrix;
    const CameraInput camera = {valueOf(player, 0), valueOf(player, 1), valueOf(player, 2), valueOf(player, 3),
                                valueOf(player, 4), valueOf(player, 5), valueOf(player, 6), valueOf(player, 7)};
    updateFrameContext(makeFrameHeader(camera, aspect, t, frame, elapsed, static_cast<float>(screenWidth),
                                       static_cast<float>(screenHeight)));
}

}  // namespace Nimbra
