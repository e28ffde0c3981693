// Where the demo's grass grows: each world with a grass script has the field objects the script
// names and a "grass" marker whose box covers the ground inside its hedge banks and lies below the
// ground, where no ray meets it; and the farm fields as a place: its objects stand on the ground,
// its hedge banks close it round the start, the fields and its corners, and its routes find their
// fields and their start.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mesh/EMesh.h"
#include "world/CRoutesMgr.h"
#include "world/DemoWorldFixture.h"

namespace {

struct GrassWorld {
    const char* world;
    const char* script;
};

class DemoGrassPlaces : public test::DemoWorldTest, public ::testing::WithParamInterface<GrassWorld> {
protected:
    const char* World() const override { return GetParam().world; }
};

TEST_P(DemoGrassPlaces, TheScriptsFieldsAndTheMarkerAreInTheWorld) {
    const std::string script = std::string("scripts\\grass\\") + GetParam().script;
    const std::vector<std::string> worlds = Values(script, "world");
    ASSERT_EQ(worlds.size(), 1u);
    EXPECT_EQ(worlds[0], World());
    const std::vector<std::string> fields = Values(script, "mesh");
    ASSERT_FALSE(fields.empty());
    for (const std::string& name : fields) {
        const EObjectSlot* field = Object(name.c_str());
        ASSERT_NE(field, nullptr) << name;
        EXPECT_NE(field->Mesh(), nullptr) << name;
    }
    const EObjectSlot* marker = Object("grass");
    ASSERT_NE(marker, nullptr);
    ASSERT_NE(marker->Mesh(), nullptr);
    const EMesh& box = *marker->Mesh();
    EXPECT_LT(box.m_vWorldMax.y, -0.5f);
    DV low, high;
    BankBox(&low, &high);
    EXPECT_LE(box.m_vWorldMin.x, low.x + 0.5f);
    EXPECT_LE(box.m_vWorldMin.z, low.z + 0.5f);
    EXPECT_GE(box.m_vWorldMax.x, high.x - 0.5f);
    EXPECT_GE(box.m_vWorldMax.z, high.z - 0.5f);
    // Never drawn, never in the machines' way.
    EXPECT_FALSE(marker->m_uFlags & FLAG_VISIBLE);
    EXPECT_FALSE(marker->m_uFlags & FLAG_STATIC_LEVEL_MESH);
}

INSTANTIATE_TEST_SUITE_P(Worlds, DemoGrassPlaces,
                         ::testing::Values(GrassWorld{"worlds\\meadow.w", "meadow.txt"},
                                           GrassWorld{"worlds\\fields.w", "fields.txt"}),
                         [](const auto& info) { return std::string(info.param.script).substr(0, 6); });

class FieldsWorldLayout : public test::DemoWorldTest {
protected:
    const char* World() const override { return "worlds\\fields.w"; }
};

TEST_F(FieldsWorldLayout, EveryVisibleObjectStandsOnTheGround) {
    int checked = 0;
    for (const EObjectSlot& o : g_Engine.m_Objects) {
        const EMesh* mesh = o.m_bUsed ? o.Mesh() : nullptr;
        if (!mesh || !(o.m_uFlags & FLAG_VISIBLE)) continue;
        ++checked;
        EXPECT_NEAR(mesh->m_vWorldMin.y, 0.0f, 0.05f) << o.m_szName << " (" << mesh->m_szFileName << ")";
    }
    EXPECT_GT(checked, 20);
}

TEST_F(FieldsWorldLayout, HedgeBanksCloseTheFarmRoundTheStartTheFieldsAndItsCorners) {
    std::vector<DV> places;
    const double length = g_BezierMgr.GetPathLength("polna_droga");
    ASSERT_GT(length, 150.0);
    for (double d = 0; d <= length; d += 15.0) {
        DV point;
        g_BezierMgr.EvaluatePoint("polna_droga", d, &point, nullptr);
        places.push_back(point);
    }
    for (const char* field : {"pole_pszenica", "laka"}) {
        const EMesh* mesh = Object(field)->Mesh();
        for (int corner = 0; corner < 4; ++corner)
            places.push_back(DV{corner & 1 ? mesh->m_vWorldMax.x : mesh->m_vWorldMin.x, 0,
                                corner & 2 ? mesh->m_vWorldMax.z : mesh->m_vWorldMin.z});
    }
    for (const DV& p : {DV{-90, 0, -115}, DV{90, 0, 115}, DV{-90, 0, 115}, DV{90, 0, -115}}) places.push_back(p);
    for (const DV& p : places) {
        std::string way;
        EXPECT_TRUE(Enclosed(p, &way)) << p.x << " " << p.z << ": " << way;
    }
}

// Every route of the table on the farm finds its field and starts on a path of the world.
TEST_F(FieldsWorldLayout, ItsRoutesFindTheirFieldsAndTheirStart) {
    g_RoutesMgr.ReadRoutes(ReadFile("scripts\\trasy.txt"));
    int routes = 0;
    for (int i = 0; i < g_RoutesMgr.m_iRouteCount; ++i) {
        const RouteRecord& r = g_RoutesMgr.m_Routes[i];
        if (std::strcmp(r.m_szWorld, World()) != 0) continue;
        ++routes;
        SCOPED_TRACE(r.m_szName);
        const EObjectSlot* field = Object(r.m_szField);
        ASSERT_NE(field, nullptr);
        EXPECT_NE(field->Mesh(), nullptr);
        EXPECT_NE(g_BezierMgr.FindNode(r.m_szStartNode), nullptr);
        EXPECT_GT(g_BezierMgr.GetPathLength(r.m_szStartPath), 0.0);
    }
    EXPECT_EQ(routes, 2);
}

}  // namespace
