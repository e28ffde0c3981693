// Segment queries against skinned objects: their collision elements are hit with the kind of
// their hit zone, the query's switches and filter decide which are tested, and far away the
// coarse switch takes the bounding sphere alone.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "collision/CollisionHooks.h"
#include "collision/EIntersectSegment.h"
#include "collision/MeshCollision.h"
#include "core/SegmentHit.h"
#include "core/FrameFacts.h"
#include "core/SegmentQuery.h"
#include "mesh/ESkinMesh.h"
#include "mesh/ESkinMeshAnimation.h"
#include "mesh/ESkinMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "support/DeviceTest.h"
#include "tools/SkinnedModel.h"

namespace {

struct Owner {
    DrawVisibility visibility;
    uint32_t flags = 0;
    uint32_t flags2 = 0;
    ESkinMesh* skin = nullptr;
    CollisionIndices indices;
    EObjectSlot* Slot() { return reinterpret_cast<EObjectSlot*>(this); }
};

Owner* Of(const EObjectSlot* o) { return reinterpret_cast<Owner*>(const_cast<EObjectSlot*>(o)); }

// A post with six spheres up its side, one per hit zone, 10 apart from y = 0.
constexpr const char* kZones[] = {"tulow", "glowa", "lewa_reka", "prawa_reka", "lewa_noga", "prawa_noga"};

class EIntersectSegmentSkinMeshTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(CreateDevice());
        test::ResetGlobal(g_SkinMeshMgr);
        g_MeshHooks.objectSkinMesh = [](const EObjectSlot* o) { return o ? Of(o)->skin : nullptr; };
        g_MeshHooks.ownerFlags = [](const EObjectSlot* o) { return o ? Of(o)->flags : 0u; };
        g_MeshHooks.ownerFlags2 = [](const EObjectSlot* o) { return o ? Of(o)->flags2 : 0u; };
        g_CollisionHooks.objectFacts = [](EObjectSlot* o) {
            CollisionObjectFacts facts;
            if (!o || !Of(o)->skin) return facts;
            SkinMeshCollisionFacts(*Of(o)->skin, &facts);
            facts.flags = Of(o)->flags;
            facts.flags2 = Of(o)->flags2;
            facts.indices = &Of(o)->indices;
            return facts;
        };
        std::string collisions;
        for (int i = 0; i < 6; ++i)
            collisions += std::string("sphere s") + kZones[i] + "\nnode_name n" + kZones[i] + "\nhit_zone_name " +
                          kZones[i] + "\nradius 2\n";
        WriteFile("post\\post.x", Post().XText());
        WriteFile("post\\collisions.txt", collisions);
        m_skin.m_hObject = m_owner.Slot();
        m_owner.skin = &m_skin;
        ASSERT_TRUE(m_skin.Create("post\\post.x"));
        m_skin.SetPosition({100, 0, 0});
        g_IntersectSegment.AddEngineObject(m_owner.Slot());
    }
    void TearDown() override {
        g_IntersectSegment.RemoveEngineObject(m_owner.Slot());
        m_skin.Destroy();
        test::ResetGlobal(g_SkinMeshMgr);
        g_MeshHooks = MeshHooks{};
        g_CollisionHooks = CollisionHooks{};
        DeviceTest::TearDown();
    }
    // The post: a root and a node every 10 up its side.
    static skinned::Model Post() {
        skinned::Model post;
        const int root = post.AddBone("Bip01", -1, {});
        for (int i = 0; i < 6; ++i) post.AddBone(std::string("n") + kZones[i], root, {0, 10.0f * i, 0});
        skinned::Part p;
        p.name = "post";
        p.textures = {"post.tga"};
        p.Limb({0, 0, 0}, {0, 50, 0}, 1, 1, 0, {{root, 1.0f}}, {{root, 1.0f}});
        post.parts.push_back(p);
        return post;
    }
    // The engine tells the segment tables of every change of an object's flags.
    void SetFlags(uint32_t flags, uint32_t flags2) {
        m_owner.flags = flags;
        m_owner.flags2 = flags2;
        g_IntersectSegment.UpdateEngineObject(m_owner.Slot());
    }
    bool Shoot(float y, SegmentHit& hit, SegmentQuery query = SegmentQuery()) {
        const DV start{0, y, 0}, end{200, y, 0};
        query.m_pStart = &start;
        query.m_pEnd = &end;
        return g_IntersectSegment.Intersect(&query, &hit);
    }

    Owner m_owner;
    ESkinMesh m_skin;
};

