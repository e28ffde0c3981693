// The player's driving without a physics world: input to steering, the drivetrains' rpm, gears and
// forces on a bare truck record, and the countdown.
#include "vehicles/CPlayer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "audio/CMusicPlaylist.h"
#include "core/CCommandMgr.h"
#include "core/CoreHooks.h"
#include "core/EInput.h"
#include "support/TestSupport.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace test {
namespace {

constexpr float kLimit = 0.62831855f;
constexpr float kStep = 1.0f / 60;

class CPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobal(g_Player);
        ResetGlobal(g_Input);
        g_CoreHooks = CoreHooks{};
        g_CoreHooks.gameFrame = [] { return 1000u; };
        m_object.m_hTruck = &m_truck;
        g_Player.m_pVehicle = &m_object;
        g_Player.m_fFrameTime = kStep;
        g_Player.m_bDrivingEnabled = 1;
        g_Player.m_iPendingGear = -2;
    }
    void TearDown() override {
        m_object.m_hTruck = nullptr;
        ResetGlobal(g_Player);
        ResetGlobal(g_Input);
        g_CoreHooks = CoreHooks{};
    }
    EObjectSlot m_object;
    Truck m_truck;
};

// A controller's axis: a dead zone around the centre, full lock at the end of the travel.
TEST_F(CPlayerTest, ControllerSteeringHasADeadZoneAndReachesFullLock) {
    g_Input.m_uDeviceCount = 1;
    g_Input.m_iSelectedDevice = 0;
    struct Case {
        float axis, steering;
    } cases[] = {{0.01f, 0.0f}, {-0.01f, 0.0f}, {-1.0f, -kLimit}, {1.0f, kLimit}, {0.5f, 0.25f * kLimit}};
    for (const Case& c : cases) {
        g_Input.m_fSteering = c.axis;
        g_Player.ReadInput();
        EXPECT_FLOAT_EQ(g_Player.m_fSteeringInput, c.steering) << c.axis;
    }
    g_Input.m_fPedal = -0.6f;  // pressed forward: throttle
    g_Player.ReadInput();
    EXPECT_FLOAT_EQ(g_Player.m_fThrottle, 0.6f);
    EXPECT_FLOAT_EQ(g_Player.m_fBrakeInput, 0.0f);
}

// In neutral the engine follows the throttle whatever the speed.
TEST_F(CPlayerTest, NeutralRpmFollowsTheThrottle) {
    for (uint8_t race : {0, 1})
        for (float speed : {0.0f, 15.0f}) {
            g_Player.m_bRaceMode = race;
            g_Player.m_fSpeed = speed;
            g_Player.m_iGear = 0;
            g_Player.m_bDrivingEnabled = 0;  // no automatic change
            g_Player.m_fThrottle = 1.0f;
            g_Player.UpdateDrivetrain();
            EXPECT_FLOAT_EQ(g_Player.m_fRpm, 6000.0f) << int(race) << " " << speed;
            g_Player.m_fThrottle = 0.0f;
            g_Player.UpdateDrivetrain();
            EXPECT_FLOAT_EQ(g_Player.m_fRpm, 900.0f) << int(race) << " " << speed;
        }
}

TEST_F(CPlayerTest, ManualGearsStopAtTheTopAndWaitForAPendingChange) {
    struct Case {
        int32_t gear, pending;
        bool up;
        int32_t pendingAfter;
    } cases[] = {{4, -2, true, -2}, {2, 3, true, 3}, {2, -2, true, 3}, {-1, -2, false, -2}, {0, -2, false, -1}};
    for (const Case& c : cases) {
        g_Player.m_iGear = c.gear;
        g_Player.m_iPendingGear = c.pending;
        g_Player.RequestGearChange(c.up);
        EXPECT_EQ(g_Player.m_iPendingGear, c.pendingAfter) << c.gear << " " << c.pending;
    }
    // The change completes after the gearbox's change time (0.4 s).
    g_Player.m_iGear = 2;
    g_Player.m_iPendingGear = 3;
    for (int i = 0; i < 23; ++i) g_Player.UpdateGearChange();
    EXPECT_EQ(g_Player.m_iGear, 2);
    g_Player.UpdateGearChange();
    EXPECT_EQ(g_Player.m_iGear, 3);
    EXPECT_EQ(g_Player.m_iPendingGear, -2);
    // Races change gears themselves.
    g_Player.m_bRaceMode = 1;
    g_Player.RequestGearChange(true);
    EXPECT_EQ(g_Player.m_iPendingGear, -2);
}

