// The renderer's frame on a real GL device: what a player sees of light, shadow, fog, sky,
// alpha-tested holes, translucent surfaces and bloom, read back pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/ESettings.h"
#include "render/AmbientProbe.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/EPostProcess.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "support/FakeEngine.h"
#include "support/GlRenderTest.h"
#include "support/TextureFiles.h"

namespace {

using test::Brightness;
using test::SceneGeometry;
using test::SceneObject;

int Red(uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFF); }
int Green(uint32_t argb) { return static_cast<int>((argb >> 8) & 0xFF); }

class SceneTest : public test::GlRenderTest {
protected:
    void SetUp() override {
        GlRenderTest::SetUp();
        WriteFile("textures\\test\\grey.tga", test::TgaFile(4, 4, 0xFF808080u));
        WriteFile("textures\\test\\white.tga", test::TgaFile(4, 4, 0xFFFFFFFFu));
    }
    // A plain environment: grey ambient, a white sun along direction, no fog.
    void Light(const DV& direction) {
        g_Sky.SetAmbientLight(0x00404040u, 0);
        g_Sky.SetSkyLightColour(0x00FFFFFFu);
        g_Sky.m_fSkyLightPower = 1.0f;
        g_Sky.SetSkyLightDirection(direction.x, direction.y, direction.z);
        g_Sky.SetFogNear(0.0f, 0);
        g_Sky.SetFogFar(100000.0f, 0);
        g_Sky.m_fFogMax = 0.0f;
        g_Renderer.m_bSkyLitMeshes = 1;
    }
    // A quad of half size h at centre facing along normal (upright: its v axis is world up).
    static void AddFacing(SceneGeometry& g, const DV& centre, const DV& normal, float h) {
        DV up{0, 1, 0};
        DV u = pmath::Normalize(pmath::Cross(normal, up)) * h;
        g.AddQuad(centre, u, up * h);
    }
};

TEST_F(SceneTest, AQuadFacingTheSunIsBrighterThanOneTurnedAway) {
    Start();
    Light(pmath::Normalize(DV{1, 0, 1}));
    SceneGeometry sunward, away;
    AddFacing(sunward, DV{-2, 0, 0}, pmath::Normalize(DV{-1, 0, -1}), 1.5f);
    AddFacing(away, DV{2, 0, 0}, pmath::Normalize(DV{1, 0, -1}), 1.5f);
    Upload(sunward);
    Upload(away);
    SceneObject a, b;
    a.Place(sunward, pmath::Identity(), "grey.tga");
    b.Place(away, pmath::Identity(), "grey.tga");
    LookAt(DV{0, 0, -8}, DV{0, 0, 0});
    DrawFrame();
    SavePicture("lit_quads");
    uint32_t lit = PixelOf(DV{-2, 0, -0.2f}), dark = PixelOf(DV{2, 0, -0.2f});
    EXPECT_GT(Brightness(lit), Brightness(dark) + 100);
    // Turned away, the quad still has the ambient light: grey 0x80 x 0x40 x 0.5.
    EXPECT_NEAR(Red(dark), 0x80 * 0x40 / 510, 6);
}

TEST_F(SceneTest, ABoxCastsItsShadowOnTheGroundAwayFromTheSun) {
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_iShadowQuality = 1;
    Start();
    Light(pmath::Normalize(DV{1, -1, 0}));
    SceneGeometry ground, box;
    ground.AddQuad(DV{0, 0, 0}, DV{20, 0, 0}, DV{0, 0, 20});
    box.AddBox(DV{-2, 0, -2}, DV{2, 4, 2});
    Upload(ground);
    Upload(box);
    SceneObject groundObject, boxObject;
    groundObject.Place(ground, pmath::Identity(), "grey.tga");
    boxObject.Place(box, pmath::Identity(), "white.tga");
    test::g_FakeEngine.objects = DrawObjectTable{&groundObject.object, 2,
                                                 static_cast<uint32_t>(reinterpret_cast<const char*>(&boxObject.object) -
                                                                       reinterpret_cast<const char*>(&groundObject.object))};
    LookAt(DV{0, 30, -20}, DV{0, 0, 0});
    DrawFrame();
    SavePicture("box_shadow");
    ASSERT_EQ(g_ShadowMaps.m_bRendered[1], 1);
    // The box's shadow falls 4 units beyond its sunlit side's far edge; beside it the ground is lit.
    uint32_t shadowed = PixelOf(DV{4, 0, 0}), beside = PixelOf(DV{4, 0, 5}), before = PixelOf(DV{-5, 0, 0});
    EXPECT_LT(Brightness(shadowed) + 60, Brightness(beside));
    EXPECT_LT(Brightness(shadowed) + 60, Brightness(before));
}

