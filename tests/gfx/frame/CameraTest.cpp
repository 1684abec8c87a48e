#include "gfx/frame/Camera.h"
#include "gfx/frame/MatrixMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace Nimbra {
namespace {

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool sameBits(const Matrix4& a, const Matrix4& b)
{
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

void expectNear(const Matrix4& actual, const Matrix4& expected, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

const Matrix4 identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

TEST(Camera, RollZeroLeavesTheLookToMatrixUntouched)
{
    const CameraInput camera = {1.5f, -2.0f, 7.25f, 0.3f, -0.2f, 0.9f, 60.0f, 0.0f};
    const Matrix4 look = lookTo({1.5f, -2.0f, 7.25f}, {-0.3f, 0.2f, -0.9f}, {0.0f, 1.0f, 0.0f});
    EXPECT_TRUE(sameBits(cameraView(camera), look));
}

TEST(Camera, ShippedCameraAtRowZeroKeepsTheUnnormalisedDirection)
{
    const float pz = -3.0f;
    const CameraInput camera = {0.0f, 0.0f, pz, 0.0f, 0.0f, 25.0f, 60.0f, 0.0f};
    const Matrix4 view = cameraView(camera);
    // x = (1, 0, 0) and y = (0, -1, 0) in the first two columns.
    EXPECT_EQ(view.m[0], 1.0f);
    EXPECT_EQ(view.m[4], 0.0f);
    EXPECT_EQ(view.m[8], 0.0f);
    EXPECT_EQ(view.m[1], 0.0f);
    EXPECT_EQ(view.m[5], -1.0f);
    EXPECT_EQ(view.m[9], 0.0f);
    // The third column is z itself, scaled by the direction's length of 25.
    EXPECT_EQ(view.m[2], 0.0f);
    EXPECT_EQ(view.m[6], 0.0f);
    EXPECT_EQ(view.m[10], -25.0f);
    EXPECT_EQ(view.m[14], 25.0f * pz);
}

TEST(Camera, LookingDownNegativeZMirrorsXAndY)
{
    const float px = 2.0f, py = -4.0f, pz = 6.0f;
    const CameraInput camera = {px, py, pz, 0.0f, 0.0f, -1.0f, 90.0f, 0.0f};
    const Matrix4 expected = {{-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, px, py, -pz, 1}};
    expectNear(cameraView(camera), expected, 0.0f);
}

TEST(Camera, RollTurnsViewSpaceAboutItsZAxis)
{
    const CameraInput camera = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 90.0f, 90.0f};
    const Matrix4 view = cameraView(camera);
    // World +x lands on view -x without roll; a quarter turn moves it onto the y axis.
    EXPECT_NEAR(view.m[0], 0.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(view.m[1]), 1.0f, 1e-6f);
    EXPECT_NEAR(view.m[10], 1.0f, 1e-6f);
}

TEST(Camera, NinetyDegreesAtSixteenToNine)
{
    const Matrix4 projection = cameraProjection(90.0f, 16.0f / 9.0f);
    EXPECT_NEAR(projection.m[5], 1.0f, 1e-6f);
    EXPECT_NEAR(projection.m[0], 0.5625f, 1e-6f);
    EXPECT_EQ(bitsOf(projection.m[10]), 0xBF800347u);
    EXPECT_EQ(bitsOf(projection.m[14]), 0xBDCCD20Bu);
    EXPECT_EQ(projection.m[11], -1.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15})
        EXPECT_EQ(projection.m[i], 0.0f) << "element " << i;
}

TEST(MatrixMath, InvertsKnownMatrices)
{
    const Matrix4 scaleAndMove = {{2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 3, -5, 7, 1}};
    const Matrix4 scaleAndMoveInverse = {{0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -1.5f, 1.25f, -0.875f, 1}};
    expectNear(invert4x4(scaleAndMove), scaleAndMoveInverse, 1e-6f);

    // An integer matrix of determinant 1 and its integer inverse.
    const Matrix4 shear = {{1, 2, 0, 0, 0, 1, 3, 0, 0, 0, 1, 4, 0, 0, 0, 1}};
    const Matrix4 shearInverse = {{1, -2, 6, -24, 0, 1, -3, 12, 0, 0, 1, -4, 0, 0, 0, 1}};
    expectNear(invert4x4(shear), shearInverse, 0.0f);

    const Matrix4 projection = cameraProjection(70.0f, 1.5f);
    expectNear(multiply4x4(projection, invert4x4(projection)), identity, 1e-5f);
}

TEST(MatrixMath, SingularMatrixGivesNonFiniteEntries)
{
    const Matrix4 zero = {};
    EXPECT_FALSE(std::isfinite(invert4x4(zero).m[0]));
}

TEST(MatrixMath, MultiplyIsRowTimesColumn)
{
    const Matrix4 a = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    const Matrix4 move = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1}};
    const Matrix4 product = multiply4x4(a, move);
    // Row 0 of a is (1, 2, 3, 4): its w of 4 picks up four times the translation.
    EXPECT_EQ(product.m[0], 41.0f);
    EXPECT_EQ(product.m[1], 82.0f);
    EXPECT_EQ(product.m[2], 123.0f);
    EXPECT_EQ(product.m[3], 4.0f);
}

TEST(FrameContext, FirstFrameHasZeroLastMatricesThenOneFrameOld)
{
    ContextBuffer running = {};
    const CameraInput first = {0.0f, 1.0f, 5.0f, 0.0f, 0.0f, -1.0f, 60.0f, 10.0f};
    const CameraInput second = {1.0f, 1.0f, 4.0f, 0.1f, 0.0f, -1.0f, 65.0f, 20.0f};
    advanceContextBuffer(running, makeFrameHeader(first, 16.0f / 9.0f, 0.5f, 0, 0.5f, 1280, 720));

    const Matrix4 zero = {};
    EXPECT_TRUE(sameBits(running.lastViewMatrix, zero));
    EXPECT_TRUE(sameBits(running.lastProjectionMatrix, zero));
    EXPECT_TRUE(sameBits(running.lastViewProjectionMatrix, zero));
    EXPECT_EQ(running.time, 0.5f);
    EXPECT_EQ(running.invResolution.x, 1.0f / 1280.0f);
    EXPECT_EQ(running.aspectRatio, 1280.0f * (1.0f / 720.0f));
    EXPECT_TRUE(sameBits(running.viewProjectionMatrix, multiply4x4(running.viewMatrix, running.projectionMatrix)));
    expectNear(multiply4x4(running.viewProjectionMatrix, running.invViewProjectionMatrix), identity, 1e-4f);

    const ContextBuffer firstFrame = running;
    advanceContextBuffer(running, makeFrameHeader(second, 16.0f / 9.0f, 0.52f, 1, 0.02f, 1280, 720));
    EXPECT_EQ(running.frame, 1u);
    EXPECT_TRUE(sameBits(running.lastViewMatrix, firstFrame.viewMatrix));
    EXPECT_TRUE(sameBits(running.lastProjectionMatrix, firstFrame.projectionMatrix));
    EXPECT_TRUE(sameBits(running.lastViewProjectionMatrix, firstFrame.viewProjectionMatrix));
    EXPECT_FALSE(sameBits(running.viewMatrix, firstFrame.viewMatrix));
}

}  // namespace
}  // namespace Nimbra
