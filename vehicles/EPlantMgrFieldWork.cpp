// The field work's per-frame hub and the crop fields' harvest: combines take a slot on every crop
// field while they cut, gather the plants near their cutter bar each frame, cut those the bar
// passes over (filling the grain tank) and leave a straw swath; the player's mower cuts what its
// blades reach. A cut plant is laid flat in its kind's buffer at once.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/FieldVertex.h"
#include "vehicles/PGroundMgr.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/IntersectFilters.h"

namespace {

// The top vertices of a plant's two quads and the bottom vertex each takes its texture row from.
constexpr int kTopVertices[6][2] = {{2, 0}, {3, 0}, {5, 1}, {8, 6}, {9, 6}, {11, 7}};
constexpr float kHarvestLift = 0.3f;
constexpr float kMowingLift = 0.1f;
constexpr double kGrainLimit = 1.2;
constexpr float kBoxMargin = 100.0f;
constexpr float kFrontReach = 8.0f;
constexpr float kReachFactor = 0.7f;
constexpr float kBarStep = 0.25f;
constexpr float kBarStart = 0.5f;
constexpr float kStrawPerPlant = 0.25f;
constexpr float kStrawThreshold = 1.0f;
constexpr float kStrawCap = 3.0f;
constexpr float kStrawPerSwath = 0.4f;
constexpr float kSwathInterval = 0.35f;
constexpr float kChaffInterval = 0.1f;
constexpr float kSwathRay = 8.0f;

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }

bool IsCombine(const EObjectSlot* o) { return o && o->m_hTruck && o->m_hTruck->m_bKombajn; }

// A kind the combines and mowers work: a crop with plants.
bool Workable(const GrassKind& k) { return k.m_bCrop && k.m_bHasPlants && k.dwGrassesDefined != 0; }

bool InsideBox(const DV& p, const DV& min, const DV& max) {
    return p.x >= min.x && p.x <= max.x && p.y >= min.y && p.y <= max.y && p.z >= min.z && p.z <= max.z;
}

float Distance(const DV& a, const DV& b) { return pmath::Length(a - b); }

float DistanceSq(const DV& a, const DV& b) {
    const DV d = a - b;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

FieldVertex* LockKind(gfx::VertexBuffer* buffer, uint32_t kind) {
    void* data = nullptr;
    if (gfx::Failed(buffer->Lock(0, 0, &data, 0)) || !data) {
        g_Console.PrintInt("Failed to lock VB for ", static_cast<int>(kind));
        return nullptr;
    }
    return static_cast<FieldVertex*>(data);
}

}  // namespace

void EPlantMgr::UpdateFieldWork() {
    if (m_dwGrass == 0) return;
    m_fFrameTime = g_Engine.m_fFrameTime;
    m_fRunTime += m_fFrameTime;
    UpdateHarvestProgress();
    UpdateBalingProgress();
    UpdatePloughingProgress();
    UpdatePlantingProgress();
    UpdateSowingProgress();
    UpdateBaleCollectingProgress();
    UpdatePlantingTracks();
    UpdateSowingTracks();
    RecoverFallenBales();
}

void EPlantMgr::RegisterCombine(EObjectSlot* object) {
    if (!IsCombine(object) || m_dwGrass == 0) return;
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        GrassKind& k = m_Grass[i];
        if (!Workable(k)) continue;
        EObjectSlot** end = k.m_pCombines + GrassKind::kCombineSlots;
        if (std::find(k.m_pCombines, end, object) != end) continue;
        EObjectSlot** free = std::find(k.m_pCombines, end, nullptr);
        if (free == end) {
            g_Console.PrintInt("MAX_TNACYCH_KOMBAJNOW overflow for field #", static_cast<int>(i));
            return;
        }
        const auto slot = static_cast<size_t>(free - k.m_pCombines);
        *free = object;
        if (k.pScinalne[slot]) g_Debug.RemoveAlloc(kReachTag);
        k.pScinalne[slot] = std::make_unique<int32_t[]>(kReachEntries);
        std::fill_n(k.pScinalne[slot].get(), kReachEntries, -1);
        g_Debug.AddAlloc(kReachTag);
        g_Console.PrintStr3Int("Rejestruje ", object->m_hTruck->m_szName, " w polu ", static_cast<int>(i));
    }
}

