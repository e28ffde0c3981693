// The console's output side: the screen buffer, the log "!console.txt" with its dated copy, the
// formatted prints and the loading-screen state.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/QueryAppTimer.h"
#include "platform/os/Clock.h"
#include "platform/os/Files.h"
#include "support/ConsoleLogTest.h"
#include "support/FakeGame.h"

namespace fs = std::filesystem;

namespace {

class EConsoleTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        ResetAppTimer();
        test::InstallFakeGame();
    }
    void TearDown() override {
        ResetAppTimer();
        g_CoreHooks = CoreHooks{};
        StartDirTest::TearDown();
    }

    std::string Log() const { return ReadFile("!console.txt"); }

    // The dated copies in the start directory.
    std::vector<std::string> DatedCopies() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.path())) {
            std::string name = entry.path().filename().string();
            if (name.rfind("!Console ", 0) == 0) names.push_back(name);
        }
        return names;
    }

    EConsole m_console;
};

TEST_F(EConsoleTest, APrintGoesOnTheNewestLineAndIntoTheLog) {
    m_console.OpenLog();
    m_console.Print("first");
    EXPECT_EQ(Log(), "first\n");
    m_console.Print("second");
    EXPECT_EQ(Log(), "first\nsecond\n");
    EXPECT_STREQ(m_console.RecentLine(0), "second");
    EXPECT_STREQ(m_console.RecentLine(1), "first");
    EXPECT_STREQ(m_console.RecentLine(2), "");
    EXPECT_STREQ(m_console.m_szOutput[EConsole::kOutputLines - 1], "second");
}

TEST_F(EConsoleTest, ALongTextTakesSeveralScreenLinesAndOneLogLine) {
    m_console.OpenLog();
    std::string text;
    for (int i = 0; i < 200; ++i) text += static_cast<char>('a' + i % 26);
    m_console.Print(text.c_str());
    EXPECT_EQ(std::string(m_console.RecentLine(2)), text.substr(0, 79));
    EXPECT_EQ(std::string(m_console.RecentLine(1)), text.substr(79, 79));
    EXPECT_EQ(std::string(m_console.RecentLine(0)), text.substr(158));
    EXPECT_EQ(std::strlen(m_console.RecentLine(0)), 42u);
    EXPECT_STREQ(m_console.RecentLine(3), "");
    EXPECT_EQ(Log(), text + "\n");
}

TEST_F(EConsoleTest, AVeryLongTextKeeps1023CharactersOnScreenAnd256InTheLog) {
    m_console.OpenLog();
    std::string text(1100, 'x');
    text[1022] = 'L';  // the last character kept
    m_console.Print(text.c_str());
    // 1023 = 12 x 79 + 75.
    EXPECT_EQ(std::strlen(m_console.RecentLine(0)), 75u);
    EXPECT_EQ(m_console.RecentLine(0)[74], 'L');
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(std::strlen(m_console.RecentLine(i)), 79u) << i;
    EXPECT_STREQ(m_console.RecentLine(13), "");
    EXPECT_EQ(Log(), std::string(256, 'x') + "\n");
}

TEST_F(EConsoleTest, AnEmptyPrintScrollsABlankLineAndLogsNothing) {
    m_console.OpenLog();
    m_console.Print("text");
    m_console.Print("");
    m_console.Print(nullptr);
    EXPECT_STREQ(m_console.RecentLine(0), "");
    EXPECT_STREQ(m_console.RecentLine(1), "");
    EXPECT_STREQ(m_console.RecentLine(2), "text");
    EXPECT_EQ(Log(), "text\n");
}

TEST_F(EConsoleTest, TheScreenKeepsTheLast128Lines) {
    for (int i = 0; i < 130; ++i) m_console.Print(std::to_string(i).c_str());
    EXPECT_STREQ(m_console.RecentLine(0), "129");
    EXPECT_STREQ(m_console.RecentLine(127), "2");
    EXPECT_STREQ(m_console.m_szOutput[0], "2");
    EXPECT_STREQ(m_console.RecentLine(128), "");
}

