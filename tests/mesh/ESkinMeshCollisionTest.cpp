// Collision elements: the two files that describe them, their binding to an instance's nodes,
// their place as the instance moves and animates, and the segment test with its hit zones.
#include "mesh/ESkinMeshCollision.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SkinMeshTest.h"
#include "core/SegmentHit.h"
#include "support/MathSupport.h"
#include "support/XFiles.h"

namespace {

class ESkinMeshCollisionTest : public test::SkinMeshTest {
protected:
    void SetUp() override {
        SkinMeshTest::SetUp();
        m_arm = test::Arm();
        WriteModel("models\\arm\\arm.x", m_arm);
        WriteClip("models\\arm\\animations\\bend.bin", test::ArmBend(m_arm, "bend", 90));
    }
    // The nearest element hit by the segment, from a fresh record.
    static SkinMeshHit Hit(const ESkinMesh& skin, const DV& a, const DV& b) {
        SkinMeshHit hit;
        skin.m_Collisions.TestSegment(SkinMeshSegment::Between(a, b), hit);
        return hit;
    }
    bool Create(ESkinMesh& skin, const char* collisions) {
        WriteFile("models\\arm\\collisions.txt", collisions);
        return SkinMeshTest::Create(skin, m_owner, "models\\arm\\arm.x");
    }

    skinned::Model m_arm;
    test::SkinOwner m_owner;
};

TEST_F(ESkinMeshCollisionTest, KeywordBlocksMakeElementsAndMisplacedKeywordsAreIgnored) {
    WriteFile("c.txt",
              "radius 99\n"
              "SPHERE knob\n  Node_Name lower\nhit_zone_name glowa\nradius 2.5\nthickness 7\n"
              "cylinder bone\nstart_node_name upper\nfinish_node_name lower\nhit_zone_name lewa_reka\nthickness 1.5\n"
              "node_name nowhere\n"
              "mesh plate\nprefab_filename prefabs\\plate.x\ntie_node_name upper\ntranslation 1 2 3\nrotation 0 90 0\n");
    ESkinMeshCollision model;
    ASSERT_TRUE(model.ReadCollisionsFile("c.txt"));
    ASSERT_EQ(model.Count(), 3u);
    const strSkinMeshCollisionElement& s = model.Element(0);
    EXPECT_EQ(s.uKind, ELEMENT_SPHERE);
    EXPECT_STREQ(s.szName, "knob");
    EXPECT_STREQ(s.szNodeName, "lower");
    EXPECT_STREQ(s.szHitZoneName, "glowa");
    EXPECT_DOUBLE_EQ(s.dRadius, 2.5);  // the radius before any element and the thickness changed nothing
    const strSkinMeshCollisionElement& c = model.Element(1);
    EXPECT_STREQ(c.szNodeName, "upper");
    EXPECT_STREQ(c.szFinishNodeName, "lower");
    EXPECT_DOUBLE_EQ(c.dRadius, 1.5);
    const strSkinMeshCollisionElement& m = model.Element(2);
    EXPECT_STREQ(m.szPrefabFileName, "prefabs\\plate.x");
    EXPECT_TRUE(test::Near(m.vTranslation, {1, 2, 3}));
    EXPECT_TRUE(test::Near(m.mRotation, pmath::MatrixFromYawPitchRoll(1.5707964f, 0, 0)));
    EXPECT_FALSE(model.ReadCollisionsFile("missing.txt"));
}

TEST_F(ESkinMeshCollisionTest, TheWriterWritesWhatTheReaderReads) {
    WriteFile("c.txt", "sphere s\nnode_name lower\nhit_zone_name glowa\nradius 2\n"
                       "mesh m\nprefab_filename p.x\ntie_node_name upper\nhit_zone_name tulow\nrotation 10 20 30\n");
    ESkinMeshCollision model;
    ASSERT_TRUE(model.ReadCollisionsFile("c.txt"));
    FILE* f = std::fopen(Path("written.txt").string().c_str(), "w");
    model.Write(f);
    std::fclose(f);
    ESkinMeshCollision again;
    ASSERT_TRUE(again.ReadCollisionsFile("written.txt"));
    ASSERT_EQ(again.Count(), 2u);
    EXPECT_STREQ(again.Element(1).szHitZoneName, "tulow");
    EXPECT_TRUE(test::Near(again.Element(1).vRotation, {10, 20, 30}));
    EXPECT_EQ(ReadLines("written.txt")[4], "");  // each block ends with an empty line
}

TEST_F(ESkinMeshCollisionTest, ReadingStopsAtTheElementLimitAndNamesKeepToTheirFields) {
    std::string text;
    for (int i = 0; i < 102; ++i) text += "sphere s" + std::to_string(i) + "\n";
    text += "node_name " + std::string(300, 'n') + "\n";
    WriteFile("c.txt", text);
    ESkinMeshCollision model;
    ASSERT_TRUE(model.ReadCollisionsFile("c.txt"));
    EXPECT_EQ(model.Count(), 100u);
    EXPECT_EQ(LoggedContaining("iNumCollisionElements>=MAX_SKINMESH_COLLISIONS_ELEMENTS"), 1);
    EXPECT_EQ(LoggedContaining("filename: c.txt"), 1);
    WriteFile("long.txt", "sphere " + std::string(100, 'a') + "\nnode_name " + std::string(300, 'n') + "\n");
    ESkinMeshCollision bounded;
    ASSERT_TRUE(bounded.ReadCollisionsFile("long.txt"));
    EXPECT_EQ(std::string(bounded.Element(0).szName).size(), 63u);
    EXPECT_EQ(std::string(bounded.Element(0).szNodeName).size(), 127u);
}

TEST_F(ESkinMeshCollisionTest, WithoutCollisionsTheModelTakesOneSpherePerPhysicsLine) {
    WriteFile("models\\arm\\physics.txt", "lower 1 2.0 glowa\nupper 0 9.0 tulow\nupper x 9.0 tulow\nupper 3 1.0 tulow\n");
    ESkinMesh skin;
    ASSERT_TRUE(SkinMeshTest::Create(skin, m_owner, "models\\arm\\arm.x"));
    const ESkinMeshCollision& model = skin.m_pSkinMeshBase->m_Collisions;
    ASSERT_EQ(model.Count(), 2u);
    EXPECT_STREQ(model.Element(0).szName, "sphere_lower");
    EXPECT_STREQ(model.Element(0).szHitZoneName, "glowa");
    EXPECT_DOUBLE_EQ(model.Element(1).dRadius, 1.0);
    EXPECT_EQ(skin.m_Collisions.Spheres().size(), 2u);
}

TEST_F(ESkinMeshCollisionTest, ASegmentThroughTwoSpheresHitsTheNearerWithItsZone) {
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, "sphere a\nnode_name upper\nhit_zone_name tulow\nradius 2\n"
                             "sphere b\nnode_name lower\nhit_zone_name glowa\nradius 2\n"));
    skin.SetPosition({100, 0, 0});
    // Spheres at (100, 0, 0) and (110, 0, 0).
    SkinMeshHit hit = Hit(skin, {130, 0, 0}, {80, 0, 0});
    ASSERT_TRUE(hit.m_bHit);
    EXPECT_STREQ(hit.m_szHitZoneName, "glowa");
    EXPECT_STREQ(hit.m_szNodeName, "lower");
    EXPECT_TRUE(test::Near(hit.m_vPoint, {112, 0, 0}, 1e-3f));
    EXPECT_NEAR(hit.m_fDistance, 18.0f, 1e-3f);
    EXPECT_TRUE(test::Near(hit.m_vNormal, {1, 0, 0}));
    EXPECT_EQ(hit.m_pObject, m_owner.Slot());
    hit = Hit(skin, {80, 0, 0}, {130, 0, 0});
    EXPECT_STREQ(hit.m_szHitZoneName, "tulow");
    EXPECT_FALSE(Hit(skin, {80, 5, 0}, {130, 5, 0}).m_bHit);
    // A record holding a nearer hit keeps it.
    SkinMeshHit nearer;
    nearer.m_bHit = 1;
    nearer.m_fDistance = 1.0f;
    skin.m_Collisions.TestSegment(SkinMeshSegment::Between({130, 0, 0}, {80, 0, 0}), nearer);
    EXPECT_FLOAT_EQ(nearer.m_fDistance, 1.0f);
}