TEST_F(EIntersectSegmentSkinMeshTest, AnElementHitReportsItsObjectNodeAndTheKindOfItsZone) {
    for (int i = 0; i < 6; ++i) {
        SegmentHit hit;
        ASSERT_TRUE(Shoot(10.0f * i, hit)) << kZones[i];
        EXPECT_EQ(hit.m_bSkinMesh, 1);
        EXPECT_EQ(hit.m_uHitKind, static_cast<uint32_t>(i)) << kZones[i];
        EXPECT_EQ(hit.m_pObject, m_owner.Slot());
        EXPECT_STREQ(hit.m_szNodeName, (std::string("n") + kZones[i]).c_str());
        EXPECT_NEAR(hit.m_fDistance, 98.0f, 1e-3f);
        EXPECT_NEAR(hit.m_vPoint.x, 98.0f, 1e-3f);
        EXPECT_FLOAT_EQ(hit.m_vNormal.x, -1.0f);
        EXPECT_FLOAT_EQ(hit.m_vEnd.x, 200.0f);
    }
    SegmentHit hit;
    EXPECT_FALSE(Shoot(5.0f, hit));  // between two spheres
    EXPECT_EQ(hit.m_bHit, 0u);
}

TEST_F(EIntersectSegmentSkinMeshTest, FlagsSwitchesAndTheFilterDecideWhatIsTested) {
    SegmentHit hit;
    SegmentQuery refusing;
    refusing.m_pFilter = [](EObjectSlot*, EObjectSlot*) { return false; };
    EXPECT_FALSE(Shoot(10, hit, refusing));
    SegmentQuery markers;
    markers.m_bMarkers = 1;
    EXPECT_FALSE(Shoot(10, hit, markers));
    SegmentQuery seeThrough;
    seeThrough.m_bCanSeeThru = 1;
    SetFlags(0x80, 0);  // seen through: only queries that look through hit it
    EXPECT_FALSE(Shoot(10, hit));
    EXPECT_TRUE(Shoot(10, hit, seeThrough));
    SetFlags(0, 0x1000);  // never seen through
    EXPECT_FALSE(Shoot(10, hit, seeThrough));
    EXPECT_TRUE(Shoot(10, hit));
    SetFlags(0, 0x10000);
    EXPECT_FALSE(Shoot(10, hit));
    SetFlags(0, 0);
    g_IntersectSegment.RemoveEngineObject(m_owner.Slot());
    EXPECT_FALSE(Shoot(10, hit));
}

TEST_F(EIntersectSegmentSkinMeshTest, FarAwayTheCoarseSwitchHitsTheBoundingSphere) {
    SegmentQuery coarse;
    coarse.m_bCoarse = 1;
    coarse.m_fCoarseDistance = 50.0f;
    SegmentHit hit;
    ASSERT_TRUE(Shoot(10, hit, coarse));
    EXPECT_STREQ(hit.m_szNodeName, "Bip01");
    EXPECT_EQ(hit.m_uHitKind, 0u);
    EXPECT_NEAR(hit.m_vPoint.x, 100.0f, 1e-4f);
    EXPECT_NEAR(hit.m_fDistance, std::hypot(100.0f, 10.0f), 1e-4f);  // to the centre
    coarse.m_fCoarseDistance = 5000.0f;
    ASSERT_TRUE(Shoot(10, hit, coarse));
    EXPECT_STREQ(hit.m_szNodeName, "nglowa");
}

}  // namespace

namespace {

// A character that is not drawn still animates: a query meets it in the pose of its last
// animation step, not in the one it was last drawn in.
TEST_F(EIntersectSegmentSkinMeshTest, AnUndrawnCharacterIsHitInItsCurrentPose) {
    const strSkinMeshAnimation fall = skinned::MakeClip(Post(), "fall", 1.0, 2, [](float t, skinned::Pose& p) {
        p.angles["Bip01"] = {0, 0, t * 1.5707964f};  // the post tips over to lie along x
    });
    std::filesystem::create_directories(Path("post\\animations"));
    ASSERT_TRUE(Save_Animation_To_Bin_File(&fall, Path("post\\animations\\fall.bin").string().c_str()));
    // As the engine does: a character's moves reach the segment tables.
    g_MeshHooks.ownerTransformed = [](EObjectSlot* o, const DV&, const pmath::Quaternion&) {
        g_IntersectSegment.UpdateEngineObject(o);
    };
    m_skin.m_pSkinMeshBase->m_szAnimationNames.push_back("fall");
    m_skin.SetAnimation("fall", false);
    SegmentHit hit;
    ASSERT_TRUE(Shoot(40, hit));  // standing: its "lewa_noga" sphere is 40 up
    g_FrameFacts.frameTime = 1.0f;
    m_skin.UpdateAnimation();  // no drawing follows
    EXPECT_FALSE(Shoot(40, hit)) << "the post lies on the ground now";
    // Lying along x, the sphere 40 along it is met by a vertical shot through it.
    bool found = false;
    for (float x : {60.0f, 140.0f}) {
        SegmentQuery query;
        const DV top{x, 20, 0}, bottom{x, -20, 0};
        query.m_pStart = &top;
        query.m_pEnd = &bottom;
        SegmentHit down;
        if (g_IntersectSegment.Intersect(&query, &down)) {
            found = true;
            EXPECT_STREQ(down.m_szNodeName, "nlewa_noga");
        }
    }
    EXPECT_TRUE(found);
    g_FrameFacts = FrameFacts{};
}

}  // namespace
