// The shadow targets on the recording device.
#include "render/CShadowMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/ESky.h"
#include "support/DeviceTest.h"
#include "support/FakeEngine.h"

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

// Where each map looks from and what it covers: the eye half the depth range back against the
// light from the camera, an orthographic square of the map's extent, depth 1 to 600.
TEST_F(CShadowMapsTest, TheMapsLookAtTheCameraFromHalfTheDepthRangeUpTheLight) {
    struct Case {
        DV light;
        DV camera;
        int quality;
        bool menu;
        float extent1, bias0, bias1;
    } cases[] = {
        {{-1, -0.5f, 0.5f}, {0, 0, 0}, 0, false, 500, 0.1f, 0.4f},
        {{0, -1, 1}, {100, 5, -50}, 1, false, 500, 0.3f, 1.5f},
        {{3, -4, 0}, {-20, 0, 7}, 2, false, 500, 0.8f, 2.7f},
        {{1, -1, 0}, {0, 0, 0}, 2, true, 120, 0.8f, 0.9f},
        {{1, -1, 0}, {0, 0, 0}, 0, true, 120, 0.1f, 0.2f},
        {{0, -2, 0}, {5, 0, 5}, 1, false, 500, 0.3f, 1.5f},  // the sun overhead
    };
    for (const Case& c : cases) {
        test::g_FakeEngine.menuActive = c.menu;
        test::g_FakeEngine.cameraPosition = c.camera;
        g_Settings.m_iShadowQuality = c.quality;
        g_Sky.SetSkyLightDirection(c.light.x, c.light.y, c.light.z);
        g_ShadowMaps.CreateRenderTextures();
        g_ShadowMaps.Enable();
        g_ShadowMaps.Update();
        const DV d = pmath::Normalize(c.light);
        const DV eye = c.camera - d * 300.0f;
        // The view's side and up axes, as a left-handed look-at with up (0, 1, 0) makes them (or
        // up along z for a sun straight overhead).
        const DV worldUp = std::fabs(d.y) > 0.9999f ? DV{0, 0, 1} : DV{0, 1, 0};
        const DV side = pmath::Normalize(pmath::Cross(worldUp, d));
        const DV up = pmath::Cross(d, side);
        const float extents[2] = {80.0f, c.extent1};
        for (int map = 0; map < 2; ++map) {
            SCOPED_TRACE(testing::Message() << "quality " << c.quality << " menu " << c.menu << " map " << map);
            const pmath::Matrix& view = g_ShadowMaps.m_mView[map];
            const pmath::Matrix lightProjection = view * g_ShadowMaps.m_mProj[map];
            DV origin = pmath::TransformPoint(eye, view);
            EXPECT_NEAR(pmath::Length(origin), 0.0f, 1e-3f);
            DV centre = pmath::TransformPoint(c.camera, lightProjection);
            EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
            EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
            EXPECT_NEAR(centre.z, 299.0f / 599.0f, 1e-5f);
            DV edge = pmath::TransformPoint(c.camera + side * (extents[map] * 0.5f) + up * (extents[map] * 0.25f),
                                            lightProjection);
            EXPECT_NEAR(edge.x, 1.0f, 1e-4f);
            EXPECT_NEAR(edge.y, 0.5f, 1e-4f);
            DV farthest = pmath::TransformPoint(eye + d * 600.0f, lightProjection);
            EXPECT_NEAR(farthest.z, 1.0f, 1e-5f);
        }
        EXPECT_FLOAT_EQ(g_ShadowMaps.m_fBias[0], c.bias0);
        EXPECT_FLOAT_EQ(g_ShadowMaps.m_fBias[1], c.bias1);
        EXPECT_EQ(g_ShadowMaps.m_vLightDir, d);
    }
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
    EXPECT_FALSE(g_ShadowMaps.BeginRender(0));
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
    EXPECT_TRUE(g_ShadowMaps.BeginRender(1));
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
