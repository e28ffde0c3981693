// Loading .x meshes: frames collapsed, polygons as fans, vertices split by normal, materials and
// their default, the 16-bit limit, and bad files refused with a reason.
#include "platform/xfile/MeshLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "support/XFiles.h"

namespace {

using test::LoadText;

TEST(MeshLoaderTest, ACubeWithFaceNormalsGetsAVertexPerCornerAndItsMaterials) {
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    ASSERT_EQ(LoadText(test::CubeMesh(), materials, mesh), gfx::OK);
    EXPECT_EQ(mesh->GetNumFaces(), 12u);
    EXPECT_EQ(mesh->GetNumVertices(), 24u);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(materials[0].TextureFilename, "red.tga");
    EXPECT_EQ(materials[1].TextureFilename, "textures\\blue.tga");
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Diffuse.b, 1.0f);
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Diffuse.a, 0.5f);
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Power, 4.0f);
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Emissive.g, 0.2f);
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Ambient.r, 0.0f);
    // Sorted by attribute with a table that covers every face once.
    const auto& table = mesh->AttributeTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceCount, 6u);
    EXPECT_EQ(table[1].FaceStart, 6u);
    for (uint32_t f = 0; f < 12; ++f) EXPECT_EQ(mesh->AttributeData()[f], f < 6 ? 0u : 1u);
    // Every corner's normal is its quad's normal: no vertex is shared by two quads.
    const gfx::VertexElement* normal = mesh->FindElement(gfx::DECLUSAGE_NORMAL);
    ASSERT_NE(normal, nullptr);
    std::map<uint16_t, std::set<uint32_t>> quadsOfVertex;
    for (uint32_t f = 0; f < 12; ++f)
        for (int k = 0; k < 3; ++k) quadsOfVertex[mesh->IndexData()[f * 3 + k]].insert(f / 2);
    for (const auto& [v, quads] : quadsOfVertex) EXPECT_EQ(quads.size(), 1u) << "vertex " << v;
}

TEST(MeshLoaderTest, FramesPlaceTheirMeshesAndMaterialsFollowEachOther) {
    const std::string file =
        "template Frame { <3D82AB46-62DA-11cf-AB39-0020AF71E433> [...] }\n"
        "Header { 1; 0; 1; }\n"
        "Material shared { 0;1;0;1;; 2; 0;0;0;; 0;0;0;; TextureFilename { \"green.tga\"; } }\n"
        "Frame outer {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }\n"
        " Frame inner {\n  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,5,0,1;; }\n"
        "  Unknown { 1; 2; Nested { 3; } }\n" +
        test::TriangleMesh(1.0f, " MeshMaterialList { 1; 1; 0;; { shared } }\n") +
        " }\n}\n" + test::TriangleMesh(0.0f) + "AnimationSet { Animation { { inner } AnimationKey { 0; 1; 0;4;1,0,0,0;;; } } }\n";
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    std::string error;
    ASSERT_EQ(LoadText(file, materials, mesh, &error), gfx::OK) << error;
    ASSERT_EQ(mesh->GetNumFaces(), 2u);
    // The inner triangle is scaled by 2, raised by 5, then moved 10 along x; the top-level one stays.
    EXPECT_EQ(test::PositionOf(*mesh, 1), (std::vector<float>{12.0f, 7.0f, 0.0f}));
    EXPECT_EQ(test::PositionOf(*mesh, 4), (std::vector<float>{1.0f, 0.0f, 0.0f}));
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(materials[0].TextureFilename, "green.tga");
    // The second mesh has no list: it gets the grey default, without a texture, as material 1.
    EXPECT_TRUE(materials[1].TextureFilename.empty());
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Diffuse.r, 0.5f);
    EXPECT_EQ(mesh->AttributeData()[1], 1u);
}

