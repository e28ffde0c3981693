#include "platform/math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/MathSupport.h"

using pmath::Quaternion;
using test::Near;
using test::SameRotation;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kHalfPi = kPi / 2;
const float kRootHalf = std::sqrt(0.5f);

}  // namespace

TEST(QuaternionTest, AxisAngleHoldsHalfAngles) {
    const Quaternion q = pmath::QuaternionFromAxisAngle({0, 3, 0}, kHalfPi);
    EXPECT_NEAR(q.x, 0, 1e-6);
    EXPECT_NEAR(q.y, kRootHalf, 1e-6);
    EXPECT_NEAR(q.z, 0, 1e-6);
    EXPECT_NEAR(q.w, kRootHalf, 1e-6);
}

TEST(QuaternionTest, MatrixMatchesTheAxisAngleMatrix) {
    const pmath::Vec3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, -3}};
    for (const auto& axis : axes)
        for (float angle : {0.4f, -2.5f, kPi})
            EXPECT_TRUE(Near(pmath::MatrixFromQuaternion(pmath::QuaternionFromAxisAngle(axis, angle)),
                             pmath::MatrixFromAxisAngle(axis, angle)))
                << axis.x << " " << axis.y << " " << axis.z << " angle " << angle;
}

TEST(QuaternionTest, ProductAppliesTheLeftRotationFirst) {
    const Quaternion aboutX = pmath::QuaternionFromAxisAngle({1, 0, 0}, kHalfPi);
    const Quaternion aboutY = pmath::QuaternionFromAxisAngle({0, 1, 0}, kHalfPi);
    const pmath::Vec3 up{0, 1, 0};
    // y turns about x to z, then about y to x.
    EXPECT_TRUE(Near(pmath::TransformDirection(up, pmath::MatrixFromQuaternion(pmath::Multiply(aboutX, aboutY))),
                     {1, 0, 0}));
    // y stays under the turn about y, then turns about x to z.
    EXPECT_TRUE(Near(pmath::TransformDirection(up, pmath::MatrixFromQuaternion(pmath::Multiply(aboutY, aboutX))),
                     {0, 0, 1}));
    // The same order as the matrices' product.
    EXPECT_TRUE(Near(pmath::MatrixFromQuaternion(pmath::Multiply(aboutX, aboutY)),
                     pmath::MatrixFromAxisAngle({1, 0, 0}, kHalfPi) * pmath::MatrixFromAxisAngle({0, 1, 0}, kHalfPi)));
}

TEST(QuaternionTest, YawPitchRollIsRollThenPitchThenYaw) {
    const float yaw = 0.7f, pitch = -0.4f, roll = 2.1f;
    const Quaternion expected =
        pmath::Multiply(pmath::Multiply(pmath::QuaternionFromAxisAngle({0, 0, 1}, roll),
                                        pmath::QuaternionFromAxisAngle({1, 0, 0}, pitch)),
                        pmath::QuaternionFromAxisAngle({0, 1, 0}, yaw));
    const Quaternion q = pmath::QuaternionFromYawPitchRoll(yaw, pitch, roll);
    EXPECT_NEAR(q.x, expected.x, 1e-6);
    EXPECT_NEAR(q.y, expected.y, 1e-6);
    EXPECT_NEAR(q.z, expected.z, 1e-6);
    EXPECT_NEAR(q.w, expected.w, 1e-6);
}

TEST(QuaternionTest, FromMatrixRecoversEveryKindOfRotation) {
    // Small turns (positive trace) and half turns about each axis (each largest-diagonal branch).
    const Quaternion cases[] = {
        {},
        pmath::QuaternionFromAxisAngle({1, 2, 3}, 0.3f),
        pmath::QuaternionFromAxisAngle({1, 0, 0}, kPi),
        pmath::QuaternionFromAxisAngle({0, 1, 0}, kPi),
        pmath::QuaternionFromAxisAngle({0, 0, 1}, kPi),
        pmath::QuaternionFromAxisAngle({1, 0.2f, -0.1f}, 3.0f),
        pmath::QuaternionFromAxisAngle({0.1f, -1, 0.3f}, -2.9f),
        pmath::QuaternionFromAxisAngle({0.2f, 0.1f, 1}, 2.8f),
    };
    for (const auto& q : cases)
        EXPECT_TRUE(SameRotation(pmath::QuaternionFromMatrix(pmath::MatrixFromQuaternion(q)), q));
}

TEST(QuaternionTest, SlerpRunsAlongTheShorterArc) {
    const Quaternion from{};
    const Quaternion to = pmath::QuaternionFromAxisAngle({0, 1, 0}, kHalfPi);
    const Quaternion toFlipped{-to.x, -to.y, -to.z, -to.w};
    const Quaternion halfway = pmath::QuaternionFromAxisAngle({0, 1, 0}, kHalfPi / 2);
    EXPECT_TRUE(SameRotation(pmath::Slerp(from, to, 0), from));
    EXPECT_TRUE(SameRotation(pmath::Slerp(from, to, 1), to));
    EXPECT_TRUE(SameRotation(pmath::Slerp(from, to, 0.5f), halfway));
    // The negated target is the same rotation: the path must not go the long way round.
    EXPECT_TRUE(SameRotation(pmath::Slerp(from, toFlipped, 0.5f), halfway));

    // Nearly equal quaternions blend without dividing by a vanishing sine.
    const Quaternion close = pmath::QuaternionFromAxisAngle({0, 1, 0}, 1e-4f);
    const Quaternion blended = pmath::Slerp(from, close, 0.5f);
    EXPECT_TRUE(std::isfinite(blended.w));
    EXPECT_TRUE(SameRotation(blended, pmath::QuaternionFromAxisAngle({0, 1, 0}, 5e-5f)));
}
