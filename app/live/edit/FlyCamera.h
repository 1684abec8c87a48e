#pragma once
// The fly camera of the editor's camera capture: a pose taken from the eight camera curves' values, moved by the
// mouse and the keys, and turned back into eight values. Plain maths, no platform.
//
// The demo's view (gfx/frame/Camera) looks along the direction curves with (0, 1, 0) as its up vector, but its
// lookTo crosses z x up, so the picture's x and y run opposite to the usual right-handed camera's: a level camera
// looking along +Z has +X on the picture's right and -Y above it. The pose is told as the picture shows it.
#include <array>
#include <cstdint>

namespace Nimbra::Edit {

constexpr uint32_t cameraTrackCount = 8;

// Curves 0 to 7: position x, y, z; direction x, y, z; vertical field of view (degrees); roll (degrees).
using CameraValues = std::array<float, cameraTrackCount>;

struct FlyPose {
    float positionX = 0.0f, positionY = 0.0f, positionZ = 0.0f;
    // Degrees. Yaw 0 looks along +Z and a positive yaw turns to the picture's right: +X is on the right of a camera
    // looking along +Z (above), so a quarter turn right, yaw 90, looks along +X; yaw 180 along -Z.
    float yaw = 0.0f;
    // Degrees, positive looking up in the picture, that is towards -Y; kept within +-89 by a fly step.
    float pitch = 0.0f;
    float roll = 0.0f;         // curve 7 as it is
    float fieldOfView = 0.0f;  // curve 6 as it is
    // The direction curves' length, kept as it was: the view's third column scales with it, and with it the
    // picture's size, so a capture must not change it (the shipped camera's is 5 to 25).
    float directionLength = 1.0f;
};

// The pose the eight values give. A direction of zero length (or not finite) looks along +Z with length 1.
FlyPose poseFromCameraValues(const CameraValues& values);
CameraValues cameraValuesFromPose(const FlyPose& pose);

// One turn of the fly mode.
struct FlyInput {
    float lookX = 0.0f;  // mouse movement in pixels, right positive: turns right
    float lookY = 0.0f;  // mouse movement in pixels, down positive: looks down
    // -1, 0 or 1 from the keys: W/S along the view, D/A to the picture's right/left, up/down the picture's vertical
    // (world -Y is up). Two at once move no faster than one.
    float forward = 0.0f;
    float right = 0.0f;
    float up = 0.0f;
    float speedFactor = 1.0f;  // the speed key's
    float seconds = 0.0f;      // since the last turn
};

struct FlySettings {
    float degreesPerPixel = 0.2f;
    float unitsPerSecond = 8.0f;
};

// The mouse turns the pose first; then it moves along the new heading. Roll turns the picture, not the fly axes.
FlyPose flyStep(const FlyPose& pose, const FlyInput& input, const FlySettings& settings = FlySettings());

}  // namespace Nimbra::Edit
