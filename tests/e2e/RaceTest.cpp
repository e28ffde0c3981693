// The demo race from start to result, headless on the fixed clock: the opponents are put on the
// race's road ahead of the player, drive it, and the player's lap and place are traced; a scripted
// drive follows the road round the meadow to the finish, the camera orbits the machine while the
// run fades out, and the result (place, time, prize) is logged. A short run on the GL backend
// takes pictures of the opponents ahead as the race starts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "DemoRun.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using test::Trace;
using test::Traces;

// Space ends the start prompt; the countdown releases the machine three seconds later; Up is held
// to the end; Left and Right, held in turns, keep the machine on the
// race's road: north up the gravel road, left past the gate, west along the field, right up the
// west bank and right again past the barn towards the finish.
constexpr const char* kDrive =
    "240 keydown Space\n241 keyup Space\n453 keydown Up\n"
    "775 keydown Left\n790 keyup Left\n805 keydown Right\n820 keyup Right\n820 keydown Left\n"
    "910 keyup Left\n910 keydown Right\n1000 keyup Right\n1000 keydown Left\n1090 keyup Left\n"
    "1090 keydown Right\n1165 keyup Right\n1180 keydown Left\n1240 keyup Left\n1255 keydown Right\n"
    "1330 keyup Right\n1330 keydown Left\n1390 keyup Left\n1390 keydown Right\n1480 keyup Right\n"
    "1480 keydown Left\n1585 keyup Left\n1585 keydown Right\n1705 keyup Right\n1720 keydown Left\n"
    "1795 keyup Left\n1795 keydown Right\n1930 keyup Right\n1930 keydown Left\n2050 keyup Left\n"
    "2050 keydown Right\n2170 keyup Right\n2170 keydown Left\n2290 keyup Left\n2290 keydown Right\n"
    "2440 keyup Right\n2440 keydown Left\n2530 keyup Left\n2545 keydown Right\n2620 keyup Right\n"
    "2635 keydown Left\n2695 keyup Left\n2710 keydown Right\n2770 keyup Right\n2785 keydown Left\n"
    "3400 close\n";

// The start on the GL backend: pictures as the countdown ends and two seconds into the race.
constexpr const char* kStartPictures =
    "240 keydown Space\n241 keyup Space\n453 keydown Up\n"
    "455 keydown F8\n456 keyup F8\n600 keydown F8\n601 keyup F8\n"
    "610 close\n";

// The race's part of a trace line: "lap L place P of N distance D".
struct Standing {
    int lap = 0, place = 0, cars = 0;
    double distance = 0;
};

Standing StandingOf(const Trace& t) {
    Standing s;
    const size_t at = t.text.find(" lap ");
    if (at != std::string::npos)
        std::sscanf(t.text.c_str() + at, " lap %d place %d of %d distance %lf", &s.lap, &s.place, &s.cars, &s.distance);
    return s;
}

class Race : public ::testing::Test {
protected:
    std::string Play(const std::string& name, const char* script, const char* video) {
        m_game = m_root.path() / name;
        test::CopyGameTo(m_game);
        test::WriteWholeFile(m_game / "input.txt", script);
        test::WriteWholeFile(m_game / "qv.cfg", test::ReadWholeFile(m_game / "qv.cfg") + "PlayerTrace 1\n");
        const test::ProgramRun run = test::RunScripted(m_game, m_root.path(), video);
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return test::ReadWholeFile(m_game / "!console.txt");
    }
    test::TempDir m_root;
    fs::path m_game;
};

TEST_F(Race, TheOpponentsRaceThePlayerToTheFinishAndTheResultIsLogged) {
    const std::string log = Play("race", kDrive, "null");
    // No profile chose a difficulty: the race is hard, five opponents.
    for (const char* added : {"exiting RuchMgr.DodajCar 0", "exiting RuchMgr.DodajCar 4"})
        EXPECT_NE(log.find(added), std::string::npos) << added;
    EXPECT_EQ(log.find("RuchMgr.DodajCar 5"), std::string::npos);

    const std::vector<Trace> traces = Traces(log);
    ASSERT_GT(traces.size(), 40u) << log;
    // Once the race runs the player's lap is the first and the place is one of six; the player
    // starts behind them all.
    int places[7] = {};
    for (const Trace& t : traces) {
        if (t.frame < 460) continue;
        const Standing s = StandingOf(t);
        EXPECT_EQ(s.lap, 1) << t.text;
        EXPECT_EQ(s.cars, 6) << t.text;
        ASSERT_GE(s.place, 1) << t.text;
        ASSERT_LE(s.place, 6) << t.text;
        ++places[s.place];
    }
    EXPECT_GT(places[6], 0);

    // The finish: the fade starts within reach of the marker, the camera orbits the machine 16
    // away for eight seconds, then the result.
    const size_t result = log.find("Result: place ");
    ASSERT_NE(result, std::string::npos) << log;
    int place = 0, prize = -1;
    char time[16] = {};
    ASSERT_EQ(std::sscanf(log.c_str() + result, "Result: place %d, time %15[0-9:.], prize %d", &place, time, &prize), 3);
    EXPECT_GE(place, 1);
    EXPECT_LE(place, 6);
    EXPECT_EQ(prize, place == 1 ? 1000 : place == 2 ? 500 : place == 3 ? 250 : 0);
    EXPECT_STRNE(time, "00:00.00");
    const Trace& last = traces.back();
    const double toMarker = std::hypot(last.pos[0], last.pos[2] - 45.0);
    EXPECT_LT(toMarker, 34.0) << last.text;
    int orbiting = 0;
    const Trace* first = nullptr;
    for (const Trace& t : traces) {
        const double eye = std::sqrt(std::pow(t.eye[0] - t.pos[0], 2) + std::pow(t.eye[1] - t.pos[1] - 1.0, 2) +
                                     std::pow(t.eye[2] - t.pos[2], 2));
        if (std::abs(eye - 16.0) > 0.05 || std::hypot(t.pos[0], t.pos[2] - 45.0) > 34.0) continue;
        if (!first) first = &t;
        ++orbiting;
    }
    EXPECT_GE(orbiting, 6);
    ASSERT_NE(first, nullptr);
    EXPECT_GT(std::hypot(last.eye[0] - first->eye[0], last.eye[2] - first->eye[2]), 5.0);
}

TEST_F(Race, TheStartIsPicturedWithTheOpponentsOnTheRoadAhead) {
    const std::string log = Play("start", kStartPictures, "gl");
    EXPECT_NE(log.find("exiting RuchMgr.DodajCar 4"), std::string::npos);
    for (const char* shot : {"qv_screen0000.bmp", "qv_screen0001.bmp"}) {
        ASSERT_TRUE(fs::exists(m_game / shot)) << shot;
        EXPECT_GT(fs::file_size(m_game / shot), 100000u) << shot;
    }
}

}  // namespace
