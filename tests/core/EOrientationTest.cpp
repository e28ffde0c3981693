#include "core/EOrientation.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <numbers>

#include "support/MathSupport.h"

using test::Near;

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

struct Frame {
    DV front, side, up;
};

::testing::AssertionResult HasFrame(const EOrientation& o, const Frame& f) {
    if (!Near(o.m_Front, f.front)) return Near(o.m_Front, f.front) << " (front)";
    if (!Near(o.m_Side, f.side)) return Near(o.m_Side, f.side) << " (side)";
    if (!Near(o.m_Up, f.up)) return Near(o.m_Up, f.up) << " (up)";
    return ::testing::AssertionSuccess();
}

// Matrix and axes agree with the quaternion, and the matrix is a rotation with row and column 3
// of the identity, usable as a transform.
::testing::AssertionResult IsConsistent(const EOrientation& o) {
    const pmath::Matrix fromQuaternion = pmath::MatrixFromQuaternion(o.m_Quaternion);
    if (!Near(o.m_Matrix, fromQuaternion)) return Near(o.m_Matrix, fromQuaternion) << " (matrix vs quaternion)";
    if (!Near(pmath::Cross(o.m_Side, o.m_Up), o.m_Front)) return ::testing::AssertionFailure() << "not right-turning";
    for (const DV* axis : {&o.m_Front, &o.m_Side, &o.m_Up})
        if (std::fabs(pmath::Length(*axis) - 1.0f) > 1e-5f) return ::testing::AssertionFailure() << "axis not unit";
    if (o.m_Matrix.m[3][3] != 1.0f) return ::testing::AssertionFailure() << "corner element is not 1";
    return ::testing::AssertionSuccess();
}

const Frame kIdentity{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};

}  // namespace

TEST(EOrientationTest, DefaultIsTheIdentity) {
    const EOrientation o;
    EXPECT_TRUE(HasFrame(o, kIdentity));
    EXPECT_TRUE(Near(o.m_Matrix, pmath::Identity(), 0));
    EXPECT_EQ(o.m_Quaternion.w, 1.0f);
}

TEST(EOrientationTest, DirectionGivesAFrameWithWorldUp) {
    struct Case {
        DV direction;
        Frame expected;
    };
    const Case cases[] = {
        {{1, 0, 0}, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}},
        {{0, 0, 7}, kIdentity},
        {{-2, 0, 0}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}},
        {{0, 3, 3}, {{0, 0.70710678f, 0.70710678f}, {1, 0, 0}, {0, 0.70710678f, -0.70710678f}}},
        // Straight up or down: world up gives no side axis; the frame leans on world -z.
        {{0, 1, 0}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}},
        {{0, -4, 0}, {{0, -1, 0}, {-1, 0, 0}, {0, 0, -1}}},
    };
    for (const auto& c : cases) {
        const EOrientation o = EOrientation::EOrientationFromDirection(&c.direction);
        EXPECT_TRUE(HasFrame(o, c.expected)) << c.direction.x << " " << c.direction.y << " " << c.direction.z;
        EXPECT_TRUE(IsConsistent(o));
    }
}

TEST(EOrientationTest, NullOrZeroDirectionKeepsTheOrientation) {
    const DV zero{0, 0, 0};
    const DV up{0, 1, 0};
    EXPECT_TRUE(HasFrame(EOrientation::EOrientationFromDirection(nullptr), kIdentity));
    EXPECT_TRUE(HasFrame(EOrientation::EOrientationFromDirection(&zero), kIdentity));
    EOrientation o = EOrientation::EOrientationFromYawPitchRoll(kHalfPi, 0, 0);
    const Frame turned{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}};
    o.SetDirectionUp(&zero, &up);
    EXPECT_TRUE(HasFrame(o, turned));
    o.SetDirectionUp(nullptr, &up);
    o.SetDirectionUp(&up, nullptr);
    EXPECT_TRUE(HasFrame(o, turned));
}

TEST(EOrientationTest, DirectionUpOrthonormalisesTheUpVector) {
    struct Case {
        DV direction, up;
        Frame expected;
    };
    const Case cases[] = {
        {{0, 0, 1}, {0, 1, 1}, kIdentity},
        {{0, 0, 2}, {1, 0, 0}, {{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}},
        // An up vector along the direction, or zero, gives no side: the world-up frame is taken.
        {{1, 0, 0}, {3, 0, 0}, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}},
        {{1, 0, 0}, {0, 0, 0}, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}},
    };
    for (const auto& c : cases) {
        EOrientation o;
        o.SetDirectionUp(&c.direction, &c.up);
        EXPECT_TRUE(HasFrame(o, c.expected)) << c.up.x << " " << c.up.y << " " << c.up.z;
        EXPECT_TRUE(IsConsistent(o));
    }
}

