// A computer-driven machine that gets stuck (facing back, upside down, standing, off the road or
// hopelessly behind) is taken out of physics, moved back along its path to a free spot, and
// blinks until it can rejoin without landing on anyone.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/NumericHelpers.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "vehicles/RuchMgr.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

constexpr float kRuleTime = 0.5f;
constexpr float kStandingTime = 2.0f;
constexpr float kStandingSpeed = 0.15f;
constexpr float kPlayerNear = 10.0f;
constexpr float kRoadAbove = 10.0f;
constexpr float kRoadBelow = 640.0f;
constexpr float kGoodHeight = 1.0f;
constexpr double kSpotClearance = 12.0;
constexpr int kSpotTries = 64;
constexpr float kReturnTime = 0.5f;
constexpr float kBlinkPeriod = 0.15f;
constexpr float kOtherCarNear = 6.0f;
constexpr float kTouchMargin = 0.1f;
constexpr float kGroundLift = 0.4f;

}  // namespace

void RuchMgr::FireFlicker(RuchCar& car, const char* why) {
    g_Console.PrintStr2(car.m_pObject->m_szName, why);
    StartFlicker(car);
}

bool RuchMgr::RoadBelow(RuchCar& car, bool timersGrew) {
    DV hit;
    const DV& p = car.m_vPosition;
    if (!GroundHit(p + DV{0, kRoadAbove, 0}, p - DV{0, kRoadBelow, 0}, car.m_pObject, &hit, nullptr)) return false;
    // Upright and on the road here: a place to come back to.
    if (!timersGrew && pmath::Length(hit - p) <= kGoodHeight) car.m_dGoodDistance = car.m_dDistance;
    return true;
}

bool RuchMgr::TurnedRules(RuchCar& car, bool* grew) {
    // Facing back is only a fault away from the player and after no recent hit.
    if (car.m_fAlignment < 0 && car.m_fPlayerDistance > kPlayerNear && car.m_fHitValue <= 0) {
        car.m_fBackwardsTimer += m_fStep;
        *grew = true;
        if (car.m_fBackwardsTimer > kRuleTime) {
            car.m_fBackwardsTimer = 0;
            FireFlicker(car, " za dlugo do tylu - wlaczam migotanie!");
            return true;
        }
    } else {
        car.m_fBackwardsTimer = 0;
    }
    if (pmath::Dot(car.m_Orientation.m_Up, DV{0, 1, 0}) < 0) {
        car.m_fUpsideDownTimer += m_fStep;
        *grew = true;
        if (car.m_fUpsideDownTimer > kRuleTime) {
            car.m_fUpsideDownTimer = 0;
            FireFlicker(car, " do gory nogami - wlaczam migotanie!");
            return true;
        }
    } else {
        car.m_fUpsideDownTimer = 0;
    }
    return false;
}

void RuchMgr::CheckFlickerRules(RuchCar& car) {
    EObjectSlot* o = car.m_pObject;
    if (!o || !o->m_bUsed || PlayerFinished() || !m_bRaceStarted || !g_CoreHooks.gameKeyInputEnabled()) return;
    bool grew = false;
    if (TurnedRules(car, &grew)) return;
    // The start's countdown holds everyone still: no standing time is collected then.
    if (g_Player.m_iCountdown >= 0 || car.m_dSpeed >= kStandingSpeed) car.m_fLowSpeedTimer = 0;
    else car.m_fLowSpeedTimer += m_fStep;
    // A car that has finished stands at the end of its road on purpose: it is not stuck.
    if (car.m_fPlayerDistance > kPlayerNear && car.m_fLowSpeedTimer > kStandingTime && !car.m_bFinished) {
        car.m_fLowSpeedTimer = 0;
        return FireFlicker(car, " za dlugo stoi - wlaczam migotanie!");
    }
    if (!RoadBelow(car, grew)) FireFlicker(car, " nie nad droga - wlaczam migotanie!");
}

void RuchMgr::CheckCombineFlickerRules(RuchCar& car) {
    EObjectSlot* o = car.m_pObject;
    if (!o || !o->m_bUsed || !g_CoreHooks.gameKeyInputEnabled()) return;
    bool grew = false;
    if (TurnedRules(car, &grew)) return;
    // The combine keeps driving over a gap; only the place to come back to is kept.
    RoadBelow(car, grew);
}

void RuchMgr::CheckFallingBehind(RuchCar& car) {
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    if (car.m_fSinceRelocation <= 10.0f || (route && route->m_bLaps) || !car.m_bPlayerAhead ||
        car.m_dPathToPlayer <= 100.0 || car.m_fPlayerDistance <= 80.0f || !car.m_pObject)
        return;
    g_Console.PrintStr3("Wlaczam migotanie ", car.m_pObject->m_szName, ", bo za daleko z tylu!");
    StartFlicker(car);
    car.m_fSinceRelocation = 0;
}

double RuchMgr::FindFreeSpot(const RuchCar& car, double c) {
    for (int i = 0; i < kSpotTries; ++i) {
        DV point;
        g_BezierMgr.EvaluatePoint(car.m_szPath, c, &point, nullptr);
        if (pmath::Length(point - g_Player.m_vPosition) >= kSpotClearance) {
            const bool taken = std::any_of(std::begin(m_Cars), std::end(m_Cars), [&](const RuchCar& other) {
                return &other != &car && other.m_bActive && other.m_pObject &&
                       pmath::Length(other.m_pObject->m_vPosition - point) < kSpotClearance;
            });
            if (!taken || c - 2.0 < 0) return c;
        }
        // The path has no place before its start.
        if (c <= 0) return 0;
        c = std::max(c - 1.0, 0.0);
    }
    return c;
}

