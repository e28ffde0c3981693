// Loading the "fx" directory, finding effects by name and the cached handles.
#include "render/EEffectMgr.h"

#include <gtest/gtest.h>

#include "core/EDebug.h"
#include "core/ESettings.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"
#include "support/EffectText.h"

namespace {

const std::string kEffect = test::EffectText(
    "@param float4 g_SkyLightDir\n@param bool g_bDrawTransparent\n@param float4 g_vLightPos\n"
    "@param texture2d g_Texture 0\n",
    {"RenderScene", "RenderSkinMesh"});

class EEffectMgrTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_EffectMgr);
        ASSERT_TRUE(CreateDevice());
    }
    void TearDown() override {
        g_EffectMgr.Release();
        DeviceTest::TearDown();
    }
};

TEST_F(EEffectMgrTest, LoadsEveryEffectFileUnderItsNameWithoutExtension) {
    WriteFile("fx\\Water.fxc", kEffect);
    WriteFile("fx\\skylight.FXC", kEffect);
    WriteFile("fx\\.fxc", kEffect);
    WriteFile("fx\\notes.txt", "not an effect");
    g_EffectMgr.Init();
    EXPECT_EQ(g_EffectMgr.m_bLoaded, 1);
    ASSERT_NE(g_EffectMgr.GetEffect("water"), nullptr);
    EXPECT_STREQ(g_EffectMgr.GetEffect("WATER")->m_szPath, "fx\\Water.fxc");
    EXPECT_NE(g_EffectMgr.GetEffect("SkyLight"), nullptr);
    EXPECT_EQ(g_EffectMgr.GetEffect(""), nullptr);
    EXPECT_EQ(g_EffectMgr.GetEffect("notes"), nullptr);
    g_EffectMgr.Release();
    EXPECT_EQ(g_EffectMgr.GetEffect("water"), nullptr);
    EXPECT_EQ(g_EffectMgr.m_bLoaded, 0);
}

TEST_F(EEffectMgrTest, CachesDeclaredHandlesAndLeavesTheOthersNull) {
    WriteFile("fx\\a.fxc", kEffect);
    HEFFECT fx = g_EffectMgr.CreateEffect("a", "fx\\a.fxc");
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->m_hTechnique, fx->RenderScene);
    EXPECT_NE(fx->RenderSkinMesh, nullptr);
    EXPECT_EQ(fx->RenderScene20, nullptr);
    EXPECT_EQ(fx->g_SkyLightDir, fx->m_pEffect->GetParameterByName(nullptr, "g_SkyLightDir"));
    EXPECT_NE(fx->g_Texture, nullptr);
    EXPECT_EQ(fx->g_vLightPosPoint, fx->g_vLightPos);
    EXPECT_EQ(fx->g_mWorld, nullptr);
    EXPECT_NE(fx->m_pEffect->SetMatrix(fx->g_mWorld, nullptr), gfx::OK);
}

TEST_F(EEffectMgrTest, AnExistingNameIsReturnedWithoutReadingTheFile) {
    WriteFile("fx\\a.fxc", kEffect);
    HEFFECT first = g_EffectMgr.CreateEffect("a", "fx\\a.fxc");
    EXPECT_EQ(g_EffectMgr.CreateEffect("A", "fx\\missing.fxc"), first);
    // Newest first: a second effect goes to the head.
    WriteFile("fx\\b.fxc", kEffect);
    HEFFECT second = g_EffectMgr.CreateEffect("b", "fx\\b.fxc");
    EXPECT_EQ(g_EffectMgr.m_pEffects, second);
    EXPECT_EQ(second->m_pNext, first);
    gfx::FxHandle handle = nullptr;
    g_EffectMgr.AddEffectParam(&handle, "g_bDrawTransparent");
    EXPECT_EQ(handle, second->g_bDrawTransparent);
}

TEST_F(EEffectMgrTest, FailuresAreReportedAndLeaveNoRecord) {
    WriteFile("fx\\bad.fxc", "@technique\n");
    struct Case {
        const char* name;
        const char* path;
        const char* line;
    } cases[] = {
        {"missing", "fx\\missing.fxc", "effect missing (fx\\missing.fxc) create error D3DERR_INVALIDCALL (2156)!"},
        {"bad", "fx\\bad.fxc", "effect bad (fx\\bad.fxc) create error D3DXERR_INVALIDDATA (2905)!"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(g_EffectMgr.CreateEffect(c.name, c.path), nullptr);
        EXPECT_TRUE(Logged(c.line)) << ConsoleLog();
    }
    EXPECT_EQ(g_EffectMgr.m_pEffects, nullptr);
    gfx::FxHandle handle = nullptr;
    g_EffectMgr.AddEffectParam(&handle, nullptr);
    EXPECT_TRUE(Logged("AddEffectParam: one of params is NULL"));
}

}  // namespace
