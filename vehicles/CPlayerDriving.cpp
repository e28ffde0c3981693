// The player's frame: input to throttle, brake, steering and gears, the drivetrain, the forces
// handed to the machine, the physics step, and the machine's sound and smoke.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "audio/CMusicPlaylist.h"
#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/EProfiler.h"
#include "core/NumericHelpers.h"
#include "platform/os/Random.h"
#include "render/EFXMgr.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/MachineRecord.h"
#include "vehicles/Physics.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/Truck.h"
#include "vehicles/VehiclesHooks.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

enum Command : uint32_t {
    kThrottle = 3,
    kBrake = 4,
    kCameraMode = 8,
    kSteerLeft = 20,
    kSteerRight = 21,
    kGearUp = 24,
    kGearDown = 25,
    kLookBack = 34,
    kRespawn = 35,
    kHorn = 38,
    kHandbrake = 39,
    kNextTrack = 40,
    kPreviousTrack = 41,
    kCombineCutting = 49,
    kCombinePipe = 50,
    kCombineUnloading = 51,
};

enum Section : int {
    kSectionInput = 204,
    kSectionDriving1 = 210,
    kSectionDriving2 = 220,
    kSectionPhysics = 230,
    kSectionPosition = 240,
    kSectionOpponentsSync = 250,
    kSectionLevel = 260,
    kSectionMarkers = 270,
    kSectionCamera = 272,
    kSectionOpponents = 274,
};

constexpr float kSteeringLimit = 0.62831855f;        // 0.2 pi
constexpr float kSteeringRate = 1.0995574f;          // 0.35 pi per second
constexpr float kWheelTurn = 2.3561945f;             // 0.75 pi
constexpr float kExhaustPeriod = 0.01f;
constexpr float kTipOverUp = 0.6f;

// The three gearboxes a machine's gearbox upgrade picks from.
struct Gearbox {
    int32_t topGear;
    float ratios[7];  // gears -1 .. 5
    float changeTime;
};
constexpr Gearbox kGearboxes[3] = {
    {4, {3.0f, 0.0f, 2.8f, 1.8f, 1.1f, 0.9f, 0.6f}, 0.4f},
    {5, {3.0f, 0.0f, 2.8f, 2.0f, 1.4f, 1.1f, 0.8f}, 0.15f},
    {5, {3.0f, 0.0f, 2.8f, 1.8f, 1.2f, 0.9f, 0.6f}, 0.1f},
};

// Torque at 0, 500, ... 6000 rpm: the base table scaled by 0.4, with the top point cut to 2.
constexpr float kTorqueBase[13] = {640, 920, 1240, 1348, 1482, 1534, 1586, 1644, 1626, 1520, 1320, 1214, 420};

float TorqueAt(int i) { return i == 12 ? 2.0f : kTorqueBase[i] * 0.4f; }

const MachineRecord& Machine() {
    static const MachineRecord kNewMachine;
    const MachineRecord* m = g_VehiclesHooks.currentMachine();
    return m ? *m : kNewMachine;
}

const Gearbox& CurrentGearbox() { return kGearboxes[std::clamp(Machine().m_iUpgrade3, 0, 2)]; }

float GearRatio(int32_t gear) { return CurrentGearbox().ratios[std::clamp(gear, -1, 5) + 1]; }

// The truck's load number: nothing loads a machine yet.
constexpr float kLoad = 0.0f;

}  // namespace

bool CPlayer::Pressed(uint32_t command) {
    const bool down = g_CommandMgr.IsCommandActive(command);
    const bool edge = down && !m_bKeyWasDown[command];
    m_bKeyWasDown[command] = down;
    return edge;
}

