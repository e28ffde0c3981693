#include <gtest/gtest.h>

#include "platform/os/Clock.h"
#include "platform/os/Random.h"
#include "support/TestSupport.h"

namespace {

TEST(Random, FollowsTheFifteenBitRuntimeSequence) {
    plat::SeedRandom(1);
    EXPECT_EQ(plat::Random(), 41);
    EXPECT_EQ(plat::Random(), 18467);
    EXPECT_EQ(plat::Random(), 6334);
    plat::SeedRandom(1);
    EXPECT_EQ(plat::Random(), 41);
    for (int i = 0; i < 1000; ++i) {
        int r = plat::Random();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, plat::RandomMax);
    }
}

TEST(FixedClock, AdvancesExactlyOneFrameTimePerFrame) {
    test::ResetPlatform();  // fixed:60
    EXPECT_EQ(plat::PerformanceCounter(), 0);
    plat::AdvanceFrame();
    plat::AdvanceFrame();
    plat::AdvanceFrame();
    EXPECT_DOUBLE_EQ(static_cast<double>(plat::PerformanceCounter()) / plat::PerformanceFrequency(), 3.0 / 60.0);
    EXPECT_EQ(plat::MillisecondTime(), 50u);
}

}  // namespace
