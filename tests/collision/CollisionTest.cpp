#include "CollisionTest.h"

#include <algorithm>
#include <cmath>

#include "collision/ECollisionMgr.h"
#include "collision/ECollisionSweep.h"
#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/IntersectionTests.h"

namespace test {

namespace {

std::deque<FakeObject>* g_objects = nullptr;

FakeObject* Fake(EObjectSlot* o) { return reinterpret_cast<FakeObject*>(o); }

void InstallHooks() {
    g_CollisionHooks.objectFacts = [](EObjectSlot* o) { return o ? Fake(o)->facts : CollisionObjectFacts{}; };
    g_CollisionHooks.objectGeometry = [](EObjectSlot* o, CollisionGeometry* out) {
        FakeObject* f = Fake(o);
        out->vertices = reinterpret_cast<const uint8_t*>(f->vertices.data());
        out->vertexCount = static_cast<uint32_t>(f->vertices.size());
        out->stride = sizeof(DV);
        out->indices = f->faces.data();
        out->faceCount = static_cast<uint32_t>(f->faces.size() / 3);
        out->localMin = f->localMin;
        out->localMax = f->localMax;
        out->hasSubsetTable = f->hasSubsetTable;
        out->subsetCount = static_cast<uint32_t>(f->subsets.size());
        std::copy(f->subsets.begin(), f->subsets.end(), out->subsets);
        return true;
    };
    g_CollisionHooks.forEachObject = [](void (*visit)(EObjectSlot*, void*), void* context) {
        for (FakeObject& f : *g_objects)
            if (f.facts.kind != CollisionObjectFacts::NONE) visit(f.Handle(), context);
    };
}

void ResetCollision() {
    ResetGlobal(g_CollisionMgr);
    ResetGlobal(g_IntersectSegment);
    ResetGlobal(g_CollisionSweep);
}

}  // namespace

void FakeObject::Place(const pmath::Matrix& world) {
    facts.world = world;
    facts.centre = pmath::TransformPoint(DV{}, world);
    if (facts.kind == CollisionObjectFacts::MESH) {
        DV corners[8];
        TransformBox(localMin, localMax, world, corners, &facts.worldMin, &facts.worldMax);
        facts.radiusSq = 0;
        for (const DV& v : vertices) {
            const DV d = pmath::TransformPoint(v, world) - facts.centre;
            facts.radiusSq = std::max(facts.radiusSq, pmath::Dot(d, d));
        }
        facts.radius = std::sqrt(facts.radiusSq);
    } else {
        const float r = facts.radius;
        facts.worldMin = facts.centre - DV{r, r, r};
        facts.worldMax = facts.centre + DV{r, r, r};
    }
    g_IntersectSegment.UpdateEngineObject(Handle());
    g_CollisionMgr.UpdateObject(Handle());
}

std::vector<Triangle> FakeObject::WorldTriangles() const {
    std::vector<Triangle> out;
    for (const Triangle& t : triangles)
        out.push_back({pmath::TransformPoint(t.a, facts.world), pmath::TransformPoint(t.b, facts.world),
                       pmath::TransformPoint(t.c, facts.world)});
    return out;
}

void CollisionTest::SetUp() {
    ConsoleLogTest::SetUp();
    ResetCollision();
    g_objects = &m_objects;
    InstallHooks();
}

void CollisionTest::TearDown() {
    ResetCollision();
    g_CollisionHooks = CollisionHooks{};
    g_objects = nullptr;
    ConsoleLogTest::TearDown();
}

FakeObject& CollisionTest::AddMesh(const std::vector<Triangle>& triangles, const pmath::Matrix& world,
                                   const std::vector<SubsetRun>& subsets, uint32_t flags, uint32_t flags2) {
    FakeObject& f = m_objects.emplace_back();
    f.triangles = triangles;
    for (const Triangle& t : triangles)
        for (const DV& v : {t.a, t.b, t.c}) {
            f.localMin = f.vertices.empty() ? v : LowerCorner(f.localMin, v);
            f.localMax = f.vertices.empty() ? v : UpperCorner(f.localMax, v);
            f.faces.push_back(static_cast<uint16_t>(f.vertices.size()));
            f.vertices.push_back(v);
        }
    const std::vector<SubsetRun> runs =
        subsets.empty() ? std::vector<SubsetRun>{{static_cast<uint32_t>(triangles.size()), 0, 0}} : subsets;
    uint32_t start = 0;
    for (uint32_t i = 0; i < runs.size(); ++i) {
        f.subsets.push_back({i, start, runs[i].faces, runs[i].textureId, runs[i].noIntersect});
        start += runs[i].faces;
    }
    f.facts.kind = CollisionObjectFacts::MESH;
    f.facts.flags = flags;
    f.facts.flags2 = flags2;
    f.facts.indices = &f.indices;
    f.Place(world);
    g_CollisionMgr.AddObject(f.Handle());
    g_IntersectSegment.AddEngineObject(f.Handle());
    return f;
}

FakeObject& CollisionTest::AddSkinMesh(const DV& position, float radius, uint32_t flags, uint32_t flags2) {
    FakeObject& f = m_objects.emplace_back();
    f.facts.kind = CollisionObjectFacts::SKINMESH;
    f.facts.flags = flags;
    f.facts.flags2 = flags2;
    f.facts.indices = &f.indices;
    f.facts.radius = radius;
    f.facts.radiusSq = radius * radius;
    f.Place(Translation(position));
    g_CollisionMgr.AddObject(f.Handle());
    g_IntersectSegment.AddEngineObject(f.Handle());
    return f;
}

void CollisionTest::Remove(FakeObject& object) {
    g_CollisionMgr.RemoveObject(object.Handle());
    g_IntersectSegment.RemoveEngineObject(object.Handle());
    object.facts = CollisionObjectFacts{};
}

bool CollisionTest::Logged(const std::string& line) const {
    const std::vector<std::string> lines = ConsoleLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

pmath::Matrix Translation(const DV& at) {
    pmath::Matrix m = pmath::Identity();
    m.m[3][0] = at.x;
    m.m[3][1] = at.y;
    m.m[3][2] = at.z;
    return m;
}

pmath::Matrix Scaling(const DV& scale) {
    pmath::Matrix m = pmath::Identity();
    m.m[0][0] = scale.x;
    m.m[1][1] = scale.y;
    m.m[2][2] = scale.z;
    return m;
}

std::vector<Triangle> Cube(float h) {
    DV c[8];
    const DV min{-h, -h, -h}, max{h, h, h};
    GetBoxCorners(&min, &max, c);
    static constexpr int kFaces[12][3] = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                          {3, 6, 2}, {3, 7, 6}, {1, 2, 6}, {1, 6, 5}, {0, 4, 7}, {0, 7, 3}};
    std::vector<Triangle> out;
    for (const auto& f : kFaces) out.push_back({c[f[0]], c[f[1]], c[f[2]]});
    return out;
}

std::vector<Triangle> Hill(int cells, float size) {
    auto at = [&](int i, int k) {
        const float x = i * size, z = k * size;
        return DV{x, 3.0f * std::sin(x * 0.3f) * std::cos(z * 0.2f), z};
    };
    std::vector<Triangle> out;
    for (int i = 0; i < cells; ++i)
        for (int k = 0; k < cells; ++k) {
            out.push_back({at(i, k), at(i, k + 1), at(i + 1, k + 1)});
            out.push_back({at(i, k), at(i + 1, k + 1), at(i + 1, k)});
        }
    return out;
}

}  // namespace test
