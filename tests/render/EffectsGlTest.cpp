// Effects and power lines on a real GL device, read back: sprites land where their instances are,
// sprites sharing a texture keep their own blending, a cable hangs below the straight line
// between its poles.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/FrameFacts.h"
#include "platform/os/Random.h"
#include "render/CPowerLines.h"
#include "render/D3DDevice.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/EffectDefinitions.h"
#include "support/FakeEngine.h"
#include "support/GlRenderTest.h"
#include "support/TextureFiles.h"

namespace {

using test::Brightness;
using test::g_FakeEngine;

int Red(uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFF); }

class EffectsGlTest : public test::GlRenderTest {
protected:
    void SetUp() override {
        GlRenderTest::SetUp();
        WriteFile("textures\\test\\white.tga", test::TgaFile(4, 4, 0xFFFFFFFFu));
        WriteFile("textures\\test\\grey.tga", test::TgaFile(4, 4, 0xFF808080u));
        g_FrameFacts.frameTime = 1.0f / 30.0f;
        plat::SeedRandom(1);
    }
    void TearDown() override {
        g_FrameFacts = FrameFacts{};
        GlRenderTest::TearDown();
    }
    // An opaque white sprite of half size h.
    static EFXDefinition& Sprite(const char* name, const char* texture, float h) {
        EFXDefinition& d = test::DefineSprite(name, texture);
        d.m_vScale = DV{2 * h, 2 * h, 2 * h};
        d.m_uColorCount = d.m_uAlphaCount = 1;
        d.m_vColors[0] = DV{255, 255, 255};
        d.m_fAlphas[0] = 255;
        return d;
    }
    // A frame as the game draws it: effects stepped and filled before the scene, drawn after the
    // renderer's translucent pass.
    void EffectFrame(uint32_t clearColour) {
        g_FXMgr.Update(false);
        g_PowerLines.Update();
        g_Renderer.Update();
        g_Renderer.PreRender();
        g_FXMgr.PrepareVertexBuffers();
        g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, clearColour, 1.0f, 0);
        g_pd3dDevice->BeginScene();
        g_Renderer.Render();
        g_Renderer.RenderTranslucent();
        g_FXMgr.Render();
        g_pd3dDevice->EndScene();
    }
};

TEST_F(EffectsGlTest, ASpriteBatchDrawsWhereItsInstancesAre) {
    Start();
    LookAt(DV{0, 0, -10}, DV{0, 0, 0});
    Sprite("puff", "white.tga", 0.6f);
    const DV places[] = {{-3, 1, 0}, {2, -1.5f, 0}, {0.5f, 2, 0}};
    for (const DV& at : places) g_FXMgr.AddFXByName("puff", &at, nullptr);
    EffectFrame(0xFF000000u);
    SavePicture("sprite_batch");
    EXPECT_EQ(g_FXMgr.m_uDrawCalls, 1u);
    for (const DV& at : places) EXPECT_GT(Brightness(PixelOf(at)), 700) << at.x;
    for (const DV& empty : {DV{0, 0, 0}, DV{-3, -2, 0}, DV{3, 2, 0}}) EXPECT_LT(Brightness(PixelOf(empty)), 30) << empty.x;
}

// Three sprites share a grey texture over a grey background: added, the colour brightens it;
// multiplied, it darkens it; blended normally, the texture's own grey shows.
TEST_F(EffectsGlTest, SpritesSharingATextureKeepTheirOwnBlending) {
    Start();
    LookAt(DV{0, 0, -10}, DV{0, 0, 0});
    Sprite("glow", "grey.tga", 0.8f).m_bAdditive = 1;
    Sprite("shade", "grey.tga", 0.8f).m_bMultiply = 1;
    Sprite("smoke", "grey.tga", 0.8f);
    const DV glow{-3, 0, 0}, shade{0, 0, 0}, smoke{3, 0, 0};
    g_FXMgr.AddFXByName("smoke", &smoke, nullptr);
    g_FXMgr.AddFXByName("glow", &glow, nullptr);
    g_FXMgr.AddFXByName("shade", &shade, nullptr);
    const uint32_t background = 0xFF606060u;
    EffectFrame(background);
    SavePicture("sprite_blends");
    EXPECT_EQ(g_FXMgr.m_uDrawCalls, 3u);
    // 0x60 is 0.376: added, 0.5 x 0.5 + 0.376; multiplied, 0.376 x 0.5; normal, 0.5.
    EXPECT_NEAR(Red(PixelOf(glow)), 160, 8);
    EXPECT_NEAR(Red(PixelOf(shade)), 48, 8);
    EXPECT_NEAR(Red(PixelOf(smoke)), 128, 8);
}

