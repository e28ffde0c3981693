// The demo world's own objects in the engine: a machine driving into the gate's trigger opens the
// gate, driving into the barrel blows it up, the level-start object starts the level and the
// fence generator lines the road where the hedges stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
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

// The road's banks are its hedges: fences stand at their feet on the road's side, one after
// another along the road, and nowhere else.
TEST_F(DemoWorldActions, FencesLineTheRoadWhereTheHedgesStand) {
    std::vector<const EMesh*> hedges;
    for (const EObjectSlot& o : g_Engine.m_Objects)
        if (o.m_bUsed && std::string(o.m_szName).rfind("zywoplot", 0) == 0) hedges.push_back(o.Mesh());
    ASSERT_EQ(hedges.size(), 4u);
    g_FenceGenerator.OnStartWorld();
    g_FenceGenerator.Generate();
    std::map<const EMesh*, std::vector<float>> along;
    for (const EObjectSlot& o : g_Engine.m_Objects) {
        if (!o.m_bUsed || std::string(o.m_szName).rfind("Plot_", 0) != 0) continue;
        EXPECT_EQ(o.m_bSpawned, 1);
        const DV& p = o.m_vPosition;
        const auto foot = std::ranges::find_if(hedges, [&](const EMesh* h) {
            // The road runs along x 45; the probe backs off an eighth of a metre from the hedge's
            // face towards it.
            const bool west = (h->m_vWorldMin.x + h->m_vWorldMax.x) / 2 < 45.0f;
            const float x = west ? h->m_vWorldMax.x + 0.125f : h->m_vWorldMin.x - 0.125f;
            return std::abs(p.x - x) < 0.01f && p.z > h->m_vWorldMin.z && p.z < h->m_vWorldMax.z;
        });
        if (foot == hedges.end()) ADD_FAILURE() << o.m_szName << " stands at " << p.x << " " << p.z;
        else along[*foot].push_back(p.z);
    }
    ASSERT_EQ(along.size(), 4u);
    for (auto& [hedge, pieces] : along) {
        std::ranges::sort(pieces);
        EXPECT_GE(pieces.size(), 10u) << hedge->m_vWorldMin.x << " " << hedge->m_vWorldMin.z;
        for (size_t i = 1; i < pieces.size(); ++i) {
            EXPECT_GE(pieces[i] - pieces[i - 1], 1.6f);
            EXPECT_LE(pieces[i] - pieces[i - 1], 3.6f);
        }
    }
}

}  // namespace
