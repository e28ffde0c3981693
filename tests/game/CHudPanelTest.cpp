// The HUD panel over a recording canvas: the order of a frame's steps, what the intro, the
// cutscenes and a finished run leave of it, the start lights, the figures of the top panels, the
// world icons, the instruction lines and the fade.
#include "game/HudFixture.h"

#include <cmath>
#include <string>

#include "game/PAutoMap.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/Truck.h"
#include "vehicles/VehiclesHooks.h"
#include "world/EObjectSlot.h"

namespace {

using test::HudDraw;

class HudPanelTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        WriteFile("scripts\\text_keys.txt",
                  ">I13 Task done\n>Zone Back to the field\n>Whistle Foul\n>LL9T0 Take the inside line\n"
                  ">LL9T2 Watch the others\n");
        g_TextMgr.Load();
    }
    void TearDown() override {
        g_AutoMap.ReleaseTarget();
        HudTest::TearDown();
    }
    void Draw() {
        m_recorder.draws.clear();
        g_HudPanel.Draw();
    }
};

TEST_F(HudPanelTest, AFrameDrawsItsStepsInTheirOrder) {
    Route().m_bWithOpponents = 1;
    g_HudPanel.m_fFade = 0.5f;
    g_HudPanel.m_fWhistleTimer = 5;
    g_HudPanel.m_bHelpShown = 1;
    g_HudPanel.AddInstruction("[R]", "Start cutting");
    g_HudPanel.AddWorldIcon("points.tga", {0, 0, 10});
    g_HudPanel.Update();
    g_Player.m_iCountdown = 2;
    g_Player.m_fCountdownTimer = 0.5f;
    g_Player.m_fRespawnCooldown = 3;
    g_Player.m_bOffRoute = 1;
    g_Player.m_bOffRouteLeft = 1;
    g_Player.m_fOffRouteTimer = 1;
    g_Player.m_bFinishPrompt = 1;
    g_Player.m_bOutsideZone = 1;
    Truck truck;
    truck.m_bPlayerCanDrive = 1;
    std::snprintf(truck.m_szName, sizeof truck.m_szName, "Big tractor");
    EObjectSlot other;
    other.m_hTruck = &truck;
    g_Player.m_pSwitchableVehicle = &other;
    g_MainGame.m_bGameOption1 = 1;
    g_AutoMap.CreateTarget();
    Draw();
    const std::vector<std::string> labels = m_recorder.Labels();
    EXPECT_TRUE(InOrder(labels, {"begin", "white", "end", "begin", "light 2", "whistle", "text:Foul", "dial",
                                 "speed needle", "temperature needle", "glass", "gear N", "icon", "forbidden",
                                 "map window", "map frame", "instruction frame", "turn left", "text:00:02.00",
                                 "race panel", "end", "text:Press ENTER to change tractor to Big tractor",
                                 "text:Task done", "text:Take the inside line", "text:Watch the others", "text:[R]",
                                 "text:Start cutting", "text:Back to the field"}))
        << ::testing::PrintToString(labels);
    // The help list shows the lines its group has, each in its row.
    const std::vector<HudDraw> help = m_recorder.Of("text:Watch the others");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_FLOAT_EQ(help[0].y, 80 + 26 * 2);
    EXPECT_EQ(m_recorder.Of("text:Back to the field")[0].colour, 0xFFFF4040u);
}

TEST_F(HudPanelTest, TheIntroAndTheCutscenesShowNothingButTheZoneWarning) {
    g_Player.m_bOutsideZone = 1;
    g_Player.m_iCountdown = 3;
    g_Settings.m_bGameMode = 1;
    for (auto [frame, black] : {std::pair{222u, true}, std::pair{223u, false}}) {
        g_MainGame.m_uFrameCounter = frame;
        Draw();
        std::vector<std::string> expected = {"begin", "white", "end", "text:Back to the field"};
        if (!black) expected.erase(expected.begin() + 1);
        EXPECT_EQ(m_recorder.Labels(), expected) << frame;
    }
    g_MainGame.m_uFrameCounter = 1;
    Draw();
    const HudDraw black = m_recorder.Of("white")[0];
    EXPECT_EQ(black.colour, 0xFF000000u);
    EXPECT_FLOAT_EQ(black.right, 1024);
    EXPECT_FLOAT_EQ(black.bottom, 768);
    g_Settings.m_bGameMode = 0;
    g_CutsceneMgr.m_pActiveScene = reinterpret_cast<strScene*>(&g_CutsceneMgr);
    Draw();
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"begin", "end", "text:Back to the field"}));
    g_CutsceneMgr.m_pActiveScene = nullptr;
}

