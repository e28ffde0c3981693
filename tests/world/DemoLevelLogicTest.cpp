// The demo's level logic on the demo world: the meadow greets once its start object ran, and the
// machine's camera driving through the gate prints the line, sounds the horn and counts the pass.
#include <gtest/gtest.h>

#include <string>

#include "world/DemoWorldFixture.h"

namespace {

class DemoLevelLogic : public test::DemoWorldTest {
protected:
    void SetUp() override {
        DemoWorldTest::SetUp();
        g_GameAI.Initialize();
        std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "%s", World());
        g_GameAI.SelectWorldScript();
        g_GameAI.m_bEnabled = 1;
        test::g_LevelFrame = 300;
        g_Engine.m_fFrameTime = 1.0f / 60;
    }

    bool Logged(const std::string& text) const {
        for (const std::string& line : ConsoleLines())
            if (line == text) return true;
        return false;
    }
};

TEST_F(DemoLevelLogic, TheCameraPassingTheGateIsNoticedOnce) {
    ASSERT_NE(g_GameAI.CurrentLevel(), nullptr);
    g_GameAI.SetVariable("meadow_started", nullptr);
    const DV gate = Object("brama_czujnik")->m_vPosition;
    // The chase camera comes down the road towards the gate, 4 m up.
    for (float z = gate.z - 30; z < gate.z + 20; z += 0.2f) {
        g_Camera.m_vPosition = DV{45, 4.1f, z};
        g_GameAI.Update();
    }
    EXPECT_TRUE(Logged("Meadow: the level logic is running - drive on through the gate"));
    EXPECT_TRUE(Logged("The machine passes the gate"));
    EXPECT_TRUE(g_GameAI.IsSet("brama_minieta"));
    EXPECT_EQ(g_GameAI.FindVariable("przejazdy_bramy")->m_iInteger, 1);
}

}  // namespace
