// Harvesting and mowing on a 40 x 40 wheat field from a seeded generator: combines take slots and
// gather the plants near their cutter bar, a bar swept across the field cuts the strip it passes
// over and the harvest percentage follows that strip, the cuts of one frame are bounded, a full
// tank ends the run, and a cut plant lies flat in its kind's buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "vehicles/FieldVertex.h"
#include "vehicles/FieldWorkFixture.h"

namespace {

class EPlantMgrHarvest : public test::FieldWorkTest {
protected:
    void SetUp() override {
        FieldWorkTest::SetUp();
        Field("pole01");
        Script(Wheat("pole01"));
        Grow();
        Task(&RouteRecord::m_bMowing);
    }

    static GrassKind& Kind() { return g_PlantMgr.m_Grass[0]; }

    // A working combine, registered, with its bar from `a` to `b`.
    EObjectSlot* Combine(const char* name, DV a = {}, DV b = {}) {
        EObjectSlot* c = Machine(name);
        c->m_hTruck->m_bKombajn = 1;
        std::snprintf(c->m_hTruck->m_szName, sizeof c->m_hTruck->m_szName, "kombajn101");
        SetBar(c, a, b);
        g_PlantMgr.RegisterCombine(c);
        return c;
    }
    static void SetBar(EObjectSlot* c, DV a, DV b) {
        c->m_hTruck->m_vCutterBar[0] = a;
        c->m_hTruck->m_vCutterBar[1] = b;
        MoveTo(c, (a + b) * 0.5f);
    }
    // The bar from x0 to x1 swept along z across the whole field, a quarter unit a frame.
    static void Sweep(EObjectSlot* c, float x0, float x1) {
        for (float z = -24; z <= 24; z += 0.25f) {
            SetBar(c, DV{x0, 0, z}, DV{x1, 0, z});
            Frame();
            ASSERT_LE(Progress(EPlantMgr::kHarvest), 100.0f);
        }
    }
    // The share of the field's plants whose x lies in the band.
    static float ShareInBand(float x0, float x1) {
        const GrassKind& k = Kind();
        uint32_t in = 0;
        for (uint32_t i = 0; i < k.dwGrassesDefined; ++i) {
            const float x = k.pPlants[i].m_vPosition.x;
            in += x >= x0 && x <= x1 ? 1 : 0;
        }
        return 100.0f * static_cast<float>(in) / static_cast<float>(k.dwGrassesDefined);
    }
    static uint32_t CutCount() {
        const GrassKind& k = Kind();
        return static_cast<uint32_t>(std::count(k.pScieta.get(), k.pScieta.get() + k.dwGrassesDefined, 1));
    }
};

// The points along the bar run from 0.5 to its length less 0.5 and reach 2.0 either way: a bar
// from x = -3 to 3 cuts the band from -4.5 to 4.5.
TEST_F(EPlantMgrHarvest, ASweptBarCutsTheBandItPassesAndTheProgressFollows) {
    ASSERT_GT(Kind().dwGrassesDefined, 1000u);
    EObjectSlot* c = Combine("kombajn");
    Sweep(c, -3, 3);
    const float predicted = ShareInBand(-4.5f, 4.5f);
    EXPECT_NEAR(Progress(EPlantMgr::kHarvest), predicted, 2.0f);
    EXPECT_GT(c->m_hTruck->m_dGrainFill, 0.0);
    EXPECT_FALSE(g_Player.m_bRunFinished);
}

TEST_F(EPlantMgrHarvest, PassesSideBySideHarvestTheWholeField) {
    EObjectSlot* c = Combine("kombajn");
    for (float x = -21; x <= 21; x += 8) Sweep(c, x - 3, x + 3);
    EXPECT_FLOAT_EQ(Progress(EPlantMgr::kHarvest), 100.0f);
    EXPECT_EQ(CutCount(), Kind().dwGrassesDefined);
}

// A bar of 1.0 or shorter has no point between its ends' half-unit margins.
TEST_F(EPlantMgrHarvest, AShortBarCutsNothing) {
    for (float length : {0.0f, 0.5f, 1.0f}) {
        EObjectSlot* c = Combine("kombajn", DV{0, 0, 0}, DV{length, 0, 0});
        Frame();
        EXPECT_EQ(CutCount(), 0u) << length;
        EXPECT_EQ(c->m_hTruck->m_dGrainFill, 0.0) << length;
        g_PlantMgr.UnregisterCombine(c);
    }
}

// A dense field and a long bar along its first rows, which come first in the reach list.
TEST_F(EPlantMgrHarvest, AFrameCutsAtMost128PlantsAndTheRestLater) {
    Script(Wheat("pole01", 0.5f));
    Grow();
    Combine("kombajn", DV{-10, 0, -20}, DV{10, 0, -20});
    Frame();
    EXPECT_EQ(Kind().dwSciete, 128u);
    EXPECT_EQ(CutCount(), 128u);
    EXPECT_TRUE(Logged("p->dwSciete>=MAX_SCIETYCH_ROSLIN, wychodze"));
    // The next frame cuts what the first had to leave.
    Frame();
    EXPECT_GT(Kind().dwSciete, 0u);
    EXPECT_EQ(CutCount(), 128u + Kind().dwSciete);
}

TEST_F(EPlantMgrHarvest, EightCombinesTakeTheSlotsAndANinthIsRefused) {
    EObjectSlot* combines[9];
    for (int i = 0; i < 9; ++i) {
        const std::string name = "kombajn" + std::to_string(i);
        combines[i] = Combine(name.c_str(), DV{-18.0f + 4.5f * static_cast<float>(i), 0, -18}, DV{-15.0f + 4.5f * static_cast<float>(i), 0, -18});
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Kind().m_pCombines[i], combines[i]);
        EXPECT_TRUE(Kind().pScinalne[i]);
    }
    EXPECT_TRUE(Logged("Rejestruje kombajn101 w polu 0"));
    EXPECT_TRUE(Logged("MAX_TNACYCH_KOMBAJNOW overflow for field #0"));
    // Registering again keeps the slot.
    g_PlantMgr.RegisterCombine(combines[3]);
    EXPECT_EQ(std::count(Kind().m_pCombines, Kind().m_pCombines + 8, combines[3]), 1);
    // Each of the eight fills its own reach list; the ninth cuts nothing.
    g_PlantMgr.UpdateHarvest();
    const GrassKind& k = Kind();
    auto cutNear = [&k](const DV& at) {
        uint32_t n = 0;
        for (uint32_t p = 0; p < k.dwGrassesDefined; ++p)
            n += k.pScieta[p] && pmath::Length(k.pPlants[p].m_vPosition - at) < 2.0f ? 1 : 0;
        return n;
    };
    for (int i = 0; i < 8; ++i) EXPECT_GT(cutNear(combines[i]->m_vPosition), 0u) << i;
    EXPECT_EQ(cutNear(combines[8]->m_vPosition), 0u);
    g_PlantMgr.UnregisterCombine(combines[3]);
    EXPECT_EQ(Kind().m_pCombines[3], nullptr);
    EXPECT_FALSE(Kind().pScinalne[3]);
    g_PlantMgr.RegisterCombine(combines[8]);
    EXPECT_EQ(Kind().m_pCombines[3], combines[8]);
}

