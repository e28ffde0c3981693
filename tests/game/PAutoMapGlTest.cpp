// The overview map on a real GL device: the route's strip and the player's tinted machine drawn
// into the map's own target over the land, read back from the target.
#include "game/PAutoMap.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "core/ESettings.h"
#include "game/CHudPanel.h"
#include "mesh/MeshHooks.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"
#include "support/RenderGlTest.h"
#include "vehicles/CPlayer.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/PathFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSize = PAutoMap::kSize;

struct Rgb {
    int r, g, b;
};

Rgb Channels(uint32_t argb) {
    return {static_cast<int>(argb >> 16 & 0xFF), static_cast<int>(argb >> 8 & 0xFF), static_cast<int>(argb & 0xFF)};
}

class AutoMapGl : public test::RenderGlTest {
protected:
    void SetUp() override {
        RenderGlTest::SetUp();
        const fs::path game = FURROW_GAME_DIR;
        for (const char* folder : {"fx", "prefabs", "textures", "scripts"})
            fs::copy(game / folder, m_dir.path() / folder, fs::copy_options::recursive);
        ASSERT_TRUE(CreateGlDevice(320, 240));
        g_pd3dDevice->CreateVertexDeclaration(kMeshVertexElements, g_pVertexDeclaration);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_HudPanel);
        test::ResetGlobal(g_AutoMap);
        test::ResetGlobal(g_RoutesMgr);
        g_MeshHooks.ownerVisibility = [](const EObjectSlot* o) -> const DrawVisibility* { return o; };
        g_MeshHooks.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o && o->m_bUsed ? o->Mesh() : nullptr; };
        g_Renderer.InitTextures();
        g_EffectMgr.Init();
        g_Renderer.OnStartWorld();
        g_Engine.m_bWorldRunning = 1;
    }
    void TearDown() override {
        g_HudPanel.Release();
        g_AutoMap.Release();
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_BezierMgr.Release();
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_HudPanel);
        test::ResetGlobal(g_AutoMap);
        test::ResetGlobal(g_RoutesMgr);
        g_MeshHooks = MeshHooks{};
        RenderGlTest::TearDown();
    }

    EObjectSlot* Add(const char* model, const DV& at, float scale) {
        const DV scaling{scale, scale, scale};
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, model, FLAG_VISIBLE | FLAG_IN_RENDER_LISTS, 0, &at, &scaling);
        EXPECT_NE(o, nullptr) << model;
        if (o) o->m_bVisibleThisFrame = 1;
        return o;
    }

    // The map's target, rows from the top.
    std::vector<uint32_t> ReadMap() {
        std::vector<uint32_t> pixels(kSize * kSize);
        std::unique_ptr<gfx::Surface> copy;
        EXPECT_EQ(g_pd3dDevice->CreateOffscreenPlainSurface(kSize, kSize, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, copy),
                  gfx::OK);
        EXPECT_EQ(g_pd3dDevice->GetRenderTargetData(*g_AutoMap.m_pSurface, *copy), gfx::OK);
        gfx::LockedRect rect;
        EXPECT_EQ(copy->LockRect(rect, gfx::LOCK_READONLY), gfx::OK);
        for (uint32_t y = 0; y < kSize; ++y)
            std::memcpy(&pixels[y * kSize], static_cast<const uint8_t*>(rect.bits) + rect.pitch * y, kSize * 4);
        copy->UnlockRect();
        return pixels;
    }

    // Where a world point lands in the map around a player at the origin facing +z: seen from 64
    // above towards the point 120 ahead, 200 units across.
    static uint32_t At(const std::vector<uint32_t>& map, const DV& point) {
        const pmath::Matrix view = pmath::LookAtLH({0, 64, 0}, {0, 0, 120}, {0, 1, 0});
        const pmath::Vec4 clip = pmath::Transform(point, view * pmath::OrthoLH(200, 200, 1, 120));
        const auto x = static_cast<uint32_t>((clip.x + 1) / 2 * kSize), y = static_cast<uint32_t>((1 - clip.y) / 2 * kSize);
        return map[y * kSize + x];
    }
};

TEST_F(AutoMapGl, TheRouteStripAndThePlayersMachineShowOverTheLand) {
    g_BezierMgr.ReadPaths(test::PathText({{"track", 1, 0, 0.3f, -10, 2, {}, true, {0, 0.3f, 100}},
                                          {"track_end", 2, 0, 0.3f, 100, -1}}));
    RouteRecord& route = g_RoutesMgr.m_Routes[0];
    route.m_bWithOpponents = 1;
    g_RoutesMgr.m_pCurrentRoute = &route;
    std::snprintf(g_Player.m_szStartPath, sizeof g_Player.m_szStartPath, "track");
    ASSERT_NE(Add("prefabs\\ground\\plot.x", {0, 0, 10}, 1.0f), nullptr);
    EObjectSlot* machine = Add("prefabs\\obiekty\\beczka01.x", {0, 1.5f, 0}, 3.0f);
    ASSERT_NE(machine, nullptr);
    machine->m_uTint = 0xFF00FF00;
    g_Player.m_pVehicle = machine;
    g_Player.m_vPosition = {0, 0, 0};
    g_Player.m_vFront = {0, 0, 1};
    g_Renderer.SortRenderLists();
    g_HudPanel.BuildMapVB();
    ASSERT_GT(g_HudPanel.m_uMapTriangles, 0u);
    g_AutoMap.Load();
    ASSERT_TRUE(g_AutoMap.m_pSurface && g_AutoMap.m_pDepth && g_AutoMap.m_pMarker);

    g_AutoMap.RenderToTarget();
    const std::vector<uint32_t> map = ReadMap();
    if (const char* directory = std::getenv("FURROW_TEST_PICTURES")) {
        std::vector<uint8_t> rgb;
        for (uint32_t p : map) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        stbi_write_png((fs::path(directory) / "automap.png").string().c_str(), kSize, kSize, 3, rgb.data(), kSize * 3);
    }

    // The machine's place, a few units round it, in its green.
    for (const DV& near : {DV{0, 3.0f, 0}, DV{2.5f, 1.5f, 0}, DV{-2.5f, 1.5f, 0}}) {
        const Rgb player = Channels(At(map, near));
        EXPECT_GT(player.g, 200) << near.x;
        EXPECT_LT(player.r, 60) << near.x;
    }
    const Rgb strip = Channels(At(map, {0, 0.3f, 15}));
    EXPECT_GT(strip.b, strip.r + 60) << "the strip's violet";
    EXPECT_GT(strip.b, strip.g + 60);
    const Rgb land = Channels(At(map, {20, 0, 15}));
    EXPECT_GT(land.g, land.b + 30) << "the land beside the strip";
    EXPECT_GT(land.g, 100);
    // Past the view's far end the map keeps its background.
    const Rgb far = Channels(map[4 * kSize + kSize / 2]);
    EXPECT_LT(far.r + far.g + far.b, 150);
}

}  // namespace
