// The demo world's own objects in the engine: a machine driving into the gate's trigger opens the
// gate, driving into the barrel blows it up, the level-start object starts the level and the
// fence generator lines the road where the hedges stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/EFXMgr.h"
#include "world/DemoWorldFixture.h"

namespace {

class DemoWorldActions : public test::DemoWorldTest {
protected:
    void SetUp() override {
        DemoWorldTest::SetUp();
        g_Engine.m_fFrameTime = 0.1f;
        test::g_HasPlayerMachine = true;
        test::g_PlayerMachine = DV{45, 0.5f, -90};
    }
    // The player's machine drives along the road to z, a metre each frame.
    static void DriveTo(float z) {
        while (test::g_PlayerMachine.z < z) {
            test::g_PlayerMachine.z += 1.0f;
            g_EngineObject.Update();
        }
    }
};

TEST_F(DemoWorldActions, DrivingIntoTheTriggerOpensTheGate) {
    EObjectSlot* gate = Object("brama");
    ASSERT_NE(gate, nullptr);
    const DV closed = gate->m_vPosition;
    DriveTo(-53);
    EXPECT_FALSE(Logged("Czujnik bramy: maszyna wjechala"));
    DriveTo(-51);
    EXPECT_TRUE(Logged("Czujnik bramy: maszyna wjechala"));
    EXPECT_TRUE(Logged("Brama sie otwiera"));
    for (int i = 0; i < 40; ++i) g_EngineObject.Update();
    EXPECT_NEAR(gate->m_vPosition.x, closed.x + 5.8f, 1e-3f);
    // The trigger fires once: driving through it again leaves the gate open.
    test::g_PlayerMachine.z = -60;
    DriveTo(-45);
    for (int i = 0; i < 40; ++i) g_EngineObject.Update();
    EXPECT_NEAR(gate->m_vPosition.x, closed.x + 5.8f, 1e-3f);
}

TEST_F(DemoWorldActions, DrivingIntoTheBarrelBlowsItUp) {
    EObjectSlot* barrel = Object("beczka");
    ASSERT_NE(barrel, nullptr);
    g_FXMgr.LoadAll();
    test::g_PlayerMachine = DV{46, 0.5f, -30};
    DriveTo(-26);
    EXPECT_EQ(barrel->m_bDead, 0);
    DriveTo(-22);
    EXPECT_EQ(barrel->m_bDead, 1);
    EXPECT_EQ(barrel->m_bToDelete, 1);
    EXPECT_TRUE(Logged("Beczka wybucha!"));
    // The explosion's effects are in the demo and read well.
    EXPECT_EQ(ConsoleLog().find(" not found"), std::string::npos) << ConsoleLog();
    EXPECT_EQ(ConsoleLog().find("pominiety"), std::string::npos) << ConsoleLog();
    EObjectSlot* wreck = Object("beczka_wrak");
    ASSERT_NE(wreck, nullptr);
    EXPECT_EQ(wreck->m_vPosition, barrel->m_vPosition);
}

TEST_F(DemoWorldActions, TheLevelStartObjectStartsTheLevel) {
    g_Engine.RunAction("level_start");
    EXPECT_TRUE(Logged("Meadow: the level has started"));
    EXPECT_TRUE(g_GameAI.IsSet("meadow_started"));
}

// The road's banks are the hedges: fences stand at their feet on both sides, and nowhere else.
TEST_F(DemoWorldActions, FencesLineTheRoadWhereTheHedgesStand) {
    g_FenceGenerator.OnStartWorld();
    g_FenceGenerator.Generate();
    for (float x : {38.725f, 51.275f}) {
        SCOPED_TRACE(x);
        std::vector<float> along;
        for (const EObjectSlot& o : g_Engine.m_Objects) {
            if (!o.m_bUsed || std::string(o.m_szName).rfind("Plot_", 0) != 0 || std::abs(o.m_vPosition.x - x) > 0.01f)
                continue;
            EXPECT_GE(o.m_vPosition.z, 30.0f);
            EXPECT_LE(o.m_vPosition.z, 90.0f);
            EXPECT_EQ(o.m_bSpawned, 1);
            along.push_back(o.m_vPosition.z);
        }
        std::ranges::sort(along);
        EXPECT_GE(along.size(), 18u);
        for (size_t i = 1; i < along.size(); ++i) {
            EXPECT_GE(along[i] - along[i - 1], 1.6f);
            EXPECT_LE(along[i] - along[i - 1], 3.6f);
        }
    }
}

}  // namespace
