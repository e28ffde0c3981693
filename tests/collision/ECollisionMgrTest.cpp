// Collision records and their box levels, finders with their touch lists, and the triangles the
// box finders gather.
#include "collision/ECollisionMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

#include "CollisionTest.h"

namespace {

using test::FakeObject;
using test::Triangle;

constexpr float kHalfTurn = 3.14159265f;

// n faces in a row along x, each a unit right triangle.
std::vector<Triangle> Strip(int n) {
    std::vector<Triangle> out;
    for (int i = 0; i < n; ++i) out.push_back({{float(i), 0, 0}, {float(i), 0, 1}, {float(i) + 1, 0, 0}});
    return out;
}

class ECollisionMgrTest : public test::CollisionTest {
protected:
    // The objects on the finder's touch list.
    static std::set<EObjectSlot*> Touching(const ECollisionFinder* finder) {
        std::set<EObjectSlot*> out;
        for (int32_t e = finder->m_iFirstTouch; e >= 0; e = g_CollisionMgr.m_tTouchTable[e].m_iNext)
            out.insert(g_CollisionMgr.m_tTouchTable[e].m_hObject);
        return out;
    }
    static const ECollisionObject* Record(const FakeObject& o) {
        return g_CollisionMgr.GetRecord(o.indices.m_uCollisionIndex);
    }
};

TEST_F(ECollisionMgrTest, SubsetsAreCutIntoBoxesOfAtMostAHundredConsecutiveFaces) {
    const std::vector<test::SubsetRun> subsets = {{250, 1, 0}, {0, 2, 0}, {200, 3, 0}, {101, 4, 1}};
    const FakeObject& o = AddMesh(Strip(551), pmath::Identity(), subsets);
    const ECollisionObject* r = Record(o);
    ASSERT_NE(r, nullptr);
    struct Box {
        uint32_t first, faces, attrib, texture;
        uint8_t noIntersect;
    } expected[] = {{0, 100, 0, 1, 0},   {100, 100, 0, 1, 0}, {200, 50, 0, 1, 0},  {250, 100, 2, 3, 0},
                    {350, 100, 2, 3, 0}, {450, 100, 3, 4, 1}, {550, 1, 3, 4, 1}};
    ASSERT_EQ(r->m_uBoxes, std::size(expected));
    for (uint32_t i = 0; i < r->m_uBoxes; ++i) {
        const ECollisionBox& b = r->pBoxes[i];
        EXPECT_EQ(b.m_uFirstFace, expected[i].first) << i;
        EXPECT_EQ(b.m_uFaces, expected[i].faces) << i;
        EXPECT_EQ(b.m_uAttribId, expected[i].attrib) << i;
        EXPECT_EQ(b.m_uTextureId, expected[i].texture) << i;
        EXPECT_EQ(b.m_bNoIntersect, expected[i].noIntersect) << i;
        // The box holds exactly its faces' vertices.
        EXPECT_EQ(b.m_vLocalMin, (DV{float(b.m_uFirstFace), 0, 0})) << i;
        EXPECT_EQ(b.m_vLocalMax, (DV{float(b.m_uFirstFace + b.m_uFaces), 0, 1})) << i;
    }
}

TEST_F(ECollisionMgrTest, FacesKeepTheirBoundsAndUnitNormalsAndADegenerateFaceHasNone) {
    const FakeObject& o = AddMesh({{{0, 0, 0}, {0, 0, 2}, {2, 0, 0}}, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}},
                                  test::Translation({5, 0, 0}));
    const ECollisionObject* r = Record(o);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->CM_vFaceLocalNormal[0], (DV{0, 1, 0}));
    EXPECT_EQ(r->CM_vFaceLocalNormal[1], (DV{0, 0, 0}));
    EXPECT_EQ(r->CM_vFacesDimMin[1], (DV{0, 0, 0}));
    EXPECT_EQ(r->CM_vFacesDimMax[1], (DV{2, 2, 2}));
    EXPECT_EQ(r->m_vWorldMin, (DV{5, 0, 0}));
    EXPECT_EQ(r->m_vWorldCorners[6], (DV{7, 2, 2}));
}

