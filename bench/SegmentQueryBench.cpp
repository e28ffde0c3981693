// Segment queries against a world of 200 mesh objects of 512 faces each (102,400 faces): through
// the collision records' box levels, and by a walk over every face of the world, in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "core/IntersectionTests.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"

namespace {

constexpr int kObjects = 200;
constexpr int kColumns = 20;
// Each object is a hilly patch of kCells x kCells squares, two faces each.
constexpr int kCells = 16;
constexpr float kCellSize = 2.0f;
constexpr float kSpacing = 40.0f;
constexpr int kQueries = 1024;

struct Object {
    CollisionObjectFacts facts;
    CollisionIndices indices;
    std::vector<DV> vertices;
    std::vector<uint16_t> faces;
    DV localMin, localMax;
};

std::vector<Object> g_objects;
// Every face of the world in world space, three corners each.
std::vector<DV> g_worldCorners;
std::vector<std::pair<DV, DV>> g_segments;

Object* Of(EObjectSlot* o) { return reinterpret_cast<Object*>(o); }
EObjectSlot* Handle(Object& o) { return reinterpret_cast<EObjectSlot*>(&o); }

void MakePatch(Object& o, float phase) {
    for (int i = 0; i <= kCells; ++i)
        for (int k = 0; k <= kCells; ++k) {
            const float x = (i - kCells / 2) * kCellSize, z = (k - kCells / 2) * kCellSize;
            const DV v{x, 2.0f * std::sin(x * 0.4f + phase) * std::cos(z * 0.3f), z};
            o.localMin = o.vertices.empty() ? v : LowerCorner(o.localMin, v);
            o.localMax = o.vertices.empty() ? v : UpperCorner(o.localMax, v);
            o.vertices.push_back(v);
        }
    auto at = [](int i, int k) { return static_cast<uint16_t>(i * (kCells + 1) + k); };
    for (int i = 0; i < kCells; ++i)
        for (int k = 0; k < kCells; ++k)
            for (uint16_t v : {at(i, k), at(i, k + 1), at(i + 1, k + 1), at(i, k), at(i + 1, k + 1), at(i + 1, k)})
                o.faces.push_back(v);
}

void InstallHooks() {
    g_CollisionHooks.objectFacts = [](EObjectSlot* o) { return Of(o)->facts; };
    g_CollisionHooks.objectGeometry = [](EObjectSlot* h, CollisionGeometry* out) {
        const Object& o = *Of(h);
        out->vertices = reinterpret_cast<const uint8_t*>(o.vertices.data());
        out->vertexCount = static_cast<uint32_t>(o.vertices.size());
        out->stride = sizeof(DV);
        out->indices = o.faces.data();
        out->faceCount = static_cast<uint32_t>(o.faces.size() / 3);
        out->localMin = o.localMin;
        out->localMax = o.localMax;
        out->hasSubsetTable = 1;
        out->subsetCount = 1;
        out->subsets[0] = {0, 0, out->faceCount, 1, 0};
        return true;
    };
    g_CollisionHooks.forEachObject = [](void (*visit)(EObjectSlot*, void*), void* context) {
        for (Object& o : g_objects) visit(Handle(o), context);
    };
}

// The objects on a grid, each turned and scaled a little differently, registered as the engine
// registers its meshes; and the world's faces for the walk.
void BuildWorld() {
    InstallHooks();
    std::mt19937 random(7);
    std::uniform_real_distribution<float> turn(0.0f, 6.28f), scale(0.8f, 1.3f), lift(-1.0f, 1.0f);
    g_objects.resize(kObjects);
    for (int n = 0; n < kObjects; ++n) {
        Object& o = g_objects[n];
        MakePatch(o, static_cast<float>(n));
        const DV at{(n % kColumns) * kSpacing, lift(random), (n / kColumns) * kSpacing};
        pmath::Matrix place = pmath::MatrixFromYawPitchRoll(turn(random), 0, 0);
        const float s = scale(random);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) place.m[r][c] *= s;
        place.m[3][0] = at.x;
        place.m[3][1] = at.y;
        place.m[3][2] = at.z;
        o.facts.kind = CollisionObjectFacts::MESH;
        o.facts.flags = 0x5;
        o.facts.indices = &o.indices;
        o.facts.world = place;
        o.facts.centre = at;
        DV corners[8];
        TransformBox(o.localMin, o.localMax, place, corners, &o.facts.worldMin, &o.facts.worldMax);
        for (const DV& v : o.vertices) {
            const DV d = pmath::TransformPoint(v, place) - at;
            o.facts.radiusSq = std::max(o.facts.radiusSq, pmath::Dot(d, d));
        }
        g_CollisionMgr.AddObject(Handle(o));
        g_IntersectSegment.AddEngineObject(Handle(o));
        for (uint16_t v : o.faces) g_worldCorners.push_back(pmath::TransformPoint(o.vertices[v], place));
    }
}

