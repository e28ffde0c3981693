// The dashboard: the heat model (load, growth, decay, the beep, the defeat), simple driving, the
// gear, the speed needle and the fill bars.
#include "game/HudFixture.h"

#include <cmath>
#include <cstring>

#include "vehicles/Truck.h"
#include "world/EObjectSlot.h"

namespace {

using test::HudDraw;

constexpr float kFrame = 1.0f / 60;

class GaugesTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        g_Player.m_bHudOption = 0;  // simple driving off
        m_machine.m_hTruck = &m_truck;
        m_implement.m_hTruck = &m_implementTruck;
        g_Player.m_pVehicle = &m_machine;
        g_HudPanel.m_fFrameTime = kFrame;
    }
    void TearDown() override {
        g_Engine.m_Objects[0] = EObjectSlot{};
        HudTest::TearDown();
    }
    // Frames of steady driving at this speed (the smoothed speed already there), heat's frames.
    void Drive(float speed, float seconds) {
        g_Player.m_fSpeed = speed;
        g_HudPanel.m_fSmoothSpeed = speed;
        const int frames = static_cast<int>(std::lround(seconds / kFrame));
        for (int i = 0; i < frames; ++i) Step();
    }
    // One frame of the model; counts the beeps (the beep timer starting again).
    void Step() {
        const float before = g_HudPanel.m_fHotBeepTimer;
        g_HudPanel.UpdateTemperature(500, 600, 120);
        if (g_HudPanel.m_fHotBeepTimer < before) ++m_beeps;
    }
    // The needle's turn: the direction of the quad's top edge.
    static float NeedleAngle(ERect& needle) {
        void* data = nullptr;
        EXPECT_EQ(needle.m_pVB->Lock(0, 0, &data, 0), gfx::OK);
        float v[42];
        std::memcpy(v, data, sizeof v);
        needle.m_pVB->Unlock();
        // Vertices of 7 floats: the first is the top left corner, the fifth the top right.
        return std::atan2(v[4 * 7 + 1] - v[1], v[4 * 7] - v[0]);
    }

    EObjectSlot m_machine, m_implement;
    Truck m_truck, m_implementTruck;
    int m_beeps = 0;
};

TEST_F(GaugesTest, HeatGrowsWithTheLoadOfAWorkingMachineAndDecaysOtherwise) {
    struct Case {
        const char* what;
        uint8_t RouteRecord::*task;
        float speed;
        int gear;
        int ploughState;
        bool implement;
        float perSecond;
    };
    const Case cases[] = {
        {"bales at 18 m/s: load 1.2", &RouteRecord::m_bBaleCollecting, 18, 0, 0, false, 0.12f},
        {"a lowered plough at 9 m/s: load exactly 1", &RouteRecord::m_bPloughing, 9, 0, 1, true, -0.05f},
        {"bales backwards at 18 m/s", &RouteRecord::m_bBaleCollecting, -18, 0, 0, false, 0.12f},
        {"third gear: load 0.55", &RouteRecord::m_bBaleCollecting, 18, 3, 0, false, 0.06f},
        {"a lowered plough at 10.8 m/s", &RouteRecord::m_bPloughing, 10.8f, 0, 1, true, 0.12f},
        {"a raised plough", &RouteRecord::m_bPloughing, 10.8f, 0, 4, true, -0.05f},
        {"ploughing with no plough", &RouteRecord::m_bPloughing, 10.8f, 0, 1, false, -0.05f},
    };
    for (const Case& c : cases) {
        Route().*c.task = 1;
        m_implementTruck.m_iPloughLiftState = c.ploughState;
        g_Player.m_pImplement = c.implement ? &m_implement : nullptr;
        g_Player.m_iGear = c.gear;
        g_HudPanel.m_fHeat = 0.3f;
        Drive(c.speed, 1.0f);
        EXPECT_NEAR(g_HudPanel.m_fHeat, 0.3f + c.perSecond, 1e-3) << c.what;
        EXPECT_EQ(g_HudPanel.m_bOverheating, c.perSecond > 0) << c.what;
    }
}

