// The mesh manager: one record per model file, the two load paths and the "!opt\" cache.
#include "mesh/EMeshMgr.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>

#include "MeshTest.h"
#include "core/CoreHooks.h"
#include "core/ESettings.h"
#include "platform/os/Files.h"
#include "platform/xfile/Mesh.h"
#include "platform/xfile/XFileWriter.h"
#include "render/D3DDevice.h"
#include "support/XFiles.h"

namespace {

class EMeshMgrTest : public test::MeshTest {
protected:
    void WriteModel(const std::string& gamePath, const std::string& body) { WriteFile(gamePath, test::kXHeader + body); }

    // A grid of quads, cols x rows, each quad's two triangles sharing their diagonal, offset by dx.
    static std::string Grid(int cols, int rows, float dx = 0.0f) {
        std::string v, f;
        for (int z = 0; z <= rows; ++z)
            for (int x = 0; x <= cols; ++x) v += std::to_string(x + dx) + ";0;" + std::to_string(z) + ";,";
        for (int z = 0; z < rows; ++z)
            for (int x = 0; x < cols; ++x) {
                const int a = z * (cols + 1) + x, b = a + cols + 1;
                f += "4;" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(b + 1) + "," +
                     std::to_string(a + 1) + ";,";
            }
        v.back() = ';';
        f.back() = ';';
        return "Mesh {\n" + std::to_string((cols + 1) * (rows + 1)) + ";\n" + v + ";\n" + std::to_string(cols * rows) +
               ";\n" + f + ";\n MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
               "TextureFilename { \"grid.tga\"; } } }\n}\n";
    }

    std::filesystem::file_time_type Time(const char* gamePath) {
        return std::filesystem::last_write_time(plat::ResolvePath(gamePath));
    }
};

TEST_F(EMeshMgrTest, CacheNamesJoinTheFoldersAndLevelsReplaceTheEnding) {
    EXPECT_STREQ(EMeshMgr::OptPath("prefabs\\a\\b.x"), "!opt\\prefabs_a_b.xvx.x");
    EXPECT_STREQ(EMeshMgr::LodPath("prefabs\\a\\b.x", 0), "!opt\\prefabs_a_b.xvx0.x");
    EXPECT_STREQ(EMeshMgr::LodPath("prefabs\\a\\b.x", 2), "!opt\\prefabs_a_b.xvx2.x");
    EXPECT_STREQ(EMeshMgr::OptPath("a"), "");
    EXPECT_STREQ(EMeshMgr::OptPath(nullptr), "");
}

TEST_F(EMeshMgrTest, AModelIsLoadedOnceWhateverItsCaseAndASecondWorldReadsItFromTheCache) {
    WriteModel("Prefabs\\Box.x", test::CubeMesh());
    const int32_t first = g_MeshMgr.GetMesh("Prefabs\\Box.x");
    ASSERT_GE(first, 0);
    EXPECT_EQ(g_MeshMgr.GetMesh("prefabs\\box.X"), first);
    EXPECT_EQ(g_MeshMgr.GetRecord(first)->m_bFromCache, 0);
    ASSERT_TRUE(Exists("!opt\\Prefabs_Box.xvx.x"));
    const auto written = Time("!opt\\Prefabs_Box.xvx.x");

    g_MeshMgr.ReleaseAll();
    EXPECT_EQ(g_MeshMgr.m_pHead, nullptr);
    const int32_t again = g_MeshMgr.GetMesh("prefabs\\box.x");
    ASSERT_GE(again, 0);
    const strmesh* record = g_MeshMgr.GetRecord(again);
    EXPECT_EQ(record->m_bFromCache, 1);
    EXPECT_EQ(Time("!opt\\Prefabs_Box.xvx.x"), written);
    EXPECT_EQ(record->m_pMesh->GetNumFaces(), 12u);
    EXPECT_EQ(record->m_pMesh->GetNumVertices(), 24u);
    EXPECT_EQ(record->m_pMesh->GetNumBytesPerVertex(), 36u);
    EXPECT_EQ(LoggedContaining("failed"), 0);
}

TEST_F(EMeshMgrTest, PrefabsAreCentredUnlessTheirNameSaysNotAndTheCacheKeepsTheShift) {
    struct Case {
        const char* name;
        float minX, radius;
    } cases[] = {{"prefabs\\off.x", -1.0f, std::sqrt(2.0f)},
                 {"prefabs\\off_nocenter.x", 10.0f, std::sqrt(148.0f)},
                 {"models\\off.x", 10.0f, std::sqrt(148.0f)}};
    for (const Case& c : cases) {
        for (int path = 0; path < 2; ++path) {
            WriteModel(c.name, Grid(2, 2, 10.0f));
            g_MeshMgr.ReleaseAll();
            const strmesh* record = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh(c.name));
            ASSERT_NE(record, nullptr) << c.name;
            EXPECT_EQ(record->m_bFromCache, path) << c.name;
            EXPECT_FLOAT_EQ(record->m_vMin.x, c.minX) << c.name << " path " << path;
            EXPECT_NEAR(record->m_fRadius, c.radius, 1e-4f) << c.name;
        }
    }
}

