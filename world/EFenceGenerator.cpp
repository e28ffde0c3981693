#include "world/EFenceGenerator.h"

#include <cstdio>
#include <cstring>
#include <numbers>

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/EOrientation.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "platform/os/Random.h"
#include "world/BezierMgr.h"
#include "world/EEngine.h"
#include "world/IntersectFilters.h"

EFenceGenerator g_FenceGenerator;

namespace {

constexpr int kDefaultPrefabs = 8;
constexpr double kStep = 0.5;
constexpr double kShortestRoad = 1.0;
// The probes: down from above the road to the ground, sideways to the road's edge, down again
// at the foot of the edge.
constexpr float kRaise = 2.0f;
constexpr float kGroundDepth = 640.0f;
constexpr float kEdgeReach = 38.0f;
constexpr float kNearestEdge = 0.5f;
constexpr float kEdgeBackOff = 0.125f;
constexpr float kFootDepth = 64.0f;
// A piece is laid once the edge has advanced this part of its length.
constexpr float kFinishPart = 0.8f;
constexpr float kSmallestExtent = 0.01f;
constexpr uint32_t kFenceFlags = 129;
constexpr int32_t kFenceViewDistance = 120;
const DV kFenceParking{0, -80, 0};

// The first scenery hit along the segment (the level's static meshes, no machines).
bool Scenery(const DV& from, const DV& to, DV* point) {
    SegmentQuery query;
    query.m_pStart = &from;
    query.m_pEnd = &to;
    query.m_pFilter = IntersectFilterFlagged;
    SegmentHit hit;
    if (!g_IntersectSegment.Intersect(&query, &hit)) return false;
    *point = hit.m_vPoint;
    return true;
}

}  // namespace

EFenceGenerator::EFenceGenerator() = default;

EFenceGenerator::~EFenceGenerator() = default;

void EFenceGenerator::OnStartWorld() {
    for (Prefabs* side : {&m_LeftPrefabs, &m_RightPrefabs}) {
        *side = Prefabs{};
        side->m_bUse = true;
        for (int i = 0; i < kDefaultPrefabs; ++i)
            std::snprintf(side->m_szFiles[i], kPrefabNameSize, "prefabs\\plotki\\plot%02d.x", i + 1);
        side->m_iCount = kDefaultPrefabs;
    }
    CollectDefinitions();
}

// Fences are laid only by the console command; nothing moves them afterwards.
void EFenceGenerator::Update() {}

// The definitions are objects of the world that ends.
void EFenceGenerator::OnEndWorld() {
    m_iDefinitions = 0;
    m_Left = m_Right = Side{};
}

void EFenceGenerator::CollectDefinitions() {
    m_iDefinitions = 0;
    for (EObjectSlot& o : g_Engine.m_Objects) {
        if (m_iDefinitions == kMaxDefinitions) break;
        if (o.m_bUsed && o.m_pPlotek && (o.m_pPlotek->m_bLeft || o.m_pPlotek->m_bRight))
            m_pDefinitions[m_iDefinitions++] = &o;
    }
}

void EFenceGenerator::Generate() {
    const size_t prefix = std::strlen(m_szPrefix);
    for (EObjectSlot& o : g_Engine.m_Objects)
        if (o.m_bUsed && std::strncmp(o.m_szName, m_szPrefix, prefix) == 0) g_Engine.DeleteObject(&o);
    CollectDefinitions();
    for (BezierNode* node = g_BezierMgr.m_pHead; node; node = node->m_pNextInList)
        if (node->m_bRoadBeginning) GenerujPlotkiBeziera(node);
}

void EFenceGenerator::GenerujPlotkiBeziera(BezierNode* node) {
    g_Console.Print("GenerujPlotkiBeziera");
    if (!node->m_szName[0]) {
        g_Console.Print("Error! Bezier node RoadGenerator MUSI miec unikalna nazwe!");
        return;
    }
    const double length = g_BezierMgr.GetPathLength(node);
    if (length <= kShortestRoad) {
        g_Console.Print("Brak beziera");
        return;
    }
    g_Console.PrintStr3("Nazwa Beziera: \"", node->m_szName, "\"");
    g_Console.PrintDouble("Dlugosc: ", length);
    // Each road starts its fences afresh: a piece never reaches from one road to another.
    Abandon(m_Right);
    Abandon(m_Left);
    for (double d = kStep; d < length; d += kStep) {
        DV point;
        g_BezierMgr.EvaluatePoint(node->m_szName, d, &point, nullptr);
        TakeDefinitionAt(point);
        for (bool left : {false, true}) {
            if ((left ? m_Left : m_Right).m_bActive) ContinueFence(node, d, left);
            else StartFence(node, d, left);
        }
    }
    // A piece the road ended before it was laid stays unmade.
    Abandon(m_Right);
    Abandon(m_Left);
}

void EFenceGenerator::TakeDefinitionAt(const DV& point) {
    for (int i = 0; i < m_iDefinitions; ++i) {
        const EObjectSlot* definition = m_pDefinitions[i];
        if (pmath::Length(definition->m_vPosition - point) > definition->m_fRadius) continue;
        const strPlotek& plotek = *definition->m_pPlotek;
        auto take = [](Prefabs& side, bool use, const char (&files)[kPrefabs][kPrefabNameSize]) {
            side = Prefabs{};
            side.m_bUse = use;
            for (const auto& file : files)
                if (file[0]) std::memcpy(side.m_szFiles[side.m_iCount++], file, kPrefabNameSize);
        };
        take(m_LeftPrefabs, plotek.m_bLeft != 0, plotek.m_szLeft);
        take(m_RightPrefabs, plotek.m_bRight != 0, plotek.m_szRight);
        return;
    }
}

