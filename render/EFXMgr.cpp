// The effects manager's instances: spawning (with its refusals, slot choice and eviction, spread,
// placement on objects and sockets, child timers and explosions), removal, and the per-frame step
// of every live instance.
#include "render/EFXMgr.h"

#include <cmath>
#include <cstdio>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "core/NumericHelpers.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "render/RenderHooks.h"

EFXMgr g_FXMgr;

namespace {

constexpr float kMinEveryPeriod = 0.02f;
// Only instances with less of their life left than this may be evicted for a new spawn.
constexpr float kEvictableFraction = 1.1f;
// Children of an effect on an object farther than this spawn only when the object is always relevant.
constexpr float kRelevantDistance = 512.0f;
constexpr float kDegrees = 3.14159265f / 180.0f;
// An animation rate this low or lower holds every frame for this long.
constexpr float kStillFrameTime = 30.0f;
constexpr int kSpriteAnimationFrames = 32;
constexpr float kExplosionSoundRange = 1000.0f;
constexpr uint32_t kEarliestExplosionFrame = 200;

// A signed share of the spread: + for an odd draw, -, and a size of (draw & 0xFFFF) / 65536 of it
// (under half the spread, as the draws are 15-bit).
float Spread(float spread) {
    if (spread <= 0) return 0;
    bool plus = (plat::Random() & 1) != 0;
    float size = static_cast<float>(plat::Random() & 0xFFFF) * spread / 65536.0f;
    return plus ? size : -size;
}

DV Spread(const DV& value, const DV& spread) {
    float x = value.x + Spread(spread.x);
    float y = value.y + Spread(spread.y);
    float z = value.z + Spread(spread.z);
    return DV{x, y, z};
}

float LifeFraction(const EFXInstance& fx) {
    if (fx.m_fTotalLife > 0) return fx.m_fRemainingLife / fx.m_fTotalLife;
    return fx.m_fTotalLife < 0 ? 1.0f : 0.0f;
}

DV CameraPosition() { return g_DrawCamera.position; }

}  // namespace

EFXMgr::EFXMgr() {}

EFXMgr::~EFXMgr() = default;

// ---- Resources -------------------------------------------------------------------------------

void EFXMgr::LoadResources() {
    ClearInstances();
    LoadAll();
    CheckTextureUse();
    CreateSparkBuffer();
    LoadBloodDropTextures();
    for (int i = 0; i < kReservedSlots; ++i) m_uReserved[i] = static_cast<uint16_t>(i + 1);
}

// The objects and sounds of the old instances went with their world; only the table is cleared.
void EFXMgr::ClearInstances() {
    for (EFXInstance& fx : m_Instances) fx = EFXInstance{};
    m_iReplaceableCount = 0;
    m_iLiveCount = 0;
}

void EFXMgr::Release() {
    for (int s = 1; s < kMaxInstances; ++s) Remove(m_Instances[s]);
    OnLostDevice();
}

void EFXMgr::RefillReserved() {
    int n = 0;
    for (uint16_t& r : m_uReserved) r = 0;
    for (int s = 1; s < kMaxInstances && n < kReservedSlots; ++s)
        if (!m_Instances[s].m_bInUse) m_uReserved[n++] = static_cast<uint16_t>(s);
}

int32_t EFXMgr::TakeSlot(bool replaceable) {
    for (uint16_t& r : m_uReserved) {
        if (!r) continue;
        int32_t slot = r;
        r = 0;
        if (!m_Instances[slot].m_bInUse) return slot;
    }
    int32_t evict = 0;
    float least = kEvictableFraction;
    for (int32_t s = 1; s < kMaxInstances; ++s) {
        const EFXInstance& fx = m_Instances[s];
        if (!fx.m_bInUse) return s;
        if (fx.m_bEvictable && fx.m_fLifeFraction < least) {
            least = fx.m_fLifeFraction;
            evict = s;
        }
    }
    if (evict) {
        Remove(m_Instances[evict]);
        return evict;
    }
    if (replaceable) --m_iReplaceableCount;
    return 0;
}

// ---- Spawning --------------------------------------------------------------------------------

EFXInstance* EFXMgr::AddFX(const EFXDefinition* definition, const DrawVisibility* object, const char* socket,
                           bool follow) {
    if (!definition) return nullptr;
    return Spawn(*definition, definition->m_vPos, definition->m_Orientation, object, socket, follow);
}

