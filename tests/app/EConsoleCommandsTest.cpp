// The console's variables, configuration files and typed lines, run through the game's command
// table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/FloorHooks.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "support/AppHooks.h"
#include "support/ConsoleLogTest.h"
#include "world/EEngine.h"

// --- Variables and configuration files ------------------------------------------------------

namespace {

class ConsoleVariablesTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_Engine);
        InstallFloorHooks();
    }
    void TearDown() override {
        test::ResetGlobal(g_Engine);
        test::ResetFloorHooks();
        ConsoleLogTest::TearDown();
    }
    static int VariableCount() {
        int count = 0;
        for (const ConsoleVariable* v = g_Console.m_pZmienne; v; v = v->next) ++count;
        return count;
    }
    static float Variable(const char* name) {
        float value = -1;
        g_Console.GetVariable(name, value);
        return value;
    }
};

TEST_F(ConsoleVariablesTest, VariablesAreFoundIgnoringCaseAndKeepTheirFirstNameAndFlag) {
    EXPECT_EQ(VariableCount(), 1);  // "quit", made with the console
    EXPECT_EQ(Variable("QUIT"), 0.0f);
    g_Console.SetVariable("FarZ", 800.0f, 1);
    g_Console.SetVariable("farz", 900.0f, 0);
    ConsoleVariable* v = g_Console.FindVariable("FARZ");
    ASSERT_NE(v, nullptr);
    EXPECT_STREQ(v->name, "FarZ");
    EXPECT_EQ(v->value, 900.0f);
    EXPECT_EQ(v->flag, 1);
    EXPECT_EQ(g_Console.m_pZmienne, v);  // new variables go to the head
    EXPECT_EQ(v->next->prev, v);
    EXPECT_EQ(VariableCount(), 2);

    float value = 5;
    EXPECT_FALSE(g_Console.GetVariable("missing", value));
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(g_Console.FindVariable(""), nullptr);
}

TEST_F(ConsoleVariablesTest, AnOverlongNameIsKnownByItsFirst127Characters) {
    std::string name(200, 'n');
    g_Console.SetVariable(name.c_str(), 1.0f, 0);
    g_Console.SetVariable(name.c_str(), 2.0f, 0);
    EXPECT_EQ(VariableCount(), 2);
    EXPECT_EQ(std::strlen(g_Console.m_pZmienne->name), 127u);
    EXPECT_EQ(Variable(name.substr(0, 127).c_str()), 2.0f);
}

TEST_F(ConsoleVariablesTest, FreeingEmptiesTheList) {
    g_Console.SetVariable("a", 1.0f, 0);
    g_Console.FreeVariables();
    EXPECT_EQ(g_Console.m_pZmienne, nullptr);
    EXPECT_EQ(g_Console.FindVariable("quit"), nullptr);
}

TEST_F(ConsoleVariablesTest, TheConfigurationFileMarksItsVariablesAndForcesTheWindowSize) {
    WriteFile("qv.cfg", "Windowed 1\nscreenwidth 1920\nscreenheight 1200 \t\n\nStartMenu 1\r\nLevelVariable 2.5\n");
    g_Console.ExecFile("QV.CFG");
    EXPECT_EQ(g_Settings.m_bWindowed, 1);
    EXPECT_EQ(g_Settings.m_iScreenWidth, 800);
    EXPECT_EQ(g_Settings.m_iScreenHeight, 600);
    EXPECT_FLOAT_EQ(g_Settings.m_fScaleX, 800.0f / 1024.0f);
    EXPECT_FLOAT_EQ(g_Settings.m_fScaleY, 600.0f / 768.0f);
    EXPECT_EQ(g_Settings.m_bStartMenu, 1);
    EXPECT_EQ(g_Console.FindVariable("screenheight")->value, 1200.0f);
    EXPECT_EQ(g_Console.FindVariable("LevelVariable")->flag, 1);

    WriteFile("other.cfg", "screenwidth 1024\nscreenheight 768\nWindowed 0\nOtherVariable 1\n");
    g_Console.Exec("other.cfg");
    EXPECT_EQ(g_Settings.m_iScreenWidth, 1024);
    EXPECT_FLOAT_EQ(g_Settings.m_fScaleX, 1.0f);
    EXPECT_FLOAT_EQ(g_Settings.m_fScaleY, 1.0f);
    EXPECT_EQ(g_Console.FindVariable("OtherVariable")->flag, 0);
    EXPECT_EQ(g_Console.FindVariable("Windowed")->flag, 1);  // made by qv.cfg
}