void CPlayer::Update() {
    const float dt = g_Engine.m_fFrameTime;
    m_fFrameTime = dt;
    m_fRespawnCooldown -= dt;
    m_fHitSoundTimer += dt;
    g_VehiclesHooks.clearInstructions();
    if (g_CoreHooks.menuActive()) return;
    if (g_CoreHooks.gameFrame() >= kFirstUpdateFrame) {
        if (m_iCountdown >= 0) UpdateCountdown(dt);
        if (!m_bDrivingEnabled) m_fDrivingTimer = 0;
        else if (!m_bRunFinished) {
            m_fDrivingTimer += dt;
            m_fRunTime += dt;
        }
        if (m_pVehicle) g_Engine.SetObjectFlags(m_pVehicle, 1, 1);
    }
    if (m_bRunFinished) return;
    g_Profiler.Begin(kSectionInput);
    if (g_CoreHooks.gameKeyInputEnabled()) ReadInput();
    g_Profiler.End(kSectionInput);
    g_Profiler.Begin(kSectionDriving1);
    UpdateZone();
    UpdateGearChange();
    UpdateDrivetrain();
    g_Profiler.End(kSectionDriving1);
    g_Profiler.Begin(kSectionDriving2);
    UpdateSteering();
    ApplyControls();
    BrakeGrainTrailer();
    ShakeImplement(dt);
    g_Profiler.End(kSectionDriving2);
    g_Profiler.Begin(kSectionPhysics);
    if (m_pVehicle) g_Physics.SetTruckControls(m_pVehicle);
    g_Physics.Update();
    g_Profiler.End(kSectionPhysics);
    g_Profiler.Begin(kSectionPosition);
    UpdatePosition();
    UpdateVelocity();
    UpdateSlalom();
    g_Profiler.End(kSectionPosition);
    g_Profiler.Begin(kSectionOpponentsSync);
    g_RuchMgr.SyncCarObjects();
    g_Profiler.End(kSectionOpponentsSync);
    g_Profiler.Begin(kSectionLevel);
    UpdateRouteProgress();
    CheckTipOver();
    UpdateCombinePipe();
    UpdateGrainUnloading();
    CheckTaskCompletion();
    UpdateExhaustSmoke();
    UpdateOffRoute();
    g_Profiler.End(kSectionLevel);
    g_Profiler.Begin(kSectionMarkers);
    UpdateRoofTest();
    CheckBarrierContact();
    CheckFinishMarker();
    UpdateFieldOfView();
    ShowInstructions();
    g_Profiler.End(kSectionMarkers);
    g_Profiler.Begin(kSectionCamera);
    UpdateCamera();
    g_Profiler.End(kSectionCamera);
    g_Profiler.Begin(kSectionOpponents);
    g_RuchMgr.Update();
    g_Profiler.End(kSectionOpponents);
    UpdateEngineSound();
    if (m_pVehicle) ReportPosition(dt);
    CheckLevelVariables();
}

void CPlayer::ReadInput() {
    if (!m_pVehicle || g_CoreHooks.gameFrame() < kFirstUpdateFrame) return;
    const float dt = m_fFrameTime;
    const float limit = ImplementSteeringLimit(kSteeringLimit);
    if (g_Input.m_iSelectedDevice >= 0 && static_cast<uint32_t>(g_Input.m_iSelectedDevice) < g_Input.m_uDeviceCount)
        ReadController(limit);
    else
        ReadKeys(dt, limit);
    if (Pressed(kGearUp)) RequestGearChange(true);
    if (Pressed(kGearDown)) RequestGearChange(false);
    ReadCombineKeys();
    if (Pressed(kHorn)) g_SoundMgr.PlaySound2D(Machine().m_szHornSound, 1.0f, 0.0f);
    if (Pressed(kNextTrack)) g_MusicPlaylist.Next();
    if (Pressed(kPreviousTrack)) g_MusicPlaylist.Previous();
    if (Pressed(kCameraMode)) {
        m_uCameraMode = m_uCameraMode >= 3 ? 1 : m_uCameraMode + 1;
        m_fCameraYaw = m_fCameraPitch = 0;
        m_bCameraSnap = 1;
        if (m_uCameraMode <= 1) m_fCameraPitch = 0.2f;
        g_CommandMgr.SaveKeys();
    }
    m_bLookBack = g_CommandMgr.IsCommandActive(kLookBack) ? 1 : 0;
    const RouteRecord* r = g_RoutesMgr.m_pCurrentRoute;
    const bool anyTask = r && (r->m_bSlalom || r->m_bBaling || r->m_bPloughing || r->m_bPlanting || r->m_bSowing ||
                               r->m_bGrain || r->m_bBaleCollecting || r->m_bMowing || r->m_bGrassMowing);
    if (Pressed(kRespawn) && r && !anyTask && m_fRespawnCooldown < 0 && m_iCountdown < 0) PlaceAtStartPoint(false);
}