TEST_F(EMeshMgrTest, ACopyOfAnotherVersionIsMadeAgainFromItsModelFile) {
    WriteModel("prefabs\\box.x", test::CubeMesh());
    ASSERT_GE(g_MeshMgr.GetMesh("prefabs\\box.x"), 0);
    EXPECT_EQ(xfile::ReadHeaderVersion(EMeshMgr::OptPath("prefabs\\box.x")), EMeshMgr::kOptVersion);
    // Stale copies of another shape: one without a version (as older builds wrote them), one newer.
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> stale;
    ASSERT_EQ(test::LoadText(Grid(3, 3), materials, stale), gfx::OK);
    for (uint32_t version : {0u, EMeshMgr::kOptVersion + 1}) {
        ASSERT_EQ(xfile::SaveMeshToX(EMeshMgr::OptPath("prefabs\\box.x"), *stale, nullptr, materials.data(), 1,
                                     xfile::FILEFORMAT_BINARY, version),
                  gfx::OK);
        g_MeshMgr.ReleaseAll();
        const strmesh* record = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("prefabs\\box.x"));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->m_bFromCache, 0) << version;
        EXPECT_EQ(record->m_pMesh->GetNumFaces(), 12u) << version;
        EXPECT_EQ(xfile::ReadHeaderVersion(EMeshMgr::OptPath("prefabs\\box.x")), EMeshMgr::kOptVersion);
        g_MeshMgr.ReleaseAll();
        EXPECT_EQ(g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("prefabs\\box.x"))->m_bFromCache, 1) << version;
    }
    EXPECT_EQ(LoggedContaining("failed"), 0);
}

TEST_F(EMeshMgrTest, AnOversizedCopyFallsBackToTheModelFileInsteadOfLosingTheObject) {
    // 15,000 quads: 30,000 faces after fans and 15,251 vertices; the cache path refuses 30,001 faces.
    WriteModel("fields\\big.x", Grid(150, 101));
    ASSERT_GE(g_MeshMgr.GetMesh("fields\\big.x"), 0);
    g_MeshMgr.ReleaseAll();
    const strmesh* record = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("fields\\big.x"));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_bFromCache, 0);
    EXPECT_EQ(record->m_pMesh->GetNumFaces(), 30300u);
    EXPECT_EQ(LoggedContaining("from its model file instead of its optimised copy"), 1);
    // A vehicle of that size is read from its copy.
    WriteModel("pojazdy\\big.x", Grid(150, 101));
    ASSERT_GE(g_MeshMgr.GetMesh("pojazdy\\big.x"), 0);
    g_MeshMgr.ReleaseAll();
    EXPECT_EQ(g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("pojazdy\\big.x"))->m_bFromCache, 1);
}

