// The end of a run without a physics world: what starts the finish, the place from the race or
// the times, the result and defeat lines and what they book, the outro's orbit and the task checks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/EConsole.h"
#include "core/ETextMgr.h"
#include "support/ConsoleLogTest.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/VehiclesHooks.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EObjectSlot.h"
#include "world/GameAI.h"

namespace {

constexpr float kStep = 1.0f / 60;

struct Booking {
    int calls = 0, route = -9, place = -9, prize = -9, defeats = 0, pages = 0;
    float time = -1;
};
Booking g_booked;

class RunEndTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_RuchMgr);
        test::ResetGlobal(g_RoutesMgr);
        test::ResetGlobal(g_GameAI);
        g_booked = Booking{};
        g_VehiclesHooks = VehiclesHooks{};
        g_VehiclesHooks.profileDifficulty = [] { return 1; };
        g_VehiclesHooks.bookRaceResult = [](int route, int place, float time, int prize) {
            ++g_booked.calls;
            g_booked.route = route;
            g_booked.place = place;
            g_booked.time = time;
            g_booked.prize = prize;
        };
        g_VehiclesHooks.bookDefeat = [] { ++g_booked.defeats; };
        g_VehiclesHooks.showResultPage = [](const char*) { ++g_booked.pages; };
        WriteFile("scripts\\text_keys.txt",
                  ">G34 Third:\n>G35 Podium.\n>G36 Prize:\n>G39 Second:\n>G40 Fine.\n>G41 Prize:\n>G42 Won:\n"
                  ">G43 Cup.\n>G44 Prize:\n>G45 Lost.\n>G46 Next time.\n>G47 Again.\n");
        g_TextMgr.Load();
        m_route.Reset();
        m_route.m_iPrizes[0] = 1000;
        m_route.m_iPrizes[1] = 500;
        m_route.m_iPrizes[2] = 250;
        const float times[9] = {90, 120, 150, 60, 80, 100, 45, 60, 75};
        for (int i = 0; i < 9; ++i) m_route.m_fPlaceTimes[i] = times[i];
        g_RoutesMgr.m_pCurrentRoute = &m_route;
        g_RoutesMgr.m_iCurrentRoute = 6;
        g_Player.m_pVehicle = &m_vehicle;
        g_Player.m_fFrameTime = kStep;
    }
    void TearDown() override {
        g_Player.m_pVehicle = nullptr;
        g_Player.m_pEndMarker = nullptr;
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_RuchMgr);
        test::ResetGlobal(g_RoutesMgr);
        test::ResetGlobal(g_GameAI);
        g_VehiclesHooks = VehiclesHooks{};
        ConsoleLogTest::TearDown();
    }
    RouteRecord m_route;
    EObjectSlot m_vehicle;
};

// A time equal to a place's limit has not made it.
TEST_F(RunEndTest, ThePlaceByTimeIsTheFirstLimitTheRunTimeIsBelow) {
    const float triple[3] = {60, 80, 100};
    struct Case {
        float time;
        int place;
    } cases[] = {{0, 1}, {59.99f, 1}, {60, 2}, {79.9f, 2}, {80, 3}, {99.99f, 3}, {100, 0}, {5000, 0}};
    for (const Case& c : cases) EXPECT_EQ(CPlayer::PlaceByTime(c.time, triple), c.place) << c.time;
}

TEST_F(RunEndTest, TheDifficultyPicksThePlaceTimesAndAnyOtherValueTakesTheHardOnes) {
    struct Case {
        int difficulty;
        float first;
    } cases[] = {{0, 90}, {1, 60}, {2, 45}, {-1, 45}, {3, 45}, {42, 45}};
    for (const Case& c : cases) {
        static int s_level;
        s_level = c.difficulty;
        g_VehiclesHooks.profileDifficulty = [] { return s_level; };
        EXPECT_EQ(CPlayer::PlaceTimes(m_route)[0], c.first) << c.difficulty;
        EXPECT_EQ(DifficultyLevel(c.difficulty), c.difficulty >= 0 && c.difficulty <= 2 ? c.difficulty : 2);
    }
}

