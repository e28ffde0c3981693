// The whole program, headless: null video and audio, scripted input, fixed clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/os/Window.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = m_root.path() / "game";
        test::CopyGameTo(m_game);
    }

    test::ProgramRun Run(const std::string& inputScript, const test::ProgramSignal& signal = {}) {
        return RunIn(m_game, inputScript, signal);
    }

    test::ProgramRun RunIn(const fs::path& game, const std::string& inputScript,
                           const test::ProgramSignal& signal = {}) {
        test::WriteWholeFile(game / "input.txt", inputScript);
        // Each run has its own runtime directory, where the single-instance lock lives: runs of
        // parallel tests (or a game started by hand) are not taken for a second instance.
        return test::RunProgram(game,
                                {{"FURROW_VIDEO", "null"},
                                 {"FURROW_AUDIO", "null"},
                                 {"FURROW_INPUT", "script:input.txt"},
                                 {"FURROW_CLOCK", "fixed:60"},
                                 {"XDG_RUNTIME_DIR", m_root.path().string()}},
                                60, signal);
    }

    std::string ConsoleLog() const { return test::ReadWholeFile(m_game / "!console.txt"); }

    test::TempDir m_root;
    fs::path m_game;
};

TEST_F(ProgramTest, RunsUntilTheWindowIsClosedAndLogsStartAndFarewell) {
    test::ProgramRun run = Run("30 close\n");
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::string log = ConsoleLog();
    size_t start = log.find("Engine start, WinMain first entry.");
    size_t created = log.find("CreateDevice OK");
    size_t farewell = log.find("Farewell");
    ASSERT_NE(start, std::string::npos) << log;
    ASSERT_NE(created, std::string::npos) << log;
    ASSERT_NE(farewell, std::string::npos) << log;
    EXPECT_EQ(start, 0u);
    EXPECT_LT(start, created);
    EXPECT_LT(created, farewell);
}

