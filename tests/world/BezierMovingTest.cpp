// Objects moving along paths: speed from the nodes, waits, pauses, blockers, laps, the triggers
// of arrivals, fades, the starts and placements of a world load, and no NaN whatever the path.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "world/PathFiles.h"
#include "world/WorldFixture.h"

namespace {

using test::PathNode;
using test::PathText;
using Lines = std::vector<std::string>;

class Movers : public test::WorldTest {
protected:
    static void Paths(const std::vector<PathNode>& nodes) {
        g_BezierMgr.Release();
        g_BezierMgr.ReadPaths(PathText(nodes));
    }
    // A mesh set to move from the node, started on it.
    static EObjectSlot* Mover(const char* node, int lapLimit = 0, double firstWait = 0, double laterWait = 0) {
        EObjectSlot* o = AddMesh("cart", DV{7, 7, 7});
        strBezierMovingParameters& p = *o->m_pBezierParams;
        p.m_bEnabled = 1;
        std::snprintf(p.m_szStartNode, sizeof p.m_szStartNode, "%s", node);
        p.m_iLapLimit = lapLimit;
        p.m_dFirstLapWait = firstWait;
        p.m_dLaterLapWait = laterWait;
        g_Engine.StartBezierMoving(o);
        return o;
    }
    static void Run(float seconds, float dt = 0.1f) {
        for (float t = 0; t < seconds - 1e-4f; t += dt) g_BezierMgr.UpdateAll(dt);
    }
    static void ExpectFinite(const EObjectSlot* o, const std::string& what) {
        const DV& p = o->m_vPosition;
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << what;
        const pmath::Quaternion& q = o->m_Orientation.m_Quaternion;
        ASSERT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w)) << what;
    }
    int CountPrinted(const std::string& line) const {
        int n = 0;
        for (const std::string& l : ConsoleLines()) n += l == line;
        return n;
    }
};

TEST_F(Movers, AnObjectTravelsAtItsNodesSpeedAndKeepsItsStartPosition) {
    Paths(test::StraightRoad());
    EObjectSlot* cart = Mover("road");
    ASSERT_TRUE(g_Engine.IsBezierMoving(cart));
    EXPECT_EQ(cart->m_vPosition, (DV{0, 0, 0}));  // placed on the start node
    for (int second = 1; second <= 4; ++second) {
        Run(1.0f);
        EXPECT_NEAR(cart->m_vPosition.z, 10.0f * second, 0.02f) << second;
        EXPECT_NEAR(cart->m_vPosition.x, 0.0f, 1e-4f);
    }
    EXPECT_NEAR(cart->m_Orientation.m_Front.z, 1.0f, 1e-4f);
    EXPECT_EQ(cart->m_vStartPosition, (DV{7, 7, 7}));
}

TEST_F(Movers, TheSpeedBlendsFromNodeToNode) {
    std::vector<PathNode> road = test::StraightRoad();
    road[0].lines = {"values 10 0 0 0 0"};
    road[1].lines = {"values 30 0 0 0 0"};
    Paths(road);
    EObjectSlot* cart = Mover("road");
    // Halfway along the first node the speed is halfway between its value and the next node's.
    while (cart->m_vPosition.z < 50) g_BezierMgr.UpdateAll(0.01f);
    EXPECT_NEAR(cart->m_pBezierState->m_dSpeed, 20.0, 0.2);
}

TEST_F(Movers, WaitsAtTheStartAndPausesAtANode) {
    std::vector<PathNode> road = test::StraightRoad();
    road[1].lines.push_back("pause_in_node 1");
    road[1].lines.push_back("pause_pause_time 2");
    Paths(road);
    EObjectSlot* cart = Mover("road", 0, 1.5);
    Run(1.5f);
    EXPECT_NEAR(cart->m_vPosition.z, 0.0f, 1e-4f);  // still waiting
    Run(10.0f);
    EXPECT_NEAR(cart->m_vPosition.z, 100.0f, 0.02f);  // reached node 2 and pauses
    Run(2.0f);
    EXPECT_NEAR(cart->m_vPosition.z, 100.0f, 0.02f);
    Run(1.0f);
    EXPECT_NEAR(cart->m_vPosition.z, 110.0f, 0.05f);
}

