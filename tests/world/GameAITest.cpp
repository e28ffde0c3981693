// The level logic over small scripts: conditions, effects, the once-action rule, levels read from
// several files, and lines that stand outside any level or action.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "world/WorldFixture.h"

namespace {

constexpr const char* kWorld = "worlds\\farm.w";

class GameAITest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        std::snprintf(g_Engine.m_szStartingWorld, sizeof g_Engine.m_szStartingWorld, "%s", kWorld);
        test::g_LevelFrame = 200;
    }

    // Reads the script and makes its level current and running.
    static void Load(const std::vector<std::string>& lines) {
        g_GameAI.ReadScriptText(test::Text(lines));
        g_GameAI.SelectWorldScript();
        g_GameAI.m_bEnabled = 1;
    }

    // A level whose one action runs the statements and then sets "ran".
    static void LoadAction(const std::vector<std::string>& statements, const std::vector<std::string>& before = {}) {
        std::vector<std::string> lines = before;
        lines.push_back(std::string("level ") + kWorld);
        lines.push_back("action test");
        lines.insert(lines.end(), statements.begin(), statements.end());
        lines.push_back("set ran");
        Load(lines);
    }

    static void Frames(int n, float frameTime = 1.0f / 60) {
        g_Engine.m_fFrameTime = frameTime;
        for (int i = 0; i < n; ++i) g_GameAI.Update();
    }

    static int32_t Integer(const char* name) {
        const strzmienne* v = g_GameAI.FindVariable(name);
        return v ? v->m_iInteger : -999;
    }

    bool Logged(const std::string& text) const {
        const auto lines = ConsoleLines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
};

struct ConditionCase {
    const char* name;
    std::vector<std::string> declarations;
    std::string condition;
    std::function<void()> arrange;
    bool holds;
};

TEST_F(GameAITest, EachConditionKindHoldsOrStopsTheChain) {
    const std::vector<ConditionCase> cases = {
        {"if on a set variable", {"bool a"}, "if a", [] { g_GameAI.SetVariable("a", nullptr); }, true},
        {"if on a clear variable", {"bool a"}, "if a", [] {}, false},
        {"ifnot on a variable nobody declared", {}, "ifnot a", [] {}, false},
        {"ifnot on a declared clear variable", {"bool a"}, "if_not a", [] {}, true},
        {"if_int_greater 0 tests nothing", {"int n"}, "if_int_greater 0 n", [] {}, true},
        {"if_int_greater 1 with 1", {"int n"}, "if_int_greater 1 n", [] { g_GameAI.FindVariable("n")->m_iInteger = 1; }, false},
        {"if_int_greater 1 with 2", {"int n"}, "if_int_greater 1 n", [] { g_GameAI.FindVariable("n")->m_iInteger = 2; }, true},
        {"if_int_greater on a missing variable", {}, "if_int_greater 1 n", [] {}, false},
        {"if_int_less 3 with 2", {"int n"}, "if_int_less 3 n", [] { g_GameAI.FindVariable("n")->m_iInteger = 2; }, true},
        {"if_int_less 3 with 3", {"int n"}, "if_int_less 3 n", [] { g_GameAI.FindVariable("n")->m_iInteger = 3; }, false},
        {"counter below its seconds", {"licznik c"}, "if_counter_greater 10 c", [] { g_GameAI.FindVariable("c")->m_fCounter = 5; }, false},
        {"counter past its seconds", {"licznik c"}, "iflicznikwiekszyniz 10 c", [] { g_GameAI.FindVariable("c")->m_fCounter = 11; }, true},
        {"counter test on a missing variable passes", {}, "if_counter_greater 10 c", [] {}, true},
        {"counter less", {"counter c"}, "if_counter_less 10 c", [] { g_GameAI.FindVariable("c")->m_fCounter = 5; }, true},
        {"mesh closer than its distance", {}, "ifmeshblizejniz 25 gate", [] {}, true},
        {"mesh not closer", {}, "if_mesh_blizej_niz 5 gate", [] {}, false},
        {"mesh distance of 1 or less tests nothing", {}, "ifmeshblizejniz 0.5 gate", [] {}, true},
        {"mesh farther", {}, "ifmeshdalejniz 5 gate", [] {}, true},
        {"missing mesh is neither closer nor farther", {}, "ifmeshdalejniz 5 nothing", [] {}, false},
        {"hostile closer than a distance above 1", {}, "ifhostileblizejniz 5", [] {}, false},
        {"hostile closer than 1 tests nothing", {}, "if_hostile_blizej_niz 1", [] {}, true},
        {"ifdead is never true", {}, "ifdead gate", [] {}, false},
        {"ifplayerseenby is never true", {}, "if_player_seen_by gate", [] {}, false},
        {"ifseenbyhostile is never true", {}, "ifseenbyhostile", [] {}, false},
        {"if_hit after a hit this frame", {}, "if_hit gate", [] { g_GameAI.RegisterHit("Gate"); }, true},
        {"if_hit without a hit", {}, "if_hit gate", [] {}, false},
        {"ifalive is stored, not tested", {}, "ifalive nothing", [] {}, true},
    };
    for (const ConditionCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ResetGlobal(g_GameAI);
        g_Camera.m_vPosition = DV{0, 0, 0};
        if (!Find("gate")) AddMesh("gate", DV{10, 0, 0});
        LoadAction({c.condition}, c.declarations);
        c.arrange();
        Frames(1);
        EXPECT_EQ(g_GameAI.IsSet("ran"), c.holds);
    }
}

