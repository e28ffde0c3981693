// The demo driver skinned on a real GL device by the game's sky-light skinning effect, drawn
// through the renderer's skinned lists, its palette in the effect's uniform block.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/math/Matrix.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/ERenderer.h"
#include "support/RenderGlTest.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWidth = 320;
constexpr uint32_t kHeight = 240;
constexpr uint32_t kSky = 0xFF6080A0;

struct Owner {
    DrawVisibility visibility;
    ESkinMesh* skin = nullptr;
    EObjectSlot* Slot() { return reinterpret_cast<EObjectSlot*>(this); }
};

class SkinMeshGlTest : public test::RenderGlTest {
protected:
    void SetUp() override {
        RenderGlTest::SetUp();
        const fs::path game = FURROW_GAME_DIR;
        for (const char* folder : {"fx", "models", "scripts"})
            fs::copy(game / folder, m_dir.path() / folder, fs::copy_options::recursive);
        ASSERT_TRUE(CreateGlDevice(kWidth, kHeight));
        plat::SeedRandom(3);
        g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* {
            return o ? &reinterpret_cast<const Owner*>(o)->visibility : nullptr;
        };
        g_Renderer.InitTextures();
        g_EffectMgr.Init();
        g_SkinMeshMgr.Init();
        m_view = pmath::LookAtLH({3.4f, 2.7f, 3.6f}, {0.2f, 1.1f, 0.0f}, {0, 1, 0});
        m_projection = pmath::PerspectiveFovLH(0.9f, static_cast<float>(kWidth) / kHeight, 0.1f, 50.0f);
    }
    void TearDown() override {
        g_SkinMeshMgr.DeleteAll();
        FreeLinkFields();
        g_MeshHooks = MeshHooks{};
        g_FrameFacts = FrameFacts{};
        RenderGlTest::TearDown();
    }

    static void BeginScene() {
        g_pd3dDevice->SetRenderState(gfx::RS_ZENABLE, 1);
        g_pd3dDevice->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
        g_pd3dDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    }

    void SetLights(gfx::Effect& fx) {
        const float sun[4] = {-0.4f, -0.8f, 0.45f, 0.0f}, sunColour[4] = {0.8f, 0.8f, 0.75f, 1.0f},
                    ambient[4] = {0.45f, 0.45f, 0.5f, 1.0f};
        const pmath::Matrix viewProjection = m_view * m_projection;
        fx.SetMatrix(fx.GetParameterByName(nullptr, "g_mViewProj"), &viewProjection.m[0][0]);
        fx.SetVector(fx.GetParameterByName(nullptr, "g_SkyLightDir"), sun);
        fx.SetVector(fx.GetParameterByName(nullptr, "g_SkyLightDiffuse"), sunColour);
        fx.SetVector(fx.GetParameterByName(nullptr, "g_AmbientLightDiffuse"), ambient);
        fx.SetFloat(fx.GetParameterByName(nullptr, "g_FogNear"), 10000.0f);
        fx.SetFloat(fx.GetParameterByName(nullptr, "g_FogFar"), 20000.0f);
    }

    // Every skinned entry of the renderer's texture lists, each texture bound once.
    void DrawSkinnedLists() {
        HEFFECT e = g_EffectMgr.GetEffect("SkyLightSkinmesh");
        ASSERT_NE(e, nullptr);
        gfx::Effect& fx = *e->m_pEffect;
        fx.SetTechnique(e->RenderSkinMesh);
        uint32_t passes = 0;
        fx.Begin(&passes, 0);
        fx.BeginPass(0);
        SetLights(fx);
        for (const strtexture* t = g_Renderer.m_pTextures; t; t = t->m_pNext) {
            if (!t->m_pSkinMeshes) continue;
            fx.SetTexture(e->g_Texture, t->DeviceTexture());
            for (const strlistaskinmeshy* entry = t->m_pSkinMeshes; entry; entry = entry->m_pNext)
                entry->m_pDrawSkin->Render(t->m_uId, entry->m_uContainer, e);
        }
        fx.EndPass();
        fx.End();
    }

    pmath::Matrix m_view, m_projection;
};

// How many pixels of the rectangle differ between two pictures.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, uint32_t left, uint32_t top,
              uint32_t right, uint32_t bottom) {
    int n = 0;
    for (uint32_t y = top; y < bottom; ++y)
        for (uint32_t x = left; x < right; ++x) n += a[y * kWidth + x] != b[y * kWidth + x] ? 1 : 0;
    return n;
}

TEST_F(SkinMeshGlTest, ThePaletteMovesTheSkinAsTheClipPlays) {
    Owner owner;
    ESkinMesh driver;
    driver.m_hObject = owner.Slot();
    owner.skin = &driver;
    ASSERT_TRUE(driver.Create("models\\postacie\\kierowcy\\english\\english.x"));
    driver.SetPosition({0, 0, 0.4f});
    driver.SetAnimation("wave", true);
    auto picture = [&](float seconds) {
        g_FrameFacts.frameTime = seconds;
        driver.UpdateAnimation();
        driver.UpdateFrameMatrices();
        BeginFrame(kSky);
        BeginScene();
        DrawSkinnedLists();
        EndFrame();
        std::vector<uint32_t> pixels(kWidth * kHeight);
        EXPECT_EQ(g_pd3dDevice->ReadBackBuffer(0, 0, kWidth, kHeight, pixels.data()), gfx::OK);
        return pixels;
    };
    const std::vector<uint32_t> first = picture(0.0f);
    // A quarter of a wave later the forearm leans out; at the end of the 2-second loop it is back.
    const std::vector<uint32_t> quarter = picture(0.25f);
    EXPECT_GT(Differing(first, quarter, 0, 0, kWidth, kHeight), 50);
    EXPECT_EQ(Differing(first, picture(1.75f), 0, 0, kWidth, kHeight), 0);
}

}  // namespace
