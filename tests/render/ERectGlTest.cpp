// Screen rectangles on a real GL device: positions, colours and blending as read back.
#include <gtest/gtest.h>

#include "render/D3DDevice.h"
#include "render/ERect.h"
#include "support/GlDeviceTest.h"
#include "support/RenderGlTest.h"

namespace {

class ERectGlTest : public test::RenderGlTest {};

TEST_F(ERectGlTest, ARectangleOfTheLayoutLandsAtItsScaledPixelsAtEveryScreenSize) {
    for (auto [width, height] : {std::pair{512u, 384u}, std::pair{256u, 192u}}) {
        SetUp();
        ASSERT_TRUE(CreateGlDevice(width, height));
        AddTexture("bialy.tga", 0xFFFFFFFF);
        const float sx = width / 1024.0f, sy = height / 768.0f;
        // The layout rectangle (200, 300) - (600, 500) in 1024 x 768 units, whole pixels at both sizes.
        const uint32_t left = static_cast<uint32_t>(200 * sx), top = static_cast<uint32_t>(300 * sy);
        const uint32_t right = static_cast<uint32_t>(600 * sx), bottom = static_cast<uint32_t>(500 * sy);
        ERect rect;
        rect.Create("bialy.tga", 200 * sx, 300 * sy, 600 * sx, 500 * sy, 0xFFFF0000);
        BeginFrame();
        rect.BeginStates(false);
        rect.Render(true);
        rect.EndStates();
        EndFrame();
        for (auto [x, y] : {std::pair{left, top}, std::pair{right - 1, top}, std::pair{left, bottom - 1},
                            std::pair{right - 1, bottom - 1}})
            test::ExpectColourNear(PixelAt(x, y), 0xFFFF0000);
        for (auto [x, y] : {std::pair{left - 1, top}, std::pair{right, top}, std::pair{left, top - 1},
                            std::pair{left, bottom}})
            test::ExpectColourNear(PixelAt(x, y), 0xFF000000);
        rect.Release();
        TearDown();
    }
}

TEST_F(ERectGlTest, TheColoursAlphaBlendsOverTheTargetAndTheSelfContainedDrawDoesNotTint) {
    ASSERT_TRUE(CreateGlDevice(64, 48));
    AddTexture("bialy.tga", 0xFFFFFFFF);
    ERect rect;
    rect.Create("bialy.tga", 0, 0, 32, 48, 0x80FF0000);
    BeginFrame();
    rect.BeginStates(false);
    rect.Render(true);
    rect.EndStates();
    // The self-contained draw takes the texture's colour, not the quad's.
    ERect plain;
    plain.Create("bialy.tga", 32, 0, 64, 48, 0xFF0000FF);
    plain.RenderWithStates(true, false);
    EndFrame();
    test::ExpectColourNear(PixelAt(10, 10), 0xFF800000);
    test::ExpectColourNear(PixelAt(50, 10), 0xFFFFFFFF);
    rect.Release();
    plain.Release();
}

}  // namespace
