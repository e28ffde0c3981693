#pragma once
// The computer-driven machines of a run: the race opponents of a route with opponents and the
// combine of a grain route. Each is a truck of the machines' physics on an engine object, driven
// along a Bezier path. The manager also counts the player's laps and race position, finds a free
// respawn point for the player, formats lap times and keeps each opponent's engine sound.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "world/CRoutesMgr.h"

class EObjectSlot;
struct SoundRecord;

// The difficulty the opponents and the place times follow: the profile's value, with anything
// outside easy (0) to hard (2), such as "not chosen", taken as hard.
int DifficultyLevel(int profileValue);
// The current profile's difficulty through that rule.
int CurrentDifficulty();

// One computer-driven machine. A record is cleared when its car is added.
struct RuchCar {
    static constexpr int32_t kOpponent = 1;
    static constexpr int32_t kCombine = 3;

    uint8_t m_bActive = 0;
    uint32_t m_uIndex = 0;
    int32_t m_iType = 0;
    // Seconds since the car last switched sides of the path.
    float m_fLaneTimer = 0;
    float m_fUpsideDownTimer = 0;
    float m_fBendTimer = 0;
    // Drawn at creation in -0.5..1.0: each opponent's own pace.
    float m_fRandomFactor = 0;
    float m_fSinceRelocation = 0;
    float m_fSampleTimer = 0;
    DV m_vLastSample;
    DV m_vPathPoint;
    DV m_vPathDirection;
    DV m_vAheadPoint;
    DV m_vAheadDirection;
    float m_fSteering = 0;
    float m_fPathHeight = 0;
    uint8_t m_bSharpBend = 0;
    uint8_t m_bFlicker = 0;
    float m_fFlickerTime = 0;
    float m_fBlinkTimer = 0;
    uint8_t m_bVisible = 0;
    float m_fBackwardsTimer = 0;
    // The car's horizontal front against the path's direction: negative when it faces back.
    float m_fAlignment = 0;
    float m_fLowSpeedTimer = 0;
    DV m_vMotionReference;
    DV m_vMotion;
    float m_fSpeedBonus = 0;
    uint8_t m_bLastCar = 0;
    // As long as the route's own path names, so a route's path is always followed by its whole name.
    char m_szPath[RouteRecord::kTextSize] = {};
    double m_dPathLength = 0;
    float m_fPlayerDistance = 0;
    EObjectSlot* m_pObject = nullptr;
    EOrientation m_Orientation;
    SoundRecord* m_pSound = nullptr;
    DV m_vPosition;
    DV m_vForward;
    int32_t m_iLap = 0;
    double m_dDistance = 0;
    // The last distance at which the car was seen on the road; flicker brings it back there.
    double m_dGoodDistance = 0;
    double m_dPlaceOffset = 0;
    double m_dDriveOffset = 0;
    uint8_t m_bSharesPlayerPath = 0;
    double m_dSpeed = 0;
    double m_dTargetSpeed = 0;
    double m_dPathToPlayer = 0;
    uint8_t m_bPlayerAhead = 0;
    uint8_t m_bPhysics = 0;
    float m_fPhysicsWait = 0;
    float m_fLimitTimer = 0;
    float m_fExhaustTimer = 0;
    uint8_t m_bFinished = 0;
    // A recent hit: positive while it lasts, the byte on while it decays.
    float m_fHitValue = 0;
    uint8_t m_bHit = 0;
};

class RuchMgr {
public:
    static constexpr int kCars = 20;

    // The engine force and the brake of one driving step.
    struct Drive {
        float force = 0;
        float brake = 0;
    };

    RuchMgr();
    virtual ~RuchMgr();

    // A new run: nothing started, no combine; the race position and car count stay until the run
    // computes them.
    void ResetRunState();
    void Start();
    void DodajCar(uint32_t index, double startDistance, uint8_t sharesPlayerPath, uint32_t type, uint8_t lastCar);
    bool FindSpawnPoint(DV* position, EOrientation* orientation);
    void RemoveCar(RuchCar& car);
    void RemoveAllCars();
    void Reset() { RemoveAllCars(); }
    void Update();
    void SyncCarObjects();
    void Render() {}
    void SpawnImpactEffect(const DV& position, bool scatter);

