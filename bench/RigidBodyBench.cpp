// The engine's own rigid bodies: 20 piles of five loose boxes, each box resting on the one below,
// stand on a gently rolling ground for 10 simulated seconds, so that most contacts are between
// bodies. The counter "realtime" is simulated seconds per wall second, "awake" the bodies still
// moving at the end and "top" the mean height of the piles' top boxes (a pile that stands keeps
// it near 4.5 box heights). Five repetitions, compared by median, as the machine is shared.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <filesystem>
#include <vector>

#include "collision/ECollisionMgr.h"
#include "collision/ECollisionObject.h"
#include "collision/ERigidBodySimulation.h"
#include "collision/RigidBodyHooks.h"
#include "collision/RigidBodyParametersMgr.h"
#include "core/IntersectionTests.h"
#include "platform/os/Files.h"

namespace {

// An engine object as the collision and rigid-body hooks see it.
struct Object {
    CollisionObjectFacts facts;
    CollisionIndices indices;
    std::vector<DV> vertices;
    std::vector<uint16_t> faces;
    DV localMin, localMax;
    DV position;
    double q[4] = {0, 0, 0, 1};
    DV scale{1, 1, 1};
    RigidBodyPhysicsParams params;
    bool inCollision = false;

    EObjectSlot* Handle() { return reinterpret_cast<EObjectSlot*>(this); }
    void Place() {
        const double x = q[0], y = q[1], z = q[2], w = q[3];
        const double R[9] = {1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * w * z,     2 * x * z + 2 * w * y,
                             2 * x * y + 2 * w * z,     1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * w * x,
                             2 * x * z - 2 * w * y,     2 * y * z + 2 * w * x,     1 - 2 * x * x - 2 * y * y};
        const float s[3] = {scale.x, scale.y, scale.z};
        pmath::Matrix& m = facts.world;
        m = pmath::Identity();
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) m.m[i][j] = static_cast<float>(s[i] * R[j * 3 + i]);
        m.m[3][0] = position.x, m.m[3][1] = position.y, m.m[3][2] = position.z;
        DV corners[8];
        TransformBox(localMin, localMax, m, corners, &facts.worldMin, &facts.worldMax);
        facts.centre = position;
        const DV half = (facts.worldMax - facts.worldMin) * 0.5f;
        facts.radiusSq = half.x * half.x + half.y * half.y + half.z * half.z;
        facts.radius = std::sqrt(facts.radiusSq);
    }
};

std::deque<Object> g_objects;

Object& AddMeshObject(const std::vector<DV>& triangleCorners, uint32_t flags) {
    Object& o = g_objects.emplace_back();
    for (const DV& v : triangleCorners) {
        o.localMin = o.vertices.empty() ? v : LowerCorner(o.localMin, v);
        o.localMax = o.vertices.empty() ? v : UpperCorner(o.localMax, v);
        o.faces.push_back(static_cast<uint16_t>(o.vertices.size()));
        o.vertices.push_back(v);
    }
    o.facts.kind = CollisionObjectFacts::MESH;
    o.facts.flags = flags;
    o.facts.indices = &o.indices;
    return o;
}

std::vector<DV> UnitCube() {
    DV c[8];
    const DV min{-0.5f, -0.5f, -0.5f}, max{0.5f, 0.5f, 0.5f};
    GetBoxCorners(&min, &max, c);
    std::vector<DV> out;
    for (const auto& f : BoxFaceTriangles)
        for (int k : f) out.push_back(c[k]);
    return out;
}

std::vector<DV> Hill(int cells, float size, float height) {
    auto at = [&](int i, int k) {
        const float x = (i - cells / 2) * size, z = (k - cells / 2) * size;
        return DV{x, height * std::sin(x * 0.02f) * std::cos(z * 0.015f), z};
    };
    std::vector<DV> out;
    for (int i = 0; i < cells; ++i)
        for (int k = 0; k < cells; ++k)
            for (const DV& v : {at(i, k), at(i, k + 1), at(i + 1, k + 1), at(i, k), at(i + 1, k + 1), at(i + 1, k)})
                out.push_back(v);
    return out;
}

