// The texture registry, the definition scripts and the substitute script.
#include <gtest/gtest.h>

#include <string>

#include "core/EDebug.h"
#include "core/ESettings.h"
#include "render/ERenderer.h"
#include "support/DeviceTest.h"

namespace {

class ERendererRegistryTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_Renderer);
    }
    void TearDown() override {
        test::ResetGlobal(g_Renderer);
        DeviceTest::TearDown();
    }
    // Registers the files and reads "scripts\textures.txt" with the given text.
    void Define(std::initializer_list<const char*> files, const std::string& script) {
        for (const char* f : files) WriteFile(f, "x");
        WriteFile("scripts\\textures.txt", script);
        g_Renderer.InitTextures();
    }
    strtexturepaths* Find(const char* name) { return g_Renderer.FindTextureDescription(name); }
};

TEST_F(ERendererRegistryTest, ATgaNameFindsItsDdsTwinInEitherRegistrationOrder) {
    for (bool ddsFirst : {true, false}) {
        SetUp();
        if (ddsFirst) {
            g_Renderer.AddTexturePath(".\\a\\rock.dds");
            g_Renderer.AddTexturePath(".\\b\\rock.tga");
        } else {
            g_Renderer.AddTexturePath(".\\b\\rock.tga");
            g_Renderer.AddTexturePath(".\\a\\rock.dds");
        }
        g_Renderer.ResolveTextureAliases();
        ASSERT_NE(Find("rock.tga"), nullptr);
        EXPECT_STREQ(Find("rock.tga")->m_szPath, ".\\a\\rock.dds") << ddsFirst;
        EXPECT_EQ(Find("ROCK.dds"), Find("rock.tga"));
        TearDown();
    }
}

TEST_F(ERendererRegistryTest, TheLastRegisteredOfTwoEqualNamesAnswers) {
    Define({"one\\grass.tga", "two\\grass.tga"}, "");
    ASSERT_NE(Find("grass.tga"), nullptr);
    EXPECT_STREQ(Find("grass.tga")->m_szPath, ".\\two\\grass.tga");
    EXPECT_EQ(Find("grass.dds"), Find("grass.tga"));
    EXPECT_EQ(Find("x.png"), nullptr);
}

TEST_F(ERendererRegistryTest, OnlyTgaAndDdsFilesAreRegisteredAndABadNameStopsTheProgram) {
    Define({"t\\x.png", "t\\ok.TGA", "my textures\\x.tga"}, "");
    EXPECT_EQ(Find("x.png"), nullptr);
    EXPECT_NE(Find("ok.tga"), nullptr);
    EXPECT_TRUE(test::g_FakeEngine.quitRequested);
    EXPECT_NE(test::g_FakeEngine.quitReason.find("texture file name \".\\my textures\\x.tga\""), std::string::npos)
        << test::g_FakeEngine.quitReason;
    EXPECT_EQ(ReadFile("!error.txt"), ".\\my textures\\x.tga\n");
}

TEST_F(ERendererRegistryTest, DefinitionKeysSetTheirFieldsOnly) {
    Define({"t\\lake.tga", "t\\wall.tga", "t\\misc.dds"},
           "water_height 99\n"  // before any texture line: ignored
           "texture lake.tga\n"
           "water\n"
           "normal_density 2.5\n"
           "water_color 255 0 51\n"
           "specular 2\n"
           "add_water_param 3\n"
           "add_water_height 4\n"
           "texture wall.tga\n"
           "normal wall_n.tga\n"
           "add_water_height 4\n"
           "add_water_param 3\n"
           "metal\n"
           "texture misc.dds\n"
           "transparent");  // the last line has no line feed
    const strtexturepaths* lake = Find("lake.tga");
    EXPECT_EQ(lake->m_bWater, 1);
    EXPECT_EQ(lake->m_uMaterial, uint32_t{MATERIAL_WATER});
    EXPECT_FLOAT_EQ(lake->m_fWaterHeight, 16.0f);
    EXPECT_FLOAT_EQ(lake->m_fNormalDensity, 2.5f);
    EXPECT_STREQ(lake->m_szNormal, "");
    EXPECT_FLOAT_EQ(lake->m_fWaterColour[2], 0.2f);
    EXPECT_EQ(lake->m_bSpecular, 1);
    EXPECT_FLOAT_EQ(lake->m_fSpecular1, 2.0f);
    EXPECT_FLOAT_EQ(lake->m_fSpecular2, 24.0f);
    EXPECT_FLOAT_EQ(lake->m_fAddWaterHeight, 4.0f);
    const strtexturepaths* wall = Find("wall.tga");
    EXPECT_STREQ(wall->m_szNormal, "wall_n.tga");
    EXPECT_FLOAT_EQ(wall->m_fAddWaterHeight, 3.0f);
    EXPECT_EQ(wall->m_uMaterial, uint32_t{MATERIAL_METAL});
    EXPECT_EQ(Find("misc.dds")->m_bTransparent, 1);
}

