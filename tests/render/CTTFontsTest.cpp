// The TrueType fonts: the font lists, the files installed for the run, the slots made on the
// device and the stand-in face.
#include "render/CTTFonts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/gfx/FontFiles.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"

namespace {

constexpr const char* kBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class CTTFontsTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_TTFonts);
        ASSERT_TRUE(CreateDevice());
    }
    void TearDown() override {
        g_TTFonts.RemoveFontResources();
        test::ResetGlobal(g_TTFonts);
        DeviceTest::TearDown();
    }
};

TEST_F(CTTFontsTest, SlotsTwoAndThreeFollowTheScreenHeight) {
    for (auto [scaleY, two, three] : {std::tuple{1.0f, 18, 24}, std::tuple{1200.0f / 768.0f, 28, 37}}) {
        g_fScaleY = scaleY;
        g_TTFonts.CreateFonts();
        EXPECT_EQ(g_TTFonts.m_pFonts[0]->Height(), 24);
        EXPECT_EQ(g_TTFonts.m_pFonts[1]->Height(), 32);
        EXPECT_EQ(g_TTFonts.m_pFonts[2]->Height(), two);
        EXPECT_EQ(g_TTFonts.m_pFonts[3]->Height(), three);
        EXPECT_EQ(g_TTFonts.m_pFonts[4], nullptr);
        EXPECT_EQ(g_TTFonts.m_pCurrentFont, g_TTFonts.m_pFonts[0].get());
        g_TTFonts.ReleaseFonts();
    }
}

TEST_F(CTTFontsTest, MissingListsAreReportedAndAMissingFaceIsDrawnByTheStandIn) {
    g_TTFonts.AddFontResources();
    EXPECT_TRUE(Logged("font names can't be read!"));
    EXPECT_TRUE(Logged("font faces can't be read!"));
    g_TTFonts.CreateFonts();
    ASSERT_NE(g_TTFonts.m_pFonts[1], nullptr);
    EXPECT_EQ(g_TTFonts.m_pFonts[1]->Family(), gfx::kStandInFace);
    EXPECT_TRUE(Logged("TTFont[0]: face \"Tahoma\" is not installed, \"DejaVu Sans\" stands in"));
    EXPECT_TRUE(Logged("TTFont[1]: face \"\" is not installed, \"DejaVu Sans\" stands in"));
}

TEST_F(CTTFontsTest, TheGamesFontFilesLendTheirFacesForTheRunOnly) {
    // A face the machine lacks, named by the game's own file: a copy of a bold face under the
    // game's folder, as the lists name it.
    std::filesystem::create_directories(Path("misc\\fonts"));
    std::filesystem::copy_file(kBold, Path("misc\\fonts\\farm.ttf"));
    WriteFile("misc\\fonts\\names.txt", "misc\\fonts\\farm.ttf\n");
    WriteFile("misc\\fonts\\faces.txt", "Tahoma\nDejaVu Sans\n");
    g_TTFonts.AddFontResources();
    EXPECT_STREQ(g_TTFonts.m_szFontFiles[0], "misc\\fonts\\farm.ttf");
    EXPECT_STREQ(g_TTFonts.m_szFontFiles[1], "");  // a one-line list installs an empty path too
    EXPECT_STREQ(g_TTFonts.m_szFaceNames[1], "DejaVu Sans");
    gfx::FaceFile face;
    ASSERT_TRUE(gfx::FindFace("dejavu sans", 0, face));
    EXPECT_EQ(std::filesystem::path(face.path), std::filesystem::canonical(Path("misc\\fonts\\farm.ttf")));
    g_TTFonts.CreateFonts();
    EXPECT_FALSE(g_TTFonts.m_pFonts[1]->StandIn());
    g_TTFonts.RemoveFontResources();
    ASSERT_TRUE(gfx::FindFace("DejaVu Sans", 0, face));
    EXPECT_NE(std::filesystem::path(face.path), std::filesystem::canonical(Path("misc\\fonts\\farm.ttf")));
}

TEST_F(CTTFontsTest, NothingIsDrawnOrMeasuredWithoutACurrentFont) {
    EXPECT_EQ(g_TTFonts.MeasureText("abc"), 0);
    g_TTFonts.CreateFonts();
    EXPECT_GT(g_TTFonts.MeasureText("abc"), 10);
    EXPECT_EQ(g_TTFonts.MeasureText(nullptr), 0);
    g_TTFonts.SelectFont(5);
    EXPECT_EQ(g_TTFonts.MeasureText("abc"), 0);
    gfx::NullBackend().calls.clear();
    g_TTFonts.DrawText("abc", 10, 10, 0xFFFFFFFF, true, false);
    EXPECT_TRUE(gfx::NullBackend().calls.empty());
}

}  // namespace