TEST_F(ECollisionMgrTest, WorldFacesFollowTheTransformWhenAskedFor) {
    FakeObject& o = AddMesh({{{0, 0, 0}, {0, 0, 2}, {2, 0, 0}}}, pmath::Identity());
    o.Place(pmath::MatrixFromYawPitchRoll(0, 0, kHalfTurn / 2) * test::Translation({10, 0, 0}));
    ECollisionObject* r = &g_CollisionMgr.m_Objects[o.indices.m_uCollisionIndex];
    EXPECT_EQ(r->m_bWorldFacesCurrent, 0);
    r->UpdateWorldFaces();
    const std::vector<Triangle> world = o.WorldTriangles();
    for (int k = 0; k < 3; ++k) {
        const DV& v = r->CM_vVerticesWorld[r->CM_dwFaces[k]];
        const DV& expected = k == 0 ? world[0].a : k == 1 ? world[0].b : world[0].c;
        EXPECT_NEAR(pmath::Length(v - expected), 0.0f, 1e-5f) << k;
    }
    // Rolled a quarter turn, the face stands upright.
    EXPECT_NEAR(std::fabs(r->CM_vFaceNormal[0].x), 1.0f, 1e-5f);
    EXPECT_NEAR(r->CM_vFacesAABB_Max[0].x - r->CM_vFacesAABB_Min[0].x, 0.0f, 1e-5f);
}

TEST_F(ECollisionMgrTest, TheLastRecordIsRefusedAndAFreedOneIsTakenAgainFromTheStart) {
    // Out of the segment tables (flags2 0x10000), whose limits are lower.
    const std::vector<Triangle> one = Strip(1);
    auto add = [&] { return std::ref(AddMesh(one, pmath::Identity(), {}, 0x5, 0x10000)); };
    for (uint32_t i = 1; i < ECollisionMgr::MAX_OBJECTS_IN_COLLISION_MGR; ++i) add();
    EXPECT_EQ(m_objects.back().indices.m_uCollisionIndex, ECollisionMgr::MAX_OBJECTS_IN_COLLISION_MGR - 1);
    const FakeObject& refused = add();
    EXPECT_EQ(refused.indices.m_uCollisionIndex, 0u);
    const std::vector<std::string> lines = ConsoleLines();
    EXPECT_EQ(lines, (std::vector<std::string>{" ", "ERROR in CollisionMgr: MAX_OBJECTS_IN_COLLISION_MGR exceeded!", " "}));
    Remove(m_objects[9]);
    EXPECT_EQ(g_CollisionMgr.GetRecord(10), nullptr);
    EXPECT_EQ(m_objects[9].indices.m_uCollisionIndex, 10u);  // kept, though free
    const FakeObject& again = add();
    EXPECT_EQ(again.indices.m_uCollisionIndex, 10u);
}

TEST_F(ECollisionMgrTest, TouchListsFollowObjectsMovingInAndOut) {
    FakeObject& inside = AddMesh(test::Cube(1), test::Translation({0, 0, 0}));
    FakeObject& beyond = AddMesh(test::Cube(1), test::Translation({100, 0, 0}));
    FakeObject& figure = AddSkinMesh({0, 0, -200}, 1.0f);
    const DV min{-10, -10, -10}, max{10, 10, 10};
    ECollisionFinder* finder = g_CollisionMgr.AddBoxFinder(&min, &max);
    ASSERT_NE(finder, nullptr);
    EXPECT_EQ(Touching(finder), (std::set<EObjectSlot*>{inside.Handle()}));
    // Within the 65-unit margin an object joins by its own move; beyond it, it leaves.
    beyond.Place(test::Translation({70, 0, 0}));
    EXPECT_EQ(Touching(finder), (std::set<EObjectSlot*>{inside.Handle(), beyond.Handle()}));
    inside.Place(test::Translation({0, 80, 0}));
    EXPECT_EQ(Touching(finder), (std::set<EObjectSlot*>{beyond.Handle()}));
    // A skinned mesh joins and leaves as it walks.
    figure.Place(test::Translation({0, 0, -50}));
    EXPECT_EQ(Touching(finder).count(figure.Handle()), 1u);
    figure.Place(test::Translation({0, 0, -300}));
    EXPECT_EQ(Touching(finder).count(figure.Handle()), 0u);
    // A deleted object leaves every list.
    Remove(beyond);
    EXPECT_TRUE(Touching(finder).empty());
    EXPECT_EQ(beyond.indices.m_iFirstTouch, -1);
}

