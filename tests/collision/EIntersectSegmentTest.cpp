// Segment queries against small worlds, checked against a walk over every face in world space.
#include "collision/EIntersectSegment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "CollisionTest.h"
#include "collision/ECollisionMgr.h"
#include "core/IntersectionTests.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"

namespace {

using test::FakeObject;
using test::Triangle;

// The nearest crossing of the segment with any face of the objects, found face by face.
struct BruteHit {
    bool hit = false;
    const FakeObject* object = nullptr;
    uint32_t face = 0;
    float t = 2.0f;
    DV point;
    DV normal;
};

BruteHit BruteForce(const std::deque<FakeObject>& objects, const DV& start, const DV& end) {
    BruteHit best;
    for (const FakeObject& o : objects) {
        if (o.facts.kind != CollisionObjectFacts::MESH) continue;
        const std::vector<Triangle> world = o.WorldTriangles();
        for (uint32_t f = 0; f < world.size(); ++f) {
            const Triangle& w = world[f];
            DV point;
            float t = 0;
            if (!SegmentTriangleHit(&start, &end, &w.a, &w.b, &w.c, &point, &t) || t >= best.t) continue;
            best = {true, &o, f, t, point, pmath::Normalize(pmath::Cross(w.b - w.a, w.c - w.a))};
        }
    }
    return best;
}

uint32_t TextureOf(const FakeObject& o, uint32_t face) {
    for (const CollisionSubset& s : o.subsets)
        if (face >= s.faceStart && face < s.faceStart + s.faceCount) return s.textureId;
    return 0;
}

pmath::Matrix Placement(const DV& scale, float yaw, float pitch, float roll, const DV& at) {
    return test::Scaling(scale) * pmath::MatrixFromYawPitchRoll(yaw, pitch, roll) * test::Translation(at);
}

class EIntersectSegmentTest : public test::CollisionTest {
protected:
    bool Query(const DV& start, const DV& end, SegmentHit* hit, IntersectFilterFn filter = IntersectFilterAll,
               EObjectSlot* argument = nullptr, uint8_t canSeeThru = 0) {
        SegmentQuery query;
        query.m_pStart = &start;
        query.m_pEnd = &end;
        query.m_pFilter = filter;
        query.m_pFilterArgument = argument;
        query.m_bCanSeeThru = canSeeThru;
        return g_IntersectSegment.Intersect(&query, hit);
    }

    // The answer of the query equals the brute-force walk's.
    void ExpectAgreement(const DV& start, const DV& end) {
        SegmentHit hit;
        const bool found = Query(start, end, &hit);
        const BruteHit expected = BruteForce(m_objects, start, end);
        SCOPED_TRACE(testing::Message() << "segment (" << start.x << ", " << start.y << ", " << start.z << ") to ("
                                        << end.x << ", " << end.y << ", " << end.z << ")");
        ASSERT_EQ(found, expected.hit);
        EXPECT_EQ(hit.m_bHit, found ? 1 : 0);
        EXPECT_EQ(hit.m_vStart, start);
        EXPECT_EQ(hit.m_vEnd, end);
        if (!found) return;
        const auto* object = reinterpret_cast<const FakeObject*>(hit.m_pObject);
        ASSERT_EQ(object, expected.object);
        EXPECT_EQ(hit.m_uFace, expected.face);
        EXPECT_EQ(hit.m_uTextureId, TextureOf(*object, expected.face));
        EXPECT_NEAR(hit.m_fDistance, expected.t * pmath::Length(end - start), 2e-3f);
        EXPECT_NEAR(hit.m_vPoint.x, expected.point.x, 2e-3f);
        EXPECT_NEAR(hit.m_vPoint.y, expected.point.y, 2e-3f);
        EXPECT_NEAR(hit.m_vPoint.z, expected.point.z, 2e-3f);
        EXPECT_NEAR(hit.m_vNormal.x, expected.normal.x, 1e-4f);
        EXPECT_NEAR(hit.m_vNormal.y, expected.normal.y, 1e-4f);
        EXPECT_NEAR(hit.m_vNormal.z, expected.normal.z, 1e-4f);
        EXPECT_EQ(hit.m_bSkinMesh, 0);
    }

