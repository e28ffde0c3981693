// The player's guidance during a run: the HUD's instruction lines with the key to press, the work
// area and the route the player must keep to, the slalom's gates and cones, point objects, the
// combine pouring into the player's trailer and the trailer emptying at the drop point, and the
// roof over the player.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "audio/CSoundMgr.h"
#include "collision/EIntersectSegment.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/EMesh.h"
#include "platform/os/Random.h"
#include "render/EFXInstance.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "vehicles/Truck.h"
#include "vehicles/VehiclesHooks.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

constexpr const char* kKeyR = "[R]:";
constexpr const char* kKeyF = "[F]:";
constexpr const char* kKeyV = "[V]:";
constexpr const char* kNoKey = " ";
constexpr uint32_t kWorkCommand = 49;
constexpr uint32_t kBaleCommand = 50;
constexpr float kZoneSeconds = 5.0f;
constexpr float kOffRouteDistance = 20.0f;
constexpr float kOffRouteSeconds = 3.0f;
constexpr float kGateLift = 2.0f;
constexpr float kGateReach = 2.5f;
constexpr float kPointReach = 30.0f;
constexpr float kTouchMargin = 0.1f;
constexpr float kSlalomPenalty = 15.0f;
constexpr int kPointMoney = 10;
constexpr float kHitDisplaySeconds = 5.0f;
constexpr float kHitSoundPause = 0.2f;
constexpr double kTrailerFull = 1.05;
constexpr double kCombineHasGrain = 0.05;
constexpr float kUnderPipe = 1.0f;
constexpr float kTrailerAhead = 1.5f;
constexpr float kUnloadRate = 0.2f;
constexpr float kUnloadEffectPause = 0.05f;
constexpr float kBarrierReach = 100.0f;

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }

// The tasks worked on a field: leaving the work area loses the run rather than putting the
// machine back.
bool FieldTask(const RouteRecord& r) {
    return r.m_bSlalom || r.m_bBaling || r.m_bPlanting || r.m_bPloughing || r.m_bGrassMowing || r.m_bSowing || r.m_bGrain;
}

void Instruction(const char* key, const char* textKey) { g_VehiclesHooks.addInstruction(key, g_TextMgr.GetText(textKey)); }

float FlatDistance(const DV& a, const DV& b) { return pmath::Length(DV{a.x - b.x, 0, a.z - b.z}); }

// The gate number of a name "s<N>" or "S<N>", or 0.
int GateNumber(const char* name) {
    if ((name[0] != 's' && name[0] != 'S') || !std::isdigit(static_cast<unsigned char>(name[1]))) return 0;
    char* end = nullptr;
    const long n = std::strtol(name + 1, &end, 10);
    return *end == 0 && n >= 1 && n < CPlayer::kGates ? static_cast<int>(n) : 0;
}

void PlayHit(const DV& point, float distance) {
    char name[32];
    std::snprintf(name, sizeof name, "sounds\\hit%d.wav", plat::Random() % 5 + 1);
    g_SoundMgr.PlaySound3DAt(name, &point, distance);
}

// What stands over the player: meshes and skinned meshes other than the machine.
bool RoofCandidate(EObjectSlot* candidate, EObjectSlot* vehicle) {
    return candidate && candidate != vehicle && (candidate->Type == OT_MESH || candidate->Type == OT_SKINMESH) &&
           !candidate->m_bExcluded;
}

}  // namespace

// ---- Instructions ------------------------------------------------------------------------------

