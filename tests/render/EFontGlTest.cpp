// Text on a real GL device: ink lies where the measured widths say, and nowhere beyond.
#include <gtest/gtest.h>

#include <cmath>

#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "render/EFont.h"
#include "support/RenderGlTest.h"

namespace {

class EFontGlTest : public test::RenderGlTest {
protected:
    void SetUp() override {
        RenderGlTest::SetUp();
        ASSERT_TRUE(CreateGlDevice(512, 384));
        // No font lists: every slot is drawn by the stand-in face.
        g_TTFonts.CreateFonts();
        g_Font.Create();
        g_Font.CreateVB();
    }
    void TearDown() override {
        g_Font.Release();
        g_TTFonts.ReleaseFonts();
        RenderGlTest::TearDown();
    }
};

TEST_F(EFontGlTest, AGlyphTextHasInkUpToItsMeasuredWidthAndNoneBeyond) {
    const char* text = "Furrow Cup";
    const float x = 40, y = 100, size = 40;
    const float width = g_Font.GetTextWidth(text, size, 0);
    ASSERT_GT(width, 60.0f);
    BeginFrame();
    g_Font.Begin();
    g_Font.Print(text, x, y, 0xFFFFFFFF, size, 0, false, false);
    g_Font.Flush();
    EndFrame();
    const auto end = static_cast<uint32_t>(x + width);
    const uint32_t top = static_cast<uint32_t>(y), bottom = static_cast<uint32_t>(y + 60);
    EXPECT_TRUE(InkIn(static_cast<uint32_t>(x), top, static_cast<uint32_t>(x) + 10, bottom, 0xFF000000));
    EXPECT_TRUE(InkIn(end - 8, top, end + 1, bottom, 0xFF000000));  // the last glyph reaches the end
    EXPECT_FALSE(InkIn(end + 1, 0, 512, 384, 0xFF000000));
    EXPECT_FALSE(InkIn(0, 0, static_cast<uint32_t>(x), 384, 0xFF000000));
}

TEST_F(EFontGlTest, CentredAndRightAlignedTextsEndWhereTheirWidthPutsThem) {
    const char* text = "Harvest";
    const float x = 256, y = 150, size = 32;
    const float width = g_Font.GetTextWidth(text, size, 1);
    for (bool centre : {true, false}) {
        BeginFrame();
        g_Font.Begin();
        g_Font.Print(text, x, y, 0xFFFFFFFF, size, 1, centre, !centre);
        g_Font.Flush();
        EndFrame();
        const float left = centre ? x - width / 2 : x - width;
        EXPECT_FALSE(InkIn(static_cast<uint32_t>(left + width) + 1, 0, 512, 384, 0xFF000000)) << centre;
        EXPECT_FALSE(InkIn(0, 0, static_cast<uint32_t>(left), 384, 0xFF000000)) << centre;
        EXPECT_TRUE(InkIn(static_cast<uint32_t>(left), 0, static_cast<uint32_t>(left + width) + 1, 384, 0xFF000000));
    }
}

TEST_F(EFontGlTest, ATrueTypeTextAlignedRightEndsAtTheScaledPosition) {
    g_TTFonts.SelectFont(0);
    const float x = 600, y = 300;  // layout units: pixel (300, 150) here
    BeginFrame();
    g_TTFonts.DrawText("abc", x, y, 0xFFFFFFFF, false, true);
    EndFrame();
    EXPECT_TRUE(InkIn(290, 150, 300, 174, 0xFF000000));
    EXPECT_FALSE(InkIn(300, 0, 512, 384, 0xFF000000));
}

TEST_F(EFontGlTest, TextDrawsAgainAfterADeviceResetWithoutRebuildingTheAtlases) {
    const gfx::Texture* atlas = g_Font.m_Fonts[0].m_pTexture.get();
    g_Font.OnLostDevice();
    g_TTFonts.OnLostDevice();
    ASSERT_EQ(g_pd3dDevice->Reset(g_d3dpp), gfx::OK);
    g_Font.OnResetDevice();
    g_TTFonts.OnResetDevice();
    EXPECT_EQ(g_Font.m_Fonts[0].m_pTexture.get(), atlas);
    BeginFrame();
    g_Font.Begin();
    g_Font.Print("Reset", 20, 20, 0xFFFFFFFF, 32, 0, false, false);
    g_Font.Flush();
    g_TTFonts.SelectFont(0);
    g_TTFonts.DrawTextUnscaled("Reset", 20, 200, 0xFFFFFFFF, false, false);
    EndFrame();
    EXPECT_TRUE(InkIn(20, 20, 120, 60, 0xFF000000));
    EXPECT_TRUE(InkIn(20, 200, 120, 230, 0xFF000000));
}

}  // namespace
