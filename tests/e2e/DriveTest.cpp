// A drive of the demo route on the fixed clock, headless: the world starts, a key ends the start
// prompt, the countdown releases the machine, the throttle key moves it forward along the road,
// the left key turns it left, and the camera stays behind and above it. Two runs of the same
// script end at the same position to the last bit and write the same screenshots.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "DemoRun.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using test::At;
using test::Trace;
using test::Traces;

// Space ends the start prompt; C twice brings the camera from a first run's far view through the
// cockpit to close behind the machine; the countdown runs three seconds; Up is held for 300
// frames, then Up and Left together; screenshots along the way.
// The script counts the frames of the program, which run two ahead of the main game's frames
// since the world started: Up goes down on the game's frame 451 and Left on 751.
constexpr const char* kScript =
    "240 keydown Space\n241 keyup Space\n"
    "260 keydown C\n261 keyup C\n270 keydown C\n271 keyup C\n"
    "453 keydown Up\n"
    "600 keydown F8\n601 keyup F8\n"
    "753 keydown Left\n"
    "900 keydown F8\n901 keyup F8\n"
    "930 close\n";
// The game's frames of the trace lines that judge the drive: before the throttle, after 300
// frames of it (the trace comes once a second, so the line may be one frame later), and a
// second into the turn.
constexpr unsigned kBeforeThrottle = 450;
constexpr unsigned kAfterThrottle = 752;
constexpr unsigned kTurning = 870;

class Drive : public ::testing::Test {
protected:
    struct Run {
        std::string log;
        std::vector<std::string> screenshots;
    };
    Run DriveOnce(const std::string& name) {
        const fs::path game = m_root.path() / name;
        test::CopyGameTo(game);
        test::WriteWholeFile(game / "input.txt", kScript);
        test::WriteWholeFile(game / "qv.cfg", test::ReadWholeFile(game / "qv.cfg") + "PlayerTrace 1\n");
        test::ProgramRun run = test::RunScripted(game, m_root.path());
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        Run result;
        result.log = test::ReadWholeFile(game / "!console.txt");
        for (const char* shot : {"qv_screen0000.bmp", "qv_screen0001.bmp"}) {
            EXPECT_TRUE(fs::exists(game / shot)) << shot;
            result.screenshots.push_back(fs::exists(game / shot) ? test::ReadWholeFile(game / shot) : "");
        }
        return result;
    }
    test::TempDir m_root;
};

TEST_F(Drive, TheMachineDrivesForwardTurnsLeftWithTheCameraBehindAndTheRunRepeatsExactly) {
    const Run first = DriveOnce("first");
    const std::vector<Trace> traces = Traces(first.log);
    ASSERT_GT(traces.size(), 10u) << first.log;

    // At rest on the start before the throttle.
    const Trace* before = At(traces, kBeforeThrottle);
    const Trace* held = At(traces, kAfterThrottle);
    const Trace* turned = At(traces, kTurning);
    ASSERT_TRUE(before && held && turned);
    ASSERT_GT(held->frame, kAfterThrottle - 2) << held->text;
    EXPECT_NEAR(before->speed, 0.0, 0.05) << before->text;

    // 300 frames of throttle: forward along the machine's front, by a distance within the band.
    double moved[3], along = 0, distance = 0;
    for (int i = 0; i < 3; ++i) {
        moved[i] = held->pos[i] - before->pos[i];
        along += moved[i] * before->front[i];
        distance += moved[i] * moved[i];
    }
    distance = std::sqrt(distance);
    EXPECT_GT(along, 0.95 * distance) << held->text;
    EXPECT_GT(distance, 30.0) << held->text;
    EXPECT_LT(distance, 55.0) << held->text;

    // Steering left turns the heading left: seen from above (y up, left-handed), the front turns
    // anticlockwise, so the cross product of the old and new front points down.
    const double turn = held->front[2] * turned->front[0] - held->front[0] * turned->front[2];
    EXPECT_LT(turn, -0.05) << held->text << "\n" << turned->text;

    // The chase camera: behind the machine and above it, every second of the drive.
    for (const Trace& t : traces) {
        if (t.frame < kBeforeThrottle) continue;
        double behind = 0;
        for (int i = 0; i < 3; ++i) behind += (t.eye[i] - t.pos[i]) * t.front[i];
        EXPECT_LT(behind, -2.0) << t.text;
        EXPECT_GT(t.eye[1], t.pos[1] + 1.0) << t.text;
    }

    // The road passes the gate's trigger: driving into it opens the gate.
    EXPECT_NE(first.log.find("Czujnik bramy: maszyna wjechala"), std::string::npos) << first.log;
    EXPECT_NE(first.log.find("Brama sie otwiera"), std::string::npos) << first.log;

    // The same script again: the same trace to the last printed bit and the same pictures.
    const Run second = DriveOnce("second");
    const std::vector<Trace> again = Traces(second.log);
    ASSERT_EQ(again.size(), traces.size());
    for (size_t i = 0; i < traces.size(); ++i) EXPECT_EQ(again[i].text, traces[i].text);
    ASSERT_EQ(second.screenshots.size(), first.screenshots.size());
    for (size_t i = 0; i < first.screenshots.size(); ++i) {
        EXPECT_FALSE(first.screenshots[i].empty());
        EXPECT_TRUE(second.screenshots[i] == first.screenshots[i]) << "screenshot " << i;
    }
}

}  // namespace