TEST_F(ECollisionMgrTest, AFinderKeepsItsListWithinItsMarginAndRebuildsItBeyond) {
    FakeObject& near = AddMesh(test::Cube(1), test::Translation({0, 0, 0}));
    FakeObject& far = AddMesh(test::Cube(1), test::Translation({150, 0, 0}));
    const DV min{-10, -10, -10}, max{10, 10, 10};
    ECollisionFinder* finder = g_CollisionMgr.AddBoxFinder(&min, &max);
    const DV movedMin{50, -10, -10}, movedMax{70, 10, 10};
    g_CollisionMgr.UpdateBoxFinder(finder, &movedMin, &movedMax);
    EXPECT_EQ(Touching(finder), (std::set<EObjectSlot*>{near.Handle()}));
    const DV farMin{90, -10, -10}, farMax{110, 10, 10};
    g_CollisionMgr.UpdateBoxFinder(finder, &farMin, &farMax);
    EXPECT_EQ(Touching(finder), (std::set<EObjectSlot*>{far.Handle()}));
    EXPECT_EQ(finder->m_vTouchMin, (DV{25, -75, -75}));
    // A new finder of exactly the zero box at the origin lies in its zero touch box: no list.
    const DV zero{};
    ECollisionFinder* idle = g_CollisionMgr.AddBoxFinder(&zero, &zero);
    EXPECT_TRUE(Touching(idle).empty());
}

TEST_F(ECollisionMgrTest, FreeingTheHighestFinderLowersTheCountPastFreeSlots) {
    const DV at{};
    ECollisionFinder* f[3];
    for (ECollisionFinder*& finder : f) finder = g_CollisionMgr.AddSphereFinder(&at, 1);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 3);
    g_CollisionMgr.RemoveFinder(f[1]);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 3);
    g_CollisionMgr.RemoveFinder(f[2]);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 1);
    EXPECT_EQ(g_CollisionMgr.m_pFirstFinder, f[0]);
    EXPECT_EQ(g_CollisionMgr.AddBoxFinder(&at, &at), &g_CollisionMgr.m_Finders[1]);
}

TEST_F(ECollisionMgrTest, FullTablesRefuseInsteadOfHandingOutASlotInUse) {
    for (int i = 0; i < 4; ++i) AddMesh(test::Cube(1), test::Translation({float(i), 0, 0}));
    const DV min{-5, -5, -5}, max{5, 5, 5};
    std::vector<ECollisionFinder*> finders;
    for (int i = 0; i < ECollisionMgr::kFinders; ++i) finders.push_back(g_CollisionMgr.AddBoxFinder(&min, &max));
    // 3750 finders of four objects fill the touch table; the later finders' lists stay empty.
    EXPECT_EQ(g_CollisionMgr.m_iMaxTouch, ECollisionMgr::kTouches);
    EXPECT_TRUE(Logged("CRITICAL ERROR in ECollisionMgr:: Touch Table Size Exceeded!"));
    EXPECT_EQ(Touching(finders[0]).size(), 4u);
    EXPECT_EQ(Touching(finders[ECollisionMgr::kTouches / 4 - 1]).size(), 4u);
    EXPECT_TRUE(Touching(finders.back()).empty());
    EXPECT_EQ(g_CollisionMgr.m_tTouchTable[0].m_pFinder, finders[0]);

    EXPECT_EQ(g_CollisionMgr.AddBoxFinder(&min, &max), nullptr);
    EXPECT_TRUE(Logged("CRITICAL ERROR in ECollisionMgr:: Finder Table Size Exceeded!"));
    EXPECT_EQ(g_CollisionMgr.m_Finders[0].m_uType, ECollisionFinder::BOX);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, ECollisionMgr::kFinders);
}