EFXInstance* EFXMgr::AddFXByName(const char* name, const DV* offset, const EOrientation* orientation) {
    const EFXDefinition* d = FindDefinition(name);
    if (!d) {
        g_Console.PrintStr3("Effect ", name ? name : "", " not found");
        return nullptr;
    }
    DV position = offset ? d->m_vPos + *offset : d->m_vPos;
    return Spawn(*d, position, orientation ? *orientation : d->m_Orientation, nullptr, nullptr, false);
}

EFXInstance* EFXMgr::AddFXByNameAt(const char* name, const DrawVisibility* object, const char* socket, bool follow) {
    const EFXDefinition* d = FindDefinition(name);
    if (!d) {
        g_Console.PrintStr3("Effect ", name ? name : "", " not found");
        return nullptr;
    }
    return AddFX(d, object, socket, follow);
}

// The spawn reads its own position and orientation from the arguments, never from a shared working
// copy of the definition: an explosion it causes may spawn further effects before it is done.
EFXInstance* EFXMgr::Spawn(const EFXDefinition& d, const DV& position, const EOrientation& orientation,
                           const DrawVisibility* object, const char* socket, bool follow) {
    EFXInstance& dummy = m_Instances[0];
    if (!g_Settings.m_bAddFX && d.m_uType != FX_TRACER) return &dummy;
    if (!g_Settings.m_bDrawFX || d.m_szDistortionNormal[0]) return &dummy;
    if (d.m_uType == FX_MESH && d.m_bApplyPhysicsToMesh) return &dummy;
    if (d.m_uType == FX_SPRITE && !d.m_szFileNames[0][0]) return &dummy;
    // Counted only once nothing else refuses the spawn, so a refusal never leaves it raised.
    if (d.m_bReplaceable) {
        if (m_iReplaceableCount >= kMaxReplaceable) return &dummy;
        ++m_iReplaceableCount;
    }
    int32_t slot = TakeSlot(d.m_bReplaceable);
    if (!slot) return &dummy;

    EFXInstance& fx = m_Instances[slot];
    fx = EFXInstance{};
    fx.m_iIndex = slot;
    std::snprintf(fx.m_szName, sizeof fx.m_szName, "%s", d.m_szName);
    fx.m_bDebug = d.m_bDebug;
    fx.m_pObject = object;
    std::snprintf(fx.m_szSocket, sizeof fx.m_szSocket, "%s", socket ? socket : "");
    fx.m_bFollow = follow;
    fx.m_bFireSound = d.m_bFireSound;
    fx.m_bInUse = 1;
    CopyBehaviour(fx, d, orientation);

    float life = d.m_fLifeTime;
    if (d.m_fLifeTimeRand != 0) life += RandomFloat(d.m_fLifeTimeRand);
    fx.m_fTotalLife = fx.m_fRemainingLife = life;
    fx.m_fLifeFraction = LifeFraction(fx);
    if (d.m_bSpinningSprite) {
        fx.m_bSpin = 1;
        fx.m_fSpinSpeed = (d.m_fSpinningSpeed + RandomFloat(d.m_fSpinningSpeedRand)) * kDegrees;
    }

    fx.m_vPosition = Spread(position, d.m_vPosRand);
    fx.m_vScale = Spread(d.m_vScale, d.m_vScaleRand);
    fx.m_vVelocity = Spread(d.m_vVel, d.m_vVelRand);
    if (d.m_bUseRotation && d.m_uType != FX_BULLETSHELL) {
        float speed = pmath::Length(fx.m_vVelocity);
        EOrientation turned = EOrientation::EOrientationFromDirection(&fx.m_vVelocity);
        turned.Multiply(&orientation.m_Quaternion);
        fx.m_vVelocity = turned.m_Front * speed;
    }
    if (d.m_bHasTarget) {
        fx.m_vTarget = d.m_vTarget;
        fx.m_bHasTarget = 1;
        RebuildFrame(fx, d.m_vTarget - fx.m_vPosition);
    }
    if (fx.m_bDebug) g_Console.PrintStr3Vector("AddFX ", fx.m_szName, " at ", fx.m_vPosition);
    if (object) PlaceOnObject(fx);
    fx.m_vPreviousPosition = fx.m_vPosition;
    for (DV& t : fx.m_vTrail) t = fx.m_vPosition;
    StartChildTimers(fx, d);

    if (fx.m_fExplosionPower > 0.001f && g_RenderHooks.gameFrame() > kEarliestExplosionFrame) {
        g_RenderHooks.applyExplosion(fx.m_vPosition, fx.m_fExplosionPower);
        char sound[32];
        std::snprintf(sound, sizeof sound, "sounds\\weapons\\exp%d.wav", plat::Random() % 5 + 1);
        g_RenderHooks.playSound3D(sound, fx.m_vPosition, kExplosionSoundRange);
        g_Renderer.AddLightRay(fx.m_vPosition);
    }
    fx.m_uColor = 0xFF000000u | VectorToRGB(&fx.m_vColors[0], false);
    MakeLook(fx, d);
    fx.m_vDrawPosition = fx.m_vPosition;
    fx.m_vDrawScale = fx.m_vScale;
    return &fx;
}