TEST_F(Movers, ALapLimitStopsAClosedPathAtTheStartAndAnOpenPathAtItsEnd) {
    Paths(test::Square());  // 400 long at speed 50: a lap in 8 s
    EObjectSlot* cart = Mover("loop", 2);
    Run(15.9f);
    EXPECT_TRUE(g_Engine.IsBezierMoving(cart));
    Run(0.2f);  // the third arrival at the start
    EXPECT_FALSE(g_Engine.IsBezierMoving(cart));
    EXPECT_EQ(cart->m_pBezierState->m_uLaps, 3u);
    EXPECT_NEAR(pmath::Length(cart->m_vPosition), 0.0f, 1e-3f);

    // An open path with limit 1 stops at its end; without a limit the object jumps back.
    Paths(test::StraightRoad());
    g_Engine.DeleteObject(cart);
    cart = Mover("road", 1);
    Run(31.0f);
    EXPECT_FALSE(g_Engine.IsBezierMoving(cart));
    EXPECT_NEAR(cart->m_vPosition.z, 300.0f, 1e-3f);
    g_Engine.DeleteObject(cart);
    cart = Mover("road", 0);
    Run(31.0f);
    EXPECT_TRUE(g_Engine.IsBezierMoving(cart));
    EXPECT_NEAR(cart->m_vPosition.z, 10.0f, 0.05f);
    EXPECT_EQ(cart->m_pBezierState->m_uLaps, 2u);
}

TEST_F(Movers, ArrivalsSetLevelVariablesAndRunAnObjectsActions) {
    std::vector<PathNode> road = test::StraightRoad();
    road[1].lines.push_back("gameai_set cart_halfway");
    road[2].lines.push_back("gameai_unset cart_halfway");
    road[2].lines.push_back("give_action_to_mesh gate");
    road[2].lines.push_back("emit_bomb 1");
    Paths(road);
    EObjectSlot* gate = AddMesh("gate");
    strActionParams actions;
    actions.m_uEnabled = 1;
    g_Engine.SetActionParams(gate, &actions);
    Mover("road");
    Run(11.0f);
    EXPECT_TRUE(g_GameAI.IsSet("cart_halfway"));
    EXPECT_FALSE(Logged("gate w srodku, uruchamiam akcje"));
    Run(20.0f);
    EXPECT_FALSE(g_GameAI.IsSet("cart_halfway"));
    EXPECT_TRUE(Logged("gate w srodku, uruchamiam akcje"));
}

TEST_F(Movers, ABlockerStopsTheObjectUntilItMayPass) {
    std::vector<PathNode> road = test::StraightRoad();
    road[1].lines.push_back("blocker 1");
    Paths(road);
    EObjectSlot* cart = Mover("road");
    Run(15.0f);
    EXPECT_NEAR(cart->m_vPosition.z, 100.0f, 1e-3f);
    g_Engine.SetPassingThroughBlockers(cart, true);
    Run(1.0f);
    EXPECT_GT(cart->m_vPosition.z, 105.0f);
}

TEST_F(Movers, AFadeSlowsTheObjectToAStop) {
    Paths(test::StraightRoad());
    EObjectSlot* cart = Mover("road");
    Run(1.0f);
    g_Engine.SetBezierMode(cart, 1, 2.0);
    Run(3.0f);
    const float stopped = cart->m_vPosition.z;
    EXPECT_LT(stopped, 10.0f + 10.0f * 3.0f);
    Run(1.0f);
    EXPECT_EQ(cart->m_vPosition.z, stopped);
    g_Engine.SetBezierMode(cart, 2, 0.5);
    Run(1.0f);
    EXPECT_GT(cart->m_vPosition.z, stopped + 5.0f);
}

