#include "platform/xfile/MeshTopology.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "platform/xfile/Mesh.h"

namespace xfile {

namespace {

constexpr uint32_t kNone = kNoNeighbour;

// Open addressing from a key of three 64-bit words to a vertex or half-edge number.
class KeyTable {
public:
    struct Key {
        uint64_t a, b, c;
        bool operator==(const Key& o) const { return a == o.a && b == o.b && c == o.c; }
    };

    explicit KeyTable(size_t entries) {
        size_t capacity = 16;
        while (capacity < entries * 2) capacity *= 2;
        m_keys.resize(capacity);
        m_values.assign(capacity, kNone);
        m_used.assign(capacity, 0);
        m_mask = capacity - 1;
    }

    // The value stored for the key, or kNone.
    uint32_t Find(const Key& key) const {
        for (size_t i = Hash(key) & m_mask;; i = (i + 1) & m_mask) {
            if (!m_used[i]) return kNone;
            if (m_keys[i] == key) return m_values[i];
        }
    }
    // The value slot for the key, made (holding kNone) when absent.
    uint32_t& Slot(const Key& key) {
        for (size_t i = Hash(key) & m_mask;; i = (i + 1) & m_mask) {
            if (!m_used[i]) {
                m_keys[i] = key;
                m_used[i] = 1;
                return m_values[i];
            }
            if (m_keys[i] == key) return m_values[i];
        }
    }

private:
    static size_t Hash(const Key& k) {
        uint64_t h = k.a * 0x9E3779B97F4A7C15ull;
        h = (h ^ (h >> 29) ^ k.b) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 31) ^ k.c) * 0x94D049BB133111EBull;
        return static_cast<size_t>(h ^ (h >> 32));
    }

    std::vector<Key> m_keys;
    std::vector<uint32_t> m_values;
    std::vector<uint8_t> m_used;
    size_t m_mask = 0;
};

// Union-find whose root is the lowest member.
struct LowestRoot {
    std::vector<uint32_t> parent;
    explicit LowestRoot(uint32_t n) : parent(n) {
        for (uint32_t i = 0; i < n; ++i) parent[i] = i;
    }
    uint32_t Find(uint32_t v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    }
    void Join(uint32_t a, uint32_t b) {
        a = Find(a);
        b = Find(b);
        if (a < b) parent[b] = a;
        else if (b < a) parent[a] = b;
    }
};

uint64_t ExactBits(float f) {
    if (f == 0.0f) f = 0.0f;  // -0 and +0 are one position
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

constexpr double kCellsPerEpsilon = 1024.0;
constexpr int kMaxCellLooks = 256;

int64_t Cell(double scaled) { return static_cast<int64_t>(std::fmax(std::fmin(std::floor(scaled), 4.0e15), -4.0e15)); }

}  // namespace

std::vector<uint32_t> PositionClasses(const Mesh& mesh, float epsilon) {
    const uint32_t n = mesh.GetNumVertices();
    std::vector<uint32_t> classes(n);
    for (uint32_t v = 0; v < n; ++v) classes[v] = v;
    const gfx::VertexElement* position = mesh.FindElement(gfx::DECLUSAGE_POSITION);
    if (!position || position->type != gfx::DECLTYPE_FLOAT3) return classes;
    const uint32_t stride = mesh.GetNumBytesPerVertex();
    auto at = [&](uint32_t v) {
        float p[3];
        std::memcpy(p, mesh.VertexData() + v * stride + position->offset, 12);
        return std::array<float, 3>{p[0], p[1], p[2]};
    };
    KeyTable table(n);
    if (epsilon == 0.0f) {
        for (uint32_t v = 0; v < n; ++v) {
            auto p = at(v);
            uint32_t& first = table.Slot({ExactBits(p[0]), ExactBits(p[1]), ExactBits(p[2])});
            if (first == kNone) first = v;
            classes[v] = first;
        }
        return classes;
    }
    // Cells much wider than epsilon: a neighbour within epsilon lies in the point's own cell, or
    // in the next cell along an axis where the point lies within epsilon of the cell's side.
    const double cell = static_cast<double>(epsilon) * kCellsPerEpsilon;
    LowestRoot sets(n);
    std::vector<uint32_t> next(n, kNone);
    for (uint32_t v = 0; v < n; ++v) {
        auto p = at(v);
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
        int64_t c[3];
        int lo[3], hi[3];
        for (int a = 0; a < 3; ++a) {
            const double scaled = p[a] / cell;
            c[a] = Cell(scaled);
            const double inside = (scaled - std::floor(scaled)) * cell;
            lo[a] = inside <= epsilon ? -1 : 0;
            hi[a] = cell - inside <= epsilon ? 1 : 0;
        }
        for (int dx = lo[0]; dx <= hi[0]; ++dx)
            for (int dy = lo[1]; dy <= hi[1]; ++dy)
                for (int dz = lo[2]; dz <= hi[2]; ++dz) {
                    KeyTable::Key key{static_cast<uint64_t>(c[0] + dx), static_cast<uint64_t>(c[1] + dy),
                                      static_cast<uint64_t>(c[2] + dz)};
                    // A crowd of distinct points in one cell (only made-up files have them) is
                    // looked at only so far, so the search stays linear.
                    int looked = 0;
                    for (uint32_t u = table.Find(key); u != kNone && looked < kMaxCellLooks; u = next[u], ++looked) {
                        auto q = at(u);
                        if (std::fabs(p[0] - q[0]) <= epsilon && std::fabs(p[1] - q[1]) <= epsilon &&
                            std::fabs(p[2] - q[2]) <= epsilon)
                            sets.Join(u, v);
                    }
                }
        uint32_t& head = table.Slot({static_cast<uint64_t>(c[0]), static_cast<uint64_t>(c[1]),
                                     static_cast<uint64_t>(c[2])});
        next[v] = head;
        head = v;
    }
    for (uint32_t v = 0; v < n; ++v) classes[v] = sets.Find(v);
    return classes;
}