void EPlantMgr::UnregisterCombine(EObjectSlot* object) {
    if (!IsCombine(object)) return;
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        GrassKind& k = m_Grass[i];
        for (int s = 0; s < GrassKind::kCombineSlots; ++s) {
            if (k.m_pCombines[s] != object) continue;
            k.m_pCombines[s] = nullptr;
            if (k.pScinalne[s]) g_Debug.RemoveAlloc(kReachTag);
            k.pScinalne[s].reset();
        }
    }
}

void EPlantMgr::UpdateHarvest() {
    const RouteRecord* route = Route();
    EObjectSlot* vehicle = g_Player.m_pVehicle;
    if (!vehicle || !vehicle->m_hTruck || !route || !(route->m_bMowing || route->m_bGrain)) return;
    const DV effectOffset = DV{0, 0.5f, 0} + g_Player.m_vFront * 0.4f;
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        GrassKind& k = m_Grass[i];
        if (!Workable(k)) continue;
        k.dwSciete = 0;
        for (uint32_t s = 0; s < GrassKind::kCombineSlots; ++s) {
            if (!k.m_pCombines[s]) continue;
            if (k.pScinalne[s]) std::fill_n(k.pScinalne[s].get(), kReachEntries, -1);
            WypelnijScinalne(i, s);
            CutWithCombine(i, s);
            UpdateStrawSwath(i, s);
        }
        if (k.dwSciete == 0) continue;
        // A kind without a buffer (its creation failed) still has its plants cut and counted.
        FieldVertex* locked = nullptr;
        if (k.pVB && !(locked = LockKind(k.pVB.get(), i))) continue;
        for (uint32_t c = 0; c < k.dwSciete; ++c) CutPlant(i, k.m_dwCut[c], locked, 0, effectOffset, kHarvestLift);
        if (locked && gfx::Failed(k.pVB->Unlock())) g_Console.Print("FAILED to unlock Koszenie VB");
    }
}

void EPlantMgr::CutPlant(uint32_t kind, uint32_t index, FieldVertex* locked, float effectLift, const DV& effectOffset,
                         float flatLift) {
    GrassKind& k = m_Grass[kind];
    const Plant& plant = k.pPlants[index];
    k.pScieta[index] = 1;
    const DV at = plant.m_vPosition + effectOffset + DV{0, effectLift, 0};
    g_FXMgr.AddFXByName("e_koszenie", &at, nullptr);
    // The plant's twelve vertices must lie wholly inside the buffer.
    if (!locked || Plant::kVertices * (index + 1) > m_dwGrassVertices[kind]) return;
    FieldVertex* v = locked + Plant::kVertices * index;
    for (const auto& [top, partner] : kTopVertices) {
        v[top].position = DV{plant.m_vVertices[top].x, plant.m_vPosition.y + flatLift, plant.m_vVertices[top].z};
        v[top].colour = 0;
        v[top].v = static_cast<float>(plant.m_uTexCoords[partner] & 0x0F) * 0.125f - 0.1f;
    }
}

