// Bezier paths: reading path files, linking by number, sampling and length, the point and
// direction at a distance, the path length and the nearest point.
#include "world/BezierMgr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ConsoleLogTest.h"
#include "world/PathFiles.h"

namespace {

using test::PathNode;
using test::PathText;
using Lines = std::vector<std::string>;

class Paths : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        g_BezierMgr.Release();
    }
    void TearDown() override {
        g_BezierMgr.Release();
        ConsoleLogTest::TearDown();
    }
    static void Read(const std::string& text) {
        g_BezierMgr.Release();
        g_BezierMgr.ReadPaths(text);
    }
    static DV Point(const char* name, double d) {
        DV p{-1, -1, -1};
        g_BezierMgr.EvaluatePoint(name, d, &p, nullptr);
        return p;
    }
    static DV Direction(const char* name, double d) {
        DV dir;
        g_BezierMgr.EvaluatePoint(name, d, nullptr, &dir);
        return dir;
    }
    int CountPrinted(const std::string& line) const {
        int n = 0;
        for (const std::string& l : ConsoleLines()) n += l == line;
        return n;
    }
};

void ExpectNear(const DV& a, const DV& b, float tolerance, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

TEST_F(Paths, AStraightSegmentIsAsLongAsItsChordAndEvaluatesAlongIt) {
    Read(PathText(test::StraightRoad()));
    EXPECT_NEAR(g_BezierMgr.FindNode("road")->m_dLength, 100.0, 1e-3);
    EXPECT_NEAR(g_BezierMgr.GetPathLength("road"), 300.0, 1e-3);
    const struct {
        double d;
        DV point;
    } cases[] = {{-5, {0, 0, 0}}, {0, {0, 0, 0}}, {25, {0, 0, 25}}, {100, {0, 0, 100}},
                 {150, {0, 0, 150}}, {300, {0, 0, 300}}, {1e6, {0, 0, 300}}};
    for (const auto& c : cases) {
        ExpectNear(Point("road", c.d), c.point, 1e-3f, std::to_string(c.d));
        ExpectNear(Direction("road", c.d), DV{0, 0, 1}, 1e-4f, std::to_string(c.d));
    }
    // From the second node the path is shorter.
    ExpectNear(Point("ROAD_2", 50), DV{0, 0, 150}, 1e-3f, "road_2");
    // An unknown name leaves the outputs alone.
    EXPECT_EQ(Point("nowhere", 10), (DV{-1, -1, -1}));
    EXPECT_EQ(g_BezierMgr.GetPathLength("nowhere"), 0.0);
    EXPECT_EQ(g_BezierMgr.GetPathLength(static_cast<const char*>(nullptr)), 0.0);
}

// Whatever the path, the point at its length is its last point.
TEST_F(Paths, ThePointAtAPathsLengthIsItsLastPoint) {
    const std::vector<std::vector<PathNode>> paths = {
        test::StraightRoad(),
        // A quarter circle of radius 100 (the usual control points at 0.5523 of the radius).
        {{"curve", 1, 100, 0, 0, 2, {"ksztalt1 100 0 55.23", "ksztalt2 55.23 0 100"}, false},
         {"curve_end", 2, 0, 0, 100, -1}},
        // An S through three nodes, rising.
        {{"s", 1, 0, 0, 0, 2, {"ksztalt1 50 0 0", "ksztalt2 50 10 50"}, false},
         {"s_2", 2, 0, 20, 100, 3, {"ksztalt1 -50 20 150", "ksztalt2 -50 30 200"}, false},
         {"s_end", 3, 0, 40, 250, -1}},
        // A node of no length in the middle.
        {{"z", 1, 0, 0, 0, 2, {}, true, {10, 0, 0}},
         {"z_2", 2, 10, 0, 0, 3, {}, true, {10, 0, 0}},
         {"z_3", 3, 10, 0, 0, 4, {}, true, {10, 0, 10}},
         {"z_end", 4, 10, 0, 10, -1}},
    };
    for (const auto& path : paths) {
        Read(PathText(path));
        const char* name = path.front().name.c_str();
        const double length = g_BezierMgr.GetPathLength(name);
        const PathNode& last = path.back();
        ExpectNear(Point(name, length), DV{last.x, last.y, last.z}, 1e-3f, name);
        for (double d = 0; d <= length; d += length / 37) {
            const DV dir = Direction(name, d);
            EXPECT_TRUE(std::isfinite(dir.x) && std::isfinite(dir.y) && std::isfinite(dir.z)) << name << " " << d;
            const float l = pmath::Length(dir);
            EXPECT_TRUE(std::fabs(l - 1) < 1e-4f || l == 0) << name << " " << d;
        }
    }
}

TEST_F(Paths, ANodeWithoutSuccessorIsAPathOfNoLength) {
    Read(PathText({{"alone", 1, 5, 6, 7, -1}}));
    EXPECT_EQ(g_BezierMgr.GetPathLength("alone"), 0.0);
    for (double d : {0.0, 3.0, 1e9}) EXPECT_EQ(Point("alone", d), (DV{5, 6, 7}));
    EXPECT_EQ(CountPrinted("ERROR in BezierMgr: Bezier Node length is zero!"), 0);
}

TEST_F(Paths, AClosedPathIsCountedOnceAndWalkedRound) {
    Read(PathText(test::Square()));
    const double length = g_BezierMgr.GetPathLength("loop");
    EXPECT_NEAR(length, 400.0, 1e-2);
    ExpectNear(Point("loop", 150), DV{100, 0, 50}, 1e-2f, "one lap");
    ExpectNear(Point("loop", 150 + 3 * length), DV{100, 0, 50}, 0.05f, "four laps");
    // A distance far beyond what a double can count down node by node still ends.
    const DV far = Point("loop", 1e30);
    EXPECT_TRUE(std::isfinite(far.x) && std::isfinite(far.z));
}

TEST_F(Paths, AClosedPathOfNoLengthEndsTheWalkAtItsStart) {
    // Three nodes on one point, closed.
    Read(PathText({{"knot", 1, 0, 0, 0, 2}, {"knot_2", 2, 0, 0, 0, 3}, {"knot_3", 3, 0, 0, 0, 1}}));
    EXPECT_EQ(CountPrinted("ERROR in BezierMgr: Bezier Node length is zero!"), 3);
    EXPECT_EQ(g_BezierMgr.GetPathLength("knot"), 0.0);
    EXPECT_EQ(Point("knot", 10), (DV{0, 0, 0}));
    // A node without numbers links to itself: a loop through its own position.
    Read("bezier_node self\r\npos 1 2 3\r\n");
    EXPECT_EQ(g_BezierMgr.FindNode("self")->m_pNextInPath, g_BezierMgr.FindNode("self"));
    const DV far = Point("self", 1e12);
    EXPECT_TRUE(std::isfinite(far.x) && std::isfinite(far.y) && std::isfinite(far.z));
}

TEST_F(Paths, NodesLinkByNumberAndTheLastReadOfTwoNamesIsFound) {
    Read("bezier_node a\r\nnr 5\r\npos 0 0 0\r\nnext_in_path_nr 7\r\n"
         "bezier_node b\r\nnr 7\r\npos 0 0 10\r\nnext_in_path_nr -1\r\n"
         // Without next_in_path_nr the node links to the node numbered 0.
         "bezier_node c\r\nnr 9\r\npos 1 0 0\r\n"
         "bezier_node d\r\npos 2 0 0\r\nnext_in_path_nr -1\r\n"
         "bezier_node a\r\nnr 11\r\npos 50 0 0\r\nnext_in_path_nr 12\r\n");
    BezierNode* first = g_BezierMgr.FindNode("a");
    EXPECT_EQ(first->m_vPosition, (DV{50, 0, 0}));  // the one read last
    EXPECT_EQ(first->m_pNextInPath, nullptr);       // no node 12
    EXPECT_EQ(g_BezierMgr.FindNodeByNr(5)->m_pNextInPath, g_BezierMgr.FindNode("b"));
    EXPECT_EQ(g_BezierMgr.FindNode("b")->m_pNextInPath, nullptr);
    EXPECT_EQ(g_BezierMgr.FindNode("c")->m_pNextInPath, g_BezierMgr.FindNode("d"));
    EXPECT_EQ(g_BezierMgr.FindNode(""), nullptr);
}

TEST_F(Paths, EveryLineEndReadsTheSameNodes) {
    const std::vector<PathNode> road = test::StraightRoad("values 12 3 0 0 0");
    for (const char* end : {"\r\n", "\n", "\r"}) {
        Read(PathText(road, end));
        const BezierNode* n = g_BezierMgr.FindNode("road_2");
        ASSERT_NE(n, nullptr) << int(end[0]);
        EXPECT_EQ(n->m_iNr, 2);
        EXPECT_EQ(n->m_vPosition, (DV{0, 0, 100}));
        EXPECT_EQ(n->m_fValues[1], 3.0f);
        EXPECT_EQ(n->m_pNextInPath, g_BezierMgr.FindNode("road_end"));
        EXPECT_NEAR(g_BezierMgr.GetPathLength("road"), 300.0, 1e-3);
    }
}

TEST_F(Paths, KeywordsStartTheLineAndTextsAreCutToTheirFields) {
    Read("nr 3\r\npos 9 9 9\r\n"  // before the first node: nothing to change
         "bezier_node " + std::string(130, 'n') + "\r\n"
         "POS 1\t2 3\r\n"  // any case, tabs as blanks
         "  nr 8\r\n"      // indented: not a keyword
         "gameai_set " + std::string(200, 'g') + "\r\n"
         "give_action_to_mesh gate\r\npause_in_node 1\r\npause_pause_time 2.5\r\nblocker 1\r\nemit_bomb 1\r\n"
         "dont_follow 1\r\nroad_beginning 1\r\nfixed_rotation 0 90 0\r\nvalues nan 1e50 -3\r\n");
    const BezierNode* n = g_BezierMgr.m_pHead;
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->m_pNextInList, nullptr);
    EXPECT_EQ(std::string(n->m_szName), std::string(111, 'n'));
    EXPECT_EQ(CountPrinted("BezierMgr: bezier_node cut to its field"), 1);
    EXPECT_EQ(CountPrinted("BezierMgr: gameai_set cut to its field"), 1);
    EXPECT_EQ(n->m_vPosition, (DV{1, 2, 3}));
    EXPECT_EQ(n->m_iNr, 0);
    EXPECT_EQ(std::string(n->m_szGameAISet), std::string(127, 'g'));
    EXPECT_STREQ(n->m_szGiveActionToMesh, "gate");
    EXPECT_EQ(n->m_bPauseInNode, 1);
    EXPECT_EQ(n->m_dPauseTime, 2.5);
    EXPECT_EQ(n->m_bBlocker + n->m_bEmitBomb + n->m_bDontFollow + n->m_bRoadBeginning, 4);
    EXPECT_EQ(n->m_vFixedRotation, (DV{0, 90, 0}));
    // Numbers a float cannot hold read as 0.
    EXPECT_EQ(n->m_fValues[0], 0.0f);
    EXPECT_EQ(n->m_fValues[1], 0.0f);
    EXPECT_EQ(n->m_fValues[2], -3.0f);
}

TEST_F(Paths, TheNearestPointOfAPathAndHowFarAlongItLies) {
    Read(PathText(test::StraightRoad()));
    DV point{-1, -1, -1};
    double along = -1;
    g_BezierMgr.FindNearestPointOnPath("road", DV{5, 0, 140}, &point, &along);
    ExpectNear(point, DV{0, 0, 140}, 0.6f, "point");
    EXPECT_NEAR(along, 140.0, 1.2);
    g_BezierMgr.FindNearestPointOnPath("road", DV{0, 9, -50}, &point, &along);
    EXPECT_EQ(point, (DV{0, 0, 0}));
    EXPECT_EQ(along, 0.0);
    // A start without successor is its own nearest point; an unknown name changes nothing.
    g_BezierMgr.FindNearestPointOnPath("road_end", DV{7, 7, 7}, &point, &along);
    EXPECT_EQ(point, (DV{0, 0, 300}));
    EXPECT_EQ(along, 0.0);
    along = 5;
    g_BezierMgr.FindNearestPointOnPath("nowhere", DV{}, &point, &along);
    EXPECT_EQ(along, 5.0);
}

}  // namespace