TEST_F(ERendererRegistryTest, WaterColourReadsWholeNumbersOutOf255) {
    Define({"t\\pond.tga"}, "texture pond.tga\nwater_color 127.9 51 x\n");
    const float* colour = Find("pond.tga")->m_fWaterColour;
    EXPECT_FLOAT_EQ(colour[0], 127.0f / 255.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.2f);
    EXPECT_FLOAT_EQ(colour[2], 0.0f);
}

TEST_F(ERendererRegistryTest, AnimationFramesStopAt127) {
    std::string script = "texture fire.tga\n";
    for (int i = 0; i < 130; ++i) script += "animation_frame f" + std::to_string(i) + ".tga\n";
    Define({"t\\fire.tga"}, script);
    const strtexturepaths* fire = Find("fire.tga");
    EXPECT_EQ(fire->m_uFrameCount, 127u);
    EXPECT_STREQ(fire->m_pAnimationFrames[126], "f126.tga");
}

TEST_F(ERendererRegistryTest, AScriptNamingAMissingTextureIsReportedSkippedAndKept) {
    const std::string script =
        "texture gone.tga\n"
        "transparent\n"
        "texture here.tga\n"
        "translucent\n";
    Define({"t\\here.tga"}, script);
    EXPECT_TRUE(Logged("gone.tga - tekstury nie ma, a jest opis!")) << ConsoleLog();
    EXPECT_EQ(ReadFile("scripts\\textures.txt"), script);
    EXPECT_EQ(Find("here.tga")->m_bTranslucent, 1);
    EXPECT_EQ(Find("here.tga")->m_bTransparent, 0);
}

TEST_F(ERendererRegistryTest, ASecondDefinitionIsReportedAndAddsToTheFirst) {
    WriteFile("scripts\\textures\\more.txt", "texture road.tga\nstain\n");
    Define({"t\\road.tga"}, "texture road.tga\nadditive\n");
    EXPECT_TRUE(Logged("road.tga - Kolejny wpis (scripts\\textures\\more.txt)")) << ConsoleLog();
    EXPECT_EQ(Find("road.tga")->m_bAdditive, 1);
    EXPECT_EQ(Find("road.tga")->m_bStain, 1);
}

TEST_F(ERendererRegistryTest, SubstitutesHoldAtMost31Names) {
    std::string script = "texture coat.tga\n";
    for (int i = 0; i < 33; ++i) script += "substitute coat" + std::to_string(i) + ".tga\n";
    script += "texture hat.dds\nsubstitute cap.dds";
    WriteFile("scripts\\texture_substitutes.txt", script);
    g_Renderer.LoadTextureSubstitutes();
    const strtexturesubstitutes* coat = g_Renderer.FindTextureSubstitutes("COAT.tga");
    ASSERT_NE(coat, nullptr);
    EXPECT_EQ(coat->m_uCount, 31u);
    EXPECT_STREQ(coat->m_szSubstitutes[30], "coat30.tga");
    const strtexturesubstitutes* hat = g_Renderer.FindTextureSubstitutes("hat.xyz");
    ASSERT_NE(hat, nullptr);
    EXPECT_STREQ(hat->m_szSubstitutes[0], "cap.dds");
    EXPECT_EQ(g_Renderer.FindTextureSubstitutes("hat"), nullptr);
}

TEST_F(ERendererRegistryTest, ReportsListUndefinedAndDuplicatedTextures) {
    Define({"a\\rock.tga", "b\\rock.dds", "c\\sand.tga"}, "texture sand.tga\n");
    g_Settings.m_bRaportUndefinedTextures = 1;
    g_Settings.m_bRaportDoubleTextures = 1;
    g_Renderer.WriteUndefinedTexturesReport();
    g_Renderer.WriteDuplicatedTexturesReport();
    EXPECT_EQ(ReadLines("UndefinedTextures.txt"),
              (std::vector<std::string>{"Textures not defined in scripts:", " ", ".\\b\\rock.dds", ".\\a\\rock.tga"}));
    EXPECT_EQ(ReadLines("DoubleTextures.txt"),
              (std::vector<std::string>{"Duplicated textures:", " ", " ", "0: Found duplicated texture:",
                                        ".\\b\\rock.dds", ".\\a\\rock.tga"}));
    EXPECT_EQ(g_Settings.m_bRaportUndefinedTextures, 0);
    EXPECT_EQ(g_Settings.m_bRaportDoubleTextures, 0);
}

}  // namespace
