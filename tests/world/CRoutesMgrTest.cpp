// The route table: every keyword, prizes and time limits, the defaults of every record, lines with
// no record to go to, line ends, the missing-world report and the current route.
#include "world/CRoutesMgr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ConsoleLogTest.h"

namespace {

using Lines = std::vector<std::string>;

class Routes : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_RoutesMgr);
    }
    void TearDown() override {
        test::ResetGlobal(g_RoutesMgr);
        ConsoleLogTest::TearDown();
    }
    static const RouteRecord& Route(int i) { return g_RoutesMgr.m_Routes[i]; }
    bool Printed(const std::string& line) const {
        for (const std::string& l : ConsoleLines())
            if (l == line) return true;
        return false;
    }
};

std::string Join(const Lines& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& l : lines) text += l + end;
    return text;
}

const Lines kRace = {
    "trasa worlds\\farm.w", "Nazwa Farm race", "opis Drive to the barn before the others", "z_przeciwnikami",
    "okrazenia", "specjalny", "FR", "US", "bezier_startowy road", "wezel_startowy road_2", "marker_finish barn_marker",
    "bezier_przeciwny road_b", "pole wheat", "wpisowe 150", "nagroda 1000", "czas_na_miejsce 60 80 100",
    "czas_na_miejsce_easy 90 120 150", "hide_in_menu", "intro",
};

TEST_F(Routes, EveryKeywordFillsItsField) {
    g_RoutesMgr.ReadRoutes(Join(kRace));
    ASSERT_EQ(g_RoutesMgr.m_iRouteCount, 1);
    const RouteRecord& r = Route(0);
    EXPECT_STREQ(r.m_szWorld, "worlds\\farm.w");
    EXPECT_STREQ(r.m_szName, "Farm race");
    EXPECT_STREQ(r.m_szDescription, "Drive to the barn before the others");
    EXPECT_EQ(r.m_bWithOpponents + r.m_bLaps + r.m_bSpecial + r.m_bHideInMenu + r.m_bIntro, 5);
    EXPECT_EQ(r.m_uCountry, 3u);  // the last country wins
    EXPECT_STREQ(r.m_szStartPath, "road");
    EXPECT_STREQ(r.m_szStartNode, "road_2");
    EXPECT_STREQ(r.m_szFinishMarker, "barn_marker");
    EXPECT_STREQ(r.m_szOpponentPath, "road_b");
    EXPECT_STREQ(r.m_szField, "wheat");
    EXPECT_EQ(r.m_iEntryFee, 150);
    EXPECT_EQ((std::vector<int>(r.m_iPrizes, r.m_iPrizes + 3)), (std::vector<int>{1000, 500, 250}));
    // Easy as given, normal as given, hard from the normal times.
    EXPECT_EQ((std::vector<float>(r.m_fPlaceTimes, r.m_fPlaceTimes + 9)),
              (std::vector<float>{90, 120, 150, 60, 80, 100, 60, 80, 100}));
    EXPECT_EQ(r.m_bMowing + r.m_bSlalom + r.m_bGrain, 0);
}

TEST_F(Routes, PrizesHalveAndEveryRecordKeepsItsDefaults) {
    Lines lines = {"trasa a.w", "nagroda 7"};
    for (int i = 1; i < 70; ++i) lines.push_back("trasa w" + std::to_string(i) + ".w");
    g_RoutesMgr.ReadRoutes(Join(lines));
    EXPECT_EQ((std::vector<int>(Route(0).m_iPrizes, Route(0).m_iPrizes + 3)), (std::vector<int>{7, 3, 1}));
    // A route without prize or time lines, among the first sixty records and after them.
    for (int i : {1, 59, 60, 69}) {
        EXPECT_EQ((std::vector<int>(Route(i).m_iPrizes, Route(i).m_iPrizes + 3)), (std::vector<int>{100, 50, 20})) << i;
        for (int place = 0; place < 9; ++place) EXPECT_EQ(Route(i).m_fPlaceTimes[place], 90.0f) << i;
    }
}

TEST_F(Routes, KeywordsAreWholeWordsInAnyCase) {
    g_RoutesMgr.ReadRoutes(Join({"TRASA worlds\\f.w", "koszenie_trawy", "KOSZENIE_TRAWY", "koszenieX", "de"}));
    EXPECT_EQ(Route(0).m_bGrassMowing, 1);
    EXPECT_EQ(Route(0).m_bMowing, 0);
    EXPECT_EQ(Route(0).m_uCountry, 0u);
    g_RoutesMgr.ReadRoutes(Join({"trasa worlds\\f.w", " koszenie"}));  // indented: not a keyword
    EXPECT_EQ(Route(0).m_bMowing, 0);
}