// A combine's own keys: cutting on and off, the unloading pipe out and in, unloading on and off.
void CPlayer::ReadCombineKeys() {
    // Another machine's work keys are the implement's, read with its instructions.
    Truck* t = m_pVehicle->m_hTruck;
    if (!t || !t->m_bKombajn) return;
    const bool cutting = Pressed(kCombineCutting), pipe = Pressed(kCombinePipe), unloading = Pressed(kCombineUnloading);
    if (cutting) g_Physics.ToggleCombineHarvesting(m_pVehicle);
    if (pipe) {
        t->m_bPipeReturn = t->m_bPipeOut;
        g_Physics.UpdateCombinePipe(m_pVehicle);
    }
    if (unloading) {
        t->m_bUnloadingStop = t->m_bUnloading;
        g_Physics.UpdateCombineUnloading(m_pVehicle);
    }
}

void CPlayer::ReadController(float limit) {
    const float linearity = *g_CoreHooks.keysFileOptions().gameLevel;
    const float axis = g_Input.m_fSteering;
    const float sign = axis < 0 ? -1.0f : 1.0f;
    m_fSteeringInput = sign * std::pow(std::fabs(axis), 2.0f - linearity) * limit;
    if (m_fSteeringInput > -0.02f && m_fSteeringInput < 0.02f) m_fSteeringInput = 0;
    const float pedal = -g_Input.m_fPedal;
    m_bInputActive = pedal < -0.1f || pedal > 0.1f;
    m_fThrottle = pedal < 0 ? 0 : pedal;
    m_fBrakeInput = pedal < 0 ? -pedal : 0;
}

void CPlayer::ReadKeys(float dt, float limit) {
    m_fThrottle = m_fBrakeInput = 0;
    m_bInputActive = 0;
    if (m_bDrivingEnabled) {
        if (g_CommandMgr.IsCommandActive(kThrottle)) {
            m_fThrottle = 1.0f;
            m_bInputActive = 1;
        }
        if (g_CommandMgr.IsCommandActive(kBrake)) {
            m_fBrakeInput = 1.0f;
            m_bInputActive = 1;
        }
    }
    const bool left = g_CommandMgr.IsCommandActive(kSteerLeft);
    const bool right = g_CommandMgr.IsCommandActive(kSteerRight);
    if (left) m_fSteeringInput = std::max(m_fSteeringInput - dt * kSteeringRate * 1.2f, -limit);
    if (right) m_fSteeringInput = std::min(m_fSteeringInput + dt * kSteeringRate * 1.2f, limit);
    if (!left && !right) MoveTowards(&m_fSteeringInput, 0, dt * kSteeringRate);
}

// Only the field drivetrain changes gears by hand.
void CPlayer::RequestGearChange(bool up) {
    if (m_bRaceMode || !m_bDrivingEnabled || m_iPendingGear != -2) return;
    if (up ? m_iGear >= CurrentGearbox().topGear : m_iGear <= -1) return;
    m_iPendingGear = m_iGear + (up ? 1 : -1);
    g_SoundMgr.PlaySound2D(plat::Random() & 1 ? "sounds\\zmiana_biegu_04c.wav" : "sounds\\zmiana_biegu_05c.wav",
                           0.79f, 0.0f);
    m_fGearTimer = 0;
}

void CPlayer::UpdateGearChange() {
    if (m_iPendingGear < -1) return;
    m_fGearTimer += m_fFrameTime;
    if (m_fGearTimer < CurrentGearbox().changeTime) return;
    m_iGear = m_iPendingGear;
    m_fGearTimer = 0;
    m_iPendingGear = -2;
}

float CPlayer::Torque(float rpm) {
    int i = 1;
    while (i < 12 && !(500.0f * static_cast<float>(i) > rpm)) ++i;
    const float f = (rpm - 500.0f * static_cast<float>(i - 1)) / 500.0f;
    return TorqueAt(i) + f * (TorqueAt(i) - TorqueAt(i - 1));
}