TEST_F(SceneTest, FogThickensWithDistance) {
    Start();
    Light(DV{0, 0, 1});
    g_Sky.SetFogColour(0x00FF0000u, 0);
    g_Sky.SetFogNear(0.0f, 0);
    g_Sky.SetFogFar(100.0f, 0);
    g_Sky.m_fFogMax = 1.0f;
    SceneGeometry near, far;
    AddFacing(near, DV{-1.5f, 0, 10}, DV{0, 0, -1}, 1.0f);
    AddFacing(far, DV{12, 0, 80}, DV{0, 0, -1}, 8.0f);
    Upload(near);
    Upload(far);
    SceneObject a, b;
    a.Place(near, pmath::Identity(), "grey.tga");
    b.Place(far, pmath::Identity(), "grey.tga");
    LookAt(DV{0, 0, 0}, DV{0, 0, 1});
    DrawFrame();
    SavePicture("fog");
    uint32_t nearPixel = PixelOf(DV{-1.5f, 0, 10}), farPixel = PixelOf(DV{12, 0, 80});
    // Both are grey under the fog; the far one has three quarters more of the fog's red.
    EXPECT_GT(Red(farPixel) - Green(farPixel), Red(nearPixel) - Green(nearPixel) + 80);
    EXPECT_GT(Red(nearPixel) - Green(nearPixel), 10);
}

TEST_F(SceneTest, TheSkyFollowsTheTimeOfDay) {
    // One colour per sky, so the dome's texel is the time of day's.
    for (const char* sky : {"sky_morning", "sky_noon", "sky_cloudy", "sky_evening", "sky_storm"})
        std::filesystem::remove(m_game.path() / "textures" / "system" / (std::string(sky) + ".tga"));
    WriteFile("textures\\sky\\sky_morning.tga", test::TgaFile(4, 4, 0xFFFF0000u));
    WriteFile("textures\\sky\\sky_noon.tga", test::TgaFile(4, 4, 0xFF0000FFu));
    for (const char* sky : {"sky_cloudy", "sky_evening", "sky_storm"})
        WriteFile(std::string("textures\\sky\\") + sky + ".tga", test::TgaFile(4, 4, 0xFF00FF00u));
    Start();
    g_Sky.OnStartWorld();
    SceneGeometry dome;
    dome.AddDome(8, 16);
    Upload(dome);
    SceneObject domeObject;
    domeObject.Place(dome, pmath::Identity(), "bialy.tga");
    g_Sky.m_pSkyDome = &domeObject.object;
    LookAt(DV{0, 0, 0}, DV{0, 1, 0.01f});
    struct Case {
        uint32_t pora;
        float fraction;
        uint32_t colour;
    } cases[] = {{0, 0.0f, 0xFF0000}, {1, 0.0f, 0x0000FF}, {0, 0.5f, 0x800080}, {7, 0.0f, 0x0000FF}, {7, 0.75f, 0xC00040}};
    for (const Case& c : cases) {
        g_Sky.m_uPora = c.pora;
        g_Sky.m_fPoraFraction = c.fraction;
        DrawFrame();
        test::ExpectColourNear(Pixel(kWidth / 2, kHeight / 2) & 0xFFFFFF, c.colour);
    }
    SavePicture("sky");
}

TEST_F(SceneTest, AlphaTestedTexelsLeaveHoles) {
    std::vector<uint32_t> texels(16);
    for (int i = 0; i < 16; ++i) texels[i] = (i % 4) < 2 ? 0x00FFFFFFu : 0xFFFFFFFFu;
    WriteFile("textures\\test\\holes.tga", test::TgaFile(4, 4, texels));
    WriteFile("scripts\\textures\\test.txt", "texture holes.tga\ntransparent\n");
    Start();
    Light(DV{0, 0, 1});
    SceneGeometry quad;
    AddFacing(quad, DV{0, 0, 0}, DV{0, 0, -1}, 2.0f);
    Upload(quad);
    SceneObject object;
    object.Place(quad, pmath::Identity(), "holes.tga");
    LookAt(DV{0, 0, -3}, DV{0, 0, 0});
    DrawFrame(0xFF0000FFu);
    SavePicture("holes");
    // The left half of the texture is see-through: the clear colour shows.
    test::ExpectColourNear(PixelOf(DV{-1.4f, 0, 0}), 0xFF0000FFu);
    EXPECT_GT(Brightness(PixelOf(DV{1.4f, 0, 0})), 3 * 150);
}

