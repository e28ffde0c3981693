#include "game/CMainGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "support/TestSupport.h"

namespace {

class CMainGameTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        test::ResetGlobal(g_Settings);
        test::ResetGlobal(g_Console);
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_MainGame);
        g_Console.OpenLog();
    }
    void TearDown() override {
        g_Console.CloseLog();
        StartDirTest::TearDown();
    }
};

TEST_F(CMainGameTest, RenderRunsOnlyTheReportsTheirSwitchesSelect) {
    g_MainGame.Render();
    EXPECT_TRUE(ReadLines("!console.txt").empty());
    g_Settings.m_bDebugPerformance = 1;
    g_MainGame.Render();
    EXPECT_EQ(ReadLines("!console.txt"), std::vector<std::string>{"fTotal==0"});
}

}  // namespace
