#include "core/GeometryHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/MathSupport.h"

using test::Near;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kHalfPi = kPi / 2;
constexpr float kTwoPi = 2 * kPi;

}  // namespace

TEST(GeometryHelpersTest, TransformNormalAddsRowThreeAndMayWorkInPlace) {
    pmath::Matrix move = pmath::Identity();
    move.m[3][0] = 5;
    const DV origin{0, 0, 0};
    DV out;
    TransformNormal(&out, &origin, &move);
    EXPECT_TRUE(Near(out, {5, 0, 0}, 0));

    const pmath::Matrix turn = pmath::MatrixFromAxisAngle({0, 1, 0}, kHalfPi);
    DV v{0, 0, 2};
    TransformNormal(&v, &v, &turn);
    EXPECT_TRUE(Near(v, {2, 0, 0}));
}

TEST(GeometryHelpersTest, PerpendicularVectorFollowsTheLargestComponent) {
    struct Case {
        DV v, expected;
    };
    const float r = 3 * std::sqrt(2.0f);
    const Case cases[] = {
        {{0, 0, 1}, {1, 1, 0}},
        {{1, 0, 0}, {0, 1, 1}},
        {{3, 3, 0}, {r, -r, r}},  // x and y tie: y is chosen
        {{0, 2, 2}, {2 * std::sqrt(2.0f), 2 * std::sqrt(2.0f), -2 * std::sqrt(2.0f)}},  // tie with z: z
    };
    for (const auto& c : cases) {
        DV out;
        PerpendicularVector(&out, &c.v);
        EXPECT_TRUE(Near(out, c.expected)) << c.v.x << " " << c.v.y << " " << c.v.z;
    }
}

TEST(GeometryHelpersTest, PerpendicularVectorIsFiniteForZeroOrNegativeLargestComponents) {
    // Inputs whose greatest signed component is 0, plus the zero vector and a vector too short to
    // measure: the result must be a finite, non-zero perpendicular.
    const DV inputs[] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, -1}, {-2, -3, -1}, {0, 0, 0}, {1e-30f, 0, 0}};
    for (const auto& v : inputs) {
        DV out;
        PerpendicularVector(&out, &v);
        const float length = pmath::Length(out);
        ASSERT_TRUE(std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z)) << v.x << v.y << v.z;
        EXPECT_GT(length, 0.0f);
        EXPECT_NEAR(pmath::Dot(pmath::Normalize(out), pmath::Normalize(v)), 0.0f, 1e-6f);
        EXPECT_GE(length, std::sqrt(2.0f) * pmath::Length(v) * 0.9999f);
    }
}

TEST(GeometryHelpersTest, RotationBetweenVectorsTurnsFromIntoTo) {
    struct Case {
        DV from, to;
        float angle;
    };
    const Case cases[] = {
        {{0, 0, 1}, {1, 0, 0}, kHalfPi},
        {{0, 0, 2}, {3, 0, 0}, kHalfPi},
        // Short bone vectors far from parallel: their raw cross product is below 0.01.
        {{0, 0, 0.05f}, {0.05f, 0, 0.05f}, kPi / 4},
        {{1, 2, 3}, {-3, 1, 0.5f}, std::acos(pmath::Dot(pmath::Normalize({1, 2, 3}), pmath::Normalize({-3, 1, 0.5f})))},
    };
    for (const auto& c : cases) {
        pmath::Matrix m;
        float angle = -1;
        RotationBetweenVectors(&c.from, &c.to, &m, nullptr, &angle);
        EXPECT_NEAR(angle, c.angle, 1e-5f);
        EXPECT_TRUE(Near(pmath::TransformDirection(pmath::Normalize(c.from), m), pmath::Normalize(c.to)))
            << c.to.x << " " << c.to.y << " " << c.to.z;
    }
}

TEST(GeometryHelpersTest, RotationBetweenCloseOrOppositeDirectionsTurnsAboutAPerpendicular) {
    const DV z{0, 0, 1};
    const DV minusZ{0, 0, -1};
    DV axis;
    float angle = -1;
    RotationBetweenVectors(&z, &minusZ, nullptr, &axis, &angle);
    EXPECT_NEAR(angle, kPi, 1e-6f);
    EXPECT_TRUE(Near(axis, {1, 1, 0}));

    RotationBetweenVectors(&z, &z, nullptr, &axis, &angle);
    EXPECT_EQ(angle, 0.0f);
    EXPECT_TRUE(Near(axis, {1, 1, 0}));

    // A direction too short to have one counts as +x (from) or +z (to).
    const DV none{0, 0, 0.0005f};
    RotationBetweenVectors(&none, &none, nullptr, nullptr, &angle);
    EXPECT_NEAR(angle, kHalfPi, 1e-6f);
}

