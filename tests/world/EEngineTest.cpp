// The engine's world lifecycle and frame: start and release, the frame timer, the engine frame in
// its order, world changes at the end of a frame, hot keys.
#include "world/EEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/CCommandMgr.h"
#include "core/EProfiler.h"
#include "platform/os/Clock.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/TextureFiles.h"
#include "world/EngineFixture.h"

namespace {

using test::EngineTest;
using Lines = std::vector<std::string>;

// The engine's lines among the console's, from the first "EEngine::ProcessStartWorld".
Lines StartLines(const Lines& log) {
    Lines out;
    for (const std::string& line : log)
        if (line.rfind("EEngine::ProcessStartWorld", 0) == 0 || line.rfind("exiting EEngine", 0) == 0)
            out.push_back(line);
    return out;
}

Lines Numbered(const std::string& name, int last) {
    Lines lines{"EEngine::ProcessStartWorld " + name};
    for (int n = 10; n <= last; n += 10) lines.push_back("EEngine::ProcessStartWorld " + std::to_string(n));
    return lines;
}

class EngineWorld : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        WriteFile("worlds\\farm.w", "world_general_properties\r\n");
        g_Engine.Init(nullptr);
        TakeCalls();
    }
};

TEST_F(EngineWorld, InitAndReleaseCallTheirNeighboursInOrder) {
    EObjectSlot* barn = AddMesh("barn");
    g_Engine.Release();
    EXPECT_EQ(g_Engine.m_bReady, 0);
    EXPECT_EQ(barn->m_bUsed, 0);
    g_Engine.Init(nullptr);
    EXPECT_EQ(g_Engine.m_bReady, 1);
    EXPECT_TRUE(g_Profiler.m_Sections[200].m_bUsed);
    EXPECT_FLOAT_EQ(g_Camera.m_fFarZ, 100.0f);
    EXPECT_EQ(g_Engine.m_fFrameTime, 0.0f);
    EXPECT_EQ(TakeCalls(), (Lines{"createTruckForObject ", "groundTrimDefinitions", "menuRelease",
                                  "physicsDeleteObject barn", "physicsShutdown", "mainGameInit", "physicsInit",
                                  "menuInit", "groundInit"}));
}

TEST_F(EngineWorld, AnEmptyWorldLogsEveryStepAndLeavesNoWorldRunning) {
    EXPECT_TRUE(g_Engine.ProcessStartWorld("*menu"));
    Lines expected = Numbered("*menu", 120);
    expected.push_back("exiting EEngine::ProcessStartWorld");
    EXPECT_EQ(StartLines(ConsoleLines()), expected);
    EXPECT_EQ(g_Engine.m_bWorldRunning, 0);
    EXPECT_STREQ(g_Engine.m_szStartingWorld, "");
    EXPECT_EQ(g_Engine.m_bStartWorld, 0);
    EXPECT_NE(g_EngineObject.m_pCameraFinder, nullptr);
}

TEST_F(EngineWorld, AWorldThatDoesNotLoadStopsAfterItsEightiethStepWithTheOldWorldEnded) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    EXPECT_EQ(g_Engine.m_bWorldRunning, 1);
    TakeCalls();
    EXPECT_FALSE(g_Engine.ProcessStartWorld("worlds\\missing.w"));
    Lines log = ConsoleLines();
    Lines lines = StartLines(Lines(std::find(log.begin(), log.end(), "exiting EEngine::ProcessStartWorld") + 1, log.end()));
    EXPECT_EQ(lines, Numbered("worlds\\missing.w", 80));
    EXPECT_EQ(g_Engine.m_bWorldRunning, 0);
    EXPECT_EQ(g_Engine.m_bStartWorld, 0);
    // The old world ended; no new one began, so there is no camera finder to move.
    Lines calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "mainGameReleaseResources"), calls.end());
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "mainGameLoadResources"), calls.end());
    EXPECT_EQ(g_EngineObject.m_pCameraFinder, nullptr);
    g_Camera.m_vPosition = DV{5000, 0, 0};
    EXPECT_TRUE(g_Engine.Update());
    EXPECT_EQ(g_EngineObject.m_pCameraFinder, nullptr);
}

