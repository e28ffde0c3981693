// The opponents' records without a physics world: how many start and where, the combine's slot,
// lap times, laps, the race position, the target speeds and the engine force and brake.
#include "vehicles/RuchMgr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/os/Random.h"
#include "support/ConsoleLogTest.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "vehicles/VehiclesHooks.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"

namespace {

constexpr float kStep = 1.0f / 60;

// A straight path "trasa" of the given length along +z from the origin, in two nodes.
std::string StraightPath(double length) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "bezier_node trasa\nnr 1\npos 0 0 0\nksztalt1 0 0 %g\nksztalt2 0 0 %g\nnext_in_path_nr 2\n"
                  "bezier_node trasa_koniec\nnr 2\npos 0 0 %g\nksztalt1 0 0 %g\nksztalt2 0 0 %g\nnext_in_path_nr -1\n",
                  length / 3, 2 * length / 3, length, length, length);
    return text;
}

class RuchMgrTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_RuchMgr);
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_RoutesMgr);
        g_VehiclesHooks = VehiclesHooks{};
        g_BezierMgr.Release();
        g_BezierMgr.ReadPaths(StraightPath(200));
        m_route.Reset();
        std::snprintf(m_route.m_szStartPath, sizeof m_route.m_szStartPath, "trasa");
        g_RoutesMgr.m_pCurrentRoute = &m_route;
        std::snprintf(g_Player.m_szStartPath, sizeof g_Player.m_szStartPath, "trasa");
        g_Player.m_dPathLength = 200;
        g_RuchMgr.m_fStep = kStep;
        plat::SeedRandom(7);
    }
    void TearDown() override {
        g_RuchMgr.RemoveAllCars();
        test::ResetGlobal(g_RuchMgr);
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_RoutesMgr);
        g_VehiclesHooks = VehiclesHooks{};
        g_BezierMgr.Release();
        ConsoleLogTest::TearDown();
    }
    static void SetDifficulty(int level) {
        static int s_level;
        s_level = level;
        g_VehiclesHooks.profileDifficulty = [] { return s_level; };
    }
    static int ActiveOfType(int32_t type) {
        int n = 0;
        for (const RuchCar& c : g_RuchMgr.m_Cars) n += c.m_bActive && c.m_iType == type;
        return n;
    }
    RouteRecord m_route;
};

TEST_F(RuchMgrTest, TheDifficultySetsHowManyOpponentsStartAndTheyStand24Apart) {
    m_route.m_bWithOpponents = 1;
    g_Player.m_dDistance = 10;
    struct Case {
        int difficulty, opponents;
    } cases[] = {{0, 3}, {1, 4}, {2, 5}, {-1, 5}, {3, 5}, {-100, 5}};
    for (const Case& c : cases) {
        test::ResetGlobal(g_RuchMgr);
        SetDifficulty(c.difficulty);
        g_RuchMgr.Start();
        EXPECT_EQ(ActiveOfType(RuchCar::kOpponent), c.opponents) << c.difficulty;
        for (int i = 0; i < c.opponents; ++i) {
            const RuchCar& car = g_RuchMgr.m_Cars[i];
            EXPECT_DOUBLE_EQ(car.m_dDistance, 11.0 + 24.0 * (i + 1)) << c.difficulty << " " << i;
            EXPECT_EQ(car.m_bLastCar, i == c.opponents - 1) << i;
            EXPECT_DOUBLE_EQ(car.m_dPlaceOffset, i % 2 ? -2.0 : 2.0);
            EXPECT_DOUBLE_EQ(car.m_dDriveOffset, i % 2 ? -1.0 : 2.5);
            EXPECT_STREQ(car.m_szPath, "trasa");
            EXPECT_DOUBLE_EQ(car.m_dPathLength, 200.0);
        }
        EXPECT_TRUE(g_RuchMgr.m_bStarted);
        EXPECT_EQ(g_RuchMgr.m_iPlayerLap, 1);
    }
}

