// Ploughing, sowing and planting on a 40 x 40 field: the grid of 1.4-unit cells and its bound,
// implements driven along straight lines working the band their sockets reach, the percentage
// following the worked band one frame late, seed running out, and the strips behind a planter.
#include <gtest/gtest.h>

#include <cmath>

#include "vehicles/FieldWorkFixture.h"

namespace {

class EPlantMgrGround : public test::FieldWorkTest {
protected:
    void SetUp() override {
        FieldWorkTest::SetUp();
        Field("pole01");
        // The hub works only in a world with plants: a small meadow beside the field.
        WriteFile("m\\meadow.x", test::QuadModel(-2, -2, 2, 2, 0, 0, "field.tga"));
        Field("laka", DV{100, 0, 100}, "m\\meadow.x");
        Script(Wheat("laka"));
        Grow();
    }

    // Driven along z across the field at x, half a unit a frame.
    static void Drive(EObjectSlot* implement, float x) {
        for (float z = -21; z <= 21; z += 0.5f) {
            MoveTo(implement, DV{x, 0, z});
            Frame();
        }
    }
    // The share of valid cells whose x lies within `reach` of the line x = at.
    static float ShareInBand(float at, float reach) {
        uint32_t valid = 0, in = 0;
        for (uint32_t i = 0; i < g_PlantMgr.m_dwGroundCells; ++i) {
            const GroundCell& c = g_PlantMgr.m_pGround[i];
            if (!c.m_bValid) continue;
            ++valid;
            in += std::fabs(c.m_vPoint.x - at) <= reach ? 1 : 0;
        }
        return 100.0f * static_cast<float>(in) / static_cast<float>(valid);
    }
    static uint32_t Worked() {
        uint32_t n = 0;
        for (uint32_t i = 0; i < g_PlantMgr.m_dwGroundCells; ++i) n += g_PlantMgr.m_pGround[i].m_bWorked;
        return n;
    }

