// A .x file we did not write: the textured earth sphere that Debian's libirrlicht-doc ships
// (nested frames, normals, coordinates, a material list and an animation set). The mesh we load
// must hold the faces and vertices the file declares.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <utility>

#include "platform/os/Files.h"
#include "platform/xfile/MeshLoader.h"
#include "platform/xfile/XFileDocument.h"
#include "support/TestSupport.h"

namespace {

constexpr const char* kEarth = "/usr/share/doc/libirrlicht-dev/media/earth.x.gz";

const xfile::XObject* FindType(const xfile::XObject& object, const char* type) {
    if (object.type == type) return &object;
    for (const xfile::XChild& child : object.children)
        if (child.object)
            if (const xfile::XObject* found = FindType(*child.object, type)) return found;
    return nullptr;
}

// The polygons of a Mesh or MeshNormals object: their corner lists.
std::vector<std::vector<uint32_t>> Polygons(const xfile::XObject& o) {
    size_t at = 1 + 3 * static_cast<size_t>(o.numbers[0]);
    std::vector<std::vector<uint32_t>> out(static_cast<size_t>(o.numbers[at++]));
    for (auto& polygon : out) {
        polygon.resize(static_cast<size_t>(o.numbers[at++]));
        for (uint32_t& corner : polygon) corner = static_cast<uint32_t>(o.numbers[at++]);
    }
    return out;
}

TEST(RealWorldXFileTest, TheEarthSphereLoadsWithTheFacesAndVerticesItDeclares) {
    ASSERT_TRUE(std::filesystem::exists(kEarth)) << "scripts/install-deps.sh installs libirrlicht-doc";
    test::TempDir dir;
    const std::string path = (dir.path() / "earth.x").string();
    ASSERT_EQ(std::system(("gzip -dc " + std::string(kEarth) + " > " + path).c_str()), 0);
    std::vector<char> bytes;
    ASSERT_TRUE(plat::ReadFileBytes(path, bytes));

    xfile::XFileDocument document;
    std::string error;
    ASSERT_TRUE(document.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), error)) << error;
    const xfile::XObject* mesh = nullptr;
    for (const auto& object : document.Objects())
        if (!mesh) mesh = FindType(*object, "Mesh");
    ASSERT_NE(mesh, nullptr);
    const xfile::XObject* normals = FindType(*mesh, "MeshNormals");
    ASSERT_NE(normals, nullptr);
    const auto polygons = Polygons(*mesh), normalPolygons = Polygons(*normals);
    size_t triangles = 0;
    std::set<std::pair<uint32_t, uint32_t>> pairs;
    std::set<uint32_t> used;
    for (size_t p = 0; p < polygons.size(); ++p) {
        triangles += polygons[p].size() - 2;
        for (size_t k = 0; k < polygons[p].size(); ++k) {
            pairs.insert({polygons[p][k], normalPolygons[p][k]});
            used.insert(polygons[p][k]);
        }
    }
    const size_t declaredVertices = static_cast<size_t>(mesh->numbers[0]);
    EXPECT_EQ(declaredVertices, 2307u);

    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> loaded;
    ASSERT_EQ(xfile::LoadMeshFromX(path, xfile::MESH_SYSTEMMEM, nullptr, materials, loaded, &error), gfx::OK) << error;
    EXPECT_EQ(loaded->GetNumFaces(), triangles);
    // Every file vertex stays; a position used with a second normal adds one vertex per pair.
    EXPECT_EQ(loaded->GetNumVertices(), declaredVertices + pairs.size() - used.size());
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_FALSE(materials[0].TextureFilename.empty());
    EXPECT_NE(loaded->FindElement(gfx::DECLUSAGE_TEXCOORD), nullptr);
    EXPECT_NE(loaded->FindElement(gfx::DECLUSAGE_NORMAL), nullptr);
}

}  // namespace