TEST_F(RuchMgrTest, OnAGrainRaceTheCombineTakesTheFirstOpponentsSlot) {
    m_route.m_bWithOpponents = 1;
    m_route.m_bGrain = 1;
    SetDifficulty(1);
    g_RuchMgr.Start();
    EXPECT_EQ(g_RuchMgr.m_Cars[0].m_iType, RuchCar::kCombine);
    EXPECT_STREQ(g_RuchMgr.m_Cars[0].m_szPath, "Kombajn");
    EXPECT_DOUBLE_EQ(g_RuchMgr.m_Cars[0].m_dDistance, 0.0);
    EXPECT_EQ(ActiveOfType(RuchCar::kOpponent), 3);
}

TEST_F(RuchMgrTest, NoPathNoMachinesAndTheStartIsTriedAgain) {
    m_route.m_bWithOpponents = 1;
    std::snprintf(m_route.m_szStartPath, sizeof m_route.m_szStartPath, "nowhere");
    g_RuchMgr.Start();
    EXPECT_FALSE(g_RuchMgr.m_bHasRun);
    EXPECT_EQ(ActiveOfType(RuchCar::kOpponent), 0);
}

// The route's path names may be as long as the route's own fields: the car follows the whole name.
TEST_F(RuchMgrTest, ALongPathNameIsKeptWhole) {
    const std::string name(120, 'p');
    std::snprintf(g_Player.m_szStartPath, sizeof g_Player.m_szStartPath, "%s", name.c_str());
    g_RuchMgr.DodajCar(3, 5.0, 1, RuchCar::kOpponent, 0);
    EXPECT_EQ(std::string(g_RuchMgr.m_Cars[3].m_szPath), name);
    g_RuchMgr.DodajCar(RuchMgr::kCars, 5.0, 1, RuchCar::kOpponent, 0);
    EXPECT_EQ(ActiveOfType(RuchCar::kOpponent), 1);
}

// The player comes back on the course 2 further for every spot a machine takes, facing along it.
TEST_F(RuchMgrTest, ThePlayersRespawnSkipsSpotsTakenByMachines) {
    g_Player.m_dDistance = 50;
    // Each machine takes the candidates closer than 6 to it: 50 to 56 here.
    const float taken[] = {50.5f, 52.0f};
    for (int i = 0; i < 2; ++i) {
        g_RuchMgr.m_Cars[i].m_bActive = 1;
        g_RuchMgr.m_Cars[i].m_vPosition = DV{1, 0, taken[i]};
    }
    DV position;
    EOrientation orientation;
    ASSERT_TRUE(g_RuchMgr.FindSpawnPoint(&position, &orientation));
    EXPECT_NEAR(position.z, 58.0f, 1e-3f);
    EXPECT_NEAR(orientation.m_Front.z, 1.0f, 1e-4f);
    // A course full of machines: the last candidate and 2 more.
    for (int i = 0; i < RuchMgr::kCars; ++i) {
        g_RuchMgr.m_Cars[i].m_bActive = 1;
        g_RuchMgr.m_Cars[i].m_vPosition = DV{0, 0, 50.0f + 2.0f * i};
    }
    g_RuchMgr.FindSpawnPoint(&position, &orientation);
    EXPECT_NEAR(position.z, 50.0f + 2.0f * 21, 1e-3f);
    for (RuchCar& c : g_RuchMgr.m_Cars) c.m_bActive = 0;
}

TEST_F(RuchMgrTest, LapTimesReadAsMinutesSecondsAndHundredthsWithinTheirFields) {
    struct Case {
        float seconds;
        const char* text;
    } cases[] = {{83.456f, "01:23.45"}, {5.5f, "00:05.50"},     {59.999f, "00:59.99"},   {600.0f, "10:00.00"},
                 {0.0f, "00:00.00"},    {-12.0f, "00:00.00"},   {1e9f, "999:59.99"},     {59999.0f, "999:59.00"},
                 {3600.25f, "60:00.25"}};
    for (const Case& c : cases) {
        char text[16];
        FormatLapTimeString(c.seconds, text);
        EXPECT_STREQ(text, c.text) << c.seconds;
    }
    char minutes[4], seconds[4], hundredths[4];
    FormatLapTime(1e9f, minutes, seconds, hundredths);
    EXPECT_STREQ(minutes, "999");
    EXPECT_STREQ(seconds, ":59");
    EXPECT_STREQ(hundredths, ".99");
}