TEST_F(Movers, TheObjectTurnsWithThePathAndTheNodesRotationsAndRoll) {
    const float kRight = std::numbers::pi_v<float> / 2;
    // A quarter circle from +z to +x, then a straight stretch along +x.
    const std::vector<PathNode> bend = {
        {"bend", 1, 0, 0, 0, 2, {"ksztalt1 0 0 55.23", "ksztalt2 44.77 0 100", "values 10 0 0 0 0"}, false},
        {"bend_2", 2, 100, 0, 100, 3, {"values 10 0 0 0 0"}, true, {200, 0, 100}},
        {"bend_end", 3, 200, 0, 100, -1, {"values 10 0 0 0 0"}},
    };
    const struct {
        const char* what;
        std::vector<std::string> nodeLines;  // given to every node
        bool keepOwn;
        DV front, up;
    } cases[] = {
        {"along the path", {}, false, {1, 0, 0}, {0, 1, 0}},
        {"fixed half turn", {"fixed_rotation 0 180 0"}, false, {-1, 0, 0}, {0, 1, 0}},
        {"rolled by value 1", {"values 10 90 0 0 0"}, false, {1, 0, 0}, {0, 0, 1}},
        {"own orientation first", {}, true, {0, 0, -1}, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        std::vector<PathNode> path = bend;
        for (PathNode& n : path) n.lines.insert(n.lines.end(), c.nodeLines.begin(), c.nodeLines.end());
        Paths(path);
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        EObjectSlot* cart = AddMesh("cart");
        g_Engine.SetObjectOrientation(cart, EOrientation::EOrientationFromYawPitchRoll(kRight, 0, 0));
        strBezierMovingParameters& p = *cart->m_pBezierParams;
        p.m_bEnabled = 1;
        p.m_bKeepOwnOrientation = c.keepOwn;
        std::snprintf(p.m_szStartNode, sizeof p.m_szStartNode, "%s", "bend");
        g_Engine.StartBezierMoving(cart);
        Run(20.0f);  // well along the straight stretch
        EXPECT_NEAR(pmath::Dot(cart->m_Orientation.m_Front, c.front), 1.0f, 1e-3f) << c.what;
        EXPECT_NEAR(pmath::Dot(cart->m_Orientation.m_Up, c.up), 1.0f, 1e-3f) << c.what;
    }

    // A node that does not steer leaves the orientation as it was.
    std::vector<PathNode> path = bend;
    for (PathNode& n : path) n.lines.push_back("dont_follow 1");
    Paths(path);
    EObjectSlot* cart = Mover("bend");
    const EOrientation before = cart->m_Orientation;
    Run(5.0f);
    EXPECT_EQ(cart->m_Orientation.m_Front, before.m_Front);
    EXPECT_GT(pmath::Length(cart->m_vPosition), 10.0f);
}

TEST_F(Movers, AnUnknownStartNodeIsToldEveryFrameAndNothingMoves) {
    Paths(test::StraightRoad());
    EObjectSlot* cart = AddMesh("cart", DV{1, 2, 3});
    std::snprintf(cart->m_pBezierParams->m_szStartNode, 130, "%s", "nowhere");
    g_BezierMgr.MoveObject(cart, 0.1);
    g_BezierMgr.MoveObject(cart, 0.1);
    EXPECT_EQ(CountPrinted("ERROR: Start bezier node not found!"), 2);
    EXPECT_EQ(CountPrinted("nowhere"), 2);
    EXPECT_EQ(cart->m_vPosition, (DV{1, 2, 3}));
}

TEST_F(Movers, AWorldStartsItsMoversAndPlacesTheOthersOnTheirPaths) {
    WriteFile("worlds\\test.bzr", PathText(test::StraightRoad()));
    ASSERT_TRUE(LoadWorld({"mesh prefabs\\box.x", "name runner", "xpos 50", "bezier_moving_____start_node_name road_2",
                           "bezier_moving_____params0 0 1 0 0 1 0 1",
                           "mesh prefabs\\box.x", "name parked", "xpos 50", "bezier_moving_____start_node_name road_2",
                           "bezier_moving_____params0 0 1 0 0 0 0 1", "bezier_moving_____params1 0 1",
                           "mesh prefabs\\box.x", "name free", "xpos 50", "bezier_moving_____start_node_name road_2",
                           "bezier_moving_____params0 0 0 0 0 1 0 1"}));
    EXPECT_TRUE(g_Engine.IsBezierMoving(Find("runner")));
    EXPECT_EQ(Find("runner")->m_vPosition, (DV{0, 0, 100}));
    EXPECT_FALSE(g_Engine.IsBezierMoving(Find("parked")));
    EXPECT_EQ(Find("parked")->m_vPosition, (DV{0, 0, 100}));
    EXPECT_NEAR(Find("parked")->m_Orientation.m_Front.z, 1.0f, 1e-4f);
    EXPECT_EQ(Find("parked")->m_vStartPosition, (DV{50, 0, 0}));
    EXPECT_FALSE(g_Engine.IsBezierMoving(Find("free")));  // not enabled
    EXPECT_EQ(Find("free")->m_vPosition, (DV{50, 0, 0}));
}

// Stops on the last node of an open path, nodes of no length, loops of no length, speeds far
// beyond the step lengths, frames of every length: no position or orientation is ever NaN, and
// every frame ends.
TEST_F(Movers, AMoversPositionIsNeverNaN) {
    const struct {
        const char* what;
        std::vector<PathNode> path;
        int lapLimit;
    } cases[] = {
        {"stop at the end", {{"p", 1, 0, 0, 0, 2, {"values 10 0 0 0 0"}, true, {0, 0, 30}},
                             {"p_end", 2, 0, 0, 30, -1, {"values 0 0 0 0 0"}}}, 0},
        {"lap limit at the end", test::StraightRoad(), 1},
        {"node of no length", {{"p", 1, 0, 0, 0, 2, {"values 10 15 0 0 0"}, true, {10, 0, 0}},
                               {"p_2", 2, 10, 0, 0, 3, {"values 10 0 0 0 0", "interpolation_rotation 10 20 30"}, true, {10, 0, 0}},
                               {"p_3", 3, 10, 0, 0, 4, {"values 10 0 0 0 0"}, true, {10, 0, 20}},
                               {"p_end", 4, 10, 0, 20, -1, {"values 10 0 0 0 0"}}}, 0},
        {"loop of no length", {{"p", 1, 3, 3, 3, 2, {"values 10 0 0 0 0"}, true, {3, 3, 3}},
                               {"p_2", 2, 3, 3, 3, 1, {"values 10 0 0 0 0"}, true, {3, 3, 3}}}, 0},
        {"far too fast", test::Square("values 1e9 0 0 0 0"), 0},
        {"backwards", test::StraightRoad("values -10 0 0 0 0"), 0},
    };
    for (const auto& c : cases) {
        Paths(c.path);
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        EObjectSlot* cart = Mover("p", c.lapLimit);
        if (c.path.front().name != "p") {
            std::snprintf(cart->m_pBezierParams->m_szStartNode, 130, "%s", c.path.front().name.c_str());
            g_Engine.StartBezierMoving(cart);
        }
        cart->m_pBezierParams->m_bKeepOwnOrientation = 1;
        for (float dt : {0.0f, 0.001f, 0.1f, 0.5f, 3.0f, 0.0f, 30.0f}) {
            for (int frame = 0; frame < 20; ++frame) {
                g_BezierMgr.UpdateAll(dt);
                ExpectFinite(cart, std::string(c.what) + " dt " + std::to_string(dt));
            }
        }
    }
}

}  // namespace
