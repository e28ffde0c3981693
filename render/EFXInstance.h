#pragma once
// One live effect: a copy of its definition's behaviour, randomised at spawn, moved and aged every
// frame. Other components keep a pointer to it (an engine object writes its position here, so the
// effect follows the object); all fields are zero while the slot is free.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "render/EFXDefinition.h"

struct DrawVisibility;
struct SoundRecord;

struct EFXInstance {
    static constexpr int kSocketNameSize = 64;
    static constexpr int kTrail = 3;

    char m_szName[EFXDefinition::kNameSize] = {};
    uint8_t m_bInUse = 0;
    // The engine object of a Mesh or bullet-shell effect, or null.
    const DrawVisibility* m_pMeshObject = nullptr;
    // The slot, which EFXMgr::RemoveFX takes.
    int32_t m_iIndex = 0;
    uint8_t m_bDebug = 0;
    // Updates since the spawn.
    uint32_t m_uAge = 0;

    // The object the effect is attached to, at one of its sockets ("" for none), and whether it
    // follows the object every frame.
    const DrawVisibility* m_pObject = nullptr;
    char m_szSocket[kSocketNameSize] = {};
    uint8_t m_bFollow = 0;

    uint32_t m_uType = FX_NONE;
    uint8_t m_bFireSound = 0;
    SoundRecord* m_pSound = nullptr;

    DV m_vPosition;
    DV m_vPreviousPosition;
    DV m_vVelocity;
    DV m_vScale;
    // The direction of motion and two axes across it.
    DV m_vFront;
    DV m_vSide;
    DV m_vUp;
    DV m_vTarget;
    uint8_t m_bHasTarget = 0;
    // Set by the spawning caller: the effect stops moving once it falls to the ground below it.
    uint8_t m_bStopOnGround = 0;
    uint8_t m_bGroundKnown = 0;
    float m_fGroundHeight = 0;
    // The last three positions, newest first.
    DV m_vTrail[kTrail];

    DV m_vColors[EFXDefinition::kKeys];
    float m_fAlphas[EFXDefinition::kKeys] = {};
    float m_fColorTimes[EFXDefinition::kKeys] = {};
    float m_fAlphaTimes[EFXDefinition::kKeys] = {};
    uint32_t m_uColorCount = 0;
    uint32_t m_uAlphaCount = 0;
    // ARGB.
    uint32_t m_uColor = 0;

    EOrientation m_Orientation;
    uint8_t m_bUseRotation = 0;
    uint8_t m_bStarted = 0;
    uint8_t m_bEvictable = 0;
    // Remaining life / total life.
    float m_fLifeFraction = 0;

    uint8_t m_bSpin = 0;
    // Radians per second; radians.
    float m_fSpinSpeed = 0;
    float m_fSpinAngle = 0;

    uint8_t m_bMortarGround = 0;
    // Seconds; a negative total never runs out.
    float m_fTotalLife = 0;
    float m_fRemainingLife = 0;
    float m_fGravity = 0;
    float m_fGrow = 0;
    float m_fDisappearDistance = 0;
    uint8_t m_bMove = 0;
    uint8_t m_bAdditive = 0;
    uint8_t m_bMultiply = 0;
    uint8_t m_bLightSprite = 0;
    uint8_t m_bReplaceable = 0;
    uint8_t m_bFlatRotation = 0;
    uint8_t m_bApplyPhysicsToMesh = 0;
    uint8_t m_bAnimatedSpriteTexture = 0;
    // Seconds per animation frame, the 32 frames' length, and the running animation time.
    float m_fFrameTime = 0;
    float m_fAnimationLength = 0;
    float m_fAnimationTime = 0;

    float m_fHurtPlayer = 0;
    float m_fExplosionPower = 0;
    float m_fAccelerateAfter = 0;
    float m_fAccelerateCoef = 0;
    float m_fAccelerateFor = 0;

    // The renderer's texture id, the sprite flag word and the blend flag word.
    uint32_t m_uTexture = 0;
    uint32_t m_uSpriteFlags = 0;
    uint32_t m_uBlendFlags = 0;
    DV m_vDrawScale;
    DV m_vDrawPosition;
    float m_fCameraDistance = 0;
    float m_fVisibilityDistance = 0;

    float m_fEveryPeriod[EFXDefinition::kChildren] = {};
    float m_fEveryRandom[EFXDefinition::kChildren] = {};
    EFXDefinition* m_pEveryTarget[EFXDefinition::kChildren] = {};
    float m_fEveryTimer[EFXDefinition::kChildren] = {};
    uint32_t m_uEveryCount = 0;
    float m_fAfterTimer[EFXDefinition::kChildren] = {};
    EFXDefinition* m_pAfterTarget[EFXDefinition::kChildren] = {};
    uint32_t m_uAfterCount = 0;

    // Set while the light the effect belongs to is switched off: the effect lives on but is not drawn.
    uint8_t m_bSwitchedOff = 0;
    // Light sprites: whether the camera sees it, and when to look again.
    uint8_t m_bLightVisible = 0;
    float m_fLightTimer = 0;
    // A rocket's two wobbles (radians).
    float m_fWobble[2] = {};
    // Bullet shells: the ground height once found.
    uint8_t m_bShellGroundKnown = 0;
    float m_fShellGround = 0;
    // Roles set by code.
    uint8_t m_bRocket = 0;
    uint8_t m_bShell = 0;
    uint8_t m_bBigBomb = 0;
    uint8_t m_bBigExplosion = 0;
    uint8_t m_bNoCollision = 0;
    uint8_t m_bAlternateSparkColour = 0;
    // A projectile's object is made non-colliding once.
    uint8_t m_bObjectNonColliding = 0;
    // What the effect's own hit tests leave out.
    const DrawVisibility* m_pExcluded = nullptr;
};
