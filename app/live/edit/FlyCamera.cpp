#include "app/live/edit/FlyCamera.h"

#include <cmath>

namespace Nimbra::Edit {

namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr float maxPitch = 89.0f;  // straight up or down the view's cross product with its up vector vanishes

struct Vector {
    double x, y, z;
};

// Unit vectors along the view, to the picture's right and up the picture's vertical (level: world -Y).
Vector forwardOf(const FlyPose& pose)
{
    const double yaw = pose.yaw * radiansPerDegree;
    const double pitch = pose.pitch * radiansPerDegree;
    return {std::sin(yaw) * std::cos(pitch), -std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
}

Vector rightOf(const FlyPose& pose)
{
    const double yaw = pose.yaw * radiansPerDegree;
    return {std::cos(yaw), 0.0, -std::sin(yaw)};
}

}  // namespace

FlyPose poseFromCameraValues(const CameraValues& values)
{
    FlyPose pose;
    pose.positionX = values[0];
    pose.positionY = values[1];
    pose.positionZ = values[2];
    pose.fieldOfView = values[6];
    pose.roll = values[7];
    const double x = values[3], y = values[4], z = values[5];
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length))
        return pose;
    pose.directionLength = float(length);
    pose.yaw = float(std::atan2(x, z) / radiansPerDegree);
    pose.pitch = float(std::atan2(-y, std::sqrt(x * x + z * z)) / radiansPerDegree);
    return pose;
}

CameraValues cameraValuesFromPose(const FlyPose& pose)
{
    const Vector forward = forwardOf(pose);
    const double length = pose.directionLength;
    // + 0.0f: a level camera writes 0, not -0.
    return {pose.positionX,
            pose.positionY,
            pose.positionZ,
            float(forward.x * length) + 0.0f,
            float(forward.y * length) + 0.0f,
            float(forward.z * length) + 0.0f,
            pose.fieldOfView,
            pose.roll};
}

FlyPose flyStep(const FlyPose& pose, const FlyInput& input, const FlySettings& settings)
{
    FlyPose next = pose;
    next.yaw = float(std::remainder(double(pose.yaw) + double(input.lookX) * settings.degreesPerPixel, 360.0));
    const float pitch = pose.pitch - input.lookY * settings.degreesPerPixel;
    next.pitch = pitch > maxPitch ? maxPitch : pitch < -maxPitch ? -maxPitch : pitch;

    const Vector forward = forwardOf(next);
    const Vector right = rightOf(next);
    Vector move = {forward.x * input.forward + right.x * input.right,
                   forward.y * input.forward - input.up,  // the picture's up is world -Y
                   forward.z * input.forward + right.z * input.right};
    const double length = std::sqrt(move.x * move.x + move.y * move.y + move.z * move.z);
    if (!(length > 0.0))
        return next;
    const double distance =
        double(settings.unitsPerSecond) * input.speedFactor * input.seconds / (length > 1.0 ? length : 1.0);
    next.positionX = float(pose.positionX + move.x * distance);
    next.positionY = float(pose.positionY + move.y * distance);
    next.positionZ = float(pose.positionZ + move.z * distance);
    return next;
}

}  // namespace Nimbra::Edit