void BuildAdjacency(const uint16_t* indices, uint32_t faces, const std::vector<uint32_t>& classes,
                    uint32_t* adjacency) {
    const uint32_t halfEdges = faces * 3;
    std::fill(adjacency, adjacency + halfEdges, kNone);
    const uint32_t classCount = static_cast<uint32_t>(classes.size());
    auto ends = [&](uint32_t he, uint32_t& a, uint32_t& b) {
        const uint32_t f = he / 3, k = he % 3;
        const uint32_t va = indices[f * 3 + k], vb = indices[f * 3 + (k + 1) % 3];
        if (va >= classCount || vb >= classCount) return false;
        a = classes[va];
        b = classes[vb];
        return a != b;
    };
    // Half-edges in buckets by their lower end's class, sorted within a bucket by the other end,
    // then direction, then number: a half-edge's partners form one run of its bucket.
    std::vector<uint32_t> start(classCount + 1, 0);
    for (uint32_t he = 0; he < halfEdges; ++he) {
        uint32_t a, b;
        if (ends(he, a, b)) ++start[std::min(a, b) + 1];
    }
    for (uint32_t c = 0; c < classCount; ++c) start[c + 1] += start[c];
    std::vector<uint32_t> bucket(start[classCount]), fill(start.begin(), start.end() - 1);
    for (uint32_t he = 0; he < halfEdges; ++he) {
        uint32_t a, b;
        if (ends(he, a, b)) bucket[fill[std::min(a, b)]++] = he;
    }
    auto sortKey = [&](uint32_t he) {
        uint32_t a = 0, b = 0;
        ends(he, a, b);
        return uint64_t{std::max(a, b)} << 33 | uint64_t{a > b} << 32 | he;
    };
    std::vector<uint64_t> keys(bucket.size());
    for (size_t i = 0; i < bucket.size(); ++i) keys[i] = sortKey(bucket[i]);
    for (uint32_t c = 0; c < classCount; ++c) std::sort(keys.begin() + start[c], keys.begin() + start[c + 1]);
    // Each run keeps a cursor past its matched front, so pairing stays linear.
    std::vector<uint32_t> cursor(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        cursor[i] = (i > 0 && (keys[i] >> 32) == (keys[i - 1] >> 32)) ? cursor[i - 1] : static_cast<uint32_t>(i);
    std::vector<uint8_t> matched(halfEdges, 0);
    for (uint32_t he = 0; he < halfEdges; ++he) {
        uint32_t a, b;
        if (matched[he] || !ends(he, a, b)) continue;
        const uint32_t lo = std::min(a, b);
        const uint64_t wanted = uint64_t{std::max(a, b)} << 1 | (b > a);  // the other way round
        auto first = std::lower_bound(keys.begin() + start[lo], keys.begin() + start[lo + 1], wanted << 32);
        if (first == keys.begin() + start[lo + 1] || (*first >> 32) != wanted) continue;
        const size_t runStart = static_cast<size_t>(first - keys.begin());
        uint32_t& at = cursor[runStart];
        while (at < start[lo + 1] && (keys[at] >> 32) == wanted && matched[keys[at] & 0xFFFFFFFFu]) ++at;
        for (size_t i = at; i < start[lo + 1] && (keys[i] >> 32) == wanted; ++i) {
            const uint32_t other = static_cast<uint32_t>(keys[i] & 0xFFFFFFFFu);
            if (matched[other] || other / 3 == he / 3) continue;
            matched[he] = matched[other] = 1;
            adjacency[he] = other / 3;
            adjacency[other] = he / 3;
            break;
        }
    }
}

int BackEdge(const uint16_t* indices, const std::vector<uint32_t>& classes, const uint32_t* adjacency, uint32_t f,
             int k, uint32_t g) {
    const uint32_t a = classes[indices[f * 3 + k]], b = classes[indices[f * 3 + (k + 1) % 3]];
    for (int j = 0; j < 3; ++j)
        if (adjacency[g * 3 + j] == f && classes[indices[g * 3 + j]] == b &&
            classes[indices[g * 3 + (j + 1) % 3]] == a)
            return j;
    return 3;
}

std::vector<uint32_t> PointRepresentatives(const uint16_t* indices, uint32_t faces, uint32_t vertices,
                                           const std::vector<uint32_t>& classes, const uint32_t* adjacency) {
    LowestRoot sets(vertices);
    for (uint32_t f = 0; f < faces; ++f)
        for (int k = 0; k < 3; ++k) {
            const uint32_t g = adjacency[f * 3 + k];
            if (g >= faces) continue;
            const int j = BackEdge(indices, classes, adjacency, f, k, g);
            if (j == 3) continue;
            sets.Join(indices[f * 3 + k], indices[g * 3 + (j + 1) % 3]);
            sets.Join(indices[f * 3 + (k + 1) % 3], indices[g * 3 + j]);
        }
    std::vector<uint32_t> reps(vertices);
    for (uint32_t v = 0; v < vertices; ++v) reps[v] = sets.Find(v);
    return reps;
}

// Fans around the vertex just drawn, preferring vertices still in the cache that have few faces
// left (the linear-time "fan around the best cached vertex" method).
void OrderForVertexCache(const uint16_t* indices, uint32_t* faces, uint32_t count, uint32_t vertexCount) {
    constexpr int kCacheSize = 16;
    if (count < 2) return;
    // Local numbering of the vertices the faces use.
    std::vector<uint32_t> local(vertexCount, kNone);
    std::vector<uint32_t> corners(static_cast<size_t>(count) * 3);
    uint32_t n = 0;
    for (uint32_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k) {
            uint32_t& l = local[indices[faces[i] * 3 + k]];
            if (l == kNone) l = n++;
            corners[i * 3 + k] = l;
        }
    // The faces around each vertex.
    std::vector<uint32_t> start(n + 1, 0), live(n, 0);
    for (uint32_t c : corners) ++start[c + 1];
    for (uint32_t v = 0; v < n; ++v) live[v] = start[v + 1], start[v + 1] += start[v];
    std::vector<uint32_t> around(corners.size()), fill(start.begin(), start.end() - 1);
    for (uint32_t i = 0; i < corners.size(); ++i) around[fill[corners[i]]++] = i / 3;

    std::vector<uint32_t> out;
    out.reserve(count);
    std::vector<bool> emitted(count, false);
    std::vector<int64_t> stamp(n, 0);
    std::vector<uint32_t> deadEnds, candidates;
    int64_t time = kCacheSize + 1;
    uint32_t cursor = 0;
    uint32_t fan = corners[0];
    while (fan != kNone) {
        candidates.clear();
        for (uint32_t a = start[fan]; a < start[fan + 1]; ++a) {
            const uint32_t t = around[a];
            if (emitted[t]) continue;
            emitted[t] = true;
            out.push_back(faces[t]);
            for (int k = 0; k < 3; ++k) {
                const uint32_t v = corners[t * 3 + k];
                deadEnds.push_back(v);
                candidates.push_back(v);
                --live[v];
                if (time - stamp[v] > kCacheSize) stamp[v] = time++;
            }
        }
        fan = kNone;
        int64_t best = -1;
        for (uint32_t v : candidates) {
            if (live[v] == 0) continue;
            int64_t priority = 0;
            if (time - stamp[v] + 2 * static_cast<int64_t>(live[v]) <= kCacheSize) priority = time - stamp[v];
            if (priority > best) best = priority, fan = v;
        }
        while (fan == kNone && !deadEnds.empty()) {
            const uint32_t d = deadEnds.back();
            deadEnds.pop_back();
            if (live[d] > 0) fan = d;
        }
        while (fan == kNone && cursor < n) {
            if (live[cursor] > 0) fan = cursor;
            ++cursor;
        }
    }
    std::memcpy(faces, out.data(), count * sizeof(uint32_t));
}

}  // namespace xfile