// Reverse is reached only by braking at low rpm in gear 0 or 1 with the throttle off, and left by
// the throttle.
TEST_F(CPlayerTest, RaceReverseComesOnlyFromBrakingAtRest) {
    g_Player.m_bRaceMode = 1;
    struct Case {
        int32_t gear;
        float throttle, brake, speed;
        int32_t pending;
    } cases[] = {{0, 0.0f, 1.0f, 0.0f, -1}, {1, 0.0f, 1.0f, 0.0f, -1}, {0, 0.2f, 1.0f, 0.0f, -2},
                 {1, 0.0f, 1.0f, 5.0f, -2},  {-1, 0.3f, 0.0f, 0.0f, 1}, {-1, 0.1f, 0.0f, 0.0f, -2}};
    for (const Case& c : cases) {
        g_Player.m_iGear = c.gear;
        g_Player.m_iPendingGear = -2;
        g_Player.m_fThrottle = c.throttle;
        g_Player.m_fBrakeInput = c.brake;
        g_Player.m_fSpeed = c.speed;
        g_Player.UpdateDrivetrain();
        EXPECT_EQ(g_Player.m_iPendingGear, c.pending) << c.gear << " " << c.throttle << " " << c.speed;
    }
}

// Above the speed limit (18 for an unloaded machine) the drive is cut and the brake grows with the
// excess, in both drivetrains.
TEST_F(CPlayerTest, AboveTheSpeedLimitTheDriveIsCutAndTheBrakeGrows) {
    for (uint8_t race : {0, 1}) {
        g_Player.m_bRaceMode = race;
        g_Player.m_iGear = 2;
        g_Player.m_fThrottle = 1.0f;
        g_Player.m_fSpeed = 5.0f;
        g_Player.UpdateDrivetrain();
        g_Player.ApplyControls();
        EXPECT_GT(m_truck.m_fEngineForce, 0.0f) << int(race);
        float brakes[2];
        for (int i = 0; i < 2; ++i) {
            g_Player.m_fSpeed = 20.0f + 5.0f * i;
            g_Player.UpdateDrivetrain();
            g_Player.ApplyControls();
            EXPECT_EQ(m_truck.m_fEngineForce, 0.0f) << int(race);
            brakes[i] = m_truck.m_fBrake;
        }
        EXPECT_NEAR(brakes[0], 2 * (20.0f - 18.0f) * 60 * kStep, 1e-4) << int(race);
        EXPECT_NEAR(brakes[1], 2 * (25.0f - 18.0f) * 60 * kStep, 1e-4) << int(race);
    }
}

// The implement hanging on the machine, on a field route: a bare record like the machine's.
class CoupledImplementTest : public CPlayerTest {
protected:
    void SetUp() override {
        CPlayerTest::SetUp();
        m_route = RouteRecord{};
        g_RoutesMgr.m_pCurrentRoute = &m_route;
        m_implementObject.m_hTruck = &m_implement;
        m_implement.m_pPartner = &m_object;
        g_Player.m_pImplement = &m_implementObject;
    }
    void TearDown() override {
        m_implementObject.m_hTruck = nullptr;
        g_RoutesMgr.m_pCurrentRoute = nullptr;
        CPlayerTest::TearDown();
    }
    RouteRecord m_route;
    EObjectSlot m_implementObject;
    Truck m_implement;
};

