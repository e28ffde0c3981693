// The demo world as a place: its props stand on the ground, hedge banks close the meadow all
// round the race route and its finish, nothing invisible stops a machine or casts a shadow, and the
// power line stands beside the road on the poles its script names, its cables at their tops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/MeshHooks.h"
#include "world/DemoWorldFixture.h"
#include "world/IntersectFilters.h"

namespace {

constexpr const char* kRoad = "droga_start";

class DemoWorldLayout : public test::DemoWorldTest {};

TEST_F(DemoWorldLayout, EveryVisibleObjectStandsOnTheGround) {
    int checked = 0;
    for (const EObjectSlot& o : g_Engine.m_Objects) {
        const EMesh* mesh = o.m_bUsed ? o.Mesh() : nullptr;
        if (!mesh || !(o.m_uFlags & FLAG_VISIBLE)) continue;
        ++checked;
        // The road and the plot lie a few centimetres above the meadow; nothing floats or sinks.
        EXPECT_NEAR(mesh->m_vWorldMin.y, 0.0f, 0.05f) << o.m_szName << " (" << mesh->m_szFileName << ")";
    }
    EXPECT_GT(checked, 80);
}

TEST_F(DemoWorldLayout, HedgeBanksCloseTheMeadowRoundTheRouteAndItsFinish) {
    std::vector<DV> places;
    for (const char* marker : {"game_start_point", "meta", "meta_wyscig"}) {
        const EObjectSlot* o = Object(marker);
        ASSERT_NE(o, nullptr) << marker;
        places.push_back(o->m_vPosition);
    }
    // The road and the race's road round the meadow.
    for (const char* road : {kRoad, "wyscig_start"}) {
        const double length = g_BezierMgr.GetPathLength(road);
        ASSERT_GT(length, 150.0) << road;
        for (double d = 0; d <= length; d += 15.0) {
            DV point;
            g_BezierMgr.EvaluatePoint(road, d, &point, nullptr);
            places.push_back(point);
        }
    }
    // The field plot, the farmhouse's yard and the far corners of the meadow.
    for (const DV& p : {DV{0, 0, 0}, DV{-75, 0, 75}, DV{85, 0, -110}, DV{-90, 0, -115}, DV{90, 0, 115}}) places.push_back(p);
    for (const DV& p : places) {
        std::string way;
        EXPECT_TRUE(Enclosed(p, &way)) << p.x << " " << p.z << ": " << way;
    }
}

TEST_F(DemoWorldLayout, InvisibleObjectsNeitherStopAMachineNorCastAShadow) {
    int invisible = 0;
    for (const EObjectSlot& o : g_Engine.m_Objects) {
        if (!o.m_bUsed || !(o.m_uFlags3 & FLAG3_INVISIBLE_IN_GAME)) continue;
        ++invisible;
        EXPECT_TRUE(o.m_uFlags & FLAG_NO_SHADOW) << o.m_szName;
        EXPECT_FALSE(o.m_uFlags & FLAG_STATIC_LEVEL_MESH) << o.m_szName;
    }
    // The two triggers and the start, the slalom's and the race's finish, barrier and level-start
    // markers.
    EXPECT_EQ(invisible, 7);
}

TEST_F(DemoWorldLayout, ThePowerLineStandsBesideTheRoadWithItsCablesAtThePoleTops) {
    g_MeshHooks.objectMesh = [](const EObjectSlot* o) -> EMesh* { return o->Mesh(); };
    g_MeshSocketsMgr.LoadAll();
    const std::string script = "scripts\\slupy\\meadow.txt";
    const std::vector<std::string> poles = Values(script, "slup"), sockets = Values(script, "socket");
    ASSERT_EQ(poles.size(), 5u);
    ASSERT_FALSE(sockets.empty());
    const EObjectSlot* previous = nullptr;
    for (const std::string& name : poles) {
        SCOPED_TRACE(name);
        EObjectSlot* pole = Object(name.c_str());
        ASSERT_NE(pole, nullptr);
        std::string way;
        EXPECT_TRUE(Enclosed(pole->m_vPosition, &way)) << way;
        DV nearest;
        double along = 0;
        g_BezierMgr.FindNearestPointOnPath(kRoad, pole->m_vPosition, &nearest, &along);
        const DV off = pole->m_vPosition - nearest;
        EXPECT_LT(std::hypot(off.x, off.z), 20.0f);
        // Spans of a country line: long enough to sag, short enough not to touch the ground.
        if (previous) {
            const float span = pmath::Length(pole->m_vPosition - previous->m_vPosition);
            EXPECT_GT(span, 25.0f);
            EXPECT_LT(span, 60.0f);
        }
        previous = pole;
        const EMesh* mesh = pole->Mesh();
        ASSERT_NE(mesh, nullptr);
        for (const std::string& socket : sockets) {
            DV at;
            ASSERT_TRUE(g_Engine.GetObjectSocket(pole, socket.c_str(), &at, nullptr)) << socket;
            EXPECT_GT(at.y, mesh->m_vWorldMax.y - 1.0f) << socket;
            EXPECT_LT(at.y, mesh->m_vWorldMax.y + 0.2f) << socket;
            EXPECT_GE(at.x, mesh->m_vWorldMin.x) << socket;
            EXPECT_LE(at.x, mesh->m_vWorldMax.x) << socket;
        }
    }
}

}  // namespace
