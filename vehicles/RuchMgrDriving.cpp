// How the computer-driven machines drive: steering along the path within the type's limits, the
// target speed with its catch-up terms and bends, engine force and brake, and contacts between
// the cars and with the player.
#include <algorithm>
#include <cmath>

#include "core/EInput.h"
#include "core/NumericHelpers.h"
#include "platform/os/Random.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/VehiclesHooks.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

constexpr float kMaxDelta = 8.0f;
constexpr float kOpponentForce = 280.0f;
constexpr float kCombineForce = 80.0f;
constexpr float kBrakePerUnit = -90.0f;
constexpr float kCombineStopBrake = 800.0f;
constexpr float kTouchMargin = 0.1f;
constexpr float kImplementMargin = -0.16f;
constexpr float kImpactLift = 0.6f;
constexpr float kBendDot = 0.7f;
constexpr int kBendSamples = 100;

// Steering limits: the pull towards the target point (m) and the whole command (n).
struct SteeringLimits {
    float m, mTight, n, nLoose;
};
constexpr SteeringLimits kOpponentLimits{0.2f, 0.3f, 0.1f, 0.4f};
constexpr SteeringLimits kCombineLimits{0.4f, 0.5f, 0.3f, 0.5f};

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }

}  // namespace

void RuchMgr::BeginDriving(RuchCar& car) {
    car.m_fPhysicsWait += m_fStep;
    car.m_fLaneTimer += m_fStep;
    // The falling-behind rule waits for this to pass 10 s, so it runs while the car drives.
    car.m_fSinceRelocation += m_fStep;
    g_Engine.GetObjectPosition(car.m_pObject, &car.m_vPosition);
    g_Engine.GetObjectOrientation(car.m_pObject, &car.m_Orientation);
    UpdatePlayerRelation(car);
    car.m_vMotion = pmath::Normalize(car.m_vPosition - car.m_vMotionReference) * static_cast<float>(car.m_dSpeed);
    car.m_vMotionReference = car.m_vPosition;
    TrackPath(car);
}

float RuchMgr::SteerAlongPath(RuchCar& car) const {
    const bool opponent = car.m_iType == RuchCar::kOpponent;
    const SteeringLimits& limits = opponent ? kOpponentLimits : kCombineLimits;
    const DV along = FlatUnit(car.m_vAheadPoint - car.m_vPathPoint);
    const DV side = FlatUnit(car.m_Orientation.m_Side);
    const DV front = FlatUnit(car.m_Orientation.m_Front);
    const float a = std::clamp(pmath::Dot(side, along), -0.5f, 0.5f);
    car.m_fAlignment = pmath::Dot(front, along);
    DV target = car.m_vAheadPoint;
    if (opponent) {
        const EOrientation lane = EOrientation::EOrientationFromDirection(&along);
        target = target + lane.m_Side * static_cast<float>(car.m_dDriveOffset);
    }
    const bool tight = car.m_bSharpBend || car.m_dSpeed < 3.0;
    const bool loose = car.m_bSharpBend || car.m_dSpeed < 5.0;
    const float m = tight ? limits.mTight : limits.m;
    const float n = loose ? limits.nLoose : limits.n;
    const float b = std::clamp(pmath::Dot(side, FlatUnit(target - car.m_vPosition)), -m, m) * 0.5f;
    return std::clamp(a + b, -n, n);
}

void RuchMgr::DriveOpponent(RuchCar& car) {
    BeginDriving(car);
    car.m_fSteering = SteerAlongPath(car) + RollCorrection(car);
    OpponentTargetSpeed(car);
    float target = static_cast<float>(car.m_dTargetSpeed);
    if (car.m_fPhysicsWait < 5.0f) target += car.m_fSpeedBonus;
    const float speed = g_Physics.GetTruckSpeed(car.m_pObject);
    car.m_dSpeed = speed;
    if (!m_bRaceStarted) g_Physics.UpdateTruckVisuals(car.m_pObject);
    const Drive drive = OpponentDrive(target, speed, m_bRaceStarted, m_fStep);
    g_Physics.SetTruckDrive(car.m_pObject, drive.force, car.m_fSteering);
    g_Physics.SetTruckBrake(car.m_pObject, drive.brake);
    OpponentContacts(car);
    UpdateHitValue(car);
}

void RuchMgr::DriveCombine(RuchCar& car) {
    BeginDriving(car);
    car.m_fSteering = SteerAlongPath(car);
    CombineTargetSpeed(car);
    const float speed = g_Physics.GetTruckSpeed(car.m_pObject);
    car.m_dSpeed = speed;
    if (!m_bRaceStarted) g_Physics.UpdateTruckVisuals(car.m_pObject);
    const Drive drive = CombineDrive(static_cast<float>(car.m_dTargetSpeed), speed, m_bRaceStarted, m_fStep);
    g_Physics.SetTruckDrive(car.m_pObject, drive.force, car.m_fSteering);
    g_Physics.SetTruckBrake(car.m_pObject, drive.brake);
    CombineContacts(car);
}

