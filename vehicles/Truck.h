#pragma once
// The physics instance of one machine or implement: a ray-cast vehicle on a compound chassis
// body, with the engine objects that show its wheels, attachments, steering wheel, pistons,
// driver and hitch. It hangs on its engine object as HTRUCK and dies with it.
#include <btBulletDynamicsCommon.h>

#include <cstdint>

#include "core/DV.h"

class EObjectSlot;
struct SoundRecord;

struct Truck {
    static constexpr int kWheels = 16;
    static constexpr int kAttachments = 16;

    Truck();

    // Wheel positions written by the wheel passes, read by the field work and the HUD.
    DV m_vWheelPositions[2][kWheels];
    char m_szName[256] = {};
    // The country index after the country flags (0 DE, 1 FR, 2 UK, 3 US).
    int32_t m_iKlasa = 0;
    char m_szEngineSound[256] = {};
    SoundRecord* m_pSound = nullptr;

    // Wheels.
    EObjectSlot* m_pWheelObjects[kWheels] = {};
    char m_szWheelSockets[kWheels][64] = {};
    uint8_t m_bWheelFront[kWheels] = {};
    float m_fWheelC[kWheels] = {};
    float m_fWheelRadius[kWheels] = {};
    float m_fShownWheelHeight[kWheels] = {};
    DV m_vPreviousWheelSocket[kWheels];
    float m_fWheelSpin[kWheels] = {};
    uint32_t m_uWheelCount = 0;

    // Parts deleted with the truck.
    EObjectSlot* m_pDriver = nullptr;
    EObjectSlot* m_pLoaderArmHorizontal = nullptr;
    EObjectSlot* m_pLoaderArmVertical = nullptr;
    EObjectSlot* m_pPistonA = nullptr;
    EObjectSlot* m_pPistonB = nullptr;
    // The animated three-point linkage ("models\zaczep\zaczep.x").
    EObjectSlot* m_pLinkage = nullptr;
    float m_fSeederSpin = 0;

    // Kind flags, copied from the type.
    uint8_t m_bTraktor = 0, m_bKombajn = 0, m_bPrasa = 0, m_bKostkujaca = 0, m_bPlug = 0, m_bSadzarka = 0,
            m_bSadzarkaDuza = 0, m_bSiewnik = 0, m_bSiewnikDuzy = 0, m_bKosa = 0, m_bKosa3x = 0, m_bTur = 0,
            m_bPrzyczepaDuza = 0, m_bPojemny = 0, m_bStaly = 0;
    uint8_t m_bDE = 0, m_bFR = 0, m_bUK = 0, m_bUS = 0;
    // Cutting or baling on; the combine's pipe-return and unloading-stop flags.
    uint8_t m_bMowingOn = 0;
    uint8_t m_bPipeReturn = 0;
    uint8_t m_bUnloadingStop = 0;

    EObjectSlot* m_pOwner = nullptr;
    // Set once by ReleaseTruckControls: until then the drivers' wishes never reach the wheels.
    uint8_t m_bReleased = 0;

    btRigidBody* m_pChassis = nullptr;
    btRaycastVehicle::btVehicleTuning m_Tuning;
    btDefaultVehicleRaycaster* m_pRaycaster = nullptr;
    // Null for a plough.
    btRaycastVehicle* m_pVehicle = nullptr;

    // The drivers' wishes, renewed every frame; the current steering eases towards the target.
    float m_fEngineForce = 0;
    float m_fTargetSteering = 0;
    float m_fCurrentSteering = 0;
    float m_fBrake = 0;
    uint8_t m_bReverseWheels = 0;
    uint8_t m_bPlayerCanDrive = 0;

    EObjectSlot* m_pSteeringWheel = nullptr;
    char m_szSteeringWheelSocket[64] = {};
    // The steering column's tilt, in half turns.
    float m_fSteeringCorrection = -0.17f;

    // Rigid attachments.
    EObjectSlot* m_pAttachments[kAttachments] = {};
    char m_szAttachmentSockets[kAttachments][64] = {};
    uint32_t m_uAttachmentCount = 0;
    uint8_t m_bAttachmentGrain[kAttachments] = {};
    uint8_t m_bAttachmentStable[kAttachments] = {};
    float m_fSpinSpeed[kAttachments] = {};
    float m_fSpinAngle[kAttachments] = {};
    float m_fSwingTarget[kAttachments] = {};
    float m_fSwingAngle[kAttachments] = {};
    float m_fTilt[kAttachments] = {};
    // Bodies of attachments that have them, and what ties them to the chassis.
    btRigidBody* m_pAttachmentBodies[kAttachments] = {};
    btTypedConstraint* m_pAttachmentConstraints[kAttachments] = {};
    // Skinned attachments; the first is the front loader of a front loader.
    EObjectSlot* m_pSkinAttachments[kAttachments] = {};
    char m_szSkinAttachmentSockets[kAttachments][64] = {};
    char m_szSkinAttachmentAnimations[kAttachments][64] = {};
    uint32_t m_uSkinAttachmentCount = 0;