TEST_F(EMeshMgrTest, TheRecordsAttributeTableIsTheOptimisedMeshesOnBothPaths) {
    WriteModel("box.x", test::CubeMesh());
    for (int path = 0; path < 2; ++path) {
        g_MeshMgr.ReleaseAll();
        const strmesh* r = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("box.x"));
        ASSERT_NE(r, nullptr);
        const auto& table = r->m_pMesh->AttributeTable();
        ASSERT_EQ(r->m_uAttribTableSize, table.size());
        uint32_t faces = 0;
        for (uint32_t i = 0; i < r->m_uAttribTableSize; ++i) {
            EXPECT_EQ(r->m_AttribTable[i].FaceStart, faces);
            EXPECT_EQ(r->m_AttribTable[i].VertexStart, table[i].VertexStart);
            faces += r->m_AttribTable[i].FaceCount;
            const uint32_t s = r->m_AttribTable[i].AttribId;
            EXPECT_EQ(r->m_uFirstIndex[s], r->m_AttribTable[i].FaceStart * 3);
            EXPECT_EQ(r->m_uFaceCount[s], 6u);
            EXPECT_EQ(r->m_uVertexCount[s], 12u);
        }
        EXPECT_EQ(faces, r->m_pMesh->GetNumFaces());
        EXPECT_EQ(r->m_pIB, r->m_pMesh->GetIndexBuffer());
    }
}

// What the optimised copy holds is what the model file's load made of it: read back, it is drawn
// and collided with as it is, not welded and ordered again.
TEST_F(EMeshMgrTest, ACopyIsReadAsItWasWrittenFaceForFaceAndVertexForVertex) {
    // A grid of 6 x 5 quads in two materials like a chessboard: every inner vertex is shared by
    // both materials and split between their groups.
    std::string grid = Grid(6, 5);
    const std::string materials = "MeshMaterialList { 2; 30; ";
    std::string indices;
    for (int q = 0; q < 30; ++q) indices += std::to_string((q + q / 6) % 2) + (q == 29 ? ";" : ",");
    grid.replace(grid.find("MeshMaterialList { 1; 1; 0;;"), std::string("MeshMaterialList { 1; 1; 0;;").size(),
                 materials + indices + ";");
    grid.replace(grid.find("TextureFilename { \"grid.tga\"; } }"), std::string("TextureFilename { \"grid.tga\"; } }").size(),
                 "TextureFilename { \"grid.tga\"; } } Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
                 "TextureFilename { \"dirt.tga\"; } }");
    WriteModel("pojazdy\\board.x", grid);
    struct Content {
        std::vector<uint8_t> vertices;
        std::vector<uint16_t> indices;
        std::vector<uint32_t> attributes;
        std::vector<std::array<uint32_t, 5>> table;
    } loaded[2];
    for (int path = 0; path < 2; ++path) {
        g_MeshMgr.ReleaseAll();
        const strmesh* r = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("pojazdy\\board.x"));
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->m_bFromCache, path);
        const xfile::Mesh& m = *r->m_pMesh;
        Content& c = loaded[path];
        c.vertices.assign(m.VertexData(), m.VertexData() + m.GetNumVertices() * m.GetNumBytesPerVertex());
        c.indices.assign(m.IndexData(), m.IndexData() + m.GetNumFaces() * 3);
        c.attributes.assign(m.AttributeData(), m.AttributeData() + m.GetNumFaces());
        for (uint32_t i = 0; i < r->m_uAttribTableSize; ++i) {
            const xfile::AttributeRange& a = r->m_AttribTable[i];
            c.table.push_back({a.AttribId, a.FaceStart, a.FaceCount, a.VertexStart, a.VertexCount});
        }
    }
    EXPECT_EQ(loaded[0].table.size(), 2u);
    EXPECT_EQ(loaded[1].table, loaded[0].table);
    EXPECT_EQ(loaded[1].attributes, loaded[0].attributes);
    EXPECT_EQ(loaded[1].indices, loaded[0].indices);
    EXPECT_EQ(loaded[1].vertices, loaded[0].vertices);
}

