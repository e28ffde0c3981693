// The conversion of a skinned mesh into an indexed blended mesh: palettes of at most the palette
// size per material, vertices copied into each palette with palette-local indices, four
// renormalised influences at most, and positions skinned from the palettes as the bones move them.
#include "platform/xfile/SkinInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "platform/math/Quaternion.h"
#include "support/MathSupport.h"

namespace {

using DV = pmath::Vec3;

// A strip along x of `bones` cells; bone b covers x = b .. b + 1, the vertices on a border are
// shared half and half by the two bones, and the cells alternate between two materials when asked.
struct Strip {
    std::shared_ptr<xfile::Mesh> mesh;
    std::vector<xfile::SkinBone> bones;
};

Strip MakeStrip(uint32_t cells, bool twoMaterials) {
    Strip s;
    std::vector<float> vertices;
    std::vector<uint16_t> indices;
    std::vector<uint32_t> attributes;
    s.bones.resize(cells);
    for (uint32_t b = 0; b < cells; ++b) {
        s.bones[b].name = "bone" + std::to_string(b);
        s.bones[b].offset.m[3][0] = -static_cast<float>(b);
    }
    for (uint32_t x = 0; x <= cells; ++x)
        for (uint32_t y = 0; y < 2; ++y) {
            const auto v = static_cast<uint32_t>(vertices.size() / 8);
            vertices.insert(vertices.end(), {static_cast<float>(x), static_cast<float>(y), 0, 0, 0, -1,
                                             static_cast<float>(x), static_cast<float>(y)});
            for (uint32_t b : {x - 1, x})
                if (b < cells) {
                    s.bones[b].vertices.push_back(v);
                    s.bones[b].weights.push_back(x == 0 || x == cells ? 1.0f : 0.5f);
                }
        }
    for (uint16_t c = 0; c < cells; ++c) {
        const uint16_t a = c * 2;
        indices.insert(indices.end(), {a, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(a + 3), a,
                                       static_cast<uint16_t>(a + 3), static_cast<uint16_t>(a + 2)});
        attributes.insert(attributes.end(), 2, twoMaterials ? c % 2 : 0u);
    }
    const auto declaration = gfx::FvfElements(gfx::FVF_XYZ | gfx::FVF_NORMAL | 1u << gfx::FVF_TEXCOUNT_SHIFT);
    std::vector<uint8_t> bytes(vertices.size() * 4);
    std::memcpy(bytes.data(), vertices.data(), bytes.size());
    EXPECT_EQ(xfile::Mesh::Create(xfile::MESH_SYSTEMMEM, declaration, nullptr, std::move(bytes), std::move(indices),
                                  std::move(attributes), s.mesh),
              gfx::OK);
    return s;
}

struct Blended {
    DV position;
    float weights[4];
    uint8_t indices[4];
};

Blended VertexOf(const xfile::Mesh& mesh, uint32_t v) {
    const uint8_t* p = mesh.VertexData() + v * mesh.GetNumBytesPerVertex();
    Blended b;
    std::memcpy(&b.position, p, 12);
    std::memcpy(b.weights, p + 12, 12);
    b.weights[3] = 1.0f - (b.weights[0] + b.weights[1] + b.weights[2]);
    std::memcpy(b.indices, p + 24, 4);
    return b;
}

TEST(SkinInfoTest, A70BoneSkinIsSplitIntoPalettesThatEachHoldTheirFacesBones) {
    Strip s = MakeStrip(70, false);
    const xfile::SkinInfo skin(s.mesh->GetNumVertices(), s.bones);
    std::shared_ptr<xfile::Mesh> out;
    std::vector<xfile::BoneCombination> groups;
    uint32_t influences = 0;
    ASSERT_EQ(skin.ConvertToIndexedBlendedMesh(*s.mesh, xfile::MESH_SYSTEMMEM, 64, nullptr, &influences, groups, out), gfx::OK);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(influences, 2u);
    EXPECT_EQ(out->GetNumFaces(), s.mesh->GetNumFaces());
    uint32_t faces = 0;
    for (uint32_t g = 0; g < groups.size(); ++g) {
        const xfile::BoneCombination& c = groups[g];
        ASSERT_EQ(c.BoneId.size(), 64u);
        const auto used = static_cast<uint32_t>(std::count_if(c.BoneId.begin(), c.BoneId.end(),
                                                              [](uint32_t b) { return b != xfile::kUnusedBone; }));
        // The used entries come first.
        for (uint32_t k = used; k < 64; ++k) EXPECT_EQ(c.BoneId[k], xfile::kUnusedBone);
        EXPECT_EQ(c.FaceStart, faces);
        faces += c.FaceCount;
        for (uint32_t f = c.FaceStart; f < c.FaceStart + c.FaceCount; ++f) {
            EXPECT_EQ(out->AttributeData()[f], g);
            for (int k = 0; k < 3; ++k) {
                const uint32_t v = out->IndexData()[f * 3 + k];
                EXPECT_GE(v, c.VertexStart);
                EXPECT_LT(v, c.VertexStart + c.VertexCount);
                for (int i = 0; i < 4; ++i) {
                    if (VertexOf(*out, v).weights[i] > 0.0f) {
                        EXPECT_LT(VertexOf(*out, v).indices[i], used);
                    }
                }
            }
        }
    }
    EXPECT_EQ(faces, out->GetNumFaces());
    // The border between the two groups is drawn by both: its vertices are copied.
    EXPECT_GT(out->GetNumVertices(), s.mesh->GetNumVertices());
    ASSERT_EQ(out->AttributeTable().size(), 2u);
    EXPECT_EQ(out->AttributeTable()[1].VertexStart, groups[1].VertexStart);
}

TEST(SkinInfoTest, GroupsNeverMixMaterials) {
    Strip s = MakeStrip(6, true);
    const xfile::SkinInfo skin(s.mesh->GetNumVertices(), s.bones);
    std::shared_ptr<xfile::Mesh> out;
    std::vector<xfile::BoneCombination> groups;
    ASSERT_EQ(skin.ConvertToIndexedBlendedMesh(*s.mesh, xfile::MESH_SYSTEMMEM, 6, nullptr, nullptr, groups, out), gfx::OK);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].AttribId, 0u);
    EXPECT_EQ(groups[1].AttribId, 1u);
    EXPECT_EQ(groups[0].FaceCount, 6u);
}