void EFXMgr::CopyBehaviour(EFXInstance& fx, const EFXDefinition& d, const EOrientation& orientation) {
    fx.m_uType = d.m_uType;
    fx.m_bMove = d.m_bMove;
    fx.m_bAdditive = d.m_bAdditive;
    fx.m_bMultiply = d.m_bMultiply;
    fx.m_bLightSprite = d.m_bLightSprite;
    fx.m_bUseRotation = d.m_bUseRotation;
    fx.m_bFlatRotation = d.m_bFlatRotation;
    fx.m_bApplyPhysicsToMesh = d.m_bApplyPhysicsToMesh;
    fx.m_bAnimatedSpriteTexture = d.m_bAnimatedSpriteTexture;
    fx.m_bReplaceable = d.m_bReplaceable;
    fx.m_bRocket = d.m_bRocket;
    fx.m_bShell = d.m_bShell;
    fx.m_bBigBomb = d.m_bBigBomb;
    fx.m_bBigExplosion = d.m_bBigExplosion;
    fx.m_bNoCollision = d.m_bNoCollision;
    fx.m_bAlternateSparkColour = d.m_bAlternateSparkColour;
    fx.m_bMortarGround = d.m_bMortarGround;
    fx.m_fGravity = d.m_fGravity;
    fx.m_fGrow = d.m_fGrow;
    fx.m_fDisappearDistance = d.m_fDisappearDistance;
    fx.m_fHurtPlayer = d.m_fHurtPlayer;
    fx.m_fExplosionPower = d.m_fExplosionPower;
    fx.m_fAccelerateAfter = d.m_fAccelerateAfter;
    fx.m_fAccelerateCoef = d.m_fAccelerateCoef;
    fx.m_fAccelerateFor = d.m_fAccelerateFor;
    fx.m_uColorCount = d.m_uColorCount < EFXDefinition::kKeys ? d.m_uColorCount : EFXDefinition::kKeys;
    fx.m_uAlphaCount = d.m_uAlphaCount < EFXDefinition::kKeys ? d.m_uAlphaCount : EFXDefinition::kKeys;
    for (int i = 0; i < EFXDefinition::kKeys; ++i) {
        fx.m_vColors[i] = d.m_vColors[i];
        fx.m_fAlphas[i] = d.m_fAlphas[i];
        fx.m_fColorTimes[i] = d.m_fColorTimes[i];
        fx.m_fAlphaTimes[i] = d.m_fAlphaTimes[i];
    }
    fx.m_Orientation = orientation;
    // A rate of 0.0001 or less holds each frame for 30 seconds, as the definitions were made for.
    fx.m_fFrameTime = d.m_fAnimatedSpriteFPS > 0.0001f ? 1.0f / d.m_fAnimatedSpriteFPS : kStillFrameTime;
    fx.m_fAnimationLength = fx.m_fFrameTime * kSpriteAnimationFrames;
}

// On an object: at its socket, the offset turned with it; or, moving, starting along its heading.
void EFXMgr::PlaceOnObject(EFXInstance& fx) {
    const char* socket = fx.m_szSocket;
    if (!fx.m_bMove && socket[0]) {
        DV at;
        EOrientation turn;
        if (!g_RenderHooks.objectSocket(fx.m_pObject, socket, at, &turn)) {
            g_Console.PrintStr2("FX nie czyta socketa ", socket);
            return;
        }
        fx.m_vPosition = at + pmath::TransformDirection(fx.m_vPosition, turn.m_Matrix);
        fx.m_Orientation = turn;
        return;
    }
    EffectObject o;
    if (!fx.m_bMove || !g_RenderHooks.effectObject(fx.m_pObject, o)) return;
    fx.m_vVelocity = pmath::TransformDirection(fx.m_vVelocity, o.orientation.m_Matrix);
    fx.m_Orientation = o.orientation;
    DV at;
    if (socket[0] && g_RenderHooks.objectSocket(fx.m_pObject, socket, at, nullptr)) fx.m_vPosition = at;
}