TEST_F(EngineWorld, TheNextStartEndsWhatTheGameMadeAfterAFailedOne) {
    EXPECT_FALSE(g_Engine.ProcessStartWorld("worlds\\missing.w"));
    // The game goes on without a world and makes the player's machine, whose mesh the next start
    // releases: the machine must go with it.
    EObjectSlot* machine = AddMesh("machine");
    TakeCalls();
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    EXPECT_EQ(machine->m_bUsed, 0);
    const Lines calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "mainGameReleaseResources"), calls.end());
}

TEST_F(EngineWorld, AWorldChangeEndsTheOldWorldAndBeginsTheNewOneInTheirOrders) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    TakeCalls();
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    EXPECT_EQ(TakeCalls(), (Lines{
                               // The old world's end.
                               "mainGameReleaseResources",
                               "plantRelease",
                               "groundClearEffects",
                               "autoMapRelease",
                               // The change.
                               "physicsExitWorld",
                               "mainGamePlayMusic (null)",
                               "mainGameWorldStart",
                               "beginLoadingScreen worlds\\farm.w",
                               // The new world's beginning.
                               "physicsResetRunCounters",
                               "groundResolveTextures",
                               "plantLoadGrass",
                               "autoMapLoad",
                               "mainGameLoadResources",
                               "createLoadingBar",
                           }));
    EXPECT_STREQ(g_Engine.m_szStartingWorld, "worlds\\farm.w");
}

TEST_F(EngineWorld, TheOldWorldsShadowMapsAndTexturesGoBeforeTheNewWorldStarts) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    WriteFile("t\\stone.tga", test::TgaFile(4, 4, 0xFF808080u));
    g_Renderer.InitTextures();
    const uint32_t stone = g_Renderer.GetTextureByName("stone.tga", false, false);
    ASSERT_NE(g_Renderer.GetTexture(stone), nullptr);
    g_ShadowMaps.Enable();
    g_ShadowMaps.CreateRenderTextures();
    g_ShadowMaps.m_bRendered[1] = 1;
    g_Engine.RequestStartWorld("worlds\\farm.w");
    g_Engine.ProcessStartWorld(g_Engine.m_szPendingWorld);
    EXPECT_EQ(g_Renderer.GetTexture(stone), nullptr);
    // The old maps went with the old world; the new world's are enabled, to be drawn afresh.
    EXPECT_EQ(g_ShadowMaps.m_pTexture[0], nullptr);
    EXPECT_EQ(g_ShadowMaps.m_bEnabled, 1);
    EXPECT_EQ(g_ShadowMaps.m_bRendered[1], 0);
    EXPECT_EQ(g_Engine.m_szPendingWorld[0], 0);
}

TEST_F(EngineWorld, AWorldEndLetsTheShadowTargetsGo) {
    int before = g_pd3dDevice->LiveDefaultPoolResources();
    g_ShadowMaps.Enable();
    g_ShadowMaps.CreateRenderTextures();
    ASSERT_NE(g_ShadowMaps.m_pTexture[0], nullptr);
    g_Engine.EndWorld();
    EXPECT_EQ(g_ShadowMaps.m_pTexture[0], nullptr);
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), before);
}

TEST_F(EngineWorld, ARequestOnlyStoresTheNameAndTooLongANameIsRefused) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    g_Engine.m_bWorldRender = 1;
    g_Engine.RequestStartWorld("worlds\\next.w");
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "worlds\\next.w");
    EXPECT_EQ(g_Engine.m_bStartWorld, 1);
    EXPECT_EQ(g_Engine.m_bWorldRender, 0);
    EXPECT_STREQ(g_Engine.m_szStartingWorld, "worlds\\farm.w");  // nothing changes before the frame ends

    std::string tooLong = "worlds\\" + std::string(130, 'x') + ".w";
    g_Engine.m_szPendingWorld[0] = 0;
    g_Engine.RequestStartWorld(tooLong.c_str());
    EXPECT_EQ(g_Engine.m_szPendingWorld[0], 0);
    EXPECT_TRUE(Logged("!!! 1"));
    EXPECT_FALSE(g_Engine.ProcessStartWorld(tooLong.c_str()));
}

