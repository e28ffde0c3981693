// Screenshots on the GL device: the picture is saved after the frame was presented, and holds
// that frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/gfx/Image.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"
#include "support/GlDeviceTest.h"
#include "support/TestSupport.h"
#include "world/EEngine.h"

namespace {

class ScreenshotGl : public test::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        plat::SetStartDirectory(m_dir.path());
        test::ResetGlobal(g_Engine);
        g_pd3dDevice = std::move(m_device);
    }
    void TearDown() override {
        m_device = std::move(g_pd3dDevice);
        test::ResetGlobal(g_Engine);
        plat::SetStartDirectory(std::filesystem::current_path());
        GlDeviceTest::TearDown();
    }

    static void PresentFrame(uint32_t colour) {
        g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, colour, 1.0f, 0);
        g_pd3dDevice->BeginScene();
        g_pd3dDevice->EndScene();
        g_pd3dDevice->Present();
    }

    // The picture's pixels as ARGB, read back through the texture loader.
    static uint32_t SavedPixel(const char* file, uint32_t x, uint32_t y) {
        std::unique_ptr<gfx::Texture> picture;
        EXPECT_EQ(gfx::CreateTextureFromFile(*g_pd3dDevice, file, picture), gfx::OK);
        if (!picture) return 0;
        gfx::LockedRect rect;
        picture->LockRect(0, rect, 0);
        uint32_t pixel = static_cast<const uint32_t*>(rect.bits)[y * (rect.pitch / 4) + x];
        picture->UnlockRect(0);
        return pixel;
    }

    test::TempDir m_dir;
};

TEST_F(ScreenshotGl, EachScreenshotHoldsTheFrameJustPresented) {
    PresentFrame(0xFFC03010u);
    ASSERT_EQ(g_Engine.SaveScreenshot(), gfx::OK);
    PresentFrame(0xFF2080F0u);
    ASSERT_EQ(g_Engine.SaveScreenshot(), gfx::OK);
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::GetImageInfoFromFile("qv_screen0001.bmp", info), gfx::OK);
    EXPECT_EQ(info.width, kWidth);
    EXPECT_EQ(info.height, kHeight);
    test::ExpectColourNear(SavedPixel("qv_screen0000.bmp", 0, 0), 0xFFC03010u);
    test::ExpectColourNear(SavedPixel("qv_screen0001.bmp", kWidth - 1, kHeight - 1), 0xFF2080F0u);
}

}  // namespace
