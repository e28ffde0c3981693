// Small numeric helpers: random float, step towards a target, interpolation.
#include <gtest/gtest.h>

#include "core/NumericHelpers.h"
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

}  // namespace
