#include "vehicles/CPlayer.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "audio/CSoundMgr.h"
#include "collision/EIntersectSegment.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/MachineRecord.h"
#include "vehicles/Physics.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/VehiclesHooks.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/GameAI.h"
#include "world/IntersectFilters.h"

CPlayer g_Player;

namespace {

constexpr uint32_t kVehicleFlags = 0x1400081;
constexpr uint32_t kImplementFlags = 0x3400081;
constexpr float kSoundDistance = 180.0f;
constexpr float kRespawnCooldown = 10.0f;
constexpr float kHudTimerStart = 30.0f;
constexpr float kQuarterTurn = std::numbers::pi_v<float> / 2;
// Putting the machine back in place looks for the ground from this high above it.
constexpr float kLiftAbove = 2.0f;
constexpr const char* kIntroTractor = "prefabs\\pojazdy\\tractor015\\tractor015_nocenter.x";
constexpr const char* kStartPoint = "game_start_point";

// The implement each task flag of a route couples behind the machine, in the order they are tried.
// Then the field is prepared for the task.
struct ImplementRow {
    uint8_t RouteRecord::*flag;
    const char* model;
    float lift;
    void (EPlantMgr::*prepareField)();
};
constexpr ImplementRow kImplements[] = {
    {&RouteRecord::m_bSlalom, "prefabs\\pojazdy\\przyczepa_ov\\przyczepa_ov_nocenter.x", 0.0f, nullptr},
    {&RouteRecord::m_bBaling, "prefabs\\pojazdy\\prasa_ov\\prasa_ov_nocenter.x", 0.0f, &EPlantMgr::TworzDaneBelowania},
    {&RouteRecord::m_bPloughing, "prefabs\\pojazdy\\plug_ov\\plug_ov_nocenter.x", 1.6f, &EPlantMgr::CreatePloughingGround},
    {&RouteRecord::m_bPlanting, "prefabs\\pojazdy\\sadzarka_ov\\sadzarka_nocenter.x", 1.6f, &EPlantMgr::CreatePlantingGround},
    {&RouteRecord::m_bGrassMowing, "prefabs\\pojazdy\\kosa_ov\\kosa_ov_nocenter.x", 1.6f, nullptr},
    {&RouteRecord::m_bSowing, "prefabs\\pojazdy\\siewnik_ov\\siewnik_ov_nocenter.x", 1.6f, &EPlantMgr::CreateSowingGround},
    {&RouteRecord::m_bGrain, "prefabs\\pojazdy\\przyczepa_ov\\przyczepa_ov_nocenter.x", 0.0f, nullptr},
};

const RouteRecord* CurrentRoute() { return g_RoutesMgr.m_pCurrentRoute; }

// The vehicle type of the machine record; a record pointing past the loaded types (an old or
// damaged profile) gets the first type rather than a read beyond the table.
const VehicleType* MachineType(const MachineRecord& machine) {
    if (g_Physics.m_uVehicleCount == 0) return nullptr;
    if (machine.m_uVehicleType >= g_Physics.m_uVehicleCount) {
        char line[128];
        std::snprintf(line, sizeof line, "Machine type %u beyond the %u vehicle types: the first type is used",
                      machine.m_uVehicleType, g_Physics.m_uVehicleCount);
        g_Console.Print(line);
        return &g_Physics.m_Vehicles[0];
    }
    return &g_Physics.m_Vehicles[machine.m_uVehicleType];
}

void PrintQuoted(const char* text, const char* name) {
    g_Console.PrintStr4(text, "\"", name, "\"");
}

// The player's mark on a machine object: the chase camera's collision test and the physics'
// step for machines nobody drives skip it.
void MarkAsPlayerMachine(EObjectSlot* o) {
    std::snprintf(o->m_szName, sizeof o->m_szName, "PlayerTruck");
    o->m_bVehicleMark = 1;
    o->m_bPlayerMachine = 1;
}

void CoupleImplementBehind(EObjectSlot* vehicle, const ImplementRow& row) {
    Truck* truck = vehicle->m_hTruck;
    DV socket = vehicle->m_vPosition;
    EOrientation orientation = vehicle->m_Orientation;
    g_Engine.GetObjectSocket(vehicle, truck->m_szHitchTractorSocket, &socket, &orientation);
    ObjectCreateParams params;
    params.m_bKind = OT_MESH;
    params.m_uFlags = kImplementFlags;
    std::snprintf(params.m_szFileName, sizeof params.m_szFileName, "%s", row.model);
    params.m_vPosition = socket - orientation.m_Front * 4.0f;
    params.m_vPosition.y = vehicle->m_vPosition.y + row.lift;
    params.m_Orientation = orientation;
    EObjectSlot* implement = g_Engine.AddObject(&params);
    if (!implement) return;
    g_Player.m_pImplement = implement;
    g_Physics.CoupleImplement(vehicle, implement);
}

}  // namespace

