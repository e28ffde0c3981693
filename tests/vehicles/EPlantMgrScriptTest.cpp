// The grass scripts: the one that names the world is chosen, its kinds and terrain lines read, a
// kind of several fields split into kinds of one, and the table's 64 kinds never exceeded.
#include <gtest/gtest.h>

#include <string>

#include "vehicles/PlantsFixture.h"

namespace {

class EPlantMgrScript : public test::PlantsTest {};

TEST_F(EPlantMgrScript, TheScriptThatNamesTheWorldInAnyCaseIsChosen) {
    WriteFile("scripts\\grass\\a_other.txt", "world worlds\\other.w\ngrows grass.tga\n");
    WriteFile("scripts\\grass\\b_ours.txt", "// the test world\nWORLD Worlds\\TEST.w\ngrows zboze.tga\n");
    WriteFile("scripts\\grass\\c_also.txt", "world worlds\\test.w\ngrows trawa.tga\n");
    g_PlantMgr.LoadGrass();
    EXPECT_STREQ(g_szGrassScriptPath, "scripts\\grass\\b_ours.txt");
    ASSERT_EQ(g_PlantMgr.m_dwGrass, 1u);
    EXPECT_STREQ(g_PlantMgr.m_Grass[0].m_szName, "zboze.tga");
}

TEST_F(EPlantMgrScript, AWorldNoScriptNamesHasNoPlants) {
    WriteFile("scripts\\grass\\other.txt", "world worlds\\other.w\ngrows grass.tga\ntexture grass.tga\n");
    g_PlantMgr.LoadGrass();
    EXPECT_STREQ(g_szGrassScriptPath, "");
    EXPECT_EQ(g_PlantMgr.m_dwGrass, 0u);
    EXPECT_EQ(g_PlantMgr.m_TGrass.m_dwTextures, 0u);
    g_PlantMgr.CreateGrass();
    EXPECT_FALSE(Logged("Przeliczam trawe #0"));
}

TEST_F(EPlantMgrScript, EachKeywordSetsItsFieldOfTheKindOpenedLast) {
    Script("width 9\nmesh before_any\ntexture grass.tga\nteren ground\n"
           "grows zboze.tga\ncrop\nwidth 1.5\nheight 0.8\ndensity 2\nrandom_seed 0.7\nrandom 3\nmesh pole01\n"
           "grows trawa.tga\nwidth x\nmesh laka01\nteren ground2\n");
    g_PlantMgr.LoadGrass();
    ASSERT_EQ(g_PlantMgr.m_dwGrass, 2u);
    const GrassKind& wheat = g_PlantMgr.m_Grass[0];
    EXPECT_TRUE(wheat.m_bCrop);
    EXPECT_FLOAT_EQ(wheat.m_fWidth, 1.5f);
    EXPECT_FLOAT_EQ(wheat.m_fHeight, 0.8f);
    EXPECT_FLOAT_EQ(wheat.m_fDensity, 2.0f);
    EXPECT_FLOAT_EQ(wheat.m_fRandomSeed, 0.7f);
    EXPECT_FLOAT_EQ(wheat.m_fRandom, 3.0f);
    ASSERT_EQ(wheat.m_dwMeshes, 1u);
    EXPECT_STREQ(wheat.m_szMeshes[0], "pole01");
    EXPECT_NE(wheat.m_uTexture, 0u);
    const GrassKind& meadow = g_PlantMgr.m_Grass[1];
    EXPECT_FALSE(meadow.m_bCrop);
    // A value without a number reads as 0; the defaults stand where no line says otherwise.
    EXPECT_FLOAT_EQ(meadow.m_fWidth, 0.0f);
    EXPECT_FLOAT_EQ(meadow.m_fDensity, 1.0f);
    EXPECT_FLOAT_EQ(meadow.m_fRandom, 1.0f);
    EXPECT_STREQ(g_PlantMgr.m_TGrass.m_szTeren, "ground2");
    ASSERT_EQ(g_PlantMgr.m_TGrass.m_dwTextures, 1u);
    EXPECT_STREQ(g_PlantMgr.m_TGrass.m_szTextures[0], "grass.tga");
}

TEST_F(EPlantMgrScript, AKindOfThreeFieldsBecomesThreeKindsInTheOrderFirstThirdSecond) {
    Script("grows zboze.tga\ncrop\nwidth 1.5\nmesh m0\nmesh m1\nmesh m2\ngrows trawa.tga\nmesh n0\n");
    g_PlantMgr.LoadGrass();
    ASSERT_EQ(g_PlantMgr.m_dwGrass, 4u);
    const char* expected[][2] = {{"zboze.tga", "m0"}, {"trawa.tga", "n0"}, {"zboze.tga", "m2"}, {"zboze.tga", "m1"}};
    for (uint32_t i = 0; i < 4; ++i) {
        const GrassKind& k = g_PlantMgr.m_Grass[i];
        EXPECT_STREQ(k.m_szName, expected[i][0]) << i;
        ASSERT_EQ(k.m_dwMeshes, 1u) << i;
        EXPECT_STREQ(k.m_szMeshes[0], expected[i][1]) << i;
    }
    // The split kinds keep what the kind had.
    EXPECT_TRUE(g_PlantMgr.m_Grass[3].m_bCrop);
    EXPECT_FLOAT_EQ(g_PlantMgr.m_Grass[3].m_fWidth, 1.5f);
    EXPECT_EQ(g_PlantMgr.m_Grass[3].m_uTexture, g_PlantMgr.m_Grass[0].m_uTexture);
}

TEST_F(EPlantMgrScript, TheSixtyFifthKindIsRefusedAndItsLinesGoNowhere) {
    std::string lines;
    for (int i = 0; i < 64; ++i) lines += "grows zboze.tga\nwidth 1\nmesh f" + std::to_string(i) + "\n";
    lines += "grows trawa.tga\nwidth 7\nmesh late\n";
    Script(lines);
    g_PlantMgr.LoadGrass();
    EXPECT_EQ(g_PlantMgr.m_dwGrass, 64u);
    EXPECT_TRUE(Logged("ERROR: MAX_GRASS exceeded, no room for the grass kind trawa.tga"));
    EXPECT_STREQ(g_PlantMgr.m_Grass[63].m_szMeshes[0], "f63");
    EXPECT_EQ(g_PlantMgr.m_Grass[63].m_dwMeshes, 1u);
    EXPECT_FLOAT_EQ(g_PlantMgr.m_Grass[63].m_fWidth, 1.0f);
}

TEST_F(EPlantMgrScript, SplittingStopsAtSixtyFourKinds) {
    std::string lines;
    for (int i = 0; i < 62; ++i) lines += "grows zboze.tga\nmesh f" + std::to_string(i) + "\n";
    lines += "grows trawa.tga\nmesh a\nmesh b\nmesh c\nmesh d\n";
    Script(lines);
    g_PlantMgr.LoadGrass();
    EXPECT_EQ(g_PlantMgr.m_dwGrass, 64u);
    EXPECT_TRUE(Logged("FATAL: Przy rozpakowywaniu meshy trawy przekroczono MAX_GRASS!"));
    // The kind keeps the names that found no room.
    EXPECT_EQ(g_PlantMgr.m_Grass[62].m_dwMeshes, 3u);
}

TEST_F(EPlantMgrScript, AtMostFifteenFieldsAKindAndFifteenTerrainTextures) {
    std::string lines = "grows zboze.tga\n";
    for (int i = 0; i < 17; ++i) lines += "mesh f" + std::to_string(i) + "\ntexture t" + std::to_string(i) + ".tga\n";
    Script(lines);
    g_PlantMgr.LoadGrass();
    EXPECT_EQ(g_PlantMgr.m_TGrass.m_dwTextures, 15u);
    EXPECT_EQ(g_PlantMgr.m_dwGrass, 15u);
}

TEST_F(EPlantMgrScript, AKindWhoseTextureIsMissingIsSaidAndKept) {
    Script("grows no_such.tga\nmesh pole01\n");
    g_PlantMgr.LoadGrass();
    ASSERT_EQ(g_PlantMgr.m_dwGrass, 1u);
    EXPECT_EQ(g_PlantMgr.m_Grass[0].m_uTexture, 0u);
    EXPECT_TRUE(Logged("ERROR: EPlantMgr: no texture no_such.tga for the grass kind"));
}

}  // namespace