void CPlayer::ShowInstructions() {
    if (!m_pVehicle || !m_pVehicle->m_hTruck) return;
    Truck& t = *m_pVehicle->m_hTruck;
    const RouteRecord* route = Route();
    // The combine reads its own keys with its driving; for other machines R and F work what they
    // carry. Each key acts once per press, whatever line it shows.
    const bool workKey = !t.m_bKombajn && Pressed(kWorkCommand);
    const bool baleKey = !t.m_bKombajn && Pressed(kBaleCommand);
    if (route && route->m_bBaleCollecting && t.m_bTur) {
        const int32_t loader = t.m_iFrontLoaderState;
        if (loader == 1) Instruction(kKeyR, ">I34");
        if (loader == 4) Instruction(kKeyR, ">I35");
        if (workKey && (loader == 1 || loader == 4))
            g_Physics.ToggleFrontLoader(m_fFrameTime, m_pVehicle, loader == 1);
    }
    if (t.m_bKombajn) {
        Instruction(kKeyR, t.m_bMowingOn ? ">I06" : ">I05");
        if (!t.m_bStaly) Instruction(kKeyF, t.m_bPipeOut ? ">I08" : ">I07");
        if (t.m_bStaly || t.m_bPipeOut) Instruction(kKeyV, t.m_bUnloading ? ">I10" : ">I09");
        return;
    }
    if (!route || !m_pImplement || !m_pImplement->m_hTruck) return;
    Truck& i = *m_pImplement->m_hTruck;
    if (route->m_bBaling) {
        Instruction(kKeyR, i.m_bMowingOn ? ">I30" : ">I29");
        // The line offers R to set the baler working or stop it.
        if (workKey && i.m_bPrasa) i.m_bMowingOn = !i.m_bMowingOn;
        if (i.m_iBaleState == -1 && !i.m_pBaleInFlight && i.m_dBaleFill > 0.8) {
            const bool slow = m_fSpeed <= 2.0f;
            Instruction(slow ? kKeyF : kNoKey, slow ? ">I19" : ">I18");
            if (slow && baleKey) g_Physics.StartBale(m_pImplement);
        }
        return;
    }
    auto lift = [this, workKey](int32_t state, const char* raised, const char* lowered,
                                void (Physics::*toggle)(EObjectSlot*)) {
        if (state == 4) Instruction(kKeyR, raised);
        if (state == 1) Instruction(kKeyR, lowered);
        if (workKey) (g_Physics.*toggle)(m_pImplement);
    };
    if (route->m_bPloughing) return lift(i.m_iPloughLiftState, ">I21", ">I20", &Physics::TogglePloughLift);
    if (route->m_bPlanting) {
        lift(i.m_iPlanterLiftState, ">I31", ">I32", &Physics::TogglePlanterLift);
        if (i.m_fPlanterFactor <= 0.2f) Instruction(kNoKey, ">I33");
        return;
    }
    if (route->m_bSowing) {
        lift(i.m_iSeederLiftState, ">I39", ">I38", &Physics::ToggleSeederLift);
        if (i.m_fSeederFactor <= 0.2f) Instruction(kNoKey, ">I40");
        return;
    }
    if (route->m_bGrassMowing) return lift(i.m_iMowerSoundState, ">I36", ">I37", &Physics::UpdateMowerSound);
    if (!route->m_bSlalom && !route->m_bGrain && m_fSpeed < 4.0f) Instruction(kKeyR, ">I12");
}

// ---- Zone, route -------------------------------------------------------------------------------

void CPlayer::UpdateZone() {
    m_bOutsideZone = 0;
    EObjectSlot* zone = g_Engine.FindObject("zone", false);
    if (!zone || !g_Settings.m_bUpdateZawody) return;
    DV scale;
    g_Engine.GetObjectScaling(zone, &scale);
    if (pmath::Length(m_vPosition - zone->m_vPosition) <= (scale.x + scale.z) / 2) {
        m_fZoneTimer = 0;
        return;
    }
    m_bOutsideZone = 1;
    m_fZoneTimer += m_fFrameTime;
    if (m_fZoneTimer <= kZoneSeconds) return;
    if (Route() && FieldTask(*Route()))
        ShowDefeat();
    else
        PlaceAtStartPoint(false);
}

void CPlayer::UpdateOffRoute() {
    if (!Route() || !Route()->m_bWithOpponents) return;
    DV onRoute;
    g_BezierMgr.EvaluatePoint(m_szStartPath, m_dDistance, &onRoute, nullptr);
    DropOntoGround(&onRoute, 2.0f, 100.0f);
    const float d = pmath::Length(onRoute - m_vPosition);
    if (d < kOffRouteDistance || !g_Settings.m_bUpdateZawody) {
        m_bOffRoute = 0;
        m_fOffRouteTimer = 0;
        return;
    }
    m_bOffRoute = 1;
    m_fOffRouteTimer += m_fFrameTime;
    if (m_fOffRouteTimer <= kOffRouteSeconds) {
        m_bOffRouteLeft = pmath::Length(onRoute - (m_vPosition + m_vSide)) > d;
        return;
    }
    m_fOffRouteTimer = 0;
    m_bOffRoute = 0;
    PlaceAtStartPoint(false);
}