TEST_F(RuchMgrTest, TheRacePositionCountsOpponentsStrictlyAheadSoATieGoesToThePlayer) {
    m_route.m_bWithOpponents = 1;
    g_RuchMgr.m_bRaceStarted = 1;
    g_RuchMgr.m_iPlayerLap = 1;
    g_Player.m_dDistance = 50;
    struct Opp {
        int lap;
        double distance;
    };
    // Level with the player, just ahead, a lap behind but farther on the path, a lap ahead.
    const Opp opponents[] = {{1, 50.0}, {1, 50.5}, {0, 150.0}, {2, 10.0}};
    for (int i = 0; i < 4; ++i) {
        RuchCar& c = g_RuchMgr.m_Cars[i];
        c.m_bActive = 1;
        c.m_iType = RuchCar::kOpponent;
        c.m_iLap = opponents[i].lap;
        c.m_dDistance = opponents[i].distance;
    }
    // The combine is no rival.
    g_RuchMgr.m_Cars[5].m_bActive = 1;
    g_RuchMgr.m_Cars[5].m_iType = RuchCar::kCombine;
    g_RuchMgr.m_Cars[5].m_dDistance = 199;
    g_RuchMgr.ComputeRacePosition();
    EXPECT_EQ(g_RuchMgr.m_iRacePosition, 3);
    EXPECT_EQ(g_RuchMgr.m_iCarCount, 5);
    // Once the player has finished the position stands.
    g_Player.m_bFadeStarted = 1;
    g_Player.m_dDistance = 0;
    g_RuchMgr.ComputeRacePosition();
    EXPECT_EQ(g_RuchMgr.m_iRacePosition, 3);
    g_Player.m_bFadeStarted = 0;
    m_route.m_bWithOpponents = 0;
    g_RuchMgr.ComputeRacePosition();
    EXPECT_EQ(g_RuchMgr.m_iRacePosition, -1);
    EXPECT_EQ(g_RuchMgr.m_iCarCount, -1);
}

TEST_F(RuchMgrTest, APlayersLapCountsOnlyWhenTheDistanceJumpsMoreThanHalfThePath) {
    g_RuchMgr.m_iPlayerLap = 1;
    g_RuchMgr.m_dPlayerLastDistance = 190;
    struct Step {
        double distance;
        int lap;
    } steps[] = {{195, 1}, {2, 2}, {90, 2}, {150, 2}, {198, 2}, {1, 3}, {199, 2}, {120, 2}};
    for (const Step& s : steps) {
        g_RuchMgr.CountPlayerLap(s.distance);
        EXPECT_EQ(g_RuchMgr.m_iPlayerLap, s.lap) << s.distance;
    }
}

TEST_F(RuchMgrTest, AnOpponentsLapCountsWhenItsNearestPointJumpsAcrossTheStart) {
    m_route.m_bLaps = 1;
    g_RuchMgr.DodajCar(0, 195.0, 1, RuchCar::kOpponent, 0);
    RuchCar& car = g_RuchMgr.m_Cars[0];
    struct Step {
        float z;
        int lap;
    } steps[] = {{3.0f, 2}, {90.0f, 2}, {150.0f, 2}, {197.0f, 2}, {1.0f, 3}, {197.0f, 2}};
    car.m_vLastSample = DV{50, 0, 0};
    for (const Step& s : steps) {
        car.m_vPosition = DV{0, 0, s.z};
        car.m_fSampleTimer = 0;
        g_RuchMgr.TrackPath(car);
        EXPECT_EQ(car.m_iLap, s.lap) << s.z;
        EXPECT_NEAR(car.m_dDistance, s.z, 1.5);
    }
}