TEST_F(EffectsGlTest, ACableHangsBelowTheStraightLineBetweenItsPoles) {
    Start();
    g_Sky.SetAmbientLight(0x00808080u, 0);
    g_Sky.SetSkyLightColour(0x00FFFFFFu);
    g_Sky.SetFogNear(0.0f, 0);
    g_Sky.SetFogFar(100000.0f, 0);
    g_Sky.m_fFogMax = 0.0f;
    g_Renderer.m_bSkyLitMeshes = 1;
    for (const auto& [name, x] : {std::pair{"west", -12.0f}, std::pair{"east", 12.0f}}) {
        test::FakeObject& pole = g_FakeEngine.AddObject(name, DV{x, 0, 0});
        pole.sockets["kabel"] = DV{0, 5, 0};
    }
    g_FakeEngine.worldName = "worlds\\test.w";
    WriteFile("scripts\\slupy\\test.txt", "world worlds\\test.w\nlinia\ngrubosc_kabla 0.2\nsocket kabel\nslup west\nslup east\n");
    g_PowerLines.OnStartWorld();
    LookAt(DV{0, 5, -3}, DV{0, 5, 0});
    const uint32_t background = 0xFFC0D0E0u;
    EffectFrame(background);
    SavePicture("cable_sag");
    ASSERT_GT(g_PowerLines.m_uTriangleCount, 0u);
    // The straight line between the sockets runs through the middle row. In the middle column the
    // cable (darker than the background) lies wholly below it, by about 0.8 x 24 x 0.03 of sag.
    std::vector<uint32_t> rows;
    for (uint32_t y = 0; y < kHeight; ++y)
        if (Brightness(Pixel(kWidth / 2, y)) < Brightness(background) - 150) rows.push_back(y);
    ASSERT_FALSE(rows.empty());
    EXPECT_GT(rows.front(), kHeight / 2);
    EXPECT_GT(rows.front() + rows.back(), kHeight + 10u);
    g_PowerLines.Release();
}

// The demo's own exhaust smoke and wheel dust, from a machine driving past a power line.
TEST_F(EffectsGlTest, ExhaustSmokeAndWheelDustRiseBesideAPowerLine) {
    namespace fs = std::filesystem;
    const fs::path game = FURROW_GAME_DIR;
    fs::copy(game / "afx", m_game.path() / "afx");
    fs::copy(game / "textures" / "effects", m_game.path() / "textures" / "effects");
    Start();
    g_FXMgr.LoadResources();
    g_Sky.SetAmbientLight(0x00A0A0A0u, 0);
    g_Sky.SetSkyLightColour(0x00FFFFFFu);
    g_Sky.SetFogFar(100000.0f, 0);
    g_Sky.m_fFogMax = 0.0f;
    g_Renderer.m_bSkyLitMeshes = 1;
    for (int i = 0; i < 3; ++i) {
        test::FakeObject& pole = g_FakeEngine.AddObject("slup" + std::to_string(i), DV{-12.0f + 12.0f * i, 0, 6});
        pole.sockets["kabel1"] = DV{-1.15f, 8.5f, 0};
        pole.sockets["kabel2"] = DV{0, 9.05f, 0};
    }
    g_FakeEngine.worldName = "worlds\\test.w";
    WriteFile("scripts\\slupy\\test.txt",
              "world worlds\\test.w\nlinia\ngrubosc_kabla 0.05\nsocket kabel1\nsocket kabel2\nslup slup0\nslup slup1\nslup slup2\n");
    g_PowerLines.OnStartWorld();
    LookAt(DV{0, 4, -12}, DV{0, 3.5f, 4});
    const uint32_t sky = 0xFF8CB4E6u;
    DV machine{-4, 0, 0};
    for (int frame = 0; frame < 45; ++frame) {
        machine.x += 4.0f / 30.0f;
        for (int i = 0; i < 3; ++i) {
            DV pipe = machine + DV{0.4f, 2.0f, 0};
            g_FXMgr.AddFXByName("dymek_rura", &pipe, nullptr);
        }
        if (frame % 2 == 0)
            for (float side : {-0.9f, 0.9f}) {
                DV wheel = machine + DV{-0.7f, 0.1f, side};
                g_FXMgr.AddFXByName("zwir", &wheel, nullptr);
            }
        EffectFrame(sky);
    }
    SavePicture("smoke_dust_power_line");
    EXPECT_GT(g_FXMgr.m_iLiveCount, 100);
    EXPECT_EQ(g_FXMgr.m_uDrawCalls, 2u);
    // Grey smoke above the machine's way, brown dust along the ground: neither is the sky's blue.
    int grey = 0, brown = 0;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            uint32_t p = Pixel(x, y);
            int r = Red(p), b = static_cast<int>(p & 0xFF);
            grey += y < kHeight / 2 + 6 && std::abs(r - b) < 60 && b < 200;
            brown += y > kHeight / 2 && r > b;
        }
    }
    EXPECT_GT(grey, 20);
    EXPECT_GT(brown, 20);
    g_PowerLines.Release();
}

}  // namespace