TEST(GeometryHelpersTest, PointPlaneDistanceIsUnsignedAndScaleFree) {
    const DV onPlane{0, 2, 0};
    const DV above{3, 5, 1};
    const DV below{3, -1, 1};
    for (const DV& normal : {DV{0, 1, 0}, DV{0, -40, 0}}) {
        EXPECT_FLOAT_EQ(PointPlaneDistance(&above, &onPlane, &normal), 3.0f);
        EXPECT_FLOAT_EQ(PointPlaneDistance(&below, &onPlane, &normal), 3.0f);
    }
    const DV zero{0, 0, 0};
    EXPECT_EQ(PointPlaneDistance(&above, &onPlane, &zero), 0.0f);
}

TEST(GeometryHelpersTest, PointSegmentDistanceClampsToTheEnds) {
    struct Case {
        DV p, a, b, closest;
    };
    const Case cases[] = {
        {{1, 2, 0}, {0, 0, 0}, {4, 0, 0}, {1, 0, 0}},
        {{-3, 4, 0}, {0, 0, 0}, {4, 0, 0}, {0, 0, 0}},
        {{7, 4, 0}, {0, 0, 0}, {4, 0, 0}, {4, 0, 0}},
        {{3, 4, 0}, {0, 0, 0}, {0.01f, 0, 0}, {0, 0, 0}},  // squared length below 0.001: a point
    };
    for (const auto& c : cases) {
        DV closest;
        const float distance = PointSegmentDistance(&c.p, &c.a, &c.b, &closest);
        EXPECT_TRUE(Near(closest, c.closest));
        EXPECT_NEAR(distance, pmath::Length(c.p - c.closest), 1e-5f);
    }
}