TEST_F(ProgramTest, DeletesThePreviousRunsReportFiles) {
    const char* reports[] = {"!error.txt", "!anims.txt", "!subsets.txt", "!techs.txt", "!textures.txt",
                             "!variables.txt"};
    for (const char* r : reports) test::WriteWholeFile(m_game / r, "old\n");
    test::WriteWholeFile(m_game / "!keep.txt", "not a report\n");
    test::ProgramRun run = Run("2 close\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* r : reports) EXPECT_FALSE(fs::exists(m_game / r)) << r;
    EXPECT_TRUE(fs::exists(m_game / "!keep.txt"));
}

TEST_F(ProgramTest, StartsTheConfiguredWorldAtTheEndOfTheFirstFrame) {
    test::WriteWholeFile(m_game / "qv.cfg", "Windowed 1\nDebug 1\nStartMenu 0\n");
    test::ProgramRun run = Run("3 close\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(ConsoleLog().find("Starting world worlds\\test.w"), std::string::npos) << ConsoleLog();
}

TEST_F(ProgramTest, TheConfigurationFileDrivesTheSettingsAtStart) {
    test::WriteWholeFile(m_game / "qv.cfg",
                         "Windowed 1\nscreenwidth 1920\nDebug 1\nrunworld worlds\\farm.w\nBackupConsole 1\n");
    test::ProgramRun run = Run("3 close\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // BackupConsole moved the log to its dated copy at exit.
    EXPECT_FALSE(fs::exists(m_game / "!console.txt"));
    std::string log;
    for (const auto& entry : fs::directory_iterator(m_game))
        if (entry.path().filename().string().rfind("!Console ", 0) == 0) log = test::ReadWholeFile(entry.path());
    EXPECT_NE(log.find("Starting world worlds\\farm.w"), std::string::npos) << log;
}

TEST_F(ProgramTest, ALineTypedIntoTheConsoleRunsAtTheKeyboard) {
    test::WriteWholeFile(m_game / "qv.cfg", "Windowed 1\nDebug 1\n");
    // The console key opens the console; "runworld farm" and Enter request that world.
    std::string script = "5 keydown `\n";  // the grave accent
    int frame = 6;
    for (const char* key : {"R", "U", "N", "W", "O", "R", "L", "D", "Space", "F", "A", "R", "M", "Return"})
        script += std::to_string(frame++) + " keydown " + key + "\n";
    script += std::to_string(frame + 5) + " close\n";
    test::ProgramRun run = Run(script);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string log = ConsoleLog();
    size_t echoed = log.find("runworld farm\n");
    size_t started = log.find("Starting world farm\n");
    ASSERT_NE(echoed, std::string::npos) << log;
    ASSERT_NE(started, std::string::npos) << log;
    EXPECT_LT(echoed, started);
}

TEST_F(ProgramTest, StartsAFreshLogAndItsTextKeysLoadCleanly) {
    test::WriteWholeFile(m_game / "!console.txt", "previous run\n");
    test::ProgramRun run = Run("2 close\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string log = ConsoleLog();
    EXPECT_EQ(log.find("previous run"), std::string::npos) << log;
    EXPECT_EQ(log.rfind("Farewell"), log.rfind('\n', log.size() - 2) + 1) << log;  // the last line
    // The bundled keys hold no duplicates.
    EXPECT_FALSE(fs::exists(m_game / "!labels.txt")) << test::ReadWholeFile(m_game / "!labels.txt");
}

TEST_F(ProgramTest, AScriptDrivesTheDialogsAndTheLauncherSavesTheSizeItPicked) {
    test::WriteWholeFile(m_game / "qv.cfg", "Windowed 0\nscreenwidth 1920\nscreenheight 1080\nsteering 0\nDebug 1\n");
    fs::remove_all(m_game / "save");  // no saved video settings: the video options come first
    // Frame 0 is before the game's first frame: OK in the video options, then in the launcher the
    // resolution list, its first entry (1024x768) and "Start the game!".
    std::string script;
    for (const char* at : {"210 344", "325 242", "325 264", "102 438"})
        script += std::string("0 mousedown 0 ") + at + "\n0 mouseup 0 " + at + "\n";
    test::ProgramRun run = Run(script + "30 close\n");
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(test::ReadWholeFile(m_game / "qv.cfg"),
              "Windowed 0\nScreenWidth 1024\nScreenHeight 768\nsteering 0\nDebug 1\n");
    EXPECT_FALSE(fs::exists(m_game / "qv.bak"));
    EXPECT_EQ(fs::file_size(m_game / "save" / "video.cfg"), 23u);
    EXPECT_NE(ConsoleLog().find("Starting world worlds\\test.w"), std::string::npos) << ConsoleLog();
}

TEST_F(ProgramTest, AStartThatCannotGoOnSaysWhyOnStderrAndFails) {
    const struct {
        const char* what;
        std::function<void(const fs::path& game)> arrange;
        const char* said;
    } cases[] = {
        {"no text keys", [](const fs::path& game) { fs::remove(game / "scripts" / "text_keys.txt"); },
         "text_keys.txt"},
        // A folder in the log's place stands for a game folder the log cannot be written in.
        {"log not writable", [](const fs::path& game) { fs::create_directory(game / "!console.txt"); },
         "!console.txt\" cannot be written"},
        // As another user's lock file would, a folder in the lock's place cannot be opened.
        {"lock not available",
         [this](const fs::path&) { fs::create_directory(m_root.path() / "furrow-Furrow_Cup.lock"); },
         "single-instance lock"},
    };
    int n = 0;
    for (const auto& c : cases) {
        fs::path game = m_root.path() / ("case" + std::to_string(n++));
        test::CopyGameTo(game);
        c.arrange(game);
        test::ProgramRun run = RunIn(game, "1000 close\n");
        ASSERT_FALSE(run.timedOut) << c.what;
        EXPECT_EQ(run.exitCode, 1) << c.what << "\n" << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << c.what << "\n" << run.output;
        fs::remove_all(m_root.path() / "furrow-Furrow_Cup.lock");
    }
}

TEST_F(ProgramTest, SigintAndSigtermEndARunThroughTheUsualQuit) {
    test::WriteWholeFile(m_game / "qv.cfg", "Windowed 1\nDebug 1\n");
    for (int number : {SIGINT, SIGTERM}) {
        fs::remove(m_game / "!console.txt");
        // No close in the script: without the signal the run would go on until the time-out. It
        // is sent once the main loop runs (the first frame has started the world).
        test::ProgramSignal signal{number, [&] { return ConsoleLog().find("Starting world") != std::string::npos; }};
        test::ProgramRun run = Run("", signal);
        ASSERT_FALSE(run.timedOut) << number;
        EXPECT_EQ(run.exitCode, 0) << number << "\n" << run.output;
        std::string log = ConsoleLog();
        EXPECT_EQ(log.rfind("Farewell"), log.rfind('\n', log.size() - 2) + 1) << log;  // the log was closed
    }
}

TEST_F(ProgramTest, LoadsTheBundledTexturesAndEffectsWithoutErrors) {
    test::ProgramRun run = Run("5 close\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string log = ConsoleLog();
    for (const char* fault : {"create error", "no valid technique", "tekstury nie ma", "MAX_TEXTURES"})
        EXPECT_EQ(log.find(fault), std::string::npos) << fault << "\n" << log;
    EXPECT_FALSE(fs::exists(m_game / "!error.txt")) << test::ReadWholeFile(m_game / "!error.txt");
    EXPECT_TRUE(fs::exists(m_game / "scripts" / "textures.txt"));
}

}  // namespace

namespace {

TEST_F(ProgramTest, ASecondStartLeavesAtOnceWithoutTouchingTheReportFiles) {
    // This test process plays the running first instance by holding a window of the game's title.
    test::ResetPlatform();
    const char* savedRuntimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = savedRuntimeDir ? savedRuntimeDir : "";
    ::setenv("XDG_RUNTIME_DIR", m_root.path().c_str(), 1);  // where Run() puts the program's lock
    plat::RegisterWindowClass({"first", plat::DefaultWindowProc});
    ASSERT_NE(plat::CreateMainWindow({"first", "Furrow Cup", true, 800, 600}), nullptr);
    test::WriteWholeFile(m_game / "!error.txt", "first instance's report\n");
    // The running instance made the name-prefix file when its engine was constructed.
    fs::create_directories(m_game / "save");
    test::WriteWholeFile(m_game / "save" / "NamePrefixes.cfg", std::string("m\0\0\0sm\0\0l\0\0\0spr\0", 16));
    test::WriteWholeFile(m_game / "input.txt", "1000 close\n");
    test::WriteWholeFile(m_game / "!console.txt", "the first instance's log\n");
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(m_game)) names.push_back(e.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> before = listing();

    test::ProgramRun run = Run("1000 close\n");
    plat::ResetWindows();
    if (savedRuntimeDir) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ConsoleLog(), "the first instance's log\n");
    EXPECT_EQ(listing(), before);  // nothing created or deleted
}

}  // namespace
