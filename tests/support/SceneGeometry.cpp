#include "support/SceneGeometry.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "render/ERenderer.h"

namespace test {

void SceneGeometry::AddQuad(const DV& centre, const DV& u, const DV& v, float uvScale) {
    DV normal = pmath::Normalize(pmath::Cross(v, u));
    auto first = static_cast<uint32_t>(vertices.size());
    const DV corners[4] = {centre - u - v, centre - u + v, centre + u + v, centre + u - v};
    const float uvs[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i)
        vertices.push_back(MeshVertex{corners[i], 0xFFFFFFFFu, normal, uvs[i][0] * uvScale, uvs[i][1] * uvScale});
    for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(first + i);
}

void SceneGeometry::AddBox(const DV& min, const DV& max) {
    DV c = (min + max) * 0.5f, h = (max - min) * 0.5f;
    const DV x{h.x, 0, 0}, y{0, h.y, 0}, z{0, 0, h.z};
    AddQuad(c + y, x, z);
    AddQuad(c - y, x, z * -1.0f);
    AddQuad(c + x, z, y);
    AddQuad(c - x, z * -1.0f, y);
    AddQuad(c + z, x * -1.0f, y);
    AddQuad(c - z, x, y);
}

void SceneGeometry::AddDome(int rings, int segments) {
    auto first = static_cast<uint32_t>(vertices.size());
    const float pi = 3.14159265f;
    for (int r = 0; r <= rings; ++r) {
        float polar = pi * static_cast<float>(r) / static_cast<float>(rings);
        for (int s = 0; s <= segments; ++s) {
            float around = 2.0f * pi * static_cast<float>(s) / static_cast<float>(segments);
            DV p{std::sin(polar) * std::cos(around), std::cos(polar), std::sin(polar) * std::sin(around)};
            vertices.push_back(MeshVertex{p, 0xFFFFFFFFu, p * -1.0f, static_cast<float>(s) / segments,
                                          static_cast<float>(r) / rings});
        }
    }
    auto at = [&](int r, int s) { return first + static_cast<uint32_t>(r * (segments + 1) + s); };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const uint32_t triangles[2][3] = {{at(r, s), at(r + 1, s), at(r + 1, s + 1)},
                                              {at(r, s), at(r + 1, s + 1), at(r, s + 1)}};
            for (const auto& t : triangles) {
                uint32_t a = t[0], b = t[1], c = t[2];
                // Front faces look inwards.
                DV n = pmath::Cross(vertices[b].position - vertices[a].position,
                                    vertices[c].position - vertices[a].position);
                if (pmath::Dot(n, vertices[a].position) > 0) std::swap(b, c);
                indices.insert(indices.end(), {a, b, c});
            }
        }
    }
}

bool SceneGeometry::Upload(gfx::Device& device) {
    auto vertexBytes = static_cast<uint32_t>(vertices.size() * sizeof(MeshVertex));
    auto indexBytes = static_cast<uint32_t>(indices.size() * sizeof(uint32_t));
    if (gfx::Failed(device.CreateVertexBuffer(vertexBytes, gfx::USAGE_WRITEONLY, 0, gfx::POOL_MANAGED, vertexBuffer)) ||
        gfx::Failed(device.CreateIndexBuffer(indexBytes, gfx::USAGE_WRITEONLY, gfx::FMT_INDEX32, gfx::POOL_MANAGED,
                                             indexBuffer)))
        return false;
    void* data = nullptr;
    vertexBuffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), vertexBytes);
    vertexBuffer->Unlock();
    indexBuffer->Lock(0, 0, &data, 0);
    std::memcpy(data, indices.data(), indexBytes);
    indexBuffer->Unlock();
    range = DrawRange{0, static_cast<uint32_t>(indices.size() / 3), 0, 0, static_cast<uint32_t>(vertices.size())};
    geometry = DrawGeometry{vertexBuffer.get(), indexBuffer.get(), &range, 1, range.faceCount};
    return true;
}

void SceneObject::Place(const SceneGeometry& g, const pmath::Matrix& world, const char* texture) {
    object.m_bVisibleThisFrame = 1;
    object.m_uFlags = FLAG_VISIBLE;
    object.m_pDrawMesh = &mesh;
    mesh.geometry = &g.geometry;
    mesh.world = world;
    mesh.subsets = &subset;
    mesh.subsetCount = 1;
    subset.textureId = g_Renderer.AddMeshToTextureLists(texture, DrawRecord{this, "scene object", 0, &object, &mesh});
    if (const strtexture* t = g_Renderer.GetTexture(subset.textureId)) {
        subset.alphaTested = t->m_bTransparent;
        subset.blended = t->m_bTranslucent;
        subset.noShadow = t->m_bDoNotCastShadow;
    }
}

pmath::Matrix Translation(const DV& position) { return ScaleTranslation(DV{1, 1, 1}, position); }

pmath::Matrix ScaleTranslation(const DV& scale, const DV& position) {
    pmath::Matrix m = pmath::Identity();
    m.m[0][0] = scale.x;
    m.m[1][1] = scale.y;
    m.m[2][2] = scale.z;
    m.m[3][0] = position.x;
    m.m[3][1] = position.y;
    m.m[3][2] = position.z;
    return m;
}

}  // namespace test