    // Bale state: -1 idle, 0 new, 1 travelling out, 2 closing.
    int32_t m_iBaleState = -1;
    EObjectSlot* m_pBaleInFlight = nullptr;
    EObjectSlot* m_pChamberBale = nullptr;
    float m_fBaleTravel = 0;
    float m_fGateAngle = 0;
    // What the baling has gathered into the current bale.
    double m_dBaleProgress = 0;
    // The bale a front loader carries, and how long it has carried it.
    EObjectSlot* m_pHeldBale = nullptr;
    float m_fHeldBaleTimer = 0;

    float m_fDriverScale = 1.0f;
    uint8_t m_bDriverTurnPose = 0;
    // Implement lifts: 1 lowered and working, 2 raising, 3 lowering, 4 raised.
    int32_t m_iPloughLiftState = 3;
    float m_fPloughLift = 0;
    float m_fPloughTurnOver = 0;
    float m_fPloughDepth = 0;
    int32_t m_iFrontLoaderState = 4;
    float m_fPlanterLift = 0;
    int32_t m_iPlanterLiftState = 0;
    float m_fSeederLift = 0;
    int32_t m_iSeederLiftState = 0;
    float m_fPlanterFactor = 0;
    float m_fSeederFactor = 0;
    // Mower sound state: 1 stop requested, 2 stopped, 3 playing, 4 start requested. The same
    // field is the mower's lift state (1 lowered, 2 raising, 3 lowering, 4 raised).
    int32_t m_iMowerSoundState = 0;
    float m_fMowerLift = 0;

    uint8_t m_bPrzyczepa = 0;
    uint8_t m_bNaSiano = 0;
    // The hitch of a trailer: its model, where its hinge sits on the trailer (chassis frame) and
    // on the hitch (hitch frame), where a tractor couples on it (hitch frame), and that point's
    // socket name and world position.
    EObjectSlot* m_pHitchModel = nullptr;
    DV m_vHingePivotTrailer;
    DV m_vHingePivotHitch;
    DV m_vHitchCouplingPoint;
    char m_szHitchTractorSocket[64] = {};
    DV m_vHitchTractorSocketWorld;
    btRigidBody* m_pHitchBody = nullptr;
    btHingeConstraint* m_pHitchHinge = nullptr;
    // The hitch model carries sockets for some of the wheels: the front axle rides on it.
    uint8_t m_bWheelsOnHitch = 0;

    // The hooks (main, plough, seeder): flag, socket, point in the chassis frame.
    struct Hook {
        uint8_t m_bSet = 0;
        char m_szSocket[64] = {};
        DV m_vPoint;
    };
    Hook m_Hooks[3];
    DV m_vHookWorld;

    // Coupling: the first and second constraints, the machine at the other end, and for a
    // trailer the vehicle that pulls it.
    btGeneric6DofConstraint* m_pCoupling[2] = {};
    EObjectSlot* m_pPartner = nullptr;
    EObjectSlot* m_pTowing = nullptr;

    // Combine: grain fill, the unloading timer, the pipe-out and unloading bytes, the cutter-bar
    // ends and the grain spout.
    double m_dGrainFill = 0;
    // Grain poured from the pipe since the player's trailer last took it in.
    double m_dGrainPoured = 0;
    float m_fUnloadingTimer = 0;
    uint8_t m_bPipeOut = 0;
    uint8_t m_bUnloading = 0;
    DV m_vCutterBar[2];
    DV m_vGrainSpout;
    // The mower's swing phase, 0 to 2 pi.
    float m_fMowerPhase = 0;
    // A planter's or seeder's working width: its two ends now and at the last strip segment laid
    // behind it (kept by the field work, read by the ground marks).
    DV m_vTrackEnds[2];
    DV m_vPreviousTrackEnds[2];
    // The track behind a seeder or planter is being drawn.
    uint8_t m_bTrackOpen = 0;
    // A working combine's straw: the amount gathered, the timer of its swath marks and of its
    // chaff effect.
    float m_fStraw = 0;
    float m_fSwathTimer = 0;
    float m_fChaffTimer = 0;
    // A baler's fill towards its next bale.
    double m_dBaleFill = 0;
};
