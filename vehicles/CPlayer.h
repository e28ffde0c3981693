#pragma once
// The player: creates the machine of the route at its start, counts down to the start, turns keys
// or a controller into the machine's throttle, brake, steering and gears, steps the machines'
// physics, keeps the engine sound and exhaust with the machine, places the camera behind, above
// or inside it, finishes the run, and keeps the player's options.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "render/ERect.h"
#include "render/ESurface.h"
#include "world/CRoutesMgr.h"

class EObjectSlot;
struct MachineRecord;
struct Truck;
struct SoundRecord;

class CPlayer {
public:
    static constexpr int kHistorySize = 200;
    // The main game's frame from which the player drives its machine.
    static constexpr uint32_t kFirstUpdateFrame = 150;

    // One frame of the machine's motion: where it was and how long the frame lasted.
    struct MotionEntry {
        DV position;
        float time = 0.1f;
    };

    CPlayer();
    virtual ~CPlayer();

    // ---- The run's life in a level ----------------------------------------------------------
    void LoadResources();
    void ReleaseResources();
    // Places the new machine at the route's start and remembers the route's paths.
    void Respawn();
    // Puts the machine back on the course: at the start, or where the opponents leave room.
    void PlaceAtStartPoint(bool atStart);
    // The countdown starts (in the intro: driving starts at once).
    void StartLevel();
    // A one-shot 3-D sound at the player (no slot), or a kept looping one in the slot.
    void PlaySound3D(const char* wave, SoundRecord** slot, bool loop, bool play);
    // Begins the finish of the run, once per run: driving and force feedback stop and the fade
    // starts from 0.
    void StartFadeOut();

    // ---- The player's frame ------------------------------------------------------------------
    void Update();
    void ReadInput();
    // A manual gear change, in the field drivetrain only, while driving and no change is pending.
    void RequestGearChange(bool up);
    void UpdateDrivetrain();
    void UpdateGearChange();
    void UpdateSteering();
    void ApplyControls();
    void UpdatePosition();
    void UpdateVelocity();
    void UpdateExhaustSmoke();
    void UpdateEngineSound();
    void CheckTipOver();

    // ---- The camera --------------------------------------------------------------------------
    void UpdateCamera();
    void UpdateStartCamera();
    void UpdateRearCamera();
    void UpdateCockpitCamera();
    void UpdateChaseCamera();
    void UpdateFieldOfView();

    // Empty hooks of the main game's render.
    void Render() {}
    void RenderOverlay() {}

    // ---- Guidance ----------------------------------------------------------------------------
    static constexpr int kGates = 64;
    // A slalom gate "s1" .. "s63": the point 2 above the ground at its object.
    struct SlalomGate {
        uint8_t m_bUsed = 0;
        DV m_vPosition;
    };

    // The HUD's instruction lines for the machine and the task, and the actions of their keys.
    void ShowInstructions();
    // Outside the object "zone" for more than 5 seconds: put back, or on a field task the run lost.
    void UpdateZone();
    // Racing 20 from the route for more than 3 seconds: put back on it.
    void UpdateOffRoute();
    // The player's distance along the start path follows the machine.
    void UpdateRouteProgress();
    // The slalom's gates and cones, read from the level's objects at the start.
    void SetupSlalom();
    // Cones touched, then the next gate passed or the course finished.
    void UpdateSlalom();
    void UpdateSlalomGates();
    void UpdatePointObjects();
    // A point object touched at the point: money, or on a slalom 15 seconds.
    void AddHit(EObjectSlot* object, const DV& point);
    // A machine of the opponents collided at the point.
    void PlayHitSound(EObjectSlot* object, const DV& point);
    // The combine "kombajn" pours into the player's trailer while it is under the pipe.
    void UpdateCombinePipe();
    // The trailer empties over the object "waypoint".
    void UpdateGrainUnloading();
    void UpdateRoofTest();
    void CheckBarrierContact();
    // Moves the point onto the level's static ground below it (from 4 above to 100 below); left
    // as it is when nothing is there.
    void DropToGround(DV* point) const;

    float m_fZoneTimer = 0;
    SlalomGate m_Gates[kGates];
    int32_t m_iHighestGate = 0;
    int32_t m_iNextGate = 0;
    int32_t m_iGateEffect = -1;
    float m_fUnloadEffectTimer = 0;
    // Something stands over the player (a roof, a bridge).
    uint8_t m_bCovered = 0;
    // A point object was touched (the HUD shows the points for a while).
    uint8_t m_bHit = 0;
    float m_fHitDisplayTimer = 0;
    float m_fHitSoundTimer = 0;