// In neutral, and while a gear changes, the engine follows the throttle alone; it never runs
// below 900. The rpm fraction (the engine sound's pitch) follows it smoothly; the torque is read
// at most at 5900, and in reverse at most at 4500.
float CPlayer::EngineRpm(float rpmAtSpeed, float dt) {
    float rpm = rpmAtSpeed;
    const bool pending = m_iPendingGear != -2;
    if (!pending && m_iGear == 0) rpm = m_fThrottle * 6000;
    if (pending) rpm = m_fThrottle >= 0.3f ? 0 : m_fThrottle * 6000;
    m_fRpm = std::max(rpm, 900.0f);
    float r = std::min(m_fRpm, 5900.0f);
    m_fRpmFraction += (r / 6000 - m_fRpmFraction) * dt * 4.0f;
    if (m_iGear < 0 && (m_bMovingForward || m_fThrottle > 0.1f)) r = std::min(r, 4500.0f);
    return r;
}

void CPlayer::UpdateDrivetrain() {
    if (m_bRaceMode) UpdateRaceDrivetrain(m_fFrameTime);
    else UpdateFieldDrivetrain(m_fFrameTime);
}

void CPlayer::UpdateRaceDrivetrain(float dt) {
    const MachineRecord& m = Machine();
    const float up1 = static_cast<float>(m.m_iUpgrade1);
    const float load = ((1 - kLoad * 0.09f) - up1 * 0.06f) * 0.98f;
    const float power = (0.7f - (m.m_iUpgrade1 > 1 ? 0.06f : 0.0f)) * m.m_fPowerFactor * 34.0f;
    const bool pending = m_iPendingGear != -2;
    const float r = EngineRpm(m_fSpeed / kWheelTurn * load * power * 60, dt);
    float torque = Torque(r);
    if (m_iGear >= 1 && !m_bMovingForward && m_fThrottle > 0.1f && m_fSpeed < 4.9f) torque *= 4.5f;
    if (m_iGear < 0 && !m_bMovingForward && m_fThrottle > 0.1f) torque *= 4.5f;
    m_fEngineForce = m_fThrottle * torque * load * power * 2.368421f;
    if (m_iGear == -1) m_fEngineForce *= -0.02f;
    const float b = m_fSpeed > 0.3f ? std::min((1 - m_fThrottle) * 10, 8.0f) : 0.0f;
    m_fBrakeForce = 3 * b;
    m_fWheelForce = (up1 * 0.25f + 0.5f) * m_fEngineForce * 20;
    if (!m_bDrivingEnabled || pending) return;
    int32_t next = m_iPendingGear;
    if (r > 4450 && m_fThrottle > 0.3f && m_iGear == 0) next = 1;
    if (r < 3200 && (m_fThrottle < 0.3f || m_fBrakeInput > 0.3f) && m_iGear > 1) next = m_iGear - 1;
    if (r < 2200 && m_fThrottle > 0.7f && m_iGear > 1) next = m_iGear - 1;
    if ((m_iGear == 0 || m_iGear == 1) && r < 1000 && m_fBrakeInput > 0.5f && m_fThrottle < 0.1f) next = -1;
    if (m_iGear == -1 && m_fThrottle > 0.2f) next = 1;
    m_iPendingGear = next;
}

void CPlayer::UpdateFieldDrivetrain(float dt) {
    const MachineRecord& m = Machine();
    const float up1 = static_cast<float>(m.m_iUpgrade1);
    const bool pending = m_iPendingGear != -2;
    const float ratio = GearRatio(pending ? 0 : m_iGear) * (1 - kLoad * 0.03f);
    const float power = (0.7f - (m.m_iUpgrade1 > 1 ? 0.1f : 0.0f)) * m.m_fPowerFactor * 32.0f;
    const float r = EngineRpm(std::fabs(m_fSpeed) / kWheelTurn * ratio * power * 60, dt);
    m_fEngineForce = m_fThrottle * Torque(r) * ratio * power * 2.368421f;
    if (m_iGear == -1) m_fEngineForce *= -0.02f;
    const float speed = m_iGear < 0 ? std::fabs(m_fSpeed) : m_fSpeed;
    const float b = speed > 0.3f ? std::min((1 - m_fThrottle) * 10, 8.0f) : 0.0f;
    m_fBrakeForce = 3 * b;
    m_fWheelForce = (up1 * 0.25f + 0.5f) * m_fEngineForce * 20;
}

