// Level-of-detail prefabs and the editor's text .x writer.
#include "mesh/CLOD_Generator.h"

#include <gtest/gtest.h>

#include "MeshTest.h"
#include "mesh/CEDITOR_CreateXFile.h"
#include "platform/xfile/MeshLoader.h"
#include "support/XFiles.h"

namespace {

class CLOD_GeneratorTest : public test::MeshTest {
protected:
    // A vertical wall of n x n quads in the x-y plane, each quad with its own four corners; with
    // distinct coordinates no two corners can be welded.
    static std::string Wall(int n, bool distinct = false) {
        std::string v, f;
        int count = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                for (auto [dx, dy] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}})
                    v += std::to_string(x + dx) + ";" + std::to_string(y + dy) + ";0;,";
                f += "4;" + std::to_string(count) + "," + std::to_string(count + 1) + "," + std::to_string(count + 2) +
                     "," + std::to_string(count + 3) + ";,";
                count += 4;
            }
        v.back() = f.back() = ';';
        return "Mesh { " + std::to_string(count) + "; " + v + "; " + std::to_string(n * n) + "; " + f +
               "; MeshNormals { 1; 0;0;-1;; " + std::to_string(n * n) + "; " +
               [&] {
                   std::string nf;
                   for (int i = 0; i < n * n; ++i) nf += std::string("4;0,0,0,0;") + (i + 1 < n * n ? "," : ";");
                   return nf;
               }() +
               " }" + (distinct ? Coordinates(count) : std::string()) + " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
               "TextureFilename { \"wall.tga\"; } } } }";
    }

    static std::string Coordinates(int count) {
        std::string uv = " MeshTextureCoords { " + std::to_string(count) + "; ";
        for (int i = 0; i < count; ++i) uv += std::to_string(i) + ";0;" + (i + 1 < count ? "," : ";");
        return uv + " }";
    }

    uint32_t FacesOf(const char* gamePath) {
        std::vector<xfile::ExtendedMaterial> materials;
        std::shared_ptr<xfile::Mesh> mesh;
        std::string error;
        EXPECT_EQ(xfile::LoadMeshFromX(gamePath, xfile::MESH_SYSTEMMEM, nullptr, materials, mesh, &error), gfx::OK)
            << error;
        return mesh ? mesh->GetNumFaces() : 0;
    }
};

TEST_F(CLOD_GeneratorTest, AWallKeepsItsFacesAndALowerBoundMergesMore) {
    WriteFile("wall.x", test::kXHeader + Wall(8));
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "wall.x");
    ASSERT_TRUE(mesh.m_bCreated);
    // A wall stands edge-on to the ground: its faces have no area seen from above, all of it in space.
    ASSERT_TRUE(CLOD_Generator::GenerateLODPrefab(owner.Slot(), 1.0, "lod_full.x"));
    EXPECT_EQ(FacesOf("lod_full.x"), 128u);
    ASSERT_TRUE(CLOD_Generator::GenerateLODPrefab(owner.Slot(), 0.8, "lod_less.x"));
    const uint32_t fewer = FacesOf("lod_less.x");
    EXPECT_LT(fewer, 128u);
    EXPECT_GT(fewer, 0u);
    // The search reads back what it wrote and tunes the bound until it is near 70 percent.
    CLOD_Generator::SearchLODPrefab(owner.Slot(), 0, "prefabs\\lod0.x");
    EXPECT_TRUE(Logged("Chce trafic miedzy 96 a 83."));
    EXPECT_TRUE(Logged("step: 0, param: 0.994000"));
    // Without a mesh nothing is written.
    test::FakeOwner empty;
    EXPECT_FALSE(CLOD_Generator::GenerateLODPrefab(empty.Slot(), 1.0, "none.x"));
    EXPECT_TRUE(Logged("ERROR #1 in CLOD_Generator::GenerateLODPrefab()"));
}

TEST_F(CLOD_GeneratorTest, AMeshBeyondTheWorkRecordIsRefused) {
    WriteFile("wall.x", test::kXHeader + Wall(90, true));  // 32,400 vertices
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "wall.x");
    ASSERT_TRUE(mesh.m_bCreated);
    EXPECT_FALSE(CLOD_Generator::GenerateLODPrefab(owner.Slot(), 1.0, "lod.x"));
    EXPECT_EQ(LoggedContaining("too big for a level of detail"), 1);
    EXPECT_FALSE(Exists("lod.x"));
}

TEST_F(CLOD_GeneratorTest, SavedObjectsMergeInWorldSpaceAndAPrefabDropsItsOptimisedCopy) {
    WriteFile("box.x", test::kXHeader + test::CubeMesh());
    WriteFile("prefabs\\x_file_header.x", "xof 0303txt 0032\n// made by the editor\n");
    test::FakeOwner a, b;
    EMesh ma, mb;
    CreateMesh(ma, a, "box.x");
    CreateMesh(mb, b, "box.x");
    b.placement.position = {10, 0, 0};
    mb.SetWorldTransform();
    WriteFile("!opt\\prefabs_pair.xvx.x", "stale");
    EObjectSlot* objects[] = {a.Slot(), b.Slot()};
    ASSERT_TRUE(CEDITOR_CreateXFile::SaveXFileFromObjects(2, objects, "prefabs\\pair.x"));
    EXPECT_FALSE(Exists("!opt\\prefabs_pair.xvx.x"));
    EXPECT_TRUE(Logged("EDITOR_CreateXFile::CreateXFile() Delete Opt: !opt\\prefabs_pair.xvx.x"));
    EXPECT_EQ(ReadFile("prefabs\\pair.x").rfind("xof 0303txt 0032\n// made by the editor\nMaterial material_0000 {", 0), 0u);
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> pair;
    ASSERT_EQ(xfile::LoadMeshFromX("prefabs\\pair.x", xfile::MESH_SYSTEMMEM, nullptr, materials, pair), gfx::OK);
    EXPECT_EQ(pair->GetNumFaces(), 24u);
    EXPECT_EQ(materials.size(), 2u);
    float maxX = 0;
    for (uint32_t v = 0; v < pair->GetNumVertices(); ++v) maxX = std::max(maxX, test::PositionOf(*pair, v)[0]);
    EXPECT_FLOAT_EQ(maxX, 11.0f);
    for (const char* step : {"_x_ 0", "_x_ 1", "_x_ 2", "_x_ 3", "_x_ 4"}) EXPECT_TRUE(Logged(step)) << step;

    CEDITOR_CreateXFile::SaveMultipleXFilesFromObjects(2, objects, "parts.x");
    EXPECT_TRUE(Exists("parts_000.x"));
    EXPECT_TRUE(Exists("parts_001.x"));
    EXPECT_FALSE(CEDITOR_CreateXFile::SaveXFileFromObjects(0, objects, "x.x"));
    EXPECT_TRUE(Logged("ERROR #1 in CEDITOR_CreateXFile::SaveXFileFromObjects()"));
}

}  // namespace
