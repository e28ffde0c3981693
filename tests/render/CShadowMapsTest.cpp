// The shadow targets on the recording device.
#include "render/CShadowMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/ESky.h"
#include "support/DeviceTest.h"

namespace {

class CShadowMapsTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_ShadowMaps);
        ASSERT_TRUE(CreateDevice());
        g_Settings.m_bDrawShadows = 1;
    }
    void TearDown() override {
        test::ResetGlobal(g_ShadowMaps);
        DeviceTest::TearDown();
    }
    int Clears() const {
        const auto& calls = gfx::NullBackend().calls;
        return static_cast<int>(std::count(calls.begin(), calls.end(), "Clear"));
    }
};

TEST_F(CShadowMapsTest, AnyIndexButZeroReadsMapOne) {
    g_ShadowMaps.m_uSize[0] = 11;
    g_ShadowMaps.m_uSize[1] = 22;
    for (int map : {1, 5, -1}) {
        uint32_t size = 0;
        g_ShadowMaps.GetMap(map, &size, nullptr, nullptr, nullptr);
        EXPECT_EQ(size, 22u) << map;
    }
    uint32_t size = 0, extent = 0, range = 0;
    float bias = 0;
    g_ShadowMaps.GetMap(0, &size, &extent, &range, &bias);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(extent, 40u);
    EXPECT_EQ(range, 200u);
    EXPECT_FLOAT_EQ(bias, 0.76f);
}

TEST_F(CShadowMapsTest, ShadowQualitySetsSizesAndBiases) {
    struct Case {
        int quality;
        uint32_t size0, size1;
        float bias0, bias1;
    } cases[] = {{0, 2048, 2048, 0.1f, 0.4f}, {1, 1024, 512, 0.3f, 1.5f}, {2, 512, 256, 0.8f, 2.7f},
                 {7, 512, 256, 0.8f, 2.7f}};
    int before = g_pd3dDevice->LiveDefaultPoolResources();
    for (const Case& c : cases) {
        g_Settings.m_iShadowQuality = c.quality;
        g_ShadowMaps.CreateRenderTextures();
        for (int map = 0; map < 2; ++map) {
            ASSERT_NE(g_ShadowMaps.m_pTexture[map], nullptr);
            ASSERT_NE(g_ShadowMaps.m_pDepth[map], nullptr);
            EXPECT_EQ(g_ShadowMaps.m_pTexture[map]->GetFormat(), gfx::FMT_R32F);
        }
        EXPECT_EQ(g_ShadowMaps.m_pTexture[0]->LevelWidth(0), c.size0) << c.quality;
        EXPECT_EQ(g_ShadowMaps.m_pTexture[1]->LevelWidth(0), c.size1) << c.quality;
        EXPECT_FLOAT_EQ(g_ShadowMaps.m_fBias[0], c.bias0);
        EXPECT_FLOAT_EQ(g_ShadowMaps.m_fBias[1], c.bias1);
        EXPECT_EQ(g_ShadowMaps.m_uDepthRange, 600u);
    }
    // The targets are default-pool resources: a reset must wait until they are released.
    g_ShadowMaps.OnLostDevice();
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), before);
}

TEST_F(CShadowMapsTest, MapOneIsReAimedAtTheFirstUpdateAndAfterTheCameraMoves) {
    g_ShadowMaps.Enable();
    g_ShadowMaps.m_bRendered[1] = 1;
    g_ShadowMaps.Update();
    EXPECT_EQ(g_ShadowMaps.m_bRendered[1], 0);
    g_ShadowMaps.m_bRendered[0] = g_ShadowMaps.m_bRendered[1] = 1;
    test::g_FakeEngine.cameraPosition = DV{10, 0, 0};
    g_ShadowMaps.Update();
    EXPECT_EQ(g_ShadowMaps.m_bRendered[0], 0);
    EXPECT_EQ(g_ShadowMaps.m_bRendered[1], 1);
    test::g_FakeEngine.cameraPosition = DV{16, 0, 0};
    g_ShadowMaps.Update();
    EXPECT_EQ(g_ShadowMaps.m_bRendered[1], 0);
}

TEST_F(CShadowMapsTest, WhileACutscenePlaysMapOneFollowsSmallCameraSteps) {
    for (bool scene : {false, true}) {
        test::g_FakeEngine.cameraPosition = DV{};
        test::g_FakeEngine.cutscenePlaying = scene;
        g_ShadowMaps.Enable();
        g_ShadowMaps.Update();
        g_ShadowMaps.m_bRendered[1] = 1;
        test::g_FakeEngine.cameraPosition = DV{3, 0, 0};
        g_ShadowMaps.Update();
        EXPECT_EQ(g_ShadowMaps.m_bRendered[1], scene ? 0 : 1);
    }
}

TEST_F(CShadowMapsTest, AMapThatCannotBeMadeIsSkippedWithoutTouchingTheBackBuffer) {
    g_Settings.m_bDrawShadows = 0;
    g_ShadowMaps.Enable();
    int clears = Clears();
    g_ShadowMaps.BeginRender(0);
    EXPECT_TRUE(Logged("Nie ma, tworze 0")) << ConsoleLog();
    EXPECT_TRUE(Logged("Dalej nie ma, wychodze"));
    EXPECT_EQ(Clears(), clears);
    g_ShadowMaps.EndRender();
    std::unique_ptr<gfx::Surface> target;
    g_pd3dDevice->GetRenderTarget(0, target);
    EXPECT_EQ(target->GetKind(), gfx::Surface::Kind::BackBuffer);
}

TEST_F(CShadowMapsTest, BeginRenderDrawsIntoTheMapAndEndRenderRestoresTheDevice) {
    g_Settings.m_iShadowQuality = 2;
    g_ShadowMaps.Enable();
    int before = g_pd3dDevice->LiveDefaultPoolResources();
    g_ShadowMaps.BeginRender(1);
    EXPECT_TRUE(Logged("Nie ma, tworze 1"));
    std::unique_ptr<gfx::Surface> target;
    g_pd3dDevice->GetRenderTarget(0, target);
    EXPECT_EQ(target->Target(), g_ShadowMaps.m_pTexture[1].get());
    gfx::Viewport viewport;
    g_pd3dDevice->GetViewport(viewport);
    EXPECT_EQ(viewport.width, 256u);
    // Cleared to the farthest depth: every bit of the colour set.
    uint32_t cleared = 0;
    std::unique_ptr<gfx::Surface> copy;
    g_pd3dDevice->CreateOffscreenPlainSurface(256, 256, gfx::FMT_R32F, gfx::POOL_SYSTEMMEM, copy);
    g_pd3dDevice->GetRenderTargetData(*target, *copy);
    std::memcpy(&cleared, copy->Pixels(), 4);
    EXPECT_EQ(cleared, 0xFFFFFFFFu);
    target.reset();
    g_ShadowMaps.EndRender();
    g_pd3dDevice->GetRenderTarget(0, target);
    EXPECT_EQ(target->GetKind(), gfx::Surface::Kind::BackBuffer);
    g_pd3dDevice->GetViewport(viewport);
    EXPECT_EQ(viewport.width, g_d3dpp.backBufferWidth);
    target.reset();
    g_ShadowMaps.Disable();
    EXPECT_EQ(g_ShadowMaps.m_bEnabled, 0);
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), before);
}

}  // namespace