void CPlayer::UpdateSteering() {
    const float k = std::clamp((18 - m_fSpeed) / 18, 0.2f, 0.75f);
    const float reach = std::min(1.2f * k, 1.0f);
    const KeysFileOptions options = g_CoreHooks.keysFileOptions();
    float rate = 3.0f * *options.gameValue1 + 0.1f;
    if ((m_fSteering > 0 && m_fSteeringInput <= 0) || (m_fSteering < 0 && m_fSteeringInput >= 0))
        rate = 48.0f * *options.gameValue2 + 5.0f;
    MoveTowards(&m_fSteering, m_fSteeringInput * reach, m_fFrameTime * k * rate);
}

void CPlayer::ApplyControls() {
    if (!m_pVehicle) return;
    if (m_bRaceMode) ApplyRaceControls(m_fFrameTime);
    else ApplyFieldControls(m_fFrameTime);
    if (BalerBusy()) {
        g_Physics.SetTruckDrive(m_pVehicle, 0, m_fSteering);
        g_Physics.SetTruckBrake(m_pVehicle, 80);
    }
}

// Above the speed limit the drive is cut and the brake grows with the excess.
void CPlayer::ApplyFieldControls(float dt) {
    const MachineRecord& m = Machine();
    float drive = m_fWheelForce * 3.9f;
    float pedal = m_fBrakeInput * 500 * dt * (static_cast<float>(m.m_iUpgrade2) * 0.5f + 0.8f);
    float limit = kLoad * 2 + 18;
    float base = 0;
    const WorkingLimits w = ImplementWorkingLimits(kLoad);
    if (w.working) {
        limit = w.speedLimit;
        base = w.baseBrake;
    }
    if (w.ploughDrag && m_fThrottle < 0.2f) {
        base = 90;
        pedal = std::max(pedal, 1.0f);
    }
    if (m_fSpeed > limit) {
        drive = 0;
        pedal += (m_fSpeed - limit) * 60 * dt;
    }
    float force = 0, brake = base, steering = m_fSteering;
    if (m_iGear >= 1) {
        if (m_iGear > 1 || m_fSpeed >= 5.0f) drive *= 1.4f;
        force = (kLoad * 0.15f + 1.0f) * drive * 0.0018f;
        steering += w.steeringOffset;
        if (force <= 1.0f && pedal > 0) brake = 2 * pedal + base;
    } else if (m_iGear == 0) {
        brake = 2 * pedal + base;
    } else if (w.working) {
        // A working implement cannot be pushed backwards.
        brake = 140;
    } else if (m_fSpeed < -4.0f) {
        brake = 2 * ((m_fSpeed + 4) * 90 * dt + pedal) + base;
    } else {
        force = -(m_fThrottle * 1600);
        if (force <= 1.0f && pedal > 0) brake = 2 * pedal + base;
    }
    g_Physics.SetTruckBrake(m_pVehicle, brake);
    g_Physics.SetTruckDrive(m_pVehicle, force, steering);
    g_Physics.TruckHookC(m_pVehicle, g_CommandMgr.IsCommandActive(kHandbrake));
}

void CPlayer::ApplyRaceControls(float dt) {
    const MachineRecord& m = Machine();
    float drive = m_fWheelForce * 3.9f;
    float pedal = m_fBrakeInput * 500 * dt * (static_cast<float>(m.m_iUpgrade2) * 0.5f + 0.8f);
    const float limit = static_cast<float>(m.m_iUpgrade1) * 4 + kLoad * 4 + 18;
    if (m_fSpeed > limit) {
        drive = 0;
        pedal += (m_fSpeed - limit) * 60 * dt;
    }
    float force = 0, brake = 0;
    if (m_fSpeed <= 1.0f) {
        if (m_fSpeed >= -4.0f) force = (m_fThrottle - m_fBrakeInput) * 900;
        else brake = 2 * ((m_fSpeed + 4) * 90 * dt + pedal);
    } else {
        float multiplier = 1.4f;
        if (m_iGear == 1) multiplier = m_fSpeed < 2.0f ? 3.0f : m_fSpeed < 3.0f ? 2.0f : m_fSpeed < 5.0f ? 1.5f : 1.4f;
        force = (kLoad * 0.5f + 1.0f) * drive * multiplier * 0.0014f;
        if (force <= 1.0f && pedal > 0) brake = 2 * pedal;
    }
    g_Physics.SetTruckBrake(m_pVehicle, brake);
    g_Physics.SetTruckDrive(m_pVehicle, force, m_fSteering);
    g_Physics.TruckHookC(m_pVehicle, g_CommandMgr.IsCommandActive(kHandbrake));
}