// The reach list holds the uncut plants within 0.7 of the bar's length of either end, at most 280.
TEST_F(EPlantMgrHarvest, TheReachListHoldsThePlantsNearTheBarEnds) {
    EObjectSlot* c = Combine("kombajn", DV{0, 0, 0}, DV{4, 0, 0});
    g_PlantMgr.WypelnijScinalne(0, 0);
    const GrassKind& k = Kind();
    uint32_t expected = 0;
    for (uint32_t p = 0; p < k.dwGrassesDefined; ++p) {
        const DV& f = k.pPlants[p].m_vPosition;
        expected += pmath::Length(f - DV{0, 0, 0}) < 2.8f || pmath::Length(f - DV{4, 0, 0}) < 2.8f ? 1 : 0;
    }
    const int32_t* list = k.pScinalne[0].get();
    EXPECT_EQ(static_cast<uint32_t>(std::count_if(list, list + EPlantMgr::kReachEntries, [](int32_t e) { return e >= 0; })),
              expected);
    // Far off the field (and its box widened by 100 up and down) the list stays empty.
    std::fill_n(k.pScinalne[0].get(), EPlantMgr::kReachEntries, -1);
    SetBar(c, DV{100, 0, 100}, DV{104, 0, 100});
    g_PlantMgr.WypelnijScinalne(0, 0);
    EXPECT_EQ(list[0], -1);
}

TEST_F(EPlantMgrHarvest, AnOverfullTankStopsAt1Point2AndLosesTheRun) {
    EObjectSlot* c = Combine("kombajn", DV{-3, 0, 0}, DV{3, 0, 0});
    c->m_hTruck->m_dGrainFill = 1.1999;
    Frame();
    EXPECT_EQ(c->m_hTruck->m_dGrainFill, 1.2);
    EXPECT_TRUE(g_Player.m_bRunFinished);
}

