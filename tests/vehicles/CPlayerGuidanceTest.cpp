// The player's guidance on a fixture field: slalom gates passed in their order and the finish, a
// touched point object's money or time, leaving the work area, the combine pouring into the
// trailer under its pipe, the trailer emptying at the drop point, and the instruction lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/CCommandMgr.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "vehicles/FieldWorkFixture.h"
#include "vehicles/VehiclesHooks.h"

namespace {

std::vector<std::string> g_Instructions;
int g_Money = 0;

class CPlayerGuidance : public test::FieldWorkTest {
protected:
    void SetUp() override {
        FieldWorkTest::SetUp();
        Field("pole01");
        g_Instructions.clear();
        g_Money = 0;
        g_VehiclesHooks.addInstruction = [](const char* key, const char* line) {
            g_Instructions.push_back(std::string(key) + line);
        };
        g_VehiclesHooks.addMoney = [](int amount) { g_Money += amount; };
        g_Player.m_fFrameTime = kFrame;
    }
    void TearDown() override {
        g_VehiclesHooks = VehiclesHooks{};
        test::ResetGlobal(g_Settings);
        FieldWorkTest::TearDown();
    }
    // The machine is at the point.
    void DriveTo(DV at) {
        m_Vehicle.m_vPosition = at;
        g_Player.m_vPosition = at;
    }
};

// Gates s1, s2 and s5: the course starts at s1, a gate out of turn does not count, and passing s2
// finishes it, since the next gate would be the highest-numbered one.
TEST_F(CPlayerGuidance, SlalomGatesArePassedInOrderAndTheHighestIsTheFinish) {
    Task(&RouteRecord::m_bSlalom);
    AddMesh("s2", DV{0, 0, 10});
    AddMesh("s1", DV{0, 0, 0});
    AddMesh("S5", DV{0, 0, 30});
    AddMesh("s64", DV{5, 0, 5});
    AddMesh("s1x", DV{5, 0, 5});
    g_Player.SetupSlalom();
    EXPECT_EQ(g_Player.m_iHighestGate, 5);
    EXPECT_EQ(g_Player.m_iNextGate, 1);
    EXPECT_NEAR(g_Player.m_Gates[1].m_vPosition.y, 2.0f, 1e-4f);
    EXPECT_TRUE(g_Player.m_Gates[5].m_bUsed);
    const std::vector<std::pair<DV, int>> drive = {
        {DV{0, 0, 10}, 1},    // s2 before s1: missed
        {DV{3, 0, 0}, 1},     // 3 beside s1: not through it
        {DV{1.5f, 0, 1.5f}, 2},
        {DV{0, 0, 5}, 2},
    };
    for (const auto& [at, next] : drive) {
        DriveTo(at);
        g_Player.UpdateSlalom();
        EXPECT_EQ(g_Player.m_iNextGate, next) << at.x << " " << at.z;
        EXPECT_FALSE(g_Player.m_bFadeStarted);
    }
    DriveTo(DV{0, 0, 11});
    g_Player.UpdateSlalom();
    EXPECT_EQ(g_Player.m_iNextGate, 5);
    EXPECT_TRUE(g_Player.m_bFadeStarted);
}

TEST_F(CPlayerGuidance, ASlalomWithoutGatesNeverFinishesByGates) {
    Task(&RouteRecord::m_bSlalom);
    WriteFile("m\\pachlek_kolo.x", test::kTriangleModel);
    EObjectSlot* cone = AddMesh("cone", DV{2, 0, 2}, "m\\pachlek_kolo.x");
    g_Player.SetupSlalom();
    EXPECT_EQ(g_Player.m_iNextGate, 0);
    ASSERT_TRUE(cone);
    EXPECT_TRUE(cone->m_bPointObject);
    g_Player.UpdateSlalom();
    EXPECT_FALSE(g_Player.m_bFadeStarted);
}

// A touch in the slalom costs 15 seconds and brings no money; elsewhere it brings 10.
TEST_F(CPlayerGuidance, ATouchCostsTimeInTheSlalomAndBringsMoneyElsewhere) {
    Task(&RouteRecord::m_bSlalom);
    g_Player.m_fRunTime = 20;
    g_Player.AddHit(nullptr, DV{});
    EXPECT_FLOAT_EQ(g_Player.m_fRunTime, 35.0f);
    EXPECT_EQ(g_Money, 0);
    EXPECT_TRUE(g_Player.m_bHit);
    m_Route.m_bSlalom = 0;
    g_Player.AddHit(nullptr, DV{});
    EXPECT_FLOAT_EQ(g_Player.m_fRunTime, 35.0f);
    EXPECT_EQ(g_Money, 10);
}

// Outside the zone for more than 5 seconds: a field task is lost; back inside the count restarts.
TEST_F(CPlayerGuidance, LeavingTheZoneForFiveSecondsLosesAFieldTask) {
    Task(&RouteRecord::m_bPloughing);
    g_Settings.m_bUpdateZawody = 1;
    EObjectSlot* zone = AddMesh("zone", DV{0, 0, 0});
    g_Engine.SetObjectScaling(zone, DV{50, 1, 50});
    DriveTo(DV{60, 0, 0});
    for (int f = 0; f < 100; ++f) g_Player.UpdateZone();  // 3.3 s
    EXPECT_TRUE(g_Player.m_bOutsideZone);
    DriveTo(DV{40, 0, 0});
    g_Player.UpdateZone();
    EXPECT_FALSE(g_Player.m_bOutsideZone);
    EXPECT_EQ(g_Player.m_fZoneTimer, 0.0f);
    DriveTo(DV{60, 0, 0});
    for (int f = 0; f < 200 && !g_Player.m_bRunFinished; ++f) g_Player.UpdateZone();
    EXPECT_TRUE(g_Player.m_bRunFinished);
    EXPECT_NEAR(g_Player.m_fZoneTimer, 5.0f, 2 * kFrame);
    // Without the race switch nothing is policed.
    test::ResetGlobal(g_Player);
    g_Settings.m_bUpdateZawody = 0;
    g_Player.m_fFrameTime = kFrame;
    g_Player.m_vPosition = DV{60, 0, 0};
    for (int f = 0; f < 200; ++f) g_Player.UpdateZone();
    EXPECT_FALSE(g_Player.m_bRunFinished);
}

class CPlayerGrain : public CPlayerGuidance {
protected:
    void SetUp() override {
        CPlayerGuidance::SetUp();
        Task(&RouteRecord::m_bGrain);
        m_Combine = Machine("kombajn");
        m_Combine->m_hTruck->m_bKombajn = 1;
        m_Combine->m_hTruck->m_bPipeOut = 1;
        m_Combine->m_hTruck->m_vGrainSpout = DV{10, 3, 0};
        m_Trailer = Machine("przyczepa");
        Couple(m_Trailer);
    }
    EObjectSlot* m_Combine = nullptr;
    EObjectSlot* m_Trailer = nullptr;
};

// Under the pipe a combine with grain opens; what it pours goes into the trailer, all of it. Away
// from the pipe it closes, and so it does over a trailer fuller than 1.05.
TEST_F(CPlayerGrain, TheCombinePoursIntoTheTrailerUnderItsPipe) {
    Truck& c = *m_Combine->m_hTruck;
    Truck& t = *m_Trailer->m_hTruck;
    c.m_dGrainFill = 0.5;
    MoveTo(m_Trailer, DV{10, 0, -1.2f});  // 1.5 ahead lies under the pipe
    g_Player.UpdateCombinePipe();
    EXPECT_TRUE(c.m_bUnloading);
    c.m_dGrainPoured = 0.016;
    g_Player.UpdateCombinePipe();
    EXPECT_DOUBLE_EQ(t.m_dGrainFill, 0.016);
    EXPECT_EQ(c.m_dGrainPoured, 0.0);
    // Poured beside the trailer: lost, and the pipe closes.
    MoveTo(m_Trailer, DV{13, 0, -1.2f});
    c.m_dGrainPoured = 0.008;
    g_Player.UpdateCombinePipe();
    EXPECT_FALSE(c.m_bUnloading);
    EXPECT_DOUBLE_EQ(t.m_dGrainFill, 0.016);
    // A trailer at exactly 1.05 still takes grain; above it the pipe closes.
    MoveTo(m_Trailer, DV{10, 0, 0});
    t.m_dGrainFill = 1.05;
    g_Player.UpdateCombinePipe();
    EXPECT_TRUE(c.m_bUnloading);
    t.m_dGrainFill = 1.0501;
    g_Player.UpdateCombinePipe();
    EXPECT_FALSE(c.m_bUnloading);
    // An almost empty combine does not open.
    t.m_dGrainFill = 0;
    c.m_dGrainFill = 0.05;
    g_Player.UpdateCombinePipe();
    EXPECT_FALSE(c.m_bUnloading);
}

TEST_F(CPlayerGrain, TheTrailerEmptiesOverTheDropPoint) {
    Truck& t = *m_Trailer->m_hTruck;
    t.m_dGrainFill = 0.5;
    AddMesh("waypoint", DV{30, 0, 30});
    MoveTo(m_Trailer, DV{0, 0, 0});
    g_Player.UpdateGrainUnloading();
    EXPECT_EQ(t.m_dGrainFill, 0.5);
    MoveTo(m_Trailer, DV{30.2f, 0, 29.8f});
    for (int f = 0; f < 30; ++f) g_Player.UpdateGrainUnloading();
    EXPECT_NEAR(t.m_dGrainFill, 0.5 - 30 * kFrame * 0.2, 1e-5);
    for (int f = 0; f < 300; ++f) g_Player.UpdateGrainUnloading();
    EXPECT_GE(t.m_dGrainFill, 0.0);
    EXPECT_LE(t.m_dGrainFill, 0.001 + 1e-9);
}

// The lines name the key and the action the key would take next.
TEST_F(CPlayerGuidance, TheInstructionsFollowTheMachinesState) {
    std::string keys;
    for (const char* k : {"I05", "I06", "I07", "I08", "I10", "I31", "I33"}) keys += std::string(">") + k + " " + k + "\n";
    WriteFile("scripts\\text_keys.txt", keys);
    g_TextMgr.Load();
    m_VehicleTruck.m_bKombajn = 1;
    g_Player.ShowInstructions();
    EXPECT_EQ(g_Instructions, (std::vector<std::string>{"[R]:I05", "[F]:I07"}));
    g_Instructions.clear();
    m_VehicleTruck.m_bMowingOn = 1;
    m_VehicleTruck.m_bPipeOut = 1;
    m_VehicleTruck.m_bUnloading = 1;
    g_Player.ShowInstructions();
    EXPECT_EQ(g_Instructions, (std::vector<std::string>{"[R]:I06", "[F]:I08", "[V]:I10"}));
    m_VehicleTruck = Truck{};
    EObjectSlot* planter = Machine("sadzarka");
    Couple(planter);
    Task(&RouteRecord::m_bPlanting);
    planter->m_hTruck->m_iPlanterLiftState = 4;
    planter->m_hTruck->m_fPlanterFactor = 0.2f;
    g_Instructions.clear();
    g_Player.ShowInstructions();
    EXPECT_EQ(g_Instructions, (std::vector<std::string>{"[R]:I31", " I33"}));
    std::filesystem::remove(Path("scripts\\text_keys.txt"));
    g_TextMgr.Load();
}

// R on a field route works the implement the instruction names, once per press: the lifts start
// down from raised and up from lowered and a moving lift ignores it, the mower's step starts it
// moving, the baler starts and stops; a combine's R is its own, read with its driving.
TEST_F(CPlayerGuidance, TheWorkKeyTogglesTheImplementOncePerPress) {
    struct Case {
        const char* what;
        uint8_t RouteRecord::*route;
        const char* implement;
        uint8_t Truck::*kind;
        int32_t Truck::*state;
        int32_t before, afterPress;
    };
    const Case cases[] = {
        {"plough down", &RouteRecord::m_bPloughing, "plug", &Truck::m_bPlug, &Truck::m_iPloughLiftState, 4, 3},
        {"plough up", &RouteRecord::m_bPloughing, "plug", &Truck::m_bPlug, &Truck::m_iPloughLiftState, 1, 2},
        {"plough moving", &RouteRecord::m_bPloughing, "plug", &Truck::m_bPlug, &Truck::m_iPloughLiftState, 3, 3},
        {"planter down", &RouteRecord::m_bPlanting, "sadzarka", &Truck::m_bSadzarka, &Truck::m_iPlanterLiftState, 4,
         3},
        {"seeder up", &RouteRecord::m_bSowing, "siewnik", &Truck::m_bSiewnik, &Truck::m_iSeederLiftState, 1, 2},
        {"mower down", &RouteRecord::m_bGrassMowing, "kosa", &Truck::m_bKosa, &Truck::m_iMowerSoundState, 4, 3},
        {"mower up", &RouteRecord::m_bGrassMowing, "kosa", &Truck::m_bKosa, &Truck::m_iMowerSoundState, 1, 2},
    };
    constexpr uint32_t kCode = 57;
    g_CommandMgr.m_Bindings[49][0] = kCode;
    for (const Case& c : cases) {
        m_Route = RouteRecord{};
        Task(c.route);
        EObjectSlot* implement = Machine(c.implement);
        Couple(implement);
        Truck& t = *implement->m_hTruck;
        t.*c.kind = 1;
        t.*c.state = c.before;
        g_Player.ShowInstructions();
        EXPECT_EQ(t.*c.state, c.before) << c.what << ": no key, no change";
        g_CommandMgr.m_State[kCode] = 1;
        g_Player.ShowInstructions();
        EXPECT_EQ(t.*c.state, c.afterPress) << c.what;
        g_Player.ShowInstructions();  // held: no second toggle
        EXPECT_EQ(t.*c.state, c.afterPress) << c.what << ": held";
        g_CommandMgr.m_State[kCode] = 0;
        g_Player.ShowInstructions();
    }
    m_Route = RouteRecord{};
    Task(&RouteRecord::m_bBaling);
    EObjectSlot* baler = Machine("prasa");
    Couple(baler);
    baler->m_hTruck->m_bPrasa = 1;
    for (int expected : {1, 0}) {
        g_CommandMgr.m_State[kCode] = 1;
        g_Player.ShowInstructions();
        g_CommandMgr.m_State[kCode] = 0;
        g_Player.ShowInstructions();
        EXPECT_EQ(baler->m_hTruck->m_bMowingOn, expected) << "baler";
    }
    m_VehicleTruck.m_bKombajn = 1;
    g_CommandMgr.m_State[kCode] = 1;
    g_Player.ShowInstructions();
    EXPECT_EQ(m_VehicleTruck.m_bMowingOn, 0) << "the combine's key is read with its driving";
    test::ResetGlobal(g_CommandMgr);
}

}  // namespace