TEST_F(GaugesTest, AtFullLoadTheBeepStartsAfterAbout6SecondsRepeatsAndTheRunIsLostAfterAbout9) {
    Route().m_bBaleCollecting = 1;
    Drive(18, 5.8f);
    EXPECT_EQ(m_beeps, 0);
    EXPECT_EQ(g_HudPanel.m_bHotWarning, 0);
    Drive(18, 0.4f);
    EXPECT_EQ(m_beeps, 1);
    EXPECT_EQ(g_HudPanel.m_bHotWarning, 1);
    Drive(18, 2.8f);  // 9.0 s
    EXPECT_EQ(m_beeps, 1 + 10);  // every 16 frames, the first frame past 0.26 s
    EXPECT_EQ(g_Player.m_bRunFinished, 0);
    Drive(18, 0.2f);
    EXPECT_EQ(g_Player.m_bRunFinished, 1);
    EXPECT_GT(g_HudPanel.m_fHeat, 1.1f);
}

TEST_F(GaugesTest, HeatDecaysFrom07ToNothingIn14SecondsAndTheBeepStopsAt07) {
    Route().m_bBaleCollecting = 1;
    // A second above 0.7: a beep every 16 frames, none once it is down to 0.7.
    g_HudPanel.m_fHeat = 0.75f;
    Drive(0, 2);
    EXPECT_EQ(m_beeps, 3);
    m_beeps = 0;
    g_HudPanel.m_fHeat = 0.7f;
    Drive(0, 13.9f);
    EXPECT_EQ(m_beeps, 0);
    EXPECT_GT(g_HudPanel.m_fHeat, 0);
    Drive(0, 0.2f);
    EXPECT_EQ(g_HudPanel.m_fHeat, 0);
}

TEST_F(GaugesTest, SimpleDrivingOnlyWarmsTheEngineAndShowsNoLamps) {
    g_Player.m_bHudOption = 1;
    Route().m_bBaleCollecting = 1;
    Drive(30, 20);
    EXPECT_EQ(g_HudPanel.m_fHeat, 0);
    EXPECT_FLOAT_EQ(g_HudPanel.m_fBaseTemperature, 0.6f);
    g_HudPanel.m_fBaseTemperature = 0;
    Drive(-10, 1);
    EXPECT_NEAR(g_HudPanel.m_fBaseTemperature, 10 * 0.0015f, 1e-5);
    g_HudPanel.m_bHotWarning = g_HudPanel.m_bOverheating = 1;
    m_recorder.draws.clear();
    g_HudPanel.DrawWorkIcons(0, 0, 480, 240);
    EXPECT_TRUE(m_recorder.draws.empty());
    g_HudPanel.DrawFillBars();
    EXPECT_TRUE(m_recorder.draws.empty());
}

TEST_F(GaugesTest, TheGearShowsFNOrRFromTheSpeedInSimpleDrivingElseTheGearItself) {
    struct Case {
        bool simple;
        float speed;
        int gear;
        const char* quad;
    };
    for (Case c : {Case{true, 0.5f, 3, "gear F"}, Case{true, -0.5f, 3, "gear R"}, Case{true, 0.49f, 3, "gear N"},
                   Case{false, 5, 3, "gear 3"}, Case{false, 5, 5, "gear 5"}, Case{false, -2, -1, "gear R"},
                   Case{false, 0, 0, "gear N"}, Case{false, 5, 7, "gear N"}}) {
        g_Player.m_bHudOption = c.simple;
        g_Player.m_fSpeed = c.speed;
        g_Player.m_iGear = c.gear;
        m_recorder.draws.clear();
        g_HudPanel.DrawGear(0, 0, 1024, 512);
        ASSERT_EQ(m_recorder.draws.size(), 1u);
        EXPECT_EQ(m_recorder.draws[0].label, c.quad) << c.speed << " " << c.gear;
        EXPECT_FLOAT_EQ(m_recorder.draws[0].left, 156);
        EXPECT_FLOAT_EQ(m_recorder.draws[0].bottom, 422);
    }
}