void EFXMgr::StartChildTimers(EFXInstance& fx, const EFXDefinition& d) {
    for (int i = 0; i < EFXDefinition::kChildren; ++i) {
        const EFXChild& after = d.m_After[i];
        if (after.m_szName[0]) {
            fx.m_fAfterTimer[i] = after.m_fTime + RandomFloat(after.m_fRandom);
            fx.m_pAfterTarget[i] = after.m_pTarget;
        }
        const EFXChild& every = d.m_Every[i];
        if (every.m_szName[0]) {
            fx.m_fEveryPeriod[i] = every.m_fTime;
            if (every.m_pTarget && fx.m_fEveryPeriod[i] < kMinEveryPeriod) fx.m_fEveryPeriod[i] = kMinEveryPeriod;
            fx.m_fEveryRandom[i] = every.m_fRandom;
            fx.m_fEveryTimer[i] = -RandomFloat(every.m_fRandom);
            fx.m_pEveryTarget[i] = every.m_pTarget;
        }
    }
    fx.m_uAfterCount = d.m_uAfterCount;
    fx.m_uEveryCount = d.m_uEveryCount;
}

// What the instance shows: a sprite's texture and flag words, or a mesh effect's object.
void EFXMgr::MakeLook(EFXInstance& fx, const EFXDefinition& d) {
    if (fx.m_uType == FX_SPRITE || fx.m_uType == FX_BLOODDROP) {
        uint32_t count = d.m_uFileNameCount;
        const char* file = count < 2 ? d.m_szFileNames[0] : d.m_szFileNames[static_cast<uint32_t>(plat::Random()) % count];
        fx.m_uTexture = g_Renderer.GetTextureByName(file, false, false);
        fx.m_uSpriteFlags = d.m_uFlags[0] | (d.m_bUseRotation || d.m_bSpinningSprite ? FX_SPRITE_ROTATED : 0) |
                            (d.m_bLightSprite ? FX_SPRITE_LIGHT : 0);
        fx.m_uBlendFlags = d.m_uFlags[1] | (d.m_bAdditive ? FX_BLENDFLAG_ADDITIVE : 0) |
                           (d.m_bMultiply ? FX_BLENDFLAG_MULTIPLY : 0);
        return;
    }
    bool mesh = fx.m_uType == FX_MESH;
    if (!mesh && fx.m_uType != FX_BULLETSHELL) return;
    if (!d.m_szFileNames[0][0]) {
        g_Console.PrintStr2(fx.m_szName, mesh ? " tworzy mesha bez nazwy!" : " tworzy bullet shell bez nazwy!");
        return;
    }
    uint32_t flags = mesh ? 0x300081u | d.m_uFlags[0] : 0x300081u;
    uint32_t flags2 = mesh ? 0x18010020u | d.m_uFlags[1] : 0x100020u;
    const EOrientation* turn = !mesh || d.m_bUseRotation ? &fx.m_Orientation : nullptr;
    fx.m_pMeshObject = g_RenderHooks.createEffectMesh(d.m_szFileNames[0], flags, flags2, fx.m_vPosition, turn,
                                                      fx.m_vScale);
}

// ---- Removal ---------------------------------------------------------------------------------

void EFXMgr::RemoveFX(int32_t index) {
    if (index >= 0 && index < kMaxInstances) Remove(m_Instances[index]);
}

void EFXMgr::Remove(EFXInstance& fx) {
    if (!fx.m_bInUse) return;
    if (fx.m_bDebug) g_Console.PrintStr2("RemoveFX ", fx.m_szName);
    if (fx.m_pMeshObject) g_RenderHooks.deleteObject(fx.m_pMeshObject);
    if (fx.m_pSound) g_RenderHooks.releaseSound(fx.m_pSound);
    if (fx.m_bReplaceable) --m_iReplaceableCount;
    fx = EFXInstance{};
}

// ---- The frame -------------------------------------------------------------------------------

