// Post-processing on the recording device: its targets, when it captures, and its failures.
#include "render/EPostProcess.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "support/FakeEngine.h"
#include "support/RenderPassTest.h"

namespace {

class EPostProcessTest : public test::RenderPassTest {
protected:
    void SetUp() override {
        RenderPassTest::SetUp();
        g_Settings.SetScreenSize(800, 600);
        g_pd3dDevice.reset();
        ASSERT_TRUE(CreateDevice());
        Start();
    }
    static bool CapturingNow() {
        std::unique_ptr<gfx::Surface> target;
        g_pd3dDevice->GetRenderTarget(0, target);
        return target->Target() == g_PostProcess.MainTex.get() && g_PostProcess.MainTex;
    }
    int Lines(const std::string& line) const {
        std::string log = "\n" + ConsoleLog();
        int n = 0;
        for (size_t at = log.find("\n" + line + "\n"); at != std::string::npos; at = log.find("\n" + line + "\n", at + 1))
            ++n;
        return n;
    }
};

TEST_F(EPostProcessTest, TheTargetsFollowTheScreen) {
    g_PostProcess.Create();
    ASSERT_TRUE(g_PostProcess.m_bCreated);
    EXPECT_EQ(g_PostProcess.MainTex->LevelWidth(0), 800u);
    EXPECT_EQ(g_PostProcess.BloomTex[0]->LevelWidth(0), 100u);
    EXPECT_EQ(g_PostProcess.BloomTex[1]->LevelHeight(0), 75u);
    EXPECT_EQ(g_PostProcess.BloomTex3->LevelWidth(0), 400u);
    EXPECT_EQ(g_PostProcess.BloomTex3->LevelHeight(0), 300u);
    EXPECT_EQ(g_PostProcess.TargetTex->GetFormat(), gfx::FMT_A8R8G8B8);
}

TEST_F(EPostProcessTest, CaptureBeginsAfterTheLevelStartAndNeverInWireframe) {
    g_PostProcess.Create();
    struct Case {
        uint32_t frame;
        uint8_t wireframe;
        bool captures;
    } cases[] = {{150, 0, false}, {151, 0, true}, {400, 1, false}};
    for (const Case& c : cases) {
        test::g_FakeEngine.gameFrame = c.frame;
        g_Settings.m_bWireFrame = c.wireframe;
        g_PostProcess.BeginCapture();
        EXPECT_EQ(CapturingNow(), c.captures) << c.frame;
        g_PostProcess.EndCapture();
        EXPECT_FALSE(CapturingNow());
        g_PostProcess.Render();
        // Five filter steps and the copy to the screen, each one quad.
        const auto& calls = gfx::NullBackend().calls;
        int quads = static_cast<int>(std::count(calls.begin(), calls.end(), "DrawPrimitive"));
        EXPECT_EQ(quads, c.captures ? 6 : 0) << c.frame;
        gfx::NullBackend().calls.clear();
    }
}

TEST_F(EPostProcessTest, TheDefaultBloomReachesTheEffectAsAQuarterConeAndHalfPower) {
    g_PostProcess.Create();
    test::g_FakeEngine.gameFrame = 200;
    g_PostProcess.Render();
    HEFFECT dof = g_EffectMgr.GetEffect("dof");
    EXPECT_FLOAT_EQ(ParameterAt(dof, "g_fBloomCone", 0), 1.25f);
    EXPECT_FLOAT_EQ(ParameterAt(dof, "g_fBloomPower", 0), 0.15f);
    EXPECT_FLOAT_EQ(ParameterAt(dof, "viewportScale", 1), -2.0f / 600.0f);
}

// A target that cannot be made after a device reset is not asked for again every frame; making
// the targets again releases the old ones first.
TEST_F(EPostProcessTest, TargetsThatFailAreNotRetriedEveryFrame) {
    int before = g_pd3dDevice->LiveDefaultPoolResources();
    g_PostProcess.Create();
    ASSERT_TRUE(g_PostProcess.m_bCreated);
    int made = g_pd3dDevice->LiveDefaultPoolResources();
    g_PostProcess.CreateResources();
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), made);
    g_PostProcess.OnLostDevice();
    EXPECT_EQ(g_pd3dDevice->LiveDefaultPoolResources(), before);
    gfx::NullBackend().textureFailures = 1;
    g_PostProcess.OnResetDevice();
    test::g_FakeEngine.gameFrame = 200;
    for (int frame = 0; frame < 3; ++frame) g_PostProcess.Render();
    EXPECT_EQ(Lines("PostProcess: Failed creating MainTex"), 1);
    EXPECT_EQ(g_PostProcess.MainTex, nullptr);
    // The next world tries again.
    g_PostProcess.ReleaseDecl();
    g_PostProcess.Create();
    EXPECT_TRUE(g_PostProcess.m_bCreated);
    EXPECT_NE(g_PostProcess.MainTex, nullptr);
}

}  // namespace
