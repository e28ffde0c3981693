// The engine's objects reach the renderer's passes: a model created through the engine, seen by
// the engine's visibility pass from the engine's camera, is drawn by the renderer's frame, and the
// demo's models are lit by the sun and shadow the ground.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ESettings.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/GlRenderTest.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"

namespace {

class EngineSceneGl : public test::GlRenderTest {
protected:
    void SetUp() override {
        GlRenderTest::SetUp();
        namespace fs = std::filesystem;
        const fs::path game = FURROW_GAME_DIR;
        fs::copy(game / "prefabs", m_game.path() / "prefabs", fs::copy_options::recursive);
        fs::copy(game / "textures" / "models", m_game.path() / "textures" / "models", fs::copy_options::recursive);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_EngineObject);
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Sky);
        g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
        g_RenderHooks.objectTable = [] {
            return DrawObjectTable{&g_Engine.m_Objects[0], EEngine::kObjectSlots, sizeof(EObjectSlot)};
        };
        Start();
        // Noon, as a world would start it.
        g_Sky.OnStartWorld();
        g_Sky.m_uPora = 1;
        g_Sky.UpdateFrame();
    }
    void TearDown() override {
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_MeshMgr.ReleaseAll();
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_EngineObject);
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Sky);
        g_MeshHooks = MeshHooks{};
        GlRenderTest::TearDown();
    }

    // A model placed as a world places it, seen from anywhere.
    static EObjectSlot* Place(const char* model, const DV& at, const DV& scale) {
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, model, FLAG_VISIBLE, FLAG2_SEEN_FAR, &at, nullptr);
        EXPECT_NE(o, nullptr) << model;
        if (o) g_Engine.SetObjectScaling(o, scale);
        return o;
    }

    // The engine's camera at eye, looking along +z.
    static void PlaceCamera(const DV& eye) {
        g_Camera.SetFarZ(5000.0f);
        g_Camera.SetOrientation(EOrientation{});
        g_Camera.SetPosition(eye);
    }
};

TEST_F(EngineSceneGl, AHouseMadeByTheEngineIsDrawnFromTheEnginesCamera) {
    const DV at{0, 0, 0};
    // Seen from afar: no world has started, so there is no camera finder to find it by.
    EObjectSlot* house =
        g_Engine.CreateObject(OT_MESH, "prefabs\\buildings\\house.x", FLAG_VISIBLE, FLAG2_SEEN_FAR, &at, nullptr);
    ASSERT_NE(house, nullptr);
    ASSERT_NE(house->m_pDrawMesh, nullptr);
    PlaceCamera(DV{0, 200, -900});
    g_Settings.m_bRecalculateCamera = 1;
    g_EngineObject.Update();
    ASSERT_EQ(house->m_bVisibleThisFrame, 1);

    DrawFrame(0xFF000000u);
    SavePicture("engine_house");
    // The walls fill the middle of the view; the sky fills the top corners.
    EXPECT_GT(test::Brightness(Pixel(kWidth / 2, kHeight / 2)), 60);
    EXPECT_GT(g_Renderer.m_uDrawnSubsets, 0u);

    // Deleted, the house leaves the lists: nothing is drawn in its place.
    g_Engine.DeleteObject(house);
    EXPECT_EQ(house->m_pDrawMesh, nullptr);
    DrawFrame(0xFF000000u);
    EXPECT_EQ(g_Renderer.m_uDrawnSubsets, 0u);
}

// The demo's ground, farmhouse and tractor under a high sun that shines towards +x: every surface
// that faces the sun is brighter than the ambient light alone makes it, and the house's shadow
// falls on the ground beside it, as dark as the ambient light leaves it.
TEST_F(EngineSceneGl, TheSunLightsTheDemoModelsAndTheHouseShadowsTheGround) {
    Place("prefabs\\ground\\field.x", {0, 0, 0}, {0.1f, 1, 0.1f});
    // The house is centred on its box, 5.3 high; the tractor keeps its origin on the ground.
    Place("prefabs\\buildings\\house.x", {0, 2.65f, 0}, {0.01f, 0.01f, 0.01f});
    Place("prefabs\\tractor\\body_nocenter.x", {-6, 0, -8}, {1, 1, 1});
    g_Sky.SetAmbientLight(0x00505050u, 0);
    g_Sky.SetSkyLightColour(0x00FFFFFFu);
    g_Sky.SetSkyLightDirection(1.0f, -1.2f, 0.0f);
    g_Sky.SetFogFar(100000.0f, 0);
    g_Sky.m_fFogMax = 0.0f;
    g_Renderer.m_bSkyLitMeshes = 1;
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_iShadowQuality = 1;
    const DV eye{12, 14, -16}, target{0, 1, -3};
    PlaceCamera(eye);
    g_Settings.m_bRecalculateCamera = 1;
    g_EngineObject.Update();

    // The house's roof, the tractor's roof, the open ground before the house and the ground in
    // the house's shadow, in sunlight and in ambient light alone.
    const DV points[] = {{-1, 3.7f, -1.2f}, {-6, 2.83f, -8.7f}, {4.3f, 0, -4.5f}, {4.3f, 0, 0}};
    enum { HOUSE, TRACTOR, GROUND, SHADOW };
    int sunlit[4], ambient[4];
    for (float power : {1.2f, 0.0f}) {
        g_Sky.m_fSkyLightPower = power;
        LookAt(eye, target);
        DrawFrame(0xFF000000u);
        SavePicture(power > 0 ? "demo_sunlit" : "demo_ambient");
        for (int i = 0; i < 4; ++i) (power > 0 ? sunlit : ambient)[i] = test::Brightness(PixelOf(points[i]));
    }
    for (int i : {HOUSE, TRACTOR, GROUND}) EXPECT_GT(sunlit[i], ambient[i] + 90) << "point " << i;
    EXPECT_LT(sunlit[SHADOW] + 90, sunlit[GROUND]);
    EXPECT_NEAR(sunlit[SHADOW], ambient[SHADOW], 30);
}

}  // namespace