void EFXMgr::Update(bool force) {
    if (!g_Settings.m_bDrawFX) return;
    if (g_RenderHooks.menuActive() && !force) return;
    bool effectsTime = g_Settings.m_bEffectsUpdate || g_RenderHooks.cutscenePlaying();
    m_fFrameStep = effectsTime ? g_FrameFacts.frameTime : 0.0f;
    m_iLiveCount = 0;
    m_bSparks = 0;
    for (int s = 1; s < kMaxInstances; ++s) {
        EFXInstance& fx = m_Instances[s];
        if (!fx.m_bInUse || !Step(fx) || !fx.m_bInUse) continue;
        if (fx.m_fTotalLife >= 0) {
            fx.m_fRemainingLife -= m_fFrameStep;
            fx.m_fLifeFraction = LifeFraction(fx);
            if (fx.m_fRemainingLife <= 0 && fx.m_uAge > 2) {
                Remove(fx);
                continue;
            }
        }
        ++fx.m_uAge;
        ++m_iLiveCount;
    }
    if (m_bSparks) FillSparks();
    RefillReserved();
}

bool EFXMgr::Step(EFXInstance& fx) {
    if (fx.m_uType == FX_TRACER || fx.m_uType == FX_SPARK) m_bSparks = 1;
    fx.m_bStarted = 1;
    fx.m_fCameraDistance = pmath::Length(fx.m_vPosition - CameraPosition());
    fx.m_fVisibilityDistance = g_DrawCamera.farZ;
    if (fx.m_fDisappearDistance > 1 && fx.m_fDisappearDistance < fx.m_fVisibilityDistance)
        fx.m_fVisibilityDistance = fx.m_fDisappearDistance;
    bool children = false;
    for (uint32_t i = 0; i < EFXDefinition::kChildren; ++i) children |= fx.m_pAfterTarget[i] || fx.m_pEveryTarget[i];
    fx.m_bEvictable = fx.m_uType != FX_TRACER && !fx.m_bRocket && !fx.m_bShell && fx.m_fTotalLife > 0 &&
                      !fx.m_bMortarGround && !children;
    if (fx.m_bEvictable && fx.m_fCameraDistance > fx.m_fVisibilityDistance) {
        if (fx.m_bDebug) g_Console.PrintStr2("Deleting replaceable FX ", fx.m_szName);
        Remove(fx);
        return false;
    }
    if (fx.m_bFireSound) DriveFireSound(fx);
    Follow(fx);

    bool ended = false;
    if (StepOwnRoutine(fx, ended)) {
        if (!ended) return true;
        Remove(fx);
        return false;
    }
    if (fx.m_uType == FX_BULLETSHELL) {
        StepBulletShell(fx);
        return true;
    }
    if (fx.m_bMove && !fx.m_bApplyPhysicsToMesh && !Move(fx)) {
        Remove(fx);
        return false;
    }
    // An engine object that carries an effect writes the effect's position: it is drawn there.
    if (!fx.m_bMove && !fx.m_pObject) fx.m_vDrawPosition = fx.m_vPosition;
    if (fx.m_bSpin) Spin(fx);
    if (fx.m_bLightSprite) TestLightSprite(fx);
    if (fx.m_pMeshObject && fx.m_bMove) g_RenderHooks.moveObject(fx.m_pMeshObject, fx.m_vPosition);
    if (fx.m_fGrow != 0) {
        fx.m_vScale += fx.m_vScale * (fx.m_fGrow * m_fFrameStep);
        if (fx.m_pMeshObject) g_RenderHooks.scaleObject(fx.m_pMeshObject, fx.m_vScale);
        fx.m_vDrawScale = fx.m_vScale;
    }
    if (children && ChildrenMaySpawn(fx)) UpdateChildren(fx);
    return true;
}

void EFXMgr::Follow(EFXInstance& fx) {
    if (!fx.m_pObject || fx.m_bMove || !fx.m_bFollow) return;
    DV at;
    if (fx.m_szSocket[0]) {
        if (!g_RenderHooks.objectSocket(fx.m_pObject, fx.m_szSocket, at, nullptr)) {
            g_Console.PrintStr2("FX nie czyta socketa ", fx.m_szSocket);
            return;
        }
    } else {
        EffectObject o;
        if (!g_RenderHooks.effectObject(fx.m_pObject, o)) return;
        at = o.position;
    }
    fx.m_vPosition = at;
    if (fx.m_pMeshObject) g_RenderHooks.moveObject(fx.m_pMeshObject, at);
    else fx.m_vDrawPosition = at;
}

