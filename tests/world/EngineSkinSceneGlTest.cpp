// Skinned characters made by the engine reach the renderer's skinned pass: the demo driver seated
// on the demo tractor's "kierowca" socket, a second driver waving beside it and a hen, seen by the
// engine's visibility pass, their palettes built before the frame and drawn by the renderer's
// frame with the game's skinning effect.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/gfx/ImageWriter.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/RenderGlTest.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWidth = 320;
constexpr uint32_t kHeight = 240;

class EngineSkinSceneGl : public test::RenderGlTest {
protected:
    void SetUp() override {
        RenderGlTest::SetUp();
        const fs::path game = FURROW_GAME_DIR;
        for (const char* folder : {"fx", "prefabs", "models", "textures", "scripts"})
            fs::copy(game / folder, m_dir.path() / folder, fs::copy_options::recursive);
        ASSERT_TRUE(CreateGlDevice(kWidth, kHeight));
        g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
        g_pd3dDevice->CreateVertexDeclaration(kSkinVertexElements, g_pSkinVertexDeclaration);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_EngineObject);
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Sky);
        test::ResetGlobal(g_SkinMeshMgr);
        g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
        g_MeshHooks.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
        g_RenderHooks.objectTable = [] {
            return DrawObjectTable{&g_Engine.m_Objects[0], EEngine::kObjectSlots, sizeof(EObjectSlot)};
        };
        g_Renderer.InitTextures();
        g_EffectMgr.Init();
        g_Renderer.OnStartWorld();
        g_SkinMeshMgr.Init();
        g_MeshSocketsMgr.LoadAll();
        g_Sky.OnStartWorld();
        g_Sky.m_uPora = 1;  // noon
        g_Sky.UpdateFrame();
    }
    void TearDown() override {
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        test::ResetGlobal(g_SkinMeshMgr);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_EngineObject);
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Sky);
        g_MeshHooks = MeshHooks{};
        g_FrameFacts = FrameFacts{};
        RenderGlTest::TearDown();
    }

    EObjectSlot* Add(int kind, const char* model, const DV& at) {
        EObjectSlot* o = g_Engine.CreateObject(kind, model, FLAG_VISIBLE, FLAG2_SEEN_FAR, &at, nullptr);
        EXPECT_NE(o, nullptr) << model;
        return o;
    }

    // One engine frame as far as the picture needs it: the objects' update (animation and
    // visibility), the frame matrices of the visible skinned meshes, the renderer's frame.
    std::vector<uint32_t> Frame(float seconds) {
        g_FrameFacts.frameTime = seconds;
        g_Settings.m_bRecalculateCamera = 1;
        g_EngineObject.Update();
        g_Engine.PrepareCamera();
        // The look from the front and the right, above the cabin.
        g_DrawCamera.view = pmath::LookAtLH(m_eye, m_target, DV{0, 1, 0});
        g_DrawCamera.projection = pmath::PerspectiveFovLH(0.9f, static_cast<float>(kWidth) / kHeight, 0.2f, 100.0f);
        g_DrawCamera.position = m_eye;
        g_Renderer.Update();
        g_Renderer.PreRender();
        g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
        g_pd3dDevice->BeginScene();
        g_Renderer.Render();
        g_Renderer.RenderTranslucent();
        g_pd3dDevice->EndScene();
        std::vector<uint32_t> pixels(kWidth * kHeight);
        EXPECT_EQ(g_pd3dDevice->ReadBackBuffer(0, 0, kWidth, kHeight, pixels.data()), gfx::OK);
        return pixels;
    }

    static int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        int n = 0;
        for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i] ? 1 : 0;
        return n;
    }

    // Writes the picture as a PNG when FURROW_TEST_PICTURES names a directory.
    void SavePicture(const char* name) const {
        if (const char* directory = std::getenv("FURROW_TEST_PICTURES")) {
            const std::string bmp = std::string(name) + ".bmp";
            gfx::SaveBackBufferToBmp(*g_pd3dDevice, bmp.c_str());
            fs::copy(Path(bmp), fs::path(directory) / bmp, fs::copy_options::overwrite_existing);
        }
    }

    DV m_eye{3.2f, 1.8f, 3.0f};
    DV m_target{0.0f, 1.3f, -0.2f};
};

TEST_F(EngineSkinSceneGl, TheDriverSitsInTheTractorAndTheSkinnedPassDrawsHim) {
    EObjectSlot* tractor = Add(OT_MESH, "prefabs\\tractor\\body_nocenter.x", {});
    ASSERT_NE(tractor, nullptr);
    g_Camera.SetFarZ(100.0f);
    g_Camera.SetPosition(m_eye);
    const std::vector<uint32_t> alone = Frame(0.0f);

    DV seat;
    EOrientation facing;
    // The body keeps its file's origin ("_nocenter"), so the socket is where the seat is drawn.
    ASSERT_TRUE(g_Engine.GetObjectSocket(tractor, "kierowca", &seat, &facing));
    EObjectSlot* driver = Add(OT_SKINMESH, "models\\postacie\\kierowcy\\english\\english.x", seat);
    EObjectSlot* waving = Add(OT_SKINMESH, "models\\postacie\\kierowcy\\usa\\usa.x", {0.0f, 0, 2.1f});
    EObjectSlot* hen = Add(OT_SKINMESH, "models\\postacie\\kura\\kura.x", {1.3f, 0, 2.0f});
    ASSERT_TRUE(driver && waving && hen);
    g_Engine.SetObjectTransform(driver, seat, facing, false, false);
    g_Engine.SetObjectAnimation(driver, "drive", true, 0);
    g_Engine.SetObjectAnimation(waving, "wave", true, 0);
    g_Engine.SetObjectScaling(hen, {0.024f, 0.024f, 0.024f});
    const std::vector<uint32_t> scene = Frame(0.3f);
    SavePicture("driver_in_tractor");
    EXPECT_EQ(driver->m_bVisibleThisFrame, 1);
    EXPECT_GT(Differing(alone, scene), 2000);

    // The drive clip moves the seated driver from frame to frame.
    const std::vector<uint32_t> later = Frame(0.5f);
    EXPECT_GT(Differing(scene, later), 20);
}

}  // namespace