void CPlayer::UpdateRouteProgress() {
    if (m_dPathLength < 1.0) return;
    DV nearest, atNew, atCurrent;
    double distance = m_dDistance;
    g_BezierMgr.FindNearestPointOnPath(m_szStartPath, m_vPosition, &nearest, &distance);
    g_BezierMgr.EvaluatePoint(m_szStartPath, distance, &atNew, nullptr);
    g_BezierMgr.EvaluatePoint(m_szStartPath, m_dDistance, &atCurrent, nullptr);
    if (pmath::Length(atNew - m_vPosition) < pmath::Length(atCurrent - m_vPosition)) m_dDistance = distance;
}

// ---- Slalom and points -------------------------------------------------------------------------

void CPlayer::SetupSlalom() {
    if (!Route() || !Route()->m_bSlalom) return;
    std::fill_n(m_Gates, kGates, SlalomGate{});
    m_iHighestGate = m_iNextGate = 0;
    m_iGateEffect = -1;
    for (EObjectSlot& o : g_Engine.m_Objects) {
        if (!o.m_bUsed) continue;
        if (strcasestr(o.m_szFileName, "pachlek_kolo")) o.m_bPointObject = 1;
        const int n = GateNumber(o.m_szName);
        if (n == 0) continue;
        DV at = o.m_vPosition;
        DropToGround(&at);
        m_Gates[n] = SlalomGate{1, at + DV{0, kGateLift, 0}};
        m_iHighestGate = std::max(m_iHighestGate, n);
    }
    for (int n = 1; n <= m_iHighestGate && m_iNextGate == 0; ++n)
        if (m_Gates[n].m_bUsed) m_iNextGate = n;
    if (m_iNextGate == 0) return;
    if (EFXInstance* fx = g_FXMgr.AddFXByName("slalom", &m_Gates[m_iNextGate].m_vPosition, nullptr))
        m_iGateEffect = fx->m_iIndex;
    else
        g_Console.Print("Nie dodano FXa slalomu!");
}

void CPlayer::UpdateSlalom() {
    if (!Route() || !Route()->m_bSlalom) return;
    UpdatePointObjects();
    UpdateSlalomGates();
}

// The course finishes when the next gate would be the highest-numbered one: that last gate marks
// the finish line rather than a gate to drive through.
void CPlayer::UpdateSlalomGates() {
    if (m_iNextGate == 0 || !m_pVehicle) return;
    if (m_iNextGate >= m_iHighestGate) return StartFadeOut();
    DV at = m_pVehicle->m_vPosition;
    DropToGround(&at);
    at.y += kGateLift;
    if (pmath::Length(at - m_Gates[m_iNextGate].m_vPosition) > kGateReach) return;
    if (m_iGateEffect >= 0) g_FXMgr.RemoveFX(m_iGateEffect);
    m_iGateEffect = -1;
    do ++m_iNextGate;
    while (m_iNextGate < m_iHighestGate && !m_Gates[m_iNextGate].m_bUsed);
    if (m_iNextGate >= m_iHighestGate) return StartFadeOut();
    if (EFXInstance* fx = g_FXMgr.AddFXByName("slalom", &m_Gates[m_iNextGate].m_vPosition, nullptr))
        m_iGateEffect = fx->m_iIndex;
}

void CPlayer::UpdatePointObjects() {
    if (!m_pVehicle) return;
    m_fHitDisplayTimer = std::max(0.0f, m_fHitDisplayTimer - m_fFrameTime);
    for (EObjectSlot& o : g_Engine.m_Objects) {
        if (!o.m_bUsed || !o.m_bPointObject || o.m_bTouched || pmath::Length(o.m_vPosition - m_vPosition) > kPointReach)
            continue;
        DV point;
        if (!g_Physics.GetTouchPoint(m_pVehicle, &o, &point, kTouchMargin) &&
            !(m_pImplement && g_Physics.GetTouchPoint(m_pImplement, &o, &point, kTouchMargin)))
            continue;
        AddHit(&o, point);
        m_fHitDisplayTimer = kHitDisplaySeconds;
        o.m_bTouched = 1;
    }
}

void CPlayer::AddHit(EObjectSlot*, const DV& point) {
    m_bHit = 1;
    PlayHit(point, 80.0f);
    if (Route() && Route()->m_bSlalom) {
        m_fRunTime += kSlalomPenalty;
    } else {
        g_VehiclesHooks.addWorldIcon("ico_pkty_010.tga", point);
        g_VehiclesHooks.addMoney(kPointMoney);
    }
    g_Input.PlayEffect(false);
}