    // ---- Steps of the frame, public for the tests ------------------------------------------
    void UpdateCarByType(RuchCar& car);
    void PlaceStep(RuchCar& car);
    void PlaceCarOnPath(RuchCar& car, const DV& target, const EOrientation& orientation);
    void TrackPath(RuchCar& car);
    void CountPlayerLap(double distance);
    void ComputeRacePosition();
    void SwitchPhysicsOn(RuchCar& car);
    void SwitchPhysicsOff(RuchCar& car);

    void DriveOpponent(RuchCar& car);
    void DriveCombine(RuchCar& car);
    bool IsSharpBendAhead(RuchCar& car);
    bool OpponentTargetSpeed(RuchCar& car);
    bool CombineTargetSpeed(RuchCar& car);
    float RollCorrection(RuchCar& car);
    void OpponentContacts(RuchCar& car);
    void CombineContacts(RuchCar& car);
    // The steering towards the look-ahead point, within the type's limits.
    float SteerAlongPath(RuchCar& car) const;
    static Drive OpponentDrive(float target, float speed, bool raceStarted, float frameStep);
    static Drive CombineDrive(float target, float speed, bool raceStarted, float frameStep);

    void CheckFlickerRules(RuchCar& car);
    void CheckCombineFlickerRules(RuchCar& car);
    void CheckFallingBehind(RuchCar& car);
    void StartFlicker(RuchCar& car);
    void EndFlickerOnContact(RuchCar& car);
    void UpdateCombineFlicker(RuchCar& car);
    // The free spot from distance c back along the car's path, never before its start.
    double FindFreeSpot(const RuchCar& car, double c);

    float m_fStep = 0;
    double m_dStep = 0;
    uint8_t m_bStarted = 0;
    double m_dPlayerLastDistance = 0;
    RuchCar m_Cars[kCars];
    uint8_t m_bHasRun = 0;
    uint8_t m_bCombineAtEnd = 0;
    int32_t m_iRacePosition = -1;
    int32_t m_iCarCount = -1;
    int32_t m_iPlayerLap = 0;
    uint8_t m_bRaceStarted = 0;
    EObjectSlot* m_pCombine = nullptr;

private:
    // The first surface of the level below from, between from and to; the object is not tested.
    static bool GroundHit(const DV& from, const DV& to, EObjectSlot* skip, DV* point, DV* normal);
    // The vector with its height set to 0, normalised; a zero vector stays zero.
    static DV FlatUnit(DV v);
    // The player's run is over or fading out: positions and rules stand still.
    static bool PlayerFinished();
    EObjectSlot* CreateCarObject(RuchCar& car);
    void UpdateEngineSound(RuchCar& car);
    void UpdateExhaust(RuchCar& car);
    void UpdateHitValue(RuchCar& car);
    // Common start of both driving steps: timers, pose from the object, motion, path tracking.
    void BeginDriving(RuchCar& car);
    void UpdatePlayerRelation(RuchCar& car);
    // The first rule that fires prints its line after the object's name and starts flicker.
    void FireFlicker(RuchCar& car, const char* why);
    // Whether the rules' segment query finds the road under the car; may refresh the good distance.
    bool RoadBelow(RuchCar& car, bool timersGrew);
    // Rules 1 and 2 of both types: facing back and upside down; true when one fired.
    bool TurnedRules(RuchCar& car, bool* grew);
    bool ReturnBlockedByPlayer(RuchCar& car);
    bool ReturnBlockedByMachine(RuchCar& car);
    void StepFlicker(RuchCar& car);
    void ComeBack(RuchCar& car);
    void Blink(RuchCar& car);
};

// The lap time t as minutes ("00"), seconds (":00") and hundredths (".00"), each within its
// 4 characters; times are held within 0 to 999:59.99.
void FormatLapTime(float seconds, char (&minutes)[4], char (&secs)[4], char (&hundredths)[4]);
// The three parts joined: 83.456 s reads "01:23.45".
void FormatLapTimeString(float seconds, char (&text)[16]);

extern RuchMgr g_RuchMgr;
