#pragma once
// One particle or sprite effect as its "afx\<name>.afx" file describes it: what it draws, how it
// is spread, moves, grows, fades and lives, and which effects it spawns after it and while it lives.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

// What an effect is. Tracers, bullet shells and effects whose owner places them every frame are
// made by code only; the definition files name the others.
enum EFXType : uint32_t {
    FX_NONE = 0,
    FX_SPRITE = 1,
    FX_MESH = 2,
    FX_TRACER = 3,
    FX_SPARK = 4,
    FX_BLOODDROP = 5,
    FX_BULLETSHELL = 6,
    FX_PLACED = 7,
};

struct EFXDefinition;

// A child effect: spawned once some time after its parent starts (After), or over and over while
// the parent lives (Every).
struct EFXChild {
    // After: the delay; Every: the period (seconds).
    float m_fTime = 0;
    // A random part added to the delay, or taken off the first period.
    float m_fRandom = 0;
    char m_szName[256] = {};
    // The definition the name resolves to; null when none has that name.
    EFXDefinition* m_pTarget = nullptr;
};

struct EFXDefinition {
    static constexpr int kNameSize = 256;
    static constexpr int kFileNames = 8;
    // The reader takes one file name fewer than the slots hold.
    static constexpr int kReadFileNames = 7;
    static constexpr int kKeys = 8;
    static constexpr int kChildren = 8;

    // Keys of a fresh definition are (1, 1, 1) and 1.0.
    EFXDefinition() {
        for (DV& c : m_vColors) c = DV{1.0f, 1.0f, 1.0f};
        for (float& a : m_fAlphas) a = 1.0f;
    }

    char m_szName[kNameSize] = {};
    uint32_t m_uType = FX_NONE;
    // Texture names (sprites, blood drops) or mesh files (meshes).
    char m_szFileNames[kFileNames][kNameSize] = {};
    uint32_t m_uFileNameCount = 0;
    // A definition with a distortion-normal texture is never spawned.
    char m_szDistortionNormal[kNameSize] = {};

    DV m_vPos;
    DV m_vPosRand;
    DV m_vScale{1.0f, 1.0f, 1.0f};
    DV m_vScaleRand;
    DV m_vVel;
    DV m_vVelRand;
    uint8_t m_bMove = 0;
    uint8_t m_bDebug = 0;

    // Set by code: the point a spark points at.
    DV m_vTarget;
    uint8_t m_bHasTarget = 0;

    // Colour keys (0-255 per channel) and alpha keys (0-255), each with its time in 0..1 of the life.
    DV m_vColors[kKeys];
    float m_fAlphas[kKeys];
    float m_fColorTimes[kKeys] = {};
    float m_fAlphaTimes[kKeys] = {};
    uint32_t m_uColorCount = 0;
    uint32_t m_uAlphaCount = 0;

    // Identity, or the orientation of the spawn that copied the definition.
    EOrientation m_Orientation;
    uint8_t m_bUseRotation = 0;
    uint8_t m_bSpinningSprite = 0;
    // Degrees per second.
    float m_fSpinningSpeed = 90.0f;
    float m_fSpinningSpeedRand = 0;
    float m_fAccelerateAfter = 0;
    float m_fAccelerateCoef = 0;
    float m_fAccelerateFor = 0;
    float m_fLifeTime = 1.0f;
    float m_fLifeTimeRand = 0;
    float m_fGravity = 0;
    float m_fGrow = 0;
    float m_fDisappearDistance = 0;
    float m_fHurtPlayer = 0;
    float m_fExplosionPower = 0;
    uint8_t m_bAdditive = 0;
    uint8_t m_bMultiply = 0;
    uint8_t m_bLightSprite = 0;
    uint8_t m_bFlatRotation = 0;
    uint8_t m_bApplyPhysicsToMesh = 0;
    uint8_t m_bAnimatedSpriteTexture = 0;
    float m_fAnimatedSpriteFPS = 25.0f;

    // Set by code: sparks in their other colour, far effects that may be replaced, and the roles of
    // the projectiles (their steps are their own).
    uint8_t m_bAlternateSparkColour = 0;
    uint8_t m_bReplaceable = 0;
    uint8_t m_bBigExplosion = 0;
    uint8_t m_bNoCollision = 0;
    uint8_t m_bBigBomb = 0;
    uint8_t m_bRocket = 0;
    uint8_t m_bShell = 0;
    uint8_t m_bMortarGround = 0;
    // Or-ed into the creation flags of a mesh effect's object, or into a sprite's flag words.
    uint32_t m_uFlags[2] = {1, 0};

    EFXChild m_After[kChildren];
    uint32_t m_uAfterCount = 0;
    EFXChild m_Every[kChildren];
    uint32_t m_uEveryCount = 0;

    // A burning effect ("e_ogien" in its file name) plays the fire sound while near.
    uint8_t m_bFireSound = 0;
};