CPlayer::CPlayer()
    : m_bSurfaceForceFeedback(1), m_bHudOption(1), m_bOption2(0), m_bDrivingEnabled(1),
      m_bFadeStarted(0), m_bRunFinished(0), m_fFade(0) {}

CPlayer::~CPlayer() = default;

void CPlayer::ClearHistory(const DV& position) {
    for (MotionEntry& e : m_History) e = MotionEntry{position, 0.1f};
}

void CPlayer::LoadResources() {
    g_GameAI.UnsetVariable("hurra", nullptr);
    g_GameAI.UnsetVariable("koniec", nullptr);
    m_fExhaustTimer = 0;
    m_fDrivingTimer = 0;
    m_bFadeStarted = 0;
    m_fFade = 0;
    m_bRunFinished = 0;
    m_bStarted = 0;
    m_bRaceStarted = 0;
    const RouteRecord* route = CurrentRoute();
    m_bRaceMode = route && (route->m_bWithOpponents || route->m_bSlalom) ? 1 : 0;
    m_fRunTime = 0;
    m_fHudTimer = kHudTimerStart;
    m_iCountdown = -1;
    m_bDrivingEnabled = 0;
    m_fShakeFrequency = 10.0f;
    m_fShakeAmplitude = 0;
    m_bCameraSocketReported = 0;
    if (m_uCameraMode <= 2) m_fCameraPitch = 0.2f;
    m_iResultPlace = -1;
    g_RuchMgr.ResetRunState();
}

void CPlayer::ReleaseResources() {
    for (EObjectSlot** marker : {&m_pEndMarker, &m_pBarrierMarker}) {
        if (*marker) g_Engine.DeleteObject(*marker);
        *marker = nullptr;
    }
    g_RuchMgr.RemoveAllCars();
    m_FadeRect.Release();
    m_bDrivingEnabled = 0;
    m_bRunFinished = 0;
    g_GameAI.UnsetVariable("koniec", nullptr);
    if (m_pImplement) g_Engine.DeleteObject(m_pImplement);
    m_pImplement = nullptr;
    m_pVehicle = nullptr;
    PlaySound3D(nullptr, &m_pEngineSound, false, false);
}

void CPlayer::PlaySound3D(const char* wave, SoundRecord** slot, bool loop, bool play) {
    if (!slot) {
        if (wave && *wave) g_SoundMgr.PlaySound3DAt(wave, &m_vPosition, kSoundDistance);
        return;
    }
    if (*slot) {
        g_SoundMgr.StopSound(*slot);
        g_SoundMgr.ReleaseSound(*slot);
        *slot = nullptr;
    }
    if (wave && *wave) *slot = g_SoundMgr.CreatePlayingSound3D(wave, &m_vPosition, kSoundDistance, play, loop, true);
}

bool CPlayer::DropOntoGround(DV* position, float above, float below) const {
    const DV from = *position + DV{0, above, 0};
    const DV to = *position - DV{0, below, 0};
    SegmentQuery query;
    query.m_pStart = &from;
    query.m_pEnd = &to;
    query.m_pFilter = IntersectFilterFlagged;
    query.m_pFilterArgument = m_pVehicle;
    SegmentHit hit;
    if (!g_IntersectSegment.Intersect(&query, &hit)) return false;
    *position = hit.m_vPoint;
    return true;
}