// The six top vertices keep their x and z, drop to the foot plus 0.3 and turn transparent, and
// take their bottom partner's texture row less 0.1; the bottom vertices stay.
TEST_F(EPlantMgrHarvest, ACutPlantLiesFlatInTheBuffer) {
    ASSERT_TRUE(Kind().pVB);
    const auto* vertices = reinterpret_cast<const FieldVertex*>(Kind().pVB->Data());
    Combine("kombajn", DV{-3, 0, 0}, DV{3, 0, 0});
    Frame();
    ASSERT_GT(Kind().dwSciete, 0u);
    const uint32_t i = Kind().m_dwCut[0];
    const Plant& plant = Kind().pPlants[i];
    const FieldVertex* v = vertices + 12 * i;
    for (int top : {2, 3, 5, 8, 9, 11}) {
        EXPECT_FLOAT_EQ(v[top].position.x, plant.m_vVertices[top].x) << top;
        EXPECT_FLOAT_EQ(v[top].position.z, plant.m_vVertices[top].z) << top;
        EXPECT_FLOAT_EQ(v[top].position.y, plant.m_vPosition.y + 0.3f) << top;
        EXPECT_EQ(v[top].colour, 0u) << top;
    }
    EXPECT_FLOAT_EQ(v[2].v, static_cast<float>(plant.m_uTexCoords[0] & 0xF) * 0.125f - 0.1f);
    EXPECT_FLOAT_EQ(v[11].v, static_cast<float>(plant.m_uTexCoords[7] & 0xF) * 0.125f - 0.1f);
    EXPECT_FLOAT_EQ(v[0].position.y, plant.m_vVertices[0].y);
    // An uncut plant stands as it was placed.
    const GrassKind& k = Kind();
    const uint32_t standing = static_cast<uint32_t>(std::find(k.pScieta.get(), k.pScieta.get() + k.dwGrassesDefined, 0) - k.pScieta.get());
    EXPECT_FLOAT_EQ(vertices[12 * standing + 2].position.y, k.pPlants[standing].m_vVertices[2].y);
}

// A kind whose buffer could not be made still has its plants cut and counted; a plant whose
// twelve vertices do not all lie in the buffer is not written.
TEST_F(EPlantMgrHarvest, WithoutABufferThePlantsAreStillCutAndCounted) {
    Kind().pVB.reset();
    EObjectSlot* c = Combine("kombajn");
    Sweep(c, -3, 3);
    EXPECT_NEAR(Progress(EPlantMgr::kHarvest), ShareInBand(-4.5f, 4.5f), 2.0f);
}

TEST_F(EPlantMgrHarvest, APlantPastTheBufferIsNotWritten) {
    GrassKind& k = Kind();
    const uint32_t last = k.dwGrassesDefined - 1;
    // The buffer one vertex short of the last plant's twelve.
    g_PlantMgr.m_dwGrassVertices[0] = 12 * k.dwGrassesDefined - 1;
    const auto* vertices = reinterpret_cast<const FieldVertex*>(k.pVB->Data());
    const float topBefore = vertices[12 * last + 2].position.y;
    const DV foot = k.pPlants[last].m_vPosition;
    Combine("kombajn", foot - DV{2, 0, 0}, foot + DV{2, 0, 0});
    Frame();
    ASSERT_TRUE(k.pScieta[last]);
    EXPECT_EQ(vertices[12 * last + 2].position.y, topBefore);
}

TEST_F(EPlantMgrHarvest, ProgressOfAFieldWithoutPlantsOrKindIsZero) {
    std::snprintf(m_Route.m_szField, sizeof m_Route.m_szField, "brak");
    Frame();
    EXPECT_EQ(Progress(EPlantMgr::kHarvest), 0.0f);
    EXPECT_TRUE(Logged("ERROR: Nie znaleziono upraw dla pola brak!"));
    // The route's kind with no plants shows 0 rather than 0 / 0.
    std::snprintf(m_Route.m_szField, sizeof m_Route.m_szField, "pole01");
    Kind().dwGrassesDefined = 0;
    Frame();
    EXPECT_EQ(Progress(EPlantMgr::kHarvest), 0.0f);
    m_Route.m_szField[0] = 0;
    Frame();
    EXPECT_TRUE(Logged("ERROR: Nie zdefiniowano nazwy pola do koszenia w skrypcie tras!"));
}