TEST_F(GaugesTest, TheSpeedNeedleTurnsByTheSpeedEitherWayAndTremblesAtItsStop) {
    g_Player.m_bHudOption = 1;
    for (float speed : {0.0f, 10.0f, -10.0f}) {
        g_Player.m_fSpeed = speed;
        g_HudPanel.DrawSpeedNeedle(500, 600, 120);
        const float expected = (std::abs(speed) * 3.6f * 1.9f * 0.031415928f - 2.07345126f) * 0.69f;
        EXPECT_NEAR(NeedleAngle(g_HudPanel.m_SpeedNeedle), expected, 1e-4) << speed;
    }
    g_Player.m_fSpeed = 60;
    for (int i = 0; i < 20; ++i) {
        g_HudPanel.DrawSpeedNeedle(500, 600, 120);
        const float angle = NeedleAngle(g_HudPanel.m_SpeedNeedle);
        EXPECT_LE(angle, 3.33f * 0.69f + 1e-4f);
        EXPECT_GE(angle, 3.28f * 0.69f - 1e-4f);
    }
}

TEST_F(GaugesTest, TheFillBarShowsTheLoadAndAGrainRouteNeedsItsCombine) {
    RouteRecord& route = Route();
    route.m_bMowing = 1;
    m_truck.m_dGrainFill = 1.5;
    g_HudPanel.DrawFillBars();
    ASSERT_EQ(m_recorder.Labels(), (std::vector<std::string>{"fill bar", "fill needle"}));
    EXPECT_FLOAT_EQ(m_recorder.draws[0].right, 1018);
    EXPECT_FLOAT_EQ(m_recorder.draws[0].left, 970);
    EXPECT_NEAR(m_recorder.draws[1].top, 448 + (4.36f - 3.63f) * 48, 1e-3) << "full";
    m_truck.m_dGrainFill = 0;
    m_recorder.draws.clear();
    g_HudPanel.DrawFillBars();
    EXPECT_NEAR(m_recorder.draws[1].top, 448 + 4.36f * 48, 1e-3) << "empty";

    route.Reset();
    route.m_bGrain = 1;
    g_Player.m_pImplement = &m_implement;
    m_recorder.draws.clear();
    g_HudPanel.DrawFillBars();
    EXPECT_TRUE(m_recorder.draws.empty()) << "no combine";
    EObjectSlot& combine = g_Engine.m_Objects[0];
    combine.m_bUsed = 1;
    std::snprintf(combine.m_szName, sizeof combine.m_szName, "kombajn");
    Truck combineTruck;
    combineTruck.m_dGrainFill = 0.6;
    combine.m_hTruck = &combineTruck;
    g_HudPanel.DrawFillBars();
    const std::vector<HudDraw> bars = m_recorder.Of("fill bar");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_FLOAT_EQ(bars[0].right, 968) << "the trailer's";
    EXPECT_FLOAT_EQ(bars[1].right, 1018) << "the combine's";
    EXPECT_NEAR(m_recorder.Of("fill needle")[1].top, 448 + (4.36f - 3.63f * 0.5f) * 48, 1e-3);

    route.Reset();
    route.m_bBaling = 1;
    m_recorder.draws.clear();
    g_HudPanel.DrawFillBars();
    EXPECT_TRUE(m_recorder.draws.empty()) << "baling";
}

TEST_F(GaugesTest, TheLampsShowTheHeatAndTheFirstTaskThatApplies) {
    RouteRecord& route = Route();
    route.m_bMowing = 1;
    route.m_bPloughing = 1;
    m_truck.m_bMowingOn = 1;
    m_truck.m_bUnloading = 1;
    g_Player.m_pImplement = &m_implement;
    m_implementTruck.m_iPloughLiftState = 4;
    g_HudPanel.m_bHotWarning = 1;
    g_HudPanel.DrawWorkIcons(0, 0, 1024, 512);
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"lamp 4", "lamp 1", "lamp 2"}));
    route.m_bMowing = 0;
    m_recorder.draws.clear();
    g_HudPanel.DrawWorkIcons(0, 0, 1024, 512);
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"lamp 4", "lamp 2"})) << "a raised plough";
}

}  // namespace