TEST_F(ConsoleVariablesTest, AMissingFileOrNameChangesNothing) {
    g_Console.ExecFile("nothing.cfg");
    g_Console.Exec("");
    g_Console.Exec(nullptr);
    EXPECT_EQ(VariableCount(), 1);
    EXPECT_EQ(g_Settings.m_iScreenWidth, 640);
    EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(ConsoleVariablesTest, AnOverlongLineIsLeftOutWholeAndTheNextLineRuns) {
    // A reader cutting at 256 characters would run the line's tail, "DrawSky 0", as a command.
    std::string overlong = "God " + std::string(252, 'x') + "DrawSky 0";
    std::string longest = "Difficulty " + std::string(244, ' ') + "2";  // 256 characters
    WriteFile("long.cfg", overlong + "\n" + longest + "\nDebug 3\n");
    g_Console.ExecFile("long.cfg");
    EXPECT_EQ(g_Settings.m_bGod, 0);
    EXPECT_EQ(g_Settings.m_bDrawSky, 1);
    EXPECT_EQ(g_Console.FindVariable("God"), nullptr);
    EXPECT_EQ(g_Settings.m_iDifficulty, 2);
    EXPECT_EQ(g_Settings.m_iDebug, 3);
    EXPECT_EQ(ConsoleLines(), std::vector<std::string>{"Line too long, skipped in long.cfg"});
}

TEST_F(ConsoleVariablesTest, AValueThatIsNotTheNumberACommandNeedsIsSaidAndReadsAsZero) {
    WriteFile("qv.cfg",
              "Windowed yes\nFOV wide\nFog 10 20\nDebug 2\nLevelVariable some text\nrunworld worlds\\x.w\n");
    g_Console.ExecFile("qv.cfg");
    EXPECT_EQ(g_Settings.m_bWindowed, 0);
    EXPECT_EQ(g_Settings.m_fFOV, 0.0f);
    EXPECT_EQ(g_Settings.m_iDebug, 2);
    // A name that is no command, and a command whose value is text, take any value.
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"\"Windowed yes\": not the number it needs; 0 is used",
                                                        "\"FOV wide\": not the number it needs; 0 is used",
                                                        "\"Fog 10 20\": not the number it needs; 0 is used"}));
}

TEST_F(ConsoleVariablesTest, ExecuteLineSplitsAtTheFirstBlankOrTab) {
    g_Console.ExecuteLine("Debug\t4");
    g_Console.ExecuteLine("runworld   worlds\\x.w  ");
    EXPECT_EQ(g_Settings.m_iDebug, 4);
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "worlds\\x.w");
    EXPECT_EQ(g_Console.FindVariable("Debug")->flag, 0);
}

TEST_F(ConsoleVariablesTest, TheBackupSwitchIsTheBackupConsoleVariable) {
    EXPECT_FALSE(g_Console.BackupConsoleEnabled());
    g_Console.ExecuteLine("backupconsole 1");
    EXPECT_TRUE(g_Console.BackupConsoleEnabled());
    g_Console.ExecuteLine("BackupConsole 0");
    EXPECT_FALSE(g_Console.BackupConsoleEnabled());
}

// --- Typed lines ------------------------------------------------------------------------------

class TypedLineTest : public ConsoleVariablesTest {
protected:
    void SetUp() override {
        ConsoleVariablesTest::SetUp();
        g_Console.Open();
    }
    // Each character by the virtual key that types it.
    static void Type(const std::string& text) {
        for (char c : text) {
            uint32_t key = static_cast<unsigned char>(c);
            if (c >= 'a' && c <= 'z') key = static_cast<uint32_t>(c - 'a' + 'A');
            else if (c == '.') key = 190;
            else if (c == '-') key = 189;
            else if (c == '\\') key = 220;
            g_Console.OnKeyDown(key);
        }
    }
    static void Enter(const std::string& text) {
        Type(text);
        g_Console.OnKeyDown(kEnter);
    }
    static std::string Input() { return g_Console.m_szInputLine; }

    static constexpr uint32_t kBackspace = 8, kTab = 9, kEnter = 13, kLeft = 37, kUp = 38, kRight = 39,
                              kDown = 40, kDelete = 46;
};

TEST_F(TypedLineTest, KeysEditTheLineAtTheCursor) {
    struct Case {
        std::vector<uint32_t> keys;
        const char* line;
        int cursor;
    } cases[] = {
        {{'A', 'B', 'C'}, "abc", 3},
        {{'A', 'C', kLeft, 'B'}, "abc", 2},
        {{'A', 'B', kBackspace}, "a", 1},
        {{'A', 'B', kLeft, kLeft, kBackspace, kDelete}, "b", 0},  // nothing before the cursor
        {{'A', 'B', kLeft, kDelete, kDelete}, "a", 1},            // nothing at the cursor
        {{'A', kRight, kRight, kLeft, kLeft, kLeft}, "a", 0},
        {{'1', ' ', 45, 92, 190, 189, 220, '0'}, "1 -\\.-\\0", 8},
        {{'A', 112, 16, 'B'}, "ab", 2},  // keys that type nothing
    };
    for (const Case& c : cases) {
        g_Console.Reset();
        for (uint32_t key : c.keys) g_Console.OnKeyDown(key);
        EXPECT_EQ(Input(), c.line);
        EXPECT_EQ(g_Console.m_iCursor, c.cursor) << c.line;
    }
}