TEST_F(EConsoleTest, OnlyAnOpenLogIsWritten) {
    m_console.Print("before");
    EXPECT_FALSE(Exists("!console.txt"));
    m_console.OpenLog();
    m_console.Print("during");
    m_console.CloseLog();
    m_console.Print("after");
    EXPECT_EQ(Log(), "during\n");
    EXPECT_STREQ(m_console.RecentLine(0), "after");
}

TEST_F(EConsoleTest, OpeningDeletesThePreviousLog) {
    WriteFile("!Console.txt", "old run\n");
    m_console.OpenLog();
    EXPECT_FALSE(Exists("!Console.txt"));
    m_console.Print("new");
    EXPECT_EQ(Log(), "new\n");
    EXPECT_TRUE(DatedCopies().empty());
}

TEST_F(EConsoleTest, OpeningTellsWhetherTheLogCanBeWritten) {
    EXPECT_TRUE(m_console.OpenLog());
    // A folder where the log belongs stands for a game folder the log cannot be written in.
    fs::remove(Path("!console.txt"));
    fs::create_directory(Path("!console.txt"));
    EXPECT_FALSE(m_console.OpenLog());
}

TEST_F(EConsoleTest, WithoutBackupTheLogStaysAfterClosing) {
    m_console.OpenLog();
    m_console.Print("run");
    m_console.CloseLog();
    EXPECT_EQ(Log(), "run\n");
    EXPECT_TRUE(DatedCopies().empty());
}

TEST_F(EConsoleTest, WithBackupTheLogMovesToADatedCopyWhenClosed) {
    m_console.SetVariable("BackupConsole", 1.0f, 1);
    m_console.OpenLog();
    m_console.Print("line one");
    m_console.Print("line two");
    std::time_t before = std::time(nullptr);
    m_console.CloseLog();
    std::time_t after = std::time(nullptr);
    EXPECT_FALSE(Exists("!console.txt"));
    auto copies = DatedCopies();
    ASSERT_EQ(copies.size(), 1u);
    bool named = false;
    for (std::time_t t = before; t <= after; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        named = named || copies[0] == EConsole::DatedLogName(local);
    }
    EXPECT_TRUE(named) << copies[0];
    EXPECT_EQ(ReadFile(copies[0]), "line one\nline two\n");
}

TEST_F(EConsoleTest, WithBackupOpeningKeepsACopyOfThePreviousLog) {
    WriteFile("!console.txt", "previous\n");
    m_console.SetVariable("BackupConsole", 1.0f, 1);
    m_console.OpenLog();
    EXPECT_EQ(Log(), "");  // a fresh log
    auto copies = DatedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0]), "previous\n");
}

TEST_F(EConsoleTest, ABackupOverwritesACopyOfTheSameName) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    for (int s = 0; s < 3; ++s) {
        std::tm t = local;
        t.tm_sec += s;
        std::mktime(&t);
        WriteFile(EConsole::DatedLogName(t), "stale\n");
    }
    WriteFile("!console.txt", "fresh\n");
    ASSERT_TRUE(m_console.BackupLog());
    int fresh = 0;
    for (const std::string& name : DatedCopies()) fresh += ReadFile(name) == "fresh\n";
    EXPECT_EQ(fresh, 1);
    EXPECT_TRUE(Exists("!console.txt"));
}

TEST_F(EConsoleTest, NoLogNoBackup) {
    EXPECT_FALSE(m_console.BackupLog());
    EXPECT_TRUE(DatedCopies().empty());
}

TEST_F(EConsoleTest, TheDatedNameHasNoLeadingZeros) {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(EConsole::DatedLogName(t), "!Console 2024-3-5 at 7-8-9.txt");
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 58;
    EXPECT_EQ(EConsole::DatedLogName(t), "!Console 2024-12-31 at 23-59-58.txt");
}

TEST_F(EConsoleTest, TheLogIsInTheStartDirectoryWhateverTheCurrentDirectory) {
    m_console.OpenLog();
    test::TempDir elsewhere;
    {
        test::CurrentDirectory inside(elsewhere.path());
        m_console.Print("here");
    }
    EXPECT_EQ(Log(), "here\n");
    EXPECT_FALSE(fs::exists(elsewhere.path() / "!console.txt"));
}

