// The hay tasks: a baling field strewn with rows of hay swaths (ground marks of kind 1) that the
// player's baler picks up, and a bale-collecting field whose bales the player brings into the
// target box "bele"; bales that fell through the ground come back beside the player.
#include <cmath>
#include <strings.h>

#include "core/EConsole.h"
#include "core/SegmentHit.h"
#include "mesh/EMesh.h"
#include "platform/os/Random.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/PGroundMgr.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

constexpr uint32_t kHayKind = 1;
constexpr float kSwathPointSpacing = 1.6f;
constexpr float kSwathRowSpacing = 6.0f;
constexpr float kSwathJitter = 0.6f;
constexpr float kFieldRay = 50.0f;
constexpr double kBalerFull = 1.2;
constexpr double kHayPerSwath = 0.012;
constexpr float kPickupRange = 10.0f;
constexpr float kUnderSocket = 1.0f;
constexpr float kUnderMiddle = 2.0f;
constexpr float kFallenDepth = 10.0f;
constexpr float kBesidePlayer = 8.0f;
constexpr float kAboveGround = 2.0f;
constexpr const char* kBaleModel = "obiekty\\bala.x";
constexpr const char* kTargetBox = "bele";

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }
bool Baling() { return Route() && Route()->m_bBaling; }
bool BaleCollecting() { return Route() && Route()->m_bBaleCollecting; }

bool IsBale(const EObjectSlot& o) { return o.m_bUsed && strcasestr(o.m_szFileName, kBaleModel); }

DV Flat(DV p) {
    p.y = 0;
    return p;
}

// A random sign times a draw of the 15-bit generator: less than `amplitude` / 2 either way.
float Jitter(float amplitude) {
    const float sign = (plat::Random() & 1) ? 1.0f : -1.0f;
    return sign * static_cast<float>(plat::Random()) * amplitude / 65536.0f;
}

}  // namespace

void EPlantMgr::TworzDaneBelowania() {
    if (!Baling()) return;
    EObjectSlot* field = g_Engine.FindObject(Route()->m_szField, false);
    if (!field) {
        g_Console.Print("FATAL: EPlantMgr::TworzDaneBelowania nie znalazlo pola!");
        return;
    }
    const EMesh* mesh = field->Mesh();
    if (!mesh) return;
    const DV min = mesh->m_vWorldMin, max = mesh->m_vWorldMax;
    // The rows run along the field's longer side.
    const bool alongX = std::fabs(max.x - min.x) > std::fabs(max.z - min.z);
    const float stepX = alongX ? kSwathPointSpacing : kSwathRowSpacing;
    const float stepZ = alongX ? kSwathRowSpacing : kSwathPointSpacing;
    uint32_t added = 0;
    if (max.x > min.x)
        for (float x = min.x; x < max.x; x += stepX)
            for (float z = min.z; z < max.z; z += stepZ) {
                const float jx = Jitter(kSwathJitter);
                const float jz = Jitter(kSwathJitter);
                SegmentHit hit;
                if (!HitFieldBelow(field, DV{x + jx, max.y + 1.0f, z + jz}, kFieldRay, &hit)) continue;
                const DV along{0, 0, 1};
                for (int twice = 0; twice < 2; ++twice) g_GroundMgr.AddGroundEffect(kHayKind, &hit.m_vPoint, &along, &hit.m_vNormal);
                added += 2;
            }
    g_Console.PrintInt("Dane belowania: dodano ", static_cast<int>(added));
}

void EPlantMgr::UpdateBaling() {
    if (!Baling() || !g_Player.m_pVehicle) return;
    EObjectSlot* baler = CoupledImplement();
    if (!baler || !baler->m_hTruck || !baler->m_hTruck->m_bMowingOn) return;
    Truck& t = *baler->m_hTruck;
    if (t.m_dBaleFill >= kBalerFull) {
        g_Player.ShowDefeat();
        return;
    }
    DV s0 = baler->m_vPosition, s1 = baler->m_vPosition;
    g_Engine.GetObjectSocket(baler, "belowanie0", &s0, nullptr);
    g_Engine.GetObjectSocket(baler, "belowanie1", &s1, nullptr);
    s0 = Flat(s0);
    s1 = Flat(s1);
    const DV middle = (s0 + s1) * 0.5f;
    PGroundMgr::Record& hay = g_GroundMgr.m_Records[kHayKind];
    for (uint32_t i = 0; i < hay.m_dwMarks; ++i) {
        const PGroundMgr::Mark& m = hay.m_pMarks[i];
        if (m.m_bRemoved) continue;
        const DV centre = Flat(m.m_vCentre);
        if (pmath::Length(centre - middle) > kPickupRange) continue;
        if (pmath::Length(centre - s0) > kUnderSocket && pmath::Length(centre - middle) > kUnderMiddle &&
            pmath::Length(centre - s1) > kUnderSocket)
            continue;
        g_FXMgr.AddFXByName("e_belowanie", &m.m_vCentre, nullptr);
        t.m_dBaleFill += kHayPerSwath;
        g_GroundMgr.HideMark(kHayKind, i);
    }
}