void EPlantMgr::WypelnijScinalne(uint32_t kind, uint32_t slot) {
    if (kind >= MAX_GRASS || slot >= GrassKind::kCombineSlots) return;
    GrassKind& k = m_Grass[kind];
    EObjectSlot* combine = k.m_pCombines[slot];
    if (!IsCombine(combine) || !k.pScieta || !k.pFeet || !k.pScinalne[slot]) return;
    EObjectSlot* field = g_Engine.FindObject(k.m_szMeshes[0], false);
    if (!field) {
        g_Console.PrintStr2("Error - WypelnijScinalne nie znalazla mesha pola ", k.m_szMeshes[0]);
        return;
    }
    if (field->Type != OT_MESH) {
        g_Console.PrintStr3("Error - pole ", k.m_szMeshes[0], " nie jest meshem!");
        return;
    }
    const EMesh* mesh = field->Mesh();
    if (!mesh) {
        g_Console.PrintStr3("Error - pole ", k.m_szMeshes[0], " nie ma hM->Object!");
        return;
    }
    DV min = mesh->m_vWorldMin, max = mesh->m_vWorldMax;
    if (!(max.y > min.y)) min.y = max.y;
    min.y -= kBoxMargin;
    max.y += kBoxMargin;
    const Truck& t = *combine->m_hTruck;
    const DV& a = t.m_vCutterBar[0];
    const DV& b = t.m_vCutterBar[1];
    const DV front = (a + b) * 0.5f + combine->m_Orientation.m_Front * kFrontReach;
    if (!InsideBox(a, min, max) && !InsideBox(b, min, max) && !InsideBox(front, min, max)) return;
    const float reach = kReachFactor * Distance(a, b);
    // Every uncut plant of the field is tested each frame: on the packed foot points, by squared
    // distances.
    const float reachSq = reach * reach;
    int32_t* list = k.pScinalne[slot].get();
    uint32_t filled = 0;
    for (uint32_t p = 0; p < k.dwGrassesDefined && filled < kReachEntries; ++p) {
        if (k.pScieta[p]) continue;
        const DV& foot = k.pFeet[p];
        if (DistanceSq(foot, a) < reachSq || DistanceSq(foot, b) < reachSq) list[filled++] = static_cast<int32_t>(p);
    }
}

void EPlantMgr::CutWithCombine(uint32_t kind, uint32_t slot) {
    if (kind >= MAX_GRASS || slot >= GrassKind::kCombineSlots) return;
    GrassKind& k = m_Grass[kind];
    EObjectSlot* combine = k.m_pCombines[slot];
    if (!IsCombine(combine) || !k.pScieta || !k.pScinalne[slot]) return;
    Truck& t = *combine->m_hTruck;
    const bool grain = Route() && Route()->m_bGrain;
    const DV& a = t.m_vCutterBar[0];
    const DV bar = t.m_vCutterBar[1] - a;
    const float length = pmath::Length(bar);
    const DV unit = bar * (1.0f / (length == 0.0f ? 1.0f : length));
    const float reach = grain ? 2.4f : 2.0f;
    const float unitAmount = (grain ? 0.00075f : 0.0006f) * (t.m_bPojemny ? 0.85f : 1.0f);
    int32_t* list = k.pScinalne[slot].get();
    for (float along = kBarStart; along < length - kBarStart; along += kBarStep) {
        DV point = a + unit * along;
        for (uint32_t e = 0; e < kReachEntries; ++e) {
            if (k.dwSciete >= GrassKind::MAX_SCIETYCH_ROSLIN) {
                g_Console.Print("p->dwSciete>=MAX_SCIETYCH_ROSLIN, wychodze");
                break;
            }
            if (list[e] < 0) continue;
            const auto index = static_cast<uint32_t>(list[e]);
            const DV& foot = k.pPlants[index].m_vPosition;
            point.y = foot.y;
            if (Distance(foot, point) > reach) continue;
            k.m_dwCut[k.dwSciete++] = index;
            list[e] = -1;
            t.m_dGrainFill += unitAmount * (length - kBarStart) / 5.0f;
            t.m_fStraw += kStrawPerPlant;
            if (t.m_dGrainFill > kGrainLimit) {
                t.m_dGrainFill = kGrainLimit;
                g_Player.ShowDefeat();
            }
        }
    }
}