TEST_F(ECollisionMgrTest, TheCameraFinderSeesWhatLiesInItsVolume) {
    // As the engine makes it: at the origin looking along +x, 1000 far, a quarter turn wide.
    const DV at{};
    const DV along{1, 0, 0};
    const EOrientation looking = EOrientation::EOrientationFromDirection(&along);
    FakeObject& ahead = AddMesh(test::Cube(5), test::Translation({500, 0, 0}));
    FakeObject& behind = AddMesh(test::Cube(5), test::Translation({-30, 0, 0}));
    FakeObject& aside = AddMesh(test::Cube(5), test::Translation({100, 0, 600}));
    FakeObject& beyond = AddMesh(test::Cube(5), test::Translation({1300, 0, 0}));
    ECollisionFinder* camera = g_CollisionMgr.AddProjectorFinder(&at, &looking, 1000, kHalfTurn / 2);
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(ConsoleLines().empty());  // every face's normal points out of the volume
    EXPECT_TRUE(g_CollisionMgr.IsObjectInFinder(camera, ahead.Handle(), 0));
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(camera, behind.Handle(), 0));
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(camera, aside.Handle(), 0));
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(camera, beyond.Handle(), 0));
    EXPECT_TRUE(Touching(camera).count(behind.Handle()));  // on the list, but outside the volume
    // Turned towards it, the camera sees the object aside.
    const DV towards{100, 0, 600};
    const EOrientation turned = EOrientation::EOrientationFromDirection(&towards);
    g_CollisionMgr.UpdateProjectorFinder(camera, &at, &turned, 1000, kHalfTurn / 2);
    EXPECT_TRUE(g_CollisionMgr.IsObjectInFinder(camera, aside.Handle(), 0));
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(camera, ahead.Handle(), 0));
    for (int level : {1, 2, 3}) EXPECT_TRUE(g_CollisionMgr.IsObjectInFinder(camera, aside.Handle(), level)) << level;
}

TEST_F(ECollisionMgrTest, PreciseLevelsStopAtFaceBoxesFaceBoundsOrTheFacesThemselves) {
    // A face whose bounds reach into the sphere's box while the face stays out of the sphere.
    FakeObject& corner = AddMesh({{{9, 9, -5}, {9, 9, 5}, {20, 20, 0}}}, pmath::Identity());
    FakeObject& crossing = AddMesh({{{-20, 0, -20}, {-20, 0, 20}, {20, 0, 0}}}, pmath::Identity());
    const DV at{};
    ECollisionFinder* sphere = g_CollisionMgr.AddSphereFinder(&at, 10);
    const bool expectedCorner[] = {true, true, true, false};
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(g_CollisionMgr.IsObjectInFinder(sphere, corner.Handle(), level), expectedCorner[level]) << level;
        EXPECT_TRUE(g_CollisionMgr.IsObjectInFinder(sphere, crossing.Handle(), level)) << level;
    }
    // Box finders gather; they do not answer this question.
    const DV min{-1, -1, -1}, max{1, 1, 1};
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(g_CollisionMgr.AddBoxFinder(&min, &max), crossing.Handle(), 0));
}

TEST_F(ECollisionMgrTest, BoxFindersDeliverTheWorldTrianglesAroundThem) {
    FakeObject& ground = AddMesh(test::Hill(10, 10.0f), test::Translation({-50, 0, -50}));
    FakeObject& hidden = AddMesh(test::Cube(2), test::Translation({0, 0, 0}), {}, /*flags=*/0x1);
    AddMesh(test::Cube(2), test::Translation({500, 0, 0}));
    const DV min{-12, -12, -12}, max{12, 12, 12};
    CollisionTriangle out[64];
    uint32_t count = 0;
    ASSERT_TRUE(g_CollisionMgr.QueryBoxObjects(&min, &max, out, &count, 64));
    // The hill's faces whose bounds meet the box: brute force over every face.
    uint32_t expected = 0;
    for (const Triangle& t : ground.WorldTriangles()) {
        const DV lo{std::min({t.a.x, t.b.x, t.c.x}), std::min({t.a.y, t.b.y, t.c.y}), std::min({t.a.z, t.b.z, t.c.z})};
        const DV hi{std::max({t.a.x, t.b.x, t.c.x}), std::max({t.a.y, t.b.y, t.c.y}), std::max({t.a.z, t.b.z, t.c.z})};
        expected += BoxesMeet(lo, hi, min, max);
    }
    ASSERT_EQ(count, expected);
    for (uint32_t i = 0; i < count; ++i) {
        EXPECT_EQ(out[i].m_hObject, ground.Handle());  // the object without the level bit is left out
        EXPECT_TRUE(BoxesMeet(out[i].m_vMin, out[i].m_vMax, min, max));
        EXPECT_NEAR(pmath::Length(out[i].m_vNormal), 1.0f, 1e-5f);
    }
    // Moved, the hill delivers its faces where they now are.
    ground.Place(test::Translation({-50, 100, -50}));
    EXPECT_FALSE(g_CollisionMgr.QueryBoxObjects(&min, &max, out, &count, 64));
    EXPECT_EQ(count, 0u);
    hidden.facts.flags = 0x5;
    EXPECT_TRUE(g_CollisionMgr.QueryBoxObjects(&min, &max, out, &count, 5));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 0);
}

}  // namespace