struct EffectCase {
    const char* name;
    std::vector<std::string> declarations;
    std::vector<std::string> statements;
    std::function<void()> arrange;
    std::function<bool()> check;
};

TEST_F(GameAITest, EachEffectKindChangesWhatItNames) {
    const std::vector<EffectCase> cases = {
        {"set makes a bool", {}, {"set b"}, [] {}, [] { return g_GameAI.IsSet("b"); }},
        {"unset clears it", {}, {"unset b"}, [] { g_GameAI.SetVariable("b", nullptr); }, [] { return !g_GameAI.IsSet("b"); }},
        {"inc adds 1", {"int n"}, {"inc n"}, [] {}, [] { return Integer("n") == 1; }},
        {"inc with an amount", {"int n"}, {"inc 5 n"}, [] {}, [] { return Integer("n") == 5; }},
        {"dec with an amount", {"int n"}, {"dec 2 n", "dec n"}, [] {}, [] { return Integer("n") == -3; }},
        {"set on an integer zeroes it and keeps its flag", {"int n"}, {"set n"},
         [] { g_GameAI.FindVariable("n")->m_iInteger = 7; },
         [] { return Integer("n") == 0 && !g_GameAI.IsSet("n"); }},
        {"set on a counter restarts it", {"licznik c"}, {"set c"},
         [] { g_GameAI.FindVariable("c")->m_fCounter = 30; },
         [] { return g_GameAI.FindVariable("c")->m_fCounter < 0.1f; }},
        {"music plays the file", {}, {"music music\\farm.ogg"}, [] {},
         [] { return test::g_EngineCalls == std::vector<std::string>{"mainGamePlayMusic music\\farm.ogg"}; }},
        {"music * stops it", {}, {"music *"}, [] {},
         [] { return test::g_EngineCalls == std::vector<std::string>{"mainGamePlayMusic (null)"}; }},
        {"ambient_sound sets the engine's ambient sound", {}, {"ambient_sound sounds\\wind.wav"}, [] {},
         [] { return std::string(g_EngineObject.m_szPendingAmbient) == "sounds\\wind.wav"; }},
        {"deactivate takes the object out", {}, {"deactivate gate"}, [] {},
         [] { return Find("gate")->m_uFlags == 128; }},
        {"activate brings it back with its flags", {}, {"deactivate gate", "activate gate"}, [] {},
         [] { return Find("gate")->m_uFlags == kDefaultObjectFlags; }},
        {"startlevel requests the world and ends the chain", {}, {"startlevel worlds\\next.w", "set after"}, [] {},
         [] { return std::string(g_Engine.m_szPendingWorld) == "worlds\\next.w" && !g_GameAI.IsSet("after"); }},
    };
    for (const EffectCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ResetGlobal(g_GameAI);
        g_Engine.m_szPendingWorld[0] = 0;
        if (EObjectSlot* gate = Find("gate")) g_Engine.DeleteObject(gate);
        AddMesh("gate", DV{10, 0, 0});
        LoadAction(c.statements, c.declarations);
        c.arrange();
        test::g_EngineCalls.clear();
        g_GameAI.m_bEnabled = 1;
        Frames(1);
        EXPECT_TRUE(c.check());
    }
}

TEST_F(GameAITest, PrintAndMissingObjectsSayWhatHappened) {
    LoadAction({"print The gate is open", "set_anim barn idle", "kill_object barn", "activate barn"});
    Frames(1);
    EXPECT_TRUE(Logged("The gate is open"));
    EXPECT_TRUE(Logged("Object to set anim barn NOT found!"));
    EXPECT_TRUE(Logged("GameAI.Activate can't find object barn"));
    // Nothing missing stops the chain.
    EXPECT_TRUE(g_GameAI.IsSet("ran"));
}

TEST_F(GameAITest, AOnceActionRepeatsUntilItsChainCompletesThenNeverRunsAgain) {
    Load({"bool a", "int n", std::string("level ") + kWorld, "action_once once", "if a", "inc n"});
    Frames(3);
    EXPECT_EQ(Integer("n"), 0);
    g_GameAI.SetVariable("a", nullptr);
    Frames(3);
    EXPECT_EQ(Integer("n"), 1);
}