bool EFenceGenerator::PlaceFenceSegment(const BezierNode* road, double distance, bool left, DV* out) {
    DV point, direction;
    g_BezierMgr.EvaluatePoint(road->m_szName, distance, &point, &direction);
    const DV up{0, kRaise, 0};
    DV ground;
    if (!Scenery(point + up, point - DV{0, kGroundDepth, 0}, &ground)) return false;
    const EOrientation along = EOrientation::EOrientationFromDirection(&direction);
    const DV side = left ? -along.m_Side : along.m_Side;
    const DV raised = ground + up;
    DV edge;
    if (!Scenery(raised, raised + side * kEdgeReach, &edge)) return false;
    const float reach = pmath::Length(edge - raised);
    if (reach < kNearestEdge) return false;
    const DV probe = raised + side * (reach - kEdgeBackOff);
    if (!Scenery(probe, probe - DV{0, kFootDepth, 0}, out)) {
        g_Console.PrintVector("Nie znaleziono gruntu pod sciana! ", probe);
        return false;
    }
    return true;
}

bool EFenceGenerator::ChooseFence(Side& side, bool left) {
    const Prefabs& prefabs = left ? m_LeftPrefabs : m_RightPrefabs;
    if (!prefabs.m_bUse || prefabs.m_iCount < 1) return false;
    const int chosen = plat::Random() % prefabs.m_iCount;
    EObjectSlot* fence = g_Engine.CreateObject(OT_MESH, prefabs.m_szFiles[chosen], kFenceFlags, 0, &kFenceParking, nullptr);
    if (!fence) {
        g_Console.PrintStr2("Wylosowalem plotek ", prefabs.m_szFiles[chosen]);
        g_Console.PrintInt(left ? "Lewy. dwKtory wylosowano " : "Prawy. dwKtory wylosowano ", chosen);
        g_Console.PrintInt("Ilosc calkowita == ", prefabs.m_iCount);
        for (int i = 0; i < prefabs.m_iCount; ++i) g_Console.Print(prefabs.m_szFiles[i]);
        return false;
    }
    // The prefix goes before the object's own name; what does not fit the name field is cut.
    char name[sizeof m_szPrefix + EObjectSlot::kNameSize];
    std::snprintf(name, sizeof name, "%s%s", m_szPrefix, fence->m_szName);
    std::memcpy(fence->m_szName, name, sizeof fence->m_szName - 1);
    fence->m_bSpawned = 1;
    EMesh* mesh = fence->Mesh();
    mesh->SetWorldTransform();
    const DV extent = mesh->m_vMax - mesh->m_vMin;
    if (extent.z <= kSmallestExtent || extent.y <= kSmallestExtent) {
        g_Console.PrintFloat("Dlugosc == ", extent.z);
        g_Console.PrintFloat("Wysokosc == ", extent.y);
        g_Engine.DeleteObject(fence);
        return false;
    }
    side.m_pFence = fence;
    side.m_fLength = extent.z;
    side.m_fHeight = extent.y;
    return true;
}

void EFenceGenerator::StartFence(const BezierNode* road, double distance, bool left) {
    Side& side = left ? m_Left : m_Right;
    if (!PlaceFenceSegment(road, distance, left, &side.m_vStart)) return;
    side.m_bActive = ChooseFence(side, left);
}

void EFenceGenerator::ContinueFence(const BezierNode* road, double distance, bool left) {
    Side& side = left ? m_Left : m_Right;
    if (!side.m_pFence) {
        side.m_bActive = false;
        return;
    }
    DV end;
    if (!PlaceFenceSegment(road, distance, left, &end)) {
        Abandon(side);
        return;
    }
    if (pmath::Length(end - side.m_vStart) < kFinishPart * side.m_fLength) return;
    FinishFence(side, end, left);
    side.m_vStart = end;
    side.m_pFence = nullptr;
    side.m_bActive = ChooseFence(side, left);
}

void EFenceGenerator::FinishFence(Side& side, const DV& end, bool left) {
    EObjectSlot* fence = side.m_pFence;
    const float distance = pmath::Length(end - side.m_vStart);
    const DV direction = (end - side.m_vStart) * (1.0f / distance);
    EOrientation orientation = EOrientation::EOrientationFromDirection(&direction);
    if (left) {
        const DV up = orientation.m_Up;
        orientation.RotateAxis(&up, std::numbers::pi_v<float>);
    }
    g_Engine.SetObjectScaling(fence, DV{1, 1, distance / side.m_fLength});
    const DV position = side.m_vStart + direction * (distance / 2) + orientation.m_Up * (side.m_fHeight / 2);
    g_Engine.SetObjectTransform(fence, position, orientation, false, true);
    fence->m_bSpawned = 1;
    g_Engine.SetViewDistance(fence, kFenceViewDistance);
}

void EFenceGenerator::Abandon(Side& side) {
    if (side.m_pFence) g_Engine.DeleteObject(side.m_pFence);
    side = Side{};
}
