#include "platform/xfile/MeshOperations.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/xfile/MeshTopology.h"

namespace xfile {

namespace {

constexpr uint32_t kNone = kNoNeighbour;
// Vertices closer than this stand at one point for welding.
constexpr float kCoLocated = 1e-6f;

std::vector<uint32_t> AdjacencyOrGenerated(const Mesh& mesh, const uint32_t* adjacency) {
    if (adjacency) return std::vector<uint32_t>(adjacency, adjacency + mesh.GetNumFaces() * 3);
    std::vector<uint32_t> made(mesh.GetNumFaces() * 3);
    mesh.GenerateAdjacency(0.0f, made.data());
    return made;
}

// True when (a, b, c) and (d, e, f) hold the same vertices turning the other way round.
bool Opposite(const uint16_t* p, const uint16_t* q) {
    for (int r = 0; r < 3; ++r)
        if (p[0] == q[r] && p[1] == q[(r + 2) % 3] && p[2] == q[(r + 1) % 3]) return true;
    return false;
}

uint64_t SortedKey(const uint16_t* p) {
    uint16_t s[3] = {p[0], p[1], p[2]};
    std::sort(s, s + 3);
    return uint64_t{s[0]} << 32 | uint64_t{s[1]} << 16 | s[2];
}

struct CornerSets {
    std::vector<uint32_t> parent;
    explicit CornerSets(size_t n) : parent(n) {
        for (size_t i = 0; i < n; ++i) parent[i] = static_cast<uint32_t>(i);
    }
    uint32_t Find(uint32_t c) {
        while (parent[c] != c) c = parent[c] = parent[parent[c]];
        return c;
    }
    void Join(uint32_t a, uint32_t b) {
        a = Find(a);
        b = Find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }
};

float EpsilonFor(const gfx::VertexElement& e, const WeldEpsilons& eps) {
    switch (e.usage) {
        case gfx::DECLUSAGE_POSITION: return eps.Position;
        case gfx::DECLUSAGE_NORMAL: return eps.Normal;
        case gfx::DECLUSAGE_BLENDWEIGHT: return eps.BlendWeights;
        case gfx::DECLUSAGE_COLOR: return e.usageIndex == 0 ? eps.Diffuse : eps.Specular;
        case gfx::DECLUSAGE_TEXCOORD: return e.usageIndex < 8 ? eps.Texcoord[e.usageIndex] : 0.0f;
        default: return 0.0f;
    }
}

bool WithinEpsilon(const uint8_t* a, const uint8_t* b, gfx::DeclType type, float eps) {
    if (type <= gfx::DECLTYPE_FLOAT4) {
        for (uint32_t i = 0; i < ElementSize(type) / 4; ++i) {
            float x, y;
            std::memcpy(&x, a + 4 * i, 4);
            std::memcpy(&y, b + 4 * i, 4);
            if (!(std::fabs(x - y) <= eps)) return false;
        }
        return true;
    }
    if (type == gfx::DECLTYPE_D3DCOLOR) {
        for (int i = 0; i < 4; ++i)
            if (std::abs(int{a[i]} - int{b[i]}) / 255.0f > eps) return false;
        return true;
    }
    return std::memcmp(a, b, ElementSize(type)) == 0;
}

}  // namespace

gfx::Result CleanMesh(uint32_t cleanType, const std::shared_ptr<Mesh>& mesh, const uint32_t* adjacencyIn,
                      std::shared_ptr<Mesh>& out, uint32_t* adjacencyOut, std::string* errors) {
    if (!mesh) return gfx::ERR_INVALIDCALL;
    const uint32_t faces = mesh->GetNumFaces();
    const uint32_t vertices = mesh->GetNumVertices();
    const std::vector<uint32_t> adjacency = AdjacencyOrGenerated(*mesh, adjacencyIn);
    std::vector<uint16_t> indices(mesh->IndexData(), mesh->IndexData() + faces * 3);
    for (uint16_t v : indices)
        if (v >= vertices) {
            if (errors) *errors = "a face uses a vertex the mesh lacks";
            return ERR_INVALIDMESH;
        }
    std::vector<uint32_t> copies;  // the source vertex of every added vertex
    auto copyOf = [&](uint32_t v) {
        copies.push_back(v);
        return vertices + static_cast<uint32_t>(copies.size()) - 1;
    };

    if (cleanType & CLEAN_BACKFACING) {
        // Faces by their vertex set: a face turned against the first face of its set gets its own
        // vertices.
        std::vector<std::pair<uint64_t, uint32_t>> sets;
        for (uint32_t f = 0; f < faces; ++f) {
            const uint16_t* p = &indices[f * 3];
            if (p[0] != p[1] && p[1] != p[2] && p[0] != p[2]) sets.push_back({SortedKey(p), f});
        }
        std::sort(sets.begin(), sets.end());
        for (size_t i = 1, first = 0; i < sets.size(); ++i) {
            if (sets[i].first != sets[first].first) first = i;
            if (first == i) continue;
            const uint32_t f = sets[i].second;
            const uint16_t* p = &indices[f * 3];
            if (!Opposite(p, &indices[sets[first].second * 3])) continue;
            for (int k = 0; k < 3; ++k) indices[f * 3 + k] = static_cast<uint16_t>(std::min<uint32_t>(copyOf(p[k]), 0xFFFF));
        }
    }
    if (cleanType & CLEAN_BOWTIES) {
        // Corners at one vertex join when their faces meet across an edge through that vertex;
        // each further group of corners gets a vertex of its own.
        CornerSets sets(static_cast<size_t>(faces) * 3);
        for (uint32_t f = 0; f < faces; ++f)
            for (int k = 0; k < 3; ++k)
                for (int edge : {k, (k + 2) % 3}) {
                    const uint32_t g = adjacency[f * 3 + edge];
                    if (g >= faces) continue;
                    for (int d = 0; d < 3; ++d)
                        if (indices[g * 3 + d] == indices[f * 3 + k]) sets.Join(f * 3 + k, g * 3 + d);
                }
        std::vector<uint32_t> firstRoot(vertices + copies.size(), kNone);
        std::unordered_map<uint32_t, uint32_t> vertexOfRoot;
        for (uint32_t c = 0; c < faces * 3; ++c) {
            const uint32_t v = indices[c], root = sets.Find(c);
            if (firstRoot[v] == kNone) firstRoot[v] = root;
            if (firstRoot[v] == root) continue;
            auto [it, added] = vertexOfRoot.emplace(root, 0);
            if (added) it->second = copyOf(v < vertices ? v : copies[v - vertices]);
            indices[c] = static_cast<uint16_t>(std::min<uint32_t>(it->second, 0xFFFF));
        }
    }
    if (adjacencyOut) std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
    if (copies.empty()) {
        out = mesh;
        return gfx::OK;
    }
    if (vertices + copies.size() > kMaxVertices) {
        if (errors) *errors = "cleaning needs more vertices than 16-bit indices can address";
        return ERR_INVALIDMESH;
    }
    const uint32_t stride = mesh->GetNumBytesPerVertex();
    std::vector<uint8_t> data(mesh->VertexData(), mesh->VertexData() + static_cast<size_t>(vertices) * stride);
    for (uint32_t source : copies) data.insert(data.end(), mesh->VertexData() + source * stride,
                                               mesh->VertexData() + (source + 1) * stride);
    std::vector<uint32_t> attributes(mesh->AttributeData(), mesh->AttributeData() + faces);
    std::shared_ptr<Mesh> cleaned;
    gfx::Result r = Mesh::Create(mesh->GetOptions(), mesh->GetDeclaration(), mesh->GetDevice(), std::move(data),
                                 std::move(indices), std::move(attributes), cleaned);
    if (gfx::Failed(r)) return r;
    cleaned->SetAttributeTable(mesh->AttributeTable());
    cleaned->RefreshVertexRanges();
    out = std::move(cleaned);
    return gfx::OK;
}

gfx::Result WeldVertices(Mesh& mesh, uint32_t flags, const WeldEpsilons* epsilons, const uint32_t* adjacencyIn,
                         uint32_t* adjacencyOut, std::vector<uint32_t>* vertexRemap) {
    const uint32_t faces = mesh.GetNumFaces();
    const uint32_t vertices = mesh.GetNumVertices();
    const uint32_t stride = mesh.GetNumBytesPerVertex();
    const WeldEpsilons eps = epsilons ? *epsilons : WeldEpsilons{};
    std::vector<uint16_t> indices(mesh.IndexData(), mesh.IndexData() + faces * 3);
    for (uint16_t v : indices)
        if (v >= vertices) return ERR_INVALIDMESH;
    const std::vector<uint32_t> classes = PositionClasses(mesh, kCoLocated);
    std::vector<uint32_t> adjacency(faces * 3);
    if (adjacencyIn) std::copy(adjacencyIn, adjacencyIn + faces * 3, adjacency.begin());
    else BuildAdjacency(indices.data(), faces, classes, adjacency.data());
    const std::vector<uint32_t> reps = PointRepresentatives(indices.data(), faces, vertices, classes, adjacency.data());

    std::vector<uint8_t> data(mesh.VertexData(), mesh.VertexData() + static_cast<size_t>(vertices) * stride);
    std::vector<uint32_t> target(vertices);
    for (uint32_t v = 0; v < vertices; ++v) {
        target[v] = v;
        const uint32_t r = reps[v];
        if (r == v) continue;
        bool all = true;
        for (const gfx::VertexElement& e : mesh.GetDeclaration()) {
            if (e.stream != 0) continue;
            uint8_t* mine = data.data() + v * stride + e.offset;
            const uint8_t* theirs = data.data() + r * stride + e.offset;
            if (WithinEpsilon(mine, theirs, e.type, EpsilonFor(e, eps))) {
                if (flags & WELDEPSILONS_WELDPARTIALMATCHES) std::memcpy(mine, theirs, ElementSize(e.type));
            } else {
                all = false;
            }
        }
        if (all) target[v] = r;
    }
    std::vector<uint32_t> kept;
    std::vector<uint32_t> newIndex(vertices, kNone);
    if (flags & WELDEPSILONS_DONOTREMOVEVERTICES) {
        for (uint32_t v = 0; v < vertices; ++v) newIndex[v] = v, kept.push_back(v);
    } else {
        for (uint16_t& i : indices) i = static_cast<uint16_t>(target[i]);
        for (uint16_t i : indices) newIndex[i] = 0;
        for (uint32_t v = 0; v < vertices; ++v)
            if (newIndex[v] != kNone) newIndex[v] = static_cast<uint32_t>(kept.size()), kept.push_back(v);
    }
    if (kept.empty()) return ERR_INVALIDMESH;
    for (uint16_t& i : indices) i = static_cast<uint16_t>(newIndex[target[i]]);
    std::vector<uint8_t> welded(kept.size() * stride);
    for (size_t v = 0; v < kept.size(); ++v)
        std::memcpy(welded.data() + v * stride, data.data() + kept[v] * stride, stride);
    std::vector<uint32_t> attributes(mesh.AttributeData(), mesh.AttributeData() + faces);
    gfx::Result r = mesh.SetContent(std::move(welded), std::move(indices), std::move(attributes));
    if (gfx::Failed(r)) return r;
    mesh.RefreshVertexRanges();
    if (adjacencyOut) std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
    if (vertexRemap) *vertexRemap = kept;
    return gfx::OK;
}

gfx::Result ValidMesh(const Mesh& mesh, const uint32_t* adjacency, std::string* errors) {
    const uint32_t faces = mesh.GetNumFaces();
    std::string found;
    for (uint32_t i = 0; i < faces * 3; ++i)
        if (mesh.IndexData()[i] >= mesh.GetNumVertices()) {
            found += "face " + std::to_string(i / 3) + " uses vertex " + std::to_string(mesh.IndexData()[i]) +
                     " of " + std::to_string(mesh.GetNumVertices()) + ". ";
            break;
        }
    for (uint32_t f = 0; adjacency && f < faces && found.empty(); ++f)
        for (int k = 0; k < 3; ++k) {
            const uint32_t g = adjacency[f * 3 + k];
            if (g == kNone) continue;
            if (g >= faces || std::find(adjacency + g * 3, adjacency + g * 3 + 3, f) == adjacency + g * 3 + 3) {
                found += "face " + std::to_string(f) + " names neighbour " + std::to_string(g) +
                         " that does not name it back. ";
                break;
            }
        }
    if (found.empty()) return gfx::OK;
    if (errors) *errors = found;
    return ERR_INVALIDMESH;
}

}  // namespace xfile