TEST(EOrientationTest, YawPitchRollTurnsTheFrame) {
    const EOrientation yawed = EOrientation::EOrientationFromYawPitchRoll(kHalfPi, 0, 0);
    EXPECT_TRUE(HasFrame(yawed, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}));
    // Pitch then yaw: front dips to -y and stays there under the yaw.
    const EOrientation pitched = EOrientation::EOrientationFromYawPitchRoll(kHalfPi, kHalfPi, 0);
    EXPECT_TRUE(HasFrame(pitched, {{0, -1, 0}, {0, 0, -1}, {1, 0, 0}}));
    EXPECT_TRUE(IsConsistent(pitched));
}

TEST(EOrientationTest, MultiplyAndRotateAxisTurnAfterTheCurrentRotation) {
    // Facing +x, then a turn about the world z axis lifts front to +y. (About the local z axis,
    // which is world x, front would not move.)
    EOrientation o = EOrientation::EOrientationFromYawPitchRoll(kHalfPi, 0, 0);
    const DV worldZ{0, 0, 3};
    o.RotateAxis(&worldZ, kHalfPi);
    EXPECT_TRUE(Near(o.m_Front, {0, 1, 0}));
    EXPECT_TRUE(IsConsistent(o));

    EOrientation m = EOrientation::EOrientationFromYawPitchRoll(kHalfPi, 0, 0);
    const pmath::Quaternion turn = pmath::QuaternionFromAxisAngle({0, 0, 1}, kHalfPi);
    m.Multiply(&turn);
    EXPECT_TRUE(Near(m.m_Front, {0, 1, 0}));

    m.Multiply(nullptr);
    m.RotateAxis(nullptr, 1.0f);
    EXPECT_TRUE(Near(m.m_Front, {0, 1, 0}));
}

TEST(EOrientationTest, SlerpRunsFromThisToTheOther) {
    const EOrientation start;
    const EOrientation target = EOrientation::EOrientationFromYawPitchRoll(kHalfPi, 0, 0);
    EOrientation o = start;
    o.Slerp(&target, 0);
    EXPECT_TRUE(HasFrame(o, kIdentity));
    o.Slerp(&target, 1);
    EXPECT_TRUE(HasFrame(o, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}));
    EOrientation half = start;
    half.Slerp(&target, 0.5f);
    EXPECT_TRUE(Near(half.m_Front, {0.70710678f, 0, 0.70710678f}));
    half.Slerp(nullptr, 0.5f);
    EXPECT_TRUE(Near(half.m_Front, {0.70710678f, 0, 0.70710678f}));
}

TEST(EOrientationTest, GetYawPitchRollWritesPitchYawRollInThatOrder) {
    const EOrientation o = EOrientation::EOrientationFromYawPitchRoll(0.5f, 0.3f, 0.2f);
    float first = -1, second = -1, third = -1;
    o.GetYawPitchRoll(&first, &second, &third);
    EXPECT_NEAR(first, 0.3f, 1e-5);
    EXPECT_NEAR(second, 0.5f, 1e-5);
    EXPECT_NEAR(third, 0.2f, 1e-5);

    float a = -1, b = -1;
    o.GetYawPitchRoll(&a, &b, nullptr);
    o.GetYawPitchRoll(nullptr, &a, &b);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
}

TEST(EOrientationTest, BinaryFormIsTheFiveFieldsLittleEndian) {
    std::array<uint8_t, kOrientationBytes> bytes{};
    OrientationToBytes(EOrientation(), bytes.data());
    const uint8_t one[4] = {0x00, 0x00, 0x80, 0x3F};
    // Offsets of the 1.0 values of the identity: w, matrix diagonal, front.z, side.x, up.y.
    std::array<uint8_t, kOrientationBytes> expected{};
    for (size_t offset : {12, 16, 36, 56, 76, 88, 92, 108}) std::memcpy(&expected[offset], one, 4);
    EXPECT_EQ(bytes, expected);
}

TEST(EOrientationTest, BinaryFormRoundTripsExactly) {
    const DV direction{0.3f, -0.8f, 0.52f};
    const EOrientation o = EOrientation::EOrientationFromDirection(&direction);
    std::array<uint8_t, kOrientationBytes> bytes{};
    OrientationToBytes(o, bytes.data());
    const EOrientation back = OrientationFromBytes(bytes.data());
    EXPECT_EQ(std::memcmp(&back, &o, sizeof(EOrientation)), 0);
    static_assert(sizeof(EOrientation) == kOrientationBytes);
}
