// The computer-driven machines' records: the start of a run, adding and removing cars, placing a
// car on its path, following the path, laps, the race position, the player's respawn point, lap
// times, and each car's engine sound, exhaust and impacts.
#include "vehicles/RuchMgr.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/CSoundMgr.h"
#include "collision/EIntersectSegment.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/NumericHelpers.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "platform/os/Random.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/Physics.h"
#include "vehicles/VehiclesHooks.h"
#include "world/BezierMgr.h"
#include "world/EEngine.h"
#include "world/IntersectFilters.h"

RuchMgr g_RuchMgr;

namespace {

constexpr uint32_t kCarFlags = 0x1000081;
constexpr uint32_t kOpponentTint = 0xFFFF0000;
constexpr uint32_t kCombineTint = 0xFF00FF00;
constexpr const char* kCombineModel = "prefabs\\pojazdy\\kombajn101\\kombajn101_nocenter.x";
constexpr const char* kDefaultEngineSound = "sounds\\engine_idle03.wav";
constexpr double kOpponentSpacing = 24.0;
constexpr float kSoundRange = 100.0f;
constexpr float kExhaustRange = 60.0f;
constexpr float kExhaustPeriod = 0.02f;
constexpr float kHitDecay = 5.0f;
constexpr int kSpawnCandidates = 21;
constexpr float kSpawnClearance = 6.0f;
// A hair above 999:59.99, so that the longest time still reads .99 after rounding.
constexpr double kMaxLapTime = 999.0 * 60.0 + 59.995;

const RouteRecord* Route() { return g_RoutesMgr.m_pCurrentRoute; }

// Opponents of the first routes drive the lightest machines, later ones heavier classes.
int KlasaOfRoute(int route) { return route < 11 ? 0 : route <= 21 ? 1 : 2; }

}  // namespace

int DifficultyLevel(int profileValue) { return profileValue >= 0 && profileValue <= 2 ? profileValue : 2; }

int CurrentDifficulty() { return DifficultyLevel(g_VehiclesHooks.profileDifficulty()); }

bool RuchMgr::GroundHit(const DV& from, const DV& to, EObjectSlot* skip, DV* point, DV* normal) {
    SegmentQuery query;
    query.m_pStart = &from;
    query.m_pEnd = &to;
    query.m_pFilter = IntersectFilterFlagged;
    query.m_pFilterArgument = skip;
    SegmentHit hit;
    if (!g_IntersectSegment.Intersect(&query, &hit)) return false;
    if (point) *point = hit.m_vPoint;
    if (normal) *normal = hit.m_vNormal;
    return true;
}

DV RuchMgr::FlatUnit(DV v) {
    v.y = 0;
    return pmath::Normalize(v);
}

bool RuchMgr::PlayerFinished() { return g_Player.m_bFadeStarted || g_Player.m_bRunFinished; }

RuchMgr::RuchMgr() = default;

RuchMgr::~RuchMgr() = default;

void RuchMgr::ResetRunState() {
    m_bStarted = 0;
    m_bHasRun = 0;
    m_bRaceStarted = 0;
    m_bCombineAtEnd = 0;
    m_pCombine = nullptr;
}

void RuchMgr::Start() {
    const RouteRecord* route = Route();
    const char* startPath = route ? route->m_szStartPath : "";
    if (g_BezierMgr.GetPathLength(startPath) < 1.0 && g_BezierMgr.GetPathLength("ruch") < 1.0) return;
    m_bHasRun = 1;
    if (route && route->m_bWithOpponents) {
        const int n = 3 + CurrentDifficulty();
        const double d0 = g_Player.m_dDistance + 1.0;
        for (int i = 0; i < n; ++i)
            DodajCar(static_cast<uint32_t>(i), d0 + kOpponentSpacing * (i + 1), 1, RuchCar::kOpponent, i == n - 1);
    }
    if (route && route->m_bGrain) DodajCar(0, 0.0, 1, RuchCar::kCombine, 0);
    m_bStarted = 1;
    m_dPlayerLastDistance = 1.0;
    m_iPlayerLap = 1;
}

