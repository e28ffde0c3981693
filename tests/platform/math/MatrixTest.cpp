#include "platform/math/Matrix.h"

#include <gtest/gtest.h>

#include <numbers>

#include "support/MathSupport.h"

using pmath::Matrix;
using pmath::Vec3;
using test::Near;

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

Matrix Translation(float x, float y, float z) {
    Matrix m = pmath::Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

struct TurnCase {
    const char* name;
    Matrix rotation;
    Vec3 from;
    Vec3 to;
};

}  // namespace

TEST(MatrixTest, RotationsTurnLeftHandedRowVectors) {
    const TurnCase cases[] = {
        {"about y: z to x", pmath::MatrixFromAxisAngle({0, 1, 0}, kHalfPi), {0, 0, 1}, {1, 0, 0}},
        {"about y: x to -z", pmath::MatrixFromAxisAngle({0, 1, 0}, kHalfPi), {1, 0, 0}, {0, 0, -1}},
        {"about x: y to z", pmath::MatrixFromAxisAngle({1, 0, 0}, kHalfPi), {0, 1, 0}, {0, 0, 1}},
        {"about z: x to y", pmath::MatrixFromAxisAngle({0, 0, 1}, kHalfPi), {1, 0, 0}, {0, 1, 0}},
        {"axis of any length", pmath::MatrixFromAxisAngle({0, 5, 0}, kHalfPi), {0, 0, 1}, {1, 0, 0}},
        {"yaw: z to x", pmath::MatrixFromYawPitchRoll(kHalfPi, 0, 0), {0, 0, 1}, {1, 0, 0}},
        {"pitch: z down to -y", pmath::MatrixFromYawPitchRoll(0, kHalfPi, 0), {0, 0, 1}, {0, -1, 0}},
        {"roll: x to y", pmath::MatrixFromYawPitchRoll(0, 0, kHalfPi), {1, 0, 0}, {0, 1, 0}},
        // Pitch before yaw: x stays under the pitch, then yaws to -z (yaw first would give +y).
        {"pitch then yaw", pmath::MatrixFromYawPitchRoll(kHalfPi, kHalfPi, 0), {1, 0, 0}, {0, 0, -1}},
        // Roll before pitch: x rolls to y, then pitches to z (pitch first would give y).
        {"roll then pitch", pmath::MatrixFromYawPitchRoll(0, kHalfPi, kHalfPi), {1, 0, 0}, {0, 0, 1}},
    };
    for (const auto& c : cases) EXPECT_TRUE(Near(pmath::TransformDirection(c.from, c.rotation), c.to)) << c.name;
}

TEST(MatrixTest, ProductAppliesTheLeftMatrixFirst) {
    const Matrix turn = pmath::MatrixFromAxisAngle({0, 1, 0}, kHalfPi);
    const Matrix move = Translation(10, 0, 0);
    // Turned (0,0,1) -> (1,0,0), then moved.
    EXPECT_TRUE(Near(pmath::TransformPoint({0, 0, 1}, turn * move), {11, 0, 0}));
    // Moved to (10,0,1), then turned about the origin to (1,0,-10).
    EXPECT_TRUE(Near(pmath::TransformPoint({0, 0, 1}, move * turn), {1, 0, -10}));
}

TEST(MatrixTest, LookAtPutsTheTargetOnThePositiveZAxis) {
    const Matrix behind = pmath::LookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(Near(pmath::TransformPoint({0, 0, 0}, behind), {0, 0, 5}));
    EXPECT_TRUE(Near(pmath::TransformPoint({1, 2, 0}, behind), {1, 2, 5}));

    // Looking along +x from the origin: world -z is on the right (+x in view space).
    const Matrix alongX = pmath::LookAtLH({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(Near(pmath::TransformPoint({5, 0, 0}, alongX), {0, 0, 5}));
    EXPECT_TRUE(Near(pmath::TransformPoint({0, 0, -1}, alongX), {1, 0, 0}));
    EXPECT_TRUE(Near(pmath::TransformPoint({0, 3, 0}, alongX), {0, 3, 0}));
}

TEST(MatrixTest, ProjectionsMapDepthToZeroOne) {
    const Matrix ortho = pmath::OrthoLH(4, 2, 1, 11);
    EXPECT_TRUE(Near(pmath::TransformPoint({2, 1, 1}, ortho), {1, 1, 0}));
    EXPECT_TRUE(Near(pmath::TransformPoint({-2, -1, 11}, ortho), {-1, -1, 1}));

    // 90 degrees vertically, twice as wide as high.
    const Matrix persp = pmath::PerspectiveFovLH(kHalfPi, 2, 1, 101);
    EXPECT_TRUE(Near(pmath::TransformPoint({2, 1, 1}, persp), {1, 1, 0}));
    EXPECT_TRUE(Near(pmath::TransformPoint({-202, 101, 101}, persp), {-1, 1, 1}));
    const pmath::Vec4 clip = pmath::Transform({0, 0, 51}, persp);
    EXPECT_FLOAT_EQ(clip.w, 51.0f);
}

TEST(MatrixTest, InverseUndoesTheMatrix) {
    Matrix scaled = pmath::Identity();
    scaled.m[0][0] = 2;
    scaled.m[1][1] = 3;
    scaled.m[2][2] = 4;
    float det = 0;
    Matrix inv;
    ASSERT_TRUE(pmath::Inverse(scaled, &inv, &det));
    EXPECT_FLOAT_EQ(det, 24.0f);

    ASSERT_TRUE(pmath::Inverse(Translation(1, 2, 3), &inv));
    EXPECT_TRUE(Near(inv, Translation(-1, -2, -3)));

    const Matrix any = scaled * pmath::MatrixFromYawPitchRoll(0.3f, -1.1f, 2.0f) * Translation(5, -7, 9) *
                       pmath::PerspectiveFovLH(1.0f, 1.5f, 0.5f, 100.0f);
    ASSERT_TRUE(pmath::Inverse(any, &inv));
    EXPECT_TRUE(Near(any * inv, pmath::Identity(), 1e-4f));
    EXPECT_TRUE(Near(inv * any, pmath::Identity(), 1e-4f));
}

TEST(MatrixTest, SingularMatrixHasNoInverse) {
    Matrix flat = pmath::Identity();
    flat.m[1][1] = 0;
    Matrix out = Translation(1, 1, 1);
    float det = 5;
    EXPECT_FALSE(pmath::Inverse(flat, &out, &det));
    EXPECT_EQ(det, 0.0f);
    EXPECT_TRUE(Near(out, Translation(1, 1, 1), 0));
}