TEST_F(EConsoleTest, FormattedPrints) {
    struct V {
        float x, y, z;
    } v{1.0f, -2.5f, 0.25f};
    m_console.OpenLog();
    m_console.PrintVector("pos", v);
    m_console.PrintStr2Vector("a", "b", v);
    m_console.PrintStr3Vector("a", "b", "c", v);
    m_console.PrintStr2("a", "b");
    m_console.PrintStr3("a", "b", "c");
    m_console.PrintStr4("a", "b", "c", "d");
    m_console.PrintStr5("a", "b", "c", "d", "e");
    m_console.PrintFloat("f=", 1.5f);
    m_console.PrintDouble("d=", 0.125);
    m_console.PrintFloatAlt("g=", -2.0f);
    m_console.PrintInt("i=", -7);
    m_console.PrintIntAlt("j=", 42);
    m_console.PrintStrFloatStr("speed ", 3.5f, " m/s");
    m_console.PrintStr2Float("a", "b", 0.5f);
    m_console.PrintStr2Int("Deleted windows: ", "", 3);
    m_console.PrintStr3Int("a", "b", "c", 4);
    m_console.PrintStr4Int("a", "b", "c", "d", 5);
    m_console.PrintStr2("null ", nullptr);
    EXPECT_EQ(Log(),
              "pos(1.000000, -2.500000, 0.250000)\n"
              "ab(1.000000, -2.500000, 0.250000)\n"
              "abc(1.000000, -2.500000, 0.250000)\n"
              "ab\n"
              "abc\n"
              "abcd\n"
              "abcde\n"
              "f=1.500000\n"
              "d=0.125000\n"
              "g=-2.000000\n"
              "i=-7\n"
              "j=42\n"
              "speed 3.500000 m/s\n"
              "ab0.500000\n"
              "Deleted windows: 3\n"
              "abc4\n"
              "abcd5\n"
              "null \n");
}

TEST_F(EConsoleTest, ConstructionDefaults) {
    EXPECT_EQ(m_console.m_bOpen, 0);
    EXPECT_EQ(m_console.m_iNumConsoleLines, 5);
    EXPECT_FALSE(m_console.BackupConsoleEnabled());
    for (int i = 0; i < EConsole::kOutputLines; ++i) EXPECT_STREQ(m_console.RecentLine(i), "");
}

// --- Loading screen -------------------------------------------------------------------------

class LoadingScreenTest : public EConsoleTest {
protected:
    void SetUp() override {
        EConsoleTest::SetUp();
        QueryAppTimer(TIMER_RESET);
        QueryAppTimer(TIMER_START);
    }
    static void Seconds(double s) {
        for (int i = 0; i < static_cast<int>(s * 60 + 0.5); ++i) plat::AdvanceFrame();
    }
};

TEST_F(LoadingScreenTest, ShowCountsTheMeshLinesOfTheWorldFile) {
    WriteFile("worlds\\farm.w", "mesh a.x\nmeshb.x\nsky x\n mesh indented\nMesh upper\nmesh c.x");
    m_console.ShowLoadingScreen("worlds\\farm.w");
    EXPECT_EQ(m_console.m_bLoading, 1);
    EXPECT_EQ(m_console.m_iLoadingExpected, 3);
    EXPECT_EQ(m_console.m_iLoadingDone, 0);
    EXPECT_EQ(m_console.m_iProgressTotal, 321);
    EXPECT_STREQ(m_console.m_szLoadingPicture, "hud_loading.tga");
}

TEST_F(LoadingScreenTest, AMissingWorldFileExpectsNoSteps) {
    m_console.ShowLoadingScreen("worlds\\none.w");
    EXPECT_EQ(m_console.m_bLoading, 1);
    EXPECT_EQ(m_console.m_iLoadingExpected, 0);
}

