// Pictures copied straight onto the back buffer of a real GL device.
#include <gtest/gtest.h>

#include "render/D3DDevice.h"
#include "render/ESurface.h"
#include "support/GlDeviceTest.h"
#include "support/RenderGlTest.h"
#include "support/TextureFiles.h"

namespace {

class ESurfaceGlTest : public test::RenderGlTest {};

TEST_F(ESurfaceGlTest, ThePictureLandsUnscaledAtTheDestinationPoint) {
    ASSERT_TRUE(CreateGlDevice(64, 48));
    WriteFile("misc\\red.tga", test::TgaFile(8, 4, 0xFFFF2000));
    ESurface surface;
    ASSERT_EQ(surface.LoadSized("misc\\red.tga", 8, 4), 0);
    surface.SetRect(2, 1, 8, 4);  // the picture's right part, 6 x 3
    BeginFrame(0xFF000080);
    surface.DrawAt(10, 6);
    EndFrame();
    test::ExpectColourNear(PixelAt(10, 6), 0xFFFF2000);
    test::ExpectColourNear(PixelAt(15, 8), 0xFFFF2000);
    for (auto [x, y] : {std::pair{9u, 6u}, std::pair{16u, 6u}, std::pair{10u, 5u}, std::pair{10u, 9u}})
        test::ExpectColourNear(PixelAt(x, y), 0xFF000080);
}

}  // namespace