// Full lock narrows while the implement works in the ground; a raised one or another route's
// leaves it.
TEST_F(CoupledImplementTest, AWorkingImplementNarrowsTheSteering) {
    g_Input.m_uDeviceCount = 1;
    g_Input.m_iSelectedDevice = 0;
    g_Input.m_fSteering = 1.0f;
    struct Case {
        uint8_t RouteRecord::*route;
        uint8_t Truck::*kind;
        int32_t Truck::*state;
        int32_t value;
        float limit;
    } cases[] = {
        {&RouteRecord::m_bPloughing, &Truck::m_bPlug, &Truck::m_iPloughLiftState, 1, 0.15707964f},
        {&RouteRecord::m_bPloughing, &Truck::m_bPlug, &Truck::m_iPloughLiftState, -1, 0.15707964f},
        {&RouteRecord::m_bPloughing, &Truck::m_bPlug, &Truck::m_iPloughLiftState, 4, kLimit},
        {&RouteRecord::m_bPlanting, &Truck::m_bSadzarka, &Truck::m_iPlanterLiftState, 1, 0.15707964f},
        {&RouteRecord::m_bSowing, &Truck::m_bSiewnik, &Truck::m_iSeederLiftState, 1, 0.25132743f},
        {&RouteRecord::m_bSowing, &Truck::m_bKosa, &Truck::m_iMowerSoundState, 1, 0.37699112f},
        {&RouteRecord::m_bGrain, &Truck::m_bPlug, &Truck::m_iPloughLiftState, 1, kLimit},
    };
    for (const Case& c : cases) {
        m_route = RouteRecord{};
        m_implement = Truck{};
        m_implement.m_pPartner = &m_object;
        m_route.*c.route = 1;
        m_implement.*c.kind = 1;
        m_implement.*c.state = c.value;
        g_Player.ReadInput();
        EXPECT_FLOAT_EQ(g_Player.m_fSteeringInput, c.limit) << c.value;
    }
    // Uncoupled, the implement no longer counts.
    m_implement.m_pPartner = nullptr;
    g_Player.ReadInput();
    EXPECT_FLOAT_EQ(g_Player.m_fSteeringInput, kLimit);
}

// A lowered plough limits the speed to 12 and drags; let off the throttle it holds the machine
// with 90, and backwards it cannot be pushed.
TEST_F(CoupledImplementTest, ALoweredPloughLimitsTheSpeedAndHoldsTheMachine) {
    m_route.m_bPloughing = 1;
    m_implement.m_bPlug = 1;
    m_implement.m_iPloughLiftState = 1;
    g_Player.m_iGear = 2;
    g_Player.m_fThrottle = 1.0f;
    g_Player.m_fSpeed = 13.0f;
    g_Player.m_fSteering = 0.1f;
    g_Player.UpdateDrivetrain();
    g_Player.ApplyControls();
    EXPECT_EQ(m_truck.m_fEngineForce, 0.0f);
    EXPECT_NEAR(m_truck.m_fBrake, 2 * (13.0f - 12.0f) * 60 * kStep + 10, 1e-4);
    EXPECT_FLOAT_EQ(m_truck.m_fTargetSteering, 0.11f) << "the plough pulls to one side";
    g_Player.m_fThrottle = 0;
    g_Player.m_fSpeed = 3.0f;
    g_Player.UpdateDrivetrain();
    g_Player.ApplyControls();
    EXPECT_FLOAT_EQ(m_truck.m_fBrake, 2 * 1.0f + 90);
    g_Player.m_iGear = -1;
    g_Player.m_fThrottle = 1.0f;
    g_Player.ApplyControls();
    EXPECT_EQ(m_truck.m_fEngineForce, 0.0f);
    EXPECT_FLOAT_EQ(m_truck.m_fBrake, 140);
}

// On a grain route the coupled trailer brakes by how full it is, from a fifth on. As built, its
// controls are applied although it was never released, so the wish stays stored and its wheels
// keep the held brake (see Physics::SetTruckControls).
TEST_F(CoupledImplementTest, TheGrainTrailerBrakesByItsLoad) {
    m_route.m_bGrain = 1;
    g_Engine.m_fFrameTime = kStep;
    for (const auto& [fill, brake] : {std::pair{0.1, 0.0f}, std::pair{0.2, 0.0f}, std::pair{0.7, 8.0f}}) {
        m_implement.m_dGrainFill = fill;
        g_Player.Update();
        EXPECT_NEAR(m_implement.m_fBrake, brake, 1e-4f) << fill;
        EXPECT_EQ(m_implement.m_bReleased, 0);
    }
    g_Engine.m_fFrameTime = 0;
}

// The countdown shows 4, 3, 2, 1 and releases the machine at 0, a second a step from the first
// frame on; -1 ends it.
TEST_F(CPlayerTest, TheCountdownReleasesTheMachineAfterThreeSeconds) {
    g_Player.m_pVehicle = nullptr;
    g_Player.LoadResources();
    g_Player.StartLevel();
    EXPECT_EQ(g_Player.m_iCountdown, 4);
    EXPECT_EQ(g_Player.m_bDrivingEnabled, 0);
    g_Engine.m_fFrameTime = 0.25f;
    std::vector<int32_t> states;
    int enabledAt = -1;
    for (int frame = 0; frame < 20; ++frame) {
        g_Player.Update();
        if (states.empty() || states.back() != g_Player.m_iCountdown) states.push_back(g_Player.m_iCountdown);
        if (enabledAt < 0 && g_Player.m_bDrivingEnabled) enabledAt = frame;
    }
    g_Engine.m_fFrameTime = 0;
    EXPECT_EQ(states, (std::vector<int32_t>{3, 2, 1, 0, -1}));
    EXPECT_EQ(enabledAt, 12);  // three seconds after the first frame
}