TEST_F(LoadingScreenTest, ThePictureFollowsTheCurrentRoute) {
    RouteTasks tasks;
    tasks.ploughing = 1;
    test::g_FakeGame.routeTasks = &tasks;
    m_console.ShowLoadingScreen("worlds\\none.w");
    EXPECT_STREQ(m_console.m_szLoadingPicture, "hud_level_loading_oranie.tga");
}

TEST_F(LoadingScreenTest, StagesFollowTheStepsAndRedrawWhenTheyChange) {
    WriteFile("worlds\\farm.w", "mesh a\nmesh b\nmesh c\n");
    m_console.ShowLoadingScreen("worlds\\farm.w");
    Seconds(0.5);
    int expectedStages[] = {2, 4, 6, 7, 7};  // done x 8 / 4, at most 7
    int frame = m_console.m_iLoadingFrame;
    for (int stage : expectedStages) {
        m_console.StepLoadingScreen();
        EXPECT_EQ(m_console.m_iLoadingStage, stage);
    }
    EXPECT_EQ(m_console.m_iLoadingDone, 5);
    // Only the first change found half a second gone since the last draw.
    EXPECT_EQ(m_console.m_iLoadingFrame, (frame + 1) % 8);
}

TEST_F(LoadingScreenTest, StepsAreNotCountedWhileTheMenuIsActive) {
    m_console.ShowLoadingScreen("worlds\\none.w");
    test::g_FakeGame.menuActive = true;
    m_console.StepLoadingScreen();
    EXPECT_EQ(m_console.m_iLoadingDone, 0);
}

TEST_F(LoadingScreenTest, DrawsAtMostEveryHalfSecondAndCyclesEightFrames) {
    m_console.ShowLoadingScreen("worlds\\none.w");
    EXPECT_EQ(m_console.m_iLoadingFrame, 255);  // too soon after the timer's start to draw
    Seconds(0.5);
    EXPECT_TRUE(m_console.DrawLoadingScreen());
    EXPECT_EQ(m_console.m_iLoadingFrame, 0);
    EXPECT_FLOAT_EQ(m_console.m_fLastLoadingDraw, 0.5f);
    EXPECT_FALSE(m_console.DrawLoadingScreen());
    Seconds(0.25);
    EXPECT_FALSE(m_console.DrawLoadingScreen());
    for (int i = 1; i <= 8; ++i) {
        Seconds(0.5);
        EXPECT_TRUE(m_console.DrawLoadingScreen());
        EXPECT_EQ(m_console.m_iLoadingFrame, i % 8);
    }
}

TEST_F(LoadingScreenTest, DrawsOnlyWhileLoadingEarlyInTheWorldAndOutsideTheMenu) {
    Seconds(1);
    EXPECT_FALSE(m_console.DrawLoadingScreen());  // not loading
    m_console.ShowLoadingScreen("worlds\\none.w");
    EXPECT_EQ(m_console.m_iLoadingFrame, 0);  // drawn once on showing
    Seconds(1);
    test::g_FakeGame.menuActive = true;
    EXPECT_FALSE(m_console.DrawLoadingScreen());
    test::g_FakeGame.menuActive = false;
    test::g_FakeGame.frame = 199;
    EXPECT_FALSE(m_console.DrawLoadingScreen());
    test::g_FakeGame.frame = 198;
    EXPECT_TRUE(m_console.DrawLoadingScreen());
    m_console.EndLoadingScreen();
    EXPECT_EQ(m_console.m_bLoading, 0);
    Seconds(1);
    EXPECT_FALSE(m_console.DrawLoadingScreen());
}

// What the console asks its view to draw, in order.
class RecordingView : public ConsoleView {
public:
    std::vector<std::string> calls;
    void DrawConsole(const EConsole&) override { calls.push_back("console"); }
    void CreateLoadingQuads(const char* picture) override { calls.push_back(std::string("quads ") + picture); }
    void ReleaseProgressBar() override { calls.push_back("release bar"); }
    void BeginLoadingFrame() override { calls.push_back("begin"); }
    void EndLoadingFrame() override { calls.push_back("end"); }
    void DrawTextBox() override { calls.push_back("text box"); }
    void DrawProgressBar(float fraction) override { calls.push_back("bar " + std::to_string(fraction)); }
    void PrintText(const char* text, float x, float y, uint32_t colour, float size) override {
        char line[160];
        std::snprintf(line, sizeof line, "%s at %g,%g size %g", text, x, y, size);
        calls.push_back(line);
    }
};