    // ---- What the HUD shows of the run -------------------------------------------------------
    // The run is lost (once, before the fade of a finish starts): driving stops, the opponents go,
    // the profile is saved and the result page shows the defeat.
    void ShowDefeat();

    // ---- The run's progress and end ----------------------------------------------------------
    // The camera's orbit round the machine while the finish fades, then the result.
    void UpdateOutro();
    // The finish's fade over the scene while it is at most 1 s old.
    void RenderFade();
    // The finished run's place, lines, prize and picture, booked on the profile; the result page.
    void ShowResult();
    // The task of a field route done (or its time run out), checked each frame.
    void CheckTaskCompletion();
    // The finish marker within reach ends the run.
    void CheckFinishMarker();
    // The level script's "koniec" ends the run; "stacja" tells the player is at the station.
    void CheckLevelVariables();
    // The place of the run: the race position on routes with opponents, else by the run time
    // against the place times of the difficulty; on field task routes the times decide whenever
    // they give a place.
    int ChoosePlace() const;
    // 1, 2 or 3 when the time is below the first, second or third of the triple, else 0.
    static int PlaceByTime(float runTime, const float* triple);
    // The three place times of the current route at the profile's difficulty.
    static const float* PlaceTimes(const RouteRecord& route);

    // The result page's title, text and prize lines, its picture and the place (1..3, or -1).
    char m_szResultLines[3][256] = {};
    int32_t m_iResultPlace = -1;
    // The level script says the machine stands at the station.
    uint8_t m_bAtStation = 0;
    ERect m_FadeRect;
    // The machine the player may take over, or null.
    EObjectSlot* GetSwitchableVehicle() const { return m_pSwitchableVehicle; }
    EObjectSlot* m_pSwitchableVehicle = nullptr;
    // The task is done: the HUD asks the player to end it.
    uint8_t m_bFinishPrompt = 0;
    // Outside the object named "zone".
    uint8_t m_bOutsideZone = 0;
    // Off the route: the warning runs, the side to turn back to (set: left), and the seconds since
    // it began (the machine is put back on the route after 3).
    uint8_t m_bOffRoute = 0;
    uint8_t m_bOffRouteLeft = 0;
    float m_fOffRouteTimer = 0;

    // Allows the surface force-feedback effects (sliding, gravel).
    uint8_t m_bSurfaceForceFeedback;
    // Options kept in "save\keys.cfg" (with the camera mode below): one the HUD reads, one only
    // stored.
    uint8_t m_bHudOption;
    uint8_t m_bOption2;

    EObjectSlot* m_pVehicle = nullptr;
    EObjectSlot* m_pImplement = nullptr;
    EObjectSlot* m_pEndMarker = nullptr;
    EObjectSlot* m_pBarrierMarker = nullptr;
    uint8_t m_bDrivingEnabled;
    uint8_t m_bFadeStarted;
    uint8_t m_bRunFinished;
    float m_fFade;
    // 4, 3, 2, 1, 0 while the start counts down (one step a second); -1 when no countdown runs.
    int32_t m_iCountdown = 4;
    float m_fCountdownTimer = 0;
    uint8_t m_bRaceStarted = 0;
    // Set by the start of the level: the countdown or the intro's drive has begun.
    uint8_t m_bStarted = 0;
    // The single-ratio drivetrain with automatic gears of races and slaloms.
    uint8_t m_bRaceMode = 0;

    // Driving: gear -1 reverse, 0 neutral, 1..5; pending gear -2 when no change is pending.
    int32_t m_iGear = 0;
    int32_t m_iPendingGear = -2;
    float m_fGearTimer = 0;
    float m_fThrottle = 0;
    float m_fBrakeInput = 0;
    uint8_t m_bInputActive = 0;
    float m_fSteeringInput = 0;
    float m_fSteering = 0;
    float m_fSpeed = 0;
    float m_fRpm = 0;
    float m_fRpmFraction = 0;
    float m_fEngineForce = 0;
    float m_fWheelForce = 0;
    float m_fBrakeForce = 0;
    uint8_t m_bMovingForward = 1;
    DV m_vVelocity;
    DV m_vMotionDirection;

