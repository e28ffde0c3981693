// Mesh sockets: the files of "scripts\mesh_sockets\", their keywords, limits and the queries.
#include "mesh/EMeshSocketsMgr.h"

#include <gtest/gtest.h>

#include "MeshTest.h"
#include "support/XFiles.h"

namespace {

class EMeshSocketsMgrTest : public test::MeshTest {
protected:
    void SetUp() override {
        MeshTest::SetUp();
        test::ResetGlobal(g_MeshSocketsMgr);
        WriteFile("cart.x", test::kXHeader + test::TriangleMesh(0.0f));
        CreateMesh(m_mesh, m_owner, "cart.x");
    }
    EMesh m_mesh;
    test::FakeOwner m_owner;
};

TEST_F(EMeshSocketsMgrTest, KeywordsAreWholeWordsInAnyCaseAndTheFirstFileOfAModelWins) {
    WriteFile("scripts\\mesh_sockets\\b.txt", "MESH_FILENAME Cart.x\nSocket hitch 1 2 3\nsockets nothing 9 9 9\n"
                                              "  socket seat 4.5\n");
    WriteFile("scripts\\mesh_sockets\\A.txt", "mesh_filename other.x\nsocket hitch 7 7 7\n");
    WriteFile("scripts\\mesh_sockets\\c.txt", "mesh_filename cart.x\nsocket hitch 8 8 8\nsocket late 1 1 1\n");
    g_MeshSocketsMgr.LoadAll();
    ASSERT_EQ(g_MeshSocketsMgr.m_uFileCount, 3u);
    EXPECT_STREQ(g_MeshSocketsMgr.m_Files[0].m_szMeshFileName, "other.x");
    DV p{-1, -1, -1};
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "HITCH", &p);
    EXPECT_EQ(p, (DV{1, 2, 3}));
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "seat", &p);
    EXPECT_EQ(p, (DV{4.5f, 0, 0}));
    // The later file for the same model is never reached, and "sockets" is no keyword.
    p = {-1, -1, -1};
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "late", &p);
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "nothing", &p);
    EXPECT_EQ(p, (DV{-1, -1, -1}));
    EXPECT_TRUE(Logged("ERROR in EMeshSocketsMgr::GetSocketDV(): socketu <late> nie znalazlem!"));
}

TEST_F(EMeshSocketsMgrTest, WorldPositionsGoThroughTheMeshsWorldMatrix) {
    WriteFile("scripts\\mesh_sockets\\cart.txt", "mesh_filename cart.x\nsocket hitch 1 0 0\n");
    g_MeshSocketsMgr.LoadAll();
    m_owner.placement.position = {10, 20, 30};
    m_mesh.SetOrientation(EOrientation::EOrientationFromYawPitchRoll(1.5707963f, 0, 0));
    m_mesh.SetScale({2, 2, 2});
    DV world;
    ASSERT_TRUE(g_MeshSocketsMgr.GetSocketWorldPos(m_owner.Slot(), "hitch", &world));
    EXPECT_NEAR(world.x, 10.0f, 1e-5f);
    EXPECT_NEAR(world.y, 20.0f, 1e-5f);
    EXPECT_NEAR(world.z, 28.0f, 1e-5f);
    EXPECT_FALSE(g_MeshSocketsMgr.GetSocketWorldPos(m_owner.Slot(), "none", &world));
    // An object without a static mesh has no sockets here and says nothing.
    test::FakeOwner skinned;
    EXPECT_FALSE(g_MeshSocketsMgr.GetSocketWorldPos(skinned.Slot(), "hitch", &world));
    g_MeshSocketsMgr.SetRagDollSocketDV(skinned.Slot(), "hitch", {5, 5, 5});
    g_MeshSocketsMgr.SetRagDollSocketDV(m_owner.Slot(), "hitch", {0, 0, 1});
    DV local;
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "hitch", &local);
    EXPECT_EQ(local, (DV{0, 0, 1}));
    g_MeshSocketsMgr.SetRagDollSocketDV(m_owner.Slot(), "", {0, 0, 1});
    EXPECT_TRUE(Logged("ERROR in EMeshSocketsMgr::SetRagDollSocketDV(): socketu <> nie znalazlem!"));
    EXPECT_EQ(LoggedContaining("nie znalazlem"), 1);
}