void CPlayer::Respawn() {
    const RouteRecord* route = CurrentRoute();
    DV start;
    EOrientation orientation;
    if (!g_Settings.m_bGameMode && route) {
        if (BezierNode* node = g_BezierMgr.FindNode(route->m_szStartNode)) {
            start = node->m_vPosition;
        } else {
            g_Console.PrintStr2("Failed to find node ", route->m_szStartNode);
            if (EObjectSlot* point = g_Engine.FindObject(kStartPoint, false)) start = point->m_vPosition;
        }
        m_pEndMarker = g_Engine.FindObject(route->m_szFinishMarker, false);
        if (!m_pEndMarker) PrintQuoted("Failed to find end marker ", route->m_szFinishMarker);
        m_pBarrierMarker = g_Engine.FindObject("Blokada0", false);
        if (!m_pBarrierMarker) PrintQuoted("Failed to find blokada marker ", "Blokada0");
        DV nearest;
        g_BezierMgr.FindNearestPointOnPath(route->m_szStartPath, start, &nearest, &m_dStartDistance);
        m_dDistance = m_dStartDistance;
    }
    if (EObjectSlot* point = g_Engine.FindObject(kStartPoint, false)) {
        start = point->m_vPosition;
        orientation = point->m_Orientation;
        const DV up{0, 1, 0};
        orientation.RotateAxis(&up, -kQuarterTurn);
    }
    if (!DropOntoGround(&start, 8.0f, 16.0f)) g_Console.Print("Respawn gracza w miejscu BEZ fizyki drogi!");
    g_Engine.SetObjectPosition(m_pVehicle, start, false);
    g_Engine.SetObjectOrientation(m_pVehicle, orientation);
    g_Physics.TeleportTruck(m_pVehicle, &start, &orientation.m_Quaternion);
    if (route) {
        std::snprintf(m_szStartPath, sizeof m_szStartPath, "%s", route->m_szStartPath);
        std::snprintf(m_szOppositePath, sizeof m_szOppositePath, "%s", route->m_szOpponentPath);
        m_dPathLength = g_BezierMgr.GetPathLength(m_szStartPath);
    }
    g_VehiclesHooks.buildMapStrip();
    m_vPosition = m_vPrevPosition = start;
    m_Orientation = orientation;
    m_vFront = orientation.m_Front;
    m_vSide = orientation.m_Side;
    m_vUp = orientation.m_Up;
    m_vCameraTarget = start + DV{0, 2, 0};
    m_vCameraEye = m_vCameraTarget + DV{2, 0, 4};
    ClearHistory(start);
}

void CPlayer::PlaceAtStartPoint(bool atStart) {
    if (!m_pVehicle) return;
    const RouteRecord* route = CurrentRoute();
    // No opponents leave room on the course elsewhere: every placement is at the start.
    atStart = atStart || !route || !route->m_bWithOpponents;
    DV position = m_vPosition;
    DV direction = m_vFront;
    if (atStart) {
        if (EObjectSlot* point = g_Engine.FindObject(kStartPoint, false)) {
            position = point->m_vPosition;
            direction = point->m_Orientation.m_Front;
        } else if (route) {
            g_BezierMgr.EvaluatePoint(route->m_szStartPath, m_dStartDistance, &position, &direction);
        }
    }
    EOrientation orientation;
    // On the course the opponents leave a free spot on the road, facing along it. Without a road
    // the machine is put back upright where it stands, facing the way it faced, on the ground
    // found from above it; only the start's direction is turned into the machine's.
    if (atStart || !g_RuchMgr.FindSpawnPoint(&position, &orientation)) {
        DropOntoGround(&position, atStart ? 0.0f : kLiftAbove, 64.0f);
        direction.y = 0;
        direction = pmath::Normalize(direction);
        orientation = EOrientation::EOrientationFromDirection(&direction);
        const DV up{0, 1, 0};
        if (atStart) orientation.RotateAxis(&up, kQuarterTurn);
    }
    g_Physics.UnreleaseTruckControls(m_pVehicle);
    g_Engine.SetObjectPosition(m_pVehicle, position, false);
    g_Engine.SetObjectOrientation(m_pVehicle, orientation);
    g_Physics.TeleportTruck(m_pVehicle, &position, &orientation.m_Quaternion);
    // Put back while the run is under way (back to the start, turned over, off the route or out of
    // the zone), the machine drives on: the countdown that would release it again is long over.
    if (m_bDrivingEnabled && m_iCountdown < 0) g_Physics.ReleaseTruckControls(m_pVehicle);
    m_fSpeed = 0;
    m_vPosition = m_vPrevPosition = position;
    m_Orientation = orientation;
    m_iGear = 0;
    m_iPendingGear = 0;
    m_fRespawnCooldown = kRespawnCooldown;
}

void CPlayer::ReleaseForDriving() {
    m_bDrivingEnabled = 1;
    g_RuchMgr.m_bRaceStarted = 1;
    if (m_pVehicle) g_Physics.ReleaseTruckControls(m_pVehicle);
    m_fHudTimer = kHudTimerStart;
}