TEST_F(HudPanelTest, ARunStartsBlackAndClearsOnceTheLevelStartHasPassed) {
    g_MainGame.m_bRunning = 1;
    g_MainGame.m_bKeyInputEnabled = 0;
    g_HudPanel.m_fFrameTime = 0.1f;
    for (auto [frame, fade] : {std::pair{100u, 1.15f}, std::pair{223u, 1.15f}, std::pair{224u, 1.10f}}) {
        g_MainGame.m_uFrameCounter = frame;
        m_recorder.draws.clear();
        g_MainGame.Render();
        // Before the keys reach the game, the start prompt and then the fade over it.
        EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"begin", "white", "end"})) << frame;
        EXPECT_EQ(m_recorder.draws[1].colour, 0xFF000000u) << frame;
        EXPECT_NEAR(g_HudPanel.m_fFade, fade, 1e-5) << frame;
    }
    g_MainGame.m_bKeyInputEnabled = 1;
    m_recorder.draws.clear();
    g_MainGame.Render();
    EXPECT_TRUE(InOrder(m_recorder.Labels(), {"begin", "white", "end", "begin", "dial", "end"}));
}

TEST_F(HudPanelTest, NothingIsDrawnAndNoTimerMovesOverAResultOrFromTheFreeCamera) {
    g_HudPanel.m_fWhistleTimer = 5;
    g_HudPanel.m_fFade = 1;
    for (int c = 0; c < 2; ++c) {
        g_Player.m_bRunFinished = c == 0;
        g_Settings.m_bMucha = c == 1;
        Draw();
        EXPECT_TRUE(m_recorder.draws.empty()) << c;
        EXPECT_FLOAT_EQ(g_HudPanel.m_fWhistleTimer, 5) << c;
        EXPECT_FLOAT_EQ(g_HudPanel.m_fFade, 1) << c;
    }
}

TEST_F(HudPanelTest, TheStartLightGrowsAndFadesWithTheCountdownTimer) {
    struct Case {
        int state;
        float timer;
        const char* quad;
    };
    for (Case c : {Case{3, 0, "light 3"}, Case{2, 0.5f, "light 2"}, Case{1, 1, "light 1"}, Case{0, 0.25f, "flag"},
                   Case{4, 0.5f, "flag"}}) {
        g_Player.m_iCountdown = c.state;
        g_Player.m_fCountdownTimer = c.timer;
        Draw();
        const std::vector<HudDraw> lights = m_recorder.Of(c.quad);
        ASSERT_EQ(lights.size(), 1u) << c.state;
        const float half = 128 * c.timer + 64;
        EXPECT_FLOAT_EQ(lights[0].left, 512 - half) << c.state;
        EXPECT_FLOAT_EQ(lights[0].top, 280 - half) << c.state;
        EXPECT_FLOAT_EQ(lights[0].right, 512 + half) << c.state;
        EXPECT_FLOAT_EQ(lights[0].bottom, 280 + half) << c.state;
        EXPECT_EQ(lights[0].colour >> 24, static_cast<uint32_t>((1 - c.timer) * 255)) << c.state;
    }
    g_Player.m_iCountdown = -1;
    Draw();
    for (const char* light : {"light 1", "light 2", "light 3", "flag"}) EXPECT_TRUE(m_recorder.Of(light).empty());
}

