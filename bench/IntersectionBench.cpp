// The inner tests of every segment query and box sweep: a segment against a triangle (hit and the
// cheap rejections) and a triangle against an axis-aligned box.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/IntersectionTests.h"

namespace {

struct Triangle {
    DV a, b, c;
};

// A fixed field of triangles scattered around the unit box, some through it and some apart.
std::vector<Triangle> Field() {
    std::vector<Triangle> triangles;
    for (int i = 0; i < 64; ++i) {
        const float x = static_cast<float>(i % 8) * 0.5f - 1.5f;
        const float z = static_cast<float>(i / 8) * 0.5f - 1.5f;
        const float y = static_cast<float>(i % 5) * 0.3f - 0.2f;
        triangles.push_back({{x, y, z}, {x + 1.2f, y + 0.1f, z}, {x, y - 0.1f, z + 1.2f}});
    }
    return triangles;
}

void SegmentTriangle(benchmark::State& state, DV p0, DV p1) {
    const std::vector<Triangle> triangles = Field();
    for (auto _ : state)
        for (const Triangle& t : triangles)
            benchmark::DoNotOptimize(SegmentTriangleIntersect(&p0, &p1, &t.a, &t.b, &t.c));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(triangles.size()));
}

void BM_SegmentTriangleCrossing(benchmark::State& state) { SegmentTriangle(state, {0.3f, 5, 0.2f}, {0.1f, -5, 0.4f}); }
void BM_SegmentTriangleSameSide(benchmark::State& state) { SegmentTriangle(state, {0.3f, 5, 0.2f}, {0.1f, 3, 0.4f}); }

void BM_SegmentTriangleHit(benchmark::State& state) {
    const std::vector<Triangle> triangles = Field();
    const DV p0{0.3f, 5, 0.2f}, p1{0.1f, -5, 0.4f};
    DV q;
    float t = 0;
    for (auto _ : state)
        for (const Triangle& tri : triangles)
            benchmark::DoNotOptimize(SegmentTriangleHit(&p0, &p1, &tri.a, &tri.b, &tri.c, &q, &t));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(triangles.size()));
}

void BM_TriangleBoxOverlap(benchmark::State& state) {
    const std::vector<Triangle> triangles = Field();
    const DV min{-0.5f, -0.5f, -0.5f}, max{0.5f, 0.5f, 0.5f};
    for (auto _ : state)
        for (const Triangle& t : triangles)
            benchmark::DoNotOptimize(TriangleBoxOverlap(&t.a, &t.b, &t.c, &min, &max));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(triangles.size()));
}

}  // namespace

BENCHMARK(BM_SegmentTriangleCrossing);
BENCHMARK(BM_SegmentTriangleSameSide);
BENCHMARK(BM_SegmentTriangleHit);
BENCHMARK(BM_TriangleBoxOverlap);
