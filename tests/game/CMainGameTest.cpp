#include "game/CMainGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "support/ConsoleLogTest.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/GameAI.h"

namespace {

class CMainGameTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_MainGame);
    }
};

TEST_F(CMainGameTest, RenderRunsOnlyTheReportsTheirSwitchesSelect) {
    g_MainGame.Render();
    EXPECT_TRUE(ConsoleLines().empty());
    g_Settings.m_bDebugPerformance = 1;
    g_MainGame.Render();
    EXPECT_EQ(ConsoleLines(), std::vector<std::string>{"fTotal==0"});
}

// The world's "level_start" object fires once the level has loaded, and only while a world runs.
TEST_F(CMainGameTest, TheLevelStartObjectFiresItsActionsAtFrame199) {
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_EngineObject);
    test::ResetGlobal(g_GameAI);
    ObjectCreateParams params;
    params.m_bKind = OT_LIGHT;
    EObjectSlot* start = g_Engine.AddObject(&params);
    std::strcpy(start->m_szName, "level_start");
    strActionParams actions;
    actions.m_uEnabled = 1;
    std::strcpy(actions.m_szDefaultSet, "level_started");
    g_Engine.SetActionParams(start, &actions);
    for (bool running : {false, true}) {
        g_Engine.m_bWorldRunning = running;
        g_MainGame.OnStartWorld();
        for (int frame = 1; frame < 199; ++frame) g_MainGame.StartLevel();
        EXPECT_FALSE(g_GameAI.IsSet("level_started"));
        g_MainGame.StartLevel();
        EXPECT_EQ(g_GameAI.IsSet("level_started"), running);
    }
    const std::vector<std::string> lines = ConsoleLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "level_start w srodku, uruchamiam akcje"), 1);
    g_Engine.DeleteObject(start);
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_EngineObject);
    test::ResetGlobal(g_GameAI);
}

}  // namespace
