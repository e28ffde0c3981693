// The effect definition files: their keywords as the reader takes them, a save read back, the
// report of textures used both ways, malformed files reported and skipped, and the blood-drop lists.
#include <gtest/gtest.h>

#include <string>

#include "render/EFXMgr.h"
#include "support/DeviceTest.h"

namespace {

class EFXMgrFilesTest : public test::DeviceTest {
protected:
    EFXDefinition& Loaded(const std::string& file, const std::string& text) {
        WriteFile("afx\\" + file, text);
        g_FXMgr.LoadAll();
        std::string name = file.substr(0, file.size() - 4);
        EFXDefinition* d = g_FXMgr.FindDefinition(name.c_str());
        EXPECT_NE(d, nullptr) << name;
        return d ? *d : g_FXMgr.m_Definitions[0];
    }
};

TEST_F(EFXMgrFilesTest, TheNameIsTheLowerCasedFileNameFoundUnderAnyCase) {
    WriteFile("afx\\Fire.afx", "Type Sprite\nFilename ogien.tga\n");
    WriteFile("afx\\E_Ogien_Duzy.afx", "Type Sprite\n");
    g_FXMgr.LoadAll();
    EFXDefinition* fire = g_FXMgr.FindDefinition("FIRE");
    ASSERT_NE(fire, nullptr);
    EXPECT_STREQ(fire->m_szName, "fire");
    EXPECT_EQ(fire->m_uType, FX_SPRITE);
    EXPECT_STREQ(fire->m_szFileNames[0], "ogien.tga");
    EXPECT_EQ(fire->m_bFireSound, 0);
    ASSERT_NE(g_FXMgr.FindDefinition("e_ogien_duzy"), nullptr);
    EXPECT_EQ(g_FXMgr.FindDefinition("e_ogien_duzy")->m_bFireSound, 1);
}

TEST_F(EFXMgrFilesTest, KeysCountOnlyBelowTheCountReadBeforeThemAndCountsStopAtEight) {
    EFXDefinition& d = Loaded("keys.afx",
                              "Color 0 10 20 30\n"  // before dwColor: ignored
                              "dwColor 2\n"
                              "Color 1 40 50 60\n"
                              "Color 2 70 80 90\n"  // not below the count: ignored
                              "dwAlpha 20\n"        // more than the slots: eight
                              "Alpha 7 99\n"
                              "Alpha 8 98\n"
                              "Alpha_Time 7 0.5\n");
    EXPECT_EQ(d.m_vColors[0], (DV{1, 1, 1}));
    EXPECT_EQ(d.m_vColors[1], (DV{40, 50, 60}));
    EXPECT_EQ(d.m_vColors[2], (DV{1, 1, 1}));
    EXPECT_EQ(d.m_uAlphaCount, 8u);
    EXPECT_FLOAT_EQ(d.m_fAlphas[7], 99.0f);
    EXPECT_FLOAT_EQ(d.m_fAlphaTimes[7], 0.5f);
}

TEST_F(EFXMgrFilesTest, OnlyTrueInAnyCaseSetsAFlag) {
    const struct {
        const char* value;
        uint8_t expected;
    } cases[] = {{"TRUE", 1}, {"true", 1}, {"yes", 0}, {"false", 0}, {"1", 0}};
    for (const auto& c : cases) {
        SetUp();
        EFXDefinition& d = Loaded("flag.afx", std::string("Move true\nMove ") + c.value + "\n");
        EXPECT_EQ(d.m_bMove, c.expected) << c.value;
    }
}

TEST_F(EFXMgrFilesTest, ASavedDefinitionReadsBackTheSame) {
    WriteFile("afx\\child.afx", "Type Spark\n");
    WriteFile("afx\\smoke.afx",
              "Type Sprite\nFilename a.tga\nFilename b.tga\nDistortionNormal n.tga\nScale 2 3 4\nScale_Rand 0.5 0 0\n"
              "Pos 1 2 3\nPos_Rand 0 1 0\nVel 0 5 0\nVel_Rand 1 1 1\ndwColor 2\nColor 0 255 128 0\nColor_Time 0 0\n"
              "Color 1 10 20 30\nColor_Time 1 1\ndwAlpha 1\nAlpha 0 200\nHurt_Player 3\nExplosion_Power 0.5\n"
              "Life_Time 2.5\nLife_Time_Rand 1\nGravity 9.5\nGrow 0.25\nDisappear_Distance 300\nSpinning_Sprite true\n"
              "Spinning_Speed 45\nSpinning_Speed_Rand 10\nAccelerate_After 1\nAccelerate_Coef 2\nAccelerate_For 3\n"
              "debug\nMove true\nAdditive true\nMultiply false\nLight_Sprite true\nUse_Rotation true\n"
              "Flat_Rotation true\nApply_Physics_To_Mesh true\nAnimated_Sprite_Texture true\nAnimated_Sprite_FPS 12\n"
              "After 0.5 child 0.25\nEvery 0.1 child 0\nEvery 1 nobody 2\n");
    g_FXMgr.LoadAll();
    EFXDefinition before = *g_FXMgr.FindDefinition("smoke");
    g_FXMgr.SaveAll();
    g_FXMgr.LoadAll();
    const EFXDefinition& after = *g_FXMgr.FindDefinition("smoke");
    EXPECT_EQ(after.m_uType, before.m_uType);
    EXPECT_EQ(after.m_uFileNameCount, 2u);
    EXPECT_STREQ(after.m_szFileNames[1], "b.tga");
    EXPECT_STREQ(after.m_szDistortionNormal, "n.tga");
    EXPECT_EQ(after.m_vScale, before.m_vScale);
    EXPECT_EQ(after.m_vPosRand, before.m_vPosRand);
    EXPECT_EQ(after.m_vVel, before.m_vVel);
    EXPECT_EQ(after.m_uColorCount, 2u);
    EXPECT_EQ(after.m_vColors[0], before.m_vColors[0]);
    EXPECT_FLOAT_EQ(after.m_fColorTimes[1], 1.0f);
    EXPECT_FLOAT_EQ(after.m_fAlphas[0], 200.0f);
    EXPECT_FLOAT_EQ(after.m_fExplosionPower, 0.5f);
    EXPECT_FLOAT_EQ(after.m_fAccelerateFor, 3.0f);
    EXPECT_FLOAT_EQ(after.m_fAnimatedSpriteFPS, 12.0f);
    for (auto flag : {&EFXDefinition::m_bMove, &EFXDefinition::m_bAdditive, &EFXDefinition::m_bLightSprite,
                      &EFXDefinition::m_bUseRotation, &EFXDefinition::m_bFlatRotation,
                      &EFXDefinition::m_bApplyPhysicsToMesh, &EFXDefinition::m_bAnimatedSpriteTexture,
                      &EFXDefinition::m_bSpinningSprite})
        EXPECT_EQ(after.*flag, 1);
    EXPECT_EQ(after.m_bMultiply, 0);
    // debug is not saved.
    EXPECT_EQ(before.m_bDebug, 1);
    EXPECT_EQ(after.m_bDebug, 0);
    // Children: names, times, and a name that resolves to nothing still counts.
    EXPECT_EQ(after.m_uAfterCount, 1u);
    EXPECT_EQ(after.m_After[0].m_pTarget, g_FXMgr.FindDefinition("child"));
    EXPECT_FLOAT_EQ(after.m_After[0].m_fRandom, 0.25f);
    EXPECT_EQ(after.m_uEveryCount, 2u);
    EXPECT_EQ(after.m_Every[1].m_pTarget, nullptr);
    EXPECT_STREQ(after.m_Every[1].m_szName, "nobody");
}

TEST_F(EFXMgrFilesTest, AKindTheFilesCannotNameReadsBackAsNone) {
    WriteFile("afx\\shell.afx", "Type Sprite\n");
    g_FXMgr.LoadAll();
    g_FXMgr.FindDefinition("shell")->m_uType = FX_BULLETSHELL;
    g_FXMgr.SaveAll();
    g_FXMgr.LoadAll();
    EXPECT_EQ(g_FXMgr.FindDefinition("shell")->m_uType, FX_NONE);
    EXPECT_EQ(ReadLines("afx\\shell.afx").front(), "Type None");
}

// A file that cannot be read as intended is named in the report with the line at fault, and its
// definition is left free, so the others still load.
TEST_F(EFXMgrFilesTest, AMalformedFileIsReportedAndSkipped) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"Type Sprite\nLife_Time abc\n", 2},
        {"Scale 1 2\n", 1},
        {"Color -1 255 255 255\n", 1},
        {"dwColor -3\n", 1},
        {"Vel 1 nan 0\n", 1},
        {"Gravity 1e99\n", 1},
        {"After soon child 0\n", 1},
        {"Type Sprite\nFilename a\0b.tga\n"s, 0},
        {"Every 1 child 0\nPos 0 0 0 \nGrow 2x\n", 3},
    };
    for (const auto& c : cases) {
        SetUp();
        const std::string& text = c.text;
        WriteFile("afx\\bad.afx", text);
        WriteFile("afx\\good.afx", "Type Sprite\nFilename g.tga\n");
        g_FXMgr.LoadAll();
        g_FXMgr.CheckTextureUse();
        EXPECT_EQ(g_FXMgr.FindDefinition("bad"), nullptr) << text;
        EXPECT_NE(g_FXMgr.FindDefinition("good"), nullptr) << text;
        std::vector<std::string> report = ReadLines("!fx_bugs.txt");
        ASSERT_EQ(report.size(), 1u) << text;
        EXPECT_NE(report[0].find("afx\\bad.afx"), std::string::npos) << report[0];
        EXPECT_NE(report[0].find("linia " + std::to_string(c.line) + ":"), std::string::npos) << report[0];
    }
}

