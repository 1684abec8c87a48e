#include "gfx/frame/Camera.h"

#include "gfx/frame/MatrixMath.h"

#include <cmath>
#include <cstring>

namespace Nimbra {

namespace {

// far / (near - far) and near * far / (near - far) for near 0.1 and far 1000, rounded to float.
constexpr uint32_t depthScaleBits = 0xBF800347u;   // -1.0001
constexpr uint32_t depthOffsetBits = 0xBDCCD20Bu;  // -0.10001

constexpr double degreesToRadians = 0.01745329251993889;
constexpr double rollPi = 3.141592653589;

float floatFromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Rotation by angle about a unit axis (Rodrigues), for row vectors.
Matrix4 rotationAbout(const Float3& a, float angle)
{
    const float c = cosf(angle);
    const float s = sinf(angle);
    const float k = 1.0f - c;
    // clang-format off
    return {{
        a.x * a.x * k + c, a.x * a.y * k + a.z * s, a.x * a.z * k - a.y * s, 0.0f,
        a.x * a.y * k - a.z * s, a.y * a.y * k + c, a.y * a.z * k + a.x * s, 0.0f,
        a.x * a.z * k + a.y * s, a.y * a.z * k - a.x * s, a.z * a.z * k + c, 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    }};
    // clang-format on
}

}  // namespace

Matrix4 cameraProjection(float fieldOfViewDegrees, float aspect)
{
    const float angle = static_cast<float>(static_cast<double>(fieldOfViewDegrees) * degreesToRadians);
    const float half = static_cast<float>(static_cast<double>(angle) * 0.5);
    const float yScale = 1.0f / tanf(half);
    const float xScale = yScale / aspect;
    Matrix4 projection = {};
    projection.m[0] = xScale;
    projection.m[5] = yScale;
    projection.m[10] = floatFromBits(depthScaleBits);
    projection.m[11] = -1.0f;
    projection.m[14] = floatFromBits(depthOffsetBits);
    return projection;
}

Matrix4 cameraView(const CameraInput& camera)
{
    const Float3 eye = {camera.positionX, camera.positionY, camera.positionZ};
    const Float3 back = {-camera.directionX, -camera.directionY, -camera.directionZ};
    const Matrix4 look = lookTo(eye, back, Float3{0.0f, 1.0f, 0.0f});

    const Float3 axis = normalize3(Float3{0.0f, 0.0f, 1.0f});
    const float angle = static_cast<float>(static_cast<double>(camera.roll / 180.0f) * rollPi);
    return multiply4x4(look, rotationAbout(axis, angle));
}

ContextBuffer makeFrameHeader(const CameraInput& camera, float aspect, float time, uint32_t frame, float elapsedTime,
                              float width, float height)
{
    ContextBuffer header = {};
    header.time = time;
    header.frame = frame;
    header.elapsedTime = elapsedTime;
    header.resolution = {width, height};
    header.projectionMatrix = cameraProjection(camera.fieldOfView, aspect);
    header.viewMatrix = cameraView(camera);
    return header;
}

}  // namespace Nimbra
