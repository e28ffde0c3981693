// Visibility blockers: segments crossing a blocker, objects wholly hidden behind blockers, the
// refused hand-over and the diagnostic dump.
#include <gtest/gtest.h>

#include "mesh/MeshHooks.h"
#include "world/WorldFixture.h"

namespace {

class Blockers : public test::WorldTest {
protected:
    // The meshes stand where their objects are.
    void SetUp() override {
        WorldTest::SetUp();
        g_MeshHooks.ownerPlacement = [](const EObjectSlot* o) {
            MeshOwnerPlacement placement;
            if (o) placement.position = o->m_vPosition;
            return placement;
        };
    }
    void TearDown() override {
        g_MeshHooks = MeshHooks{};
        WorldTest::TearDown();
    }
    // A square quad in the plane z = depth, from -half to half in x and y.
    static void Quad(int index, float depth, float half) {
        CVisibilityBlockers::Blocker& b = g_VisibilityBlockers.m_Blockers[index];
        b.m_bUsed = 1;
        const DV a{-half, -half, depth}, c{half, -half, depth}, d{half, half, depth}, e{-half, half, depth};
        b.m_vTriangles[0][0] = a, b.m_vTriangles[0][1] = c, b.m_vTriangles[0][2] = d;
        b.m_vTriangles[1][0] = a, b.m_vTriangles[1][1] = d, b.m_vTriangles[1][2] = e;
    }
};

TEST_F(Blockers, AnEmptyTableHidesNothingAndRefusesObjects) {
    EObjectSlot* box = AddMesh("box", DV{0, 0, 10});
    EXPECT_FALSE(g_VisibilityBlockers.SegmentBlocked(DV{}, DV{0, 0, 10}));
    const DV eye{};
    EXPECT_FALSE(g_VisibilityBlockers.ObjectHidden(&eye, box));
    EXPECT_FALSE(g_VisibilityBlockers.AddFromObject(box));
    EXPECT_EQ(g_VisibilityBlockers.m_iMaxBlockers, 0);
}

TEST_F(Blockers, AnObjectIsHiddenOnlyWhenEveryLineToItIsBlocked) {
    EObjectSlot* box = AddMesh("box", DV{0, 0, 10});
    const DV eye{0.5f, 0, 0};
    Quad(0, 5, 100);
    // Records beyond the count are not looked at.
    EXPECT_FALSE(g_VisibilityBlockers.SegmentBlocked(eye, DV{0, 0, 10}));
    g_VisibilityBlockers.m_iMaxBlockers = 1;
    EXPECT_TRUE(g_VisibilityBlockers.SegmentBlocked(eye, DV{0, 0, 10}));
    EXPECT_FALSE(g_VisibilityBlockers.SegmentBlocked(eye, DV{0, 0, 4}));
    EXPECT_TRUE(g_VisibilityBlockers.ObjectHidden(&eye, box));
    // A blocker too small to cover the whole box leaves it seen.
    Quad(0, 5, 0.2f);
    EXPECT_FALSE(g_VisibilityBlockers.ObjectHidden(&eye, box));
    EXPECT_FALSE(g_VisibilityBlockers.ObjectHidden(nullptr, box));
    // Lights and skinned meshes are never hidden.
    Quad(0, 5, 100);
    EXPECT_FALSE(g_VisibilityBlockers.ObjectHidden(&eye, AddLight("lamp", DV{0, 0, 10})));
}

TEST_F(Blockers, TheDumpCountsTheRecordsInUse) {
    Quad(3, 1, 1);
    g_VisibilityBlockers.m_iMaxBlockers = 2;
    g_VisibilityBlockers.Dump();
    EXPECT_TRUE(Logged("LevelTime=0.000000, m_iMaxBlockers=2, iNumUsed=1, iMaxUsedIDX=3"));
    EXPECT_TRUE(Logged("niepoprawna wartosc m_iMaxBlockers!"));
    g_VisibilityBlockers.Reset();
    EXPECT_EQ(g_VisibilityBlockers.m_Blockers[3].m_bUsed, 0);
}

}  // namespace