TEST_F(RunEndTest, ThePlaceComesFromTheRaceOnOpponentRoutesAndFromTheTimesOnFieldTasks) {
    g_RuchMgr.m_iRacePosition = 4;
    struct Case {
        bool opponents, fieldTask;
        float time;
        int place;
    } cases[] = {
        {true, false, 10, 4},   // the race decides, however fast
        {false, false, 70, 2},  // a time route
        {false, false, 100, 0},
        {false, true, 50, 1},   // a field task within the times
        {false, true, 150, 0},  // beyond them: what the route gave, none here
        {true, true, 150, 4},   // a field task with opponents keeps the race's place beyond the times
        {true, true, 79, 2},
    };
    for (const Case& c : cases) {
        m_route.m_bWithOpponents = c.opponents;
        m_route.m_bPloughing = c.fieldTask;
        g_Player.m_fRunTime = c.time;
        EXPECT_EQ(g_Player.ChoosePlace(), c.place) << c.opponents << c.fieldTask << " " << c.time;
    }
}

TEST_F(RunEndTest, ASecondPlaceShowsItsLinesBooksItsPrizeAndOpensTheResultPage) {
    g_Player.m_fRunTime = 65.0f;
    g_Player.ShowResult();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_STREQ(g_Player.m_szResultLines[0], "Second: 01:05.00");
    EXPECT_STREQ(g_Player.m_szResultLines[1], "Fine.");
    EXPECT_STREQ(g_Player.m_szResultLines[2], "Prize: 500");
    EXPECT_EQ(g_Player.m_iResultPlace, 2);
    EXPECT_EQ(g_booked.calls, 1);
    EXPECT_EQ(g_booked.route, 6);
    EXPECT_EQ(g_booked.place, 2);
    EXPECT_EQ(g_booked.prize, 500);
    EXPECT_FLOAT_EQ(g_booked.time, 65.0f);
    EXPECT_EQ(g_booked.pages, 1);
}

TEST_F(RunEndTest, NoPlaceShowsTheDefeatLinesAndWinsNoPrize) {
    m_route.m_bWithOpponents = 1;
    g_RuchMgr.m_iRacePosition = 5;
    g_Player.ShowResult();
    EXPECT_STREQ(g_Player.m_szResultLines[0], "Lost.");
    EXPECT_STREQ(g_Player.m_szResultLines[2], "Again.");
    EXPECT_EQ(g_Player.m_iResultPlace, -1);
    EXPECT_EQ(g_booked.place, 5);
    EXPECT_EQ(g_booked.prize, 0);
}

TEST_F(RunEndTest, ADefeatComesOnlyOnceAndNeverAfterTheFinishFadeStarted) {
    g_Player.StartFadeOut();
    g_Player.ShowDefeat();
    EXPECT_FALSE(g_Player.m_bRunFinished);
    EXPECT_EQ(g_booked.defeats, 0);
    EXPECT_EQ(g_booked.pages, 0);

    test::ResetGlobal(g_Player);
    g_Player.m_bDrivingEnabled = 1;
    g_Player.ShowDefeat();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_FALSE(g_Player.m_bDrivingEnabled);
    EXPECT_STREQ(g_Player.m_szResultLines[1], "Next time.");
    EXPECT_EQ(g_Player.m_iResultPlace, -1);
    EXPECT_EQ(g_booked.defeats, 1);
    EXPECT_EQ(g_booked.pages, 1);
}

TEST_F(RunEndTest, TheFinishStartsOnceAndASecondTriggerDoesNotRestartTheFade) {
    g_Player.m_bDrivingEnabled = 1;
    g_Player.StartFadeOut();
    EXPECT_TRUE(g_Player.m_bFadeStarted);
    EXPECT_FALSE(g_Player.m_bDrivingEnabled);
    g_Player.m_fFade = 3.0f;
    g_Player.StartFadeOut();
    EXPECT_FLOAT_EQ(g_Player.m_fFade, 3.0f);
}

