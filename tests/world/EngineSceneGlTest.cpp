// The engine's objects reach the renderer's passes: a model created through the engine, seen by
// the engine's visibility pass from the engine's camera, is drawn by the renderer's frame.
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

}  // namespace