TEST(MeshLoaderTest, PolygonsBecomeFansKeepingTheirMaterial) {
    const std::string file =
        "Mesh {\n 6;\n 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;, 5;5;5;;\n 2;\n 5;0,1,2,3,4;, 3;0,1,5;;\n"
        " MeshMaterialList { 2; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n";
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    ASSERT_EQ(LoadText(file, materials, mesh), gfx::OK);
    ASSERT_EQ(mesh->GetNumFaces(), 4u);
    const uint16_t* i = mesh->IndexData();
    EXPECT_EQ(std::vector<uint16_t>(i, i + 9), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
    // A one-entry list gives every face its material.
    for (uint32_t f = 0; f < 4; ++f) EXPECT_EQ(mesh->AttributeData()[f], 1u);
}

TEST(MeshLoaderTest, VertexColoursAndCoordinatesLandInTheirElements) {
    const std::string file =
        "Mesh {\n 3;\n 0;0;0;, 1;0;0;, 0;0;1;;\n 1;\n 3;0,1,2;;\n"
        " MeshTextureCoords { 3; 0.25;0.75;, 1;0;, 0;1;; }\n"
        " MeshVertexColors { 2; 0;1.0;0.5;0.0;1.0;;, 2;0;0;1;0.2;;; }\n}\n";
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    ASSERT_EQ(LoadText(file, materials, mesh), gfx::OK);
    const gfx::VertexElement* colour = mesh->FindElement(gfx::DECLUSAGE_COLOR);
    const gfx::VertexElement* uv = mesh->FindElement(gfx::DECLUSAGE_TEXCOORD);
    ASSERT_TRUE(colour && uv);
    EXPECT_EQ(mesh->FindElement(gfx::DECLUSAGE_NORMAL), nullptr);
    auto colourOf = [&](uint32_t v) {
        uint32_t c;
        std::memcpy(&c, mesh->VertexData() + v * mesh->GetNumBytesPerVertex() + colour->offset, 4);
        return c;
    };
    EXPECT_EQ(colourOf(0), 0xFFFF8000u);
    EXPECT_EQ(colourOf(2), 0x330000FFu);
    float t[2];
    std::memcpy(t, mesh->VertexData() + uv->offset, 8);
    EXPECT_FLOAT_EQ(t[0], 0.25f);
    EXPECT_FLOAT_EQ(t[1], 0.75f);
}

TEST(MeshLoaderTest, AStandardBinaryFileKeepsItsTexturesAndCoordinates) {
    const std::string file = test::StandardBinaryFile("textured_quad_bin.x");
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    std::string error;
    ASSERT_EQ(xfile::LoadMeshFromXInMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                           xfile::MESH_SYSTEMMEM, nullptr, materials, mesh, &error),
              gfx::OK)
        << error;
    EXPECT_EQ(mesh->GetNumVertices(), 4u);
    EXPECT_EQ(mesh->GetNumFaces(), 2u);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(materials[0].TextureFilename, "textures\\grass.bmp");
    EXPECT_EQ(materials[1].TextureFilename, "road.tga");
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Diffuse.r, 0.5f);
    EXPECT_NE(mesh->FindElement(gfx::DECLUSAGE_TEXCOORD), nullptr);
}

TEST(MeshLoaderTest, MoreVerticesThanSixteenBitIndicesFailAsAnInvalidCall) {
    // 21,846 separate triangles: 65,538 vertices.
    std::string body = "Mesh {\n 65538;\n";
    for (int v = 0; v < 65538; ++v) body += std::to_string(v % 7) + ";" + std::to_string(v / 7) + ";0;,";
    body.back() = ';';
    body += ";\n 21846;\n";
    for (int f = 0; f < 21846; ++f)
        body += "3;" + std::to_string(3 * f) + "," + std::to_string(3 * f + 1) + "," + std::to_string(3 * f + 2) + ";,";
    body.back() = ';';
    body += ";\n}\n";
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    std::string error;
    EXPECT_EQ(LoadText(body, materials, mesh, &error), gfx::ERR_INVALIDCALL);
    EXPECT_NE(error.find("65538 vertices"), std::string::npos) << error;
}

TEST(MeshLoaderTest, BadContentIsRefusedWithItsReason) {
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "A {\n";
    struct Case {
        const char* name;
        std::string body;
        const char* reason;
    } cases[] = {
        {"index out of range", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,3;; }", "index 3 is out of range"},
        {"huge vertex count", "Mesh { 4000000000; 0;0;0;; 1; 3;0,0,0;; }", "more than the object holds"},
        {"two-corner face", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 2;0,1;; 0; }", "has 2 corners"},
        {"truncated", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1", "ends inside Mesh"},
        {"normals of other faces", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshNormals { 1; 0;1;0;; 2; 3;0,0,0;, 3;0,0,0;; } }",
         "do not match"},
        {"too few coordinates", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshTextureCoords { 2; 0;0;, 1;1;; } }",
         "2 coordinates for 3 vertices"},
        {"material index", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 4;; } }",
         "material index 4 is out of range"},
        {"missing material", "Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3;0,1,2;; MeshMaterialList { 2; 1; 1;; { nowhere } } }",
         "unknown material nowhere"},
        {"no faces", "Frame { }", "no faces"},
        {"unclosed string", "Material { \"abc", "not closed"},
        {"too deep", deep, "nested too deep"},
    };
    for (const Case& c : cases) {
        std::vector<xfile::ExtendedMaterial> materials;
        std::shared_ptr<xfile::Mesh> mesh;
        std::string error;
        EXPECT_EQ(LoadText(c.body, materials, mesh, &error), gfx::ERR_INVALIDDATA) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(mesh, nullptr) << c.name;
    }
}

TEST(MeshLoaderTest, HeadersOtherThanTextAndBinaryAreRefused) {
    struct Case {
        std::string bytes;
        const char* reason;
    } cases[] = {{"xof 0303tzip0032....", "compressed"},
                 {"xof 0303bzip0032....", "compressed"},
                 {"xof 0303txt 0016", "float size"},
                 {"abc 0303txt 0032", "not a .x file"},
                 {"xof 0303", "not a .x file"}};
    for (const Case& c : cases) {
        std::vector<xfile::ExtendedMaterial> materials;
        std::shared_ptr<xfile::Mesh> mesh;
        std::string error;
        EXPECT_EQ(xfile::LoadMeshFromXInMemory(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(),
                                               xfile::MESH_SYSTEMMEM, nullptr, materials, mesh, &error),
                  gfx::ERR_INVALIDDATA);
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.bytes << ": " << error;
    }
}

}  // namespace
