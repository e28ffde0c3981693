#pragma once
// The optional parameter blocks an engine object carries. Each is a heap block hung on the object
// while it is needed, registered with the allocation registry under its own name; the blocks are
// changed by copy, change and write back through the engine's setters.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

class SoundRecord;
struct BezierNode;

// A looping 3-D sound the object plays while the camera is near enough and the level-logic
// variable (when named) is set.
struct strSoundParams {
    SoundRecord* m_pSound = nullptr;
    char m_szFile[256] = {};
    float m_fDistance = 0;
    char m_szVariable[64] = {};
};

// A light's blinking: the on byte, then its timing values.
struct strLightBlinking {
    uint8_t m_bOn = 0;
    float m_fValues[6] = {0, 0, 2.0f, 0, 1.0f, 0};
};

// Which lights an object switches: an enable byte, a second byte, the control data and the names.
struct strLightControlParams {
    static constexpr int kLights = 32;
    static constexpr int kNameLength = 32;
    uint8_t m_bEnabled = 0;
    uint8_t m_bSecond = 0;
    float m_fControl[4] = {};
    char m_szLights[kLights][kNameLength] = {};
};

// Texture painting of an object's subsets: three texture slots with their looks, and which
// subsets each row of the table paints.
struct strTexturePaint {
    static constexpr int kSlots = 3;
    static constexpr int kRows = 16;
    uint8_t m_bSlotUsed[kSlots] = {};
    char m_szTextureName[kSlots][256] = {};
    uint8_t m_bSubsetUsed[kRows][16] = {};
    float m_fAdditionalColour[kSlots][3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    float m_fDensity[kSlots] = {};
    float m_fSharpness[kSlots] = {};
    float m_fSaturation[kSlots] = {};
    float m_fBrightness[kSlots] = {1, 1, 1};
    float m_fReserved[kSlots] = {1, 1, 1};
};

// Which fence meshes the fence generator lays on each side of a road.
struct strPlotek {
    static constexpr int kPrefabs = 10;
    uint8_t m_bLeft = 0;
    char m_szLeft[kPrefabs][256] = {};
    uint8_t m_bRight = 0;
    char m_szRight[kPrefabs][256] = {};
};

// What happens when an object's actions fire, filled by the action lines of the world file: each
// keyword fills the field named after it. The words of the lines with several values are laid out
// by the table in ActionScriptLines.cpp. The first state of an object runs the "default" variants,
// the switched state the "destination" ones.
struct strActionParams {
    static constexpr int kVoices = 4;
    static constexpr int kSectors = 32;

    // action_general_opt: the on switch, and firing on a touch of the player's machine.
    uint32_t m_uEnabled = 0;
    uint32_t m_uOnTouch = 0;
    // action_general_2: firing once only, and a second value kept for the block's users.
    uint32_t m_uOnce = 0;
    uint32_t m_uGeneral2 = 0;
    // action_general_3: three values kept for the block's users.
    uint32_t m_uGeneral3[3] = {};

    // Level-logic variables: the gates, and what each state sets and unsets.
    char m_szActionIf[32] = {};
    char m_szActionIfNot[32] = {};
    char m_szDefaultSet[32] = {};
    char m_szDefaultUnset[32] = {};
    char m_szDestSet[32] = {};
    char m_szDestUnset[32] = {};
    char m_szSetIfPickedUp[32] = {};
    char m_szSetIfOnTarget[32] = {};
    char m_szActivateAIAction[32] = {};
    char m_szTargetName[32] = {};

    // One-shot sounds of the first and the switched state, and their range.
    char m_szSoundActivate[256] = {};
    char m_szSoundDeactivate[256] = {};
    float m_fSoundRange = 0;
    // The ambient sound the actions switch to, and its volume.
    char m_szAmbientSound[254] = {};
    float m_fAmbientVolume = 0;
    char m_szMusic[128] = {};
    char m_szStartWorld[128] = {};
    char m_szRunScript[255] = {};
    char m_szConsolePrint[255] = {};