// Line-of-sight and ground questions across the world: from a few units above the ground, 30 to
// 300 units long, in any direction leaning downwards.
void MakeSegments() {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> x(-20, kColumns * kSpacing), z(-20, (kObjects / kColumns) * kSpacing),
        y(1, 12), angle(0, 6.28f), dip(-0.6f, 0.1f), length(30, 300);
    for (int i = 0; i < kQueries; ++i) {
        const DV start{x(random), y(random), z(random)};
        const float a = angle(random), d = dip(random);
        const DV direction = pmath::Normalize(DV{std::cos(a), d, std::sin(a)});
        g_segments.push_back({start, start + direction * length(random)});
    }
}

// The nearest crossing by walking every face of the world.
float BruteForce(const DV& start, const DV& end) {
    float best = 2.0f;
    for (size_t f = 0; f < g_worldCorners.size(); f += 3) {
        DV point;
        float t = 0;
        if (SegmentTriangleHit(&start, &end, &g_worldCorners[f], &g_worldCorners[f + 1], &g_worldCorners[f + 2], &point,
                               &t))
            best = std::min(best, t);
    }
    return best;
}

void BM_BoxLevels(benchmark::State& state) {
    SegmentQuery query;
    SegmentHit hit;
    size_t i = 0;
    for (auto _ : state) {
        const auto& [start, end] = g_segments[i++ % g_segments.size()];
        query.m_pStart = &start;
        query.m_pEnd = &end;
        benchmark::DoNotOptimize(g_IntersectSegment.Intersect(&query, &hit));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BoxLevels);

void BM_EveryFace(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        const auto& [start, end] = g_segments[i++ % g_segments.size()];
        benchmark::DoNotOptimize(BruteForce(start, end));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EveryFace);

class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto it = run.counters.find("items_per_second");
            if (it != run.counters.end()) m_perSecond[run.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_perSecond;
};

// Both ways must give the same answers before their speeds are compared.
int Disagreements() {
    int wrong = 0, hits = 0;
    SegmentQuery query;
    SegmentHit hit;
    for (const auto& [start, end] : g_segments) {
        query.m_pStart = &start;
        query.m_pEnd = &end;
        const bool found = g_IntersectSegment.Intersect(&query, &hit);
        const float t = BruteForce(start, end);
        hits += found;
        const float length = pmath::Length(end - start);
        if (found != (t <= 1.0f) || (found && std::fabs(hit.m_fDistance - t * length) > 1e-3f * length)) ++wrong;
    }
    std::printf("%d of %d segments hit something\n", hits, kQueries);
    return wrong;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    BuildWorld();
    MakeSegments();
    std::printf("World: %d objects, %zu faces\n", kObjects, g_worldCorners.size() / 3);
    const int wrong = Disagreements();
    if (wrong) std::printf("%d segments answered differently by the two ways!\n", wrong);
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    const double boxes = summary.m_perSecond["BM_BoxLevels"], faces = summary.m_perSecond["BM_EveryFace"];
    std::printf("\nthrough the box levels: %.0f queries/s\nevery face walked:      %.1f queries/s\n", boxes, faces);
    if (faces > 0) std::printf("the box levels are %.0fx as fast as the walk (goal: at least 50x)\n", boxes / faces);
    return wrong ? 1 : 0;
}
