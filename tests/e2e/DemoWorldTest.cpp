// The demo world on the GL backend, headless: it loads with every object of its file and no
// failure, a copy with bare line feeds loads the same objects, and its level-start object fires
// at the level's frame 199.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// The world the bundled configuration starts.
std::string ConfiguredWorld(const fs::path& game) {
    for (const std::string& line : test::LinesOf(test::ReadWholeFile(game / "qv.cfg")))
        if (line.rfind("runworld ", 0) == 0) return line.substr(9);
    return {};
}

class DemoWorld : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = m_root.path() / "game";
        test::CopyGameTo(m_game);
        test::WriteWholeFile(m_game / "input.txt", "10 close\n");
    }
    // The run lasts this many frames.
    void CloseAt(int frame) { test::WriteWholeFile(m_game / "input.txt", std::to_string(frame) + " close\n"); }
    // Runs the game on the world and returns the objects its load named.
    Lines Objects(const std::string& world) {
        std::string config = test::ReadWholeFile(m_game / "qv.cfg");
        config.replace(config.find("runworld "), config.find('\n', config.find("runworld ")) - config.find("runworld "),
                       "runworld " + world);
        // No route: the world the configuration names starts; Debug names every object it made.
        config += "OstatniaTrasa -1\nDebug 1\n";
        test::WriteWholeFile(m_game / "qv.cfg", config);
        test::ProgramRun run = test::RunProgram(m_game, {{"FURROW_VIDEO", "gl"},
                                                         {"FURROW_AUDIO", "null"},
                                                         {"FURROW_INPUT", "script:input.txt"},
                                                         {"FURROW_CLOCK", "fixed:60"},
                                                         {"XDG_RUNTIME_DIR", m_root.path().string()}});
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << run.output;
        m_log = test::ReadWholeFile(m_game / "!console.txt");
        Lines objects;
        for (const std::string& line : test::LinesOf(m_log)) {
            if (line.rfind("World object ", 0) == 0) objects.push_back(line);
            EXPECT_EQ(line.rfind("World error line: ", 0), std::string::npos) << line;
            // The characters' ragdoll definitions load whole.
            EXPECT_EQ(line.find("RagDoll"), std::string::npos) << line;
        }
        EXPECT_FALSE(fs::exists(m_game / "!error.txt")) << test::ReadWholeFile(m_game / "!error.txt");
        return objects;
    }

    test::TempDir m_root;
    fs::path m_game;
    std::string m_log;
};

TEST_F(DemoWorld, LoadsEveryObjectOfItsFileAndALineFeedCopyLoadsTheSame) {
    const std::string world = ConfiguredWorld(m_game);
    ASSERT_FALSE(world.empty());
    std::string file = world;
    std::replace(file.begin(), file.end(), '\\', '/');
    const std::string text = test::ReadWholeFile(m_game / file);
    ASSERT_NE(text.find("\r\n"), std::string::npos) << "the demo world is written with CR LF";

    // One object per header of the file, named as the file names it.
    Lines expected;
    std::string kind, header;
    for (const std::string& line : test::LinesOf(text)) {
        const std::string l = line.substr(0, line.find('\r'));
        if (l.rfind("mesh ", 0) == 0) kind = "mesh";
        else if (l == "light") kind = "light";
        else if (l.rfind("name ", 0) == 0 && !kind.empty()) expected.push_back("World object " + kind + " \"" + l.substr(5) + "\"");
    }
    ASSERT_GT(expected.size(), 20u);
    const Lines loaded = Objects(world);
    Lines sortedLoaded = loaded, sortedExpected = expected;
    std::sort(sortedLoaded.begin(), sortedLoaded.end());
    std::sort(sortedExpected.begin(), sortedExpected.end());
    EXPECT_EQ(sortedLoaded, sortedExpected);
    for (const char* named : {"\"teren\"", "\"droga\"", "\"dom\"", "\"game_start_point\"", "light \"lampa\""})
        EXPECT_NE(m_log.find(named), std::string::npos) << named;

    // The same world with bare line feeds, beside its paths.
    std::string lf = text;
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    const fs::path lfFile = m_game / (file.substr(0, file.rfind('.')) + "_lf.w");
    test::WriteWholeFile(lfFile, lf);
    fs::copy_file(m_game / (file.substr(0, file.rfind('.')) + ".bzr"), m_game / (file.substr(0, file.rfind('.')) + "_lf.bzr"));
    EXPECT_EQ(Objects(world.substr(0, world.rfind('.')) + "_lf.w"), loaded);
}

TEST_F(DemoWorld, TheLevelStartObjectFiresOnceTheLevelHasLoaded) {
    CloseAt(230);
    Objects(ConfiguredWorld(m_game));
    const Lines lines = test::LinesOf(m_log);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "level_start w srodku, uruchamiam akcje"), 1) << m_log;
    EXPECT_NE(m_log.find("Meadow: the level has started"), std::string::npos);
}

}  // namespace
