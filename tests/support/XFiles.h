#pragma once
// Small .x files for tests: the text of a few meshes and a way to read a text into a mesh.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/xfile/MeshLoader.h"
#include "support/TestSupport.h"

namespace test {

inline const std::string kXHeader = "xof 0303txt 0032\n";

// A unit cube from (0, 0, 0) to (1, 1, 1): 8 corners, 6 quads with one normal each; the first
// three quads use material 0 ("red.tga"), the others material 1 ("textures\\blue.tga").
inline std::string CubeMesh() {
    return "Mesh cube {\n 8;\n 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;0;1;, 1;0;1;, 1;1;1;, 0;1;1;;\n"
           " 6;\n 4;0,3,2,1;, 4;4,5,6,7;, 4;0,1,5,4;, 4;2,3,7,6;, 4;1,2,6,5;, 4;0,4,7,3;;\n"
           " MeshNormals {\n  6;\n  0;0;-1;, 0;0;1;, 0;-1;0;, 0;1;0;, 1;0;0;, -1;0;0;;\n"
           "  6;\n  4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;;\n }\n"
           " MeshMaterialList {\n  2;\n  6;\n  0,0,0,1,1,1;;\n"
           "  Material { 1.0;0.0;0.0;1.0;; 8.0; 0.5;0.5;0.5;; 0.0;0.0;0.0;; TextureFilename { \"red.tga\"; } }\n"
           "  Material { 0.0;0.0;1.0;0.5;; 4.0; 0.0;0.0;0.0;; 0.1;0.2;0.3;; TextureFilename { \"textures\\\\blue.tga\"; } }\n"
           " }\n}\n";
}

// A single triangle at height y with the given material list (empty for none).
inline std::string TriangleMesh(float y, const std::string& materialList = "") {
    const std::string h = std::to_string(y);
    return "Mesh {\n 3;\n 0;" + h + ";0;, 1;" + h + ";0;, 0;" + h + ";1;;\n 1;\n 3;0,1,2;;\n" + materialList + "}\n";
}

// A binary .x file of tests/fixtures/xfile, written token by token as other programs write the
// format (a string ends with a 2-byte separator), never by our own writer:
//   textured_quad_bin.x  a template, then a quad of two materials: "textures\\grass.bmp" (its name
//                        ends with ';') and "road.tga" (ends with ','), with texture coordinates;
//   skinned_arm_bin.x    frame Root holding frame Bone_Arm and a triangle textured "skin.tga",
//                        weighted to Bone_Arm (vertices 1, 2) and to Root (vertices 0, 2).
inline std::string StandardBinaryFile(const char* name) {
    return ReadWholeFile(std::filesystem::path(FURROW_FIXTURES_DIR) / "xfile" / name);
}

inline gfx::Result LoadText(const std::string& body, std::vector<xfile::ExtendedMaterial>& materials,
                            std::shared_ptr<xfile::Mesh>& mesh, std::string* error = nullptr) {
    const std::string file = kXHeader + body;
    return xfile::LoadMeshFromXInMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                        xfile::MESH_SYSTEMMEM, nullptr, materials, mesh, error);
}

// The position of vertex v of a mesh whose layout begins with the position.
inline std::vector<float> PositionOf(const xfile::Mesh& mesh, uint32_t v) {
    const float* p = reinterpret_cast<const float*>(mesh.VertexData() + v * mesh.GetNumBytesPerVertex());
    return {p[0], p[1], p[2]};
}

}  // namespace test