EObjectSlot* RuchMgr::CreateCarObject(RuchCar& car) {
    if (car.m_iType == RuchCar::kCombine) {
        EObjectSlot* o = g_Engine.CreateObject(OT_MESH, kCombineModel, kCarFlags, 0, nullptr, nullptr);
        if (!o) return nullptr;
        g_Physics.SetObjectTint(o, kCombineTint);
        std::snprintf(o->m_szName, sizeof o->m_szName, "Kombajn");
        m_pCombine = o;
        g_Physics.SetCombinePipeOut(o, 1);
        g_Physics.SetCombineHarvesting(o, true);
        return o;
    }
    const char* model = g_Physics.PickRandomVehicle(false, true, KlasaOfRoute(g_RoutesMgr.m_iCurrentRoute));
    EObjectSlot* o = *model ? g_Engine.CreateObject(OT_MESH, model, kCarFlags, 0, nullptr, nullptr) : nullptr;
    if (!o) return nullptr;
    g_Physics.SetObjectTint(o, kOpponentTint);
    std::snprintf(o->m_szName, sizeof o->m_szName, "EnemyTruck%u", car.m_uIndex);
    return o;
}

void RuchMgr::DodajCar(uint32_t index, double startDistance, uint8_t sharesPlayerPath, uint32_t type,
                       uint8_t lastCar) {
    if (index >= kCars || g_Player.m_bRunFinished) return;
    g_Console.PrintInt("RuchMgr.DodajCar ", static_cast<int>(index));
    RuchCar& car = m_Cars[index];
    // A slot taken over (the combine in an opponent's place) first loses its machine, which would
    // otherwise stand in the world undriven and never be removed.
    if (car.m_bActive) RemoveCar(car);
    car = RuchCar{};
    car.m_bLastCar = lastCar;
    car.m_uIndex = index;
    car.m_iType = static_cast<int32_t>(type);
    car.m_bActive = 1;
    car.m_iLap = 1;
    car.m_bSharesPlayerPath = sharesPlayerPath;
    car.m_dDistance = startDistance;
    car.m_dTargetSpeed = 10.0;
    car.m_fRandomFactor = RandomFloat(1.5f) - 0.5f;
    car.m_pObject = CreateCarObject(car);
    if (car.m_pObject) {
        car.m_pObject->m_bVehicleMark = 1;
        car.m_pObject->m_bVehicleMarker = 1;
        car.m_pObject->m_bAIMachine = 1;
    }
    const bool even = index % 2 == 0;
    if (car.m_iType == RuchCar::kCombine) {
        std::snprintf(car.m_szPath, sizeof car.m_szPath, "Kombajn");
    } else {
        car.m_dPlaceOffset = even ? 2.0 : -2.0;
        car.m_dDriveOffset = even ? 2.5 : -1.0;
        const char* path = sharesPlayerPath                                ? g_Player.m_szStartPath
                           : std::strstr(g_Engine.m_szStartingWorld, "test.w") ? "test"
                                                                                : "ruch";
        std::snprintf(car.m_szPath, sizeof car.m_szPath, "%s", path);
    }
    car.m_dPathLength = g_BezierMgr.GetPathLength(car.m_szPath);
    if (car.m_pObject) g_Physics.DisableTruckDeactivation(car.m_pObject);
    g_Console.PrintInt("exiting RuchMgr.DodajCar ", static_cast<int>(index));
}

bool RuchMgr::FindSpawnPoint(DV* position, EOrientation* orientation) {
    const char* path = g_Player.m_szStartPath;
    double d = g_Player.m_dDistance;
    DV point;
    bool free = false;
    for (int i = 0; i < kSpawnCandidates && !free; ++i) {
        g_BezierMgr.EvaluatePoint(path, d, &point, nullptr);
        free = std::none_of(std::begin(m_Cars), std::end(m_Cars), [&](const RuchCar& c) {
            return c.m_bActive && pmath::Length(c.m_vPosition - point) < kSpawnClearance;
        });
        if (!free) d += 2.0;
    }
    DV direction{0, 0, 1};
    g_BezierMgr.EvaluatePoint(path, d, &point, &direction);
    GroundHit(point, point - DV{0, 64.0f, 0}, g_Player.m_pVehicle, &point, nullptr);
    direction = pmath::Normalize(direction);
    if (direction == DV{}) direction = DV{0, 0, 1};
    *position = point;
    *orientation = EOrientation::EOrientationFromDirection(&direction);
    return g_BezierMgr.GetPathLength(path) > 0;
}

