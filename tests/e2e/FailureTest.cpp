// What a newcomer meets when the game's folder is broken, headless on the fixed clock: a fault the
// game cannot run with stops it with the reason on stderr and exit code 1; a fault it can run
// with is said once in the log and the run goes on without a line on every frame; a second start
// in the folder of a running game leaves quietly with 0 and leaves the running game's log alone.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 400;
// A line written this often in kFrames frames is written on (almost) every drawn frame.
constexpr int kSpamCount = 50;

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// Replaces the first line of a file that equals `line`.
void ReplaceLine(const fs::path& file, const std::string& line, const std::string& with) {
    std::string text = test::ReadWholeFile(file);
    const size_t at = text.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    text.replace(at, line.size(), with);
    test::WriteWholeFile(file, text);
}

class Failure : public ::testing::Test {
protected:
    test::ProgramRun Run(const fs::path& game, const std::string& script, const std::string& scriptFile,
                         const test::ProgramSignal& signal = {}) {
        test::WriteWholeFile(game / scriptFile, script);
        // Every run of one case shares the runtime directory, where the single-instance lock lives.
        return test::RunProgram(game,
                                {{"FURROW_VIDEO", "null"},
                                 {"FURROW_AUDIO", "null"},
                                 {"FURROW_INPUT", "script:" + scriptFile},
                                 {"FURROW_CLOCK", "fixed:60"},
                                 {"XDG_RUNTIME_DIR", m_root.path().string()}},
                                60, signal);
    }

    static std::string Script() { return std::to_string(kFrames) + " close\n"; }

    // Starts the game once a first run, with no close in its script, has started its world; the
    // first run is then ended by a signal. The second start's run.
    test::ProgramRun StartWhileRunning(const fs::path& game) {
        test::ProgramRun second;
        test::ProgramSignal afterTheSecondStart{SIGTERM, [&] {
            const std::string log = test::ReadWholeFile(game / "!console.txt");
            if (log.find("exiting EEngine::ProcessStartWorld") == std::string::npos) return false;
            second = Run(game, Script(), "second.txt");
            return true;
        }};
        const test::ProgramRun first = Run(game, "", "input.txt", afterTheSecondStart);
        EXPECT_FALSE(first.timedOut) << first.output;
        EXPECT_EQ(first.exitCode, 0) << first.output;
        return second;
    }

    test::TempDir m_root;
};

TEST_F(Failure, AFaultStopsTheGameWithItsReasonOrIsSaidOnceAndTheRunGoesOn) {
    const struct {
        const char* what;
        std::function<void(const fs::path& game)> arrange;
        int exitCode;
        // All of these on stderr when the game stops, else in the log.
        std::vector<std::string> said;
        // Said exactly once in the log.
        const char* once;
        // The case's start is made while another run of the game is alive in the same folder.
        bool whileRunning = false;
    } cases[] = {
        {"a texture is missing", [](const fs::path& g) { fs::remove(g / "textures" / "models" / "grass.tga"); }, 1,
         {"grass.tga", "Texture does not exist!"}, "The game stops after this frame: The texture grass.tga"},
        {"a texture file's name has a blank",
         [](const fs::path& g) {
             fs::copy_file(g / "textures" / "models" / "grass.tga", g / "textures" / "models" / "my grass.tga");
         },
         1, {"\"" R"(.\textures\models\my grass.tga)" "\""}, "The game stops after this frame"},
        {"a model the world names has a bad character",
         [](const fs::path& g) {
             ReplaceLine(g / "worlds" / "meadow.w", R"(mesh prefabs\trees\oak.x)", R"(mesh prefabs\trees\oak+1.x)");
         },
         1, {R"(model file name "prefabs\trees\oak+1.x")"}, "The game stops after this frame"},
        {"the world file is missing", [](const fs::path& g) { fs::remove(g / "worlds" / "meadow.w"); }, 0,
         {}, R"(The world file worlds\meadow.w could not be loaded: No such file or directory)"},
        // A folder in its place cannot be read by anyone (root reads a file without permissions).
        {"the world file cannot be read",
         [](const fs::path& g) {
             fs::remove(g / "worlds" / "meadow.w");
             fs::create_directory(g / "worlds" / "meadow.w");
         },
         0, {}, R"(The world file worlds\meadow.w could not be loaded: Is a directory)"},
        {"the world file is empty", [](const fs::path& g) { test::WriteWholeFile(g / "worlds" / "meadow.w", ""); }, 0,
         {}, R"(The world file worlds\meadow.w could not be loaded: the file is empty)"},
        // Each placement of the model tries it again; the world loads without it.
        {"a model the world names is missing", [](const fs::path& g) { fs::remove(g / "prefabs" / "trees" / "oak.x"); },
         0, {R"(prefabs\trees\oak.x: the file cannot be read)"}, "exiting EEngine::ProcessStartWorld"},
        // A folder named as a model is refused like any unreadable file, and the world loads on.
        {"a model the world names is a folder",
         [](const fs::path& g) { ReplaceLine(g / "worlds" / "meadow.w", R"(mesh prefabs\trees\oak.x)", "mesh prefabs"); },
         0, {"prefabs: the file cannot be read: Is a directory"}, "exiting EEngine::ProcessStartWorld"},
        {"no vehicle type", [](const fs::path& g) { fs::remove_all(g / "scripts" / "vehicles"); }, 0, {},
         "No machine to drive"},
        {"the machine's model is missing",
         [](const fs::path& g) { fs::remove(g / "prefabs" / "racer" / "body_nocenter.x"); }, 0, {},
         R"(prefabs\racer\body_nocenter.x: the file cannot be read)"},
        {"a qv.cfg value is not a number",
         [](const fs::path& g) { test::WriteWholeFile(g / "qv.cfg", test::ReadWholeFile(g / "qv.cfg") + "FOV wide\n"); },
         0, {}, "\"FOV wide\": not the number it needs; 0 is used"},
        // The running game's log keeps its first lines: the second start cut none and added none.
        {"a second start", [](const fs::path&) {}, 0, {"Welcome to the farm.", "CreateDevice OK"},
         "Engine start, WinMain first entry.", true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path game = m_root.path() / ("case" + std::to_string(n++));
        test::CopyGameTo(game);
        c.arrange(game);
        const test::ProgramRun run = c.whileRunning ? StartWhileRunning(game) : Run(game, Script(), "input.txt");
        ASSERT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        const std::string log = test::ReadWholeFile(game / "!console.txt");
        const std::string& saidIn = c.exitCode ? run.output : log;
        for (const std::string& part : c.said) EXPECT_NE(saidIn.find(part), std::string::npos) << part << "\n" << saidIn;
        EXPECT_EQ(Count(log, c.once), 1u) << c.once << "\n" << log;
        if (c.exitCode) {
            EXPECT_NE(run.output.find("The game stopped after an error: "), std::string::npos) << run.output;
            EXPECT_TRUE(fs::exists(game / "!error.txt"));
            continue;
        }
        EXPECT_EQ(run.output, "");
        std::map<std::string, int> repeats;
        for (const std::string& line : test::LinesOf(log)) ++repeats[line];
        for (const auto& [line, count] : repeats) EXPECT_LT(count, kSpamCount) << line;
    }
}

}  // namespace