    // Lights: the light's on byte and its blinking switch.
    uint32_t m_uLightToggle = 0;
    uint32_t m_uBlinkingToggle = 0;
    uint8_t m_bBlackout = 0;
    uint8_t m_bControlBlackout = 0;

    // Hand-over of the actions to another object, now or after the pause (seconds).
    char m_szHandOver[32] = {};
    float m_fHandOverPause = 0;
    // Objects pushed away, killed, teleported here; green and red points switched.
    char m_szKickObject[32] = {};
    float m_fKickForce = 0;
    char m_szKillObject[32] = {};
    float m_fKillDelay = 0;
    char m_szKillCharacter[63] = {};
    char m_szTeleportObjectHere[63] = {};
    uint32_t m_uTeleportWithRotation = 0;
    char m_szTeleportCharacterHere[63] = {};
    uint8_t m_bTeleportPlayerHere = 0;
    uint8_t m_bCrouchingTeleportPlayerHere = 0;
    uint8_t m_bTeleportMultiPartnerHere = 0;
    char m_szGreenPointFor[63] = {};
    char m_szRedPointFor[63] = {};
    char m_szRemoveJointsFor[63] = {};
    char m_szSpreadAttachmentsFor[63] = {};
    float m_fSpreadAttachmentsForce = 0;
    float m_fTakeHealthAway = 0;
    char m_szDirectionPointerTo[63] = {};
    // Objects whose path movement passes the blockers or stops at them.
    char m_szPassBlockersOn[32] = {};
    char m_szPassBlockersOff[32] = {};

    // Camera positioning: the camera looks from the named object at this one.
    uint32_t m_uCameraPositioning = 0;
    char m_szCameraPositioning[32] = {};
    // Camera setting: its switch, six values and a last switch.
    uint8_t m_bCameraSetting = 0;
    float m_fCameraSetting[6] = {1.1f, 0, 0, 0, 1.0f, 0};
    uint8_t m_bCameraSettingLast = 0;
    uint8_t m_bCameraPositioningMotionBlur = 0;
    char m_szCameraMoveTo[63] = {};
    float m_fCameraMoveTime = 0;
    char m_szCameraLookFrom[63] = {};
    char m_szCameraLookFromSocket[63] = {};
    float m_fCameraLookFromTime = 0;
    uint8_t m_bCameraLookFromCharacter = 0;
    float m_fFOVMultiplier = 0;
    // Camera shakes: the switches, the constant shake (six values and its range) and the short one.
    uint8_t m_bShakeScreen = 0;
    uint8_t m_bConstantShakeScreen = 0;
    uint8_t m_bShortShakeScreen = 0;
    float m_fConstantShake[6] = {};
    float m_fConstantShakeRange = 0;
    float m_fShortShake[8] = {};

    // Motion after firing: slide along the move vector up to the limit at the speed.
    DV m_vMove;
    float m_fMoveSpeed = 0;
    float m_fMoveLimit = 0;
    // Turn targets in degrees, the turn speed and acceleration.
    float m_fTurnTargets[3] = {};
    float m_fTurnSpeed = 0;
    float m_fTurnAcceleration = 0;
    // Swing (a door): the angle taken when the actions fire and its speed, swinging away from the
    // player's machine; a second swing (its knob) with its speed and target.
    uint32_t m_uSwing = 0;
    uint32_t m_uSwingAwayFromPlayer = 0;
    float m_fSwingAngle = 0;
    float m_fSwingSpeed = 0;
    uint32_t m_uSecondSwing = 0;
    float m_fSwing2Speed = 0;
    float m_fSwing2Target = 0;
    float m_fDoorValue = 0;
    float m_fKnobValue = 0;
    char m_szKnobObject[31] = {};
    char m_szKnobSocket[31] = {};
    uint8_t m_bDoorEnemyCanOpen = 0;
    uint8_t m_bPartnerCanUse = 0;
    uint8_t m_bLadder = 0;
    uint8_t m_bCanBeHeldUp = 0;

