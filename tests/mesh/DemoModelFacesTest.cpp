// The demo models face the light the right way: every face winds so that the renderer keeps its
// outer side, and its normals point to that side, so the sun lights what a player sees. Solids
// face out, the flat ground faces up and the sky dome faces its middle, where the camera is.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DemoModels.h"
#include "platform/os/Files.h"
#include "platform/xfile/MeshLoader.h"
#include "platform/math/Vec3.h"
#include "support/TestSupport.h"

namespace {

struct Faces {
    std::vector<pmath::Vec3> positions, normals;
    std::vector<uint16_t> indices;
};

Faces Load(const std::string& model) {
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> mesh;
    std::string error;
    Faces f;
    EXPECT_EQ(xfile::LoadMeshFromX(model, xfile::MESH_SYSTEMMEM, nullptr, materials, mesh, &error), gfx::OK) << error;
    if (!mesh) return f;
    const gfx::VertexElement* position = mesh->FindElement(gfx::DECLUSAGE_POSITION);
    const gfx::VertexElement* normal = mesh->FindElement(gfx::DECLUSAGE_NORMAL);
    EXPECT_NE(normal, nullptr) << model;
    if (!position || !normal) return f;
    for (uint32_t v = 0; v < mesh->GetNumVertices(); ++v) {
        const uint8_t* vertex = mesh->VertexData() + size_t{v} * mesh->GetNumBytesPerVertex();
        pmath::Vec3 p, n;
        std::memcpy(&p, vertex + position->offset, sizeof p);
        std::memcpy(&n, vertex + normal->offset, sizeof n);
        f.positions.push_back(p);
        f.normals.push_back(n);
    }
    f.indices.assign(mesh->IndexData(), mesh->IndexData() + size_t{mesh->GetNumFaces()} * 3);
    return f;
}

// The side a face shows: the renderer keeps faces that wind clockwise seen from there.
pmath::Vec3 FrontOf(const Faces& f, size_t face) {
    const pmath::Vec3 a = f.positions[f.indices[face * 3]], b = f.positions[f.indices[face * 3 + 1]],
             c = f.positions[f.indices[face * 3 + 2]];
    return pmath::Cross(b - a, c - a);
}

// The volume the faces enclose, counted positive where they face out.
double SignedVolume(const Faces& f) {
    double volume = 0;
    for (size_t i = 0; i + 2 < f.indices.size(); i += 3)
        volume += pmath::Dot(f.positions[f.indices[i]],
                             pmath::Cross(f.positions[f.indices[i + 1]], f.positions[f.indices[i + 2]])) /
                  6.0;
    return volume;
}

enum class Kind { Solid, Ground, Dome };

Kind KindOf(const std::string& model) {
    for (const char* ground : {"ground\\field.x", "ground\\road.x", "ground\\plot.x", "fields\\ground.x",
                               "fields\\wheat_field.x", "fields\\meadow_field.x", "fields\\grass_area.x"})
        if (model.ends_with(ground)) return Kind::Ground;
    return model.ends_with("sky\\dome.x") ? Kind::Dome : Kind::Solid;
}

class DemoModelFacesTest : public test::StartDirTest {};

TEST_F(DemoModelFacesTest, EveryFaceShowsItsOuterSideAndItsNormalsPointThere) {
    const std::vector<std::string> models = test::CopyDemoModels(m_dir.path());
    ASSERT_GE(models.size(), 20u);
    for (const std::string& model : models) {
        const Faces f = Load(model);
        ASSERT_FALSE(f.indices.empty()) << model;
        int against = 0;
        for (size_t face = 0; face < f.indices.size() / 3; ++face) {
            const pmath::Vec3 front = FrontOf(f, face);
            if (pmath::Length(front) < 1e-9f) continue;
            for (int corner = 0; corner < 3; ++corner)
                if (pmath::Dot(front, f.normals[f.indices[face * 3 + corner]]) <= 0) ++against;
        }
        EXPECT_EQ(against, 0) << model << ": corners whose normal points behind their face";
        switch (KindOf(model)) {
        case Kind::Solid:
            EXPECT_GT(SignedVolume(f), 0) << model << " faces inwards";
            break;
        case Kind::Dome:
            EXPECT_LT(SignedVolume(f), 0) << model << " faces away from the camera inside it";
            break;
        case Kind::Ground: {
            int notUp = 0;
            for (const pmath::Vec3& n : f.normals) notUp += n.y < 0.99f;
            EXPECT_EQ(notUp, 0) << model << ": normals that do not point up";
            break;
        }
        }
    }
}

}  // namespace