void EPlantMgr::UpdateBalingProgress() {
    if (!Baling()) return;
    const PGroundMgr::Record& hay = g_GroundMgr.m_Records[kHayKind];
    uint32_t removed = 0;
    for (uint32_t i = 0; i < hay.m_dwMarks; ++i) removed += hay.m_pMarks[i].m_bRemoved ? 1 : 0;
    // A field without swaths shows 0 rather than 0 / 0.
    m_fProgress[kBaling] = hay.m_dwMarks ? 100.0f * static_cast<float>(removed) / static_cast<float>(hay.m_dwMarks) : 0.0f;
}

void EPlantMgr::TworzDaneZbieraniaBeli() {
    if (!BaleCollecting()) return;
    EObjectSlot* field = g_Engine.FindObject(Route()->m_szField, false);
    if (!field) {
        g_Console.PrintStr2("Nie moge znalezc pola do rozrzucenia beli: ", Route()->m_szField);
        return;
    }
    const EMesh* mesh = field->Mesh();
    if (!g_Player.m_pVehicle || !mesh) return;
    g_Console.Print("TworzDaneZbieraniaBeli");
    const DV min = mesh->m_vWorldMin, max = mesh->m_vWorldMax;
    const auto columns = static_cast<uint32_t>((max.x - min.x) / kCellSize) + 1;
    const auto rows = static_cast<uint32_t>((max.z - min.z) / kCellSize) + 1;
    g_Console.PrintInt("dwSz == ", static_cast<int>(columns));
    g_Console.PrintInt("dwWs == ", static_cast<int>(rows));
    g_Console.PrintInt("dwTotal == ", static_cast<int>(columns * rows));
    for (EObjectSlot& o : g_Engine.m_Objects) {
        if (!IsBale(o)) continue;
        o.m_bCollectableBale = 1;
        const DV& p = o.m_vPosition;
        if (!(p.x > min.x && p.x < max.x && p.z > min.z && p.z < max.z)) g_Engine.DeleteObject(&o);
    }
    if (const EObjectSlot* waypoint = g_Engine.FindObject("waypoint", false))
        g_FXMgr.AddFXByName("slalom", &waypoint->m_vPosition, nullptr);
}

void EPlantMgr::RecoverFallenBales() {
    if (!BaleCollecting()) return;
    const DV& player = g_Player.m_vPosition;
    for (EObjectSlot& o : g_Engine.m_Objects) {
        if (!o.m_bUsed || !o.m_bCollectableBale || o.m_vPosition.y > player.y - kFallenDepth) continue;
        DV q{o.m_vPosition.x, player.y, o.m_vPosition.z};
        const DV away = q - player;
        const float distance = pmath::Length(away);
        if (distance < kBesidePlayer) q = player + away * (kBesidePlayer / (distance == 0.0f ? 1.0f : distance));
        q.y = player.y + kBesidePlayer;
        g_Player.DropToGround(&q);
        q.y += kAboveGround;
        g_Engine.SetObjectPosition(&o, q, false);
        g_Console.PrintStr2("Teleportowalem ", o.m_szName);
    }
}

void EPlantMgr::UpdateBaleCollectingProgress() {
    if (!BaleCollecting()) return;
    m_fProgress[kBaleCollecting] = 0;
    m_dwBales = m_dwBalesInside = 0;
    const EObjectSlot* box = g_Engine.FindObject(kTargetBox, false);
    if (!box) {
        g_Console.PrintStr3("Brak markera \"", kTargetBox, "\"");
        return;
    }
    const EMesh* mesh = box->Mesh();
    if (!mesh) {
        g_Console.PrintStr3("Pusty marker \"", kTargetBox, "\"");
        return;
    }
    const DV min = mesh->m_vWorldMin, max = mesh->m_vWorldMax;
    for (const EObjectSlot& o : g_Engine.m_Objects) {
        if (!IsBale(o)) continue;
        ++m_dwBales;
        const DV& p = o.m_vPosition;
        if (p.x > min.x && p.x < max.x && p.y > min.y && p.y < max.y && p.z > min.z && p.z < max.z) ++m_dwBalesInside;
    }
    if (m_dwBales) m_fProgress[kBaleCollecting] = 100.0f * static_cast<float>(m_dwBalesInside) / static_cast<float>(m_dwBales);
}