    // Effects and animations of the two states.
    char m_szDefaultSetFX[31] = {};
    char m_szDefaultUnsetFX[31] = {};
    uint8_t m_bDefaultSetFXTieToMe = 0;
    uint8_t m_bDefaultUnsetFXTieToMe = 0;
    uint8_t m_bEmitBulletHitEffects = 0;
    char m_szDefaultAnimation[31] = {};
    char m_szDestinationAnimation[31] = {};
    uint8_t m_bDefaultAnimationLoop = 0;
    uint8_t m_bDestinationAnimationLoop = 0;
    // An animation started on another skinned mesh, with its loop byte.
    char m_szAnimForObject[63] = {};
    char m_szAnimForAnimation[63] = {};
    uint8_t m_bLoopAnimFor = 0;

    // Paths: this object starts on another path; another object starts on a path (reversed
    // when the word is clear); the motion word (the path state follows the firing).
    char m_szBezierStart[63] = {};
    char m_szBezierForObject[63] = {};
    char m_szBezierForNode[63] = {};
    uint32_t m_uBezierForLoop = 0;
    uint8_t m_bSwitchMovingOnAction = 0;

    // Dialogue keys: hero 0 and hero 1 (the first two only check their files), other, enemy.
    char m_szVoices[kVoices][63] = {};
    char m_szHeroDialogue[63] = {};
    char m_szDialogue0[63] = {};
    char m_szDialogueActors[3][63] = {};
    char m_szNewObjective[63] = {};
    char m_szNewHint[63] = {};
    char m_szRadio[63] = {};

    // Environment: its switch, render states, far distance, sector lists and the sector deleted.
    uint8_t m_bUseRenderParams = 0;
    uint8_t m_bRenderStates[8] = {};
    float m_fFarZ = 0;
    int32_t m_iShowSectors[kSectors] = {};
    int32_t m_iHideSectors[kSectors] = {};
    int32_t m_iSectorToDelete = 0;
    float m_fGlobalTimeSpeed = 0;
    uint8_t m_bEndGame = 0;
    float m_fMinimumInterval = 0;

    // Characters and their respawning.
    char m_szRespawnCharacter[32] = {};
    char m_szRespawnPhases[2][32] = {};
    char m_szRespawnUnless[32] = {};
    char m_szRespawnLastAction[32] = {};
    char m_szRespawnOnAlertAction[64] = {};
    char m_szRespawnEnemyType[64] = {};
    char m_szRespawnForceWeapon[64] = {};
    char m_szRespawnForceSkinMesh[255] = {};
    float m_fRespawnValue = 0;
    int32_t m_iRespawnCount = 0;
    int32_t m_iRespawnEnemies = 0;
    int32_t m_iRespawnAggression = 0;
    uint8_t m_bRespawnObeAfterDeath = 0;
    uint8_t m_bRespawnForbidObeAfterDeath = 0;
    uint8_t m_bRespawnFirstModelOnly = 0;
    uint8_t m_bRespawnCanThrowGrenades = 0;
    uint8_t m_bRespawnShootsOnlyAbove = 0;
    uint8_t m_bRespawnRagdollOnDeath = 0;
    uint8_t m_bRespawnForbidHat = 0;
    char m_szSetPhaseFor[32] = {};
    char m_szPhaseName[32] = {};
    char m_szCharacterRunsTo[63] = {};
    char m_szCharacterRunTarget[63] = {};
    char m_szCharacterBezier[63] = {};
    char m_szCharacterPhaseOnTarget[63] = {};
    char m_szCharacterRunAnimation[63] = {};
    uint8_t m_bPeacefulMode = 0;
    uint8_t m_bCombatMode = 0;
    uint8_t m_bAllowSprint = 0;
    uint8_t m_bForbidSprint = 0;
    uint8_t m_bHighJumpOn = 0;
    uint8_t m_bHighJumpOff = 0;
    uint8_t m_bAllowJumping = 0;
    uint8_t m_bForbidJumping = 0;
    uint8_t m_bShoot = 0;
    int32_t m_iShoot[2] = {};
    char m_szShootTarget[31] = {};
    char m_szShootWeapon[31] = {};
    uint8_t m_bIfAimedAndShotWithRocket = 0;
    uint8_t m_bHideIconIfInvalid = 0;
    uint8_t m_bMultiCheckPoint = 0;
    uint8_t m_bActionOnLook = 0;
    char m_szAfterPickup[63] = {};
    uint8_t m_bCheckpoint = 0;
    uint8_t m_bFullAmmo = 0;
    uint8_t m_bAddCockroaches = 0;
    int32_t m_iCockroaches = 0;

