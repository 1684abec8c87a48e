// The fly camera: the eight camera values from poses worked out by hand, the pose back from them, fly steps worked
// out by hand, and the picture's right and up checked against the demo's own view matrix.
#include "app/live/edit/FlyCamera.h"
#include "gfx/frame/Camera.h"
#include "gfx/frame/MatrixMath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Nimbra;
using namespace Nimbra::Edit;

namespace {

FlyPose pose(float x, float y, float z, float yaw, float pitch, float length = 1.0f)
{
    FlyPose p;
    p.positionX = x;
    p.positionY = y;
    p.positionZ = z;
    p.yaw = yaw;
    p.pitch = pitch;
    p.directionLength = length;
    p.fieldOfView = 60.0f;
    p.roll = 10.0f;
    return p;
}

void expectValues(const CameraValues& got, const CameraValues& expected, const char* what)
{
    for (uint32_t i = 0; i < cameraTrackCount; ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-4f) << what << ", value " << i;
}

// A point p in the view space of the demo's own camera (p times the view matrix).
Float3 inView(const CameraValues& values, float x, float y, float z)
{
    const CameraInput input = {values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7]};
    const Matrix4 view = cameraView(input);
    const float* m = view.m;
    return {x * m[0] + y * m[4] + z * m[8] + m[12], x * m[1] + y * m[5] + z * m[9] + m[13],
            x * m[2] + y * m[6] + z * m[10] + m[14]};
}

}  // namespace

// The demo's lookTo crosses z x up with z = -direction: looking along +Z, x = (-Z) x (+Y) = +X is the picture's
// right and y = (-Z) x (+X) = -Y its up. Turning right a quarter turn from +Z therefore looks along +X: yaw 90 is
// +X, yaw -90 is -X, yaw 180 is -Z; looking up by 30 degrees leans the view towards -Y: (0, -sin 30, cos 30).
TEST(FlyCamera, APoseGivesTheEightValuesWorkedOutByHandAndTheyGiveItBack)
{
    const struct {
        const char* what;
        FlyPose pose;
        CameraValues values;
    } cases[] = {
        {"level along +Z", pose(1, 2, 3, 0, 0), {1, 2, 3, 0, 0, 1, 60, 10}},
        {"yaw 90: along +X", pose(1, 2, 3, 90, 0), {1, 2, 3, 1, 0, 0, 60, 10}},
        {"yaw -90: along -X", pose(0, 0, 0, -90, 0), {0, 0, 0, -1, 0, 0, 60, 10}},
        {"yaw 180: along -Z", pose(0, 0, 0, 180, 0), {0, 0, 0, 0, 0, -1, 60, 10}},
        {"30 up, length 2", pose(0, 0, 0, 0, 30, 2), {0, 0, 0, 0, -1, 1.7320508f, 60, 10}},
        {"yaw 90, 45 down, length 25", pose(5, 6, 7, 90, -45, 25), {5, 6, 7, 17.677670f, 17.677670f, 0, 60, 10}},
    };
    for (const auto& c : cases) {
        expectValues(cameraValuesFromPose(c.pose), c.values, c.what);
        const FlyPose back = poseFromCameraValues(c.values);
        EXPECT_NEAR(back.yaw, c.pose.yaw, 1e-3f) << c.what;
        EXPECT_NEAR(back.pitch, c.pose.pitch, 1e-3f) << c.what;
        EXPECT_NEAR(back.directionLength, c.pose.directionLength, 1e-4f) << c.what;
        EXPECT_EQ(back.positionZ, c.pose.positionZ) << c.what;
        EXPECT_EQ(back.fieldOfView, 60.0f) << c.what;
        EXPECT_EQ(back.roll, 10.0f) << c.what;
    }
    // The shipped camera at row 0 looks along +Z with a direction 25 long, which a capture keeps.
    const CameraValues shipped = {11.6f, -3.5f, -25.0f, 0.0f, 0.0f, 25.0f, 1.666f, 0.0f};
    EXPECT_EQ(cameraValuesFromPose(poseFromCameraValues(shipped)), shipped);
    // Without a direction: level along +Z, length 1.
    const FlyPose none = poseFromCameraValues({1, 2, 3, 0, 0, 0, 50, 0});
    EXPECT_EQ(none.yaw, 0.0f);
    EXPECT_EQ(none.pitch, 0.0f);
    EXPECT_EQ(none.directionLength, 1.0f);
}