    // A box, a hill of 128 faces stretched upwards, a scaled and turned box, a slope and a plate
    // whose second subset's texture is marked no-intersect.
    void BuildWorld() {
        AddMesh(test::Cube(1.0f), pmath::Identity(), {{6, 11, 0}, {6, 12, 0}});
        AddMesh(test::Hill(8, 2.0f), Placement({1, 2, 1}, 0, 0, 0, {20, -2, 0}), {{128, 21, 0}});
        AddMesh(test::Cube(1.5f), Placement({2, 0.5f, 1}, 0.5f, 0.3f, 0.2f, {0, 1, 20}), {{12, 41, 0}});
        AddMesh(Slope(), Placement({1, 3, 1}, 0.7f, 0, 0, {40, 0, 10}), {{2, 51, 0}});
        AddMesh(Plate(), test::Translation({20, 0, 20}), {{2, 31, 0}, {2, 32, 1}});
    }

    // A ramp rising 1 in 2 over [0, 4] x [0, 4].
    static std::vector<Triangle> Slope() {
        const DV a{0, 0, 0}, b{4, 2, 0}, c{4, 2, 4}, d{0, 0, 4};
        return {{a, d, c}, {a, c, b}};
    }
    // Two squares side by side, the second half a unit higher.
    static std::vector<Triangle> Plate() {
        auto square = [](float x, float y) {
            const DV a{x, y, 0}, b{x + 4, y, 0}, c{x + 4, y, 4}, d{x, y, 4};
            return std::vector<Triangle>{{a, d, c}, {a, c, b}};
        };
        std::vector<Triangle> out = square(0, 0);
        for (const Triangle& t : square(4, 0.5f)) out.push_back(t);
        return out;
    }
};

TEST_F(EIntersectSegmentTest, QueriesAgreeWithAWalkOverEveryFace) {
    BuildWorld();
    const std::pair<DV, DV> table[] = {
        {{0.2f, 10, 0.3f}, {0.2f, -10, 0.3f}},       // down onto the box
        {{-10, 0.1f, 0.2f}, {10, 0.1f, 0.2f}},       // through the box's sides
        {{0.1f, 0.2f, 0.3f}, {5, 0.2f, 0.3f}},       // from inside the box
        {{-10, 10, -10}, {-10, 10, 10}},             // past everything
        {{25.3f, 10, 7.1f}, {25.3f, -10, 7.1f}},     // down onto the hill
        {{19, 8, 1}, {37, -8, 15}},                  // along the hill
        {{0.3f, 10, 20.2f}, {0.3f, -10, 20.2f}},     // down onto the turned box
        {{-10, 1, 20.4f}, {10, 1.2f, 19.8f}},        // through the turned box
        {{42, 20, 12}, {42, -20, 12.5f}},            // down onto the slope
        {{30, 1, 11}, {50, 3, 13}},                  // into the slope from its foot
        {{26, 5, 22}, {26, -5, 22}},                 // down onto the no-intersect subset
        {{22, 5, 22}, {22, -5, 22}},                 // down onto the plate's first subset
        {{-5, 0.2f, -5}, {45, 0.3f, 25}},            // across the world
        {{0.5f, 2, 0.5f}, {0.5f, 2, 0.5f}},          // of zero length
    };
    for (const auto& [start, end] : table) ExpectAgreement(start, end);

    // Segments from anywhere to near each object, and from anywhere to anywhere.
    std::mt19937 random(16);
    std::uniform_real_distribution<float> x(-10, 50), y(-6, 14), z(-10, 40), near(-3, 3);
    for (int i = 0; i < 400; ++i) {
        const DV start{x(random), y(random), z(random)};
        DV end{x(random), y(random), z(random)};
        if (i % 2 == 0) {
            const CollisionObjectFacts& target = m_objects[i / 2 % m_objects.size()].facts;
            end = (target.worldMin + target.worldMax) * 0.5f + DV{near(random), near(random), near(random)};
            end = start + (end - start) * 1.5f;
        }
        ExpectAgreement(start, end);
    }
}

TEST_F(EIntersectSegmentTest, TheNoIntersectSubsetIsStillHitAndItsBoxesCarryTheFlag) {
    BuildWorld();
    const ECollisionObject* plate = g_CollisionMgr.GetRecord(m_objects[4].indices.m_uCollisionIndex);
    ASSERT_NE(plate, nullptr);
    ASSERT_EQ(plate->m_uBoxes, 2u);
    EXPECT_EQ(plate->pBoxes[0].m_bNoIntersect, 0);
    EXPECT_EQ(plate->pBoxes[1].m_bNoIntersect, 1);
    SegmentHit hit;
    ASSERT_TRUE(Query({26, 5, 22}, {26, -5, 22}, &hit));
    EXPECT_EQ(hit.m_uTextureId, 32u);
    EXPECT_NEAR(hit.m_vPoint.y, 0.5f, 1e-5f);
}

TEST_F(EIntersectSegmentTest, NormalsOfANonUniformlyScaledSlopeStayPerpendicularToIt) {
    FakeObject& slope = AddMesh(Slope(), Placement({1, 3, 1}, 0, 0, 0, {0, 0, 0}), {{2, 1, 0}});
    SegmentHit hit;
    ASSERT_TRUE(Query({2, 20, 2}, {2, -20, 2}, &hit));
    // The world slope rises 3 in 2: its normal leans back three times as far as it rises.
    const Triangle w = slope.WorldTriangles()[hit.m_uFace];
    EXPECT_NEAR(pmath::Dot(hit.m_vNormal, w.b - w.a), 0.0f, 1e-5f);
    EXPECT_NEAR(pmath::Dot(hit.m_vNormal, w.c - w.a), 0.0f, 1e-5f);
    EXPECT_NEAR(pmath::Length(hit.m_vNormal), 1.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(hit.m_vNormal.x / hit.m_vNormal.y), 1.5f, 1e-4f);
}

TEST_F(EIntersectSegmentTest, MovedObjectsAreFoundWhereTheyNowAre) {
    FakeObject& box = AddMesh(test::Cube(1.0f), pmath::Identity(), {{12, 1, 0}});
    SegmentHit hit;
    ASSERT_TRUE(Query({0, 10, 0}, {0, -10, 0}, &hit));
    box.Place(test::Translation({30, 0, 0}));
    EXPECT_FALSE(Query({0, 10, 0}, {0, -10, 0}, &hit));
    ASSERT_TRUE(Query({30, 10, 0}, {30, -10, 0}, &hit));
    EXPECT_NEAR(hit.m_vPoint.y, 1.0f, 1e-5f);
    Remove(box);
    EXPECT_FALSE(Query({30, 10, 0}, {30, -10, 0}, &hit));
}

TEST_F(EIntersectSegmentTest, AtEqualDistanceTheObjectTestedLaterIsReported) {
    AddMesh(test::Cube(1.0f), pmath::Identity(), {{12, 1, 0}});
    FakeObject& second = AddMesh(test::Cube(1.0f), pmath::Identity(), {{12, 2, 0}});
    SegmentHit hit;
    ASSERT_TRUE(Query({0.2f, 10, 0.1f}, {0.2f, -10, 0.1f}, &hit));
    EXPECT_EQ(hit.m_pObject, second.Handle());
    EXPECT_EQ(hit.m_uTextureId, 2u);
}

// Slots freed by a removal are taken again, so the table's order is not the order of adding: the
// nearby entries a short query visits keep the table's order all the same.
TEST_F(EIntersectSegmentTest, AtEqualDistanceTheLaterSlotWinsAlsoWhereTheSlotsWereReused) {
    FakeObject& early = AddMesh(test::Cube(1.0f), test::Translation({100, 0, 100}), {{12, 1, 0}});
    FakeObject& gone = AddMesh(test::Cube(1.0f), test::Translation({-300, 0, 40}), {{12, 2, 0}});
    FakeObject& kept = AddMesh(test::Cube(1.0f), test::Translation({100, 0, 100}), {{12, 3, 0}});
    Remove(gone);
    Remove(early);
    FakeObject& late = AddMesh(test::Cube(1.0f), test::Translation({100, 0, 100}), {{12, 4, 0}});
    ASSERT_LT(late.indices.m_uIntersectIndex, kept.indices.m_uIntersectIndex);
    SegmentHit hit;
    ASSERT_TRUE(Query({100.2f, 10, 100.1f}, {100.2f, -10, 100.1f}, &hit));
    EXPECT_EQ(hit.m_pObject, kept.Handle());
}

// A world spread far beyond one cell of the segment tables' grid, with a wide hill under it,
// small boxes on cell borders and in range of none: probes and short segments agree with the
// walk over every face while the boxes move and leave.
TEST_F(EIntersectSegmentTest, AWideWorldAgreesWithTheWalkAsObjectsMoveAndLeave) {
    AddMesh(test::Hill(16, 25.0f), Placement({1, 1, 1}, 0, 0, 0, {-200, -3, -200}), {{512, 21, 0}});
    std::mt19937 random(32);
    std::uniform_real_distribution<float> ground(-190, 190), size(0.3f, 6), turn(-3, 3), height(-1, 4);
    for (int i = 0; i < 120; ++i)
        AddMesh(test::Cube(size(random)), Placement({1, 1, 1}, turn(random), 0, 0, {ground(random), height(random), ground(random)}),
                {{12, static_cast<uint32_t>(100 + i), 0}});
    // On the borders of cells of 16 and across a corner of four cells.
    for (float x : {16.0f, 32.0f, -16.0f})
        AddMesh(test::Cube(0.5f), test::Translation({x, 5, 48}), {{12, 7, 0}});
    AddMesh(test::Cube(3.0f), test::Translation({64, 6, 64}), {{12, 8, 0}});

    std::uniform_real_distribution<float> near(-3, 3);
    auto probeAround = [&] {
        for (size_t i = 1; i < m_objects.size(); ++i) {
            const CollisionObjectFacts& f = m_objects[i].facts;
            if (f.kind != CollisionObjectFacts::MESH) continue;
            const DV at = (f.worldMin + f.worldMax) * 0.5f + DV{near(random), 0, near(random)};
            ExpectAgreement(at + DV{0, 20, 0}, at - DV{0, 20, 0});
            ExpectAgreement(at + DV{near(random) * 3, 8, near(random) * 3}, at - DV{0, 8, 0});
        }
        for (float x : {16.0f, 32.0f, -16.0f, 64.0f}) ExpectAgreement({x, 20, 48}, {x, -20, 48});
        ExpectAgreement({64, 20, 64}, {64, -20, 64});
        // Long segments walk the whole table.
        ExpectAgreement({-190, 2, -150}, {190, 1, 170});
    };
    probeAround();
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 1; i < m_objects.size(); i += 3)
            if (m_objects[i].facts.kind == CollisionObjectFacts::MESH)
                m_objects[i].Place(Placement({1, 1, 1}, turn(random), 0, 0, {ground(random), height(random), ground(random)}));
        for (size_t i = 2 + round; i < m_objects.size(); i += 11)
            if (m_objects[i].facts.kind == CollisionObjectFacts::MESH) Remove(m_objects[i]);
        probeAround();
    }
}

