// The bare-ground tasks: a grid of 1.4-unit cells laid over the route's field, worked by the
// plough's shares, the seeder or the planter as they pass; the plough leaves a ground mark per
// cell worked, the seeder and planter a continuous strip along their working width. Only one such
// task runs on a route, so the three share the grid and its counters.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "collision/EIntersectSegment.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "platform/os/Random.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/PGroundMgr.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/IntersectFilters.h"

namespace {

constexpr float kFieldRay = 50.0f;
constexpr uint32_t kMaxShares = 10;
constexpr float kShareReach = 1.0f;
constexpr float kMinPloughReach = 1.2f;
constexpr float kSeederReach = 2.6f;
constexpr float kPlanterReach = 3.0f;
constexpr float kSeedPerCell = 0.001f;
constexpr float kPotatoesPerCell = 0.0014f;
constexpr uint32_t kPloughedKind = 2;
constexpr float kTrackLift = 0.05f;
constexpr float kSegmentLength = 2.0f;
constexpr const char* kSowingFieldMissing = "Nie moge znalezc pola do sadzenia: ";

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }

DV Flat(DV p) {
    p.y = 0;
    return p;
}

float Distance(const DV& a, const DV& b) { return pmath::Length(a - b); }

bool Lowered(int32_t liftState) { return liftState == 1; }

}  // namespace

bool EPlantMgr::HitFieldBelow(EObjectSlot* field, const DV& from, float length, SegmentHit* hit) {
    const DV to = from - DV{0, length, 0};
    SegmentQuery query;
    query.m_pStart = &from;
    query.m_pEnd = &to;
    query.m_pFilter = IntersectFilterOnlyTargetAny;
    query.m_pFilterArgument = field;
    return g_IntersectSegment.Intersect(&query, hit);
}

EObjectSlot* EPlantMgr::CoupledImplement() {
    const EObjectSlot* vehicle = g_Player.m_pVehicle;
    EObjectSlot* implement = vehicle && vehicle->m_hTruck ? vehicle->m_hTruck->m_pPartner : nullptr;
    if (!implement) g_Console.Print("Nie widze przyczepy!");
    return implement;
}

void EPlantMgr::CreatePloughingGround() {
    if (Route() && Route()->m_bPloughing) CreateGround("Nie moge znalezc pola do orania: ");
}

void EPlantMgr::CreateSowingGround() {
    if (Route() && Route()->m_bSowing) CreateGround(kSowingFieldMissing);
}

void EPlantMgr::CreatePlantingGround() {
    if (Route() && Route()->m_bPlanting) CreateGround(kSowingFieldMissing);
}

void EPlantMgr::CreateGround(const char* missingField) {
    EObjectSlot* field = g_Engine.FindObject(Route()->m_szField, false);
    if (!field) {
        g_Console.PrintStr2(missingField, Route()->m_szField);
        return;
    }
    const EMesh* mesh = field->Mesh();
    if (!g_Player.m_pVehicle || !mesh) return;
    const DV min = mesh->m_vWorldMin, max = mesh->m_vWorldMax;
    const auto columns = static_cast<uint32_t>((max.x - min.x) / kCellSize) + 1;
    const auto rows = static_cast<uint32_t>((max.z - min.z) / kCellSize) + 1;
    g_Console.PrintInt("dwSz == ", static_cast<int>(columns));
    g_Console.PrintInt("dwWs == ", static_cast<int>(rows));
    g_Console.PrintInt("dwTotal == ", static_cast<int>(columns * rows));
    m_dwGroundColumns = columns;
    m_dwGroundRows = rows;
    m_dwGroundCells = columns * rows;
    if (m_pGround) g_Debug.RemoveAlloc(kGroundTag);
    m_pGround = std::make_unique<GroundCell[]>(m_dwGroundCells);
    g_Debug.AddAlloc(kGroundTag);
    m_dwValidCells = m_dwWorkedCells = 0;
    if (!(max.z > min.z)) {
        g_Console.PrintInt("Wertexow: ", 0);
        return;
    }
    // The positions are summed step by step, and float rounding can give the sum one step more
    // than the grid has: the loops stop at the grid's own columns and rows too.
    uint32_t valid = 0;
    uint32_t r = 0;
    for (float z = min.z; z < max.z && r < rows; z += kCellSize, ++r) {
        uint32_t c = 0;
        for (float x = min.x; x < max.x && c < columns; x += kCellSize, ++c) {
            SegmentHit hit;
            if (!HitFieldBelow(field, DV{x, max.y + 1.0f, z}, kFieldRay, &hit)) continue;
            GroundCell& cell = m_pGround[r * columns + c];
            cell.m_bValid = 1;
            cell.m_vPoint = hit.m_vPoint;
            cell.m_dwIndex = valid++;
        }
    }
    g_Console.PrintInt("Wertexow: ", static_cast<int>(valid));
}