void InstallHooks() {
    g_CollisionHooks.objectFacts = [](EObjectSlot* o) {
        Object* object = reinterpret_cast<Object*>(o);
        return object && object->inCollision ? object->facts : CollisionObjectFacts{};
    };
    g_CollisionHooks.objectGeometry = [](EObjectSlot* o, CollisionGeometry* out) {
        Object* object = reinterpret_cast<Object*>(o);
        out->vertices = reinterpret_cast<const uint8_t*>(object->vertices.data());
        out->vertexCount = static_cast<uint32_t>(object->vertices.size());
        out->stride = sizeof(DV);
        out->indices = object->faces.data();
        out->faceCount = static_cast<uint32_t>(object->faces.size() / 3);
        out->localMin = object->localMin;
        out->localMax = object->localMax;
        out->hasSubsetTable = 0;
        return true;
    };
    g_CollisionHooks.forEachObject = [](void (*visit)(EObjectSlot*, void*), void* context) {
        for (Object& o : g_objects)
            if (o.inCollision) visit(o.Handle(), context);
    };
    g_RigidBodyHooks.createMeshObject = [](const char*, const char*, const DV& position, const double* q,
                                           const DV& scale, uint32_t flags, uint32_t) -> EObjectSlot* {
        Object& o = AddMeshObject(UnitCube(), flags);
        o.position = position;
        std::copy(q, q + 4, o.q);
        o.scale = scale;
        o.Place();
        o.inCollision = true;
        g_CollisionMgr.AddObject(o.Handle());
        return o.Handle();
    };
    g_RigidBodyHooks.deleteObject = [](EObjectSlot* o) {
        g_CollisionMgr.RemoveObject(o);
        reinterpret_cast<Object*>(o)->inCollision = false;
    };
    g_RigidBodyHooks.objectFacts = [](EObjectSlot* o, RigidBodyObjectFacts* out) {
        Object* object = reinterpret_cast<Object*>(o);
        out->isMesh = true;
        out->name = "box";
        out->meshFileName = "models\\box.x";
        out->position = object->position;
        std::copy(object->q, object->q + 4, out->q);
        out->scale = object->scale;
        out->localMin = object->localMin;
        out->localMax = object->localMax;
        out->params = &object->params;
        return true;
    };
    g_RigidBodyHooks.setTransform = [](EObjectSlot* o, const DV& position, const double* q) {
        Object* object = reinterpret_cast<Object*>(o);
        object->position = position;
        std::copy(q, q + 4, object->q);
        object->Place();
        if (object->inCollision) g_CollisionMgr.UpdateObject(o);
    };
}

constexpr int kPiles = 20;
constexpr int kPileHeight = 5;
constexpr float kBox = 32.0f;

// A pile's boxes stand each a little above the one below and turned a little, so that they
// settle onto each other.
void BuildPiles(std::vector<Object*>& tops) {
    Object& ground = AddMeshObject(Hill(24, 40.0f, 1.0f), 0x5);
    ground.Place();
    ground.inCollision = true;
    g_CollisionMgr.AddObject(ground.Handle());
    for (int p = 0; p < kPiles; ++p)
        for (int level = 0; level < kPileHeight; ++level) {
            Object& box = AddMeshObject({}, 0);
            box.localMin = {-kBox / 2, -kBox / 2, -kBox / 2};
            box.localMax = {kBox / 2, kBox / 2, kBox / 2};
            box.position = {static_cast<float>((p % 5 - 2) * 3 * kBox), 2.0f + kBox / 2 + level * (kBox + 0.5f),
                            static_cast<float>((p / 5 - 2) * 3 * kBox)};
            const double turn = 0.05 * level;
            box.q[1] = std::sin(turn / 2);
            box.q[3] = std::cos(turn / 2);
            box.params.m_uBodyKind = 1;
            if (ERigidBodyPhysics* body = g_RigidBodySimulation.AddBody(box.Handle())) body->Activate();
            if (level == kPileHeight - 1) tops.push_back(&box);
        }
}

void BM_PilesRest(benchmark::State& state) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rigid_body_bench";
    std::filesystem::create_directories(dir);
    plat::SetStartDirectory(dir);
    InstallHooks();
    constexpr double kSimulated = 10.0;
    constexpr double kFrame = 1.0 / 60;
    double wall = 0;
    std::vector<Object*> tops;
    for (auto _ : state) {
        state.PauseTiming();
        g_RigidBodySimulation.Shutdown();
        for (Object& o : g_objects)
            if (o.inCollision) g_CollisionMgr.RemoveObject(o.Handle());
        g_objects.clear();
        tops.clear();
        g_RigidBodySimulation.Init();
        BuildPiles(tops);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < static_cast<int>(kSimulated / kFrame); ++frame) g_RigidBodySimulation.Update(kFrame);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    double top = 0;
    for (const Object* o : tops) top += o->position.y / kBox;
    state.counters["realtime"] = kSimulated * static_cast<double>(state.iterations()) / wall;
    state.counters["awake"] = g_RigidBodySimulation.m_uActiveBodies;
    state.counters["top"] = tops.empty() ? 0 : top / static_cast<double>(tops.size());
    g_RigidBodySimulation.Shutdown();
    for (Object& o : g_objects)
        if (o.inCollision) g_CollisionMgr.RemoveObject(o.Handle());
    g_objects.clear();
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_PilesRest)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