TEST_F(EngineWorld, ObjectsFlaggedNotImportantSurviveAWorldStartOnlyWhenTheyAreDrawn) {
    for (uint8_t draw : {0, 1}) {
        g_Settings.m_bDrawNotImportant = draw;
        EObjectSlot* bush = AddMesh("bush");
        bush->m_uFlags |= FLAG_NOT_IMPORTANT;
        g_Engine.BeginWorld();
        EXPECT_EQ(bush->m_bUsed, draw) << int(draw);
        g_Engine.DeleteObject(bush);
    }
}

TEST_F(EngineWorld, TheFrameRunsItsStepsInOrderAndDeletesRequestedObjectsAfterTheUpdate) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    EObjectSlot* doomed = AddMesh("doomed");
    doomed->m_bToDelete = 1;
    g_WorldHooks.autoMapUpdate = [] {
        test::Record(std::string("autoMapUpdate ") + (g_Engine.m_Objects[0].m_bUsed ? "before" : "after"));
    };
    TakeCalls();
    uint32_t frame = g_Engine.m_uFrameCounter;
    EXPECT_TRUE(g_Engine.Update());
    EXPECT_EQ(g_Engine.m_uFrameCounter, frame + 1);
    // The object loop gave it its first update (and the offer of a truck) before it went.
    EXPECT_EQ(TakeCalls(), (Lines{"mainGameUpdateMusic", "createTruckForObject doomed", "plantUpdateFieldWork",
                                  "groundUpdateVB", "physicsDeleteObject doomed", "autoMapUpdate after"}));
    float total = -1;
    EXPECT_TRUE(g_Console.GetVariable("TotalObjects", total));
    EXPECT_EQ(total, 0.0f);
}

TEST_F(EngineWorld, NoFrameWithoutFocusOrBeforeInit) {
    g_CoreHooks.hasFocus = [] { return false; };
    EXPECT_FALSE(g_Engine.Update());
    g_CoreHooks.hasFocus = [] { return true; };
    g_Engine.Release();
    EXPECT_FALSE(g_Engine.Update());
    Lines calls = TakeCalls();
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "mainGameUpdateMusic"), calls.end());
}

TEST_F(EngineWorld, AWorldRequestedDuringTheFrameStartsOnlyAtItsEnd) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    EObjectSlot* barn = AddMesh("barn");
    // A level script asks for the next world in the middle of the engine frame.
    g_WorldHooks.plantUpdateFieldWork = [] { g_Engine.RequestStartWorld("*menu"); };
    EXPECT_TRUE(g_Engine.Update());
    EXPECT_EQ(barn->m_bUsed, 1);
    EXPECT_EQ(g_Engine.m_bWorldRunning, 1);
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "*menu");
    // The program entry runs the change at the very end of the frame.
    g_Engine.ProcessStartWorld(g_Engine.m_szPendingWorld);
    EXPECT_EQ(barn->m_bUsed, 0);
    EXPECT_EQ(g_Engine.m_szPendingWorld[0], 0);
    EXPECT_EQ(g_Engine.m_uFrameCounter, 0u);
}

