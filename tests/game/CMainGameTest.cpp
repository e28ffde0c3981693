#include "game/CMainGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "game/CMenu.h"
#include "render/ESky.h"
#include "support/ConsoleLogTest.h"
#include "vehicles/CPlayer.h"
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
        test::ResetGlobal(g_Player);
        g_MainGame.m_bRunning = 1;
    }
    void TearDown() override {
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_MainGame);
        ConsoleLogTest::TearDown();
    }
    static void Frames(int n) {
        for (int i = 0; i < n; ++i) g_MainGame.StartLevel();
    }
    int Count(const std::string& line) const {
        const std::vector<std::string> lines = ConsoleLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
};

TEST_F(CMainGameTest, RenderRunsOnlyTheReportsTheirSwitchesSelect) {
    g_MainGame.m_uFrameCounter = 300;
    g_MainGame.Render();
    EXPECT_TRUE(ConsoleLines().empty());
    g_Settings.m_bDebugPerformance = 1;
    g_MainGame.Render();
    EXPECT_EQ(ConsoleLines(), std::vector<std::string>{"fTotal==0"});
    g_MainGame.m_bRunning = 0;
    g_MainGame.Render();
    EXPECT_EQ(ConsoleLines().size(), 1u);
}

// The first frame after a world start is frame 1; the machine is made at frame 100 once per world
// start, and every world start counts again from 1.
TEST_F(CMainGameTest, EveryWorldStartRunsTheMachineFrameOnce) {
    g_MainGame.OnStartWorld();
    Frames(1);
    EXPECT_EQ(g_MainGame.m_uFrameCounter, 1u);
    Frames(300);
    EXPECT_EQ(Count("SprawdzLicznik 100"), 1);
    EXPECT_EQ(Count("TworzPostacGracza()"), 1);
    g_MainGame.OnStartWorld();
    Frames(99);
    EXPECT_EQ(Count("SprawdzLicznik 100"), 1);
    Frames(1);
    EXPECT_EQ(Count("SprawdzLicznik 100"), 2);
}

// A key during the loading does nothing; from frame 211 on it lets the keys reach the game, and
// the player starts on the next frame of the sequence.
TEST_F(CMainGameTest, KeysReachTheGameOnlyFromFrame211) {
    g_MainGame.LoadResources();
    ASSERT_EQ(g_MainGame.m_bKeyInputEnabled, 0);
    Frames(210);
    g_MainGame.OnKeyDown(' ');
    EXPECT_EQ(g_MainGame.m_bKeyInputEnabled, 0);
    Frames(1);
    EXPECT_EQ(g_Player.m_bStarted, 0);
    g_MainGame.OnKeyDown(' ');
    EXPECT_EQ(g_MainGame.m_bKeyInputEnabled, 1);
    Frames(1);
    EXPECT_EQ(g_Player.m_bStarted, 1);
    EXPECT_EQ(g_Player.m_iCountdown, 4);
}

// The intro needs no key: the player drives from frame 211 without a countdown.
TEST_F(CMainGameTest, TheIntroStartsWithoutAKey) {
    g_Settings.m_bGameMode = 1;
    g_MainGame.LoadResources();
    Frames(211);
    EXPECT_EQ(g_Player.m_bStarted, 1);
    EXPECT_EQ(g_Player.m_iCountdown, -1);
    EXPECT_EQ(g_Player.m_bDrivingEnabled, 1);
    g_MainGame.ReleaseResources();
    EXPECT_EQ(g_Settings.m_bGameMode, 0);
}

// Text keys are data: a long line is cut to the list's line, a 256th line is refused.
TEST_F(CMainGameTest, CreditsLinesAreBounded) {
    const std::string longLine(400, 'x');
    g_MainGame.AddCreditsLine(longLine.c_str());
    EXPECT_EQ(std::string(g_szCredits[0]), longLine.substr(0, CMainGame::kCreditsLineSize - 1));
    for (int i = 1; i < 255; ++i) g_MainGame.AddCreditsLine("line");
    EXPECT_EQ(g_uCreditsCount, 255u);
    g_MainGame.AddCreditsLine("one too many");
    EXPECT_EQ(g_uCreditsCount, 255u);
    EXPECT_EQ(Count("Credits przekroczyly 255 linii!"), 1);
    g_MainGame.BuildCredits();
    EXPECT_GT(g_uCreditsCount, 20u);
    EXPECT_LT(g_uCreditsCount, 255u);
}