// A machine put back during the run drives on; put in place before the countdown ends, it waits
// for the countdown to release it.
TEST_F(CPlayerTest, AMachinePutBackDuringTheRunDrivesOn) {
    struct Case {
        uint8_t drivingEnabled;
        int32_t countdown;
        uint8_t releasedAfter;
    } cases[] = {{1, -1, 1}, {0, 4, 0}, {0, -1, 0}};
    for (const Case& c : cases) {
        m_truck.m_bReleased = 1;
        g_Player.m_bDrivingEnabled = c.drivingEnabled;
        g_Player.m_iCountdown = c.countdown;
        g_Player.PlaceAtStartPoint(false);
        EXPECT_EQ(m_truck.m_bReleased, c.releasedAfter) << int(c.drivingEnabled) << " " << c.countdown;
    }
}

// The player keeps the route's path names whole, however long: a name cut short names no path.
TEST_F(CPlayerTest, RespawnKeepsTheRoutesLongPathNamesWhole) {
    RouteRecord route{};
    const std::string start(200, 's'), opposite(RouteRecord::kTextSize - 1, 'o');
    std::snprintf(route.m_szStartPath, sizeof route.m_szStartPath, "%s", start.c_str());
    std::snprintf(route.m_szOpponentPath, sizeof route.m_szOpponentPath, "%s", opposite.c_str());
    g_RoutesMgr.m_pCurrentRoute = &route;
    g_Player.m_pVehicle = nullptr;
    g_Player.Respawn();
    g_RoutesMgr.m_pCurrentRoute = nullptr;
    EXPECT_EQ(g_Player.m_szStartPath, start);
    EXPECT_EQ(g_Player.m_szOppositePath, opposite);
}

}  // namespace
}  // namespace test

namespace test {
namespace {

// The one-shot keys of the music and of a combine act on their press, once per press.
TEST_F(CPlayerTest, MusicAndCombineKeysActOncePerPress) {
    ResetGlobal(g_CommandMgr);
    ResetGlobal(g_MusicPlaylist);
    g_MusicPlaylist.m_uCount = 3;
    m_truck.m_bKombajn = 1;
    struct Case {
        uint32_t command;
        const char* what;
        std::function<int()> state;
        std::vector<int> afterPresses;
    };
    const Case cases[] = {
        {40, "next track", [] { return int(g_MusicPlaylist.m_uCurrent); }, {1, 2, 0}},
        {41, "previous track", [] { return int(g_MusicPlaylist.m_uCurrent); }, {2, 1, 0}},
        {49, "cutting", [&] { return int(m_truck.m_bMowingOn); }, {1, 0, 1}},
        {50, "pipe", [&] { return int(m_truck.m_bPipeOut); }, {1, 0, 1}},
        {51, "unloading", [&] { return int(m_truck.m_bUnloading); }, {1, 0, 1}},
    };
    constexpr uint32_t kCode = 57;
    for (const Case& c : cases) {
        g_MusicPlaylist.m_uCurrent = 0;
        g_CommandMgr.m_Bindings[c.command][0] = kCode;
        for (int expected : c.afterPresses) {
            g_CommandMgr.m_State[kCode] = 1;
            g_Player.ReadInput();
            g_Player.ReadInput();  // held: no second action
            g_CommandMgr.m_State[kCode] = 0;
            g_Player.ReadInput();
            EXPECT_EQ(c.state(), expected) << c.what;
        }
        g_CommandMgr.m_Bindings[c.command][0] = 0;
    }
    // A machine that is not a combine ignores the combine's keys.
    m_truck = Truck{};
    g_CommandMgr.m_Bindings[49][0] = kCode;
    g_CommandMgr.m_State[kCode] = 1;
    g_Player.ReadInput();
    EXPECT_EQ(m_truck.m_bMowingOn, 0);
    ResetGlobal(g_CommandMgr);
    ResetGlobal(g_MusicPlaylist);
}

}  // namespace
}  // namespace test