TEST_F(EngineWorld, TheFrameStepIsClampedThenScaledAndTheFpsCountsUnscaledSteps) {
    struct Case {
        int frames;  // fixed-clock frames of 1/60 s since the last step
        bool due;
        float step;  // before GlobalTimeSpeed 2
    };
    const Case cases[] = {{0, false, 0}, {1, true, 1.0f / 60}, {6, true, 0.1f}, {30, true, 0.5f}, {180, true, 0.5f}};
    g_Settings.m_fGlobalTimeSpeed = 2.0f;
    g_Engine.UpdateTimer();
    for (const Case& c : cases) {
        for (int i = 0; i < c.frames; ++i) plat::AdvanceFrame();
        float before = g_Engine.m_fFrameTime;
        EXPECT_EQ(g_Engine.UpdateTimer(), c.due) << c.frames;
        EXPECT_NEAR(g_Engine.m_fFrameTime, c.due ? 2 * c.step : before, 1e-4f) << c.frames;
    }
    // Steps of 1/60 s: 60 frames per second whatever the scale.
    for (int i = 0; i < 10; ++i) {
        plat::AdvanceFrame();
        g_Engine.UpdateTimer();
    }
    EXPECT_NEAR(g_Engine.m_fFPS, 60.0f, 0.5f);
}

TEST_F(EngineWorld, WorldTimeRunsFromTheFirstFrameOfAWorld) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    g_Engine.UpdateTimer();
    EXPECT_EQ(g_Engine.m_fLevelTime, 0.0f);  // not started before the world's first frame
    g_Engine.Update();
    for (int i = 0; i < 30; ++i) plat::AdvanceFrame();
    g_Engine.UpdateTimer();
    EXPECT_NEAR(g_Engine.m_fLevelTime, 0.5f, 1e-4f);
}

TEST_F(EngineWorld, HotKeysTakeOneScreenshotPerPressAndMoveTheGammaWhileHeld) {
    ASSERT_TRUE(g_Engine.ProcessStartWorld("worlds\\farm.w"));
    g_CommandMgr.BuildKeyNames();
    const uint32_t f8 = g_CommandMgr.m_Bindings[13][0], home = g_CommandMgr.m_Bindings[22][0];
    g_Engine.m_fFrameTime = 0.2f;
    g_CommandMgr.m_State[f8] = 1;
    g_Engine.Update();
    g_Engine.Update();
    EXPECT_TRUE(Exists("qv_screen0000.bmp"));
    EXPECT_FALSE(Exists("qv_screen0001.bmp"));
    g_CommandMgr.m_State[f8] = 0;
    g_Engine.Update();
    g_CommandMgr.m_State[f8] = 1;
    g_Engine.Update();
    EXPECT_TRUE(Exists("qv_screen0001.bmp"));
    g_CommandMgr.m_State[f8] = 0;

    g_Camera.SetGamma(1.0f);
    g_CommandMgr.m_State[home] = 1;
    g_Engine.Update();
    float gamma = 0;
    g_Camera.GetGamma(gamma);
    EXPECT_NEAR(gamma, 1.0f + g_Engine.m_fFrameTime * 0.5f, 1e-5f);
    EXPECT_TRUE(Exists("save\\keys.cfg"));
    test::g_MenuActive = true;  // not while the menu is up
    g_Engine.Update();
    float held = 0;
    g_Camera.GetGamma(held);
    EXPECT_EQ(held, gamma);
    g_CommandMgr.m_State[home] = 0;
    test::g_MenuActive = false;
}

TEST_F(EngineWorld, TheConsoleKeyOpensTheConsoleWhichThenTakesEveryKey) {
    static std::vector<int> keys;
    keys.clear();
    g_WorldHooks.frontEndKeyDown = [](uint32_t key) { keys.push_back(int(key)); };
    g_WorldHooks.frontEndKeyUp = [](uint32_t key) { keys.push_back(-int(key)); };
    g_Engine.OnKeyDown('A');
    EXPECT_STREQ(g_Console.m_szInputLine, "");
    g_Engine.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 1);
    g_Engine.OnKeyDown('A');
    g_Engine.OnKeyUp('A');
    EXPECT_STREQ(g_Console.m_szInputLine, "a");
    g_Engine.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 0);
    g_Engine.OnKeyDown('B');
    g_Engine.OnKeyUp('B');
    EXPECT_EQ(keys, (std::vector<int>{'A', 'B', -'B'}));
}

}  // namespace