TEST_F(TypedLineTest, TheLineHoldsAtMost79Characters) {
    Type(std::string(85, 'x'));
    EXPECT_EQ(Input(), std::string(79, 'x'));
    EXPECT_EQ(g_Console.m_iCursor, 79);
}

TEST_F(TypedLineTest, ANameAndValueAreEchoedAndExecuted) {
    Enter("god 1");
    EXPECT_EQ(g_Settings.m_bGod, 1);
    EXPECT_EQ(ConsoleLines(), std::vector<std::string>{"god 1"});
    EXPECT_EQ(Input(), "");
    EXPECT_EQ(g_Console.m_iCursor, 0);
    EXPECT_EQ(g_Console.FindVariable("god")->flag, 0);
}

TEST_F(TypedLineTest, ANameAloneShowsItsVariableOrIsEchoed) {
    g_Console.SetVariable("FarZ", 1.5f, 0);
    Enter("farz");
    Enter("nothing");
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"FarZ == 1.500000", "nothing"}));
    EXPECT_EQ(g_Console.FindVariable("nothing"), nullptr);
}

TEST_F(TypedLineTest, TheConsolesOwnWords) {
    WriteFile("mine.cfg", "Difficulty 0\n");
    Enter("exec mine.cfg");
    EXPECT_EQ(g_Settings.m_iDifficulty, 0);
    Enter("versionfor");
    EXPECT_EQ(ConsoleLines().size(), 2u);
    Enter("runworld worlds\\typed.w");
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "worlds\\typed.w");
    Enter("quit");
    EXPECT_EQ(g_Engine.m_bQuit, 1);
    Enter("close");
    EXPECT_EQ(g_Console.m_bOpen, 0);
}

TEST_F(TypedLineTest, TheConsoleKeyClosesAndF8AsksForAScreenshot) {
    g_Console.OnKeyDown(119);
    EXPECT_EQ(g_Engine.m_bScreenshot, 1);
    EXPECT_EQ(g_Console.m_bOpen, 1);
    g_Console.OnKeyDown(EConsole::kConsoleKey);
    EXPECT_EQ(g_Console.m_bOpen, 0);
    EXPECT_EQ(Input(), "");
}

TEST_F(TypedLineTest, UpAndDownWalkTheHistory) {
    Enter("one 1");
    Enter("two 2");
    g_Console.OnKeyDown(kUp);
    EXPECT_EQ(Input(), "two 2");
    EXPECT_EQ(g_Console.m_iCursor, 5);
    g_Console.OnKeyDown(kUp);
    g_Console.OnKeyDown(kUp);  // no older entry: stays
    EXPECT_EQ(Input(), "one 1");
    g_Console.OnKeyDown(kDown);
    EXPECT_EQ(Input(), "two 2");
    g_Console.OnKeyDown(kDown);
    EXPECT_EQ(Input(), "");
    EXPECT_EQ(g_Console.m_iHistoryIndex, 0);
    g_Console.OnKeyDown(kDown);
    EXPECT_EQ(g_Console.m_iHistoryIndex, 0);
}

TEST_F(TypedLineTest, TheHistoryKeepsThe63NewestLines) {
    for (int i = 0; i < 70; ++i) Enter("v" + std::to_string(i));
    for (int i = 0; i < 80; ++i) g_Console.OnKeyDown(kUp);
    EXPECT_EQ(g_Console.m_iHistoryIndex, EConsole::kHistoryLines - 1);
    EXPECT_EQ(Input(), "v7");
}

TEST_F(TypedLineTest, TabCompletesAUniqueNameAndListsSharedOnes) {
    g_Console.SetVariable("SkyFogHeight", 2.0f, 0);
    g_Console.SetVariable("SkyFogCoef", 0.5f, 0);
    g_Console.SetVariable("SkyLightPower", 1.0f, 0);
    Type("sky");
    g_Console.OnKeyDown(kTab);
    EXPECT_EQ(Input(), "sky");
    EXPECT_EQ(ConsoleLines(),
              (std::vector<std::string>{"SkyLightPower 1.000000", "SkyFogCoef 0.500000", "SkyFogHeight 2.000000"}));
    Type("l");
    g_Console.OnKeyDown(kTab);
    EXPECT_EQ(Input(), "SkyLightPower");
    EXPECT_EQ(g_Console.m_iCursor, 13);
    g_Console.Reset();
    g_Console.OnKeyDown(kTab);  // nothing typed: nothing listed
    EXPECT_EQ(ConsoleLines().size(), 3u);
}

}  // namespace