TEST_F(EIntersectSegmentTest, FiltersChooseTheCandidatesAndSeeTheQuerysArgument) {
    FakeObject& nearer = AddMesh(test::Cube(1.0f), test::Translation({0, 5, 0}));
    FakeObject& farther = AddMesh(test::Cube(1.0f), pmath::Identity());
    static EObjectSlot* s_refused;
    static EObjectSlot* s_argument;
    s_refused = nearer.Handle();
    s_argument = nullptr;
    auto refuse = [](EObjectSlot* candidate, EObjectSlot* argument) {
        s_argument = argument;
        return candidate != s_refused;
    };
    SegmentHit hit;
    ASSERT_TRUE(Query({0, 20, 0}, {0, -20, 0}, &hit));
    EXPECT_EQ(hit.m_pObject, nearer.Handle());
    ASSERT_TRUE(Query({0, 20, 0}, {0, -20, 0}, &hit, refuse, farther.Handle()));
    EXPECT_EQ(hit.m_pObject, farther.Handle());
    EXPECT_EQ(s_argument, farther.Handle());
    EXPECT_FALSE(Query({0, 20, 0}, {0, -20, 0}, &hit, [](EObjectSlot*, EObjectSlot*) { return false; }));
    // No filter at all tests every candidate, as the default does.
    ASSERT_TRUE(Query({0, 20, 0}, {0, -20, 0}, &hit, nullptr));
    EXPECT_EQ(hit.m_pObject, nearer.Handle());
}

