// The texts the shipped route table leads to: every route of the demo's "scripts\trasy.txt" has the
// task line its loading screen shows, and the tips group its tasks choose has at least its first tip,
// in the demo's "scripts\text_keys.txt".
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/EConsole.h"
#include "core/ETextMgr.h"
#include "support/TestSupport.h"
#include "world/CRoutesMgr.h"

namespace {

class DemoRouteTexts : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        test::ResetGlobal(g_RoutesMgr);
        std::filesystem::copy(std::filesystem::path(FURROW_GAME_DIR) / "scripts", m_dir.path() / "scripts",
                              std::filesystem::copy_options::recursive);
        g_TextMgr.Load();
    }
    void TearDown() override {
        test::ResetGlobal(g_RoutesMgr);
        StartDirTest::TearDown();
        g_TextMgr.Load();
    }
};

TEST_F(DemoRouteTexts, EveryRouteHasItsTaskLineAndTips) {
    ASSERT_GT(g_TextMgr.Count(), 0u);
    g_RoutesMgr.ReadRoutes(ReadFile("scripts\\trasy.txt"));
    ASSERT_GT(g_RoutesMgr.m_iRouteCount, 0);
    for (int route = 0; route < g_RoutesMgr.m_iRouteCount; ++route) {
        g_RoutesMgr.m_iCurrentRoute = route;
        const RouteTasks* tasks = g_RoutesMgr.CurrentRouteTasks();
        ASSERT_NE(tasks, nullptr) << route;
        const std::string name = g_RoutesMgr.m_Routes[route].m_szName;
        if (const char* key = EConsole::LoadingTaskKey(tasks, false)) {
            const char* text = g_TextMgr.FindText(key);
            EXPECT_TRUE(text && *text) << name << ": " << key;
        }
        if (char group = EConsole::LoadingTipsGroup(tasks, false)) {
            const std::string key = EConsole::LoadingTipKey(group, 0);
            const char* text = g_TextMgr.FindText(key.c_str());
            EXPECT_TRUE(text && *text) << name << ": " << key;
        }
    }
}

}  // namespace