TEST_F(EFXMgrFilesTest, ALineLongerThanTheReaderTakesIsReported) {
    WriteFile("afx\\long.afx", "Type Sprite\nFilename " + std::string(300, 'x') + ".tga\n");
    g_FXMgr.LoadAll();
    EXPECT_EQ(g_FXMgr.FindDefinition("long"), nullptr);
    EXPECT_TRUE(Exists("!fx_bugs.txt"));
}

TEST_F(EFXMgrFilesTest, LinesThatNameNoKeywordAreHarmless) {
    EFXDefinition& d = Loaded("notes.afx", "// a comment\n\n   \nColour 1 2 3\nType Sprite\r\nLife_Time\t2\n");
    EXPECT_EQ(d.m_uType, FX_SPRITE);
    EXPECT_FLOAT_EQ(d.m_fLifeTime, 2.0f);
    g_FXMgr.CheckTextureUse();
    EXPECT_FALSE(Exists("!fx_bugs.txt"));
}

TEST_F(EFXMgrFilesTest, ATextureUsedAdditivelyAndNormallyIsReportedPerUse) {
    WriteFile("afx\\a.afx", "Type Sprite\nFilename Glow.tga\nAdditive true\n");
    WriteFile("afx\\b.afx", "Type Sprite\nFilename glow.tga\n");
    WriteFile("afx\\c.afx", "Type Sprite\nFilename glow.tga\nAdditive true\n");
    WriteFile("afx\\d.afx", "Type Mesh\nFilename glow.tga\n");
    g_FXMgr.LoadAll();
    g_FXMgr.CheckTextureUse();
    std::vector<std::string> expected = {"*** tekstura Glow.tga uzyta jako Additive i Normal!", "Jako additive w a",
                                         "Jako normal w b", "*** tekstura glow.tga uzyta jako Additive i Normal!",
                                         "Jako normal w b", "Jako additive w c"};
    EXPECT_EQ(ReadLines("!fx_bugs.txt"), expected);
    // A later load with nothing to report leaves no report behind.
    WriteFile("afx\\b.afx", "Type Sprite\nFilename glow.tga\nAdditive true\n");
    g_FXMgr.LoadAll();
    g_FXMgr.CheckTextureUse();
    EXPECT_FALSE(Exists("!fx_bugs.txt"));
}