TEST_F(RuchMgrTest, AnOpponentsDriveDoublesBelowSpeed5AndBrakesBeyondItsTarget) {
    struct Case {
        float target, speed;
        bool started;
        float force, brake;
    } cases[] = {
        {12.0f, 8.0f, true, 4 * 280.0f, 0.0f},       {12.0f, 2.0f, true, 2 * 8 * 280.0f, 0.0f},
        {30.0f, 6.0f, true, 8 * 280.0f, 0.0f},       {12.0f, 4.99f, true, 2 * 7.01f * 280.0f, 0.0f},
        {6.0f, 10.0f, true, 0.0f, 4 * 90.0f * kStep}, {12.0f, 0.0f, false, 0.0f, 0.0f},
        {0.0f, 9.0f, false, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const RuchMgr::Drive d = RuchMgr::OpponentDrive(c.target, c.speed, c.started, kStep);
        EXPECT_NEAR(d.force, c.force, 0.01f) << c.target << " " << c.speed;
        EXPECT_NEAR(d.brake, c.brake, 1e-5f) << c.target << " " << c.speed;
    }
}

TEST_F(RuchMgrTest, TheCombinePushesHardFromStandstillAndHoldsAtTargetZero) {
    struct Case {
        float target, speed;
        bool started;
        float force, brake;
    } cases[] = {
        {8.0f, 6.0f, true, 2 * 80.0f, 0.0f},          {8.0f, 2.0f, true, 6 * 3.6f * 80.0f, 0.0f},
        {8.0f, 0.5f, true, 7.5f * 3.6f * 2 * 80.0f, 0.0f}, {8.0f, 10.0f, true, 0.0f, 2 * 90.0f * kStep},
        {0.0f, 3.0f, true, 0.0f, 800.0f},              {0.0f, 0.0f, false, 0.0f, 800.0f},
        {8.0f, 0.0f, false, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const RuchMgr::Drive d = RuchMgr::CombineDrive(c.target, c.speed, c.started, kStep);
        EXPECT_NEAR(d.force, c.force, 0.01f) << c.target << " " << c.speed;
        EXPECT_NEAR(d.brake, c.brake, 1e-5f) << c.target << " " << c.speed;
    }
}

// The same seed draws the same random part; what differs is the catch-up for a gap to the player.
TEST_F(RuchMgrTest, AnOpponentsTargetSpeedCatchesUpBehindAndWaitsFarAhead) {
    g_RuchMgr.DodajCar(0, 0.0, 1, RuchCar::kOpponent, 0);
    RuchCar& car = g_RuchMgr.m_Cars[0];
    SetDifficulty(1);
    const auto target = [&](bool playerAhead, double gap, uint32_t seed) {
        car.m_fLimitTimer = -1;
        car.m_bPlayerAhead = playerAhead;
        car.m_dPathToPlayer = gap;
        car.m_fBendTimer = 1;  // the last bend test stands: no bend
        plat::SeedRandom(seed);
        EXPECT_TRUE(g_RuchMgr.OpponentTargetSpeed(car));
        EXPECT_FLOAT_EQ(car.m_fLimitTimer, 6.0f);
        return car.m_dTargetSpeed;
    };
    struct Case {
        bool ahead;
        double gap;
        double extra;  // the catch-up without the 1-in-5 bonus of 3
        bool mayBonus;
    } cases[] = {{true, 5, 0, false},    {true, 11, 1, false},  {true, 25, 2, true},  {true, 61, 4, true},
                 {true, 101, 6, true},   {false, 50, 0, false}, {false, 81, -1, false}, {false, 121, -2, false}};
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        const double base = target(false, 0, seed);
        EXPECT_GE(base, 11.0 - 2.0 - 0.5 + 1.5 - 2.0) << seed;
        EXPECT_LT(base, 11.0 + 3.0 + 1.0 + 1.5 - 2.0) << seed;
        for (const Case& c : cases) {
            const double extra = target(c.ahead, c.gap, seed) - base;
            const bool plain = std::abs(extra - c.extra) < 1e-4, bonus = c.mayBonus && std::abs(extra - c.extra - 3) < 1e-4;
            EXPECT_TRUE(plain || bonus) << seed << " gap " << c.gap << " extra " << extra;
        }
    }
    // On a lap race nobody waits; a finished car rolls out.
    m_route.m_bLaps = 1;
    EXPECT_NEAR(target(false, 121, 3) - target(false, 0, 3), 0.0, 1e-4);
    car.m_bFinished = 1;
    EXPECT_DOUBLE_EQ(target(true, 200, 3), 0.1);
}

TEST_F(RuchMgrTest, TheHardestDifficultyDrivesFasterByOneAndAHalfPerLevel) {
    g_RuchMgr.DodajCar(0, 0.0, 1, RuchCar::kOpponent, 0);
    RuchCar& car = g_RuchMgr.m_Cars[0];
    double speeds[3];
    for (int level : {0, 1, 2}) {
        SetDifficulty(level);
        car.m_fLimitTimer = -1;
        car.m_fBendTimer = 1;
        plat::SeedRandom(11);
        g_RuchMgr.OpponentTargetSpeed(car);
        speeds[level] = car.m_dTargetSpeed;
    }
    EXPECT_NEAR(speeds[1] - speeds[0], 1.5, 1e-4);
    EXPECT_NEAR(speeds[2] - speeds[1], 1.5, 1e-4);
    // A profile with no difficulty chosen races as hard.
    SetDifficulty(-1);
    car.m_fLimitTimer = -1;
    plat::SeedRandom(11);
    g_RuchMgr.OpponentTargetSpeed(car);
    EXPECT_DOUBLE_EQ(car.m_dTargetSpeed, speeds[2]);
}

TEST_F(RuchMgrTest, ASharpBendAheadIsFoundOnACurvedPathAndCutsTheTarget) {
    g_BezierMgr.Release();
    // Straight for 30, then a right angle.
    g_BezierMgr.ReadPaths(
        "bezier_node trasa\nnr 1\npos 0 0 0\nksztalt1 0 0 10\nksztalt2 0 0 20\nnext_in_path_nr 2\n"
        "bezier_node zakret\nnr 2\npos 0 0 30\nksztalt1 0 0 31\nksztalt2 1 0 32\nnext_in_path_nr 3\n"
        "bezier_node bok\nnr 3\npos 2 0 32\nksztalt1 20 0 32\nksztalt2 40 0 32\nnext_in_path_nr 4\n"
        "bezier_node koniec\nnr 4\npos 60 0 32\nksztalt1 60 0 32\nksztalt2 60 0 32\nnext_in_path_nr -1\n");
    g_RuchMgr.DodajCar(0, 0.0, 1, RuchCar::kOpponent, 0);
    RuchCar& car = g_RuchMgr.m_Cars[0];
    car.m_dTargetSpeed = 25;
    car.m_dDistance = 2;
    car.m_fBendTimer = 0;
    EXPECT_FALSE(g_RuchMgr.IsSharpBendAhead(car));
    car.m_dDistance = 20;
    // The last answer stands until the re-check timer runs out.
    EXPECT_FALSE(g_RuchMgr.IsSharpBendAhead(car));
    car.m_fBendTimer = 0;
    car.m_fLimitTimer = 10;
    car.m_dSpeed = 20;
    g_RuchMgr.OpponentTargetSpeed(car);
    EXPECT_TRUE(car.m_bSharpBend);
    EXPECT_DOUBLE_EQ(car.m_dTargetSpeed, 18.0);
    EXPECT_FLOAT_EQ(car.m_fLimitTimer, 2.0f);
}

}  // namespace
