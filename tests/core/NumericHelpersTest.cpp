// Small numeric helpers: random float, step towards a target, interpolation.
#include <gtest/gtest.h>

#include <cmath>

#include "core/NumericHelpers.h"
#include "core/ESettings.h"
#include "platform/os/Random.h"

namespace {

TEST(RandomFloatTest, StaysBelowItsArgument) {
    plat::SeedRandom(1234);
    for (int i = 0; i < 100000; ++i) {
        float r = RandomFloat(1.0f);
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
    EXPECT_EQ(RandomFloat(0.0f), 0.0f);
}

TEST(RandomFloatTest, IsTheGeneratorsNumberScaled) {
    plat::SeedRandom(7);
    int r = plat::Random();
    plat::SeedRandom(7);
    EXPECT_FLOAT_EQ(RandomFloat(10.0f), static_cast<float>(r) * 10.0f / 32768.0f);
}

TEST(MoveTowardsTest, StepsWithoutPassingTheTarget) {
    float v = 0.0f;
    float expected[] = {0.3f, 0.6f, 0.9f, 1.0f, 1.0f};
    for (float e : expected) {
        MoveTowards(&v, 1.0f, 0.3f);
        EXPECT_FLOAT_EQ(v, e);
    }
    v = 1.0f;
    MoveTowards(&v, 0.5f, 0.3f);
    EXPECT_FLOAT_EQ(v, 0.7f);
    MoveTowards(&v, 0.5f, 0.3f);
    EXPECT_FLOAT_EQ(v, 0.5f);
    MoveTowards(nullptr, 1.0f, 1.0f);
}

TEST(LerpTest, ClampsT) {
    EXPECT_FLOAT_EQ(Lerp(2.0f, 4.0f, 0.5f), 3.0f);
    EXPECT_FLOAT_EQ(Lerp(2.0f, 4.0f, -1.0f), 2.0f);
    EXPECT_FLOAT_EQ(Lerp(2.0f, 4.0f, 3.0f), 4.0f);
}

TEST(LerpColorTest, PerChannelTruncated) {
    EXPECT_EQ(LerpColor(0xFF000000u, 0x00FF00FFu, 0.5f), 0x7F7F007Fu);
    EXPECT_EQ(LerpColor(0x10203040u, 0xA0B0C0D0u, 2.0f), 0xA0B0C0D0u);
    EXPECT_EQ(LerpColor(0x10203040u, 0xA0B0C0D0u, -1.0f), 0x10203040u);
}

TEST(NearlyEqualTest, WithinTheTolerance) {
    EXPECT_TRUE(NearlyEqual(1.0f, 1.05f, 0.1f));
    EXPECT_TRUE(NearlyEqual(1.0f, 1.0f, 0.0f));
    EXPECT_FALSE(NearlyEqual(1.0f, 1.2f, 0.1f));
}

TEST(LerpDVTest, AlongTheSegmentWithoutClampingT) {
    const DV a{1.0f, 2.0f, 3.0f};
    const DV b{5.0f, 2.0f, 0.0f};  // 5 away from a
    struct Case {
        float t;
        DV expected;
    } cases[] = {
        {0.0f, a}, {1.0f, b}, {0.5f, {3.0f, 2.0f, 1.5f}}, {2.0f, {9.0f, 2.0f, -3.0f}}, {-1.0f, {-3.0f, 2.0f, 6.0f}},
    };
    for (const Case& c : cases) {
        DV p = LerpDV(&a, &b, c.t);
        EXPECT_NEAR(p.x, c.expected.x, 1e-5f) << c.t;
        EXPECT_NEAR(p.y, c.expected.y, 1e-5f) << c.t;
        EXPECT_NEAR(p.z, c.expected.z, 1e-5f) << c.t;
    }
    EXPECT_EQ(LerpDV(&a, &a, 0.7f), a);
    EXPECT_EQ(LerpDV(nullptr, &b, 0.5f), DV{});
    EXPECT_EQ(LerpDV(&a, nullptr, 0.5f), DV{});
}

TEST(VectorToRGBTest, ChannelsFromTheComponents) {
    struct Case {
        DV v;
        bool scale;
        uint32_t expected;
    } cases[] = {
        {{0x12, 0x34, 0x56}, false, 0x123456u},
        {{18.9f, 52.2f, 86.99f}, false, 0x123456u},  // truncated
        {{1.0f, 0.5f, 0.0f}, true, 0xFF7F00u},
        // Out of range components stay within their own byte.
        {{300.0f, -4.0f, 256.0f}, false, 0xFF00FFu},
        {{0.0f, 2.0f, 0.0f}, true, 0x00FF00u},
    };
    for (const Case& c : cases) EXPECT_EQ(VectorToRGB(&c.v, c.scale), c.expected) << c.v.x << " " << c.v.y;
    EXPECT_EQ(VectorToRGB(nullptr, true), 0u);
}

TEST(IsInViewConeTest, WithinTheHalfAngleAndInFront) {
    const DV eye{10.0f, 0.0f, 0.0f};
    const DV ahead{0.0f, 0.0f, 2.0f};  // any length
    const float quarter = 3.14159265f / 4.0f;
    struct Case {
        DV point;
        float halfAngle;
        bool expected;
    } cases[] = {
        {{10.0f, 0.0f, 5.0f}, 0.001f, true},    // on the axis
        {{13.0f, 0.0f, 4.0f}, quarter, true},   // about 37 degrees off
        {{15.0f, 0.0f, 4.0f}, quarter, false},  // about 51 degrees off
        {{10.0f, 0.0f, -5.0f}, 3.0f, false},    // behind, whatever the angle
        {{11.0f, 0.0f, 0.0f}, 3.0f, false},     // square to the view
        {eye, 3.0f, false},                     // the position itself
        {{10.0f, 0.0f, 5.0f}, 0.00009f, false}, // too narrow a cone
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsInViewCone(&eye, &ahead, &c.point, c.halfAngle), c.expected) << c.point.x << " " << c.point.z;
    const DV p{10.0f, 0.0f, 5.0f};
    EXPECT_FALSE(IsInViewCone(nullptr, &ahead, &p, 1.0f));
    EXPECT_FALSE(IsInViewCone(&eye, nullptr, &p, 1.0f));
    EXPECT_FALSE(IsInViewCone(&eye, &ahead, nullptr, 1.0f));
}

TEST(IsInViewConeTest, APointOnASlantedAxisIsInsideTheNarrowestCone) {
    // The two normalised vectors' dot product can round to just above 1 for these directions.
    const DV eye{1.0f, 2.0f, 3.0f};
    for (int i = 1; i < 50; ++i) {
        const DV direction{0.1f * i, 0.37f * i - 3.0f, 0.05f * i + 0.3f};
        const DV point = eye + direction * 3.0f;
        EXPECT_TRUE(IsInViewCone(&eye, &direction, &point, 0.001f)) << i;
    }
}

}  // namespace

namespace {

// An eye at the origin looking along +z with a square 90-degree view on an 800 x 600 screen.
struct ProjectToScreenTest : ::testing::Test {
    void SetUp() override {
        g_Settings.m_fScaleX = 800.0f / 1024;
        g_Settings.m_fScaleY = 600.0f / 768;
        view = pmath::LookAtLH(DV{0, 0, 0}, DV{0, 0, 1}, DV{0, 1, 0});
        projection = pmath::PerspectiveFovLH(3.14159265f / 2, 1.0f, 0.1f, 100.0f);
    }
    void TearDown() override {
        g_Settings.m_fScaleX = 1;
        g_Settings.m_fScaleY = 1;
    }
    pmath::Matrix view, projection;
};

TEST_F(ProjectToScreenTest, PointsInFrontLandAroundTheScaledCentre) {
    struct Case {
        DV point;
        float x, y;
    } cases[] = {{{0, 0, 10}, 400, 300}, {{10, 0, 10}, 800, 300}, {{0, 5, 10}, 400, 150}, {{-5, -10, 10}, 200, 600}};
    for (const Case& c : cases) {
        float x = -1, y = -1;
        ASSERT_TRUE(ProjectToScreen(c.point, view, projection, &x, &y));
        EXPECT_NEAR(x, c.x, 1e-3);
        EXPECT_NEAR(y, c.y, 1e-3);
    }
}

// Behind the eye or on its plane there is no screen place: nothing mirrored, nothing infinite.
TEST_F(ProjectToScreenTest, PointsBehindOrBesideTheEyeHaveNoPlace) {
    for (DV point : {DV{0, 0, -10}, DV{3, 1, 0}, DV{0, 0, 0}}) {
        float x = -1, y = -1;
        EXPECT_FALSE(ProjectToScreen(point, view, projection, &x, &y));
        EXPECT_EQ(x, -1);
        EXPECT_EQ(y, -1);
    }
}

}  // namespace
