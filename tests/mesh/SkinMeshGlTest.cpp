// The demo driver drawn on a real GL device: seated on the demo tractor's "kierowca" socket,
// skinned by the game's sky-light skinning effect through the renderer's skinned lists, with its
// palette in the effect's uniform block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>
#include <filesystem>

#include "core/EOrientation.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "mesh/EMeshMgr.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "platform/gfx/ImageWriter.h"
#include "platform/math/Matrix.h"
#include "platform/os/Random.h"
#include "platform/xfile/MeshLoader.h"
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
        for (const char* folder : {"fx", "models", "prefabs", "textures", "scripts"})
            fs::copy(game / folder, m_dir.path() / folder, fs::copy_options::recursive);
        ASSERT_TRUE(CreateGlDevice(kWidth, kHeight));
        plat::SeedRandom(3);
        g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* {
            return o ? &reinterpret_cast<const Owner*>(o)->visibility : nullptr;
        };
        g_Renderer.InitTextures();
        g_EffectMgr.Init();
        g_SkinMeshMgr.Init();
        g_MeshSocketsMgr.LoadAll();
        m_view = pmath::LookAtLH({330, 260, 330}, {40, 120, 40}, {0, 1, 0});
        m_projection = pmath::PerspectiveFovLH(0.9f, static_cast<float>(kWidth) / kHeight, 10.0f, 5000.0f);
    }
    void TearDown() override {
        g_SkinMeshMgr.DeleteAll();
        FreeLinkFields();
        g_MeshMgr.ReleaseAll();
        g_MeshHooks = MeshHooks{};
        g_FrameFacts = FrameFacts{};
        RenderGlTest::TearDown();
    }

    // The socket of the tractor's socket file, in the tractor's space.
    static DV TractorSocket(const char* name) {
        for (uint32_t f = 0; f < g_MeshSocketsMgr.m_uFileCount; ++f)
            for (uint32_t s = 0; s < g_MeshSocketsMgr.m_Files[f].m_uSocketCount; ++s) {
                const strmeshsocket& socket = g_MeshSocketsMgr.m_Files[f].m_Sockets[s];
                if (std::strcmp(socket.m_szName, name) == 0) return {socket.x, socket.y, socket.z};
            }
        ADD_FAILURE() << "no socket " << name;
        return {};
    }

    static void BeginScene() {
        g_pd3dDevice->SetRenderState(gfx::RS_ZENABLE, 1);
        g_pd3dDevice->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
        g_pd3dDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    }

    void SetLights(gfx::Effect& fx, const pmath::Matrix& world) {
        const float sun[4] = {-0.4f, -0.8f, 0.45f, 0.0f}, sunColour[4] = {0.8f, 0.8f, 0.75f, 1.0f},
                    ambient[4] = {0.45f, 0.45f, 0.5f, 1.0f};
        fx.SetMatrix(fx.GetParameterByName(nullptr, "g_mWorld"), &world.m[0][0]);
        const pmath::Matrix viewProjection = m_view * m_projection;
        fx.SetMatrix(fx.GetParameterByName(nullptr, "g_mViewProj"), &viewProjection.m[0][0]);
        const pmath::Matrix all = world * viewProjection;
        fx.SetMatrix(fx.GetParameterByName(nullptr, "g_mWorldViewProjection"), &all.m[0][0]);
        fx.SetVector(fx.GetParameterByName(nullptr, "g_SkyLightDir"), sun);
        fx.SetVector(fx.GetParameterByName(nullptr, "g_SkyLightDiffuse"), sunColour);
        fx.SetVector(fx.GetParameterByName(nullptr, "g_AmbientLightDiffuse"), ambient);
        fx.SetFloat(fx.GetParameterByName(nullptr, "g_FogNear"), 10000.0f);
        fx.SetFloat(fx.GetParameterByName(nullptr, "g_FogFar"), 20000.0f);
    }

    // The middle of the tractor's box as its file has it: the mesh manager centres prefabs, while
    // the socket file keeps the file's own frame.
    static pmath::Matrix TractorPlacement() {
        std::vector<xfile::ExtendedMaterial> materials;
        std::shared_ptr<xfile::Mesh> mesh;
        EXPECT_EQ(xfile::LoadMeshFromX("prefabs\\tractor\\body.x", xfile::MESH_SYSTEMMEM, nullptr, materials, mesh), gfx::OK);
        DV lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (uint32_t v = 0; mesh && v < mesh->GetNumVertices(); ++v) {
            const float* p = reinterpret_cast<const float*>(mesh->VertexData() + v * mesh->GetNumBytesPerVertex());
            lo = {std::min(lo.x, p[0]), std::min(lo.y, p[1]), std::min(lo.z, p[2])};
            hi = {std::max(hi.x, p[0]), std::max(hi.y, p[1]), std::max(hi.z, p[2])};
        }
        pmath::Matrix m = pmath::Identity();
        const DV middle = (lo + hi) * 0.5f;
        m.m[3][0] = middle.x, m.m[3][1] = middle.y, m.m[3][2] = middle.z;
        return m;
    }

    // The tractor's body with the scene effect, every subset with its texture.
    void DrawTractor() {
        HEFFECT e = g_EffectMgr.GetEffect("skylight");
        ASSERT_NE(e, nullptr);
        const int32_t index = g_MeshMgr.GetMesh("prefabs\\tractor\\body.x");
        ASSERT_GE(index, 0);
        xfile::Mesh* mesh = g_MeshMgr.GetVideoMeshObject(index);
        const strmesh* record = g_MeshMgr.GetRecord(index);
        gfx::Effect& fx = *e->m_pEffect;
        fx.SetTechnique(fx.GetTechniqueByName("RenderScene"));
        uint32_t passes = 0;
        fx.Begin(&passes, 0);
        fx.BeginPass(0);
        SetLights(fx, TractorPlacement());
        for (uint32_t s = 0; s < record->m_uMaterialCount; ++s) {
            const strtexture* t = g_Renderer.GetTexture(
                g_Renderer.GetTextureByName(record->m_MaterialsBuffer[s].TextureFilename.c_str(), false, true));
            fx.SetTexture(fx.GetParameterByName(nullptr, "g_Texture"), t ? t->DeviceTexture() : nullptr);
            fx.CommitChanges();
            mesh->DrawSubset(s);
        }
        fx.EndPass();
        fx.End();
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
        SetLights(fx, pmath::Identity());
        for (const strtexture* t = g_Renderer.m_pTextures; t; t = t->m_pNext) {
            if (!t->m_pSkinMeshes) continue;
            fx.SetTexture(e->g_Texture, t->DeviceTexture());
            for (const strlistaskinmeshy* entry = t->m_pSkinMeshes; entry; entry = entry->m_pNext)
                entry->m_pDrawSkin->Render(t->m_uId, entry->m_uContainer, e);
        }
        fx.EndPass();
        fx.End();
    }

    // How many pixels of the rectangle are far from the sky.
    int Covered(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) const {
        int n = 0;
        for (uint32_t y = top; y < bottom; y += 2)
            for (uint32_t x = left; x < right; x += 2) n += InkIn(x, y, x + 1, y + 1, kSky) ? 1 : 0;
        return n;
    }

    pmath::Matrix m_view, m_projection;
};