void EPlantMgr::UpdateStrawSwath(uint32_t kind, uint32_t slot) {
    if (kind >= MAX_GRASS || slot >= GrassKind::kCombineSlots) return;
    EObjectSlot* combine = m_Grass[kind].m_pCombines[slot];
    if (!IsCombine(combine)) return;
    Truck& t = *combine->m_hTruck;
    if (!(t.m_fStraw > kStrawThreshold)) {
        t.m_fSwathTimer = 0;
        return;
    }
    DV spout = combine->m_vPosition;
    g_Engine.GetObjectSocket(combine, "wysyp", &spout, nullptr);
    if (t.m_fChaffTimer >= 0) g_FXMgr.AddFXByName("e_siano", &spout, nullptr);
    t.m_fChaffTimer -= m_fFrameTime;
    if (t.m_fChaffTimer < -kChaffInterval) t.m_fChaffTimer = 0;
    t.m_fStraw = std::min(t.m_fStraw, kStrawCap);
    t.m_fSwathTimer += m_fFrameTime;
    if (t.m_fSwathTimer < kSwathInterval) return;
    t.m_fSwathTimer = 0;
    t.m_fStraw -= kStrawPerSwath;
    const DV below = spout - DV{0, kSwathRay, 0};
    SegmentQuery query;
    query.m_pStart = &spout;
    query.m_pEnd = &below;
    query.m_pFilter = IntersectFilterFlagged;
    SegmentHit hit;
    if (!g_IntersectSegment.Intersect(&query, &hit)) return;
    const DV& front = combine->m_Orientation.m_Front;
    for (int twice = 0; twice < 2; ++twice) g_GroundMgr.AddGroundEffect(0, &hit.m_vPoint, &front, &hit.m_vNormal);
}

void EPlantMgr::UpdateGrassMowing() {
    EObjectSlot* mower = g_Player.m_pImplement;
    if (!g_Player.m_pVehicle || !mower || !mower->m_hTruck || !mower->m_hTruck->m_bKosa ||
        mower->m_hTruck->m_iMowerSoundState != 1)
        return;
    const bool triple = mower->m_hTruck->m_bKosa3x;
    DV blades[3] = {mower->m_vPosition, {}, {}};
    g_Engine.GetObjectSocket(mower, "kosa", &blades[0], nullptr);
    if (triple) {
        blades[1] = blades[2] = blades[0];
        g_Engine.GetObjectSocket(mower, "kosal", &blades[1], nullptr);
        g_Engine.GetObjectSocket(mower, "kosap", &blades[2], nullptr);
    }
    const int bladeCount = triple ? 3 : 1;
    const float reach = triple ? 2.0f : 2.1f;
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        GrassKind& k = m_Grass[i];
        if (!Workable(k) || !k.pScieta) continue;
        FieldVertex* locked = nullptr;
        if (k.pVB && !(locked = LockKind(k.pVB.get(), i))) continue;
        for (uint32_t p = 0; p < k.dwGrassesDefined; ++p) {
            if (k.pScieta[p]) continue;
            const DV& foot = k.pPlants[p].m_vPosition;
            bool reached = false;
            for (int b = 0; b < bladeCount && !reached; ++b)
                reached = Distance(foot, DV{blades[b].x, foot.y, blades[b].z}) <= reach;
            if (reached) CutPlant(i, p, locked, kMowingLift, DV{}, kMowingLift);
        }
        if (locked && gfx::Failed(k.pVB->Unlock())) g_Console.Print("FAILED to unlock KoszenieTrawy VB");
    }
}

void EPlantMgr::UpdateHarvestProgress() {
    const RouteRecord* route = Route();
    if (!route || !(route->m_bMowing || route->m_bGrassMowing || route->m_bGrain)) return;
    if (!route->m_szField[0]) {
        g_Console.Print("ERROR: Nie zdefiniowano nazwy pola do koszenia w skrypcie tras!");
        return;
    }
    for (uint32_t i = 0; i < m_dwGrass; ++i) {
        const GrassKind& k = m_Grass[i];
        if (strcasecmp(k.m_szMeshes[0], route->m_szField) != 0) continue;
        // A field without plants has nothing to harvest: it shows 0 rather than 0 / 0.
        uint32_t cut = 0;
        if (k.pScieta)
            for (uint32_t p = 0; p < k.dwGrassesDefined; ++p) cut += k.pScieta[p] ? 1 : 0;
        m_fProgress[kHarvest] =
            k.dwGrassesDefined ? std::min(100.0f, 100.0f * static_cast<float>(cut) / static_cast<float>(k.dwGrassesDefined))
                               : 0.0f;
        return;
    }
    g_Console.PrintStr3("ERROR: Nie znaleziono upraw dla pola ", route->m_szField, "!");
}