RuchMgr::Drive RuchMgr::OpponentDrive(float target, float speed, bool raceStarted, float frameStep) {
    const float delta = raceStarted ? std::min(target - speed, kMaxDelta) : 0.0f;
    Drive d;
    // A slow machine pushes twice as hard to get going.
    if (delta > 0) d.force = (speed >= 5.0f ? 1.0f : 2.0f) * delta * kOpponentForce;
    if (delta < 0) d.brake = delta * kBrakePerUnit * frameStep;
    return d;
}

RuchMgr::Drive RuchMgr::CombineDrive(float target, float speed, bool raceStarted, float frameStep) {
    float delta = raceStarted ? std::min(target - speed, kMaxDelta) : 0.0f;
    if (speed < 3.0f && delta > 0) delta *= 3.6f;
    if (speed < 1.0f && delta > 0) delta *= 2.0f;
    Drive d;
    if (target <= 0) {
        d.brake = kCombineStopBrake;
        return d;
    }
    if (delta > 0) d.force = delta * kCombineForce;
    if (delta < 0) d.brake = delta * kBrakePerUnit * frameStep;
    return d;
}

bool RuchMgr::IsSharpBendAhead(RuchCar& car) {
    car.m_fBendTimer -= m_fStep;
    if (car.m_fBendTimer > 0) return car.m_bSharpBend;
    car.m_fBendTimer = car.m_iType == RuchCar::kCombine ? 0.6f + RandomFloat(0.6f) : 0.2f + RandomFloat(0.2f);
    double from = car.m_dDistance - 2.0, to = car.m_dDistance + 20.0;
    if (from > car.m_dPathLength) from -= car.m_dPathLength;
    if (to > car.m_dPathLength) to -= car.m_dPathLength;
    DV start{0, 0, 1};
    g_BezierMgr.EvaluatePoint(car.m_szPath, from, nullptr, &start);
    start = FlatUnit(start);
    int samples = 0;
    for (double d = from + 1.0; d < to && samples < kBendSamples; d += 1.0, ++samples) {
        DV direction = start;
        g_BezierMgr.EvaluatePoint(car.m_szPath, d, nullptr, &direction);
        if (pmath::Dot(FlatUnit(direction), start) < kBendDot) {
            car.m_bSharpBend = 1;
            return true;
        }
    }
    car.m_bSharpBend = 0;
    return false;
}

bool RuchMgr::OpponentTargetSpeed(RuchCar& car) {
    car.m_fLimitTimer -= m_fStep;
    bool set = false;
    if (car.m_fLimitTimer < 0 || car.m_dSpeed < 0.25) {
        const Truck* truck = car.m_pObject ? car.m_pObject->m_hTruck : nullptr;
        const float klasa = truck ? static_cast<float>(truck->m_iKlasa) : 0.0f;
        float t = 11.0f + RandomFloat(3.0f) - RandomFloat(2.0f) + car.m_fRandomFactor +
                  static_cast<float>(CurrentDifficulty()) * 1.5f - 2.0f + 3.0f * klasa;
        const double gap = car.m_dPathToPlayer;
        // Behind the player: the farther, the harder the car pushes to catch up.
        if (car.m_bPlayerAhead) {
            if (gap > 10.0) t += 1.0f;
            if (gap > 24.0) {
                t += 1.0f;
                if (plat::Random() % 5 == 0) t += 3.0f;
            }
            if (gap > 60.0) t += 2.0f;
            if (gap > 100.0) t += 2.0f;
        } else {
            // Far ahead on a point-to-point race: it waits a little for the player.
            const RouteRecord* route = Route();
            if (!(route && route->m_bLaps)) {
                if (gap > 80.0) t -= 1.0f;
                if (gap > 120.0) t -= 1.0f;
            }
        }
        car.m_dTargetSpeed = t;
        car.m_fLimitTimer = 6.0f;
        set = true;
    }
    if (IsSharpBendAhead(car)) {
        car.m_dTargetSpeed = std::min(car.m_dTargetSpeed, 18.0);
        car.m_fLimitTimer = 2.0f;
    }
    if (car.m_bFinished) car.m_dTargetSpeed = 0.1;
    CheckFallingBehind(car);
    return set;
}

bool RuchMgr::CombineTargetSpeed(RuchCar& car) {
    car.m_fLimitTimer -= m_fStep;
    bool set = false;
    if (car.m_fLimitTimer <= 0 || car.m_dSpeed <= 0.25) {
        const int route = g_RoutesMgr.m_iCurrentRoute;
        car.m_dTargetSpeed = route >= 24 && route <= 35 ? 12.0 : 8.0;
        car.m_fLimitTimer = 0.5f;
        set = true;
    }
    const Truck* truck = car.m_pObject ? car.m_pObject->m_hTruck : nullptr;
    if (truck && truck->m_dGrainFill > 1.02) car.m_dTargetSpeed = 0;
    if (car.m_dDistance + 10.0 > car.m_dPathLength) {
        car.m_dTargetSpeed = 0;
        m_bCombineAtEnd = 1;
    }
    if (IsSharpBendAhead(car)) {
        car.m_dTargetSpeed = std::min(car.m_dTargetSpeed, 4.0);
        car.m_fLimitTimer = 1.0f;
    }
    if (car.m_bFinished) car.m_dTargetSpeed = 0;
    return set;
}