// Above 1.0 of straw the combine lays a pair of swath marks every 0.35 s, each taking 0.4 of it.
TEST_F(EPlantMgrHarvest, TheStrawIsLaidInASwathBehind) {
    EObjectSlot* c = Combine("kombajn", DV{30, 0, 30}, DV{36, 0, 30});
    Truck& t = *c->m_hTruck;
    MoveTo(c, DV{5, 1, 5});
    t.m_fStraw = 0.9f;
    for (int f = 0; f < 30; ++f) g_PlantMgr.UpdateStrawSwath(0, 0);
    EXPECT_EQ(g_GroundMgr.m_Records[0].m_dwMarks, 0u);
    EXPECT_EQ(t.m_fSwathTimer, 0.0f);
    t.m_fStraw = 5.0f;
    g_PlantMgr.m_fFrameTime = 0.1f;
    for (int f = 0; f < 4; ++f) g_PlantMgr.UpdateStrawSwath(0, 0);
    EXPECT_EQ(g_GroundMgr.m_Records[0].m_dwMarks, 2u);
    EXPECT_FLOAT_EQ(t.m_fStraw, 3.0f - 0.4f);
    EXPECT_NEAR(g_GroundMgr.m_Records[0].m_pMarks[0].m_vCentre.y, 0.4f, 1e-3f);
}

class EPlantMgrMowing : public EPlantMgrHarvest {
protected:
    void SetUp() override {
        EPlantMgrHarvest::SetUp();
        m_Route.m_bMowing = 0;
        Task(&RouteRecord::m_bGrassMowing);
    }
    EObjectSlot* Mower(bool triple) {
        EObjectSlot* m = Machine(triple ? "kosa3" : "kosa", "socket kosa 0 0 0\nsocket kosal -3 0 0\nsocket kosap 3 0 0\n");
        m->m_hTruck->m_bKosa = 1;
        m->m_hTruck->m_bKosa3x = triple;
        m->m_hTruck->m_iMowerSoundState = 1;
        Couple(m);
        return m;
    }
    // Plants cut against the plants within `reach` of any of the points.
    void ExpectCutWithin(std::initializer_list<DV> points, float reach) {
        const GrassKind& k = Kind();
        for (uint32_t p = 0; p < k.dwGrassesDefined; ++p) {
            const DV& f = k.pPlants[p].m_vPosition;
            bool near = false;
            for (const DV& at : points) near = near || pmath::Length(DV{f.x - at.x, 0, f.z - at.z}) <= reach;
            EXPECT_EQ(k.pScieta[p] != 0, near) << p;
        }
    }
};

TEST_F(EPlantMgrMowing, TheMowerCutsWithin2Point1AndTheTripleWithin2OfEachBlade) {
    EObjectSlot* single = Mower(false);
    MoveTo(single, DV{5, 0, 5});
    Frame();
    ExpectCutWithin({DV{5, 0, 5}}, 2.1f);
    const uint32_t cut = CutCount();
    // Lifted: nothing more.
    single->m_hTruck->m_iMowerSoundState = 4;
    MoveTo(single, DV{-10, 0, -10});
    Frame();
    EXPECT_EQ(CutCount(), cut);
    // The flattened plant lies 0.1 above its foot.
    const GrassKind& k = Kind();
    const auto* vertices = reinterpret_cast<const FieldVertex*>(k.pVB->Data());
    for (uint32_t p = 0; p < k.dwGrassesDefined; ++p)
        if (k.pScieta[p]) {
            EXPECT_FLOAT_EQ(vertices[12 * p + 5].position.y, k.pPlants[p].m_vPosition.y + 0.1f);
        }
}

TEST_F(EPlantMgrMowing, TheTripleMowerCutsAtItsThreeBlades) {
    EObjectSlot* triple = Mower(true);
    MoveTo(triple, DV{-5, 0, 0});
    Frame();
    ExpectCutWithin({DV{-8, 0, 0}, DV{-5, 0, 0}, DV{-2, 0, 0}}, 2.0f);
}

TEST_F(EPlantMgrMowing, MowingTheSmallFieldRaisesTheProgressToTheEnd) {
    EObjectSlot* mower = Mower(false);
    float last = 0;
    for (float x = -20; x <= 20; x += 4)
        for (float z = -21; z <= 21; z += 0.5f) {
            MoveTo(mower, DV{x, 0, z});
            Frame();
            EXPECT_GE(Progress(EPlantMgr::kHarvest), last);
            last = Progress(EPlantMgr::kHarvest);
        }
    EXPECT_FLOAT_EQ(last, 100.0f);
}

}  // namespace
