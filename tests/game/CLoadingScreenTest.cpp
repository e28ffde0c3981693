// The loading screen: the input lock, closing on a released key or button, the tips chosen for
// the world and the caption drawn until the level is nearly ready.
#include "game/CLoadingScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EMouse.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/FrameFacts.h"
#include "game/CMainGame.h"
#include "platform/gfx/NullSystem.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "render/EConsoleView.h"
#include "render/EFont.h"
#include "render/ERenderer.h"
#include "support/DeviceTest.h"
#include "support/TextureFiles.h"

namespace {

class CLoadingScreenTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_LoadingScreen);
        test::ResetGlobal(g_CommandMgr);
        test::ResetGlobal(g_Mouse);
        test::ResetGlobal(g_MainGame);
        test::ResetGlobal(g_Renderer);
        ASSERT_TRUE(CreateDevice());
        test::WriteScreenTextures(m_dir.path());
        g_Renderer.InitTextures();
        g_FrameFacts.frameTime = 0.125f;
    }
    void TearDown() override {
        g_TextMgr.Load();
        g_LoadingScreen.Close();
        test::ResetGlobal(g_LoadingScreen);
        g_Console.InstallView(nullptr);
        DeviceTest::TearDown();
        test::ResetGlobal(g_Renderer);
    }
    static void HoldKey(bool held) { g_CommandMgr.m_State[57] = held ? 1 : 0; }
};

TEST_F(CLoadingScreenTest, AKeyReleasedWhileTheWorldLoadsDoesNotCloseTheScreenOneReleasedAfterDoes) {
    HoldKey(true);
    g_LoadingScreen.Begin("worlds\\farm.w");
    g_LoadingScreen.Update();
    HoldKey(false);
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 1);
    g_LoadingScreen.CreateBar();
    EXPECT_TRUE(g_LoadingScreen.m_Bar.m_bCreated);
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 1);
    HoldKey(true);
    for (int i = 0; i < 3; ++i) g_LoadingScreen.Update();  // held: still open
    EXPECT_EQ(g_LoadingScreen.m_bActive, 1);
    HoldKey(false);
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 0);
    EXPECT_FALSE(g_LoadingScreen.m_Bar.m_bCreated);
}

TEST_F(CLoadingScreenTest, AReleasedMouseButtonClosesTheScreenAndTheGameNeverSeesTheClick) {
    g_LoadingScreen.Begin("worlds\\farm.w");
    g_LoadingScreen.CreateBar();
    g_Mouse.m_State.m_Buttons[0] = 1;
    g_Mouse.m_SavedState.m_Buttons[0] = 1;
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 1);
    g_Mouse.m_State.m_Buttons[0] = 0;
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 0);
    EXPECT_EQ(g_Mouse.m_SavedState.m_Buttons[0], 0);
    EXPECT_EQ(g_LoadingScreen.m_bMouseLatch, 0);
    g_LoadingScreen.Close();  // twice is harmless
}

// A tool run closes the screen at its first update once the world has loaded.
TEST_F(CLoadingScreenTest, AToolRunClosesTheScreenWithoutAKey) {
    g_LoadingScreen.Begin("worlds\\farm.w");
    g_Settings.m_bEditor = 1;
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 1) << "not while the world loads";
    g_LoadingScreen.CreateBar();
    g_LoadingScreen.Update();
    EXPECT_EQ(g_LoadingScreen.m_bActive, 0);
    g_Settings.m_bEditor = 0;
}

// The screen is drawn without multisampling, whatever the frame before left.
TEST_F(CLoadingScreenTest, TheScreenIsDrawnWithMultisamplingOff) {
    uint32_t value = 7;
    g_pd3dDevice->GetRenderState(gfx::RS_MULTISAMPLEANTIALIAS, value);
    EXPECT_EQ(value, 1u) << "a device starts with it on";
    g_LoadingScreen.Begin("worlds\\farm.w");
    g_LoadingScreen.Render();
    g_pd3dDevice->GetRenderState(gfx::RS_MULTISAMPLEANTIALIAS, value);
    EXPECT_EQ(value, 0u);
}

TEST_F(CLoadingScreenTest, TipsAreChosenForTheWorldOnceEnoughOfItHasLoaded) {
    struct Case {
        int steps;
        int updates;  // of 1/8 s each
        bool chosen;
    };
    for (Case c : {Case{2, 20, false}, Case{3, 8, false}, Case{3, 9, true}, Case{11, 1, true}}) {
        g_LoadingScreen.Begin("WORLDS\\Level_02.W");
        g_Console.m_iLoadingDone = c.steps;
        for (int i = 0; i < c.updates; ++i) g_LoadingScreen.Update();
        EXPECT_EQ(g_LoadingScreen.m_bTipsChosen, c.chosen) << c.steps << " " << c.updates;
    }
    std::vector<std::string> tips;
    for (const char* const* t = g_LoadingScreen.m_pTips; *t; ++t) tips.emplace_back(*t);
    EXPECT_EQ(tips, (std::vector<std::string>{"L2T01", "L2T02", "L2T03", "L2T04", "L2T05", "L2T06", "L2T07",
                                              "L2T08"}));
    // No voice files: no tip is spoken, so the tips are never paged.
    EXPECT_EQ(g_LoadingScreen.m_bPaging, 0);
    g_LoadingScreen.Begin("worlds\\elsewhere.w");
    g_LoadingScreen.SelectTips();
    EXPECT_EQ(g_LoadingScreen.m_pTips[0], nullptr);
    EXPECT_EQ(g_LoadingScreen.m_bTipsChosen, 1);
}

TEST_F(CLoadingScreenTest, TheCaptionIsDrawnUntilFrame199AndEveryFrameIsPresented) {
    WriteFile("scripts\\text_keys.txt", ">Cache Preparing\n");
    g_TextMgr.Load();
    g_TTFonts.CreateFonts();
    g_Font.Create();
    g_Font.CreateVB();
    g_Console.InstallView(&g_ConsoleView);
    g_LoadingScreen.Begin("worlds\\farm.w");
    for (auto [frame, draws] : {std::pair{198u, 1L}, std::pair{199u, 0L}}) {
        g_MainGame.m_uFrameCounter = frame;
        gfx::NullBackend().calls.clear();
        g_LoadingScreen.Render();
        const std::vector<std::string>& calls = gfx::NullBackend().calls;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "DrawPrimitive"), draws) << frame;
        EXPECT_EQ(calls.front(), "Clear");
        EXPECT_EQ(calls.back(), "Present");
    }
    g_Font.Release();
    g_TTFonts.ReleaseFonts();
    g_TextMgr.Load();
}

}  // namespace
