// The grain-hauling route, headless on the fixed clock: the player's tractor starts with the grain
// trailer coupled behind it, shifts into gear by hand (a field route), drives down the road and
// turns, the trailer following on its drawbar; the chase camera looks on from behind, and the
// screenshots show the tractor with the red trailer behind it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "DemoRun.h"
#include "Screenshot.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using test::At;
using test::Trace;
using test::Traces;

// Space ends the start prompt; the camera stays in a first run's far view behind the machine;
// after the countdown A shifts into first and then second gear while Up is held; Left turns for
// a second from the program's frame 700; screenshots on the straight, in the turn and after it.
constexpr const char* kScript =
    "240 keydown Space\n241 keyup Space\n"
    "455 keydown A\n456 keyup A\n"
    "458 keydown Up\n"
    "540 keydown A\n541 keyup A\n"
    "660 keydown F8\n661 keyup F8\n"
    "700 keydown Left\n"
    "745 keydown F8\n746 keyup F8\n"
    "760 keyup Left\n"
    "860 keydown F8\n861 keyup F8\n"
    "880 close\n";
constexpr unsigned kBeforeThrottle = 450;
constexpr unsigned kBeforeTurn = 696;
constexpr unsigned kAfterTurn = 860;

// How much of a box in the picture is the trailer's red paint.
double RedShare(const test::Picture& p, int x0, int y0, int x1, int y1) {
    int red = 0, all = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++all) {
            const test::Colour c = p.At(x, y);
            if (c[0] > 90 && c[0] > 2.0 * c[1] && c[0] > 2.0 * c[2]) ++red;
        }
    return all ? double(red) / all : 0.0;
}

TEST(GrainTrailerTow, TheTractorTowsTheGrainTrailerDownTheRoadAndThroughATurn) {
    test::TempDir root;
    const fs::path game = root.path() / "game";
    test::CopyGameTo(game);
    test::WriteWholeFile(game / "input.txt", kScript);
    test::WriteWholeFile(game / "qv.cfg", test::ReadWholeFile(game / "qv.cfg") + "OstatniaTrasa 4\nPlayerTrace 1\n");
    const test::ProgramRun run = test::RunScripted(game, root.path());
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string log = test::ReadWholeFile(game / "!console.txt");

    // The trailer was made behind the tractor and coupled through its drawbar, without a missing
    // part or socket.
    EXPECT_NE(log.find("TworzPostacGracza()"), std::string::npos);
    for (const char* broken : {"Can't read", "Failed to add", "FAILED", "zaczep"})
        EXPECT_EQ(log.find(broken), std::string::npos) << broken << "\n" << log;

    const std::vector<Trace> traces = Traces(log);
    const Trace* before = At(traces, kBeforeThrottle);
    const Trace* straight = At(traces, kBeforeTurn);
    const Trace* turned = At(traces, kAfterTurn);
    ASSERT_TRUE(before && straight && turned) << log;
    double moved = 0;
    for (int i = 0; i < 3; ++i) moved += (straight->pos[i] - before->pos[i]) * before->front[i];
    EXPECT_GT(moved, 10.0) << straight->text;
    EXPECT_GT(straight->gear, 0) << straight->text;
    const double turn = straight->front[2] * turned->front[0] - straight->front[0] * turned->front[2];
    EXPECT_LT(turn, -0.2) << straight->text << "\n" << turned->text;

    // From behind, the trailer's red bed shows in the lower part of every picture.
    for (const char* shot : {"qv_screen0000.bmp", "qv_screen0001.bmp", "qv_screen0002.bmp"}) {
        ASSERT_TRUE(fs::exists(game / shot)) << shot;
        const test::Picture p(test::ReadWholeFile(game / shot));
        ASSERT_GT(p.Width(), 0) << shot;
        EXPECT_GT(RedShare(p, 0, p.Height() / 3, p.Width(), p.Height()), 0.006) << shot;
    }
}

}  // namespace
