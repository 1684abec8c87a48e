#pragma once
// The camera of one frame, from the eight camera curves.
#include "gfx/frame/ContextBuffer.h"

namespace Nimbra {

struct CameraInput {
    float positionX, positionY, positionZ;     // curves 0 to 2
    float directionX, directionY, directionZ;  // curves 3 to 5: the view looks along this
    float fieldOfView;                         // curve 6, vertical, degrees
    float roll;                                // curve 7, degrees about the view axis
};

// Right-handed perspective with depth 0 to 1, near 0.1 and far 1000.
Matrix4 cameraProjection(float fieldOfViewDegrees, float aspect);
Matrix4 cameraView(const CameraInput& camera);

// This frame's header: all zero except time, frame, elapsedTime, resolution and the two
// camera matrices.
ContextBuffer makeFrameHeader(const CameraInput& camera, float aspect, float time, uint32_t frame, float elapsedTime,
                              float width, float height);

}  // namespace Nimbra