void EPlantMgr::UpdatePloughing() {
    if (!Route() || !Route()->m_bPloughing || !g_Player.m_pVehicle || !m_pGround) return;
    EObjectSlot* plough = CoupledImplement();
    if (!plough || !plough->m_hTruck || !plough->m_hTruck->m_bPlug) return;
    const int32_t lift = plough->m_hTruck->m_iPloughLiftState;
    if (lift != 1 && lift != -1) return;
    m_dwValidCells = m_dwWorkedCells = 0;
    DV shares[kMaxShares];
    uint32_t shareCount = 0;
    char socket[16];
    for (; shareCount < kMaxShares; ++shareCount) {
        std::snprintf(socket, sizeof socket, "plug%u", shareCount);
        if (!g_Engine.GetObjectSocket(plough, socket, &shares[shareCount], nullptr)) break;
        shares[shareCount] = Flat(shares[shareCount]);
    }
    if (shareCount == 0) {
        g_Console.Print("Brak lemieszy plugu!");
        return;
    }
    const float reach = std::max(1.5f * Distance(shares[0], shares[shareCount - 1]), kMinPloughReach);
    const DV& front = plough->m_Orientation.m_Front;
    const DV up{0, 1, 0};
    for (uint32_t i = 0; i < m_dwGroundCells; ++i) {
        GroundCell& cell = m_pGround[i];
        if (!cell.m_bValid) continue;
        ++m_dwValidCells;
        if (cell.m_bWorked) {
            ++m_dwWorkedCells;
            continue;
        }
        const DV at = Flat(cell.m_vPoint);
        if (Distance(at, shares[0]) > reach) continue;
        for (uint32_t s = 0; s < shareCount; ++s) {
            if (Distance(at, shares[s]) > kShareReach) continue;
            cell.m_bWorked = 1;
            g_GroundMgr.AddGroundEffect(kPloughedKind, &cell.m_vPoint, &front, &up);
            g_FXMgr.AddFXByName("e_oranie", &cell.m_vPoint, nullptr);
        }
    }
}

void EPlantMgr::UpdateSowing() {
    if (!Route() || !Route()->m_bSowing || !g_Player.m_pVehicle || !m_pGround) return;
    EObjectSlot* seeder = CoupledImplement();
    if (!seeder || !seeder->m_hTruck || !Lowered(seeder->m_hTruck->m_iSeederLiftState)) return;
    Truck& t = *seeder->m_hTruck;
    m_dwValidCells = m_dwWorkedCells = 0;
    DV left = seeder->m_vPosition, right = seeder->m_vPosition;
    g_Engine.GetObjectSocket(seeder, "siewnikl", &left, nullptr);
    g_Engine.GetObjectSocket(seeder, "siewnikr", &right, nullptr);
    const DV middle = Flat((left + right) * 0.5f);
    const DV p1 = t.m_bSiewnikDuzy ? Flat(left + (right - left) * 0.2f) : middle;
    const DV p2 = t.m_bSiewnikDuzy ? Flat(left + (right - left) * 0.8f) : middle;
    for (uint32_t i = 0; i < m_dwGroundCells; ++i) {
        GroundCell& cell = m_pGround[i];
        if (!cell.m_bValid) continue;
        ++m_dwValidCells;
        if (cell.m_bWorked) {
            ++m_dwWorkedCells;
            continue;
        }
        const DV at = Flat(cell.m_vPoint);
        if (Distance(at, middle) > kSeederReach && Distance(at, p1) > kSeederReach && Distance(at, p2) > kSeederReach)
            continue;
        if (t.m_fSeederFactor > 0) {
            cell.m_bWorked = 1;
            t.m_fSeederFactor = std::max(0.0f, t.m_fSeederFactor - kSeedPerCell);
        }
        for (const DV* at3 : {&cell.m_vPoint, &left, &right}) g_FXMgr.AddFXByName("e_belowanie", at3, nullptr);
    }
}

void EPlantMgr::UpdatePlanting() {
    if (!Route() || !Route()->m_bPlanting || !g_Player.m_pVehicle || !m_pGround) return;
    EObjectSlot* planter = CoupledImplement();
    if (!planter || !planter->m_hTruck || !Lowered(planter->m_hTruck->m_iPlanterLiftState)) return;
    Truck& t = *planter->m_hTruck;
    m_dwValidCells = m_dwWorkedCells = 0;
    DV spout = planter->m_vPosition;
    g_Engine.GetObjectSocket(planter, "ziemniaki", &spout, nullptr);
    spout = Flat(spout);
    for (uint32_t i = 0; i < m_dwGroundCells; ++i) {
        GroundCell& cell = m_pGround[i];
        if (!cell.m_bValid) continue;
        ++m_dwValidCells;
        if (cell.m_bWorked) {
            ++m_dwWorkedCells;
            continue;
        }
        if (Distance(Flat(cell.m_vPoint), spout) > kPlanterReach) continue;
        if (t.m_fPlanterFactor > 0) {
            cell.m_bWorked = 1;
            t.m_fPlanterFactor = std::max(0.0f, t.m_fPlanterFactor - kPotatoesPerCell);
        }
        g_FXMgr.AddFXByName("e_belowanie", &cell.m_vPoint, nullptr);
    }
}

