// Drawing the plants on the recording device: a field within 260 of the camera is drawn when it is
// within 100 or not behind the camera; tufts are cut into 100 x 100 sectors, each drawn within 140
// the same way; the overview map draws the route's crop.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/EEffectMgr.h"
#include "vehicles/FieldVertex.h"
#include "vehicles/PlantsFixture.h"
#include "world/CRoutesMgr.h"

namespace {

class EPlantMgrRender : public test::PlantsTest {
protected:
    void SetUp() override {
        PlantsTest::SetUp();
        std::filesystem::copy(std::filesystem::path(FURROW_SOURCE_DIR) / "data" / "fx", Path("fx"));
        g_EffectMgr.Init();
        test::ResetGlobal(g_RoutesMgr);
    }
    void TearDown() override {
        test::ResetGlobal(g_RoutesMgr);
        PlantsTest::TearDown();
    }

    static int Draws() {
        const auto& calls = gfx::NullBackend().calls;
        return static_cast<int>(std::count(calls.begin(), calls.end(), "DrawPrimitive"));
    }
    // The camera at eye, looking along the direction.
    static void Camera(const DV& eye, const DV& direction) {
        g_DrawCamera.view = pmath::LookAtLH(eye, eye + direction, DV{0, 1, 0});
        g_DrawCamera.projection = pmath::PerspectiveFovLH(1.1f, 4.0f / 3.0f, 0.5f, 1000.0f);
        g_DrawCamera.position = eye;
    }
    // Tufts at these points of the marker box 0..250 by 0..150.
    static void Tufts(std::initializer_list<DV> points) {
        TerrainGrass& t = g_PlantMgr.m_TGrass;
        t.m_fMinX = 0;
        t.m_fMaxX = 250;
        t.m_fMinZ = 0;
        t.m_fMaxZ = 150;
        t.dwTPlants = static_cast<uint32_t>(points.size());
        t.pTPlants = std::make_unique<TPlant[]>(t.dwTPlants);
        uint32_t i = 0;
        for (const DV& p : points) t.pTPlants[i++] = TPlant{p, DV{0, 1, 0}, 0x00336622u, 1};
    }
};

TEST_F(EPlantMgrRender, AFieldIsDrawnNearOrAheadOfTheCameraAndNeverFarAway) {
    Field("pole01");
    Script(Wheat("pole01"));
    Grow();
    const DV ahead{0, 0, 1}, away{0, 0, -1};
    const struct {
        float distance;
        DV look;
        bool drawn;
    } cases[] = {
        {50, ahead, true},  {50, away, true},   {99, away, true},  {150, ahead, true},
        {150, away, false}, {259, ahead, true}, {261, ahead, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.distance);
        Camera(DV{0, 0, -c.distance}, c.look);
        const int before = Draws();
        g_PlantMgr.RenderGrass();
        EXPECT_EQ(Draws() - before, c.drawn ? 1 : 0);
        EXPECT_EQ(g_PlantMgr.m_dwDrawCalls, c.drawn ? 1u : 0u);
    }
    // Drawn alpha-tested above 0x60, depth written, culling back on after.
    uint32_t reference = 0, cull = 0;
    g_pd3dDevice->GetRenderState(gfx::RS_ALPHAREF, reference);
    g_pd3dDevice->GetRenderState(gfx::RS_CULLMODE, cull);
    EXPECT_EQ(reference, 0x60u);
    EXPECT_EQ(cull, static_cast<uint32_t>(gfx::CULL_CCW));
}

TEST_F(EPlantMgrRender, TuftsAreCutIntoSectorsTheMaximumEdgeBelongingToTheNext) {
    Script("grows zboze.tga\n");
    g_PlantMgr.LoadGrass();
    Tufts({{10, 0, 10}, {99.9f, 0, 10}, {100, 0, 10}, {240, 0, 140}, {250, 0, 150}});
    g_PlantMgr.CreateAndFillTSectors();
    ASSERT_EQ(g_PlantMgr.m_dwTSectors, 6u);
    EXPECT_TRUE(Logged("Sektorow: 3x2 == 6"));
    const uint32_t counts[6] = {2, 1, 0, 0, 0, 2};
    for (uint32_t s = 0; s < 6; ++s) EXPECT_EQ(g_PlantMgr.m_pTSectors[s].dwTPlants, counts[s]) << s;
    EXPECT_EQ(g_PlantMgr.m_pTSectors[1].pTPlants[0].m_vPosition.x, 100.0f);
    EXPECT_EQ(g_PlantMgr.m_pTSectors[4].m_vCentre, (DV{150, 0, 150}));
    // Every drawn tuft is three quads of its ground's colour, swaying at the top only.
    g_PlantMgr.CreateAndFillTVBuffers();
    for (uint32_t s = 0; s < 6; ++s) {
        const strTSector& sector = g_PlantMgr.m_pTSectors[s];
        EXPECT_EQ(sector.m_dwTriangles % 6, 0u);
        EXPECT_LE(sector.m_dwTriangles, 6 * sector.dwTPlants);
        EXPECT_EQ(sector.pVB != nullptr, sector.dwTPlants > 0);
    }
}

TEST_F(EPlantMgrRender, ATuftIsThreeQuadsOfItsVariantsSize) {
    Script("grows zboze.tga\n");
    g_PlantMgr.LoadGrass();
    Tufts({{50, 0, 50}});
    g_PlantMgr.CreateAndFillTSectors();
    const float heights[3] = {0.8f, 1.2f, 1.6f}, halfWidths[3] = {2.0f, 1.4f, 1.2f};
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        std::vector<FieldVertex> out(18);
        g_PlantMgr.m_pTSectors[0].m_dwTriangles = 0;
        g_PlantMgr.m_dwTSectorVertices[0] = 18;
        g_PlantMgr.BuildTPlantGeometry(0, 0, variant, out.data());
        EXPECT_EQ(g_PlantMgr.m_pTSectors[0].m_dwTriangles, 6u);
        for (int q = 0; q < 3; ++q) {
            const FieldVertex* v = &out[6 * q];
            EXPECT_NEAR(pmath::Length(v[1].position - v[0].position), 2 * halfWidths[variant], 1e-4f);
            EXPECT_NEAR(v[2].position.y - v[0].position.y, heights[variant], 1e-4f);
            EXPECT_EQ(v[0].colour, 0x00336622u);
            EXPECT_EQ(v[5].colour, 0xF0336622u);
        }
        // A tuft that would not fit its sector's buffer is refused.
        g_PlantMgr.BuildTPlantGeometry(0, 0, variant, out.data());
        EXPECT_TRUE(Logged("Proba pisania poza VB TSectora wychwycona!"));
    }
}