void RuchMgr::RemoveCar(RuchCar& car) {
    if (car.m_pObject) {
        if (car.m_pObject == m_pCombine) m_pCombine = nullptr;
        g_Engine.DeleteObject(car.m_pObject);
    }
    if (car.m_pSound) {
        g_SoundMgr.StopSound(car.m_pSound);
        g_SoundMgr.ReleaseSound(car.m_pSound);
    }
    car.m_pObject = nullptr;
    car.m_pSound = nullptr;
    car.m_bActive = 0;
}

void RuchMgr::RemoveAllCars() {
    for (RuchCar& car : m_Cars)
        if (car.m_bActive) RemoveCar(car);
}

void RuchMgr::SyncCarObjects() {
    for (RuchCar& car : m_Cars)
        if (car.m_bActive && car.m_pObject) g_Physics.SyncTruckObjects(car.m_pObject);
}

void RuchMgr::Update() {
    if (!m_bStarted || g_CoreHooks.gameFrame() <= 99) return;
    CountPlayerLap(g_Player.m_dDistance);
    m_fStep = g_Engine.m_fFrameTime;
    m_dStep = m_fStep;
    for (RuchCar& car : m_Cars) {
        if (!car.m_bActive) continue;
        const bool opponent = car.m_iType == RuchCar::kOpponent;
        if (car.m_bFlicker) {
            if (opponent) EndFlickerOnContact(car);
            else UpdateCombineFlicker(car);
            continue;
        }
        if (!car.m_bPhysics) {
            PlaceStep(car);
        } else {
            UpdateCarByType(car);
            UpdateExhaust(car);
        }
        if (car.m_pObject) g_Physics.SetTruckControls(car.m_pObject);
        if (opponent) CheckFlickerRules(car);
        else CheckCombineFlickerRules(car);
    }
    ComputeRacePosition();
}

void RuchMgr::UpdateCarByType(RuchCar& car) {
    if (!car.m_pObject) return;
    if (car.m_iType == RuchCar::kOpponent) {
        DriveOpponent(car);
        UpdateEngineSound(car);
        return;
    }
    DriveCombine(car);
    if (car.m_pSound) {
        g_SoundMgr.StopSound(car.m_pSound);
        g_SoundMgr.ReleaseSound(car.m_pSound);
        car.m_pSound = nullptr;
    }
}

void RuchMgr::UpdatePlayerRelation(RuchCar& car) {
    const double player = g_Player.m_dDistance;
    car.m_dPathToPlayer = std::fabs(player - car.m_dDistance);
    car.m_fPlayerDistance = pmath::Length(car.m_vPosition - g_Player.m_vPosition);
    car.m_bPlayerAhead = player - car.m_dDistance > 0 ? 1 : 0;
}

void RuchMgr::PlaceStep(RuchCar& car) {
    UpdatePlayerRelation(car);
    car.m_fPhysicsWait += m_fStep;
    car.m_fLaneTimer += m_fStep;
    car.m_fSinceRelocation += m_fStep;
    if (car.m_fPhysicsWait > 2.0f) {
        SwitchPhysicsOn(car);
        return;
    }
    DV point, direction{0, 0, 1};
    g_BezierMgr.EvaluatePoint(car.m_szPath, car.m_dDistance, &point, &direction);
    const EOrientation along = EOrientation::EOrientationFromDirection(&direction);
    point = point + along.m_Side * static_cast<float>(car.m_dPlaceOffset);
    PlaceCarOnPath(car, point, along);
    SwitchPhysicsOn(car);
    UpdateExhaust(car);
}

