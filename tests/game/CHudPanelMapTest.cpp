// The HUD's map pieces: the route's strip built along the start path, the map window, the
// target marker and the arrow at the screen's edge.
#include "game/HudFixture.h"

#include <cmath>
#include <cstring>

#include "game/PAutoMap.h"
#include "platform/gfx/NullSystem.h"
#include "vehicles/Truck.h"
#include "world/BezierMgr.h"
#include "world/EObjectSlot.h"
#include "world/PathFiles.h"

namespace {

using test::HudDraw;

class HudMapTest : public test::HudTest {
protected:
    void TearDown() override {
        g_BezierMgr.Release();
        g_AutoMap.ReleaseTarget();
        g_Engine.m_Objects[0] = EObjectSlot{};
        HudTest::TearDown();
    }
    static void Paths(const std::vector<test::PathNode>& nodes) {
        g_BezierMgr.Release();
        g_BezierMgr.ReadPaths(test::PathText(nodes));
        std::snprintf(g_Player.m_szStartPath, sizeof g_Player.m_szStartPath, "%s", nodes[0].name.c_str());
    }
    // The strip's first vertices.
    static std::vector<DV> StripStart(int count) {
        void* data = nullptr;
        EXPECT_EQ(g_HudPanel.m_pMapVB->Lock(0, 0, &data, 0), gfx::OK);
        std::vector<DV> corners(count);
        for (int i = 0; i < count; ++i)
            std::memcpy(&corners[i], static_cast<const uint8_t*>(data) + i * CHudPanel::kMapVertexBytes, sizeof(DV));
        g_HudPanel.m_pMapVB->Unlock();
        return corners;
    }
    HudDraw Arrow(const DV& target) {
        m_recorder.draws.clear();
        g_HudPanel.DrawEdgeArrow(target);
        EXPECT_EQ(m_recorder.draws.size(), 1u);
        return m_recorder.draws.empty() ? HudDraw{} : m_recorder.draws[0];
    }
};

TEST_F(HudMapTest, TheStripIsARibbon16UnitsWideAlongARaceRoutesPath) {
    Route().m_bWithOpponents = 1;
    Paths(test::StraightRoad());
    g_HudPanel.BuildMapVB();
    ASSERT_TRUE(g_HudPanel.m_pMapVB);
    // 300 units at a sample every 8: 37 pieces of two triangles.
    EXPECT_EQ(g_HudPanel.m_uMapTriangles, 74u);
    const std::vector<DV> corners = StripStart(6);
    const DV expected[6] = {{-8, 0, 8}, {8, 0, 8}, {-8, 0, 0}, {-8, 0, 0}, {8, 0, 8}, {8, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(corners[i].x, expected[i].x, 1e-3) << i;
        EXPECT_NEAR(corners[i].z, expected[i].z, 1e-3) << i;
    }
}

TEST_F(HudMapTest, AVeryLongPathIsSampledMoreSparselyAndTheStripStopsAt4998Triangles) {
    Route().m_bWithOpponents = 1;
    Paths({{"long", 1, 0, 0, 0, 2, {}, true, {0, 0, 60000}}, {"long_end", 2, 0, 0, 60000, -1}});
    g_HudPanel.BuildMapVB();
    EXPECT_EQ(g_HudPanel.m_uMapTriangles, 4998u);
    const std::vector<DV> corners = StripStart(1);
    EXPECT_NEAR(corners[0].z, 60000.0 / 5010, 0.05);
}

TEST_F(HudMapTest, ANonRaceRouteKeepsAnEmptyStripAndAPathShorterThanAUnitBuildsNothing) {
    Route().m_bPloughing = 1;
    Paths(test::StraightRoad());
    g_HudPanel.BuildMapVB();
    EXPECT_TRUE(g_HudPanel.m_pMapVB);
    EXPECT_EQ(g_HudPanel.m_uMapTriangles, 0u);

    Route().m_bWithOpponents = 1;
    Paths({{"stub", 1, 0, 0, 0, 2, {}, true, {0, 0, 0.5f}}, {"stub_end", 2, 0, 0, 0.5f, -1}});
    g_HudPanel.BuildMapVB();
    EXPECT_TRUE(Logged("Nie ma Beziera"));
    EXPECT_EQ(g_HudPanel.m_uMapTriangles, 0u);
    EXPECT_TRUE(g_HudPanel.m_pMapVB) << "the old buffer stays";

    Paths(test::StraightRoad());
    gfx::NullBackend().vertexBufferFailures = 1;
    g_HudPanel.BuildMapVB();
    EXPECT_TRUE(Logged("Failed to create m_pMapVB!"));
    EXPECT_FALSE(g_HudPanel.m_pMapVB);
}

TEST_F(HudMapTest, TheMapWindowShowsTheMapInsideItsFrameInTheLowerLeft) {
    g_HudPanel.DrawMapWindow();
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"map frame"})) << "no map target";
    g_AutoMap.CreateTarget();
    m_recorder.draws.clear();
    g_HudPanel.DrawMapWindow();
    ASSERT_EQ(m_recorder.Labels(), (std::vector<std::string>{"map window", "map frame"}));
    const HudDraw window = m_recorder.draws[0], frame = m_recorder.draws[1];
    EXPECT_FLOAT_EQ(frame.left, -220);
    EXPECT_FLOAT_EQ(frame.top, 540);
    EXPECT_FLOAT_EQ(frame.right, 240);
    EXPECT_FLOAT_EQ(frame.bottom, 770);
    EXPECT_NEAR(window.left, -220 + 460 * 0.5449219f, 1e-3);
    EXPECT_NEAR(window.right, -220 + 460 * 0.9316406f, 1e-3);
    EXPECT_NEAR(window.top, 540 + 230 * 0.11328125f, 1e-3);
    EXPECT_NEAR(window.bottom, 540 + 230 * 0.88671875f, 1e-3);
}