float RuchMgr::RollCorrection(RuchCar& car) {
    bool crowded = car.m_fPlayerDistance < 10.0f;
    for (const RuchCar& other : m_Cars) {
        if (crowded) break;
        if (&other == &car || !other.m_bActive || !other.m_pObject) continue;
        crowded = pmath::Length(other.m_pObject->m_vPosition - car.m_pObject->m_vPosition) < 6.0f;
    }
    if (!crowded) return 0;
    const float r = pmath::Dot(car.m_Orientation.m_Up, FlatUnit(car.m_Orientation.m_Side));
    return r <= -0.1f ? -0.4f : r >= 0.1f ? 0.4f : 0.0f;
}

void RuchMgr::OpponentContacts(RuchCar& car) {
    car.m_fSpeedBonus = std::max(car.m_fSpeedBonus - 0.5f * m_fStep, 0.0f);
    DV point;
    if (car.m_dPathToPlayer <= 100.0 && car.m_fPhysicsWait > 1.0f) {
        for (RuchCar& other : m_Cars) {
            if (&other == &car || !other.m_bActive || !other.m_pObject) continue;
            if (!g_Physics.GetTouchPoint(car.m_pObject, other.m_pObject, &point, kTouchMargin)) continue;
            if (car.m_dSpeed > 1.0) SpawnImpactEffect(point + DV{0, kImpactLift, 0}, true);
            if (other.m_iType == RuchCar::kOpponent) {
                SwitchPhysicsOn(other);
                // The one in front pulls away, the one behind gives way and moves over.
                RuchCar* behind = &car;
                if (car.m_dDistance >= other.m_dDistance) {
                    other.m_dTargetSpeed -= 4.0;
                    other.m_fLimitTimer = 3.0f;
                    behind = &other;
                } else {
                    other.m_dTargetSpeed += 4.0;
                    other.m_fLimitTimer = 5.0f;
                }
                if (behind->m_fLaneTimer > 5.0f) {
                    behind->m_fLaneTimer = 0;
                    behind->m_dDriveOffset = -behind->m_dDriveOffset;
                }
            }
            car.m_fPhysicsWait = 0;
            return;
        }
    }
    EObjectSlot* player = g_Player.m_pVehicle;
    if (!player || !g_Physics.GetTouchPoint(car.m_pObject, player, &point, kTouchMargin)) return;
    car.m_fPhysicsWait = 0;
    g_Player.m_bHit = 1;
    g_Input.PlayEffect(false);
    if (car.m_dSpeed > 1.0 || g_Player.m_fSpeed > 1.0f) {
        SpawnImpactEffect(point + DV{0, kImpactLift, 0}, false);
        g_Player.PlayHitSound(car.m_pObject, point);
    }
    if (car.m_bPlayerAhead) car.m_fSpeedBonus = 3.0f + RandomFloat(1.0f);
}

void RuchMgr::CombineContacts(RuchCar& car) {
    car.m_fSpeedBonus = std::max(car.m_fSpeedBonus - 0.5f * m_fStep, 0.0f);
    EObjectSlot* player = g_Player.m_pVehicle;
    if (!player) return;
    DV point;
    bool touch = g_Physics.GetTouchPoint(car.m_pObject, player, &point, kTouchMargin) ||
                 (g_Player.m_pImplement &&
                  g_Physics.GetTouchPoint(car.m_pObject, g_Player.m_pImplement, &point, kImplementMargin));
    if (const Truck* truck = car.m_pObject->m_hTruck; truck && !touch)
        for (uint32_t i = 0; i < truck->m_uAttachmentCount && i < Truck::kAttachments && !touch; ++i) {
            EObjectSlot* part = truck->m_pAttachments[i];
            touch = part && g_Physics.ObjectsOverlap(part, player, kImplementMargin);
            if (touch) point = part->m_vPosition;
        }
    if (!touch) return;
    car.m_fPhysicsWait = 0;
    g_Player.m_bHit = 1;
    g_Input.PlayEffect(false);
    if (car.m_dSpeed > 1.0 || g_Player.m_fSpeed > 1.0f) {
        SpawnImpactEffect(point + DV{0, kImpactLift, 0}, false);
        g_Player.PlayHitSound(car.m_pObject, point);
        // Running into the combine costs time, and the referee whistles.
        g_Player.m_fRunTime += m_fStep;
        g_VehiclesHooks.blowWhistle(3.0f);
    }
}