// A copy another tool wrote, its faces not grouped by material, is grouped on reading.
TEST_F(EMeshMgrTest, ACopyWhoseFacesAreNotGroupedIsGroupedOnReading) {
    WriteModel("pojazdy\\mixed.x", test::TriangleMesh(1.0f));
    ASSERT_GE(g_MeshMgr.GetMesh("pojazdy\\mixed.x"), 0);
    g_MeshMgr.ReleaseAll();
    const std::vector<gfx::VertexElement> layout(kMeshVertexLayout, kMeshVertexLayout + 4);
    std::vector<uint8_t> vertices(6 * 36, 0);
    for (int v = 0; v < 6; ++v) {
        const float p[3] = {static_cast<float>(v % 3), 0.0f, static_cast<float>(v / 3)};
        std::memcpy(&vertices[v * 36], p, sizeof p);
    }
    std::shared_ptr<xfile::Mesh> mixed;
    ASSERT_FALSE(gfx::Failed(xfile::Mesh::Create(xfile::MESH_SYSTEMMEM, layout, nullptr, vertices,
                                                 {0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5}, {1, 0, 1, 0}, mixed)));
    xfile::ExtendedMaterial materials[2];
    ASSERT_FALSE(gfx::Failed(xfile::SaveMeshToX(EMeshMgr::OptPath("pojazdy\\mixed.x"), *mixed, nullptr, materials, 2,
                                                xfile::FILEFORMAT_BINARY, EMeshMgr::kOptVersion)));
    const strmesh* r = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("pojazdy\\mixed.x"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->m_bFromCache, 1);
    ASSERT_EQ(r->m_uAttribTableSize, 2u);
    EXPECT_EQ(std::vector<uint32_t>(r->m_pMesh->AttributeData(), r->m_pMesh->AttributeData() + 4),
              (std::vector<uint32_t>{0, 0, 1, 1}));
    EXPECT_EQ(r->m_uFaceCount[0], 2u);
    EXPECT_EQ(r->m_uFaceCount[1], 2u);
}

TEST_F(EMeshMgrTest, ReleasingARecordFromTheMiddleLeavesTheListWhole) {
    for (const char* name : {"a.x", "b.x", "c.x"}) WriteModel(name, test::TriangleMesh(1.0f));
    for (const char* name : {"a.x", "b.x", "c.x"}) ASSERT_GE(g_MeshMgr.GetMesh(name), 0);
    g_MeshMgr.ReleaseRecord(g_MeshMgr.FindMesh("b.x"));
    EXPECT_EQ(g_MeshMgr.FindMesh("b.x"), nullptr);
    ASSERT_NE(g_MeshMgr.FindMesh("a.x"), nullptr);
    EXPECT_EQ(g_MeshMgr.FindMesh("a.x")->m_pPrev, g_MeshMgr.FindMesh("c.x"));
    EXPECT_EQ(g_MeshMgr.FindMesh("c.x")->m_pNext, g_MeshMgr.FindMesh("a.x"));
    EXPECT_EQ(g_MeshMgr.GetRecord(1), nullptr);
    EXPECT_EQ(g_MeshMgr.GetMesh("d.x"), -1);  // no such file
    WriteModel("d.x", test::TriangleMesh(2.0f));
    EXPECT_EQ(g_MeshMgr.GetMesh("d.x"), 1);  // the freed slot is used again
}