// False when the instance's own routine ended it.
bool EFXMgr::Move(EFXInstance& fx) {
    Decelerate(fx);
    ShiftTrail(fx);
    // Only sparks and sprites turned with their motion draw with the frame: the others skip the
    // cost of building it.
    bool framed = fx.m_uType == FX_TRACER || fx.m_uType == FX_SPARK || (fx.m_bUseRotation && !fx.m_bSpin);
    DV motion = fx.m_vPosition - fx.m_vTrail[1];
    if (framed && !(motion == DV{})) RebuildFrame(fx, motion);
    if (fx.m_uType == FX_TRACER) return !StepTracer(fx);
    if (fx.m_bMortarGround) return !StepMortarGround(fx);
    if (fx.m_uType == FX_BLOODDROP) return !StepBloodDrop(fx);
    fx.m_vVelocity.y -= fx.m_fGravity * m_fFrameStep;
    fx.m_vPosition += fx.m_vVelocity * m_fFrameStep;
    fx.m_vDrawPosition = fx.m_vPosition;
    return true;
}

void EFXMgr::Decelerate(EFXInstance& fx) {
    if (fx.m_fAccelerateCoef == 0) return;
    if (fx.m_fAccelerateAfter > 0) {
        fx.m_fAccelerateAfter -= m_fFrameStep;
        return;
    }
    fx.m_fAccelerateFor -= m_fFrameStep;
    if (fx.m_fAccelerateFor <= 0) {
        fx.m_fAccelerateCoef = 0;
        return;
    }
    float speed = pmath::Length(fx.m_vVelocity) - fx.m_fAccelerateCoef * m_fFrameStep;
    fx.m_vVelocity = speed > 0 ? pmath::Normalize(fx.m_vVelocity) * speed : DV{};
}

void EFXMgr::ShiftTrail(EFXInstance& fx) {
    for (int i = EFXInstance::kTrail - 1; i > 0; --i) fx.m_vTrail[i] = fx.m_vTrail[i - 1];
    fx.m_vTrail[0] = fx.m_vPosition;
}

void EFXMgr::RebuildFrame(EFXInstance& fx, const DV& direction) {
    EOrientation o = EOrientation::EOrientationFromDirection(&direction);
    fx.m_vFront = o.m_Front;
    fx.m_vSide = o.m_Side;
    fx.m_vUp = o.m_Up;
}

bool EFXMgr::ChildrenMaySpawn(const EFXInstance& fx) const {
    if (g_RenderHooks.cutscenePlaying()) return true;
    float far = g_DrawCamera.farZ;
    if (fx.m_pObject) {
        EffectObject o;
        if (g_RenderHooks.effectObject(fx.m_pObject, o))
            return o.cameraDistance <= far && (o.cameraDistance <= kRelevantDistance || o.alwaysRelevant);
    }
    if (fx.m_fDisappearDistance > 1 && fx.m_fCameraDistance > fx.m_fDisappearDistance) return false;
    return fx.m_fCameraDistance <= far;
}

void EFXMgr::UpdateChildren(EFXInstance& fx) {
    for (uint32_t i = 0; i < fx.m_uEveryCount && i < static_cast<uint32_t>(EFXDefinition::kChildren); ++i) {
        const EFXDefinition* target = fx.m_pEveryTarget[i];
        if (!target) continue;
        fx.m_fEveryTimer[i] += m_fFrameStep;
        if (fx.m_fEveryTimer[i] < fx.m_fEveryPeriod[i]) continue;
        fx.m_fEveryTimer[i] = -RandomFloat(fx.m_fEveryRandom[i]);
        SpawnChild(fx, *target);
    }
    for (uint32_t i = 0; i < fx.m_uAfterCount && i < static_cast<uint32_t>(EFXDefinition::kChildren); ++i) {
        const EFXDefinition* target = fx.m_pAfterTarget[i];
        if (!target) continue;
        fx.m_fAfterTimer[i] -= m_fFrameStep;
        if (fx.m_fAfterTimer[i] > 0) continue;
        fx.m_pAfterTarget[i] = nullptr;
        SpawnChild(fx, *target);
    }
}

// A child starts where its parent is (its offset turned with the parent's object when it moves on
// its own), turned as the parent, on the parent's object and socket.
void EFXMgr::SpawnChild(EFXInstance& parent, const EFXDefinition& child) {
    DV position = child.m_vPos;
    if (!parent.m_pObject || child.m_bMove) {
        EffectObject o;
        if (parent.m_pObject && g_RenderHooks.effectObject(parent.m_pObject, o))
            position = pmath::TransformDirection(position, o.orientation.m_Matrix);
        position = parent.m_vPosition + position;
    }
    const char* socket = parent.m_szSocket[0] ? parent.m_szSocket : nullptr;
    Spawn(child, position, parent.m_Orientation, parent.m_pObject, socket, parent.m_bFollow);
}
