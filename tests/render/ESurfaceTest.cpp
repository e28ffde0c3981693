// Surfaces and the view-line arrow on the recording device.
#include "render/ESurface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/EDebug.h"
#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "support/DeviceTest.h"
#include "support/TextureFiles.h"

namespace {

uint32_t TagCount(const char* tag) {
    for (int i = 0; i < EDebug::kTagSlots; ++i)
        if (g_Debug.m_bTagUsed[i] && std::strcmp(g_Debug.m_szTagNames[i], tag) == 0) return g_Debug.m_uTagCounts[i];
    return 0;
}

class ESurfaceTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Debug);
        g_Settings.m_iSystemDebug = 1;
        ASSERT_TRUE(CreateDevice());
    }
};

TEST_F(ESurfaceTest, ANameThatIsNoFileNameIsLoggedAndNothingIsRead) {
    ESurface surface;
    EXPECT_EQ(surface.LoadScreenSized("misc\\end game.bmp"), -1);
    EXPECT_EQ(ReadFile("!error.txt"), "misc\\end game.bmp\n");
    EXPECT_EQ(surface.m_pSurface, nullptr);
}

TEST_F(ESurfaceTest, APictureIsStretchedOverTheWholeSurfaceAndASecondLoadReplacesTheFirst) {
    WriteFile("misc\\a.tga", test::TgaFile(2, 2, 0xFF20C040));
    WriteFile("misc\\b.tga", test::TgaFile(4, 4, 0xFF000000));  // opaque black: the colour key
    ESurface surface;
    ASSERT_EQ(surface.LoadSized("misc\\a.tga", 6, 3), 0);
    EXPECT_EQ(surface.m_pSurface->Width(), 6u);
    EXPECT_EQ(surface.m_Info.width, 2u);
    EXPECT_EQ((std::vector<int32_t>{surface.m_SourceRect.left, surface.m_SourceRect.top, surface.m_SourceRect.right,
                                    surface.m_SourceRect.bottom}),
              (std::vector<int32_t>{0, 0, 6, 3}));
    auto* pixels = reinterpret_cast<const uint32_t*>(surface.m_pSurface->Pixels());
    EXPECT_EQ(pixels[0], 0xFF20C040u);
    EXPECT_EQ(pixels[17], 0xFF20C040u);
    ASSERT_EQ(surface.LoadScreenSized("misc\\b.tga"), 0);
    EXPECT_EQ(surface.m_pSurface->Width(), static_cast<uint32_t>(g_Settings.m_iScreenWidth));
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(surface.m_pSurface->Pixels())[0], 0u);
    EXPECT_EQ(TagCount("ESurface"), 1u);
    surface.Release();
    EXPECT_EQ(TagCount("ESurface"), 0u);
    // A failed load leaves no surface.
    EXPECT_EQ(surface.LoadSized("misc\\none.tga", 4, 4), -1);
    EXPECT_EQ(surface.m_pSurface, nullptr);
    gfx::NullBackend().calls.clear();
    surface.Draw(nullptr);
    EXPECT_TRUE(gfx::NullBackend().calls.empty());
}

TEST_F(ESurfaceTest, TheArrowIsAShaftAndTwoBarbsInItsOwnBufferForEachWorld) {
    ViewLines lines;
    lines.CreateVB();
    EXPECT_EQ(TagCount("StrzalkaVB"), 1u);
    DV start{0, 0, 0}, end{0, 0, 100}, nearEnd{0, 0.5f, 0};
    lines.DrawArrow(&start, &nearEnd, 0xFFFF0000, nullptr);  // shorter than 1: nothing
    lines.DrawArrow(&start, nullptr, 0xFFFF0000, nullptr);
    gfx::NullBackend().calls.clear();
    lines.DrawArrow(&start, &end, 0xFFFF0000, nullptr);
    EXPECT_EQ(gfx::NullBackend().calls, std::vector<std::string>{"DrawPrimitive"});
    float v[6][4];
    std::memcpy(v, lines.m_pVB->Data(), sizeof v);
    // Along +z the side axis is +x: the barbs end 8 to either side, 12 back from the tip.
    const float expected[6][3] = {{0, 0, 0}, {0, 0, 100}, {0, 0, 100}, {8, 0, 88}, {0, 0, 100}, {-8, 0, 88}};
    for (int i = 0; i < 6; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(v[i][c], expected[i][c], 1e-4f) << i << " " << c;
    lines.ReleaseVB();
    lines.ReleaseVB();
    EXPECT_EQ(TagCount("StrzalkaVB"), 0u);
}

}  // namespace
