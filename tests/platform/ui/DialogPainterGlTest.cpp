// A dialog drawn by SDL's software renderer into a window of SDL's offscreen driver, read back.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/os/Backends.h"
#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"
#include "platform/ui/Dialog.h"
#include "support/TestSupport.h"

namespace {

int64_t Quiet(plat::WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

class DialogPainterGlTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        plat::BackendChoice choice = plat::Backends();
        choice.video = plat::VideoBackend::Gl;
        plat::SetBackends(choice);
    }

    void TearDown() override {
        StartDirTest::TearDown();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        ::unsetenv("SDL_VIDEODRIVER");
    }

    // The dialog's pixels as ARGB, rows from the top.
    static std::vector<uint32_t> ReadBack(plat::WindowHandle dialog) {
        std::vector<uint32_t> pixels(size_t(dialog->width) * dialog->height);
        SDL_Renderer* renderer = SDL_GetRenderer(dialog->sdlWindow);
        EXPECT_NE(renderer, nullptr);
        if (renderer)
            SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), dialog->width * 4);
        return pixels;
    }
};

TEST_F(DialogPainterGlTest, DrawsThePictureTheControlsAndTheirTexts) {
    using plat::ControlKind;
    plat::DialogTemplate layout{"Painter test", 200, 120,
                                {{1, ControlKind::Picture, {0, 0, 200, 40}},
                                 {2, ControlKind::Label, {10, 50, 180, 20}},
                                 {3, ControlKind::Button, {10, 80, 100, 30}}}};
    plat::WindowHandle d = plat::CreateDialog(layout, Quiet);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->sdlWindow, nullptr);
    plat::SetDialogPicture(d, 1, 2, 1, {0xFF112233, 0xFF112233});
    plat::SetDialogItemText(d, 2, "WWWWWWWWWW");
    plat::SendWindowMessage(d, plat::msg::Paint, 0, 0);
    std::vector<uint32_t> pixels = ReadBack(d);
    auto at = [&](const std::vector<uint32_t>& p, int x, int y) { return p[size_t(y) * 200 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(pixels, 100, 20), 0x112233u);  // the picture, stretched over its place
    EXPECT_EQ(at(pixels, 30, 95), 0xD6D1C4u);   // the button's face
    // The label's text leaves dark ink on the background.
    int ink = 0;
    for (int y = 50; y < 70; ++y)
        for (int x = 10; x < 190; ++x) ink += (at(pixels, x, y) & 0xFF) < 0x80;
    EXPECT_GT(ink, 100);
}

}  // namespace