TEST_F(EMeshMgrTest, FailedLoadsSayWhyAndKeepNoRecord) {
    WriteModel("broken.x", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,7;; }");
    EXPECT_EQ(g_MeshMgr.GetMesh("broken.x"), -1);
    EXPECT_EQ(g_MeshMgr.m_pHead, nullptr);
    EXPECT_TRUE(Logged("D3DXLoadMeshFromX broken.x failed"));
    EXPECT_EQ(LoggedContaining("broken.x: Mesh: index 7 is out of range (3)"), 1);

    static std::string quitReason;
    quitReason.clear();
    g_CoreHooks.quitOnError = [](const char* why) { quitReason = why; };
    EXPECT_EQ(g_MeshMgr.GetMesh("bad name.x"), -1);
    EXPECT_NE(quitReason.find("model file name \"bad name.x\""), std::string::npos) << quitReason;
    EXPECT_EQ(ReadLines("!error.txt"), (std::vector<std::string>{"bad name.x"}));
    g_CoreHooks = CoreHooks{};
}

TEST_F(EMeshMgrTest, AModelWithMoreThan256MaterialsKeeps256AndItsCopyReadsBack) {
    std::string v, f, idx, materials;
    for (int i = 0; i < 300; ++i) {
        v += std::to_string(i) + ";0;0;, " + std::to_string(i) + ";0;1;, " + std::to_string(i) + ";1;0;,";
        f += "3;" + std::to_string(3 * i) + "," + std::to_string(3 * i + 1) + "," + std::to_string(3 * i + 2) + ";,";
        idx += std::to_string(i) + ",";
        materials += "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"t" + std::to_string(i) + ".tga\"; } }\n";
    }
    v.back() = f.back() = idx.back() = ';';
    WriteModel("many.x", "Mesh { 900; " + v + "; 300; " + f + "; MeshMaterialList { 300; 300; " + idx + "; " +
                             materials + "} }");
    for (int path = 0; path < 2; ++path) {
        g_MeshMgr.ReleaseAll();
        const strmesh* r = g_MeshMgr.GetRecord(g_MeshMgr.GetMesh("many.x"));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_bFromCache, path);
        EXPECT_EQ(r->m_uMaterialCount, 256u);
    }
}

TEST_F(EMeshMgrTest, SaveAllOptsWritesEveryRecordEvenWithUseOptOff) {
    g_Settings.m_bUseOPT = 0;
    WriteModel("a.x", test::TriangleMesh(1.0f));
    WriteModel("sub\\b.x", test::TriangleMesh(2.0f));
    ASSERT_GE(g_MeshMgr.GetMesh("a.x"), 0);
    ASSERT_GE(g_MeshMgr.GetMesh("sub\\b.x"), 0);
    EXPECT_FALSE(Exists("!opt\\a.xvx.x"));
    g_MeshMgr.SaveAllOpts();
    EXPECT_TRUE(Exists("!opt\\a.xvx.x"));
    EXPECT_TRUE(Logged("  !opt\\sub_b.xvx.x - OK"));
    EXPECT_TRUE(Logged("EMeshMgr::SaveAllOpts"));
}

TEST_F(EMeshMgrTest, SubsetMapsNumberTheMaterialsThatHaveFaces) {
    // Material 1 of three has no faces.
    WriteModel("m.x", "Mesh { 6; 0;0;0;, 1;0;0;, 0;0;1;, 5;0;0;, 6;0;0;, 5;0;1;; 2; 3;0,1,2;, 3;3,4,5;; "
                      "MeshMaterialList { 3; 2; 0,2;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } "
                      "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }");
    test::FakeOwner owner;
    EMesh mesh;
    CreateMesh(mesh, owner, "m.x");
    g_MeshMgr.PrepareObjectLods(owner.Slot());
    EXPECT_EQ(owner.subsetMap[0], 0);
    EXPECT_EQ(owner.subsetMap[2], 1);
    EXPECT_FALSE(g_MeshMgr.EnsureLods(owner.Slot()));
    WriteFile("!opt\\m.xvx0.x", "");
    EXPECT_TRUE(g_MeshMgr.EnsureLods(owner.Slot()));
    g_MeshMgr.SetObjectLod(owner.Slot(), 2);
    EXPECT_EQ(owner.lod, 0);
}

}  // namespace