// On a 4:3 screen 768 high the picture is 1200 wide, cropped equally to the screen.
TEST_F(CMainGameTest, EndPictureIsCroppedAroundItsCentre) {
    g_Settings.m_iScreenWidth = 1024;
    g_Settings.m_iScreenHeight = 768;
    g_MainGame.EndGame();
    EXPECT_EQ(g_MainGame.m_bEndGame, 1);
    EXPECT_FLOAT_EQ(g_MainGame.m_fEndPictureWidth, 1200.0f);
    EXPECT_FLOAT_EQ(g_MainGame.m_fEndPictureX, 0.0f);
    EXPECT_EQ(g_MainGame.m_EndPicture.m_SourceRect.left, 88);
    EXPECT_EQ(g_MainGame.m_EndPicture.m_SourceRect.right, 1112);
    EXPECT_EQ(Count("LoadFromFile(misc\\bmp\\end_game.bmp) failed!"), 1);
}

// The world's "level_start" object fires once the level has loaded, and only when a world was loaded.
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
        std::strcpy(g_Engine.m_szStartingWorld, running ? "worlds\\meadow.w" : "");
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

namespace {

// Every run starts with the field haze as its first fog colour, whatever the world said.
TEST_F(CMainGameTest, EveryWorldStartGivesTheFirstFogSetTheFieldHaze) {
    g_Sky.SetFogColour(0xFF102030u, 0);
    g_Sky.SetFogColour(0xFF405060u, 1);
    g_MainGame.LoadResources();
    uint32_t first = 0, second = 0;
    g_Sky.GetFogColour(first, 0);
    g_Sky.GetFogColour(second, 1);
    EXPECT_EQ(first & 0xFFFFFFu, (194u << 16) | (173u << 8) | 122u);
    EXPECT_EQ(second, 0xFF405060u);
}

// A repair run rewrites the cached meshes once the machine is made; a normal run does not.
TEST_F(CMainGameTest, ARepairRunSavesTheCachedMeshesAtTheMachineFrame) {
    for (uint8_t repair : {0, 1}) {
        g_Settings.m_bRepairMultiData = repair;
        g_MainGame.OnStartWorld();
        Frames(99);
        EXPECT_EQ(Count("EMeshMgr::SaveAllOpts"), 0);
        Frames(1);
        EXPECT_EQ(Count("EMeshMgr::SaveAllOpts"), repair) << int(repair);
    }
    g_Settings.m_bRepairMultiData = 0;
}

// Under the start prompt a window takes the keyboard anew each frame, unless the console or the
// menu holds it; full screen leaves it alone.
TEST_F(CMainGameTest, TheStartPromptRetakesTheKeyboardInAWindowOnly) {
    struct Case {
        uint8_t windowed, console, menu;
        uint8_t acquired;
    };
    const Case cases[] = {{1, 0, 0, 1}, {0, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 0}};
    for (const Case& c : cases) {
        g_Settings.m_bWindowed = c.windowed;
        g_Console.m_bOpen = c.console;
        g_Menu.m_bActive = c.menu;
        g_Engine.m_bKeyboardAcquired = 0;
        g_MainGame.m_bKeyInputEnabled = 0;
        g_MainGame.m_uFrameCounter = 230;
        g_MainGame.Render();
        EXPECT_EQ(g_Engine.m_bKeyboardAcquired, c.acquired) << int(c.windowed) << int(c.console) << int(c.menu);
    }
    g_Engine.ReleaseKeyboard();
    g_Console.m_bOpen = 0;
    g_Menu.m_bActive = 0;
}

}  // namespace