void RuchMgr::StartFlicker(RuchCar& car) {
    car.m_bFlicker = 1;
    car.m_bVisible = 0;
    car.m_fFlickerTime = -RandomFloat(0.5f);
    car.m_fBlinkTimer = 0;
    car.m_dSpeed = 0;
    car.m_fAlignment = 1.0f;
    car.m_fBackwardsTimer = car.m_fLowSpeedTimer = 0;
    car.m_dDistance = car.m_dGoodDistance;
    SwitchPhysicsOff(car);
    // Far behind the player it may come back a little closer.
    if (car.m_dDistance + 8.0 < car.m_dPathLength && car.m_dDistance + 10.0 < g_Player.m_dDistance)
        car.m_dDistance += 8.0;
    const double spot = FindFreeSpot(car, car.m_dDistance);
    char line[160];
    std::snprintf(line, sizeof line, "Wlaczam migotanie dla %s, przesuwam go w tyl o %i",
                  car.m_pObject ? car.m_pObject->m_szName : "", static_cast<int>(car.m_dDistance - spot));
    g_Console.Print(line);
    car.m_dDistance = spot;
    DV point, direction{0, 0, 1};
    g_BezierMgr.EvaluatePoint(car.m_szPath, spot, &point, &direction);
    direction = FlatUnit(direction);
    const EOrientation orientation = EOrientation::EOrientationFromDirection(&direction);
    GroundHit(point, point - DV{0, kRoadBelow, 0}, car.m_pObject, &point, nullptr);
    point.y += kGroundLift;
    car.m_vPosition = point;
    car.m_Orientation = orientation;
    if (!car.m_pObject) return;
    g_Engine.SetObjectTransform(car.m_pObject, point, orientation, true, true);
    g_Physics.TeleportTruck(car.m_pObject, &point, &orientation.m_Quaternion);
}

bool RuchMgr::ReturnBlockedByPlayer(RuchCar& car) {
    EObjectSlot* player = g_Player.m_pVehicle;
    if (!player) return false;
    DV point;
    if (g_Physics.GetTouchPoint(car.m_pObject, player, &point, kTouchMargin)) {
        g_Console.Print("Jest kolizja z graczem");
        return true;
    }
    return pmath::Length(car.m_pObject->m_vPosition - player->m_vPosition) < kPlayerNear;
}

bool RuchMgr::ReturnBlockedByMachine(RuchCar& car) {
    for (const RuchCar& other : m_Cars) {
        // Opponents blink through each other; only other kinds of machine block the way back.
        if (&other == &car || !other.m_bActive || !other.m_pObject || other.m_iType == RuchCar::kOpponent) continue;
        DV point;
        if (g_Physics.GetTouchPoint(car.m_pObject, other.m_pObject, &point, kTouchMargin)) {
            g_Console.Print("Jest kolizja z innym samochodem");
            return true;
        }
        if (pmath::Length(other.m_pObject->m_vPosition - car.m_pObject->m_vPosition) < kOtherCarNear) {
            g_Console.Print("Jest odleglosc z innym samochodem");
            return true;
        }
    }
    return false;
}

void RuchMgr::ComeBack(RuchCar& car) {
    car.m_bFlicker = 0;
    g_Engine.SetObjectFlags(car.m_pObject, 1, 1);
    g_Physics.UpdateTruckVisuals(car.m_pObject);
    g_Console.PrintStr2(car.m_pObject->m_szName, " wylaczam migotanie i przywracam fizyke");
    car.m_bPhysics = 0;
    SwitchPhysicsOn(car);
}

void RuchMgr::Blink(RuchCar& car) {
    if (car.m_fBlinkTimer >= kBlinkPeriod) {
        car.m_fBlinkTimer = 0;
        car.m_bVisible = !car.m_bVisible;
        g_Engine.SetObjectFlags(car.m_pObject, car.m_bVisible ? 1 : 0, 1);
        car.m_fLowSpeedTimer = 0;
    }
    g_Physics.UpdateTruckVisuals(car.m_pObject);
}

void RuchMgr::StepFlicker(RuchCar& car) {
    car.m_fFlickerTime += m_fStep;
    car.m_fBlinkTimer += m_fStep;
    car.m_fAlignment = 1.0f;
    car.m_fBackwardsTimer = car.m_fLowSpeedTimer = 0;
    car.m_dSpeed = 0;
}

void RuchMgr::EndFlickerOnContact(RuchCar& car) {
    if (!car.m_pObject) return;
    StepFlicker(car);
    if (car.m_fFlickerTime > kReturnTime && !ReturnBlockedByPlayer(car) && !ReturnBlockedByMachine(car))
        return ComeBack(car);
    Blink(car);
}

void RuchMgr::UpdateCombineFlicker(RuchCar& car) {
    if (!car.m_pObject) return;
    StepFlicker(car);
    if (car.m_fFlickerTime > kReturnTime && !ReturnBlockedByPlayer(car)) return ComeBack(car);
    Blink(car);
}