// Two pictures of the same scene, one without the skinned pass: how many of the sampled pixels
// of the rectangle differ.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, uint32_t left, uint32_t top,
              uint32_t right, uint32_t bottom) {
    int n = 0;
    for (uint32_t y = top; y < bottom; ++y)
        for (uint32_t x = left; x < right; ++x) n += a[y * kWidth + x] != b[y * kWidth + x] ? 1 : 0;
    return n;
}

TEST_F(SkinMeshGlTest, TheDriverSitsInTheTractorBesideAWavingDriverAndAHen) {
    Owner seatedOwner, standingOwner, henOwner;
    ESkinMesh seated, standing, hen;
    for (auto [skin, owner, model] : {std::tuple{&seated, &seatedOwner, "models\\postacie\\kierowcy\\english\\english.x"},
                                      std::tuple{&standing, &standingOwner, "models\\postacie\\kierowcy\\usa\\usa.x"},
                                      std::tuple{&hen, &henOwner, "models\\postacie\\kura\\kura.x"}}) {
        skin->m_hObject = owner->Slot();
        owner->skin = skin;
        ASSERT_TRUE(skin->Create(model)) << model;
    }
    seated.SetPosition(TractorSocket("kierowca"));
    seated.SetAnimation("drive", true);
    standing.SetPosition({150, 0, 60});
    standing.SetAnimation("wave", true);
    hen.SetPosition({110, 0, 170});
    hen.SetScale({0.024f, 0.024f, 0.024f});
    hen.SetAnimation("kura_dziobie", true);
    g_FrameFacts.frameTime = 0.3f;
    for (ESkinMesh* skin : {&seated, &standing, &hen}) {
        skin->UpdateAnimation();
        skin->UpdateFrameMatrices();
    }

    auto picture = [&](bool skinned) {
        BeginFrame(kSky);
        BeginScene();
        DrawTractor();
        if (skinned) DrawSkinnedLists();
        EndFrame();
        std::vector<uint32_t> pixels(kWidth * kHeight);
        EXPECT_EQ(g_pd3dDevice->ReadBackBuffer(0, 0, kWidth, kHeight, pixels.data()), gfx::OK);
        return pixels;
    };
    const std::vector<uint32_t> empty = picture(false);
    const std::vector<uint32_t> scene = picture(true);
    ASSERT_EQ(gfx::SaveBackBufferToBmp(*g_pd3dDevice, "scene.bmp"), gfx::OK);
    // The seated driver fills the cabin between its posts; the standing one and the hen stand on
    // the ground in front of it.
    EXPECT_GT(Differing(empty, scene, 120, 60, 190, 130), 300);
    EXPECT_GT(Differing(empty, scene, 0, 0, kWidth, kHeight), 1500);
}

TEST_F(SkinMeshGlTest, ThePaletteMovesTheSkinAsTheClipPlays) {
    Owner owner;
    ESkinMesh driver;
    driver.m_hObject = owner.Slot();
    owner.skin = &driver;
    ASSERT_TRUE(driver.Create("models\\postacie\\kierowcy\\english\\english.x"));
    driver.SetPosition({0, 0, 40});
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