TEST_F(HudMapTest, TheEdgeArrowStandsAtTheEdgeTheObjectiveLiesBeyond) {
    struct Case {
        DV target;
        const char* arrow;
        float x, y;  // the arrow's centre; -1 where any place along the edge will do
    };
    // Straight ahead projects to the middle: the arrow goes straight down.
    for (Case c : {Case{{0, 0, 10}, "arrow down", 512, 732}, Case{{-100, 0, 10}, "arrow left", 37, 384},
                   Case{{100, 0, 10}, "arrow right", 987, 384}, Case{{0, 100, 10}, "arrow up", 512, 37},
                   Case{{0, -100, 10}, "arrow down", 512, 731}}) {
        const HudDraw arrow = Arrow(c.target);
        EXPECT_EQ(arrow.label, c.arrow) << c.target.x << " " << c.target.y;
        EXPECT_NEAR((arrow.left + arrow.right) / 2, c.x, 1.01) << c.arrow;
        EXPECT_NEAR((arrow.top + arrow.bottom) / 2, c.y, 1.01) << c.arrow;
        EXPECT_FLOAT_EQ(arrow.right - arrow.left, 72);
        EXPECT_EQ(arrow.colour, 0xC0A6FFFFu);
    }
    // Behind the camera: an arrow at the bottom or a side, on the screen.
    for (const DV& behind : {DV{0, 0, -10}, DV{0, 0, -0.5f}, DV{-3, 0, -10}, DV{3, -2, -10}}) {
        const HudDraw arrow = Arrow(behind);
        EXPECT_NE(arrow.label, "arrow up") << behind.x;
        EXPECT_GE(arrow.left, 0) << behind.x;
        EXPECT_LE(arrow.right, 1024) << behind.x;
        EXPECT_LE(arrow.bottom, 768) << behind.x;
    }
    EXPECT_EQ(Arrow({-3, 0, -10}).label, "arrow left");
    EXPECT_EQ(Arrow({3, 0, -10}).label, "arrow right");
}

TEST_F(HudMapTest, TheCombinesUnloadingPointIsMarkedOnTheScreenOrPointedAtFromItsEdge) {
    g_Engine.m_bWorldRender = 1;
    Route().m_bGrain = 1;
    EObjectSlot machine, trailer;
    Truck trailerTruck;
    trailer.m_hTruck = &trailerTruck;
    g_Player.m_pVehicle = &machine;
    g_Player.m_pImplement = &trailer;
    EObjectSlot& combine = g_Engine.m_Objects[0];
    combine.m_bUsed = 1;
    std::snprintf(combine.m_szName, sizeof combine.m_szName, "kombajn");
    Truck combineTruck;
    combineTruck.m_vGrainSpout = {0, 0, 20};
    combine.m_hTruck = &combineTruck;
    g_HudPanel.DrawTarget();
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"begin", "marker", "marker", "end"}));
    const HudDraw marker = m_recorder.Of("marker")[0];
    EXPECT_FLOAT_EQ(marker.left, 512 - 24);
    EXPECT_FLOAT_EQ(marker.bottom, 384 + 24);
    EXPECT_EQ(marker.colour, 0xFFA6FFFFu);

    // Right behind the camera: an arrow at a side, never the marker.
    combineTruck.m_vGrainSpout = {0, 0, -20};
    m_recorder.draws.clear();
    g_HudPanel.DrawTarget();
    const std::vector<std::string> labels = m_recorder.Labels();
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_TRUE(labels[1] == "arrow left" || labels[1] == "arrow right" || labels[1] == "arrow down") << labels[1];

    g_Engine.m_bWorldRender = 0;
    m_recorder.draws.clear();
    g_HudPanel.DrawTarget();
    EXPECT_TRUE(m_recorder.draws.empty());
}

TEST_F(HudMapTest, TheWaypointOfBaleCollectingIsPointedAtOnlyFromTheEdge) {
    g_Engine.m_bWorldRender = 1;
    Route().m_bBaleCollecting = 1;
    EObjectSlot& waypoint = g_Engine.m_Objects[0];
    waypoint.m_bUsed = 1;
    std::snprintf(waypoint.m_szName, sizeof waypoint.m_szName, "waypoint");
    waypoint.m_vPosition = {0, 0, 20};
    g_HudPanel.DrawTarget();
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"begin", "end"}));
    waypoint.m_vPosition = {200, 0, 20};
    m_recorder.draws.clear();
    g_HudPanel.DrawTarget();
    EXPECT_EQ(m_recorder.Labels(), (std::vector<std::string>{"begin", "arrow right", "end"}));
}

}  // namespace