    // The player's movement and view.
    uint8_t m_bFadeIn = 0;
    float m_fFadeIn = 0;
    uint8_t m_bFadeOut = 0;
    float m_fFadeOut = 0;
    int32_t m_iMotionBlur = 0;
    uint8_t m_bMotionBlur = 0;
    int32_t m_iMouseInertia = 0;
    float m_fMouseInertia = 0;
    uint8_t m_bMouseInertia = 0;
    uint8_t m_bMovementRadiusOn = 0;
    uint8_t m_bMovementRadiusOff = 0;
    float m_fMovementRadius = 0;
    uint8_t m_bPanoramicOn = 0;
    uint8_t m_bPanoramicOff = 0;
    uint8_t m_bBezierWalkOn = 0;
    uint8_t m_bBezierWalkRunning = 0;
    uint8_t m_bBezierWalkOff = 0;
    char m_szViewBezierWalk[63] = {};
    uint8_t m_bLookAtOn = 0;
    uint8_t m_bLookAtOff = 0;
    char m_szViewLookAt[63] = {};
    float m_fLookAtAngle = 0;
    uint8_t m_bBwPostprocessOn = 0;
    uint8_t m_bBwPostprocessOff = 0;
    char m_szBwObject[63] = {};
    char m_szBwCharacter[63] = {};
    uint8_t m_bMonochromaticOn = 0;
    uint8_t m_bMonochromaticOff = 0;

    // Countdown and vehicle targets, which the actions only log.
    uint8_t m_bCountdownOn = 0;
    uint8_t m_bCountdownOff = 0;
    float m_fCountdownTime = 0;
    char m_szCountdownAction[63] = {};
    uint8_t m_bVehicleTarget = 0;
    char m_szVehicleTarget[63] = {};
    uint8_t m_bVehicleStopTargetting = 0;
    char m_szVehicleStopTargetting[63] = {};
};

// The one-hit block of a death: any explosion in range kills an object whose word is set (a pane
// of glass); the values after the word belong to the pane's crash.
struct strOneHit {
    int32_t m_iOneHit = 0;
    uint8_t m_bPaneCrash[2] = {1, 1};
    float m_fPaneCrash[5] = {1.8f, 1.0f, 8.0f, 24.0f, 1.0f};
    int32_t m_iPaneCrash[2] = {1, 0};
};

// What happens when an object is hit and when it dies, filled by the death lines of the world
// file: each keyword fills the field named after it, and the words of death_params_1 as laid out
// by the table in ActionScriptLines.cpp.
struct strDeathParams {
    static constexpr int kTeleportNames = 10;

    // death_params_1: the on switch, explosion damage, deletion, the fall, the mortar, the sound,
    // the animation and hand-over pair, the kill target, joints removed, the initial hit points.
    uint8_t m_bEnabled = 0;
    uint8_t m_bExplosionDamage = 1;
    uint8_t m_bDeleteOnDeath = 0;
    uint8_t m_bFallWithPhysics = 0;
    uint8_t m_bMortarExplosion = 0;
    uint8_t m_bDeathSound = 0;
    uint8_t m_bAnimationAndHandOver[2] = {};
    uint8_t m_bKillTarget = 0;
    uint8_t m_bRemoveJoints = 0;
    float m_fInitialHitPoints = 1.0f;
    // death_params_2 (words 2, 4 and 5), death_params_4, _5 and _6: kept for the block's users.
    uint8_t m_bParams2[3] = {};
    uint8_t m_bParams4 = 0;
    uint8_t m_bParams5 = 0;
    uint8_t m_bParams6[2] = {};
    float m_fParams6[3] = {};

