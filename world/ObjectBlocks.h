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

// Texture painting of an object's subsets.
struct strTexturePaint {
    uint8_t m_bBytes[3] = {};
    uint8_t m_Table768[768] = {};
    uint8_t m_Table256[256] = {};
    float m_fColours[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    float m_fZeros[6] = {};
    float m_fZeros2[3] = {};
    float m_fOnes[6] = {1, 1, 1, 1, 1, 1};
};

// Which fence meshes the fence generator lays on each side of a road.
struct strPlotek {
    static constexpr int kPrefabs = 10;
    uint8_t m_bLeft = 0;
    char m_szLeft[kPrefabs][256] = {};
    uint8_t m_bRight = 0;
    char m_szRight[kPrefabs][256] = {};
};

// What happens when an object's actions fire. The engine's passes read whether the block fires
// (at all, on a touch of the player's machine, once only), the hand-over to another object and
// the motion of the object after its actions ran.
struct strActionParams {
    uint32_t m_uEnabled = 0;
    uint32_t m_uOnTouch = 0;
    uint32_t m_uOnce = 0;
    char m_szHandOver[64] = {};
    float m_fHandOverPause = 0;
    uint32_t m_uCameraPositioning = 0;
    char m_szCameraPositioning[64] = {};
    // Slide along the move vector up to the limit, at the speed.
    DV m_vMove;
    float m_fMoveSpeed = 0;
    float m_fMoveLimit = 0;
    // Turn targets in degrees, with the turn speed and acceleration.
    float m_fTurnTargets[3] = {};
    float m_fTurnSpeed = 0;
    float m_fTurnAcceleration = 0;
    // Swing: the angle taken when the actions fire, its speed, and a second swing.
    uint32_t m_uSwing = 0;
    float m_fSwingAngle = 0;
    float m_fSwingSpeed = 0;
    float m_fSwing2Speed = 0;
    float m_fSwing2Target = 0;
};

// What happens when an object dies: whether it can.
struct strDeathParams {
    uint8_t m_bEnabled = 0;
    float m_fInitialHitPoints = 1.0f;
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
