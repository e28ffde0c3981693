// Adjacency, welding, cleaning, validation, attribute sorting and cloning.
#include "platform/xfile/MeshOperations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "support/XFiles.h"

namespace {

using Tri = std::array<std::array<float, 3>, 3>;

const std::vector<gfx::VertexElement> kPosNormalUv = {
    {0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
    {0, 12, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_NORMAL, 0},
    {0, 24, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
};

struct V {
    float p[3], n[3], t[2];
};

std::shared_ptr<xfile::Mesh> MakeMesh(const std::vector<V>& vertices, const std::vector<uint16_t>& indices,
                                      std::vector<uint32_t> attributes = {}) {
    std::vector<uint8_t> data(vertices.size() * sizeof(V));
    std::memcpy(data.data(), vertices.data(), data.size());
    if (attributes.empty()) attributes.assign(indices.size() / 3, 0);
    std::shared_ptr<xfile::Mesh> mesh;
    EXPECT_EQ(xfile::Mesh::Create(xfile::MESH_SYSTEMMEM, kPosNormalUv, nullptr, data, indices, attributes, mesh),
              gfx::OK);
    return mesh;
}

const V& VertexOf(const xfile::Mesh& mesh, uint32_t v) {
    return *reinterpret_cast<const V*>(mesh.VertexData() + v * sizeof(V));
}

// Each face as its three corner positions, sorted, for comparing face sets across renumbering.
std::vector<Tri> FacePositions(const xfile::Mesh& mesh, uint32_t first, uint32_t count) {
    std::vector<Tri> out;
    for (uint32_t f = first; f < first + count; ++f) {
        Tri t;
        for (int k = 0; k < 3; ++k) {
            const V& v = VertexOf(mesh, mesh.IndexData()[f * 3 + k]);
            t[k] = {v.p[0], v.p[1], v.p[2]};
        }
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Two triangles that meet along the edge from (1,0,0) to (0,0,1), each with its own copies.
std::vector<V> TwoTriangles(float normalShift, float uvShift, float positionShift) {
    return {{{0, 0, 0}, {0, 1, 0}, {0, 0}},
            {{1, 0, 0}, {0, 1, 0}, {1, 0}},
            {{0, 0, 1}, {0, 1, 0}, {0, 1}},
            {{0, 0, 1 + positionShift}, {0, 1, normalShift}, {0, 1 + uvShift}},
            {{1 + positionShift, 0, 0}, {0, 1, normalShift}, {1, 0}},
            {{1, 0, 1}, {0, 1, 0}, {1, 1}}};
}

TEST(MeshOperationsTest, WeldJoinsOnlyCoLocatedVerticesWhoseComponentsMatch) {
    struct Case {
        const char* name;
        float normalShift, uvShift, positionShift;
        uint32_t vertices;
    } cases[] = {
        {"normals 0.05 apart", 0.05f, 0.0f, 0.0f, 4},
        {"texture coordinates differ", 0.05f, 0.5f, 0.0f, 5},
        {"normals 0.2 apart", 0.2f, 0.0f, 0.0f, 6},
        {"positions 0.05 apart", 0.0f, 0.0f, 0.05f, 6},
    };
    xfile::WeldEpsilons eps;
    eps.Position = 0.1f;
    eps.Normal = 0.1f;
    for (const Case& c : cases) {
        auto mesh = MakeMesh(TwoTriangles(c.normalShift, c.uvShift, c.positionShift), {0, 1, 2, 3, 4, 5});
        ASSERT_EQ(xfile::WeldVertices(*mesh, xfile::WELDEPSILONS_WELDPARTIALMATCHES, &eps, nullptr, nullptr),
                  gfx::OK);
        EXPECT_EQ(mesh->GetNumVertices(), c.vertices) << c.name;
        EXPECT_EQ(mesh->GetNumFaces(), 2u) << c.name;
    }
    // A partial match snaps the matching components: the kept copy takes its twin's normal.
    auto mesh = MakeMesh(TwoTriangles(0.05f, 0.5f, 0.0f), {0, 1, 2, 3, 4, 5});
    ASSERT_EQ(xfile::WeldVertices(*mesh, xfile::WELDEPSILONS_WELDPARTIALMATCHES, &eps, nullptr, nullptr), gfx::OK);
    for (uint32_t v = 0; v < mesh->GetNumVertices(); ++v) EXPECT_EQ(VertexOf(*mesh, v).n[2], 0.0f);
}

TEST(MeshOperationsTest, AdjacencyFollowsPositionsNotIndices) {
    std::vector<xfile::ExtendedMaterial> materials;
    std::shared_ptr<xfile::Mesh> cube;
    ASSERT_EQ(test::LoadText(test::CubeMesh(), materials, cube), gfx::OK);
    std::vector<uint32_t> adjacency(cube->GetNumFaces() * 3);
    ASSERT_EQ(cube->GenerateAdjacency(0.0f, adjacency.data()), gfx::OK);
    // A closed cube: every edge has a neighbour that names the face back.
    for (uint32_t f = 0; f < cube->GetNumFaces(); ++f)
        for (int k = 0; k < 3; ++k) {
            const uint32_t g = adjacency[f * 3 + k];
            ASSERT_LT(g, cube->GetNumFaces());
            EXPECT_NE(std::find(&adjacency[g * 3], &adjacency[g * 3] + 3, f), &adjacency[g * 3] + 3);
        }
    EXPECT_EQ(xfile::ValidMesh(*cube, adjacency.data()), gfx::OK);
    // Triangles 0.05 apart meet only with an epsilon that spans the gap.
    auto apart = MakeMesh(TwoTriangles(0, 0, 0.05f), {0, 1, 2, 3, 4, 5});
    std::vector<uint32_t> pair(6);
    apart->GenerateAdjacency(0.0f, pair.data());
    EXPECT_EQ(pair[1], xfile::kNoNeighbour);
    apart->GenerateAdjacency(0.06f, pair.data());
    EXPECT_EQ(pair[1], 1u);
}

TEST(MeshOperationsTest, ValidMeshRefusesBadIndicesAndOneSidedAdjacency) {
    auto mesh = MakeMesh(TwoTriangles(0, 0, 0), {0, 1, 2, 3, 4, 5});
    std::string errors;
    const uint32_t oneSided[6] = {xfile::kNoNeighbour, 1, xfile::kNoNeighbour, xfile::kNoNeighbour,
                                  xfile::kNoNeighbour, xfile::kNoNeighbour};
    EXPECT_EQ(xfile::ValidMesh(*mesh, oneSided, &errors), xfile::ERR_INVALIDMESH);
    EXPECT_NE(errors.find("does not name it back"), std::string::npos);
    void* p;
    mesh->LockIndexBuffer(0, &p);
    static_cast<uint16_t*>(p)[4] = 9;
    mesh->UnlockIndexBuffer();
    EXPECT_EQ(xfile::ValidMesh(*mesh, nullptr, &errors), xfile::ERR_INVALIDMESH);
    EXPECT_NE(errors.find("uses vertex 9"), std::string::npos);
}

TEST(MeshOperationsTest, CleaningSplitsABowtieAndKeepsFacesAndPositions) {
    // Two triangles that share only vertex 0.
    std::vector<V> vertices = {{{0, 0, 0}, {}, {}}, {{1, 0, 0}, {}, {}}, {{0, 0, 1}, {}, {}},
                               {{-1, 0, 0}, {}, {}}, {{0, 0, -1}, {}, {}}};
    auto mesh = MakeMesh(vertices, {0, 1, 2, 0, 3, 4});
    std::shared_ptr<xfile::Mesh> cleaned;
    ASSERT_EQ(xfile::CleanMesh(xfile::CLEAN_SIMPLIFICATION, mesh, nullptr, cleaned, nullptr), gfx::OK);
    EXPECT_EQ(cleaned->GetNumVertices(), 6u);
    EXPECT_EQ(cleaned->IndexData()[0], 0u);
    EXPECT_EQ(cleaned->IndexData()[3], 5u);
    EXPECT_EQ(FacePositions(*cleaned, 0, 2), FacePositions(*mesh, 0, 2));
    // A mesh with nothing to clean comes back as itself.
    auto plain = MakeMesh(TwoTriangles(0, 0, 0), {0, 1, 2, 3, 4, 5});
    ASSERT_EQ(xfile::CleanMesh(xfile::CLEAN_SIMPLIFICATION, plain, nullptr, cleaned, nullptr), gfx::OK);
    EXPECT_EQ(cleaned, plain);
}

TEST(MeshOperationsTest, AttributeSortGroupsFacesGivesEachGroupItsVerticesAndKeepsTheFaces) {
    // A strip of four triangles alternating between two materials, sharing vertices.
    std::vector<V> vertices;
    for (int i = 0; i < 6; ++i) vertices.push_back({{float(i / 2), 0, float(i % 2)}, {0, 1, 0}, {}});
    auto mesh = MakeMesh(vertices, {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5}, {1, 0, 1, 0});
    for (uint32_t flags : {xfile::MESHOPT_ATTRSORT, xfile::MESHOPT_ATTRSORT | xfile::MESHOPT_VERTEXCACHE}) {
        auto m = MakeMesh(vertices, {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5}, {1, 0, 1, 0});
        std::vector<uint32_t> adjacency(12), out(12);
        m->GenerateAdjacency(0.0f, adjacency.data());
        ASSERT_EQ(m->OptimizeInplace(flags, adjacency.data(), out.data()), gfx::OK);
        EXPECT_EQ(std::vector<uint32_t>(m->AttributeData(), m->AttributeData() + 4),
                  (std::vector<uint32_t>{0, 0, 1, 1}));
        const auto& table = m->AttributeTable();
        ASSERT_EQ(table.size(), 2u);
        // Shared vertices are split: each group's vertices are its own and contiguous.
        EXPECT_EQ(table[0].VertexStart, 0u);
        EXPECT_EQ(table[0].VertexCount, 5u);
        EXPECT_EQ(table[1].VertexStart, 5u);
        EXPECT_EQ(table[1].VertexCount, 5u);
        EXPECT_EQ(m->GetNumVertices(), 10u);
        for (uint32_t i = 0; i < 12; ++i) {
            const auto& range = table[i / 6];
            EXPECT_GE(m->IndexData()[i], range.VertexStart);
            EXPECT_LT(m->IndexData()[i], range.VertexStart + range.VertexCount);
        }
        std::vector<Tri> group0 = FacePositions(*m, 0, 2), expected0 = FacePositions(*mesh, 1, 1);
        auto odd = FacePositions(*mesh, 3, 1);
        expected0.insert(expected0.end(), odd.begin(), odd.end());
        std::sort(expected0.begin(), expected0.end());
        EXPECT_EQ(group0, expected0);
        // The adjacency follows the faces to their new places and still pairs them.
        EXPECT_EQ(xfile::ValidMesh(*m, out.data()), gfx::OK);
    }
}

TEST(MeshOperationsTest, CloneConvertsToAnotherLayoutZeroFillingWhatTheSourceLacks) {
    std::vector<V> vertices = {{{1, 2, 3}, {0, 0, 1}, {0.5f, 0.25f}}, {{4, 5, 6}, {0, 1, 0}, {1, 1}},
                               {{7, 8, 9}, {1, 0, 0}, {0, 0}}};
    auto mesh = MakeMesh(vertices, {0, 1, 2});
    const gfx::VertexElement engine[] = {{0, 0, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_POSITION, 0},
                                         {0, 12, gfx::DECLTYPE_D3DCOLOR, 0, gfx::DECLUSAGE_COLOR, 0},
                                         {0, 16, gfx::DECLTYPE_FLOAT3, 0, gfx::DECLUSAGE_NORMAL, 0},
                                         {0, 28, gfx::DECLTYPE_FLOAT2, 0, gfx::DECLUSAGE_TEXCOORD, 0},
                                         gfx::DECL_END};
    std::shared_ptr<xfile::Mesh> clone;
    ASSERT_EQ(mesh->CloneMesh(xfile::MESH_SYSTEMMEM, engine, nullptr, clone), gfx::OK);
    ASSERT_EQ(clone->GetNumBytesPerVertex(), 36u);
    const uint8_t* v1 = clone->VertexData() + 36;
    float f[9];
    uint32_t colour;
    std::memcpy(f, v1, 12);
    std::memcpy(&colour, v1 + 12, 4);
    std::memcpy(f + 3, v1 + 16, 20);
    EXPECT_EQ(std::vector<float>(f, f + 8), (std::vector<float>{4, 5, 6, 0, 1, 0, 1, 1}));
    EXPECT_EQ(colour, 0u);
}

}  // namespace
