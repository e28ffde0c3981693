#include "game/CMainGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "support/ConsoleLogTest.h"

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

}  // namespace
