#include "world/EEngine.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/EConsole.h"
#include "core/EProfiler.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/DeviceTest.h"
#include "support/TestSupport.h"
#include "support/TextureFiles.h"
#include "world/WorldHooks.h"

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

// The keys the front end was handed, down as they are, up as their negatives.
std::vector<int> g_frontEndKeys;

TEST(EEngine, TheConsoleKeyOpensTheConsoleWhichThenTakesEveryKey) {
    test::ResetGlobal(g_Console);
    g_frontEndKeys.clear();
    g_WorldHooks.frontEndKeyDown = [](uint32_t key) { g_frontEndKeys.push_back(int(key)); };
    g_WorldHooks.frontEndKeyUp = [](uint32_t key) { g_frontEndKeys.push_back(-int(key)); };
    g_Engine.OnKeyDown('A');
    EXPECT_STREQ(g_Console.m_szInputLine, "");  // closed: the key goes to the game
    g_Engine.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 1);
    g_Engine.OnKeyDown('A');
    g_Engine.OnKeyUp('A');
    EXPECT_STREQ(g_Console.m_szInputLine, "a");
    g_Engine.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 0);
    g_Engine.OnKeyDown('B');
    g_Engine.OnKeyUp('B');
    EXPECT_STREQ(g_Console.m_szInputLine, "a");
    EXPECT_EQ(g_frontEndKeys, (std::vector<int>{'A', 'B', -'B'}));
    test::ResetGlobal(g_Console);
    g_WorldHooks = WorldHooks{};
}

class EEngineWorldChange : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_Renderer);
        test::ResetGlobal(g_ShadowMaps);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_Renderer);
        test::ResetGlobal(g_ShadowMaps);
    }
};

TEST_F(EEngineWorldChange, EndsTheOldWorldsShadowMapsAndTexturesBeforeTheNewWorldStarts) {
    ASSERT_TRUE(CreateDevice());
    WriteFile("t\\stone.tga", test::TgaFile(4, 4, 0xFF808080u));
    g_Renderer.InitTextures();
    const uint32_t stone = g_Renderer.GetTextureByName("stone.tga", false, false);
    ASSERT_NE(g_Renderer.GetTexture(stone), nullptr);
    g_ShadowMaps.Enable();
    g_Engine.RequestStartWorld("worlds\\next.w");
    g_Engine.ProcessStartWorld(g_Engine.m_szPendingWorld);
    EXPECT_EQ(g_Renderer.m_pTextures, nullptr);
    EXPECT_EQ(g_Renderer.GetTexture(stone), nullptr);
    EXPECT_EQ(g_ShadowMaps.m_bEnabled, 0);
    EXPECT_STREQ(g_Engine.m_szStartingWorld, "worlds\\next.w");
    EXPECT_EQ(g_Engine.m_szPendingWorld[0], 0);
}

TEST_F(EEngineWorldChange, AWorldEndLetsTheShadowTargetsGo) {
    ASSERT_TRUE(CreateDevice());
    int before = g_pd3dDevice->LiveDefaultPoolResources();
    g_ShadowMaps.Enable();
    g_ShadowMaps.CreateRenderTextures();
    ASSERT_NE(g_ShadowMaps.m_pTexture[0], nullptr);
    g_Engine.EndWorld();
    EXPECT_EQ(g_ShadowMaps.m_bEnabled, 0);
    EXPECT_EQ(g_ShadowMaps.m_pTexture[0], nullptr);
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), before);
}

}  // namespace