TEST_F(HudPanelTest, TheRacePanelShowsTheRunTimeAndTheRacePosition) {
    Route().m_bWithOpponents = 1;
    g_Player.m_fRunTime = 83.456f;
    g_RuchMgr.m_iRacePosition = 2;
    g_RuchMgr.m_iCarCount = 5;
    Draw();
    g_RuchMgr.m_iRacePosition = g_RuchMgr.m_iCarCount = -1;
    ASSERT_EQ(m_recorder.Of("race panel").size(), 1u);
    EXPECT_TRUE(m_recorder.Of("task panel").empty());
    EXPECT_EQ(m_recorder.Figures(), "01:23.452/5");
    const float left = 1030 - 320, right = 1030, row = 20 + 160 * 0.21875f;
    const HudDraw first = m_recorder.Of("0")[0];
    EXPECT_FLOAT_EQ(first.left, left + (right - left) * 0.1640625f);
    EXPECT_FLOAT_EQ(first.top, row + 1.5f);
    EXPECT_FLOAT_EQ(first.bottom - first.top, 18);
    const HudDraw slash = m_recorder.Of("/")[0];
    EXPECT_FLOAT_EQ(slash.left, left + (right - left) * 0.53515625f + 18 * 0.75f * 0.68f);
}

TEST_F(HudPanelTest, TheTaskPanelShowsThePlaceTheRunTimeStillReachesAndItsLimit) {
    RouteRecord& route = Route();
    route.m_bPloughing = 1;
    route.m_fPlaceTimes[3] = 60;
    route.m_fPlaceTimes[4] = 80;
    route.m_fPlaceTimes[5] = 100;
    // The normal level's limits.
    g_VehiclesHooks.profileDifficulty = [] { return 1; };
    struct Case {
        float time;
        const char* figures;
    };
    // A time equal to a limit has not beaten it.
    for (Case c : {Case{59.99f, "00:59.99101:00.00"}, Case{60, "01:00.00201:20.00"}, Case{99.5f, "01:39.50301:40.00"},
                   Case{130, "02:10.00301:40.00"}}) {
        g_Player.m_fRunTime = c.time;
        Draw();
        EXPECT_EQ(m_recorder.Figures(), c.figures) << c.time;
    }
    g_VehiclesHooks = VehiclesHooks{};
    ASSERT_EQ(m_recorder.Of("task panel").size(), 1u);
    // No task counts its progress yet: the bar is empty.
    const HudDraw bar = m_recorder.Of("progress")[0];
    EXPECT_FLOAT_EQ(bar.right, bar.left);
    EXPECT_FLOAT_EQ(bar.left, 710 + 320 * 0.171875f);
}

TEST_F(HudPanelTest, DigitStringsSkipOtherCharactersWithoutAGap) {
    g_HudPanel.DrawDigits("1-2a:3 .", 100, 50, 20, 0xFF00FF00, 1.0f);
    ASSERT_EQ(m_recorder.Figures(), "12:3.");
    for (size_t i = 0; i < m_recorder.draws.size(); ++i) {
        EXPECT_FLOAT_EQ(m_recorder.draws[i].left, 100 + 20 * 0.68f * i) << i;
        EXPECT_FLOAT_EQ(m_recorder.draws[i].top, 51.5f);
        EXPECT_EQ(m_recorder.draws[i].colour, 0xFF00FF00u);
    }
    m_recorder.draws.clear();
    g_HudPanel.DrawDigits(nullptr, 0, 0, 20, 0, 1);
    g_HudPanel.DrawDigits("", 0, 0, 20, 0, 1);
    EXPECT_TRUE(m_recorder.draws.empty());
}