class ConsoleViewTest : public LoadingScreenTest {
protected:
    void SetUp() override {
        LoadingScreenTest::SetUp();
        WriteFile("scripts\\text_keys.txt",
                  ">TD03 Plough it\n>LL5T0 first tip\n>LL5T1 second tip\n>LL0T0 menu tip\n");
        g_TextMgr.Load();
        m_console.InstallView(&m_view);
        m_tasks.ploughing = 1;
        test::g_FakeGame.routeTasks = &m_tasks;
        g_CoreHooks.loadingScreenUpdate = [] { s_calls->push_back("loading screen update"); };
        s_calls = &m_view.calls;
    }
    void TearDown() override {
        g_TextMgr.Load();
        LoadingScreenTest::TearDown();
    }
    RecordingView m_view;
    RouteTasks m_tasks;
    static inline std::vector<std::string>* s_calls = nullptr;
};

TEST_F(ConsoleViewTest, ALoadingFrameDrawsThePictureTheBarTheTipsAboveTheTaskTextAndTheScreensShare) {
    Seconds(1);
    m_console.m_iProgressDone = 107;
    m_console.ShowLoadingScreen("worlds\none.w");
    // Two tips: the block starts two rows of 26 above 658.
    EXPECT_EQ(m_view.calls, (std::vector<std::string>{"quads hud_level_loading_oranie.tga", "begin", "text box",
                                                      "bar 0.000000", "first tip at 80,606 size 22",
                                                      "second tip at 80,632 size 22",
                                                      "Plough it at 80,692 size 18", "loading screen update",
                                                      "end"}));
}

TEST_F(ConsoleViewTest, TheMenusTipsSitLowerAndTheMenuHasNoTaskText) {
    m_console.m_bLoading = 1;
    test::g_FakeGame.menuActive = true;
    m_console.DrawLoadingTips();
    m_console.DrawTaskText();
    EXPECT_EQ(m_view.calls, std::vector<std::string>{"menu tip at 80,672 size 22"});
}

TEST_F(ConsoleViewTest, BeforeTheFirstFrameOfAWorldOnlyTheTaskTextIsDrawn) {
    m_console.m_bLoading = 1;
    test::g_FakeGame.frame = 0;
    m_console.Draw();
    test::g_FakeGame.frame = 1;
    m_console.Draw();
    test::g_FakeGame.frame = 0;
    test::g_FakeGame.menuActive = true;
    m_console.Draw();
    EXPECT_EQ(m_view.calls, (std::vector<std::string>{"Plough it at 80,692 size 18", "console", "console"}));
}

TEST_F(ConsoleViewTest, TheBarFinishesTheFrameAndEndingTheScreenReleasesIt) {
    m_console.m_iProgressDone = 321;
    m_console.DrawProgressBar();
    m_console.EndLoadingScreen();
    EXPECT_EQ(m_view.calls, (std::vector<std::string>{"bar 1.000000", "end", "release bar"}));
}

TEST_F(LoadingScreenTest, ProgressFillsTheBar) {
    m_console.ShowLoadingScreen("worlds\\none.w");
    EXPECT_FLOAT_EQ(m_console.LoadingProgressFraction(), 0.0f);
    m_console.AddLoadingProgress(100);
    EXPECT_EQ(m_console.m_iProgressDone, 100);
    EXPECT_FLOAT_EQ(m_console.LoadingProgressFraction(), 1.4f * 100 / 321);
    m_console.AddLoadingProgress(130);
    EXPECT_FLOAT_EQ(m_console.LoadingProgressFraction(), 1.0f);  // 1.4 x 230 / 321 > 1
    m_console.AddLoadingProgress(1000);
    EXPECT_FLOAT_EQ(m_console.LoadingProgressFraction(), 1.0f);
    m_console.m_iProgressDone = -5;
    EXPECT_FLOAT_EQ(m_console.LoadingProgressFraction(), 0.0f);
    // The next loading screen starts empty again.
    m_console.m_iProgressDone = 300;
    m_console.ShowLoadingScreen("worlds\\none.w");
    EXPECT_FLOAT_EQ(m_console.LoadingProgressFraction(), 0.0f);
}

