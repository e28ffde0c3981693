#pragma once
// Fields drawn on the GL device: the engine's objects with collision wired and drawn by the
// renderer, the noon sky, the world "worlds\test.w", and a frame that draws the ground marks in
// the translucent pass as the engine does.
#include <filesystem>
#include <string>

#include "collision/ECollisionMgr.h"
#include "core/ESettings.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/os/Random.h"
#include "render/AmbientProbe.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "render/ESky.h"
#include "render/RenderHooks.h"
#include "support/GlRenderTest.h"
#include "support/TextureFiles.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/FieldModels.h"
#include "vehicles/PGroundMgr.h"
#include "world/CollisionFixture.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"

namespace test {

class FieldsGlTest : public GlRenderTest {
protected:
    static constexpr const char* kWorld = "worlds\\test.w";

    void SetUp() override {
        GlRenderTest::SetUp();
        ResetGlobal(g_Engine);
        ResetGlobal(g_EngineObject);
        ResetGlobal(g_Camera);
        ResetGlobal(g_Sky);
        ResetGlobal(g_CollisionMgr);
        ResetGlobal(g_PlantMgr);
        ResetGlobal(g_GroundMgr);
        InstallCollisionHooks();
        g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
        g_RenderHooks.objectTable = [] {
            return DrawObjectTable{&g_Engine.m_Objects[0], EEngine::kObjectSlots, sizeof(EObjectSlot)};
        };
        g_RenderHooks.renderGrass = [] { g_PlantMgr.RenderGrass(); };
        WriteFile(kWorld, "");
        std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "%s", kWorld);
        plat::SeedRandom(5);
    }
    void TearDown() override {
        g_PlantMgr.Release();
        g_GroundMgr.Shutdown();
        g_AmbientProbe.OnEndWorld();
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_MeshMgr.ReleaseAll();
        ResetGlobal(g_Engine);
        ResetGlobal(g_EngineObject);
        ResetGlobal(g_Camera);
        ResetGlobal(g_Sky);
        ResetGlobal(g_PlantMgr);
        ResetGlobal(g_GroundMgr);
        RemoveCollisionHooks();
        GlRenderTest::TearDown();
    }

    // A texture of one colour below the start directory.
    void Texture(const std::string& name, uint32_t argb) const { WriteFile("textures\\" + name, TgaFile(4, 4, argb)); }

    // Textures registered, effects loaded, the world started at noon under a sun from above.
    void StartWorld() {
        Start();
        g_Sky.OnStartWorld();
        g_Sky.m_uPora = 1;
        g_Sky.UpdateFrame();
        g_Sky.SetAmbientLight(0x00606060u, 0);
        g_Sky.SetSkyLightColour(0x00FFFFFFu);
        g_Sky.m_fSkyLightPower = 1.2f;
        g_Sky.SetSkyLightDirection(0.3f, -1.0f, 0.2f);
        g_Sky.SetFogFar(100000.0f, 0);
        g_Sky.m_fFogMax = 0.0f;
        g_AmbientProbe.OnStartWorld();
    }

    static EObjectSlot* Place(const char* name, const char* model, const DV& at) {
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, model, kDefaultObjectFlags, FLAG2_SEEN_FAR, &at, nullptr);
        if (o) std::snprintf(o->m_szName, sizeof o->m_szName, "%s", name);
        return o;
    }

    // The engine's camera and the drawing camera at eye, looking at the target.
    void View(const DV& eye, const DV& target) {
        const DV ahead = target - eye;
        g_Camera.SetFarZ(1000.0f);
        g_Camera.SetOrientation(EOrientation::EOrientationFromDirection(&ahead));
        g_Camera.SetPosition(eye);
        g_Settings.m_bRecalculateCamera = 1;
        g_EngineObject.Update();
        g_Renderer.m_bSkyLitMeshes = 1;
        LookAt(eye, target);
    }

    // One frame as the engine draws it: the scene with the grass, then the ground marks and the
    // translucent pass.
    void DrawWorld() {
        g_Renderer.Update();
        g_Renderer.PreRender();
        g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
        g_pd3dDevice->BeginScene();
        g_Renderer.Render();
        g_GroundMgr.Render();
        g_Renderer.RenderTranslucent();
        g_pd3dDevice->EndScene();
    }

    std::vector<uint32_t> Picture() {
        std::vector<uint32_t> argb(size_t{kWidth} * kHeight);
        g_pd3dDevice->ReadBackBuffer(0, 0, kWidth, kHeight, argb.data());
        return argb;
    }
};

}  // namespace test
