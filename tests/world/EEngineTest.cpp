#include "world/EEngine.h"

#include <gtest/gtest.h>

#include "core/EConsole.h"
#include "core/EProfiler.h"
#include "game/CMenu.h"
#include "support/TestSupport.h"

namespace {

TEST(EEngine, InitRegistersTheProfilerSectionsAndEveryWorldSwitchesTheProfilerOff) {
    test::ResetPlatform();
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_Profiler);
    g_Engine.Init(nullptr);
    EXPECT_TRUE(g_Profiler.m_Sections[200].m_bUsed);
    g_Profiler.m_bEnabled = 1;
    g_Engine.BeginWorld();
    EXPECT_EQ(g_Profiler.m_bEnabled, 0);
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_Profiler);
}

TEST(EEngine, TheConsoleKeyOpensTheConsoleWhichThenTakesEveryKey) {
    test::ResetGlobal(g_Console);
    test::ResetGlobal(g_Menu);
    g_Engine.OnKeyDown('A');
    EXPECT_STREQ(g_Console.m_szInputLine, "");  // closed: the key goes to the game
    g_Menu.m_bActive = 1;
    g_Engine.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 1);  // also over the menu
    g_Engine.OnKeyDown('A');
    g_Engine.OnKeyUp('A');
    EXPECT_STREQ(g_Console.m_szInputLine, "a");
    g_Engine.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 0);
    g_Engine.OnKeyDown('B');
    EXPECT_STREQ(g_Console.m_szInputLine, "a");
    test::ResetGlobal(g_Console);
    test::ResetGlobal(g_Menu);
}

}  // namespace