TEST_F(LoadingScreenTest, ProgressRedrawsOnlyWhileLoading) {
    Seconds(1);
    m_console.AddLoadingProgress(5);
    EXPECT_EQ(m_console.m_iLoadingFrame, 255);
    m_console.ShowLoadingScreen("worlds\\none.w");
    Seconds(1);
    m_console.AddLoadingProgress(5);
    EXPECT_EQ(m_console.m_iLoadingFrame, 1);
}

TEST_F(LoadingScreenTest, ResetClearsLoadingAndTheInputLine) {
    m_console.ShowLoadingScreen("worlds\\none.w");
    std::strcpy(m_console.m_szInputLine, "Debug 1");
    m_console.m_iCursor = 7;
    m_console.Reset();
    EXPECT_EQ(m_console.m_bLoading, 0);
    EXPECT_STREQ(m_console.m_szInputLine, "");
    EXPECT_EQ(m_console.m_iCursor, 0);
}

// Each task flag alone, in the order of the route record.
struct TaskCase {
    uint8_t RouteTasks::*flag;
    const char* picture;
    const char* taskKey;
    char tipsGroup;
};

const TaskCase kTaskCases[] = {
    {&RouteTasks::baling, "hud_level_loading_belowanie.tga", ">TD04", 'a'},
    {&RouteTasks::grainDelivery, "hud_level_loading_dozsypu.tga", ">TD06", '2'},
    {&RouteTasks::baleCollecting, "hud_level_loading_bale.tga", nullptr, '1'},
    {&RouteTasks::grassMowing, "hud_level_loading_koszenietrawy.tga", ">TD07", '4'},
    {&RouteTasks::sowing, "hud_level_loading_sianie.tga", ">TD08", '7'},
    {&RouteTasks::raceWithOpponents, "hud_level_loading_zprzeciwnikami.tga", ">TD01", '9'},
    {&RouteTasks::mowing, "hud_level_loading_koszenie.tga", ">TD05", '3'},
    {&RouteTasks::ploughing, "hud_level_loading_oranie.tga", ">TD03", '5'},
    {&RouteTasks::slalom, "hud_level_loading_slalom.tga", ">TD02", '8'},
    {&RouteTasks::planting, "hud_level_loading_sadzenie.tga", ">TD10", '6'},
};

TEST(LoadingChoicesTest, EachTaskAlone) {
    for (const TaskCase& c : kTaskCases) {
        SCOPED_TRACE(c.picture);
        RouteTasks t;
        t.*c.flag = 1;
        EXPECT_STREQ(EConsole::LoadingPictureFor(&t), c.picture);
        if (c.taskKey) EXPECT_STREQ(EConsole::LoadingTaskKey(&t, false), c.taskKey);
        else EXPECT_EQ(EConsole::LoadingTaskKey(&t, false), nullptr);
        EXPECT_EQ(EConsole::LoadingTipsGroup(&t, false), c.tipsGroup);
        EXPECT_EQ(EConsole::LoadingTipsGroup(&t, true), '0');
    }
}

TEST(LoadingChoicesTest, TheFirstTaskInEachOrderDecides) {
    RouteTasks t;
    t.planting = 1;
    t.baling = 1;
    t.raceWithOpponents = 1;
    t.baleCollecting = 1;
    EXPECT_STREQ(EConsole::LoadingPictureFor(&t), "hud_level_loading_belowanie.tga");
    EXPECT_STREQ(EConsole::LoadingTaskKey(&t, false), ">TD01");
    EXPECT_EQ(EConsole::LoadingTipsGroup(&t, false), '1');
    t.secondRace = 1;
    EXPECT_STREQ(EConsole::LoadingTaskKey(&t, false), ">TD09");
}