    DV m_vPosition;
    DV m_vPrevPosition;
    DV m_vFront{0, 0, 1};
    DV m_vSide{1, 0, 0};
    DV m_vUp{0, 1, 0};
    EOrientation m_Orientation;

    float m_fRunTime = 0;
    float m_fDrivingTimer = 0;
    float m_fRespawnCooldown = 0;
    float m_fExhaustTimer = 0;
    float m_fHudTimer = 0;

    // Camera: mode 0, 1 inside; 2, 3 behind. Kept in "save\keys.cfg", so a run starts in the view
    // the last one left.
    uint32_t m_uCameraMode = 0;
    float m_fCameraYaw = 0;
    float m_fCameraPitch = 0;
    float m_fMouseIdle = 0;
    uint8_t m_bCameraSnap = 0;
    float m_fZoom = 0;
    float m_fSmoothZoom = 0;
    float m_fLookAhead = 0;
    float m_fSway = 0;
    float m_fShakePhase = 0;
    float m_fShakeFrequency = 10.0f;
    float m_fShakeAmplitude = 0;
    DV m_vCameraTarget;
    DV m_vCameraEye;
    EOrientation m_CameraOrientation;
    uint8_t m_bMovingBackward = 0;
    uint8_t m_bLookBack = 0;
    // The run's machine was found without a camera socket, and the console told so.
    uint8_t m_bCameraSocketReported = 0;
    MotionEntry m_History[kHistorySize];

    // The route's start path, its opposite, and the distances along the start path. As long as the
    // route's own names, so a long name is never cut into one no path has.
    char m_szStartPath[RouteRecord::kTextSize] = {};
    char m_szOppositePath[RouteRecord::kTextSize] = {};
    double m_dStartDistance = 0;
    double m_dDistance = 0;
    double m_dPathLength = 0;

    SoundRecord* m_pEngineSound = nullptr;

private:
    void ClearHistory(const DV& position);
    void UpdateCountdown(float dt);
    // The machine on the route's start: controls released, driving may begin.
    void ReleaseForDriving();
    void ReadKeys(float dt, float limit);
    void ReadController(float limit);
    void ReadCombineKeys();
    // With the console variable "PlayerTrace" set, the machine's position once a second.
    void ReportPosition(float dt);
    // The torque of the engine at the rpm, from the torque table.
    static float Torque(float rpm);
    // The engine's rpm from the rpm its wheels turn it at; returns the rpm the torque is read at.
    float EngineRpm(float rpmAtSpeed, float dt);
    void UpdateRaceDrivetrain(float dt);
    void UpdateFieldDrivetrain(float dt);
    void ApplyFieldControls(float dt);
    void ApplyRaceControls(float dt);
    void UpdateMotionHistory(float dt);
    DV LookAhead() const;
    // The cockpit's eye of a machine that has no camera socket: at a driver's height above it.
    DV CockpitEyeWithoutSocket();
    // The point dropped onto the level below it, or unchanged when nothing is hit.
    bool DropOntoGround(DV* position, float above, float below) const;

    // The coupled implement's hold on the driving: the working one's speed limit and drag, the
    // plough's pull to one side; the shaking of a working implement; a grain trailer's brake.
    struct WorkingLimits {
        bool working = false;
        float speedLimit = 0;
        float baseBrake = 0;
        float steeringOffset = 0;
        bool ploughDrag = false;
    };
    // The implement's truck while it hangs on the player's machine.
    Truck* CoupledImplement() const;
    float ImplementSteeringLimit(float limit) const;
    WorkingLimits ImplementWorkingLimits(float load) const;
    // The baler's new bale holds the machine still while its gate opens.
    bool BalerBusy() const;
    void ShakeImplement(float dt);
    void BrakeGrainTrailer();
    float m_fShakeTimer = 0;

    uint8_t m_bKeyWasDown[64] = {};
    // Edge of a command: true on the frame it goes down.
    bool Pressed(uint32_t command);
    float m_fReportTimer = 0;

public:
    // The engine's frame time, taken at the start of the player's frame.
    float m_fFrameTime = 0;
};

// The machine and the implement of the current route, made at the start of the level.
void TworzPostacGracza();
// The intro's machine: a fixed tractor, no implement.
void TworzPostacGraczaIntro();

extern CPlayer g_Player;