TEST_F(ESkinMeshCollisionTest, ACapsuleIsHitWhereTheSegmentPassesClosestToItsAxis) {
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, "cylinder c\nstart_node_name upper\nfinish_node_name lower\nhit_zone_name prawa_reka\n"
                             "thickness 1\n"));
    // The axis from (0, 0, 0) to (10, 0, 0); the segment comes down through x = 4.
    const SkinMeshHit hit = Hit(skin, {4, 20, 0.5f}, {4, -20, 0.5f});
    ASSERT_TRUE(hit.m_bHit);
    EXPECT_STREQ(hit.m_szNodeName, "upper");
    EXPECT_TRUE(test::Near(hit.m_vPoint, {4, 0, 0.5f}, 1e-3f));
    EXPECT_NEAR(hit.m_fDistance, 20.0f, 1e-3f);  // t x length
    EXPECT_FALSE(Hit(skin, {4, 20, 1.5f}, {4, -20, 1.5f}).m_bHit);
    EXPECT_FALSE(Hit(skin, {14, 20, 0}, {14, -20, 0}).m_bHit);
}

TEST_F(ESkinMeshCollisionTest, AMeshElementTakesItsPrefabsTrianglesOnItsTieNode) {
    WriteFile("prefabs\\plate.x", test::kXHeader + test::TriangleMesh(0));
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, "mesh plate\nprefab_filename prefabs\\plate.x\ntie_node_name lower\nhit_zone_name lewa_noga\n"
                             "translation 0 5 0\nrotation 0 0 0\n"));
    const strSkinMeshCollisionElement& e = skin.m_pSkinMeshBase->m_Collisions.Element(0);
    EXPECT_EQ(e.vVerticesLocalSpace.size(), 3u);
    ASSERT_EQ(skin.m_Collisions.Meshes().size(), 1u);
    // The prefab is centred about its box; it stands 5 above the elbow at (10, 0, 0).
    const SkinMeshHit hit = Hit(skin, {9.9f, 20, -0.1f}, {9.9f, -20, -0.1f});
    ASSERT_TRUE(hit.m_bHit);
    EXPECT_STREQ(hit.m_szHitZoneName, "lewa_noga");
    EXPECT_NEAR(hit.m_vPoint.y, 5.0f, 1e-3f);
    WriteFile("models\\arm\\collisions.txt", "mesh gone\nprefab_filename prefabs\\gone.x\ntie_node_name lower\n");
    WriteModel("models\\arm2\\arm2.x", m_arm);
    WriteFile("models\\arm2\\collisions.txt", "mesh gone\nprefab_filename prefabs\\gone.x\ntie_node_name lower\n");
    ESkinMesh other;
    ASSERT_TRUE(SkinMeshTest::Create(other, m_owner, "models\\arm2\\arm2.x"));
    EXPECT_EQ(LoggedContaining("Collision Element Prefab Not Found: prefabs\\gone.x"), 1);
    EXPECT_EQ(LoggedContaining("ERROR in SkinMeshCollisions: SkinMesh=models\\arm2\\arm2.x"), 1);
}