TEST(SkinInfoTest, PositionsSkinnedFromThePalettesMatchTheWeightedBonesOfTheSource) {
    Strip s = MakeStrip(70, false);
    // Every bone turned and moved its own way.
    std::vector<pmath::Matrix> pose(70);
    for (uint32_t b = 0; b < 70; ++b)
        pose[b] = pmath::MatrixFromTransformation({1, 1, 1}, pmath::QuaternionFromYawPitchRoll(0.05f * b, 0.1f, 0.02f * b),
                                                  {static_cast<float>(b), 0.5f * b, 0});
    const xfile::SkinInfo skin(s.mesh->GetNumVertices(), s.bones);
    // The expected place of every source vertex, by its position.
    std::map<std::pair<float, float>, DV> expected;
    for (uint32_t v = 0; v < s.mesh->GetNumVertices(); ++v) {
        const float* p = reinterpret_cast<const float*>(s.mesh->VertexData() + v * s.mesh->GetNumBytesPerVertex());
        DV sum;
        for (uint32_t b = 0; b < 70; ++b)
            for (size_t i = 0; i < s.bones[b].vertices.size(); ++i)
                if (s.bones[b].vertices[i] == v)
                    sum += pmath::TransformPoint({p[0], p[1], p[2]}, s.bones[b].offset * pose[b]) * s.bones[b].weights[i];
        expected[{p[0], p[1]}] = sum;
    }
    std::shared_ptr<xfile::Mesh> out;
    std::vector<xfile::BoneCombination> groups;
    ASSERT_EQ(skin.ConvertToIndexedBlendedMesh(*s.mesh, xfile::MESH_SYSTEMMEM, 64, nullptr, nullptr, groups, out), gfx::OK);
    for (const xfile::BoneCombination& g : groups)
        for (uint32_t v = g.VertexStart; v < g.VertexStart + g.VertexCount; ++v) {
            const Blended b = VertexOf(*out, v);
            DV skinned;
            for (int i = 0; i < 4; ++i) {
                if (b.weights[i] <= 0.0f) continue;
                const uint32_t bone = g.BoneId[b.indices[i]];
                skinned += pmath::TransformPoint(b.position, *skin.GetBoneOffsetMatrix(bone) * pose[bone]) * b.weights[i];
            }
            EXPECT_TRUE(test::Near(skinned, expected.at({b.position.x, b.position.y}), 1e-3f)) << v;
        }
}

TEST(SkinInfoTest, AVertexKeepsItsFourHeaviestInfluencesRenormalised) {
    Strip s = MakeStrip(6, false);
    // Vertex 4 (x = 2) gets four more light influences besides its two halves.
    for (uint32_t b : {0u, 3u, 4u, 5u}) {
        s.bones[b].vertices.push_back(4);
        s.bones[b].weights.push_back(b == 5 ? 0.3f : 0.1f);
    }
    xfile::SkinInfo skin(s.mesh->GetNumVertices(), s.bones);
    skin.SetMinBoneInfluence(0.05f);
    std::shared_ptr<xfile::Mesh> out;
    std::vector<xfile::BoneCombination> groups;
    uint32_t influences = 0;
    ASSERT_EQ(skin.ConvertToIndexedBlendedMesh(*s.mesh, xfile::MESH_SYSTEMMEM, 6, nullptr, &influences, groups, out), gfx::OK);
    EXPECT_EQ(influences, 4u);
    for (uint32_t v = 0; v < out->GetNumVertices(); ++v) {
        const Blended b = VertexOf(*out, v);
        if (b.position.x != 2.0f || b.position.y != 0.0f) continue;
        // 0.5, 0.5, 0.3 and one of the 0.1s, over their sum of 1.4.
        const uint32_t first[3] = {groups[0].BoneId[b.indices[0]], groups[0].BoneId[b.indices[1]],
                                   groups[0].BoneId[b.indices[2]]};
        EXPECT_EQ(std::set<uint32_t>(first, first + 3), (std::set<uint32_t>{1, 2, 5}));
        EXPECT_NEAR(b.weights[0] + b.weights[1], 1.0f / 1.4f, 1e-5f);
        EXPECT_NEAR(b.weights[2], 0.3f / 1.4f, 1e-5f);
        EXPECT_NEAR(b.weights[3], 0.1f / 1.4f, 1e-5f);
    }
}

}  // namespace
