// The application timer on the fixed clock: every frame advances exactly 1/60 s.
#include <gtest/gtest.h>

#include "core/QueryAppTimer.h"
#include "platform/os/Backends.h"
#include "platform/os/Clock.h"
#include "support/TestSupport.h"

namespace {

class QueryAppTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetPlatform();  // fixed clock, 60 frames per second, frame 0
        ResetAppTimer();
    }
    void TearDown() override { ResetAppTimer(); }

    static void Frames(int n) {
        for (int i = 0; i < n; ++i) plat::AdvanceFrame();
    }
};

TEST_F(QueryAppTimerTest, AbsoluteTimeIsTheClockInSeconds) {
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETABSOLUTETIME), 0.0);
    Frames(90);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETABSOLUTETIME), 1.5);
}

TEST_F(QueryAppTimerTest, ApplicationTimeCountsFromTheReset) {
    Frames(60);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_RESET), 0.0);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_START), 0.0);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 0.0);
    Frames(30);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 0.5);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETABSOLUTETIME), 1.5);
}

TEST_F(QueryAppTimerTest, StoppedTimeStandsStillAndStartContinuesFromThere) {
    QueryAppTimer(TIMER_RESET);
    Frames(60);
    QueryAppTimer(TIMER_STOP);
    Frames(30);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 1.0);
    Frames(30);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 1.0);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETELAPSEDTIME), 0.0);
    // Absolute time goes on while stopped.
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETABSOLUTETIME), 2.0);
    // A second stop changes nothing.
    QueryAppTimer(TIMER_STOP);
    QueryAppTimer(TIMER_START);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 1.0);
    Frames(6);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 1.1);
}

TEST_F(QueryAppTimerTest, AdvanceMovesAStoppedTimerOnATenth) {
    QueryAppTimer(TIMER_RESET);
    Frames(60);
    QueryAppTimer(TIMER_STOP);
    QueryAppTimer(TIMER_ADVANCE);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_ADVANCE), 0.0);
    EXPECT_NEAR(QueryAppTimer(TIMER_GETAPPTIME), 1.2, 1e-12);
}

TEST_F(QueryAppTimerTest, ElapsedTimeIsTheTimeSinceTheLastAsk) {
    QueryAppTimer(TIMER_RESET);
    Frames(12);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETELAPSEDTIME), 0.2);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETELAPSEDTIME), 0.0);
    Frames(3);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETELAPSEDTIME), 0.05);
}

TEST_F(QueryAppTimerTest, AResetWhileStoppedRestartsFromTheStopTime) {
    QueryAppTimer(TIMER_RESET);
    Frames(60);
    QueryAppTimer(TIMER_STOP);
    Frames(60);
    QueryAppTimer(TIMER_RESET);  // reads the stop time: the base becomes the stop time
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 1.0);
    Frames(6);
    EXPECT_DOUBLE_EQ(QueryAppTimer(TIMER_GETAPPTIME), 1.1);
}

TEST_F(QueryAppTimerTest, UnknownCommandsGiveMinusOne) {
    EXPECT_EQ(QueryAppTimer(7), -1.0);
    EXPECT_EQ(QueryAppTimer(100), -1.0);
    EXPECT_EQ(QueryAppTimer(-1), -1.0);
}

TEST(QueryAppTimerRealClockTest, AbsoluteTimeIsMonotonicWithFineResolution) {
    plat::BackendChoice choice;
    choice.clock = plat::ClockBackend::Real;
    plat::SetBackends(choice);
    ResetAppTimer();
    double first = QueryAppTimer(TIMER_GETABSOLUTETIME);
    double previous = first;
    double later = first;
    for (int i = 0; i < 100000 && later == first; ++i) {
        later = QueryAppTimer(TIMER_GETABSOLUTETIME);
        ASSERT_GE(later, previous);
        previous = later;
    }
    EXPECT_GT(later, first);
    EXPECT_LT(later - first, 0.001);  // a step well below a millisecond
    test::ResetPlatform();
    ResetAppTimer();
}

}  // namespace