TEST_F(EIntersectSegmentTest, FlagsChooseWhichQueriesSeeAnObject) {
    struct Case {
        uint32_t flags, flags2;
        bool solidQuery, seeThroughQuery;
    } cases[] = {
        {0x5, 0, true, true},
        {0x85, 0, false, true},       // dead: only queries that see through
        {0x5, 0x1000, true, false},   // solid: only queries that do not
        {0x85, 0x1000, false, false},
        {0x5, 0x10000, false, false}, // never hit
    };
    FakeObject& box = AddMesh(test::Cube(1.0f), pmath::Identity());
    for (const Case& c : cases) {
        box.facts.flags = c.flags;
        box.facts.flags2 = c.flags2;
        g_IntersectSegment.UpdateEngineObject(box.Handle());
        SegmentHit hit;
        EXPECT_EQ(Query({0, 10, 0}, {0, -10, 0}, &hit), c.solidQuery) << c.flags << " " << c.flags2;
        EXPECT_EQ(Query({0, 10, 0}, {0, -10, 0}, &hit, IntersectFilterAll, nullptr, 1), c.seeThroughQuery)
            << c.flags << " " << c.flags2;
    }
}

TEST_F(EIntersectSegmentTest, AHitOnAMeshWithoutSubsetsIsReportedAsAFailure) {
    FakeObject& bare = AddMesh(test::Cube(1.0f), pmath::Identity());
    // Registered again, without its subset table: the new record replaces the first.
    bare.hasSubsetTable = false;
    g_CollisionMgr.AddObject(bare.Handle());
    EXPECT_EQ(bare.indices.m_uCollisionIndex, 1u);
    g_IntersectSegment.AddEngineObject(bare.Handle());
    SegmentHit hit;
    EXPECT_FALSE(Query({0, 10, 0}, {0, -10, 0}, &hit));
    EXPECT_EQ(hit.m_bHit, 1);
    EXPECT_TRUE(Logged(" *** Fizyka *** EMeshMgr::strmesh nie posiada tablicy subsetow!"));
}

