// The renderer's frame on the recording device: the texture grouping, the timers, the passes'
// choice of what to draw, batching into instanced draws, and the shadow constants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/gfx/NullSystem.h"
#include "render/CShadowMaps.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "support/FakeEngine.h"
#include "support/RenderPassTest.h"

namespace {

using test::SceneGeometry;
using test::SceneObject;

// A skinned mesh that notes what it was asked to draw and how blending stood.
class RecordingSkin final : public DrawSkin {
public:
    void Render(uint32_t textureId, uint32_t container, EffectRecord*) override {
        uint32_t blend = 0;
        g_pd3dDevice->GetRenderState(gfx::RS_ALPHABLENDENABLE, blend);
        draws.push_back({textureId, blend != 0});
    }
    struct Draw {
        uint32_t texture;
        bool blended;
    };
    std::vector<Draw> draws;
};

class RendererFrameTest : public test::RenderPassTest {
protected:
    void SetUp() override {
        RenderPassTest::SetUp();
        g_Renderer.m_bSkyLitMeshes = 1;
        g_DrawCamera.projection = pmath::PerspectiveFovLH(1.0f, 1.333f, 0.5f, 1000.0f);
        g_DrawCamera.view = pmath::LookAtLH(DV{0, 5, -20}, DV{0, 0, 0}, DV{0, 1, 0});
    }
    void Frame() {
        g_Renderer.Update();
        g_Renderer.PreRender();
        g_Renderer.Render();
        g_Renderer.RenderTranslucent();
    }
    static std::vector<std::string> MeshList() {
        std::vector<std::string> names;
        for (uint32_t i = 0; g_Renderer.m_pMeshTextures[i]; ++i) names.push_back(g_Renderer.m_pMeshTextures[i]->m_szName);
        return names;
    }
};

TEST_F(RendererFrameTest, TexturesWithEqualStatesAreGroupedTogether) {
    Texture("first.tga");
    Texture("other.tga", "2sided");
    Texture("second.tga");
    Texture("hidden.tga", "do_not_render");
    Start();
    SceneGeometry quad;
    quad.AddQuad(DV{}, DV{1, 0, 0}, DV{0, 0, 1});
    Upload(quad);
    SceneObject a, b, c, d;
    a.Place(quad, pmath::Identity(), "first.tga");
    b.Place(quad, pmath::Identity(), "other.tga");
    c.Place(quad, pmath::Identity(), "second.tga");
    d.Place(quad, pmath::Identity(), "hidden.tga");
    g_Renderer.SortRenderLists();
    // Met in the order first, other, second: second joins first's group at its place.
    EXPECT_EQ(MeshList(), (std::vector<std::string>{"second.tga", "first.tga", "other.tga"}));
    EXPECT_EQ(g_Renderer.GetTexture(d.subset.textureId)->m_bGrouped, 0);
    // Nothing visible: no list.
    for (SceneObject* o : {&a, &b, &c, &d}) o->object.m_bVisibleThisFrame = 0;
    g_Renderer.SortRenderLists();
    EXPECT_TRUE(MeshList().empty());
}

TEST_F(RendererFrameTest, TheUpdateWrapsTheSceneTimeAndSetsProjectorsByShadowQuality) {
    Start();
    g_Renderer.m_fSceneTime = 0.999f;
    g_FrameFacts.frameTime = 0.5f;
    struct Case {
        uint8_t shadows;
        int quality;
        uint8_t projectors;
    } cases[] = {{1, 2, 1}, {1, 3, 0}, {0, 0, 0}};
    for (const Case& c : cases) {
        g_Settings.m_bDrawShadows = c.shadows;
        g_Settings.m_iShadowQuality = c.quality;
        g_Renderer.Update();
        EXPECT_EQ(g_Settings.m_bDrawProjectors, c.projectors) << c.quality;
    }
    EXPECT_NEAR(g_Renderer.m_fSceneTime, 0.999f + 3 * 0.005f - 1.0f, 1e-5f);
}

TEST_F(RendererFrameTest, SubsetsOfOneModelAndTextureAreDrawnAsInstancesOfOneDraw) {
    Texture("post.tga");
    Texture("barn.tga");
    Start();
    SceneGeometry post, barn;
    post.AddBox(DV{-0.1f, 0, -0.1f}, DV{0.1f, 1, 0.1f});
    barn.AddBox(DV{-3, 0, -3}, DV{3, 4, 3});
    Upload(post);
    Upload(barn);
    std::vector<std::unique_ptr<SceneObject>> posts;
    for (int i = 0; i < 300; ++i) {
        posts.push_back(std::make_unique<SceneObject>());
        posts.back()->Place(post, test::Translation(DV{static_cast<float>(i), 0, 5}), "post.tga");
    }
    SceneObject barnA, barnB;
    barnA.Place(barn, test::Translation(DV{-10, 0, 0}), "barn.tga");
    barnB.Place(barn, test::Translation(DV{10, 0, 0}), "barn.tga");
    TakeDraws();
    gfx::NullBackend().drawnInstances.clear();
    Frame();
    // 300 posts in draws of as many instances as the effect holds (256), two barns in one.
    std::vector<uint32_t> instances = gfx::NullBackend().drawnInstances;
    std::sort(instances.begin(), instances.end());
    EXPECT_EQ(instances, (std::vector<uint32_t>{2, 44, 256}));
    EXPECT_EQ(g_Renderer.m_uDrawnSubsets, 302u);
    EXPECT_EQ(g_Renderer.m_uInstancedSubsets, 302u);
    float instanced = 0;
    g_Console.GetVariable("NumRenderedInstancedSubsets", instanced);
    EXPECT_EQ(instanced, 302.0f);
}

TEST_F(RendererFrameTest, EachPassTakesItsOwnTextures) {
    Texture("wall.tga");
    Texture("fence.tga", "transparent");
    Texture("glass.tga", "translucent");
    Texture("both.tga", "transparent\ntranslucent");
    Texture("lake.tga", "water");
    Start();
    SceneGeometry quad;
    quad.AddQuad(DV{}, DV{1, 0, 0}, DV{0, 1, 0});
    Upload(quad);
    SceneObject wall, fence, glass, both, lake;
    wall.Place(quad, pmath::Identity(), "wall.tga");
    fence.Place(quad, pmath::Identity(), "fence.tga");
    glass.Place(quad, pmath::Identity(), "glass.tga");
    both.Place(quad, pmath::Identity(), "both.tga");
    lake.Place(quad, pmath::Identity(), "lake.tga");
    TakeDraws();
    g_Renderer.Update();
    g_Renderer.PreRender();
    g_Renderer.Render();
    // The wall (opaque), the fence (alpha-tested) and the lake (water); the sky has no dome.
    EXPECT_EQ(TakeDraws(), 3);
    EXPECT_EQ(g_Renderer.m_bTransparentPresent, 1);
    EXPECT_EQ(g_Renderer.m_bTranslucentMeshes, 1);
    g_Renderer.RenderTranslucent();
    // The glass; a texture both transparent and translucent is drawn by neither pass.
    EXPECT_EQ(TakeDraws(), 1);
    // Without sky-lit objects only the water is drawn.
    g_Settings.m_bDrawSkylightLitObjects = 0;
    g_Renderer.Render();
    EXPECT_EQ(TakeDraws(), 1);
}

TEST_F(RendererFrameTest, TranslucentSkinnedMeshesAreDrawnBlendedInTheTranslucentPass) {
    Texture("coat.tga");
    Texture("veil.tga", "translucent");
    Start();
    RecordingSkin skin;
    DrawVisibility person;
    person.m_bVisibleThisFrame = 1;
    person.m_uFlags = FLAG_VISIBLE;
    uint32_t coat = g_Renderer.AddSkinMeshToTextureLists("coat.tga", DrawRecord{&skin, "", 0, &person, nullptr, &skin});
    uint32_t veil = g_Renderer.AddSkinMeshToTextureLists("veil.tga", DrawRecord{&skin, "", 1, &person, nullptr, &skin});
    g_Renderer.m_bSkinMeshes = 1;
    g_Renderer.Update();
    g_Renderer.PreRender();
    g_Renderer.Render();
    ASSERT_EQ(skin.draws.size(), 1u);
    EXPECT_EQ(skin.draws[0].texture, coat);
    EXPECT_FALSE(skin.draws[0].blended);
    EXPECT_EQ(g_Renderer.m_bTranslucentSkinned, 1);
    g_Renderer.RenderTranslucent();
    ASSERT_EQ(skin.draws.size(), 2u);
    EXPECT_EQ(skin.draws[1].texture, veil);
    EXPECT_TRUE(skin.draws[1].blended);
}

// The grass pass reads map 0 only; the second element of every shadow array repeats it, so no
// effect reads what an earlier pass left there.
TEST_F(RendererFrameTest, TheGrassPassFillsBothShadowElementsFromMapZero) {
    Texture("grass.tga", "grass_texture\ntransparent");
    Start();
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_iShadowQuality = 1;
    g_ShadowMaps.CreateRenderTextures();
    g_ShadowMaps.UpdateLightMatrices();
    SceneGeometry quad;
    quad.AddQuad(DV{}, DV{1, 0, 0}, DV{0, 1, 0});
    Upload(quad);
    SceneObject tuft;
    tuft.Place(quad, pmath::Identity(), "grass.tga");
    HEFFECT skylight = g_EffectMgr.GetEffect("skylight");
    ASSERT_NE(skylight, nullptr);
    // A stale second element, as an earlier pass would leave it.
    const float stale[2] = {7, 7};
    skylight->m_pEffect->SetFloatArray(skylight->SMAP_SIZE, stale, 2);
    g_Renderer.Update();
    g_Renderer.PreRender();
    g_Renderer.RenderMeshesSkyLight();
    EXPECT_EQ(ParameterAt(skylight, "SMAP_SIZE", 0), 1024.0f);
    EXPECT_EQ(ParameterAt(skylight, "SMAP_SIZE", 1), 1024.0f);
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(ParameterAt(skylight, "g_mViewToLightProj", i), ParameterAt(skylight, "g_mViewToLightProj", 16 + i));
}

TEST_F(RendererFrameTest, ShadowConstantsCarryTheMapsAndTheSunAsTheEffectsReadThem) {
    Texture("wall.tga");
    Start();
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_iShadowQuality = 2;
    g_ShadowMaps.CreateRenderTextures();
    g_ShadowMaps.Enable();
    g_Sky.SetSkyLightColour(0x00FF8000u);
    g_Sky.m_fSkyLightPower = 2.0f;
    g_Sky.SetSkyLightDirection(0, -3, 4);
    SceneGeometry quad;
    quad.AddQuad(DV{}, DV{1, 0, 0}, DV{0, 1, 0});
    Upload(quad);
    SceneObject wall;
    wall.Place(quad, pmath::Identity(), "wall.tga");
    Frame();
    HEFFECT e = g_EffectMgr.GetEffect("skylight");
    EXPECT_EQ(ParameterAt(e, "SMAP_SIZE", 0), 512.0f);
    EXPECT_EQ(ParameterAt(e, "SMAP_SIZE1", 1), 1.0f / 256.0f);
    EXPECT_FLOAT_EQ(ParameterAt(e, "SHADOW_EPSILON", 0), 0.8f * 0.0037f);
    EXPECT_FLOAT_EQ(ParameterAt(e, "SHADOW_EPSILON", 1), 2.7f * 0.0037f);
    EXPECT_FLOAT_EQ(ParameterAt(e, "g_SkyLightDir", 1), -0.6f);
    EXPECT_FLOAT_EQ(ParameterAt(e, "g_SkyLightDir", 2), 0.8f);
    EXPECT_FLOAT_EQ(ParameterAt(e, "g_SkyLightDiffuse", 0), 2.0f);
    EXPECT_FLOAT_EQ(ParameterAt(e, "g_SkyLightDiffuse", 1), 2.0f * 0x80 / 255.0f);
    // View space to light space: a point in front of the camera lands where the light sees it.
    pmath::Matrix toLight;
    for (int i = 0; i < 16; ++i) toLight.m[i / 4][i % 4] = ParameterAt(e, "g_mViewToLightProj", static_cast<uint32_t>(i));
    DV world{3, 1, 2};
    DV viaView = pmath::TransformPoint(pmath::TransformPoint(world, g_DrawCamera.view), toLight);
    DV direct = pmath::TransformPoint(world, g_ShadowMaps.m_mView[0] * g_ShadowMaps.m_mProj[0]);
    EXPECT_NEAR(viaView.x, direct.x, 1e-4f);
    EXPECT_NEAR(viaView.y, direct.y, 1e-4f);
    EXPECT_NEAR(viaView.z, direct.z, 1e-4f);
}

TEST_F(RendererFrameTest, ShadowMapsDrawOnlyTheObjectsThatCastShadows) {
    Texture("wall.tga");
    Texture("leaves.tga", "transparent");
    Texture("ghost.tga", "do_not_cast_shadow");
    Start();
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_iShadowQuality = 2;
    SceneGeometry box;
    box.AddBox(DV{-1, 0, -1}, DV{1, 2, 1});
    Upload(box);
    SceneObject objects[5];
    objects[0].Place(box, test::Translation(DV{0, 0, 0}), "wall.tga");
    objects[1].Place(box, test::Translation(DV{3, 0, 0}), "wall.tga");
    objects[1].object.m_uFlags |= FLAG_NO_SHADOW;
    objects[2].Place(box, test::Translation(DV{6, 0, 0}), "leaves.tga");
    objects[3].Place(box, test::Translation(DV{9, 0, 0}), "ghost.tga");
    objects[4].Place(box, test::Translation(DV{12, 0, 0}), "wall.tga");
    objects[4].object.m_bInShadowRange = 1;
    objects[4].object.m_bNoStaticShadow = 1;
    test::g_FakeEngine.objects = DrawObjectTable{&objects[0].object, 5, sizeof(SceneObject)};
    g_Renderer.m_bMeshesInShadowRange = 1;
    TakeDraws();
    gfx::NullBackend().drawnInstances.clear();
    g_ShadowMaps.CreateRenderTextures();
    g_ShadowMaps.Enable();
    g_Renderer.Update();
    g_Renderer.PreRender();
    // Map 1: the wall (the one without shadow and the mover left out), then the leaves in the
    // alpha-tested sub-pass; map 0: the mover.
    EXPECT_EQ(gfx::NullBackend().drawnInstances, (std::vector<uint32_t>{1, 1, 1}));
    EXPECT_EQ(g_ShadowMaps.m_bRendered[0], 1);
    EXPECT_EQ(g_ShadowMaps.m_bRendered[1], 1);
    // Map 1 stays as it is until it is re-aimed; map 0 is drawn every frame.
    gfx::NullBackend().drawnInstances.clear();
    g_Renderer.Update();
    g_Renderer.PreRender();
    EXPECT_EQ(gfx::NullBackend().drawnInstances, (std::vector<uint32_t>{1}));
}

TEST_F(RendererFrameTest, TheReducedModeOnlySetsTheDeviceUp) {
    Texture("wall.tga");
    Start();
    SceneGeometry quad;
    quad.AddQuad(DV{}, DV{1, 0, 0}, DV{0, 1, 0});
    Upload(quad);
    SceneObject wall;
    wall.Place(quad, pmath::Identity(), "wall.tga");
    g_Settings.m_bSimpleRender = 1;
    TakeDraws();
    Frame();
    EXPECT_EQ(TakeDraws(), 0);
    uint32_t filter = 0;
    g_pd3dDevice->GetSamplerState(7, gfx::SAMP_MINFILTER, filter);
    EXPECT_EQ(filter, static_cast<uint32_t>(gfx::TEXF_ANISOTROPIC));
    // Its override lets the scene be drawn.
    g_Settings.m_bRendererSwitch = 1;
    Frame();
    EXPECT_EQ(TakeDraws(), 1);
}

}  // namespace