    // Level-logic variables: the gate of the death, and what the hit and the death set and unset.
    char m_szHandleDeathIf[32] = {};
    char m_szSetWhenDead[32] = {};
    char m_szUnsetWhenDead[32] = {};
    char m_szSetWhenHit[32] = {};
    char m_szUnsetWhenHit[32] = {};
    char m_szConsolePrint[255] = {};

    // The death's effects, animation, sound and hand-over.
    char m_szFXOnHit[31] = {};
    char m_szFXOnDeath[31] = {};
    char m_szFXOnGroundHit[31] = {};
    char m_szFXInHighestPoint[31] = {};
    char m_szDeadAnimName[32] = {};
    char m_szHitAnimName[32] = {};
    char m_szSoundName[256] = {};
    uint8_t m_bSoundWhenHit = 0;
    char m_szSoundNameWhenHit[254] = {};
    char m_szActivateObjectName[32] = {};
    char m_szActivateObjectOnHit[31] = {};
    uint8_t m_bShakeScreen = 0;
    float m_fExplosionPowerCoef = 1.0f;
    // The fall: its impulse.
    DV m_vAddSpeed;

    // Other objects: the kill target and its delay, the hit-point threshold object, the object
    // moved to before death, a kill when the player comes near.
    char m_szDestroyObjectName[32] = {};
    float m_fDestroyOtherPause = 0;
    char m_szKillIfHPLessThanObject[63] = {};
    float m_fKillIfHPLessThanHP = 0;
    char m_szMoveBeforeDeathObject[63] = {};
    float m_fMoveBeforeDeathSpeed = 64.0f;
    float m_fKillIfPlayerCloserThan = 0;

    // The replacement mesh, its name and how it disappears.
    char m_szCreateMeshOnDeath[256] = {};
    char m_szCreateMeshOnGroundHit[256] = {};
    char m_szCreatedMeshName[32] = {};
    uint8_t m_bCreatedMeshDisappears = 0;
    float m_fTimeToDisappearCreatedMesh = 0;

    // Objects teleported or copied here, and the force they get.
    uint8_t m_bTeleportObjectsHere = 0;
    uint8_t m_bTeleportCopy = 0;
    char m_szTeleportNames[kTeleportNames][64] = {};
    uint8_t m_bTeleportPhysics = 0;
    DV m_vTeleportForce;

    uint8_t m_bPaneCrashOn = 0;
    strOneHit m_OneHit;
};

// How an object moves along a Bezier path, in the order the world file's lines fill it.
struct strBezierMovingParameters {
    uint8_t m_bEnabled = 0;
    uint8_t m_bStartAtLoad = 1;
    uint8_t m_bPassThroughBlockers = 0;
    uint8_t m_bBlockerStop = 1;
    char m_szStartNode[130] = {};
    int32_t m_iLapLimit = 0;
    uint8_t m_bKeepOwnOrientation = 0;
    uint8_t m_bPlaceOnPathAtLoad = 1;
    double m_dFirstLapWait = 0;
    double m_dLaterLapWait = 0;
};

// Where an object moving along a path is.
struct strBezierMovingState {
    uint8_t m_bActive = 0;
    pmath::Quaternion m_OwnOrientation{};
    BezierNode* m_pStartNode = nullptr;
    BezierNode* m_pCurrentNode = nullptr;
    BezierNode* m_pPreviousNode = nullptr;
    uint32_t m_uStep = 0;
    double m_dDistanceInStep = 0;
    double m_dDistanceInNode = 0;
    double m_dSpeed = 0;
    DV m_vPosition;
    EOrientation m_Orientation = EOrientation::EOrientationFromYawPitchRoll(0, 0, 0);
    uint8_t m_bPause = 0;
    double m_dPauseLeft = 0;
    uint8_t m_bStopAtBlockers = 0;
    uint8_t m_bStoppedAtBlocker = 0;
    uint32_t m_uLaps = 0;
    uint8_t m_bWaiting = 0;
    double m_dWaitLeft = 0;
    // Set by the path-state helpers: 1 slowing to a stop, 2 speeding up to full speed.
    int32_t m_iFadeMode = 0;
    double m_dSpeedFactor = 1.0;
    double m_dFadeTime = 1.0;
    uint8_t m_bEnable = 1;
};
