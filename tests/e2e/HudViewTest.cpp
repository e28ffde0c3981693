// The HUD of the demo race as a player sees it, headless on the GL backend at 800 x 600: the red
// start light during the countdown, then, driving, the race panel with its figures, the speed
// needle on the dashboard and the overview map with the route's strip and the player's machine.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "DemoRun.h"
#include "Screenshot.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using test::Colour;
using test::Picture;

// The pixels of a rectangle (pixels, right and bottom outside) that the test accepts.
int Count(const Picture& p, int left, int top, int right, int bottom, const std::function<bool(const Colour&)>& is) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += is(p.At(x, y)) ? 1 : 0;
    return n;
}

Colour Mean(const Picture& p, int left, int top, int right, int bottom) {
    Colour mean{};
    const double count = double(right - left) * (bottom - top);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            for (int i = 0; i < 3; ++i) mean[i] += p.At(x, y)[i] / count;
    return mean;
}

TEST(HudView, TheCountdownLightsThePanelTheDialAndTheMapShowOverTheRace) {
    test::TempDir root;
    const fs::path game = root.path() / "game";
    test::CopyGameTo(game);
    // The start prompt ends at once; the light "3" is photographed half grown, the rest two
    // seconds into the drive.
    test::WriteWholeFile(game / "input.txt",
                         "240 keydown Space\n241 keyup Space\n270 keydown F8\n271 keyup F8\n453 keydown Up\n"
                         "600 keydown F8\n601 keyup F8\n610 close\n");
    const test::ProgramRun run = test::RunScripted(game, root.path());
    ASSERT_FALSE(run.timedOut) << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;

    const Picture countdown(test::ReadWholeFile(game / "qv_screen0000.bmp"));
    ASSERT_EQ(countdown.Width(), 800);
    // Left of the figure, inside the lamp round (400, 219).
    const Colour lamp = Mean(countdown, 345, 210, 360, 228);
    EXPECT_GT(lamp[0], lamp[1] + 50) << lamp[0] << " " << lamp[1] << " " << lamp[2];
    EXPECT_GT(lamp[0], lamp[2] + 50);

    const Picture drive(test::ReadWholeFile(game / "qv_screen0001.bmp"));
    ASSERT_EQ(drive.Width(), 800);
    // The race panel in the top right: green enamel round the figures' windows, cream figures.
    const Colour panel = Mean(drive, 600, 20, 780, 60);
    EXPECT_GT(panel[1], panel[0]) << panel[0] << " " << panel[1] << " " << panel[2];
    EXPECT_GT(panel[1], panel[2]);
    EXPECT_GT(Count(drive, 575, 30, 660, 55, [](const Colour& c) { return c[0] > 200 && c[1] > 180 && c[2] > 140; }),
              20);
    // The speed needle, orange, on the dial round (655, 507).
    EXPECT_GT(Count(drive, 590, 440, 720, 575,
                    [](const Colour& c) { return c[0] > 200 && c[1] > 50 && c[1] < 150 && c[2] < 70; }),
              20);
    // The map window in the lower left: the route's violet strip and the player's green mark.
    auto strip = [](const Colour& c) { return c[2] > c[0] + 40 && c[2] > c[1] + 40; };
    auto player = [](const Colour& c) { return c[1] > 180 && c[0] < 100 && c[2] < 100; };
    EXPECT_GT(Count(drive, 24, 442, 163, 581, strip), 30);
    EXPECT_GT(Count(drive, 24, 442, 163, 581, player), 3);
}

}  // namespace