TEST_F(HudPanelTest, AWorldIconBehindTheCameraIsNotShownOneInFrontGrowsAndFades) {
    g_HudPanel.AddWorldIcon("points.tga", {0, 0, -10});
    g_HudPanel.AddWorldIcon("points.tga", {3, 0, 0});
    for (const CHudIcon& icon : g_HudPanel.m_Icons) EXPECT_EQ(icon.m_bInUse, 0);
    g_HudPanel.AddWorldIcon("points.tga", {0, 0, 10});
    const CHudIcon& icon = g_HudPanel.m_Icons[0];
    ASSERT_EQ(icon.m_bInUse, 1);
    EXPECT_NEAR(icon.m_fX, 512, 0.01);
    EXPECT_NEAR(icon.m_fY, 384, 0.01);
    g_Engine.m_fFrameTime = 1.0f / 3;
    g_HudPanel.Update();
    EXPECT_NEAR(icon.m_Quad.m_fLeft, 512 - (0.5f * 96 + 24), 0.01);
    EXPECT_EQ(icon.m_Quad.m_uColour >> 24, 127u);
    g_HudPanel.Update();
    EXPECT_EQ(icon.m_bInUse, 0);
    EXPECT_FALSE(icon.m_Quad.m_bCreated);
}

TEST_F(HudPanelTest, A65thWorldIconIsNotShown) {
    for (int i = 0; i < CHudPanel::kIcons + 1; ++i) g_HudPanel.AddWorldIcon("points.tga", {0, 0, 10.0f + i});
    for (const CHudIcon& icon : g_HudPanel.m_Icons) EXPECT_EQ(icon.m_bInUse, 1);
    EXPECT_NEAR(g_HudPanel.m_Icons[CHudPanel::kIcons - 1].m_fY, 384, 0.01);
}

TEST_F(HudPanelTest, InstructionsFillThreePairsAndAreCutToTheirSize) {
    g_HudPanel.AddInstruction("", "no key");
    g_HudPanel.AddInstruction("[X]", nullptr);
    g_HudPanel.AddInstruction("[A]", "first");
    g_HudPanel.AddInstruction("[B]", std::string(400, 'b').c_str());
    g_HudPanel.AddInstruction("[C]", "third");
    g_HudPanel.AddInstruction("[D]", "dropped");
    EXPECT_STREQ(g_HudPanel.m_szInstructionKeys[0], "[A]");
    EXPECT_EQ(std::string(g_HudPanel.m_szInstructionLines[1]), std::string(CHudPanel::kTextSize - 1, 'b'));
    EXPECT_STREQ(g_HudPanel.m_szInstructionLines[2], "third");
    Draw();
    const std::vector<HudDraw> first = m_recorder.Of("text:first");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_FLOAT_EQ(first[0].x, 420);
    EXPECT_FLOAT_EQ(first[0].y, 680);
    EXPECT_FLOAT_EQ(m_recorder.Of("text:third")[0].y, 720);
    EXPECT_TRUE(m_recorder.Of("text:dropped").empty());
    g_HudPanel.ClearInstructions();
    Draw();
    EXPECT_TRUE(m_recorder.Of("instruction frame").empty());
}

TEST_F(HudPanelTest, TheFadeFallsByTheFrameTimeAtMostAFrameAtATime) {
    struct Case {
        float level, frameTime;
        bool cutscene;
        float after;
        uint32_t alpha;
    };
    for (Case c : {Case{1.2f, 1.0f / 60, false, 1.2f - 1.0f / 60, 255}, Case{1.2f, 0.5f, false, 1.15f, 255},
                   Case{0.5f, 0.5f, true, 0.3f, 127}, Case{0.01f, 0.02f, false, 0, 2}}) {
        g_CutsceneMgr.m_pActiveScene = c.cutscene ? reinterpret_cast<strScene*>(&g_CutsceneMgr) : nullptr;
        g_HudPanel.m_fFade = c.level;
        g_HudPanel.m_fFrameTime = c.frameTime;
        m_recorder.draws.clear();
        g_HudPanel.DrawFade();
        EXPECT_NEAR(g_HudPanel.m_fFade, c.after, 1e-6) << c.level;
        ASSERT_EQ(m_recorder.Labels(), (std::vector<std::string>{"begin", "white", "end"}));
        EXPECT_EQ(m_recorder.draws[1].colour, c.alpha << 24) << c.level;
    }
    g_CutsceneMgr.m_pActiveScene = nullptr;
}

}  // namespace