// Moving a socket for one object leaves every other object of the model where the model puts it,
// and an object's moved sockets are forgotten with it.
TEST_F(EMeshSocketsMgrTest, AMovedSocketBelongsToItsObjectAlone) {
    WriteFile("scripts\\mesh_sockets\\cart.txt", "mesh_filename cart.x\nsocket hitch 1 0 0\nsocket seat 0 1 0\n");
    g_MeshSocketsMgr.LoadAll();
    test::FakeOwner other;
    other.mesh = &m_mesh;
    g_MeshSocketsMgr.SetRagDollSocketDV(m_owner.Slot(), "hitch", {0, 0, 5});
    g_MeshSocketsMgr.SetRagDollSocketDV(m_owner.Slot(), "HITCH", {0, 0, 6});
    DV moved, kept, seat;
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "hitch", &moved);
    g_MeshSocketsMgr.GetSocketDV(other.Slot(), "hitch", &kept);
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "seat", &seat);
    EXPECT_EQ(moved, (DV{0, 0, 6}));
    EXPECT_EQ(kept, (DV{1, 0, 0}));
    EXPECT_EQ(seat, (DV{0, 1, 0}));
    EXPECT_EQ(g_MeshSocketsMgr.m_uMovedCount, 1u);
    DV world;
    ASSERT_TRUE(g_MeshSocketsMgr.GetSocketWorldPos(m_owner.Slot(), "hitch", &world));
    EXPECT_EQ(world, pmath::TransformPoint({0, 0, 6}, m_mesh.m_WorldMatrix));
    g_MeshSocketsMgr.ReleaseObjectSockets(m_owner.Slot());
    g_MeshSocketsMgr.GetSocketDV(m_owner.Slot(), "hitch", &moved);
    EXPECT_EQ(moved, (DV{1, 0, 0}));
}

TEST_F(EMeshSocketsMgrTest, SixtySocketsFillAFileAndLongNamesAreCut) {
    std::string file = "mesh_filename cart.x\n";
    file += "socket " + std::string(50, 'n') + " 1 1 1\n";
    for (int i = 1; i < 65; ++i) file += "socket s" + std::to_string(i) + " 0 0 0\n";
    WriteFile("scripts\\mesh_sockets\\cart.txt", file);
    g_MeshSocketsMgr.LoadAll();
    const strmeshsocketfile& record = g_MeshSocketsMgr.m_Files[0];
    EXPECT_EQ(record.m_uSocketCount, 60u);
    EXPECT_STREQ(record.m_Sockets[59].m_szName, "s59");
    EXPECT_EQ(std::string(record.m_Sockets[0].m_szName), std::string(43, 'n'));
    EXPECT_TRUE(Logged("ERROR in  MeshSocketsMgr: MAX_SOCKETS_IN_ONE_FILE exceeded!"));
    EXPECT_EQ(LoggedContaining("Mesh socket name cut to 43 characters: "), 1);
}

TEST_F(EMeshSocketsMgrTest, AtMost200FilesAreRead) {
    for (int i = 0; i < 202; ++i) WriteFile("scripts\\mesh_sockets\\f" + std::to_string(1000 + i) + ".txt", "");
    g_MeshSocketsMgr.LoadAll();
    EXPECT_EQ(g_MeshSocketsMgr.m_uFileCount, 200u);
    EXPECT_TRUE(Logged("ERROR in  MeshSocketsMgr: MAX_FILES_WITH_SOCKETS exceeded!"));
}

}  // namespace