TEST_F(RunEndTest, TheFinishMarkerEndsTheRunWithin32) {
    EObjectSlot marker;
    marker.m_vPosition = DV{0, 0, 100};
    g_Player.m_pEndMarker = &marker;
    g_Player.m_vPosition = DV{0, 0, 67.5f};
    g_Player.CheckFinishMarker();
    EXPECT_FALSE(g_Player.m_bFadeStarted);
    g_Player.m_vPosition = DV{0, 0, 68.5f};
    g_Player.CheckFinishMarker();
    EXPECT_TRUE(g_Player.m_bFadeStarted);
}

TEST_F(RunEndTest, TheLevelsKoniecStartsTheFinishAndStacjaHoldsForOneFrame) {
    g_GameAI.SetVariable("stacja", nullptr);
    g_Player.CheckLevelVariables();
    EXPECT_TRUE(g_Player.m_bAtStation);
    EXPECT_FALSE(g_Player.m_bFadeStarted);
    g_Player.CheckLevelVariables();
    EXPECT_FALSE(g_Player.m_bAtStation);
    g_GameAI.SetVariable("koniec", nullptr);
    g_Player.CheckLevelVariables();
    EXPECT_TRUE(g_Player.m_bFadeStarted);
}

// The orbit keeps 16 from a point above the machine and turns about it; after 8 s the result.
TEST_F(RunEndTest, TheOutroOrbitsTheMachineForEightSecondsThenShowsTheResult) {
    g_Player.m_vPosition = DV{10, 0, 20};
    g_Player.m_vFront = DV{0, 0, 1};
    g_Player.m_fRunTime = 70;
    g_Player.StartFadeOut();
    DV firstEye;
    for (int frame = 0; frame < 8 * 60 - 2; ++frame) {
        g_Player.UpdateOutro();
        const DV target{10, 1, 20};
        EXPECT_NEAR(pmath::Length(g_Camera.m_vPosition - target), 16.0f, 1e-3f);
        if (frame == 0) firstEye = g_Camera.m_vPosition;
    }
    EXPECT_GT(pmath::Length(g_Camera.m_vPosition - firstEye), 10.0f);
    EXPECT_FALSE(g_Player.m_bRunFinished);
    for (int frame = 0; frame < 4; ++frame) g_Player.UpdateOutro();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_FALSE(g_Player.m_bFadeStarted);
    EXPECT_EQ(g_booked.place, 2);
}

// The podium race hands a podium place to its cutscene; with no scene to play the result shows.
TEST_F(RunEndTest, APodiumPlaceWithoutItsSceneShowsTheResultAfterTheOutro) {
    g_RoutesMgr.m_iCurrentRoute = 32;
    g_Player.m_fRunTime = 50;
    g_Player.StartFadeOut();
    g_Player.m_fFade = 7.99f;
    g_Player.UpdateOutro();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_EQ(g_booked.place, 1);
    EXPECT_EQ(g_booked.prize, 1000);
}

TEST_F(RunEndTest, AFieldTaskFailsOnceItsTimeIsUpAndPromptsWhenTheWorkIsDone) {
    m_route.m_bPloughing = 1;
    g_Console.SetVariable("UpdateZawody", 1, 0);
    g_PlantMgr.m_fProgress[EPlantMgr::kPloughing] = 50;
    g_Player.m_fRunTime = 30;
    g_Player.CheckTaskCompletion();
    EXPECT_FALSE(g_Player.m_bFinishPrompt);
    EXPECT_FALSE(g_Player.m_bRunFinished);
    g_PlantMgr.m_fProgress[EPlantMgr::kPloughing] = 98.5f;
    g_Player.CheckTaskCompletion();
    EXPECT_TRUE(g_Player.m_bFinishPrompt);
    g_PlantMgr.m_fProgress[EPlantMgr::kPloughing] = 0;
    // Beyond the third place's time the run fails at once, done or not.
    g_Player.m_fRunTime = 100.5f;
    g_Player.CheckTaskCompletion();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_EQ(g_booked.defeats, 1);
}

}  // namespace