void EPlantMgr::UpdateGroundProgress(uint8_t taskFlag, Progress progress) {
    if (!taskFlag || m_dwValidCells == 0) return;
    m_fProgress[progress] = 100.0f * static_cast<float>(m_dwWorkedCells) / static_cast<float>(m_dwValidCells);
}

void EPlantMgr::UpdatePloughingProgress() {
    if (Route()) UpdateGroundProgress(Route()->m_bPloughing, kPloughing);
}

void EPlantMgr::UpdateSowingProgress() {
    if (Route()) UpdateGroundProgress(Route()->m_bSowing, kSowing);
}

void EPlantMgr::UpdatePlantingProgress() {
    if (Route()) UpdateGroundProgress(Route()->m_bPlanting, kPlanting);
}

bool EPlantMgr::ProjectOntoField(DV* point) {
    EObjectSlot* field = Route() ? g_Engine.FindObject(Route()->m_szField, false) : nullptr;
    if (!field) {
        g_Console.PrintStr2(kSowingFieldMissing, Route() ? Route()->m_szField : "");
        return false;
    }
    SegmentHit hit;
    if (!HitFieldBelow(field, *point + DV{0, 1, 0}, 9.0f, &hit)) return false;
    *point = hit.m_vPoint;
    return true;
}

void EPlantMgr::UpdatePlantingTracks() {
    if (Route() && Route()->m_bPlanting && g_Player.m_pVehicle) UpdateTracks(true);
}

void EPlantMgr::UpdateSowingTracks() {
    if (Route() && Route()->m_bSowing && g_Player.m_pVehicle) UpdateTracks(false);
}

void EPlantMgr::UpdateTracks(bool planter) {
    EObjectSlot* implement = CoupledImplement();
    if (!implement || !implement->m_hTruck) return;
    Truck& t = *implement->m_hTruck;
    const DV& front = implement->m_Orientation.m_Front;
    const DV& side = implement->m_Orientation.m_Side;
    DV left, right;
    bool large;
    bool lowered;
    if (planter) {
        DV spout = implement->m_vPosition;
        g_Engine.GetObjectSocket(implement, "ziemniaki", &spout, nullptr);
        const DV centre = spout + front * 1.8f;
        const DV spacing = side * (t.m_bSadzarkaDuza ? 3.2f : 1.2f);
        left = centre - spacing;
        right = centre + spacing;
        large = t.m_bSadzarkaDuza;
        lowered = Lowered(t.m_iPlanterLiftState);
    } else {
        left = right = implement->m_vPosition;
        g_Engine.GetObjectSocket(implement, "siewnikl", &left, nullptr);
        g_Engine.GetObjectSocket(implement, "siewnikr", &right, nullptr);
        left = left + front * 1.4f - side * 0.4f;
        right = right + front * 1.4f + side * 0.4f;
        large = t.m_bSiewnikDuzy;
        lowered = Lowered(t.m_iSeederLiftState);
    }
    const bool leftHit = ProjectOntoField(&left);
    const bool rightHit = ProjectOntoField(&right);
    const float lift = large ? 0.12f : 0.06f;
    left.y += static_cast<float>(plat::Random()) / 32768.0f * kTrackLift + lift;
    right.y += static_cast<float>(plat::Random()) / 32768.0f * kTrackLift + lift;
    auto addStrip = [&] { planter ? g_GroundMgr.AddPlantingStrip(&t) : g_GroundMgr.AddSowingStrip(&t); };
    const DV raise{0, kTrackLift, 0};
    if (t.m_bTrackOpen && !((leftHit || rightHit) && lowered)) {
        t.m_vTrackEnds[0] = DV{left.x, t.m_vPreviousTrackEnds[0].y + kTrackLift, left.z};
        t.m_vTrackEnds[1] = DV{right.x, t.m_vPreviousTrackEnds[1].y + kTrackLift, right.z};
        t.m_bTrackOpen = 0;
        addStrip();
    }
    if (!lowered || !(leftHit || rightHit)) return;
    if (!leftHit) left.y = right.y;
    if (!rightHit) right.y = left.y;
    if (!t.m_bTrackOpen) {
        t.m_vPreviousTrackEnds[0] = left + raise;
        t.m_vPreviousTrackEnds[1] = right + raise;
        t.m_bTrackOpen = 1;
        return;
    }
    t.m_vTrackEnds[0] = left + raise;
    t.m_vTrackEnds[1] = right + raise;
    if (Distance(t.m_vTrackEnds[0], t.m_vPreviousTrackEnds[0]) > kSegmentLength ||
        Distance(t.m_vTrackEnds[1], t.m_vPreviousTrackEnds[1]) > kSegmentLength) {
        addStrip();
        t.m_vPreviousTrackEnds[0] = t.m_vTrackEnds[0];
        t.m_vPreviousTrackEnds[1] = t.m_vTrackEnds[1];
    }
}
