// The render-state cache on the recording device.
#include "render/ERenderStateCache.h"

#include <gtest/gtest.h>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"
#include "support/EffectText.h"

namespace {

const std::string kEffect =
    test::EffectText("@param bool g_bDrawTransparent\n@param bool g_bDrawTranslucent\n", {"RenderScene"});

class ERenderStateCacheTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_EffectMgr);
        ASSERT_TRUE(CreateDevice());
        WriteFile("fx\\scene.fxc", kEffect);
        m_fx = g_EffectMgr.CreateEffect("scene", "fx\\scene.fxc");
        ASSERT_NE(m_fx, nullptr);
        test::ResetGlobal(g_RenderStateCache);
        gfx::NullBackend().renderStates.clear();
    }
    void TearDown() override {
        g_EffectMgr.Release();
        DeviceTest::TearDown();
    }

    uint32_t State(gfx::RenderState state) {
        uint32_t value = 0;
        g_pd3dDevice->GetRenderState(state, value);
        return value;
    }
    bool EffectBool(gfx::FxHandle handle) {
        bool value = false;
        m_fx->m_pEffect->GetBool(handle, value);
        return value;
    }
    int CullingCalls() {
        int n = 0;
        for (const auto& [state, value] : gfx::NullBackend().renderStates) n += state == gfx::RS_CULLMODE;
        return n;
    }

    HEFFECT m_fx = nullptr;
};

TEST_F(ERenderStateCacheTest, TranslucentEndsTransparentFirst) {
    ERenderStateCache& cache = g_RenderStateCache;
    cache.BeginTransparent(m_fx);
    EXPECT_TRUE(EffectBool(m_fx->g_bDrawTransparent));
    EXPECT_EQ(State(gfx::RS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(State(gfx::RS_ALPHAREF), 128u);
    EXPECT_EQ(State(gfx::RS_ALPHAFUNC), uint32_t{gfx::CMP_GREATER});
    cache.BeginTranslucent(m_fx);
    EXPECT_FALSE(EffectBool(m_fx->g_bDrawTransparent));
    EXPECT_TRUE(EffectBool(m_fx->g_bDrawTranslucent));
    EXPECT_EQ(State(gfx::RS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(State(gfx::RS_ZWRITEENABLE), 0u);
    EXPECT_EQ(State(gfx::RS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(cache.m_bTransparentOn, 0);
    EXPECT_EQ(cache.m_bTranslucentOn, 1);
    // And back: transparent ends translucent, which writes depth again.
    cache.BeginTransparent(m_fx);
    EXPECT_FALSE(EffectBool(m_fx->g_bDrawTranslucent));
    EXPECT_EQ(State(gfx::RS_ZWRITEENABLE), 1u);
    cache.EndTransparent(m_fx);
    EXPECT_EQ(State(gfx::RS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(State(gfx::RS_ALPHAFUNC), uint32_t{gfx::CMP_ALWAYS});
}

TEST_F(ERenderStateCacheTest, CullingReachesTheDeviceOnlyWhenItChanges) {
    ERenderStateCache& cache = g_RenderStateCache;
    cache.SetCulling(true);
    cache.SetCulling(true);
    EXPECT_EQ(CullingCalls(), 1);
    cache.SetCulling(false);
    EXPECT_EQ(State(gfx::RS_CULLMODE), uint32_t{gfx::CULL_NONE});
    cache.SetCulling(false);
    EXPECT_EQ(CullingCalls(), 2);
    cache.ForceCulling();
    cache.ForceCulling();
    EXPECT_EQ(CullingCalls(), 4);
    EXPECT_EQ(State(gfx::RS_CULLMODE), uint32_t{gfx::CULL_CCW});
}

TEST_F(ERenderStateCacheTest, SamplerFiltersCoverAtMostSixteenStages) {
    struct Case {
        uint32_t count;
        uint8_t textureFilter;
        int32_t modelQuality;
        uint32_t lastSet;  // stages below this one are set
        uint32_t filter;
    } cases[] = {
        {20, 0, 1, 16, gfx::TEXF_LINEAR},
        {3, 1, 1, 3, gfx::TEXF_ANISOTROPIC},
        {3, 0, 0, 3, gfx::TEXF_ANISOTROPIC},
        {0, 0, 1, 0, gfx::TEXF_LINEAR},
    };
    for (const Case& c : cases) {
        SetUp();
        g_Settings.m_bTextureFilter = c.textureFilter;
        g_Settings.m_iAnimatedModelsTextureQuality = c.modelQuality;
        g_RenderStateCache.SetSamplerFilters(c.count);
        for (uint32_t stage = 0; stage < 16; ++stage) {
            uint32_t min = 0, anisotropy = 0;
            g_pd3dDevice->GetSamplerState(stage, gfx::SAMP_MINFILTER, min);
            g_pd3dDevice->GetSamplerState(stage, gfx::SAMP_MAXANISOTROPY, anisotropy);
            EXPECT_EQ(min, stage < c.lastSet ? c.filter : uint32_t{gfx::TEXF_POINT}) << c.count << " " << stage;
            EXPECT_EQ(anisotropy, stage < c.lastSet ? 4u : 1u);
        }
        TearDown();
    }
}

TEST_F(ERenderStateCacheTest, BeginEffectEndsTheRunningOneAndResetsTheRecords) {
    ERenderStateCache& cache = g_RenderStateCache;
    gfx::Effect* fx = m_fx->m_pEffect.get();
    ASSERT_TRUE(cache.BeginEffect(fx, m_fx->RenderScene, false));
    EXPECT_TRUE(fx->InPass());
    cache.SetTexture(2, nullptr);
    cache.m_bTransparentOn = 1;
    // Beginning again ends the pass first; a plain Begin on a running effect would fail.
    ASSERT_TRUE(cache.BeginEffectTechnique(fx, "RenderScene", true));
    EXPECT_EQ(cache.m_bTransparentOn, 0);
    EXPECT_EQ(cache.m_hCurrentTechnique, m_fx->RenderScene);
    cache.EndEffect(fx);
    EXPECT_FALSE(fx->InPass());
    EXPECT_EQ(cache.m_bEffectRunning, 0);
    EXPECT_EQ(cache.m_hCurrentTechnique, nullptr);
    EXPECT_FALSE(cache.BeginEffect(nullptr, m_fx->RenderScene, false));
    EXPECT_FALSE(cache.BeginEffectTechnique(fx, "NoSuchTechnique", false));
    EXPECT_EQ(cache.m_bEffectRunning, 0);
}

}  // namespace
