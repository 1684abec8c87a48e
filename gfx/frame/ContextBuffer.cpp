#include "gfx/frame/ContextBuffer.h"

#include "gfx/frame/MatrixMath.h"

namespace Nimbra {

void advanceContextBuffer(ContextBuffer& running, const ContextBuffer& frame)
{
    running.time = frame.time;
    running.frame = frame.frame;
    running.elapsedTime = frame.elapsedTime;
    running.resolution = frame.resolution;
    running.invResolution = {1.0f / frame.resolution.x, 1.0f / frame.resolution.y};
    running.lastViewMatrix = running.viewMatrix;
    running.lastProjectionMatrix = running.projectionMatrix;
    running.lastViewProjectionMatrix = running.viewProjectionMatrix;
    running.viewMatrix = frame.viewMatrix;
    running.projectionMatrix = frame.projectionMatrix;
    running.viewProjectionMatrix = multiply4x4(frame.viewMatrix, frame.projectionMatrix);
    running.invViewMatrix = invert4x4(running.viewMatrix);
    running.invProjectionMatrix = invert4x4(running.projectionMatrix);
    running.invViewProjectionMatrix = invert4x4(running.viewProjectionMatrix);
    running.aspectRatio = running.resolution.x * running.invResolution.y;
}

}  // namespace Nimbra
