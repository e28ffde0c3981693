// Fences along roads: a road in a cutting gets a fence on each side at the foot of its banks,
// piece after piece, each stretched over the distance its end advanced.
#include "world/EFenceGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "world/CollisionFixture.h"
#include "world/WorldFixture.h"

namespace {

using test::WorldTest;

// A road of 20 units along +z from the origin, in a cutting whose banks stand 10 units to each
// side of it.
class FenceGenerator : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        test::InstallCollisionHooks();
        test::ResetGlobal(g_FenceGenerator);
        WriteFile("m\\ground.x", test::SolidQuad({-50, 0, -50}, {-50, 0, 50}, {50, 0, 50}, {50, 0, -50}));
        WriteFile("m\\bank.x", test::SolidQuad({0, -5, -50}, {0, 10, -50}, {0, 10, 50}, {0, -5, 50}));
        // A fence piece 2 long and 1 high, centred on its origin.
        const std::string piece = test::SolidQuad({0, -0.5f, -1}, {0, 0.5f, -1}, {0, 0.5f, 1}, {0, -0.5f, 1});
        for (int i = 1; i <= 8; ++i) WriteFile("prefabs\\plotki\\plot0" + std::to_string(i) + ".x", piece);
        AddMesh("teren", DV{}, "m\\ground.x");
        AddMesh("bank_right", DV{10, 0, 0}, "m\\bank.x");
        AddMesh("bank_left", DV{-10, 0, 0}, "m\\bank.x");
    }
    void TearDown() override {
        WorldTest::TearDown();
        test::RemoveCollisionHooks();
        test::ResetGlobal(g_FenceGenerator);
    }

    static void Road(double length) {
        const std::string end = std::to_string(length);
        g_BezierMgr.ReadPaths(test::Text({"bezier_node droga", "nr 1", "pos 0 0 0", "ksztalt1 0 0 " + std::to_string(length / 3),
                                           "ksztalt2 0 0 " + std::to_string(2 * length / 3), "road_beginning 1",
                                           "next_in_path_nr 2", "bezier_node droga_koniec", "nr 2", "pos 0 0 " + end,
                                           "next_in_path_nr -1"}));
    }

    // The generated fences on the side of the road where x has the sign, ordered along it.
    static std::vector<EObjectSlot*> Fences(float sign) {
        std::vector<EObjectSlot*> fences;
        for (EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed && std::string(o.m_szName).rfind("Plot_", 0) == 0 && o.m_vPosition.x * sign > 0)
                fences.push_back(&o);
        std::ranges::sort(fences, {}, [](EObjectSlot* o) { return o->m_vPosition.z; });
        return fences;
    }
    static int AllFences() {
        return static_cast<int>(std::ranges::count_if(g_Engine.m_Objects, [](const EObjectSlot& o) {
            return o.m_bUsed && std::string(o.m_szName).rfind("Plot_", 0) == 0;
        }));
    }
};

// Pieces 2 long are laid each time the foot of the bank has advanced 2 units (the first step at
// which it passed 0.8 of their length), from 0.5 along the road until the road ends.
TEST_F(FenceGenerator, FencesLineBothSidesAtTheFootOfTheBanksPieceAfterPiece) {
    Road(20);
    g_FenceGenerator.OnStartWorld();
    g_FenceGenerator.Generate();
    EXPECT_TRUE(Logged("GenerujPlotkiBeziera"));
    EXPECT_TRUE(Logged("Nazwa Beziera: \"droga\""));
    for (float sign : {1.0f, -1.0f}) {
        SCOPED_TRACE(sign > 0 ? "right" : "left");
        std::vector<EObjectSlot*> fences = Fences(sign);
        ASSERT_EQ(fences.size(), 9u);
        for (size_t i = 0; i < fences.size(); ++i) {
            const EObjectSlot* f = fences[i];
            EXPECT_NEAR(f->m_vPosition.z, 1.5f + 2.0f * i, 1e-3f);
            EXPECT_NEAR(f->m_vPosition.x, sign * 9.875f, 1e-3f);
            EXPECT_NEAR(f->m_vPosition.y, 0.5f, 1e-3f);
            EXPECT_NEAR(f->m_vScale.z, 1.0f, 1e-3f);
            EXPECT_EQ(f->m_bSpawned, 1);
            EXPECT_EQ(f->m_iViewDistance, 120);
            EXPECT_EQ(f->m_uFlags, 129u);
            // The left pieces are turned round to face the road like the right ones.
            EXPECT_NEAR(f->m_Orientation.m_Front.z, sign, 1e-3f);
        }
    }
    g_FenceGenerator.Generate();  // a second run replaces the first set
    EXPECT_EQ(AllFences(), 18);
}

// A definition standing by the road chooses the meshes: its left list, and no list on the right
// (which switches the right side off).
TEST_F(FenceGenerator, ADefinitionByTheRoadChoosesItsPrefabsAndAnEmptyListLeavesASideBare) {
    WriteFile("prefabs\\plotki\\long.x", test::SolidQuad({0, -1, -2}, {0, 1, -2}, {0, 1, 2}, {0, -1, 2}));
    Road(20);
    EObjectSlot* definition = AddMesh("plotki", DV{0, 0, 10});
    definition->m_fRadius = 50;
    strPlotek plotek;
    plotek.m_bLeft = plotek.m_bRight = 1;
    std::strcpy(plotek.m_szLeft[3], "prefabs\\plotki\\long.x");
    g_Engine.SetPlotek(definition, &plotek);
    g_FenceGenerator.OnStartWorld();
    g_FenceGenerator.Generate();
    EXPECT_TRUE(Fences(1).empty());
    // 4 long: laid when the foot advanced 3.5 (at least 3.2), stretched over it.
    std::vector<EObjectSlot*> left = Fences(-1);
    ASSERT_EQ(left.size(), 5u);
    EXPECT_NEAR(left[0]->m_vPosition.z, 0.5f + 3.5f / 2, 1e-3f);
    EXPECT_NEAR(left[0]->m_vScale.z, 3.5f / 4, 1e-3f);
    EXPECT_NEAR(left[0]->m_vPosition.y, 1.0f, 1e-3f);
    EXPECT_NEAR(left[1]->m_vPosition.z - left[0]->m_vPosition.z, 3.5f, 1e-3f);
    EXPECT_STREQ(left[0]->m_szFileName, "prefabs\\plotki\\long.x");
}

TEST_F(FenceGenerator, ARoadTooShortOrWithoutANameGetsNoFences) {
    g_BezierMgr.ReadPaths(test::Text({"bezier_node", "nr 1", "pos 0 0 0", "road_beginning 1", "next_in_path_nr 2",
                                      "bezier_node", "nr 2", "pos 0 0 10", "next_in_path_nr -1", "bezier_node stub",
                                      "nr 3", "pos 5 0 0", "ksztalt1 5 0 0.3", "ksztalt2 5 0 0.5", "road_beginning 1", "next_in_path_nr 4", "bezier_node",
                                      "nr 4", "pos 5 0 0.8", "next_in_path_nr -1"}));
    g_FenceGenerator.OnStartWorld();
    g_FenceGenerator.Generate();
    EXPECT_TRUE(Logged("Error! Bezier node RoadGenerator MUSI miec unikalna nazwe!"));
    EXPECT_TRUE(Logged("Brak beziera"));
    EXPECT_EQ(AllFences(), 0);
}

}  // namespace