TEST_F(EFXMgrFilesTest, NegativeDamageAndExplosionAreKeptAndLogged) {
    EFXDefinition& d = Loaded("bad_power.afx", "Hurt_Player -2\nExplosion_Power -1\n");
    EXPECT_FLOAT_EQ(d.m_fHurtPlayer, -2.0f);
    EXPECT_FLOAT_EQ(d.m_fExplosionPower, -1.0f);
    EXPECT_TRUE(Logged("Ujemny hurt_player dla bad_power"));
    EXPECT_TRUE(Logged("Ujemny explosion_power dla bad_power"));
}

TEST_F(EFXMgrFilesTest, NoMoreThan128DefinitionsAreRead) {
    for (int i = 0; i < EFXMgr::kMaxDefinitions + 1; ++i) WriteFile("afx\\fx" + std::to_string(1000 + i) + ".afx", "");
    g_FXMgr.LoadAll();
    EXPECT_NE(g_FXMgr.FindDefinition("fx1127"), nullptr);
    EXPECT_EQ(g_FXMgr.FindDefinition("fx1128"), nullptr);
    EXPECT_TRUE(Logged("MAX_FXCACHE exceeded!"));
}

TEST_F(EFXMgrFilesTest, BloodDropListsSkipCommentsAndNamesTooLongForTheirSlots) {
    std::string drops = "// drops\n\n  krew1.tga  \n" + std::string(64, 'k') + ".tga\n";
    for (int i = 0; i < 40; ++i) drops += "k" + std::to_string(i) + ".tga\n";
    WriteFile("scripts\\BloodDrops.txt", drops);
    WriteFile("scripts\\BloodDropsOF.txt", "plama.tga\n");
    g_FXMgr.LoadAll();
    EXPECT_EQ(g_FXMgr.m_uBloodDropCount, 32u);
    EXPECT_STREQ(g_FXMgr.m_szBloodDrops[0], "krew1.tga");
    EXPECT_STREQ(g_FXMgr.m_szBloodDrops[1], "k0.tga");
    EXPECT_EQ(g_FXMgr.m_uBloodGroundCount, 1u);
    // Without the drop list the ground list is not read either.
    std::filesystem::remove(Path("scripts\\BloodDrops.txt"));
    g_FXMgr.LoadAll();
    EXPECT_EQ(g_FXMgr.m_uBloodDropCount, 0u);
    EXPECT_EQ(g_FXMgr.m_uBloodGroundCount, 0u);
}

}  // namespace