TEST_F(EPlantMgrRender, SectorsAreDrawnWithin140OfTheCameraAndWithoutGrassNotMadeAtAll) {
    Script("grows zboze.tga\n");
    g_PlantMgr.LoadGrass();
    Tufts({{10, 0, 10}, {12, 0, 14}, {20, 0, 30}, {30, 0, 40}, {240, 0, 140}, {230, 0, 120}, {235, 0, 130}});
    plat::SeedRandom(3);
    g_PlantMgr.CreateAndFillTSectors();
    g_PlantMgr.CreateAndFillTVBuffers();
    // From the first sector's middle every drawn sector within 140 is drawn: the far corner's is not.
    Camera(DV{50, 2, 50}, DV{1, 0, 1});
    g_PlantMgr.RenderGrass();
    int expected = 0;
    for (uint32_t s = 0; s < g_PlantMgr.m_dwTSectors; ++s) {
        const strTSector& sector = g_PlantMgr.m_pTSectors[s];
        const float d = pmath::Length(DV{sector.m_vCentre.x - 50, 0, sector.m_vCentre.z - 50});
        expected += sector.m_dwTriangles > 0 && d <= 140;
    }
    ASSERT_GT(expected, 0);
    EXPECT_EQ(g_PlantMgr.m_dwDrawCalls, static_cast<uint32_t>(expected));
    g_PlantMgr.ReleaseTGrass();
    g_Settings.m_bDrawGrass = 0;
    Tufts({{10, 0, 10}});
    g_PlantMgr.CreateAndFillTSectors();
    EXPECT_EQ(g_PlantMgr.m_dwTSectors, 0u);
}

TEST_F(EPlantMgrRender, TheOverviewMapDrawsTheRoutesCropFieldOnly) {
    Field("pole01");
    Field("laka01", DV{60, 0, 0});
    Script(Wheat("pole01") + "grows trawa.tga\ncrop\nwidth 1\nheight 0.5\nmesh laka01\n");
    Grow();
    g_RoutesMgr.ReadRoutes("trasa worlds\\test.w\nNazwa Harvest\nkoszenie\npole laka01\n");
    g_RoutesMgr.m_iCurrentRoute = 0;
    g_RoutesMgr.SelectCurrentRoute();
    Camera(DV{0, 100, 0}, DV{0, -1, 0.01f});
    const int before = Draws();
    g_PlantMgr.RenderFieldOnAutoMap();
    EXPECT_EQ(Draws() - before, 1);
    Camera(DV{500, 100, 0}, DV{0, -1, 0.01f});
    g_PlantMgr.RenderFieldOnAutoMap();
    EXPECT_EQ(Draws() - before, 1);
}

}  // namespace