TEST_F(EIntersectSegmentTest, MissingRecordsOrEndsAnswerNoHit) {
    AddMesh(test::Cube(1.0f), pmath::Identity());
    SegmentQuery query;
    SegmentHit hit;
    EXPECT_FALSE(g_IntersectSegment.Intersect(nullptr, &hit));
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, nullptr));
    hit.m_bHit = 1;
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, &hit));
    EXPECT_EQ(hit.m_bHit, 0);
}

TEST_F(EIntersectSegmentTest, FarSkinnedMeshesAreHitAtTheirCentreByCoarseQueries) {
    FakeObject& figure = AddSkinMesh({0, 0, 100}, 2.0f);
    const DV start{0, 0, 0}, end{0, 0, 200};
    SegmentQuery query;
    query.m_pStart = &start;
    query.m_pEnd = &end;
    SegmentHit hit;
    // Nearer skinned meshes answer through their collision elements, which they do not have yet.
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, &hit));
    query.m_bCoarse = 1;
    query.m_fCoarseDistance = 50;
    ASSERT_TRUE(g_IntersectSegment.Intersect(&query, &hit));
    EXPECT_EQ(hit.m_pObject, figure.Handle());
    EXPECT_EQ(hit.m_bSkinMesh, 1);
    EXPECT_STREQ(hit.m_szNodeName, "Bip01");
    EXPECT_EQ(hit.m_uHitKind, 0u);
    EXPECT_FLOAT_EQ(hit.m_fDistance, 100.0f);
    EXPECT_EQ(hit.m_vPoint, (DV{0, 0, 100}));
    EXPECT_EQ(hit.m_vNormal, (DV{0, 0, -1}));
    // A mesh at exactly the same distance wins.
    FakeObject& wall = AddMesh(test::Cube(1.0f), test::Translation({0, 0, 101}));
    ASSERT_TRUE(g_IntersectSegment.Intersect(&query, &hit));
    EXPECT_EQ(hit.m_pObject, wall.Handle());
    EXPECT_EQ(hit.m_bSkinMesh, 0);
    EXPECT_EQ(hit.m_SkinMeshHit.m_bHit, 0);
    // The marker table has nothing in it, and such queries skip skinned meshes.
    query.m_bMarkers = 1;
    EXPECT_FALSE(g_IntersectSegment.Intersect(&query, &hit));
}

TEST_F(EIntersectSegmentTest, AFullSkinnedMeshTableRefusesBeforeTakingASlot) {
    for (int i = 0; i < EIntersectSegment::MAX_INTERSECT_SEGMENT_SKIN_MESHES; ++i) AddSkinMesh({0, 0, 0}, 1.0f);
    EXPECT_EQ(g_IntersectSegment.m_Max_SkinMeshes, EIntersectSegment::MAX_INTERSECT_SEGMENT_SKIN_MESHES);
    FakeObject& late = AddSkinMesh({0, 0, 0}, 1.0f);
    EXPECT_EQ(g_IntersectSegment.m_Max_SkinMeshes, EIntersectSegment::MAX_INTERSECT_SEGMENT_SKIN_MESHES);
    EXPECT_TRUE(Logged("ERROR: EIntersectSegment::AddSkinMesh() ---> m_Max_SkinMeshes>=MAX_INTERSECT_SEGMENT_SKIN_MESHES"));
    for (const EIntersectObject& entry : g_IntersectSegment.m_SkinMeshes) EXPECT_NE(entry.m_hObject, late.Handle());
    // A freed slot is taken again.
    Remove(m_objects[5]);
    g_IntersectSegment.AddEngineObject(late.Handle());
    EXPECT_EQ(late.indices.m_uIntersectIndex, 5u);
    EXPECT_EQ(g_IntersectSegment.m_SkinMeshes[5].m_hObject, late.Handle());
}

}  // namespace