    EObjectSlot* Plough(const std::string& shares = "socket plug0 -1 0 0\nsocket plug1 0 0 0\nsocket plug2 1 0 0\n") {
        EObjectSlot* p = Machine("plug", shares);
        p->m_hTruck->m_bPlug = 1;
        p->m_hTruck->m_iPloughLiftState = 1;
        Couple(p);
        return p;
    }
    EObjectSlot* Seeder() {
        EObjectSlot* s = Machine("siewnik", "socket siewnikl -1.5 0 0\nsocket siewnikr 1.5 0 0\n");
        s->m_hTruck->m_bSiewnik = 1;
        s->m_hTruck->m_iSeederLiftState = 1;
        s->m_hTruck->m_fSeederFactor = 1.0f;
        Couple(s);
        return s;
    }
    EObjectSlot* Planter() {
        EObjectSlot* p = Machine("sadzarka", "socket ziemniaki 0 0 0\n");
        p->m_hTruck->m_bSadzarka = 1;
        p->m_hTruck->m_iPlanterLiftState = 1;
        p->m_hTruck->m_fPlanterFactor = 1.0f;
        Couple(p);
        return p;
    }
};

TEST_F(EPlantMgrGround, TheGridCoversTheFieldInCellsOf1Point4) {
    Task(&RouteRecord::m_bPloughing);
    g_PlantMgr.CreatePloughingGround();
    EXPECT_EQ(g_PlantMgr.m_dwGroundColumns, 29u);
    EXPECT_EQ(g_PlantMgr.m_dwGroundRows, 29u);
    EXPECT_TRUE(Logged("dwTotal == 841"));
    EXPECT_TRUE(Logged("Wertexow: 841"));
    const GroundCell& c = g_PlantMgr.m_pGround[2 * 29 + 3];
    EXPECT_NEAR(c.m_vPoint.x, -20 + 3 * 1.4f, 1e-3f);
    EXPECT_NEAR(c.m_vPoint.z, -20 + 2 * 1.4f, 1e-3f);
    EXPECT_EQ(c.m_dwIndex, 2u * 29 + 3);
    // Another route's task lays no grid.
    g_PlantMgr.ReleaseFieldWork();
    g_PlantMgr.CreateSowingGround();
    EXPECT_FALSE(g_PlantMgr.m_pGround);
}

// From x = -350.05 to -340.25 the sum of the steps runs one column more than the grid's 7: that
// column is not written into the next row's first cell (nor past the grid on the last row).
TEST_F(EPlantMgrGround, TheSummedStepsStayInsideTheGridsColumnsAndRows) {
    WriteFile("m\\narrow.x", test::QuadModel(-350.05f, 0, -340.25f, 4.2f, 0, 0, "field.tga"));
    Field("waskie", DV{}, "m\\narrow.x");
    Task(&RouteRecord::m_bPloughing, "waskie");
    g_PlantMgr.CreatePloughingGround();
    ASSERT_EQ(g_PlantMgr.m_dwGroundColumns, 7u);
    const uint32_t columns = g_PlantMgr.m_dwGroundColumns;
    for (uint32_t i = 0; i < g_PlantMgr.m_dwGroundCells; ++i) {
        const GroundCell& c = g_PlantMgr.m_pGround[i];
        if (!c.m_bValid) continue;
        EXPECT_NEAR(c.m_vPoint.x, -350.05f + 1.4f * static_cast<float>(i % columns), 0.01f) << i;
        EXPECT_NEAR(c.m_vPoint.z, 1.4f * static_cast<float>(i / columns), 0.01f) << i;
    }
}

TEST_F(EPlantMgrGround, MissingFieldOrNoLengthLaysNoCells) {
    Task(&RouteRecord::m_bPloughing, "brak");
    g_PlantMgr.CreatePloughingGround();
    EXPECT_TRUE(Logged("Nie moge znalezc pola do orania: brak"));
    EXPECT_FALSE(g_PlantMgr.m_pGround);
    m_Route.m_bPloughing = 0;
    Task(&RouteRecord::m_bPlanting, "brak");
    g_PlantMgr.CreatePlantingGround();
    EXPECT_TRUE(Logged("Nie moge znalezc pola do sadzenia: brak"));
    // A field of no depth in z: the grid is allocated, no cell is laid.
    WriteFile("m\\line.x", test::QuadModel(-5, 0, 5, 0, 0, 0, "field.tga"));
    Field("linia", DV{}, "m\\line.x");
    Task(&RouteRecord::m_bPlanting, "linia");
    g_PlantMgr.CreatePlantingGround();
    EXPECT_TRUE(Logged("Wertexow: 0"));
    EXPECT_EQ(g_PlantMgr.m_dwGroundRows, 1u);
}

// Each task's implement driven down the middle works the band its sockets reach, the percentage
// follows (a frame late) and never passes 100, and passes side by side reach the whole field.
TEST_F(EPlantMgrGround, EachImplementWorksTheBandItReaches) {
    struct Case {
        uint8_t RouteRecord::*flag;
        void (EPlantMgr::*create)();
        EPlantMgr::Progress progress;
        bool planter;
        float band;
    };
    const Case cases[] = {
        {&RouteRecord::m_bSowing, &EPlantMgr::CreateSowingGround, EPlantMgr::kSowing, false, 2.6f},
        {&RouteRecord::m_bPlanting, &EPlantMgr::CreatePlantingGround, EPlantMgr::kPlanting, true, 3.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.band);
        m_Route.Reset();
        Task(c.flag);
        (g_PlantMgr.*c.create)();
        EObjectSlot* implement = c.planter ? Planter() : Seeder();
        Drive(implement, 0.3f);
        Frame();
        EXPECT_NEAR(Progress(c.progress), ShareInBand(0.3f, c.band), 2.0f);
        // 841 cells need more potatoes than a full planter holds (714 cells' worth).
        implement->m_hTruck->m_fPlanterFactor = implement->m_hTruck->m_fSeederFactor = 2.0f;
        for (float x = -19; x <= 20; x += 4) Drive(implement, x);
        Frame();
        EXPECT_FLOAT_EQ(Progress(c.progress), 100.0f);
        g_PlantMgr.ReleaseFieldWork();
    }
}

TEST_F(EPlantMgrGround, ThePloughWorksCellsWithinAUnitOfAShare) {
    Task(&RouteRecord::m_bPloughing);
    g_PlantMgr.CreatePloughingGround();
    EObjectSlot* plough = Plough();
    Drive(plough, 0.3f);
    Frame();
    EXPECT_NEAR(Progress(EPlantMgr::kPloughing), ShareInBand(0.3f, 2.0f), 2.0f);
    // A cell near two shares gets two marks but counts once.
    EXPECT_GT(g_GroundMgr.m_Records[2].m_dwMarks, Worked());
    for (float x = -19; x <= 20; x += 3) Drive(plough, x);
    Frame();
    EXPECT_FLOAT_EQ(Progress(EPlantMgr::kPloughing), 100.0f);
}

TEST_F(EPlantMgrGround, TheProgressLagsAFrameBehindTheWork) {
    Task(&RouteRecord::m_bPloughing);
    g_PlantMgr.CreatePloughingGround();
    EObjectSlot* plough = Plough();
    MoveTo(plough, DV{0, 0, 0});
    Frame();
    EXPECT_GT(Worked(), 0u);
    EXPECT_EQ(Progress(EPlantMgr::kPloughing), 0.0f);
    Frame();
    EXPECT_FLOAT_EQ(Progress(EPlantMgr::kPloughing), 100.0f * static_cast<float>(Worked()) / 841.0f);
}

TEST_F(EPlantMgrGround, APloughWithoutSharesOrLiftedWorksNothing) {
    Task(&RouteRecord::m_bPloughing);
    g_PlantMgr.CreatePloughingGround();
    EObjectSlot* plough = Plough("socket kolo 0 0 0\n");
    MoveTo(plough, DV{0, 0, 0});
    Frame();
    EXPECT_TRUE(Logged("Brak lemieszy plugu!"));
    EXPECT_EQ(Worked(), 0u);
    // A single share, lowered turned over, works round itself.
    EObjectSlot* single = Plough("socket plug0 0 0 0\n");
    single->m_hTruck->m_iPloughLiftState = -1;
    MoveTo(single, DV{0.3f, 0, 0.3f});
    Frame();
    EXPECT_GT(Worked(), 0u);
    const uint32_t worked = Worked();
    single->m_hTruck->m_iPloughLiftState = 4;
    MoveTo(single, DV{10, 0, 10});
    Frame();
    EXPECT_EQ(Worked(), worked);
}

TEST_F(EPlantMgrGround, ASeederWithoutSeedWorksNoCell) {
    Task(&RouteRecord::m_bSowing);
    g_PlantMgr.CreateSowingGround();
    EObjectSlot* seeder = Seeder();
    Drive(seeder, 0);
    const uint32_t worked = Worked();
    EXPECT_NEAR(seeder->m_hTruck->m_fSeederFactor, 1.0f - 0.001f * static_cast<float>(worked), 1e-4f);
    seeder->m_hTruck->m_fSeederFactor = 0.0005f;
    Drive(seeder, 8);
    EXPECT_EQ(Worked(), worked + 1);
    EXPECT_EQ(seeder->m_hTruck->m_fSeederFactor, 0.0f);
    Drive(seeder, -8);
    EXPECT_EQ(Worked(), worked + 1);
}

// A lowered planter lays a strip every 2 units; lifting it closes the track with a last strip,
// and lowering it again starts a new track where it is.
TEST_F(EPlantMgrGround, ThePlantersTrackIsLaidWhileItIsLowered) {
    Task(&RouteRecord::m_bPlanting);
    g_PlantMgr.CreatePlantingGround();
    EObjectSlot* planter = Planter();
    const PGroundMgr::Record& strips = g_GroundMgr.m_Records[3];
    for (float z = -10; z <= 0; z += 0.5f) {
        MoveTo(planter, DV{0, 0, z});
        Frame();
    }
    EXPECT_TRUE(planter->m_hTruck->m_bTrackOpen);
    const uint32_t laid = strips.m_dwTriangles;
    EXPECT_GE(laid, 2u * 4);
    planter->m_hTruck->m_iPlanterLiftState = 4;
    MoveTo(planter, DV{0, 0, 0.5f});
    Frame();
    EXPECT_FALSE(planter->m_hTruck->m_bTrackOpen);
    EXPECT_EQ(strips.m_dwTriangles, laid + 2);
    MoveTo(planter, DV{5, 0, 5});
    Frame();
    EXPECT_EQ(strips.m_dwTriangles, laid + 2);
    planter->m_hTruck->m_iPlanterLiftState = 1;
    Frame();
    EXPECT_TRUE(planter->m_hTruck->m_bTrackOpen);
    EXPECT_NEAR(planter->m_hTruck->m_vPreviousTrackEnds[0].x, 5 - 1.2f, 1e-3f);
    EXPECT_NEAR(planter->m_hTruck->m_vPreviousTrackEnds[1].z, 5 + 1.8f, 1e-3f);
    EXPECT_GT(planter->m_hTruck->m_vPreviousTrackEnds[0].y, 0.06f);
}

TEST_F(EPlantMgrGround, NoImplementMeansNoWork) {
    Task(&RouteRecord::m_bPloughing);
    g_PlantMgr.CreatePloughingGround();
    Frame();
    EXPECT_TRUE(Logged("Nie widze przyczepy!"));
    EXPECT_EQ(Progress(EPlantMgr::kPloughing), 0.0f);
}

}  // namespace
