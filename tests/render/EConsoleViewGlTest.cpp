// The console and the loading screen's bar on a real GL device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/EConsole.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "render/EConsoleView.h"
#include "render/EFont.h"
#include "support/RenderGlTest.h"

namespace {

constexpr uint32_t kWidth = 512, kHeight = 384;  // half the layout: rows of 21 units are 10.5 pixels

class EConsoleViewGlTest : public test::RenderGlTest {
protected:
    void SetUp() override {
        RenderGlTest::SetUp();
        ASSERT_TRUE(CreateGlDevice(kWidth, kHeight));
        AddTexture("czarne.tga", 0xFF000000);
        AddTexture("hud_loading.tga", 0xFF000000);
        AddTexture("hud_progress_bar.tga", 0x00FFFFFF);
        g_TTFonts.CreateFonts();
        std::memset(g_Console.m_szOutput, 0, sizeof g_Console.m_szOutput);  // the fonts' report
        g_Console.InstallView(&g_ConsoleView);
        g_Console.CreateConsoleBar();
    }
    void TearDown() override {
        g_ConsoleView.ReleaseBar();
        g_ConsoleView.ReleaseProgressBar();
        g_ConsoleView.ReleaseTextBox();
        g_TTFonts.ReleaseFonts();
        RenderGlTest::TearDown();
    }
    void DrawConsole() {
        BeginFrame();
        g_ConsoleView.DrawConsole(g_Console);
        EndFrame();
    }
    // Ink of the text row that starts at this layout row.
    bool InkInRow(int row, uint32_t right = kWidth) const {
        auto top = static_cast<uint32_t>(21 * row * 0.5f);
        return InkIn(0, top + 2, right, top + 9, 0xFF000000);
    }
};

TEST_F(EConsoleViewGlTest, TheNewestLineShowsOnTheOpenConsolesLastRowAndOnTheClosedConsolesTopRows) {
    g_Console.Print("older line");
    g_Console.Print("THE NEWEST LINE");
    g_Console.m_bOpen = 1;
    DrawConsole();
    EXPECT_TRUE(InkInRow(15));   // the 16th row, above the input line
    EXPECT_TRUE(InkInRow(14));
    EXPECT_FALSE(InkInRow(13, kWidth / 2));  // no older lines were printed
    // Green text on the console's dark background.
    uint32_t brightest = 0;
    for (uint32_t x = 0; x < 200; ++x) brightest = std::max(brightest, (PixelAt(x, 161) >> 8) & 0xFF);
    EXPECT_GT(brightest, 0x60u);

    g_Console.m_bOpen = 0;
    g_Console.m_iNumConsoleLines = 1;
    DrawConsole();
    EXPECT_TRUE(InkInRow(0));
    EXPECT_FALSE(InkInRow(15));
    EXPECT_FALSE(InkInRow(3));  // one line shown: the newest (the unscaled font spans two rows here)

    g_Console.m_iNumConsoleLines = 0;
    DrawConsole();
    EXPECT_FALSE(InkIn(0, 0, kWidth, kHeight, 0xFF000000));
}

TEST_F(EConsoleViewGlTest, TheLoadingBarsFilledWidthFollowsTheProgress) {
    g_ConsoleView.CreateLoadingQuads("hud_loading.tga");
    // Bar: x 80..380, y 728..734 in layout units; pixels 40..190 at row 365.
    for (int done : {0, 60, 160, 400}) {
        g_Console.m_iProgressDone = done;
        float fraction = g_Console.LoadingProgressFraction();
        BeginFrame();
        g_ConsoleView.DrawProgressBar(fraction);
        EndFrame();
        uint32_t filled = 0, bar = 0;
        for (uint32_t x = 30; x < 200; ++x) {
            uint32_t p = PixelAt(x, 365);
            if (((p >> 16) & 0xFF) > 0x90) ++filled;      // 0xFFA6A392
            else if (((p >> 16) & 0xFF) > 0x50) ++bar;    // 0xFF606060
        }
        EXPECT_NEAR(filled, 150.0f * fraction, 1.0f) << done;
        EXPECT_NEAR(filled + bar, 150.0f, 1.0f) << done;
    }
}

}  // namespace