void RuchMgr::SwitchPhysicsOn(RuchCar& car) {
    car.m_fPhysicsWait = 0;
    if (car.m_bPhysics) return;
    car.m_bPhysics = 1;
    if (car.m_pObject) g_Physics.SetTruckControlsReleased(car.m_pObject, 1);
}

void RuchMgr::SwitchPhysicsOff(RuchCar& car) {
    if (!car.m_pObject) return;
    g_Console.PrintStr2(car.m_pObject->m_szName, " - wylaczam fizyke");
    g_Physics.UnreleaseTruckControls(car.m_pObject);
}

void RuchMgr::PlaceCarOnPath(RuchCar& car, const DV& target, const EOrientation& orientation) {
    if (car.m_bFlicker || !car.m_pObject) return;
    DV ground = target, normal{0, 1, 0};
    GroundHit(target, target - DV{0, 164.0f, 0}, car.m_pObject, &ground, &normal);
    const DV forward = pmath::Normalize(orientation.m_Front);
    DV current;
    g_Engine.GetObjectPosition(car.m_pObject, &current);
    const DV position = m_bRaceStarted && !car.m_bPhysics ? current + (ground - current) * 0.8f : ground;
    car.m_vPosition = position;
    g_Engine.SetObjectPosition(car.m_pObject, position, true);
    // Upright on the ground, facing along the path.
    EOrientation wanted;
    wanted.SetDirectionUp(&forward, &normal);
    EOrientation result = wanted;
    if (m_bRaceStarted) {
        g_Engine.GetObjectOrientation(car.m_pObject, &result);
        result.Slerp(&wanted, std::clamp(2.6f * m_fStep, 0.02f, 0.9f));
    }
    g_Engine.SetObjectOrientation(car.m_pObject, result);
    car.m_Orientation = result;
    g_Physics.TeleportTruck(car.m_pObject, &position, &result.m_Quaternion);
    car.m_vForward = pmath::Normalize(result.m_Front);
}

void RuchMgr::TrackPath(RuchCar& car) {
    car.m_fSampleTimer -= m_fStep;
    if (pmath::Length(car.m_vPosition - car.m_vLastSample) < 1.0f || car.m_fSampleTimer > 0 || car.m_bFinished)
        return;
    car.m_fSampleTimer = 0.3f + RandomFloat(0.1f);
    const RouteRecord* route = Route();
    DV nearest;
    double distance = car.m_dDistance;
    g_BezierMgr.FindNearestPointOnPath(car.m_szPath, DV{car.m_vPosition.x, car.m_fPathHeight, car.m_vPosition.z},
                                       &nearest, &distance);
    // The combine's path may pass close to itself; a jump is taken as the way it actually moved.
    if (route && route->m_bGrain && std::fabs(distance - car.m_dDistance) > 10.0)
        distance = car.m_dDistance + pmath::Length(car.m_vPosition - car.m_vLastSample);
    car.m_vLastSample = car.m_vPosition;
    if (route && route->m_bLaps && std::fabs(distance - car.m_dDistance) > car.m_dPathLength / 2)
        car.m_iLap += distance < car.m_dDistance ? 1 : -1;
    car.m_dDistance = distance;
    car.m_fPathHeight = nearest.y;
    g_BezierMgr.EvaluatePoint(car.m_szPath, distance, &car.m_vPathPoint, &car.m_vPathDirection);
    const double ahead = car.m_iType == RuchCar::kCombine ? 2.0 : 4.0;
    g_BezierMgr.EvaluatePoint(car.m_szPath, distance + ahead, &car.m_vAheadPoint, &car.m_vAheadDirection);
    if (distance + 2.0 > car.m_dPathLength) car.m_bFinished = 1;
    car.m_bPlayerAhead = g_Player.m_dDistance - distance > 0 ? 1 : 0;
}

void RuchMgr::CountPlayerLap(double distance) {
    if (std::fabs(distance - m_dPlayerLastDistance) > g_Player.m_dPathLength / 2)
        m_iPlayerLap += m_dPlayerLastDistance > distance ? 1 : -1;
    m_dPlayerLastDistance = distance;
}