TEST_F(SceneTest, TranslucentSurfacesBlendOverWhatIsBehindAndHideBehindWhatIsInFront) {
    WriteFile("textures\\test\\red.tga", test::TgaFile(4, 4, 0xFFFF0000u));
    WriteFile("textures\\test\\green.tga", test::TgaFile(4, 4, 0xFF00FF00u));
    WriteFile("textures\\test\\glass.tga", test::TgaFile(4, 4, 0x80FFFFFFu));
    WriteFile("scripts\\textures\\test.txt", "texture glass.tga\ntranslucent\n");
    Start();
    Light(DV{0, 0, 1});
    g_Sky.SetAmbientLight(0x00FFFFFFu, 0);
    SceneGeometry glassFront, redBehind, greenFront, glassBehind;
    AddFacing(glassFront, DV{-2, 0, 4}, DV{0, 0, -1}, 1.5f);
    AddFacing(redBehind, DV{-2, 0, 8}, DV{0, 0, -1}, 3.0f);
    AddFacing(greenFront, DV{2, 0, 4}, DV{0, 0, -1}, 1.5f);
    AddFacing(glassBehind, DV{2, 0, 6}, DV{0, 0, -1}, 2.5f);
    for (SceneGeometry* g : {&glassFront, &redBehind, &greenFront, &glassBehind}) Upload(*g);
    // The glass is entered first: the lists and passes still draw it last.
    SceneObject a, b, c, d;
    a.Place(glassFront, pmath::Identity(), "glass.tga");
    d.Place(glassBehind, pmath::Identity(), "glass.tga");
    b.Place(redBehind, pmath::Identity(), "red.tga");
    c.Place(greenFront, pmath::Identity(), "green.tga");
    LookAt(DV{0, 0, 0}, DV{0, 0, 1});
    DrawFrame();
    SavePicture("translucent");
    uint32_t blended = PixelOf(DV{-2, 0, 4}), hidden = PixelOf(DV{2, 0, 4});
    EXPECT_GT(Red(blended), 200);
    EXPECT_GT(Green(blended), 60);
    EXPECT_LT(Green(blended), 200);
    EXPECT_GT(Green(hidden), 200);
    EXPECT_LT(Red(hidden), 20);
}

TEST_F(SceneTest, BloomSpreadsABrightPatchIntoItsSurroundings) {
    g_Settings.m_bPostProcess = 1;
    Start();
    Light(DV{0, 0, 1});
    g_Sky.SetAmbientLight(0x00FFFFFFu, 0);
    SceneGeometry patch;
    AddFacing(patch, DV{0, 0, 0}, DV{0, 0, -1}, 0.5f);
    Upload(patch);
    SceneObject object;
    object.Place(patch, pmath::Identity(), "white.tga");
    LookAt(DV{0, 0, -2}, DV{0, 0, 0});
    auto frame = [&](bool bloom) {
        test::g_FakeEngine.gameFrame = bloom ? 200 : 100;
        g_Renderer.Update();
        g_Renderer.PreRender();
        g_PostProcess.BeginCapture();
        g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        g_pd3dDevice->BeginScene();
        g_Renderer.Render();
        g_Renderer.RenderTranslucent();
        g_PostProcess.EndCapture();
        g_PostProcess.Render();
        g_pd3dDevice->EndScene();
    };
    g_PostProcess.Create();
    ASSERT_TRUE(g_PostProcess.m_bCreated);
    // A strong bloom, as the console's BloomPower can ask for.
    g_PostProcess.m_fBloomPower = 1.0f;
    uint32_t x = 0, y = 0;
    ScreenOf(DV{0.5f, 0, 0}, x, y);
    frame(false);
    uint32_t without = Pixel(x + 6, y), centreWithout = Pixel(kWidth / 2, kHeight / 2);
    frame(true);
    SavePicture("bloom");
    // Six pixels beside the patch the glow shows; in the far corner there is none.
    uint32_t near = Pixel(x + 6, y), far = Pixel(kWidth - 1, 0);
    EXPECT_EQ(Brightness(without), 0);
    EXPECT_GT(Brightness(near), Brightness(far) + 45);
    // The patch itself keeps its colour.
    EXPECT_GE(Brightness(Pixel(kWidth / 2, kHeight / 2)), Brightness(centreWithout) - 6);
}

TEST_F(SceneTest, TheAmbientProbeFindsGrassBearingGroundAndItsColour) {
    WriteFile("textures\\test\\meadow.tga", test::TgaFile(4, 4, 0xFF30A030u));
    Start();
    g_Sky.SetAmbientLight(0x00FFFFFFu, 0);
    SceneGeometry meadow, road;
    meadow.AddQuad(DV{-5, 0, 0}, DV{5, 0, 0}, DV{0, 0, 10});
    road.AddQuad(DV{5, 0, 0}, DV{5, 0, 0}, DV{0, 0, 10});
    Upload(meadow);
    Upload(road);
    SceneObject ground, asphalt;
    ground.Place(meadow, pmath::Identity(), "meadow.tga");
    asphalt.Place(road, pmath::Identity(), "grey.tga");
    g_Renderer.GetTexture(ground.subset.textureId)->m_bGrassBearing = 1;
    g_DrawCamera.projection = pmath::PerspectiveFovLH(1.0f, 1.0f, 0.1f, 100.0f);
    g_AmbientProbe.OnStartWorld();
    g_AmbientProbe.BeginRender();
    EXPECT_TRUE(g_AmbientProbe.RenderPlantProbe(DV{-5, 0, 0}, &ground.object));
    EXPECT_FALSE(g_AmbientProbe.RenderPlantProbe(DV{5, 0, 0}, &asphalt.object));
    // Beyond the object's edge nothing of it is drawn: black.
    EXPECT_FALSE(g_AmbientProbe.RenderPlantProbe(DV{30, 0, 0}, &ground.object));
    test::ExpectColourNear(g_AmbientProbe.ReadPlantAmbientColour(DV{-5, 0, 0}, &ground.object), 0x30A030u);
    g_AmbientProbe.EndRender();
}

}  // namespace
