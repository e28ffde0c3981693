// The fence command typed at the console of the demo race, headless on the GL backend: typed with
// a value ("GenerujPlotki 1") it lays fence pieces along the road at the feet of its hedges on both
// sides, seen from behind the machine waiting at the start; typed without one it is only echoed,
// as every console command is, and lays nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "DemoRun.h"

namespace fs = std::filesystem;

namespace {

// The input lines that open the console (the key left of 1), type the text and Enter, and close
// it, a key every other frame from the frame given.
std::string Typed(unsigned frame, const std::string& text) {
    std::vector<std::string> keys = {"`"};
    for (char c : text) keys.push_back(c == ' ' ? "Space" : std::string(1, static_cast<char>(std::toupper(c))));
    keys.insert(keys.end(), {"Return", "`"});
    std::string lines;
    for (const std::string& key : keys) {
        lines += std::to_string(frame) + " keydown " + key + "\n" + std::to_string(frame + 1) + " keyup " + key + "\n";
        frame += 2;
    }
    return lines;
}

// Space ends the start prompt, C twice puts the camera behind the machine, which waits at the
// start between the hedges of the road; a screenshot before the fences and one after them.
std::string Script() {
    return "240 keydown Space\n241 keyup Space\n260 keydown C\n261 keyup C\n270 keydown C\n271 keyup C\n"
           "500 keydown F8\n501 keyup F8\n" +
           Typed(510, "totalobjects") + Typed(550, "generujplotki") + Typed(590, "totalobjects") +
           Typed(630, "generujplotki 1") + Typed(680, "totalobjects") + "740 keydown F8\n741 keyup F8\n750 close\n";
}

// The object counts the console printed for "totalobjects", in order.
std::vector<double> ObjectCounts(const std::string& log) {
    std::vector<double> counts;
    for (const std::string& line : test::LinesOf(log))
        if (line.rfind("TotalObjects == ", 0) == 0) counts.push_back(std::stod(line.substr(16)));
    return counts;
}

// A screenshot: 800 x 600, 24-bit, rows bottom-up.
struct Picture {
    std::string bmp;
    const uint8_t* At(int x, int y) const {
        return reinterpret_cast<const uint8_t*>(bmp.data()) + 54 + (599 - y) * 2400 + x * 3;
    }
};

// The share of the rectangle's pixels that differ between the pictures in some channel.
double Changed(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
    int changed = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                if (std::abs(a.At(x, y)[c] - b.At(x, y)[c]) > 8) {
                    ++changed;
                    break;
                }
    return static_cast<double>(changed) / ((x1 - x0) * (y1 - y0));
}

TEST(RoadFences, TheTypedCommandLaysFencesAlongTheRoadAtTheFeetOfItsHedges) {
    test::TempDir root;
    const fs::path game = root.path() / "game";
    test::CopyGameTo(game);
    test::WriteWholeFile(game / "input.txt", Script());
    const test::ProgramRun run = test::RunScripted(game, root.path());
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string log = test::ReadWholeFile(game / "!console.txt");

    // Without a value the command is echoed and lays nothing; with one it walks the road path
    // and lays the pieces, found on the ground at the foot of every hedge.
    const std::vector<double> counts = ObjectCounts(log);
    ASSERT_EQ(counts.size(), 3u) << log;
    EXPECT_EQ(counts[1], counts[0]);
    EXPECT_GE(counts[2], counts[1] + 40) << log;
    const std::vector<std::string> lines = test::LinesOf(log);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "generujplotki"), 1) << log;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "GenerujPlotkiBeziera"), 1) << log;
    EXPECT_NE(log.find("Nazwa Beziera: \"droga_start\""), std::string::npos) << log;
    EXPECT_EQ(log.find("Nie znaleziono gruntu"), std::string::npos) << log;

    // From behind the machine the fences show along both sides of the road, below the horizon;
    // the machine and the road ahead of it are left out, where the pace marker moves.
    const Picture before{test::ReadWholeFile(game / "qv_screen0000.bmp")};
    const Picture after{test::ReadWholeFile(game / "qv_screen0001.bmp")};
    ASSERT_EQ(before.bmp.size(), 54u + 800u * 600u * 3u);
    ASSERT_EQ(after.bmp.size(), before.bmp.size());
    EXPECT_GT(Changed(before, after, 70, 250, 300, 510), 0.02) << "left of the road";
    EXPECT_GT(Changed(before, after, 500, 250, 730, 510), 0.02) << "right of the road";
}

}  // namespace
