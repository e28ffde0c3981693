// The intro on the GL backend, headless: the first run plays the intro scene over the demo machines,
// recording it into "scripts\cutscenes\intro.bin"; later runs replay that file without recording,
// and two replays show the same pictures. The screenshots follow the scene's cameras.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "e2e/Screenshot.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kFrameBytes = 5324;

class IntroScene : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = m_root.path() / "game";
        test::CopyGameTo(m_game);
        // The configuration of a player who starts at the menu without skipping the intro.
        std::string config = test::ReadWholeFile(m_game / "qv.cfg");
        config.replace(config.find("StartMenu 0"), 11, "StartMenu 1");
        test::WriteWholeFile(m_game / "qv.cfg", config);
    }

    // Runs the game with screenshots at the frames, closing it at the last frame; the log.
    std::string Run(const std::vector<int>& shots, int close) {
        std::string input;
        for (int frame : shots) input += std::to_string(frame) + " keydown F8\n" + std::to_string(frame + 1) + " keyup F8\n";
        input += std::to_string(close) + " close\n";
        test::WriteWholeFile(m_game / "input.txt", input);
        for (const auto& entry : fs::directory_iterator(m_game))
            if (entry.path().extension() == ".bmp") fs::remove(entry.path());
        const test::ProgramRun run = test::RunProgram(m_game, {{"FURROW_VIDEO", "gl"},
                                                               {"FURROW_AUDIO", "null"},
                                                               {"FURROW_INPUT", "script:input.txt"},
                                                               {"FURROW_CLOCK", "fixed:60"},
                                                               {"XDG_RUNTIME_DIR", m_root.path().string()}},
                                                      300);
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return test::ReadWholeFile(m_game / "!console.txt");
    }

    std::string Shot(int n) const {
        char name[32];
        std::snprintf(name, sizeof name, "qv_screen%04d.bmp", n);
        return test::ReadWholeFile(m_game / name);
    }

    static bool Has(const std::string& log, const std::string& text) { return log.find(text) != std::string::npos; }

    // The mean difference of two pictures per colour channel, 0..255.
    static double Difference(const std::string& a, const std::string& b) {
        const test::Picture pa(a), pb(b);
        if (pa.Width() == 0 || pa.Width() != pb.Width() || pa.Height() != pb.Height()) return 255;
        double sum = 0;
        for (int y = 0; y < pa.Height(); y += 2)
            for (int x = 0; x < pa.Width(); x += 2) {
                const test::Colour ca = pa.At(x, y), cb = pb.At(x, y);
                for (int c = 0; c < 3; ++c) sum += std::fabs(ca[c] - cb[c]);
            }
        return sum / (3.0 * (pa.Width() / 2) * (pa.Height() / 2));
    }

    test::TempDir m_root;
    fs::path m_game;
};

TEST_F(IntroScene, TheFirstRunRecordsTheIntroAndLaterRunsReplayItTheSameWay) {
    const fs::path frames = m_game / "scripts" / "cutscenes" / "intro.bin";
    ASSERT_FALSE(fs::exists(frames));

    // Frame 300 lies in the first cut (the racer from its camera), 550 in the second (the tractor
    // on the road) whether recorded or replayed at the intro's speed.
    const std::string first = Run({300, 550}, 1030);
    EXPECT_TRUE(Has(first, "Launching intro"));
    EXPECT_TRUE(Has(first, "Intro: the farm wakes up")) << "the level logic readies the intro world's start object";
    EXPECT_TRUE(Has(first, "StartScene intro"));
    EXPECT_TRUE(Has(first, "Start recording intro"));
    EXPECT_TRUE(Has(first, "StopScene"));
    EXPECT_FALSE(Has(first, "FATAL"));
    ASSERT_TRUE(fs::exists(frames));
    const auto size = fs::file_size(frames);
    EXPECT_EQ((size - 4) % kFrameBytes, 0u);
    EXPECT_TRUE(Has(first, "Saved cutscene frames: " + std::to_string((size - 4) / kFrameBytes)));
    const std::string recordedRacer = Shot(0), recordedTractor = Shot(1);

    const std::string second = Run({300, 550}, 600);
    EXPECT_TRUE(Has(second, "Loaded cutscene frames: " + std::to_string((size - 4) / kFrameBytes)));
    EXPECT_FALSE(Has(second, "Start recording"));
    EXPECT_EQ(fs::file_size(frames), size);
    const std::string replayedRacer = Shot(0), replayedTractor = Shot(1);

    // The scene's cameras, not the game's: the first cut looks from its fixed camera in both runs,
    // and the second cut's camera shows something else.
    EXPECT_LT(Difference(recordedRacer, replayedRacer), 4.0);
    EXPECT_GT(Difference(replayedRacer, replayedTractor), 20.0);
    EXPECT_GT(Difference(recordedRacer, recordedTractor), 20.0);

    const std::string third = Run({300, 550}, 600);
    EXPECT_FALSE(Has(third, "Start recording"));
    EXPECT_EQ(Shot(0), replayedRacer);
    EXPECT_EQ(Shot(1), replayedTractor);
}

}  // namespace
