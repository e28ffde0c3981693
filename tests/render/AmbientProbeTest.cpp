// The ambient probe on the recording device: its surfaces and what a read does without them.
#include "render/AmbientProbe.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/RenderPassTest.h"

namespace {

class AmbientProbeTest : public test::RenderPassTest {};

TEST_F(AmbientProbeTest, ReadsTheCentreOfItsTargetWithoutAlpha) {
    Start();
    g_AmbientProbe.OnStartWorld();
    g_AmbientProbe.BeginRender();
    gfx::Viewport viewport;
    g_pd3dDevice->GetViewport(viewport);
    EXPECT_EQ(viewport.width, 16u);
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET, 0xFF123456u, 1.0f, 0);
    EXPECT_EQ(g_AmbientProbe.ReadColour(), 0x00123456u);
    g_AmbientProbe.EndRender();
    std::unique_ptr<gfx::Surface> target;
    g_pd3dDevice->GetRenderTarget(0, target);
    EXPECT_EQ(target->GetKind(), gfx::Surface::Kind::BackBuffer);
}

TEST_F(AmbientProbeTest, AReadWithoutItsSurfacesReportsAndGivesBlack) {
    Start();
    g_AmbientProbe.OnStartWorld();
    g_AmbientProbe.m_pCalculateSurface.reset();
    EXPECT_EQ(g_AmbientProbe.ReadColour(), 0u);
    EXPECT_TRUE(Logged("!m_pCalculateSurface"));
    EXPECT_TRUE(Logged("GetRenderTargetData failed!"));
    EXPECT_FALSE(Logged("!m_pTargetSurf"));
    // After a device reset it reads again without a new world.
    g_AmbientProbe.OnLostDevice();
    g_AmbientProbe.OnResetDevice();
    g_AmbientProbe.BeginRender();
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    EXPECT_EQ(g_AmbientProbe.ReadColour(), 0x0000FF00u);
    g_AmbientProbe.EndRender();
}

TEST_F(AmbientProbeTest, WithoutItsWhiteAndBlackTexturesThePlantProbeAnswersNo) {
    std::filesystem::remove(Path("textures\\bialy.tga"));
    std::filesystem::remove(Path("textures\\czarne.tga"));
    Start();
    g_AmbientProbe.OnStartWorld();
    DrawVisibility ground;
    EXPECT_FALSE(g_AmbientProbe.RenderPlantProbe(DV{}, &ground));
    EXPECT_TRUE(Logged("bialy.tga NOT found"));
    EXPECT_TRUE(Logged("czarne.tga NOT found"));
}

}  // namespace
