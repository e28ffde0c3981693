// The harvest route as a player drives it, headless on the GL backend: the combine leaves the farm
// track for the wheat with its cutting on and cuts a strip across it; the trace shows
// the harvest percentage rising from 0, never past 100, and the screenshots show the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoRun.h"
#include "Screenshot.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// Space ends the start prompt; after the countdown Up is held, A shifts up through the gears
// (a press while a change is pending is lost) and R starts cutting; Left turns the combine off
// the track and it runs on across the corner of the field; two screenshots while it cuts.
constexpr const char* kScript =
    "240 keydown Space\n241 keyup Space\n"
    "453 keydown Up\n456 keydown A\n457 keyup A\n470 keydown R\n471 keyup R\n476 keydown A\n477 keyup A\n"
    "480 keydown Left\n496 keydown A\n497 keyup A\n600 keyup Left\n"
    "900 keydown F8\n901 keyup F8\n1000 keydown F8\n1001 keyup F8\n1010 close\n";

// The harvest percentage of a trace line ("... tasks H B P Pl S C"), or -1.
double Harvest(const std::string& line) {
    const size_t at = line.find(" tasks ");
    double h = -1;
    return at != std::string::npos && std::sscanf(line.c_str() + at, " tasks %lf", &h) == 1 ? h : -1;
}

TEST(HarvestRun, TheCombineCutsTheWheatAndTheHarvestRises) {
    test::TempDir root;
    const fs::path game = root.path() / "game";
    test::CopyGameTo(game);
    // The profile drives the first machine type; until the menu chooses the machine of a route,
    // the run keeps only the combine's type.
    for (const fs::directory_entry& type : fs::directory_iterator(game / "scripts" / "vehicles")) {
        if (type.path().filename() != "wheat_combine.txt") fs::remove(type.path());
    }
    std::string config = test::ReadWholeFile(game / "qv.cfg");
    config.replace(config.find("OstatniaTrasa 0"), 15, "OstatniaTrasa 3");
    test::WriteWholeFile(game / "qv.cfg", config + "PlayerTrace 1\n");
    test::WriteWholeFile(game / "input.txt", kScript);
    // A long drive over the grass on the software renderer: more time than the other drives.
    const test::ProgramRun run = test::RunProgram(game,
                                                  {{"FURROW_VIDEO", "gl"},
                                                   {"FURROW_AUDIO", "null"},
                                                   {"FURROW_INPUT", "script:input.txt"},
                                                   {"FURROW_CLOCK", "fixed:60"},
                                                   {"XDG_RUNTIME_DIR", root.path().string()}},
                                                  900);
    ASSERT_FALSE(run.timedOut) << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string log = test::ReadWholeFile(game / "!console.txt");
    EXPECT_NE(log.find("Rejestruje Combine Harvester w polu 0"), std::string::npos) << log;

    const std::vector<test::Trace> traces = test::Traces(log);
    ASSERT_FALSE(traces.empty());
    double last = 0;
    for (const test::Trace& t : traces) {
        const double h = Harvest(t.text);
        ASSERT_GE(h, last) << t.text;
        ASSERT_LE(h, 100.0) << t.text;
        last = h;
    }
    // On the track nothing is cut; across the field a strip of the table's width is.
    EXPECT_EQ(Harvest(test::At(traces, 700)->text), 0.0);
    EXPECT_GT(last, 1.0);
    EXPECT_LT(last, 10.0);

    for (const char* shot : {"qv_screen0000.bmp", "qv_screen0001.bmp"}) {
        ASSERT_TRUE(fs::exists(game / shot)) << shot;
        EXPECT_EQ(test::Picture(test::ReadWholeFile(game / shot)).Width(), 800) << shot;
    }
    EXPECT_FALSE(fs::exists(game / "!error.txt")) << test::ReadWholeFile(game / "!error.txt");
}

}  // namespace