TEST_F(Routes, TaskKindsKeepPloughingPlantingAndBaling) {
    const struct {
        const char* task;
        uint32_t kind;
    } cases[] = {{"slalom", 2}, {"koszenie", 1}, {"oranie", 5}, {"sadzenie", 4}, {"belowanie", 3},
                 {"sianie", 0}, {"zboze", 0}};
    Lines lines;
    for (const auto& c : cases) lines.insert(lines.end(), {"trasa w.w", c.task});
    g_RoutesMgr.ReadRoutes(Join(lines));
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(Route(static_cast<int>(i)).m_uTaskKind, cases[i].kind) << cases[i].task;
}

TEST_F(Routes, LinesWithoutARecordAreIgnoredAndToldOnce) {
    Lines lines = {"nagroda 5", "slalom", "trasa first.w"};
    for (int i = 1; i < 130; ++i) lines.insert(lines.end(), {"trasa w" + std::to_string(i) + ".w", "slalom"});
    g_RoutesMgr.ReadRoutes(Join(lines));
    EXPECT_EQ(g_RoutesMgr.m_iRouteCount, 128);
    EXPECT_EQ(Route(0).m_iPrizes[0], 100);
    EXPECT_EQ(Route(0).m_bSlalom, 0);
    EXPECT_STREQ(Route(127).m_szWorld, "w127.w");
    int before = 0, beyond = 0;
    for (const std::string& l : ConsoleLines()) {
        before += l == "trasy.txt: lines before the first route are ignored";
        beyond += l == "trasy.txt: routes beyond the 128th are ignored";
    }
    EXPECT_EQ(before, 1);
    EXPECT_EQ(beyond, 1);
}

TEST_F(Routes, EveryLineEndReadsTheSameTable) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        g_RoutesMgr.ReadRoutes(Join(kRace, end) + Join({"trasa second.w", "slalom"}, end));
        EXPECT_EQ(g_RoutesMgr.m_iRouteCount, 2) << int(end[0]);
        EXPECT_STREQ(Route(0).m_szName, "Farm race") << int(end[0]);
        EXPECT_EQ(Route(0).m_fPlaceTimes[4], 80.0f) << int(end[0]);
        EXPECT_EQ(Route(1).m_bSlalom, 1) << int(end[0]);
    }
}

TEST_F(Routes, AFieldNameTooLongIsCutToItsField) {
    g_RoutesMgr.ReadRoutes(Join({"trasa w.w", "pole " + std::string(100, 'f')}));
    EXPECT_EQ(std::string(Route(0).m_szField), std::string(63, 'f'));
    EXPECT_TRUE(Printed("trasy.txt: pole cut to its field"));
}

TEST_F(Routes, LoadListsTheMissingWorldsAndSaysWhenThereIsNoTable) {
    g_RoutesMgr.Load();
    EXPECT_TRUE(Printed("FATAL - failed to open trasy.txt!"));
    EXPECT_EQ(g_RoutesMgr.m_iRouteCount, 0);

    WriteFile("scripts\\trasy.txt", "opis nothing\r\n");
    g_RoutesMgr.Load();
    EXPECT_TRUE(Printed("FATAL - m_dwTrasy == 0!"));

    WriteFile("!trasy_err.txt", "an old report\n");
    WriteFile("worlds\\here.w", "world_general_properties\r\n");
    WriteFile("scripts\\trasy.txt", Join({"trasa worlds\\here.w", "trasa worlds\\gone.w", "trasa WORLDS\\HERE.W"}));
    g_RoutesMgr.Load();
    EXPECT_EQ(ReadLines("!trasy_err.txt"), (Lines{"worlds\\gone.w"}));
}

TEST_F(Routes, TheCurrentRouteAndItsTasks) {
    g_RoutesMgr.ReadRoutes(Join({"trasa a.w", "z_przeciwnikami", "specjalny", "trasa b.w", "zboze",
                                 "bezier_startowy road"}));
    g_RoutesMgr.m_iCurrentRoute = 1;
    g_RoutesMgr.SelectCurrentRoute();
    ASSERT_EQ(g_RoutesMgr.m_pCurrentRoute, &g_RoutesMgr.m_Routes[1]);
    EXPECT_STREQ(g_RoutesMgr.m_pCurrentRoute->m_szStartPath, "kombajn");
    EXPECT_EQ(g_RoutesMgr.CurrentRouteTasks()->grainDelivery, 1);
    g_RoutesMgr.m_iCurrentRoute = 0;
    const RouteTasks* tasks = g_RoutesMgr.CurrentRouteTasks();
    ASSERT_NE(tasks, nullptr);
    EXPECT_EQ(tasks->raceWithOpponents, 1);
    EXPECT_EQ(tasks->secondRace, 1);
    EXPECT_EQ(tasks->grainDelivery, 0);
    g_RoutesMgr.m_iCurrentRoute = 2;  // beyond the table's routes
    EXPECT_EQ(g_RoutesMgr.CurrentRouteTasks(), nullptr);
    g_RoutesMgr.m_iCurrentRoute = 500;
    g_RoutesMgr.SelectCurrentRoute();
    EXPECT_EQ(g_RoutesMgr.m_pCurrentRoute, nullptr);
}

}  // namespace