void CPlayer::StartLevel() {
    m_bStarted = 1;
    if (g_Settings.m_bGameMode) {
        m_iCountdown = -1;
        ReleaseForDriving();
        return;
    }
    m_iCountdown = 4;
    m_fCountdownTimer = 1.0f;
    m_bDrivingEnabled = 0;
    if (const MachineRecord* machine = g_VehiclesHooks.currentMachine()) PlaySound3D(machine->m_szStartSound, nullptr, false, false);
    m_bRaceStarted = 1;
}

void CPlayer::UpdateCountdown(float dt) {
    m_fCountdownTimer += dt;
    if (m_fCountdownTimer < 1.0f) return;
    --m_iCountdown;
    m_fCountdownTimer = 0;
    m_fRunTime = 0;
    m_fCameraYaw = m_fCameraPitch = 0;
    if (m_iCountdown == 2 && m_pVehicle) {
        const Truck* truck = m_pVehicle->m_hTruck;
        const MachineRecord* machine = g_VehiclesHooks.currentMachine();
        const char* sound = truck && truck->m_szEngineSound[0] ? truck->m_szEngineSound
                            : machine                          ? machine->m_szEngineSound
                                                               : nullptr;
        PlaySound3D(sound, &m_pEngineSound, true, true);
    }
    if (m_iCountdown < 1 && !m_bDrivingEnabled) ReleaseForDriving();
}

void CPlayer::StartFadeOut() {
    if (m_bFadeStarted) return;
    m_bDrivingEnabled = 0;
    g_Input.StopActiveEffect();
    m_fFade = 0;
    m_bRunFinished = 0;
    m_bFadeStarted = 1;
}

void TworzPostacGracza() {
    CPlayer& p = g_Player;
    g_Console.Print("TworzPostacGracza()");
    g_Physics.CreateStaticTriMeshes();
    p.m_pVehicle = nullptr;
    p.m_pImplement = nullptr;
    const MachineRecord* machine = g_VehiclesHooks.currentMachine();
    const VehicleType* type = machine ? MachineType(*machine) : nullptr;
    if (!type) {
        g_Console.Print("No machine to drive");
        return;
    }
    EObjectSlot* vehicle = g_Engine.CreateObject(OT_MESH, type->m_szPrefab, kVehicleFlags, 0, nullptr, nullptr);
    if (!vehicle) return;
    p.m_pVehicle = vehicle;
    g_Physics.DisableTruckDeactivation(vehicle);
    g_Physics.SetObjectTint(vehicle, 0xFF00FF00);
    const int country = g_VehiclesHooks.profileCountry();
    g_Physics.CreateDriver(vehicle, country < 0 ? 0u : static_cast<uint32_t>(country), 1);
    MarkAsPlayerMachine(vehicle);
    p.Respawn();
    p.m_iGear = 0;
    p.m_iPendingGear = 0;
    p.m_fSteering = p.m_fSteeringInput = 0;
    if (const RouteRecord* route = CurrentRoute(); route && vehicle->m_hTruck)
        for (const ImplementRow& row : kImplements)
            if (route->*row.flag) {
                CoupleImplementBehind(vehicle, row);
                if (row.prepareField) (g_PlantMgr.*row.prepareField)();
            }
    g_PlantMgr.TworzDaneZbieraniaBeli();
    g_Console.Print("exiting TworzPostacGracza()");
}

void TworzPostacGraczaIntro() {
    CPlayer& p = g_Player;
    g_Console.Print("TworzPostacGraczaIntro()");
    g_Physics.CreateStaticTriMeshes();
    p.m_pImplement = nullptr;
    p.m_pVehicle = g_Engine.CreateObject(OT_MESH, kIntroTractor, kVehicleFlags, 0, nullptr, nullptr);
    if (!p.m_pVehicle) return;
    g_Physics.DisableTruckDeactivation(p.m_pVehicle);
    g_Physics.CreateDriver(p.m_pVehicle, 0, 1);
    MarkAsPlayerMachine(p.m_pVehicle);
    g_Console.Print("10");
    p.Respawn();
    g_Console.Print("20");
    p.m_iGear = 0;
    p.m_iPendingGear = 0;
    g_Console.Print("exiting TworzPostacGraczaIntro()");
}

void CPlayer::DropToGround(DV* point) const { DropOntoGround(point, 4.0f, 100.0f); }
