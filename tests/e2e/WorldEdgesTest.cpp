// The demo race's machine held at full throttle for a minute, straight on past the finish and
// steering hard one way and then the other, never leaves the meadow its hedge banks close and
// never drops below the ground; back to the start (T) afterwards leaves it at rest on the ground.
// Headless on the null device with the fixed clock: the trace lines judge the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "DemoRun.h"

namespace {

// The feet of the meadow's hedge banks stand 100 m either side of its middle across the road and
// 125 m along it; a machine pressing into a bank may reach a little way up its foot.
constexpr double kAcross = 100.0, kAlong = 125.0, kIntoTheFoot = 1.0;
// On the ground or on the road; a wheel up the foot of a bank; never on top of one (1.5 m).
constexpr double kBelowGround = -0.1, kHighestClimb = 1.0;
// Farther than the machine drives in the second between two traces.
constexpr double kPutBackJump = 25.0;
// The script counts the program's frames, two ahead of the main game's: the throttle goes down on
// the game's frame 451 and stays down for 60 s; T comes a little after it is released.
constexpr unsigned kThrottle = 453, kSeconds = 60, kRelease = kThrottle + kSeconds * 60, kBackToStart = kRelease + 47;

struct DriveCase {
    const char* name;
    const char* what;
    // Keys held over spans of seconds after the throttle goes down.
    struct Hold {
        double from, to;
        const char* key;
    };
    std::vector<Hold> steering;
};

const DriveCase kDrives[] = {
    {"Straight", "straight on past the finish into the far bank", {}},
    {"RightThenLeft", "hard right across the meadow into its side, then hard left",
     {{5.0, 5.6, "Right"}, {20.0, 60.0, "Left"}}},
    {"LeftThenRight", "hard left across the meadow into its other side, then hard right",
     {{6.0, 6.7, "Left"}, {25.0, 60.0, "Right"}}},
};

// Test names and failures name the drive.
void PrintTo(const DriveCase& drive, std::ostream* out) { *out << drive.name; }

std::string Script(const DriveCase& drive) {
    std::vector<std::pair<unsigned, std::string>> events = {
        {240, "keydown Space"}, {241, "keyup Space"},         {kThrottle, "keydown Up"},
        {kRelease, "keyup Up"}, {kBackToStart, "keydown T"}, {kBackToStart + 1, "keyup T"},
        {kBackToStart + 300, "close"}};
    for (const DriveCase::Hold& hold : drive.steering) {
        events.emplace_back(kThrottle + static_cast<unsigned>(hold.from * 60), std::string("keydown ") + hold.key);
        events.emplace_back(kThrottle + static_cast<unsigned>(hold.to * 60), std::string("keyup ") + hold.key);
    }
    std::ranges::stable_sort(events, {}, &std::pair<unsigned, std::string>::first);
    std::string script;
    for (const auto& [frame, event] : events) script += std::to_string(frame) + " " + event + "\n";
    return script;
}

bool InsideTheBanks(const test::Trace& t) {
    return std::abs(t.pos[0]) < kAcross + kIntoTheFoot && std::abs(t.pos[2]) < kAlong + kIntoTheFoot;
}

class WorldEdges : public ::testing::TestWithParam<DriveCase> {
protected:
    std::vector<test::Trace> Drive(const DriveCase& drive) {
        const std::filesystem::path game = m_root.path() / "game";
        test::CopyGameTo(game);
        test::WriteWholeFile(game / "input.txt", Script(drive));
        // The race's own policing (back on the route after 3 s away from it) is switched off: the
        // banks are to keep the machine in.
        test::WriteWholeFile(game / "qv.cfg", test::ReadWholeFile(game / "qv.cfg") + "PlayerTrace 1\nUpdateZawody 0\n");
        // Nor does the finish end the run: the straight drive passes it on its way to the far bank.
        std::string routes = test::ReadWholeFile(game / "scripts" / "trasy.txt");
        routes.erase(routes.find("marker_finish meta_wyscig\n"), std::string("marker_finish meta_wyscig\n").size());
        test::WriteWholeFile(game / "scripts" / "trasy.txt", routes);
        const test::ProgramRun run = test::RunScripted(game, m_root.path(), "null");
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return test::Traces(test::ReadWholeFile(game / "!console.txt"));
    }
    test::TempDir m_root;
};

TEST_P(WorldEdges, AMinuteAtFullThrottleStaysInTheMeadowAndOnTheGround) {
    SCOPED_TRACE(GetParam().what);
    const std::vector<test::Trace> traces = Drive(GetParam());
    std::vector<const test::Trace*> driving, afterwards;
    for (const test::Trace& t : traces) {
        if (t.frame >= kThrottle && t.frame < kBackToStart) driving.push_back(&t);
        if (t.frame >= kBackToStart + 60) afterwards.push_back(&t);
    }
    ASSERT_GE(driving.size(), static_cast<size_t>(kSeconds)) << traces.size();
    ASSERT_GE(afterwards.size(), 3u);

    double nearestBank = 1e9;
    for (const test::Trace* t : driving) {
        EXPECT_TRUE(InsideTheBanks(*t)) << t->text;
        EXPECT_GT(t->pos[1], kBelowGround) << t->text;
        EXPECT_LT(t->pos[1], kHighestClimb) << t->text;
        nearestBank = std::min({nearestBank, kAcross - std::abs(t->pos[0]), kAlong - std::abs(t->pos[2])});
    }
    // The machine met a bank: it was the bank that kept it in, resting at its foot or turned over
    // on it and put back on the road (a jump far beyond a second's drive between two traces).
    bool putBack = false;
    for (size_t i = 1; i < driving.size(); ++i) {
        const double dx = driving[i]->pos[0] - driving[i - 1]->pos[0], dz = driving[i]->pos[2] - driving[i - 1]->pos[2];
        putBack = putBack || std::hypot(dx, dz) > kPutBackJump;
    }
    EXPECT_TRUE(nearestBank < 3.0 || putBack) << nearestBank;

    // Back to the start on this race puts the machine on the race's road, at the first spot the
    // opponents leave free at its distance along it: at rest on the ground, still in the meadow,
    // and it stays there, facing the way it was put.
    const test::Trace* put = afterwards.front();
    for (const test::Trace* t : afterwards) {
        EXPECT_TRUE(InsideTheBanks(*t)) << t->text;
        EXPECT_NEAR(t->pos[1], 0.0, 0.05) << t->text;
        EXPECT_NEAR(t->speed, 0.0, 0.1) << t->text;
        EXPECT_LT(std::hypot(t->pos[0] - put->pos[0], t->pos[2] - put->pos[2]), 0.5) << t->text;
        EXPECT_GT(t->front[0] * put->front[0] + t->front[2] * put->front[2], 0.99) << put->text << "\n" << t->text;
    }
}

INSTANTIATE_TEST_SUITE_P(Drives, WorldEdges, ::testing::ValuesIn(kDrives),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