// Checked against gfx/frame's view matrix, at roll 0: the point ahead of the pose lies on the view axis (view z is
// -length per unit ahead, the direction not being normalised), the point on its right has view x 1, and at pitch 0
// the point above it in the picture (world -Y) has view y 1.
TEST(FlyCamera, ThePosesRightAndUpAreThePicturesByTheDemosViewMatrix)
{
    for (float yaw : {0.0f, 90.0f, -135.0f}) {
        FlyPose p = pose(1, 2, 3, yaw, 0, 4);
        p.roll = 0.0f;
        const CameraValues values = cameraValuesFromPose(p);
        const float r = yaw * 3.14159265f / 180.0f;
        const Float3 ahead = inView(values, 1 + std::sin(r), 2, 3 + std::cos(r));
        EXPECT_NEAR(ahead.x, 0.0f, 1e-5f) << yaw;
        EXPECT_NEAR(ahead.y, 0.0f, 1e-5f) << yaw;
        EXPECT_NEAR(ahead.z, -4.0f, 1e-4f) << yaw;
        const Float3 right = inView(values, 1 + std::cos(r), 2, 3 - std::sin(r));
        EXPECT_NEAR(right.x, 1.0f, 1e-5f) << yaw;
        EXPECT_NEAR(inView(values, 1, 1, 3).y, 1.0f, 1e-5f) << yaw;
    }
}

// From the origin, level along +Z, at 0.2 degrees a pixel and 8 units a second.
TEST(FlyCamera, AFlyStepTurnsThenMovesAsWorkedOutByHand)
{
    const struct {
        const char* what;
        FlyPose from;
        FlyInput input;
        float x, y, z, yaw, pitch;
    } cases[] = {
        {"450 pixels right: a quarter turn right", pose(0, 0, 0, 0, 0), {450, 0}, 0, 0, 0, 90, 0},
        {"100 pixels down: 20 degrees down", pose(0, 0, 0, 0, 0), {0, 100}, 0, 0, 0, 0, -20},
        {"far up: held at 89", pose(0, 0, 0, 0, 0), {0, -1000}, 0, 0, 0, 0, 89},
        {"past 180: round to -170", pose(0, 0, 0, 170, 0), {100, 0}, 0, 0, 0, -170, 0},
        {"W for half a second", pose(0, 0, 0, 0, 0), {0, 0, 1, 0, 0, 1, 0.5f}, 0, 0, 4, 0, 0},
        {"W with the speed key (x4) for a quarter", pose(0, 0, 0, 0, 0), {0, 0, 1, 0, 0, 4, 0.25f}, 0, 0, 8, 0, 0},
        {"S back", pose(0, 0, 0, 0, 0), {0, 0, -1, 0, 0, 1, 1}, 0, 0, -8, 0, 0},
        {"D: to the picture's right, +X", pose(0, 0, 0, 0, 0), {0, 0, 0, 1, 0, 1, 1}, 8, 0, 0, 0, 0},
        {"D facing +X: towards -Z", pose(0, 0, 0, 90, 0), {0, 0, 0, 1, 0, 1, 1}, 0, 0, -8, 90, 0},
        {"up: the picture's, -Y", pose(0, 0, 0, 0, 0), {0, 0, 0, 0, 1, 1, 1}, 0, -8, 0, 0, 0},
        {"W and D together: no faster", pose(0, 0, 0, 0, 0), {0, 0, 1, 1, 0, 1, 1}, 5.656854f, 0, 5.656854f, 0, 0},
        {"turned first, then along +X", pose(0, 0, 0, 0, 0), {450, 0, 1, 0, 0, 1, 1}, 8, 0, 0, 90, 0},
        {"W looking 30 up", pose(0, 0, 0, 0, 30), {0, 0, 1, 0, 0, 1, 1}, 0, -4, 6.928203f, 0, 30},
        {"from where it is", pose(1, 2, 3, 0, 0), {0, 0, 1, 0, 0, 1, 1}, 1, 2, 11, 0, 0},
    };
    for (const auto& c : cases) {
        const FlyPose next = flyStep(c.from, c.input);
        EXPECT_NEAR(next.positionX, c.x, 1e-4f) << c.what;
        EXPECT_NEAR(next.positionY, c.y, 1e-4f) << c.what;
        EXPECT_NEAR(next.positionZ, c.z, 1e-4f) << c.what;
        EXPECT_NEAR(next.yaw, c.yaw, 1e-4f) << c.what;
        EXPECT_NEAR(next.pitch, c.pitch, 1e-4f) << c.what;
        EXPECT_EQ(next.roll, c.from.roll) << c.what;
        EXPECT_EQ(next.directionLength, c.from.directionLength) << c.what;
    }
}