void CPlayer::UpdatePosition() {
    if (!m_pVehicle) return;
    g_Physics.SyncTruckObjects(m_pVehicle);
    // The physics' own pass leaves a coupled plough to its tractor's owner.
    if (const Truck* implement = CoupledImplement(); implement && implement->m_bPlug)
        g_Physics.SyncTruckObjects(m_pImplement);
    m_vPrevPosition = m_vPosition;
    m_vPosition = m_pVehicle->m_vPosition;
    m_Orientation = m_pVehicle->m_Orientation;
    m_vFront = pmath::Normalize(m_Orientation.m_Front);
    m_vSide = pmath::Normalize(m_Orientation.m_Side);
    m_vUp = pmath::Normalize(m_Orientation.m_Up);
}

void CPlayer::UpdateVelocity() {
    if (!m_pVehicle) return;
    m_fSpeed = g_Physics.GetTruckSpeed(m_pVehicle);
    m_vVelocity = m_vFront * m_fSpeed;
    const DV moved = m_vPosition - m_vPrevPosition;
    if (pmath::Length(moved) > 0.0001f) {
        m_vMotionDirection = pmath::Normalize(moved);
        m_bMovingForward = pmath::Dot(m_vFront, m_vMotionDirection) > 0;
    }
}

void CPlayer::UpdateExhaustSmoke() {
    if (!m_pVehicle) return;
    m_fExhaustTimer += m_fFrameTime;
    if (m_fExhaustTimer < kExhaustPeriod) return;
    m_fExhaustTimer = 0;
    if (m_fSpeed <= 1.0f || !m_bRaceStarted) return;
    DV position;
    EOrientation orientation;
    if (g_Engine.GetObjectSocket(m_pVehicle, "rura", &position, &orientation))
        g_FXMgr.AddFXByName("dymek_rura", &position, &orientation);
}

void CPlayer::UpdateEngineSound() {
    if (!m_pEngineSound) return;
    g_SoundMgr.SetSoundPosition(m_pEngineSound, m_vPosition);
    g_SoundMgr.SetFrequency(m_pEngineSound, m_fRpmFraction * m_fRpmFraction * 30000 + 24000);
}

void CPlayer::CheckTipOver() {
    if (m_pVehicle && m_vUp.y <= kTipOverUp) PlaceAtStartPoint(false);
}

// A developer's trace: the machine's position once a second of driving.
void CPlayer::ReportPosition(float dt) {
    m_fReportTimer += dt;
    if (m_fReportTimer < 1.0f) return;
    m_fReportTimer -= 1.0f;
    float on = 0;
    if (!g_Console.GetVariable("PlayerTrace", on) || on == 0) return;
    const DV& p = m_vPosition;
    const DV& e = m_vCameraEye;
    // The field tasks' percentages: harvest, baling, ploughing, planting, sowing, bale collecting.
    const float* task = g_PlantMgr.m_fProgress;
    char line[400];
    std::snprintf(line, sizeof line,
                  "Player frame %u pos %.9g %.9g %.9g front %.9g %.9g %.9g eye %.9g %.9g %.9g speed %.9g gear %d "
                  "lap %d place %d of %d distance %.1f tasks %.1f %.1f %.1f %.1f %.1f %.1f",
                  g_CoreHooks.gameFrame(), p.x, p.y, p.z, m_vFront.x, m_vFront.y, m_vFront.z, e.x, e.y, e.z, m_fSpeed,
                  m_iGear, g_RuchMgr.m_iPlayerLap, g_RuchMgr.m_iRacePosition, g_RuchMgr.m_iCarCount, m_dDistance,
                  task[0], task[1], task[2], task[3], task[4], task[5]);
    g_Console.Print(line);
}