void CPlayer::PlayHitSound(EObjectSlot*, const DV& point) {
    if (m_fHitSoundTimer <= kHitSoundPause) return;
    m_fHitSoundTimer = 0;
    PlayHit(point, 800.0f);
}

// ---- Grain -------------------------------------------------------------------------------------

// What the combine pours while the trailer is under its pipe goes into the trailer, all of it;
// poured elsewhere it is lost on the ground.
void CPlayer::UpdateCombinePipe() {
    if (!Route() || !Route()->m_bGrain) return;
    EObjectSlot* combine = g_Engine.FindObject("kombajn", false);
    if (!combine || !combine->m_hTruck || !m_pImplement || !m_pImplement->m_hTruck) return;
    Truck& c = *combine->m_hTruck;
    Truck& trailer = *m_pImplement->m_hTruck;
    const double poured = c.m_dGrainPoured;
    c.m_dGrainPoured = 0;
    if (trailer.m_dGrainFill > kTrailerFull) {
        if (c.m_bUnloading) g_Physics.SetCombineUnloading(combine, 0);
        return;
    }
    const DV& at = m_pImplement->m_vPosition;
    const DV ahead = at + m_pImplement->m_Orientation.m_Front * kTrailerAhead;
    const bool under = FlatDistance(at, c.m_vGrainSpout) <= kUnderPipe || FlatDistance(ahead, c.m_vGrainSpout) <= kUnderPipe;
    if (!under) {
        if (c.m_bUnloading) g_Physics.SetCombineUnloading(combine, 0);
        return;
    }
    trailer.m_dGrainFill += poured;
    if (c.m_dGrainFill > kCombineHasGrain && !c.m_bUnloading) g_Physics.SetCombineUnloading(combine, 1);
}

void CPlayer::UpdateGrainUnloading() {
    if (!Route() || !Route()->m_bGrain || !m_pImplement || !m_pImplement->m_hTruck) return;
    const EObjectSlot* waypoint = g_Engine.FindObject("waypoint", false);
    const EMesh* mesh = m_pImplement->Mesh();
    Truck& trailer = *m_pImplement->m_hTruck;
    if (!waypoint || !mesh || !(trailer.m_dGrainFill > 0.001)) return;
    const DV& w = waypoint->m_vPosition;
    const DV &min = mesh->m_vWorldMin, &max = mesh->m_vWorldMax;
    if (w.x < min.x || w.x > max.x || w.z < min.z || w.z > max.z) return;
    trailer.m_dGrainFill = std::max(0.0, trailer.m_dGrainFill - m_fFrameTime * kUnloadRate);
    m_fUnloadEffectTimer += m_fFrameTime;
    if (m_fUnloadEffectTimer < kUnloadEffectPause) return;
    m_fUnloadEffectTimer = 0;
    auto spread = [] { return (static_cast<float>(plat::Random()) / 32767.0f * 2.0f - 1.0f) * 2.0f; };
    const DV at = (min + max) * 0.5f + DV{spread(), 1.0f, spread()};
    g_FXMgr.AddFXByName("e_belowanie", &at, nullptr);
}

// ---- Roof, barrier -----------------------------------------------------------------------------

void CPlayer::UpdateRoofTest() {
    const DV from = m_vPosition + DV{0, 2.0f, 0};
    const DV to = m_vPosition + DV{0, 18.0f, 0};
    SegmentQuery query;
    query.m_pStart = &from;
    query.m_pEnd = &to;
    query.m_pFilter = RoofCandidate;
    query.m_pFilterArgument = m_pVehicle;
    SegmentHit hit;
    m_bCovered = g_IntersectSegment.Intersect(&query, &hit) ? 1 : 0;
}

// The barrier's touch is tested while it is near; nothing acts on the answer yet.
void CPlayer::CheckBarrierContact() {
    if (!m_pVehicle || !m_pBarrierMarker || pmath::Length(m_pBarrierMarker->m_vPosition - m_pVehicle->m_vPosition) > kBarrierReach)
        return;
    DV point;
    g_Physics.GetTouchPoint(m_pVehicle, m_pBarrierMarker, &point, kTouchMargin);
}
