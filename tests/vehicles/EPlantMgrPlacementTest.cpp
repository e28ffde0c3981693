// Field plants placed on fixture fields from a seeded generator: three grid points in four are
// tried, a plant stands only on its own field where the ground is no steeper than 60 degrees, the
// jitter stays within half its amplitude, each plant is two crossed quads, and the kind's buffer
// holds its twelve vertices per plant.
#include <gtest/gtest.h>

#include <cmath>

#include "core/ESettings.h"
#include "vehicles/FieldVertex.h"
#include "vehicles/PlantsFixture.h"

namespace {

class EPlantMgrPlacement : public test::PlantsTest {
protected:
    static const GrassKind& Kind(uint32_t i = 0) { return g_PlantMgr.m_Grass[i]; }
    // How far a coordinate lies from the grid through `origin` with this spacing.
    static float OffGrid(float v, float origin, float spacing) {
        const float steps = (v - origin) / spacing;
        return std::fabs(steps - std::round(steps)) * spacing;
    }
};

TEST_F(EPlantMgrPlacement, ThreeGridPointsInFourGrowOnTheField) {
    Field("pole01", DV{5, 0, -3});
    Script(Wheat("pole01"));
    Grow();
    const GrassKind& k = Kind();
    EXPECT_EQ(k.m_Szer, 41u);
    EXPECT_EQ(k.m_Wys, 41u);
    EXPECT_EQ(k.WTabeli, 1681u);
    EXPECT_EQ(k.m_vPosition, (DV{5, 0, -3}));
    EXPECT_TRUE(k.m_bHasPlants);
    // About three in four of the points, the field's own edges among them.
    EXPECT_GT(k.dwGrassesDefined, 1681u * 68 / 100);
    EXPECT_LT(k.dwGrassesDefined, 1681u * 80 / 100);
    for (uint32_t i = 0; i < k.dwGrassesDefined; ++i) {
        const Plant& p = k.pPlants[i];
        ASSERT_TRUE(p.m_bValid) << i;
        EXPECT_NEAR(p.m_vPosition.y, 0.0f, 1e-4f);
        EXPECT_GE(p.m_vNormal.y, 0.5f);
        EXPECT_LE(std::fabs(p.m_vPosition.x - 5), 20.0f);
        EXPECT_LE(std::fabs(p.m_vPosition.z + 3), 20.0f);
        // Without jitter every plant stands on its grid point.
        EXPECT_LT(OffGrid(p.m_vPosition.x, 5 - 20, 1.0f), 1e-3f);
        EXPECT_LT(OffGrid(p.m_vPosition.z, -3 - 20, 1.0f), 1e-3f);
    }
    EXPECT_TRUE(Logged("Znaleziono poprawnych trawek " + std::to_string(k.dwGrassesDefined)));
}

TEST_F(EPlantMgrPlacement, JitterMovesAPlantByLessThanHalfItsAmplitude) {
    Field("pole01");
    Script(Wheat("pole01", 2.0f, 0.8f));
    Grow();
    const GrassKind& k = Kind();
    ASSERT_GT(k.dwGrassesDefined, 100u);
    float largest = 0;
    for (uint32_t i = 0; i < k.dwGrassesDefined; ++i) {
        const Plant& p = k.pPlants[i];
        largest = std::max({largest, OffGrid(p.m_vPosition.x, -20, 2.0f), OffGrid(p.m_vPosition.z, -20, 2.0f)});
    }
    EXPECT_LT(largest, 0.4f);
    EXPECT_GT(largest, 0.2f);
}

// Steeper than 60 degrees (a normal whose y is below 0.5) no plant stands.
TEST_F(EPlantMgrPlacement, NoPlantStandsOnGroundSteeperThanSixtyDegrees) {
    const struct {
        float rise;
        bool grows;
    } cases[] = {{0, true}, {20, true}, {34, true}, {35, false}, {60, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rise);
        const std::string model = "m\\slope" + std::to_string(static_cast<int>(c.rise)) + ".x";
        WriteFile(model, test::QuadModel(-10, -10, 10, 10, 0, c.rise, "field.tga"));
        EObjectSlot* slope = Field("stok", DV{}, model.c_str());
        Script(Wheat("stok"));
        Grow();
        EXPECT_EQ(Kind().dwGrassesDefined > 0, c.grows);
        EXPECT_EQ(Kind().m_bHasPlants != 0, c.grows);
        g_Engine.DeleteObject(slope);
    }
}

TEST_F(EPlantMgrPlacement, NoPlantStandsWhereAnotherObjectCoversTheField) {
    Field("pole01");
    WriteFile("m\\cover.x", test::QuadModel(-5, -5, 5, 5, 0, 0, "field.tga"));
    AddMesh("cover", DV{0, 1, 0}, "m\\cover.x");
    Script(Wheat("pole01"));
    Grow();
    const GrassKind& k = Kind();
    ASSERT_GT(k.dwGrassesDefined, 0u);
    for (uint32_t i = 0; i < k.dwGrassesDefined; ++i) {
        const DV& at = k.pPlants[i].m_vPosition;
        EXPECT_FALSE(std::fabs(at.x) < 4.9f && std::fabs(at.z) < 4.9f) << at.x << " " << at.z;
    }
}

TEST_F(EPlantMgrPlacement, AKindWhoseFieldCannotBeUsedStaysEmpty) {
    Field("pole01");
    const struct {
        std::string lines;
        const char* said;
    } cases[] = {
        {Wheat("no_field"), "Nie znaleziono no_field"},
        {Wheat("pole01", 0.0f), "ERROR: EPlantMgr: the grass of pole01 needs a density above 0 and fewer grid points"},
        {Wheat("pole01", 0.01f), "ERROR: EPlantMgr: the grass of pole01 needs a density above 0 and fewer grid points"},
        {"grows zboze.tga\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        Script(c.lines);
        Grow();
        EXPECT_EQ(Kind().dwGrassesDefined, 0u);
        EXPECT_EQ(Kind().pVB, nullptr);
        if (c.said) {
            EXPECT_TRUE(Logged(c.said));
        }
    }
}

TEST_F(EPlantMgrPlacement, AFieldOutsideTheWipeoutIsRejected) {
    Field("pole01");
    EObjectSlot* wipeout = AddMesh("wipeout", DV{500, 0, 500});
    g_Engine.SetObjectScaling(wipeout, DV{10, 10, 10});
    Script(Wheat("pole01"));
    Grow();
    EXPECT_TRUE(Logged("Outside wipeout - rejecting"));
    EXPECT_EQ(Kind().dwGrassesDefined, 0u);
    g_Engine.SetObjectPosition(wipeout, DV{20, 0, 0}, false);
    Grow();
    EXPECT_GT(Kind().dwGrassesDefined, 0u);
}

// A plant is two crossed quads on its foot point: each a bottom edge across the plant and a top
// edge the plant's height above it; the upper half of the texture on the first, the lower on the
// second; swaying only at the top.
TEST_F(EPlantMgrPlacement, APlantIsTwoCrossedQuadsThatSwayAtTheTop) {
    Field("pole01");
    Script(Wheat("pole01"));
    Grow();
    const GrassKind& k = Kind();
    ASSERT_GT(k.dwGrassesDefined, 0u);
    const int tops[] = {2, 3, 5, 8, 9, 11}, bottoms[] = {0, 0, 1, 6, 6, 7};
    const uint8_t texCoords[12] = {0x04, 0x84, 0x00, 0x00, 0x84, 0x80, 0x08, 0x88, 0x04, 0x04, 0x88, 0x84};
    for (uint32_t i = 0; i < k.dwGrassesDefined; i += 37) {
        const Plant& p = k.pPlants[i];
        for (int t = 0; t < 6; ++t) {
            const DV rise = p.m_vVertices[tops[t]] - p.m_vVertices[bottoms[t]];
            EXPECT_NEAR(rise.x, 0.0f, 1e-5f);
            EXPECT_NEAR(rise.z, 0.0f, 1e-5f);
            EXPECT_GE(rise.y, 1.2f * 0.95f - 1e-5f);
            EXPECT_LE(rise.y, 1.2f * 1.05f + 1e-5f);
            EXPECT_EQ(p.m_uAlpha[bottoms[t]], 0);
            EXPECT_EQ(p.m_uAlpha[tops[t]], p.m_uAlpha[tops[t] < 6 ? 2 : 8]);
        }
        for (int v = 0; v < 12; ++v) EXPECT_EQ(p.m_uTexCoords[v], texCoords[v]) << v;
        const DV across0 = p.m_vVertices[1] - p.m_vVertices[0], across1 = p.m_vVertices[7] - p.m_vVertices[6];
        EXPECT_NEAR(pmath::Dot(across0, across1), 0.0f, 1e-4f);
        EXPECT_NEAR(pmath::Length(across0), pmath::Length(across1), 1e-4f);
        EXPECT_GE(pmath::Length(across0), 0.95f - 1e-5f);
        EXPECT_LE(pmath::Length(across0), 1.05f + 1e-5f);
        // The foot lies midway along each bottom edge.
        const DV middle = (p.m_vVertices[0] + p.m_vVertices[1]) * 0.5f;
        EXPECT_LT(pmath::Length(middle - p.m_vPosition), 1e-4f);
    }
}

TEST_F(EPlantMgrPlacement, AKindsBufferHoldsTwelveVerticesOfEachPlant) {
    Field("pole01");
    Script(Wheat("pole01"));
    Grow();
    const GrassKind& k = Kind();
    ASSERT_NE(k.pVB, nullptr);
    EXPECT_EQ(k.m_dwTriangles, 4 * k.dwGrassesDefined);
    EXPECT_EQ(g_PlantMgr.m_dwGrassVertices[0], 12 * k.dwGrassesDefined);
    ASSERT_EQ(k.pVB->Length(), 432 * k.dwGrassesDefined);
    const auto* vertices = reinterpret_cast<const FieldVertex*>(k.pVB->Data());
    for (uint32_t i = 0; i < k.dwGrassesDefined; i += 29)
        for (int v = 0; v < 12; ++v) {
            const Plant& p = k.pPlants[i];
            const FieldVertex& out = vertices[12 * i + v];
            EXPECT_EQ(out.position, p.m_vVertices[v]);
            EXPECT_EQ(out.colour, uint32_t{p.m_uAlpha[v]} << 24);
            EXPECT_EQ(out.normal, p.m_vNormal);
            EXPECT_FLOAT_EQ(out.u, (p.m_uTexCoords[v] >> 4) / 8.0f);
            EXPECT_FLOAT_EQ(out.v, (p.m_uTexCoords[v] & 15) / 8.0f);
        }
    // A crop gets its marks of cut plants.
    EXPECT_NE(k.pScieta, nullptr);
    EXPECT_TRUE(Logged("po Croppable"));
}

// With the grass option off the meadow kinds are not built; crops are, for the field work.
TEST_F(EPlantMgrPlacement, WithoutGrassOnlyTheCropsAreBuilt) {
    Field("pole01");
    Field("laka01", DV{100, 0, 0});
    Script(Wheat("pole01") + "grows trawa.tga\nwidth 1\nheight 0.5\nmesh laka01\n");
    g_Settings.m_bDrawGrass = 0;
    Grow();
    EXPECT_NE(Kind(0).pVB, nullptr);
    EXPECT_GT(Kind(1).dwGrassesDefined, 0u);
    EXPECT_EQ(Kind(1).pVB, nullptr);
    EXPECT_EQ(Kind(1).pScieta, nullptr);
    g_Settings.m_bDrawGrass = 1;
    Grow();
    EXPECT_NE(Kind(1).pVB, nullptr);
}

TEST_F(EPlantMgrPlacement, AWorldsEndReleasesEveryPlantAndBuffer) {
    g_Settings.m_iSystemDebug = 1;
    Field("pole01");
    Script(Wheat("pole01"));
    Grow();
    EXPECT_EQ(TagCount("m_GrasspVB"), 1u);
    g_PlantMgr.Release();
    EXPECT_EQ(g_PlantMgr.m_dwGrass, 0u);
    EXPECT_EQ(Kind().pPlants, nullptr);
    EXPECT_EQ(Kind().pVB, nullptr);
    for (const char* tag : {"m_GrasspVB", "m_GrasspPlants", "pScieta", "LockVB"}) EXPECT_EQ(TagCount(tag), 0u) << tag;
    EXPECT_TRUE(Logged("m_Grass[dw].pVB->Release OK for 0"));
    // The renderer's texture paths outlive the test and are freed after the console at exit;
    // with the registry still counting, that late free would write to a console already gone.
    g_Settings.m_iSystemDebug = 0;
}

}  // namespace