TEST(LoadingChoicesTest, NoTaskAtAll) {
    RouteTasks none;
    EXPECT_STREQ(EConsole::LoadingPictureFor(&none), "hud_loading.tga");
    EXPECT_STREQ(EConsole::LoadingPictureFor(nullptr), "hud_loading.tga");
    EXPECT_EQ(EConsole::LoadingTaskKey(&none, false), nullptr);
    EXPECT_STREQ(EConsole::LoadingTaskKey(&none, true), ">TD11");
    EXPECT_STREQ(EConsole::LoadingTaskKey(nullptr, true), ">TD11");
    EXPECT_EQ(EConsole::LoadingTipsGroup(&none, false), 0);
    EXPECT_EQ(EConsole::LoadingTipsGroup(nullptr, false), 0);
    EXPECT_EQ(EConsole::LoadingTipsGroup(nullptr, true), '0');
    EXPECT_EQ(EConsole::LoadingTipKey('3', 7), ">LL3T7");
    EXPECT_EQ(EConsole::LoadingTipKey('a', 0), ">LLaT0");
}

}  // namespace

// --- The executor over an installed command table ---------------------------------------------

namespace {

std::vector<std::string> g_applied;

CommandResult First(EConsole&, const char* value, uint8_t flag) {
    g_applied.push_back("first " + std::string(value) + " " + std::to_string(flag));
    return CommandResult::Continue;
}

CommandResult Second(EConsole&, const char* value, uint8_t) {
    g_applied.push_back("second " + std::string(value));
    return CommandResult::Continue;
}

CommandResult Ending(EConsole&, const char*, uint8_t) {
    g_applied.push_back("ending");
    return CommandResult::EndExecutor;
}

// Two entries of one name around one that ends the executor.
constexpr ConsoleCommand kTable[] = {{"Twice", First}, {"Ending", Ending}, {"twice", Second}, {"Ending", First}};

class ExecutorTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        g_applied.clear();
        g_Console.InstallCommands(kTable);
        g_Console.SetVariable("Fog", 5.0f, 0);
    }
    void TearDown() override {
        g_Console.InstallCommands({});
        ConsoleLogTest::TearDown();
    }
    static float Variable(const char* name) {
        float value = -1;
        g_Console.GetVariable(name, value);
        return value;
    }
};

TEST_F(ExecutorTest, EveryEntryOfTheNameAppliesInTableOrderThenFogAmbientAndSkyLightAreCleared) {
    g_Console.ExecuteCommand("TWICE", "7", 1);
    EXPECT_EQ(g_applied, (std::vector<std::string>{"first 7 1", "second 7"}));
    EXPECT_EQ(Variable("twice"), 7.0f);
    EXPECT_EQ(g_Console.FindVariable("Twice")->flag, 1);
    EXPECT_EQ(Variable("Fog"), 0.0f);
    EXPECT_EQ(Variable("Ambient"), 0.0f);
    EXPECT_EQ(Variable("SkyLight"), 0.0f);
}

TEST_F(ExecutorTest, AnEntryThatEndsTheExecutorStopsTheWalkAndSkipsTheClosingStep) {
    g_Console.ExecuteCommand("ending", "1", 0);
    EXPECT_EQ(g_applied, std::vector<std::string>{"ending"});
    EXPECT_EQ(Variable("Fog"), 5.0f);
    EXPECT_EQ(g_Console.FindVariable("Ambient"), nullptr);
}

TEST_F(ExecutorTest, ANameOfNoCommandOnlyBecomesAVariable) {
    g_Console.ExecuteCommand("LevelVariable", "2.5", 0);
    g_Console.ExecuteCommand("Twice", "", 0);  // no value: nothing at all
    EXPECT_TRUE(g_applied.empty());
    EXPECT_EQ(Variable("LevelVariable"), 2.5f);
    EXPECT_EQ(g_Console.FindVariable("Twice"), nullptr);
    EXPECT_EQ(Variable("Fog"), 0.0f);
}

}  // namespace
