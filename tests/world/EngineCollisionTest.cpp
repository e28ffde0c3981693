// The engine's objects in the collision subsystem: a mesh object loaded from its model file is
// found by segment queries where it stands, the camera finder sees it, and it leaves everything
// when deleted.
#include <gtest/gtest.h>

#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "collision/MeshCollision.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshHooks.h"
#include "support/TextureFiles.h"
#include "support/XFiles.h"
#include "world/CollisionFixture.h"

namespace {

class EngineCollision : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        test::InstallCollisionHooks();
        WriteFile("textures\\red.tga", test::TgaFile(2, 2, 0xFFFF0000u));
        WriteFile("textures\\blue.tga", test::TgaFile(2, 2, 0xFF0000FFu));
        g_Renderer.InitTextures();
        // The unit cube: its first three sides red, the others (the top among them) blue.
        WriteFile("box.x", test::kXHeader + test::CubeMesh());
    }
    void TearDown() override {
        EngineTest::TearDown();
        test::RemoveCollisionHooks();
    }

    static bool Down(float x, float z, SegmentHit* hit) {
        const DV start{x, 50, z}, end{x, -50, z};
        SegmentQuery query;
        query.m_pStart = &start;
        query.m_pEnd = &end;
        return g_IntersectSegment.Intersect(&query, hit);
    }
};

TEST_F(EngineCollision, SegmentQueriesFindAMeshObjectWhereItStands) {
    EObjectSlot* box = AddMesh("box", DV{10, 0, 5}, "box.x");
    ASSERT_NE(box, nullptr);
    const EMesh* mesh = box->Mesh();
    SegmentHit hit;
    ASSERT_TRUE(Down(10.5f, 5.5f, &hit));
    EXPECT_EQ(hit.m_pObject, box);
    EXPECT_NEAR(hit.m_vPoint.y, 1.0f, 1e-5f);
    EXPECT_NEAR(hit.m_fDistance, 49.0f, 1e-4f);
    EXPECT_EQ(hit.m_vNormal, (DV{0, 1, 0}));
    EXPECT_EQ(hit.m_uTextureId, mesh->m_uTextureIds[1]);
    EXPECT_NE(hit.m_uTextureId, mesh->m_uTextureIds[0]);

    g_Engine.SetObjectPosition(box, DV{30, 0, 5}, false);
    EXPECT_FALSE(Down(10.5f, 5.5f, &hit));
    g_Engine.SetObjectScaling(box, DV{1, 3, 1});
    ASSERT_TRUE(Down(30.5f, 5.5f, &hit));
    EXPECT_NEAR(hit.m_vPoint.y, 3.0f, 1e-5f);

    const uint32_t record = box->m_CollisionIndices.m_uCollisionIndex;
    ASSERT_NE(g_CollisionMgr.GetRecord(record), nullptr);
    g_Engine.DeleteObject(box);
    EXPECT_EQ(g_CollisionMgr.GetRecord(record), nullptr);
    EXPECT_FALSE(Down(30.5f, 5.5f, &hit));
}

TEST_F(EngineCollision, TheCameraFinderShowsTheMeshesInItsVolume) {
    g_EngineObject.OnStartWorld();  // the camera finder at the origin, looking along +x
    g_Camera.m_fFarZ = 1000;
    EObjectSlot* ahead = AddMesh("ahead", DV{300, 0, 0}, "box.x");
    EObjectSlot* aside = AddMesh("aside", DV{0, 0, 300}, "box.x");
    for (EObjectSlot* o : {ahead, aside}) {
        g_EngineObject.m_bCameraChanged = 1;
        g_EngineObject.UpdateVisibility(o);
    }
    EXPECT_EQ(ahead->m_bVisibleThisFrame, 1);
    EXPECT_EQ(aside->m_bVisibleThisFrame, 0);
    // Moved into the camera's view, the object joins its list by its own move.
    g_Engine.SetObjectPosition(aside, DV{400, 0, 0}, false);
    g_EngineObject.UpdateVisibility(aside);
    EXPECT_EQ(aside->m_bVisibleThisFrame, 1);
}

TEST_F(EngineCollision, AMovingSkinnedMeshJoinsAndLeavesTouchLists) {
    g_EngineObject.OnStartWorld();
    // The engine cannot load skinned models yet: the slot is filled by hand, as creation would.
    EObjectSlot* figure = &g_Engine.m_Objects[g_Engine.kFirstSkinMeshSlot];
    figure->m_bUsed = 1;
    figure->Type = OT_SKINMESH;
    figure->m_uFlags = kDefaultObjectFlags;
    auto* skin = new ESkinMesh;
    skin->m_dRadius = 2;
    figure->Object = skin;
    g_Debug.AddAlloc("ESkinMesh");
    EOrientation facing;
    g_Engine.SetObjectTransform(figure, DV{0, 0, -2000}, facing, false, false);
    const ECollisionFinder* camera = g_EngineObject.m_pCameraFinder;
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(camera, figure, 0));
    g_Engine.SetObjectTransform(figure, DV{200, 0, 0}, facing, false, false);
    EXPECT_TRUE(g_CollisionMgr.IsObjectInFinder(camera, figure, 0));
    g_Engine.SetObjectTransform(figure, DV{0, 0, -2000}, facing, false, false);
    EXPECT_FALSE(g_CollisionMgr.IsObjectInFinder(camera, figure, 0));
    EXPECT_EQ(figure->m_CollisionIndices.m_iFirstTouch, -1);
    g_Engine.DeleteObject(figure);
}

}  // namespace
