// The glyph fonts on the recording device: atlases built on the CPU, the halo, widths and the
// glyphs a text draws.
#include "render/EFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"

namespace {

class EFontTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(CreateDevice());
        g_fScaleY = 1.0f;
        g_TTFonts.CreateFonts();
        g_Font.Create();
        g_Font.CreateVB();
    }
    void TearDown() override {
        g_Font.Release();
        g_TTFonts.ReleaseFonts();
        DeviceTest::TearDown();
    }
    static float Advance(char c, float k) {
        const EFontRecord& f = g_Font.m_Fonts[0];
        auto u = static_cast<uint8_t>(c);
        return std::trunc(static_cast<float>(f.m_uRight[u] - f.m_uLeft[u] + 4) * k - 2 * k);
    }
};

TEST_F(EFontTest, BothFontsAreBuiltWithWhiteOpaqueGlyphsInTheirAtlases) {
    ASSERT_EQ(g_Font.m_uFontCount, 2u);
    const EFontRecord& f = g_Font.m_Fonts[0];
    EXPECT_TRUE(f.m_bBuilt);
    EXPECT_EQ(f.m_uHeight, 640u);
    EXPECT_EQ(f.m_fULeft[0], EFontRecord::kNoGlyph);  // code 0 has no glyph
    // 'A' (65) is row 4, the second code of its row.
    const auto a = static_cast<uint8_t>('A');
    EXPECT_EQ(f.m_uTop[a], 3u + 40 * 4);
    EXPECT_GT(f.m_uRight[a], f.m_uLeft[a]);
    gfx::LockedRect atlas;
    ASSERT_EQ(f.m_pTexture->LockRect(0, atlas, 0), gfx::OK);
    uint32_t opaqueWhite = 0;
    for (uint32_t y = f.m_uTop[a]; y < f.m_uBottom[a]; ++y)
        for (uint32_t x = f.m_uLeft[a]; x < f.m_uRight[a]; ++x)
            opaqueWhite += static_cast<uint32_t*>(atlas.bits)[y * f.m_uWidth + x] == 0xFFFFFFFF;
    f.m_pTexture->UnlockRect(0);
    EXPECT_GT(opaqueWhite, 20u);
}

TEST_F(EFontTest, TheHaloSumsOnlyTheNeighboursInsideTheImage) {
    // A 5 x 5 image of grey 30: a corner sees 9 neighbours, an edge's middle 15, the centre 25.
    std::vector<uint32_t> source(25, 0xFF1E1E1E), atlas(25, 0);
    EFont::AddHalo(reinterpret_cast<const uint8_t*>(source.data()), reinterpret_cast<uint8_t*>(atlas.data()), 5, 5,
                   5 * 4);
    // alpha = 30 + trunc(256 x sqrt((30 n div 9) / 256)) for n neighbours.
    EXPECT_EQ(atlas[0], 117u << 24 | 0x1E1E1E);
    EXPECT_EQ(atlas[2], 143u << 24 | 0x1E1E1E);
    EXPECT_EQ(atlas[12], 175u << 24 | 0x1E1E1E);
}

TEST_F(EFontTest, ASpaceAdvancesTenPixelsPlusTheMargins) {
    for (float size : {32.0f, 20.0f}) {
        const float k = size / 32.0f;
        EXPECT_EQ(g_Font.GetTextWidth("a b", size, 0), Advance('a', k) + std::trunc(14 * k - 2 * k) + Advance('b', k))
            << size;
    }
}

TEST_F(EFontTest, TheLongestTextIsMeasuredOverTheGlyphsItDraws) {
    const std::string longest(300, 'a');
    EText* text = g_Font.BuildText(longest.c_str(), 0, 0, 0xFFFFFFFF, 32, 0, false, false, false);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->m_uCount, 255u);
    // The quads end where the measure says (less the last glyph's right margin).
    float end = 0;
    for (uint32_t i = 0; i < text->m_uCount * 6; ++i) {
        float x = 0;
        std::memcpy(&x, text->m_pVB->Data() + i * EFont::kVertexSize, sizeof x);
        end = std::max(end, x);
    }
    g_Font.FreeText(text);
    EXPECT_EQ(g_Font.GetTextWidth(longest.c_str(), 32, 0), 255 * Advance('a', 1));
    EXPECT_EQ(g_Font.GetTextWidth(longest.c_str(), 32, 0), end - 2);
}

TEST_F(EFontTest, CentreWinsOverRightAndMovesTheTextByHalfItsWidth) {
    const float width = g_Font.GetTextWidth("Field", 32, 0);
    auto firstX = [](EText* text) {
        float x = 0;
        std::memcpy(&x, text->m_pVB->Data(), sizeof x);
        g_Font.FreeText(text);
        return x;
    };
    EXPECT_EQ(firstX(g_Font.BuildText("Field", 400, 0, 0, 32, 0, true, true, false)), 400 - width / 2);
    EXPECT_EQ(firstX(g_Font.BuildText("Field", 400, 0, 0, 32, 0, false, true, false)), 400 - width);
}

TEST_F(EFontTest, AFontThatWasNotBuiltDrawsNothing) {
    gfx::NullBackend().calls.clear();
    g_Font.Print("text", 0, 0, 0xFFFFFFFF, 32, 2, false, false);
    g_Font.Print(nullptr, 0, 0, 0xFFFFFFFF, 32, 0, false, false);
    EXPECT_TRUE(gfx::NullBackend().calls.empty());
    EXPECT_EQ(g_Font.GetTextWidth("text", 32, 2), 0.0f);
    g_Font.Print("text", 0, 0, 0xFFFFFFFF, 32, 0, false, false);
    EXPECT_EQ(gfx::NullBackend().calls, std::vector<std::string>{"DrawPrimitive"});
}

TEST_F(EFontTest, PrintingWithoutTheSharedBufferSaysSoAndDrawsNothing) {
    g_Font.OnLostDevice();
    gfx::NullBackend().calls.clear();
    g_Font.Print("text", 0, 0, 0xFFFFFFFF, 32, 0, false, false);
    EXPECT_TRUE(gfx::NullBackend().calls.empty());
    EXPECT_TRUE(Logged("EFont - !m_pVB!"));
}

}  // namespace