void RuchMgr::ComputeRacePosition() {
    if (!m_bRaceStarted || PlayerFinished()) return;
    const RouteRecord* route = Route();
    if (!route || !route->m_bWithOpponents) {
        m_iRacePosition = m_iCarCount = -1;
        return;
    }
    const double lap = g_Player.m_dPathLength;
    const double player = m_iPlayerLap * lap + g_Player.m_dDistance;
    int count = 1, ahead = 0;
    for (const RuchCar& car : m_Cars) {
        if (!car.m_bActive || car.m_iType != RuchCar::kOpponent) continue;
        ++count;
        // Level with the player is behind: a tie goes to the player.
        if (car.m_iLap * lap + car.m_dDistance > player) ++ahead;
    }
    m_iCarCount = count;
    m_iRacePosition = 1 + ahead;
}

void RuchMgr::UpdateEngineSound(RuchCar& car) {
    if (!car.m_pSound) {
        const Truck* truck = car.m_pObject->m_hTruck;
        const char* file = truck && truck->m_szEngineSound[0] ? truck->m_szEngineSound : kDefaultEngineSound;
        car.m_pSound = g_SoundMgr.CreatePlayingSound3D(file, &car.m_vPosition, kSoundRange, true, true, true);
        if (!car.m_pSound) return;
    }
    g_SoundMgr.SetSoundPosition(car.m_pSound, car.m_vPosition);
    const float pitch = static_cast<float>(car.m_dSpeed) * 0.1f;
    g_SoundMgr.SetFrequency(car.m_pSound, pitch * pitch * 30000 + 10000);
}

void RuchMgr::UpdateExhaust(RuchCar& car) {
    car.m_fExhaustTimer -= m_fStep;
    if (car.m_fExhaustTimer > 0 || car.m_fPlayerDistance >= kExhaustRange || !car.m_pObject) return;
    car.m_fExhaustTimer = kExhaustPeriod;
    DV position;
    EOrientation orientation;
    if (g_Engine.GetObjectSocket(car.m_pObject, "rura", &position, &orientation))
        g_FXMgr.AddFXByName("dymek_rura", &position, &orientation);
}

void RuchMgr::UpdateHitValue(RuchCar& car) {
    if (!car.m_bHit) return;
    car.m_fHitValue -= kHitDecay * m_fStep;
    if (car.m_fHitValue > 0) return;
    car.m_fHitValue = 0;
    car.m_bHit = 0;
}

void RuchMgr::SpawnImpactEffect(const DV& position, bool scatter) {
    if (!scatter) {
        g_FXMgr.AddFXByName("impact1", &position, nullptr);
        return;
    }
    const auto spread = [] {
        const float sign = plat::Random() % 2 ? -1.0f : 1.0f;
        return sign * static_cast<float>(plat::Random()) / 32768.0f;
    };
    for (int i = 0; i < 16; ++i) {
        const float x = spread(), y = spread(), z = spread();
        const DV at = position + DV{x, y, z};
        g_FXMgr.AddFXByName("impact1", &at, nullptr);
    }
}

void FormatLapTime(float seconds, char (&minutes)[4], char (&secs)[4], char (&hundredths)[4]) {
    const double t = std::clamp(static_cast<double>(seconds), 0.0, kMaxLapTime);
    const int m = std::clamp(static_cast<int>(t / 60.0), 0, 999);
    const double rest = t - 60.0 * m;
    const int s = std::clamp(static_cast<int>(rest), 0, 59);
    const int h = static_cast<int>(rest * 100.0) % 100;
    std::snprintf(minutes, sizeof minutes, "%02d", m);
    std::snprintf(secs, sizeof secs, ":%02d", s);
    std::snprintf(hundredths, sizeof hundredths, ".%02d", std::clamp(h, 0, 99));
}

void FormatLapTimeString(float seconds, char (&text)[16]) {
    char minutes[4], secs[4], hundredths[4];
    FormatLapTime(seconds, minutes, secs, hundredths);
    std::snprintf(text, sizeof text, "%s%s%s", minutes, secs, hundredths);
}