TEST(GeometryHelpersTest, SegmentSegmentDistanceFindsTheClosestPair) {
    struct Case {
        const char* name;
        DV p0, p1, q0, q1;
        float distSq, s, t;
    };
    const Case cases[] = {
        {"crossing", {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 3, 0}, 0, 0.5f, 0.25f},
        {"skew, interior", {-1, 0, 0}, {1, 0, 0}, {0, -1, 2}, {0, 1, 2}, 4, 0.5f, 0.5f},
        {"skew, beyond both ends", {0, 0, 0}, {1, 0, 0}, {2, 1, 1}, {2, 3, 1}, 3, 1, 0},
        {"skew, clamped on one", {0, 0, 0}, {1, 0, 0}, {3, -1, 0}, {3, 1, 0}, 4, 1, 0.5f},
        {"collinear overlapping, same way", {0, 0, 0}, {2, 0, 0}, {1, 0, 0}, {3, 0, 0}, 0, 0.5f, 0},
        {"parallel, same way, q ahead", {0, 0, 0}, {1, 0, 0}, {3, 1, 0}, {4, 1, 0}, 5, 1, 0},
        {"parallel, same way, q behind", {0, 0, 0}, {1, 0, 0}, {-4, 1, 0}, {-2, 1, 0}, 5, 0, 1},
        {"parallel, opposite, overlapping", {0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {-1, 1, 0}, 1, 0.5f, 0},
        {"parallel, opposite, q ahead", {0, 0, 0}, {1, 0, 0}, {4, 1, 0}, {2, 1, 0}, 2, 1, 1},
        // Short segments are not parallel just because the product of their lengths is small.
        {"short, perpendicular", {0, 0, 0}, {0.001f, 0, 0}, {0, -1, 1}, {0, 1, 1}, 1, 0, 0.5f},
        {"first is a point", {0, 1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}, 1, 0, 0.5f},
        {"second is a point", {-1, 0, 0}, {1, 0, 0}, {0.5f, 2, 0}, {0.5f, 2, 0}, 4, 0.75f, 0},
    };
    for (const auto& c : cases) {
        float s = -1, t = -1;
        const float distSq = SegmentSegmentDistance(&c.p0, &c.p1, &c.q0, &c.q1, &s, &t);
        EXPECT_NEAR(distSq, c.distSq, 1e-5f) << c.name;
        EXPECT_NEAR(s, c.s, 1e-5f) << c.name;
        EXPECT_NEAR(t, c.t, 1e-5f) << c.name;
    }
}

TEST(GeometryHelpersTest, SegmentSphereIntersectCountsTouching) {
    const DV p0{-5, 0, 0};
    const DV p1{5, 0, 0};
    const DV touching{1, 2, 0};
    const DV beyond{1, 2.01f, 0};
    const DV nearEnd{6, 1, 0};
    EXPECT_TRUE(SegmentSphereIntersect(&p0, &p1, &touching, 2));
    EXPECT_FALSE(SegmentSphereIntersect(&p0, &p1, &beyond, 2));
    EXPECT_TRUE(SegmentSphereIntersect(&p0, &p1, &nearEnd, 1.5f));
}

TEST(GeometryHelpersTest, SegmentSphereHitReportsTheFirstCrossingFromTheStart) {
    struct Case {
        const char* name;
        DV p0, p1, centre;
        float radius;
        bool hit;
        float t;
    };
    const Case cases[] = {
        {"enters", {-10, 0, 0}, {10, 0, 0}, {0, 0, 0}, 2, true, 0.4f},
        {"starts inside: exit", {0, 0, 0}, {10, 0, 0}, {0, 0, 0}, 2, true, 0.2f},
        {"tangent", {-10, 2, 0}, {10, 2, 0}, {0, 0, 0}, 2, false, 0},
        {"ends before", {-10, 0, 0}, {-5, 0, 0}, {0, 0, 0}, 2, false, 0},
        {"starts beyond", {5, 0, 0}, {10, 0, 0}, {0, 0, 0}, 2, false, 0},
        {"a point", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 2, false, 0},
        // Far from the origin a small sphere is still told apart from a near miss.
        {"far, through", {30000, 0, 29990}, {30000, 0, 30010}, {30000, 0, 30000}, 0.5f, true, 0.475f},
        {"far, passing by", {30000.6f, 0, 29990}, {30000.6f, 0, 30010}, {30000, 0, 30000}, 0.5f, false, 0},
    };
    for (const auto& c : cases) {
        float t = -7;
        EXPECT_EQ(SegmentSphereHit(&c.p0, &c.p1, &c.centre, c.radius, &t), c.hit) << c.name;
        EXPECT_NEAR(t, c.hit ? c.t : -7, 1e-3f) << c.name;
    }
}

TEST(GeometryHelpersTest, MatrixToYawPitchRollRecoversTheAngles) {
    struct Case {
        float yaw, pitch, roll;
        float expectYaw, expectPitch, expectRoll;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0},
        {kHalfPi, 0, 0, kHalfPi, 0, 0},
        {-0.01f, 0, 0, kTwoPi - 0.01f, 0, 0},
        {2.5f, 0, 0, 2.5f, 0, 0},
        {4.0f, 0, 0, 4.0f, 0, 0},
        {1.0f, 0.5f, -0.3f, 1.0f, 0.5f, kTwoPi - 0.3f},
        {0.2f, -1.2f, 2.0f, 0.2f, kTwoPi - 1.2f, 2.0f},
        {3.0f, 1.0f, 3.5f, 3.0f, 1.0f, 3.5f},
    };
    for (const auto& c : cases) {
        const pmath::Matrix m = pmath::MatrixFromYawPitchRoll(c.yaw, c.pitch, c.roll);
        float pitch = -1, yaw = -1, roll = -1;
        MatrixToYawPitchRoll(&m, &pitch, &yaw, &roll);
        EXPECT_NEAR(yaw, c.expectYaw, 1e-4f) << c.yaw << " " << c.pitch << " " << c.roll;
        EXPECT_NEAR(pitch, c.expectPitch, 1e-4f) << c.yaw << " " << c.pitch << " " << c.roll;
        EXPECT_NEAR(roll, c.expectRoll, 1e-4f) << c.yaw << " " << c.pitch << " " << c.roll;
    }
}

TEST(GeometryHelpersTest, MatrixToYawPitchRollLookingStraightDownKeepsTheTurnInRoll) {
    // Front straight down has no horizontal part: yaw is 0 and the turn comes back as roll.
    const pmath::Matrix m = pmath::MatrixFromYawPitchRoll(0.7f, kHalfPi, 0);
    float pitch = -1, yaw = -1, roll = -1;
    MatrixToYawPitchRoll(&m, &pitch, &yaw, &roll);
    EXPECT_EQ(yaw, 0.0f);
    EXPECT_NEAR(pitch, kHalfPi, 1e-3f);
    EXPECT_TRUE(Near(pmath::MatrixFromYawPitchRoll(yaw, pitch, roll), m, 1e-3f));
}

TEST(GeometryHelpersTest, DirectionHeadingRunsFromZTowardsX) {
    const DV minusX{-1, 0, 0}, plusX{1, 0, 0}, back{0, 0, -1}, beyondOne{0, 0, 1.0001f};
    EXPECT_NEAR(DirectionHeading(&minusX), -kHalfPi, 1e-6f);
    EXPECT_NEAR(DirectionHeading(&plusX), kHalfPi, 1e-6f);
    EXPECT_NEAR(DirectionHeading(&back), kPi, 1e-6f);
    EXPECT_EQ(DirectionHeading(&beyondOne), 0.0f);
    EXPECT_EQ(DirectionHeading(nullptr), 0.0f);
}
