// What the coupled implement does to the player's driving: a working implement narrows the
// steering, limits the speed and holds the machine back; in the field the implement shakes as the
// machine drives; a grain trailer brakes by its load.
#include <cmath>

#include "core/NumericHelpers.h"
#include "platform/os/Random.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "world/CRoutesMgr.h"
#include "world/EObjectSlot.h"

namespace {

constexpr float kWorkingSteeringLimit = 0.15707964f;  // 0.05 pi: a plough or planter in the ground
constexpr float kMowingSteeringLimit = 0.37699112f;   // 0.12 pi
constexpr float kSowingSteeringLimit = 0.25132743f;   // 0.08 pi
constexpr float kShakeSpeed = 1.0f;
constexpr float kShakeLift = 0.3f;
constexpr float kShakeSize = 24.0f;
constexpr float kGrainBrakeFrom = 0.2f;
constexpr float kGrainBrakePerFill = 16.0f;

bool FieldWorkRoute(const RouteRecord* r) { return r && (r->m_bPloughing || r->m_bPlanting || r->m_bSowing); }

bool PloughDown(const Truck* t) { return t->m_bPlug && (t->m_iPloughLiftState == 1 || t->m_iPloughLiftState == -1); }

}  // namespace

Truck* CPlayer::CoupledImplement() const {
    Truck* t = m_pImplement ? m_pImplement->m_hTruck : nullptr;
    return t && m_pVehicle && t->m_pPartner == m_pVehicle ? t : nullptr;
}

float CPlayer::ImplementSteeringLimit(float limit) const {
    const Truck* t = CoupledImplement();
    if (!t || !FieldWorkRoute(g_RoutesMgr.m_pCurrentRoute)) return limit;
    if (PloughDown(t) || (t->m_bSadzarka && t->m_iPlanterLiftState == 1))
        limit = kWorkingSteeringLimit;
    if (t->m_bKosa && t->m_iMowerSoundState == 1) limit = kMowingSteeringLimit;
    if (t->m_bSiewnik && t->m_iSeederLiftState == 1) limit = kSowingSteeringLimit;
    return limit;
}

// Later lines win: each working implement sets its own speed limit and the brake it drags with.
CPlayer::WorkingLimits CPlayer::ImplementWorkingLimits(float load) const {
    WorkingLimits w;
    const Truck* vehicle = m_pVehicle ? m_pVehicle->m_hTruck : nullptr;
    const Truck* t = CoupledImplement();
    auto set = [&w](float limit, float brake) {
        w.working = true;
        w.speedLimit = limit;
        w.baseBrake = brake;
    };
    if (t && t->m_bMowingOn) set(14, load * 3 + 10);
    if (vehicle && vehicle->m_bKombajn && vehicle->m_bMowingOn) set(6, load * 3 + 15);
    if (!t) return w;
    if (PloughDown(t)) {
        set(12, load * 3 + 10);
        w.steeringOffset = t->m_iPloughLiftState == 1 ? 0.01f : -0.01f;
        w.ploughDrag = true;
    }
    if (t->m_bKosa && t->m_iMowerSoundState == 1) set(8, load * 3 + 11);
    if (t->m_bSadzarka && t->m_iPlanterLiftState == 1) set(12, load * 3 + 10);
    if (t->m_bSiewnik && t->m_iSeederLiftState == 1) set(8, load * 3 + 12);
    return w;
}

bool CPlayer::BalerBusy() const {
    const RouteRecord* r = g_RoutesMgr.m_pCurrentRoute;
    const Truck* t = CoupledImplement();
    return r && r->m_bBaling && t && t->m_bPrasa && t->m_iBaleState == 0;
}

// The working implement jolts sideways now and then, more often the slower the machine goes.
void CPlayer::ShakeImplement(float dt) {
    const RouteRecord* r = g_RoutesMgr.m_pCurrentRoute;
    Truck* t = CoupledImplement();
    if (!r || !t || m_fSpeed < kShakeSpeed) return;
    const bool ploughing = r->m_bPloughing && PloughDown(t);
    const bool planting = r->m_bPlanting && t->m_bSadzarka && t->m_iPlanterLiftState == 1;
    const bool sowing = r->m_bSowing && t->m_bSiewnik && t->m_iSeederLiftState == 1;
    if (!ploughing && !planting && !sowing) return;
    m_fShakeTimer -= dt;
    if (m_fShakeTimer > 0) return;
    float wait;
    if (m_fSpeed < 2) wait = RandomFloat(2) * 2.5f;
    else if (m_fSpeed < 4) wait = RandomFloat(2) * 2;
    else if (m_fSpeed < 6) wait = RandomFloat(2) * 1.5f;
    else if (m_fSpeed < 8) wait = RandomFloat(1.5f) * 1.5f;
    else wait = RandomFloat(1.5f);
    if (!ploughing) wait *= 0.2f;
    m_fShakeTimer = wait;
    const float sign = plat::Random() & 1 ? 1.0f : -1.0f;
    const float size = RandomFloat(30) * kShakeSize * (ploughing ? 0.15f : 0.16f);
    const DV impulse = (m_vSide * sign + DV{0, kShakeLift, 0}) * size;
    g_Physics.ApplyImpulseToObject(m_pImplement, &impulse);
}

// As built, the trailer's controls are applied while it was never released: its wheels get the
// held brake and no steering until the next step steers them after the tractor again.
void CPlayer::BrakeGrainTrailer() {
    const RouteRecord* r = g_RoutesMgr.m_pCurrentRoute;
    Truck* t = CoupledImplement();
    if (!r || !r->m_bGrain || !t) return;
    const float fill = static_cast<float>(t->m_dGrainFill);
    g_Physics.SetTruckBrake(m_pImplement, fill > kGrainBrakeFrom ? (fill - kGrainBrakeFrom) * kGrainBrakePerFill : 0.0f);
    g_Physics.SetTruckControls(m_pImplement);
}