TEST_F(ESkinMeshCollisionTest, AnElementWithANodeThatIsMissingIsNeverHit) {
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, "sphere lost\nnode_name elbow\nhit_zone_name glowa\nradius 5\n"
                             "cylinder half\nstart_node_name upper\nfinish_node_name wrist\nhit_zone_name tulow\n"
                             "thickness 5\n"));
    EXPECT_EQ(LoggedContaining("ERROR in SkinMeshCollisions: Node not found!"), 2);
    EXPECT_EQ(LoggedContaining("bad node name: elbow"), 1);
    EXPECT_EQ(LoggedContaining("skin mesh: models\\arm\\arm.x"), 2);
    skin.SetPosition({50, 0, 0});
    // Not at the origin, not as a capsule to the origin.
    EXPECT_FALSE(Hit(skin, {0, -10, 0}, {0, 10, 0}).m_bHit);
    EXPECT_FALSE(Hit(skin, {25, -10, 0}, {25, 10, 0}).m_bHit);
    EXPECT_FALSE(Hit(skin, {50, -10, 0}, {50, 10, 0}).m_bHit);
    // Nothing bound: the radius keeps its start value.
    EXPECT_DOUBLE_EQ(skin.m_dRadius, ESkinMesh::kDefaultRadius);
}

TEST_F(ESkinMeshCollisionTest, ElementsFollowEveryMoveAndThePoseOfTheFrameAtOnce) {
    ESkinMesh skin;
    ASSERT_TRUE(Create(skin, "sphere tip\nnode_name lower\nhit_zone_name glowa\nradius 1\n"));
    m_owner.moves = 0;
    skin.SetPosition({0, 0, 100});
    // Where the move put it, without waiting for the next frame's matrices.
    EXPECT_TRUE(test::Near(skin.m_Collisions.Spheres()[0].centre, {10, 0, 100}));
    EXPECT_TRUE(test::Near(skin.m_vCollisionMin, {9, -1, 99}));
    EXPECT_NEAR(skin.m_dRadius, std::sqrt(11.0f * 11 + 1 + 1), 1e-4f);
    EXPECT_EQ(m_owner.moves, 1);  // the segment tables learn of it
    // A clip turning the shoulder a quarter round swings the elbow with the frame's matrices.
    WriteClip("models\\arm\\animations\\swing.bin",
              skinned::MakeClip(m_arm, "swing", 1.0, 2, [](float t, skinned::Pose& p) {
                  p.angles["upper"] = {0, t * 1.5707964f, 0};
              }));
    skin.m_pSkinMeshBase->m_szAnimationNames.push_back("swing");
    skin.SetAnimation("swing", false);
    Frame(skin, 1.0f);
    const DV elbow = pmath::TransformPoint({10, 0, 0}, pmath::MatrixFromYawPitchRoll(1.5707964f, 0, 0)) + DV{0, 0, 100};
    EXPECT_TRUE(test::Near(skin.m_Collisions.Spheres()[0].centre, elbow, 1e-4f));
    EXPECT_TRUE(Hit(skin, elbow + DV{0, 5, 0}, elbow - DV{0, 5, 0}).m_bHit);
}

}  // namespace