TEST_F(GameAITest, ActionsWaitForFrame150AndTheEnabledFlag) {
    Load({std::string("level ") + kWorld, "action count", "inc n", "int n"});
    test::g_LevelFrame = 149;
    Frames(1);
    test::g_LevelFrame = 150;
    g_GameAI.m_bEnabled = 0;
    Frames(1);
    EXPECT_EQ(Integer("n"), 0);
    g_GameAI.m_bEnabled = 1;
    Frames(2);
    EXPECT_EQ(Integer("n"), 2);
}

TEST_F(GameAITest, CountersGrowByTheFrameTimeOfEveryUpdate) {
    Load({"licznik clock", std::string("level ") + kWorld, "action_once late", "if_counter_greater 10 clock", "set late"});
    Frames(599, 1.0f / 60);
    EXPECT_FALSE(g_GameAI.IsSet("late"));
    Frames(3, 1.0f / 60);
    EXPECT_TRUE(g_GameAI.IsSet("late"));
}

TEST_F(GameAITest, TheLevelReadLastWinsWhateverTheLetterCaseOfTheFileNames) {
    WriteFile("scripts\\ai\\b_second.txt", test::Text({std::string("level ") + kWorld, "level_music music\\b.ogg"}));
    WriteFile("scripts\\ai\\A_first.txt", test::Text({std::string("level ") + kWorld, "level_music music\\a.ogg"}));
    g_GameAI.Initialize();
    g_GameAI.SelectWorldScript();
    ASSERT_NE(g_GameAI.CurrentLevel(), nullptr);
    EXPECT_STREQ(g_GameAI.CurrentLevel()->m_szMusic, "music\\b.ogg");
}

TEST_F(GameAITest, LinesBeforeAnyLevelOrActionAreIgnored) {
    Load({"set early", "level_music music\\early.ogg", "action orphan", "set orphan",
          std::string("level ") + kWorld, "set between", "action real", "set real"});
    Frames(1);
    EXPECT_TRUE(g_GameAI.IsSet("real"));
    EXPECT_FALSE(g_GameAI.IsSet("early"));
    EXPECT_FALSE(g_GameAI.IsSet("orphan"));
    EXPECT_FALSE(g_GameAI.IsSet("between"));
    EXPECT_STREQ(g_GameAI.CurrentLevel()->m_szMusic, "");
}

TEST_F(GameAITest, ASubtitleKeepsTheChainWhole) {
    LoadAction({"subtitle0 Hello", "set first", "subtitle1 Bye", "set second"});
    Frames(1);
    EXPECT_TRUE(g_GameAI.IsSet("first"));
    EXPECT_TRUE(g_GameAI.IsSet("second"));
    EXPECT_TRUE(g_GameAI.IsSet("ran"));
}

TEST_F(GameAITest, ATextLongerThanItsFieldIsCutWithALine) {
    const std::string longText(300, 'x');
    LoadAction({"print " + longText});
    Frames(1);
    EXPECT_TRUE(Logged("GameAI: print cut to its field"));
    const auto& records = g_GameAI.CurrentLevel()->m_Records;
    EXPECT_EQ(std::string(records[0]->m_szText), std::string(127, 'x'));
}

TEST_F(GameAITest, NamedActionsRunOnRequestFromFrame12WhateverTheirOnceFlag) {
    Load({"int n", std::string("level ") + kWorld, "action_once gate_opened", "inc n"});
    test::g_LevelFrame = 11;
    g_GameAI.RunActionByName("GATE_OPENED");
    EXPECT_EQ(Integer("n"), 0);
    test::g_LevelFrame = 12;
    g_GameAI.RunActionByName("GATE_OPENED");
    g_GameAI.RunActionByName("gate_opened");
    EXPECT_EQ(Integer("n"), 2);
}

TEST_F(GameAITest, TheHitTableHolds32NamesAndEmptiesAfterEachUpdate) {
    Load({std::string("level ") + kWorld});
    for (int i = 0; i < 33; ++i) g_GameAI.RegisterHit(("target" + std::to_string(i)).c_str());
    EXPECT_TRUE(g_GameAI.WasHit("target31"));
    EXPECT_FALSE(g_GameAI.WasHit("target32"));
    Frames(1);
    EXPECT_FALSE(g_GameAI.WasHit("target0"));
}

TEST_F(GameAITest, ResetVariablesClearsValuesButKeepsTheVariables) {
    Load({"int n", "licznik c"});
    g_GameAI.SetVariable("a", nullptr);
    g_GameAI.FindVariable("n")->m_iInteger = 4;
    g_GameAI.ResetVariables();
    EXPECT_FALSE(g_GameAI.IsSet("a"));
    ASSERT_NE(g_GameAI.FindVariable("n"), nullptr);
    EXPECT_EQ(Integer("n"), 0);
}

}  // namespace
