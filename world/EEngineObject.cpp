#include "world/EEngineObject.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "audio/CSoundMgr.h"
#include "collision/ECollisionMgr.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/ESkinMesh.h"
#include "platform/os/Random.h"
#include "render/CShadowMaps.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/GameAI.h"
#include "world/WorldHooks.h"

EEngineObject g_EngineObject;

namespace {

constexpr float kHalfTurn = std::numbers::pi_v<float>;
constexpr float kCameraFinderFar = 1000.0f;
constexpr float kSavedFarZ = 10000.0f;

constexpr int kSectionCameraChange = 32;
constexpr int kSectionAmbientSound = 34;
constexpr int kSectionObjectLoop = 36;
constexpr int kSectionBezier = 37;
constexpr int kSectionObjects = 38;
constexpr int kSectionTies = 144;
constexpr int kSectionVisibility = 148;

// Level frames of the main game at which the passes change what they do.
constexpr uint32_t kFrameEditorObjects = 150;
constexpr uint32_t kFrameCameraRefresh = 151;
constexpr uint32_t kFrameObjectSounds = 200;
constexpr uint32_t kFramePhysicsReport = 350;

// Camera changes that make the visibility pass test every object again.
constexpr float kCameraMove = 256.0f;
constexpr float kCameraTurn = 0.1f;
constexpr float kCameraFarChange = 64.0f;
constexpr float kCameraZoomChange = 0.1f;
constexpr float kCameraRefreshTime = 1.0f;
constexpr float kVisibilityRefreshTime = 0.3f;

// Physics by distance: bodies are parked beyond this camera distance.
constexpr float kPhysicsDistance = 200.0f;
constexpr float kBaleFieldPhysicsDistance = 1400.0f;
constexpr float kTouchDistance = 8.0f;
constexpr float kRetestMove = 0.1f;
constexpr float kAlwaysVisibleDistance = 40.0f;
constexpr float kSeenFarDistance = 1000.0f;
constexpr float kMeshShadowRange = 60.0f;
constexpr float kSkinMeshShadowRange = 40.0f;
constexpr float kObjectTimer = 1.0f;

constexpr const char* kBaleFile = "prefabs\\obiekty\\bala.x";
constexpr float kBaleMass = 400.0f;
constexpr float kSmallBodyRadius = 128.0f;
constexpr int32_t kSmallBodyViewDistance = 3000;

// Props that get flags2 bit 16 at their first update (the bale only when an action spawned it).
constexpr const char* kPropFiles[] = {
    "prefabs\\znaki\\slupek_pasy.x",  "prefabs\\obiekty\\snopek.x",     "prefabs\\obiekty\\beczka01.x",
    "prefabs\\obiekty\\beczka02.x",   "prefabs\\obiekty\\kanka.x",      "prefabs\\obiekty\\skrzynka.x",
    "prefabs\\obiekty\\paleta01.x",   "prefabs\\obiekty\\paleta02.x",   "prefabs\\obiekty\\paleta03.x",
    "models\\postacie\\krowa\\krowa01.x", "models\\wiatrak\\wiatrak_rotor.x", "models\\wiatrak01b\\wiatrak01b.x",
    "models\\wiatrak01c\\wiatrak01c.x",
};
constexpr const char* kTreeFolders[] = {"prefabs\\drzewa\\", "prefabs\\drzewa_fr\\"};

bool StartsWithNoCase(const char* text, const char* prefix) {
    size_t n = std::strlen(prefix);
    if (std::strlen(text) < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (!CharEqualsNoCase(text[i], prefix[i])) return false;
    return true;
}

// Moves value towards target by step without passing it; true when it got there.
bool Approach(float& value, float target, float step) {
    if (std::fabs(target - value) <= step) {
        value = target;
        return true;
    }
    value += value < target ? step : -step;
    return false;
}

float Distance(const DV& a, const DV& b) { return pmath::Length(a - b); }

}  // namespace

EEngineObject::EEngineObject()
    : m_iTouchedActions(0), m_iTouchedRespawns(0), m_iPhysicsObjects(0), m_fFrameTime(0), m_iUpdates(0),
      m_fVisibilityTimer(0), m_pLastShaker(nullptr), m_pAmbientSound(nullptr), m_szPendingAmbient{}, m_szAmbient{},
      m_fAmbientTarget(0), m_fAmbientVolume(0), m_pCameraFinder(nullptr), m_fSavedFarZ(0), m_fSavedZoom(0),
      m_fCameraChangeTimer(0), m_iTestedObjects(0), m_bCameraChanged(0), m_szDirectionPointer{},
      m_pDirectionPointer(nullptr), m_uCameraSetting{}, m_bCameraSettingSet(0) {}

EEngineObject::~EEngineObject() = default;

void EEngineObject::OnStartWorld() {
    m_pLastShaker = nullptr;
    SetDirectionPointer(nullptr);
    StopAmbientSound();
    m_fAmbientTarget = 0;
    m_iPhysicsObjects = 0;
    if (m_pCameraFinder) g_CollisionMgr.RemoveFinder(m_pCameraFinder);
    DV at{1, 0, 0};
    EOrientation along = EOrientation::EOrientationFromDirection(&at);
    m_pCameraFinder = g_CollisionMgr.AddProjectorFinder(&at, &along, kCameraFinderFar, kHalfTurn / 2);
    m_vSavedCameraPosition = at;
    m_vSavedCameraDirection = at;
    m_fSavedFarZ = kSavedFarZ;
    m_fSavedZoom = kHalfTurn / 2;
}

void EEngineObject::OnEndWorld() {
    StopAmbientSound();
    if (m_pCameraFinder) g_CollisionMgr.RemoveFinder(m_pCameraFinder);
    m_pCameraFinder = nullptr;
}

void EEngineObject::Update() {
    uint32_t levelFrame = g_WorldHooks.levelFrame();
    if (g_Settings.m_bEditor && !(g_Settings.m_bEditor2 && levelFrame >= kFrameEditorObjects)) return;
    if (levelFrame == kFramePhysicsReport) g_Console.PrintInt("Obiektow z fizyka: ", m_iPhysicsObjects);
    m_iTouchedActions = m_iTouchedRespawns = 0;
    ++m_iUpdates;
    m_bCameraChanged = g_Engine.m_bForcedLookActive;
    m_iTestedObjects = 0;
    m_fFrameTime = g_Engine.m_fFrameTime;

    g_Profiler.Begin(kSectionCameraChange);
    UpdateCameraChange();
    g_Profiler.End(kSectionCameraChange);
    g_Profiler.Begin(kSectionAmbientSound);
    UpdateAmbientSound();
    g_Profiler.End(kSectionAmbientSound);
    g_Profiler.Begin(kSectionObjectLoop);
    UpdateObjectLoop();
    g_Profiler.End(kSectionObjectLoop);
    g_Profiler.Begin(kSectionVisibility);
    UpdateVisibilityPass();
    g_Profiler.End(kSectionVisibility);
}

// ---- Camera change and ambient sound ---------------------------------------------------------

void EEngineObject::UpdateCameraChange() {
    const DV& position = g_Camera.m_vPosition;
    const DV& direction = g_Camera.m_vDirection;
    float farZ = g_Camera.m_fFarZ;
    float zoom = g_Settings.m_fFOV;
    bool changed = Distance(position, m_vSavedCameraPosition) > kCameraMove ||
                   Distance(direction, m_vSavedCameraDirection) > kCameraTurn ||
                   std::fabs(farZ - m_fSavedFarZ) > kCameraFarChange || std::fabs(zoom - m_fSavedZoom) > kCameraZoomChange;
    m_fCameraChangeTimer += m_fFrameTime;
    if (m_fCameraChangeTimer > kCameraRefreshTime) changed = true;
    if (g_Settings.m_bEditor && g_Settings.m_bEditor2) changed = true;
    if (g_WorldHooks.levelFrame() == kFrameCameraRefresh) changed = true;
    if (!changed) return;
    m_bCameraChanged = 1;
    m_fCameraChangeTimer = 0;
    m_vSavedCameraPosition = position;
    m_vSavedCameraDirection = direction;
    m_fSavedFarZ = farZ;
    m_fSavedZoom = zoom;
    // Outside a world there is no camera finder to move.
    if (!m_pCameraFinder) return;
    EOrientation along = EOrientation::EOrientationFromDirection(&direction);
    g_CollisionMgr.UpdateProjectorFinder(m_pCameraFinder, &position, &along, farZ, zoom * kHalfTurn / 2);
}

void EEngineObject::UpdateAmbientSound() {
    float step = m_fFrameTime * 0.5f;
    if (m_szPendingAmbient[0]) {
        m_fAmbientVolume -= step;
        if (m_fAmbientVolume > 0) {
            if (m_pAmbientSound) g_SoundMgr.SetVolume(m_pAmbientSound, m_fAmbientVolume);
            return;
        }
        if (m_pAmbientSound) {
            g_SoundMgr.StopSound(m_pAmbientSound);
            g_SoundMgr.ReleaseSound(m_pAmbientSound);
            m_pAmbientSound = nullptr;
        }
        m_fAmbientVolume = 0;
        if (FileExists(m_szPendingAmbient)) {
            m_pAmbientSound = g_SoundMgr.CreateSound(m_szPendingAmbient, false);
            if (m_pAmbientSound) {
                g_SoundMgr.SetVolume(m_pAmbientSound, 0);
                g_SoundMgr.PlaySound(m_pAmbientSound, true);
            }
            std::memcpy(m_szAmbient, m_szPendingAmbient, sizeof m_szAmbient);
        }
        m_szPendingAmbient[0] = 0;
        return;
    }
    float before = m_fAmbientVolume;
    Approach(m_fAmbientVolume, m_fAmbientTarget, step);
    if (m_fAmbientVolume != before && m_pAmbientSound) g_SoundMgr.SetVolume(m_pAmbientSound, m_fAmbientVolume);
}

void EEngineObject::SetAmbientSound(const char* name, float volume) {
    m_fAmbientTarget = volume;
    if (!name || StrICmp(name, m_szAmbient) == 0) return;
    std::snprintf(m_szPendingAmbient, sizeof m_szPendingAmbient, "%s", name);
}

void EEngineObject::StopAmbientSound() {
    if (m_pAmbientSound) {
        g_SoundMgr.StopSound(m_pAmbientSound);
        g_SoundMgr.ReleaseSound(m_pAmbientSound);
        m_pAmbientSound = nullptr;
    }
    m_szAmbient[0] = 0;
    m_szPendingAmbient[0] = 0;
    m_fAmbientVolume = 0;
}

void EEngineObject::SetDirectionPointer(const char* name) {
    m_szDirectionPointer[0] = 0;
    m_pDirectionPointer = nullptr;
    if (!name || !*name) return;
    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("Setting direction pointer to ", name);
    EObjectSlot* object = g_Engine.FindObject(name, true);
    if (!object) {
        if (g_Settings.m_iDebug > 0) g_Console.Print("Object not found, resetting direction pointer.");
        return;
    }
    if (g_Settings.m_iDebug > 0) g_Console.Print("Object found and set as target.");
    m_pDirectionPointer = object;
    std::snprintf(m_szDirectionPointer, sizeof m_szDirectionPointer, "%s", object->m_szName);
}

// ---- The object loop -------------------------------------------------------------------------

void EEngineObject::UpdateObjectLoop() {
    if (!g_Settings.m_bUpdateObjects) return;
    if (g_Settings.m_bUpdateBezier) {
        g_Profiler.Begin(kSectionBezier);
        g_BezierMgr.UpdateAll(m_fFrameTime);
        g_Profiler.End(kSectionBezier);
    }
    if (g_Settings.m_bUpdateObjectsLoop) {
        g_Profiler.Begin(kSectionObjects);
        for (int i = 0; i < g_Engine.m_iLightMark; ++i) {
            EObjectSlot& o = g_Engine.m_Objects[i];
            if (o.m_bUsed && !o.m_bHidden && !(o.m_uFlags & FLAG_NO_OBJECT_PASSES)) UpdateObject(&o);
        }
        g_Profiler.End(kSectionObjects);
    }
    g_Profiler.Begin(kSectionTies);
    UpdateTies();
    g_Profiler.End(kSectionTies);
}

void EEngineObject::UpdateObject(EObjectSlot* o) {
    o->m_fCameraDistance = Distance(o->m_vPosition, g_Camera.m_vPosition);
    ++o->m_uUpdates;
    o->m_fTimeSinceActions += m_fFrameTime;
    if (o->m_hTruck && o->m_pLinkedObject) FollowMarker(o);
    if (o->m_bPhysicsByDistance && UpdatePhysicsByDistance(o)) return;
    if (o->m_bFalling) StartFall(o);
    if (!o->m_bNeedsUpdateComputed) ComputeNeedsUpdate(o);
    if (!o->m_bNeedsUpdate) return;

    if (o->FX && o->FX[0] && !o->m_pEffectInstance) {
        o->m_pEffectInstance = g_FXMgr.AddFXByName(o->FX, &o->m_vPosition, &o->m_Orientation);
        if (!o->m_pEffectInstance) g_Console.PrintStr3(o->m_szName, " - proba stworzenia FX nie powiodla sie: ", o->FX);
        else if (o->Type == OT_LIGHT && !o->m_bLightByte) o->m_pEffectInstance->m_bSwitchedOff = 1;
    }
    UpdateObjectSound(o);
    if (ESkinMesh* skin = o->SkinMesh()) skin->UpdateAnimation();
    if (g_Settings.m_iDebugSelector != 10) {
        if (o->m_bPausedHandOver || o->m_bActionsRan) UpdateObjectMotion(o);
        TestTouch(o);
    }
    if (g_Settings.m_iDebugSelector != 12 && o->m_fDyingDelay > 0) {
        o->m_fDyingDelay -= m_fFrameTime;
        if (o->m_fDyingDelay <= 0) {
            o->m_fDyingDelay = 0;
            HandleDeath(o);
        }
    }
}

// A truck steers after the marker that moves along its path, and hitches to it once the marker
// has moved three times.
void EEngineObject::FollowMarker(EObjectSlot* truck) {
    EObjectSlot* marker = truck->m_pLinkedObject;
    ++marker->m_uMarkerUpdates;
    if (marker->m_uMarkerUpdates >= 3 && !truck->m_bHitchedToMarker) {
        g_WorldHooks.truckHitchToMarker(truck);
        truck->m_bHitchedToMarker = 1;
    }
    DV toMarker = marker->m_vPosition - truck->m_vPosition;
    toMarker.y = 0;
    DV forward = truck->m_Orientation.m_Front;
    forward.y = 0;
    float lengths = pmath::Length(toMarker) * pmath::Length(forward);
    float cosine = lengths > 0 ? pmath::Dot(toMarker, forward) / lengths : 1.0f;
    cosine = std::fmin(1.0f, std::fmax(0.6f, cosine));
    float steering = std::acos(cosine);
    if (pmath::Dot(toMarker, truck->m_Orientation.m_Side) > 0) steering = -steering;
    g_WorldHooks.driveTruck(truck, 1.0f, steering);
}

// Parks the body of a far object and brings it back when the camera nears; true while parked.
bool EEngineObject::UpdatePhysicsByDistance(EObjectSlot* o) {
    // Bales lie all over the field the player collects them from: they stay real much farther.
    const RouteRecord* route = g_RoutesMgr.m_pCurrentRoute;
    const float parking = route && route->m_bBaleCollecting ? kBaleFieldPhysicsDistance : kPhysicsDistance;
    if (o->m_fCameraDistance >= parking) {
        if (!o->m_bParked) {
            if (o->m_pPhysicsBody) g_WorldHooks.removeObjectBody(o);
            o->m_pPhysicsBody = nullptr;
            g_Engine.SetObjectFlags(o, 0, FLAG_VISIBLE);
            o->m_bParked = 1;
        }
    } else if (o->m_bParked) {
        if (EMesh* mesh = o->Mesh()) g_WorldHooks.createObjectBody(o, &mesh->m_RigidBodyPhysics);
        g_Engine.SetObjectFlags(o, FLAG_VISIBLE, FLAG_VISIBLE);
        o->m_bParked = 0;
    }
    if (!o->m_bParked) return false;
    o->m_bVisibleThisFrame = 0;
    return true;
}

void EEngineObject::ComputeNeedsUpdate(EObjectSlot* o) {
    bool needs = (o->FX && o->FX[0]) || o->m_pSoundParams || o->m_szBushSound[0] || o->Type == OT_SKINMESH ||
                 o->m_pPhysicsBody || o->m_uFlags3 == kFlags3NeedsPhysics || o->m_pEffectInstance || o->m_hTruck ||
                 (o->m_pActionParams && o->m_pActionParams->m_uEnabled) ||
                 (o->m_pDeathParams && o->m_pDeathParams->m_bEnabled) || (o->m_uFlags3 & FLAG3_ALWAYS_UPDATE) ||
                 o->m_bHelicopter || o->m_bAlwaysUpdate;
    o->m_bNeedsUpdate = needs ? 1 : 0;
    o->m_bNeedsUpdateComputed = 1;
}

void EEngineObject::UpdateObjectSound(EObjectSlot* o) {
    strSoundParams* p = o->m_pSoundParams;
    if (!p || g_WorldHooks.levelFrame() < kFrameObjectSounds) return;
    auto stop = [&] {
        if (!p->m_pSound) return;
        g_SoundMgr.StopSound(p->m_pSound);
        g_SoundMgr.ReleaseSound(p->m_pSound);
        p->m_pSound = nullptr;
    };
    bool allowed = !p->m_szVariable[0] || g_GameAI.IsSet(p->m_szVariable);
    if (o->m_fCameraDistance > p->m_fDistance || (p->m_pSound && !allowed)) {
        stop();
        return;
    }
    if (p->m_pSound || !allowed) return;
    p->m_pSound = g_SoundMgr.CreateSound3D(p->m_szFile, false);
    if (!p->m_pSound) return;
    g_SoundMgr.SetSoundPosition(p->m_pSound, o->m_vPosition);
    g_SoundMgr.SetSoundDistance(p->m_pSound, p->m_fDistance);
    g_SoundMgr.PlaySound(p->m_pSound, true);
}

// The player's machine fires the actions of an object it drives into.
void EEngineObject::TestTouch(EObjectSlot* o) {
    const strActionParams* a = o->m_pActionParams;
    if (!a || !a->m_uEnabled || !a->m_uOnTouch || o->m_bActionsRan || (a->m_uOnce && o->m_bHasRun)) return;
    DV machine;
    if (!g_WorldHooks.playerMachinePosition(machine)) return;
    float distance = Distance(machine, o->m_vPosition);
    if (distance >= o->m_fRadius && distance >= kTouchDistance) return;
    if (EMesh* mesh = o->Mesh(); mesh && !mesh->ContainsPoint(&machine)) return;
    ++m_iTouchedActions;
    UpdateObjectActions(o, true);
}

void EEngineObject::UpdateObjectMotion(EObjectSlot* o) {
    const strActionParams* a = o->m_pActionParams;
    if (o->m_bDead || !a) return;
    float dt = m_fFrameTime;
    if (o->m_bPausedHandOver) {
        o->m_fPauseTimer += dt;
        if (o->m_fPauseTimer >= a->m_fHandOverPause) {
            o->m_bPausedHandOver = 0;
            g_Engine.RunAction(a->m_szHandOver);
        }
    }
    if (!o->m_bActionsRan) return;

    o->m_fMotionTime += dt;
    bool back = o->m_bSwitched != 0;
    float direction = back ? -1.0f : 1.0f;
    bool busy = false;
    if (pmath::Length(a->m_vMove) > 0.001f) {
        o->m_fTravelled += a->m_fMoveSpeed * dt * direction;
        float end = back ? 0.0f : a->m_fMoveLimit;
        if (back ? o->m_fTravelled <= end : o->m_fTravelled >= end) o->m_fTravelled = end;
        else busy = true;
        o->m_vMotionOffset = pmath::Normalize(a->m_vMove) * o->m_fTravelled;
    }
    // The first angle turns towards the first target, the second towards the third, the third
    // towards the second.
    float turn = a->m_fTurnAcceleration * dt * o->m_fMotionTime + a->m_fTurnSpeed * dt;
    float* angles[3] = {&o->m_vExtraAngles.x, &o->m_vExtraAngles.y, &o->m_vExtraAngles.z};
    const float targets[3] = {a->m_fTurnTargets[0], a->m_fTurnTargets[2], a->m_fTurnTargets[1]};
    for (int i = 0; i < 3; ++i) {
        if (!back && targets[i] == 0) continue;
        if (!Approach(*angles[i], back ? 0.0f : targets[i], turn)) busy = true;
    }
    if (a->m_uSwing) {
        float target = back ? 0.0f : o->m_fSwingTarget;
        float ratio = o->m_fSwingTarget != 0 ? std::fabs(o->m_fSwingAngle / o->m_fSwingTarget) : 0.0f;
        bool first = Approach(o->m_fSwingAngle, target, a->m_fSwingSpeed * dt * (1.5f - ratio));
        bool second = Approach(o->m_fSwing2Angle, back ? 0.0f : a->m_fSwing2Target, a->m_fSwing2Speed * dt);
        o->m_bSwingDone = first && second ? 1 : 0;
        if (!o->m_bSwingDone) busy = true;
    }
    if (!busy) {
        o->m_bActionsRan = 0;
        o->m_bSwitched = back ? 0 : 1;
        if (o->m_bPositionedCamera && g_Engine.m_pLookAt == o) g_Engine.ForceCameraToLook(nullptr, nullptr);
        o->m_bPositionedCamera = 0;
    }
    g_Engine.SetObjectPosition(o, o->m_vStartPosition + o->m_vMotionOffset, true);
    if (a->m_uSwing) TurnKnob(o, *a);
}

void EEngineObject::UpdateTies() {
    for (int i = 0; i < g_Engine.m_iLightMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        if (!o.m_bUsed || !o.m_bTied) continue;
        EObjectSlot* target = o.m_pTieTargetObject;
        if (!target || !target->m_bUsed) {
            g_Console.PrintStr2(o.m_szName, " - niby przywiazany, ale nie ma obiektu do przywiazania!");
            continue;
        }
        DV position;
        EOrientation orientation;
        if (!g_Engine.GetObjectSocket(target, o.m_szTieSocket, &position, &orientation)) {
            g_Console.PrintStr2("No socket to tie object: ", o.m_szName);
            continue;
        }
        g_Engine.SetObjectTransform(&o, position, orientation, false, true);
    }
}

// ---- Visibility ------------------------------------------------------------------------------

void EEngineObject::UpdateShadowRange(EObjectSlot* o, float range, uint8_t& rendererByte) {
    bool castsShadow = !o->m_bShadowSkip && !(o->m_uFlags & FLAG_NO_SHADOW);
    o->m_bInShadowRange = o->m_bVisibleThisFrame && g_ShadowMaps.m_bEnabled && castsShadow &&
                          !(o->m_uFlags2 & FLAG2_NO_SHADOW_RANGE) && o->m_fCameraDistance - o->m_fRadius < range;
    if (o->m_bInShadowRange) rendererByte = 1;
}

void EEngineObject::UpdateVisibilityPass() {
    if (!g_Settings.m_bRecalculateCamera) return;
    // The renderer's sky-lit and skinned passes look at the lists this pass fills.
    g_Renderer.m_bSkyLitMeshes = 1;
    g_Renderer.m_bSkinMeshes = 1;
    m_fVisibilityTimer -= m_fFrameTime;
    if (m_fVisibilityTimer <= 0) {
        m_bCameraChanged = 1;
        m_fVisibilityTimer = kVisibilityRefreshTime;
    }
    const DV& camera = g_Camera.m_vPosition;
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        if (!o.m_bUsed) continue;
        if (m_bCameraChanged) o.m_bVisibleThisFrame = 0;
        if (o.m_bHidden || o.m_bExcluded) continue;
        if ((o.m_uFlags & FLAG_VISIBLE) && !(o.m_uFlags & FLAG_NO_OBJECT_PASSES)) {
            if (m_bCameraChanged) UpdateVisibility(&o);
            else o.m_fCameraDistance = Distance(o.m_vPosition, camera);
        }
        if (!o.m_bFirstUpdateDone) FirstUpdate(&o);
        UpdateShadowRange(&o, kMeshShadowRange, g_Renderer.m_bMeshesInShadowRange);
    }
    for (int i = EEngine::kFirstSkinMeshSlot; i < g_Engine.m_iLightMark; ++i) {
        EObjectSlot& o = g_Engine.m_Objects[i];
        if (!o.m_bUsed) continue;
        if (o.m_bHidden || o.m_bExcluded || !(o.m_uFlags & FLAG_VISIBLE)) {
            o.m_bVisibleThisFrame = 0;
            continue;
        }
        if (o.m_uFlags & FLAG_NO_OBJECT_PASSES) continue;
        o.m_fObjectTimer = kObjectTimer;
        if ((o.m_uFlags & FLAG_NOT_IMPORTANT) && !g_Settings.m_bDrawNotImportant) {
            o.m_bVisibleThisFrame = 0;
            continue;
        }
        if (o.Type == OT_SKINMESH) {
            if (m_bCameraChanged) UpdateVisibility(&o);
            else o.m_fCameraDistance = Distance(o.m_vPosition, camera);
            UpdateShadowRange(&o, kSkinMeshShadowRange, g_Renderer.m_bSkinMeshesInShadowRange);
        } else if (o.Type == OT_LIGHT && m_bCameraChanged) {
            UpdateLightVisibility(&o);
        }
        if (!o.m_bFirstUpdateDone) FirstUpdate(&o);
    }
}

void EEngineObject::UpdateVisibility(EObjectSlot* o) {
    if (!o->Object) return;
    if ((g_WorldHooks.menuActive() && (o->m_uFlags & FLAG_MENU_VISIBLE)) || g_CutsceneMgr.m_pActiveScene) {
        o->m_bVisibleThisFrame = static_cast<uint8_t>(o->m_uFlags & FLAG_VISIBLE);
        return;
    }
    const DV& camera = g_Camera.m_vPosition;
    float distance = Distance(o->m_vPosition, camera);
    o->m_fCameraDistance = distance;
    o->m_bInFront = pmath::Dot(g_Camera.m_vDirection, camera - o->m_vPosition) <= 0;
    if (g_Settings.m_bEditor && !g_Settings.m_bEditor2) {
        o->m_bVisibleThisFrame = 1;
        return;
    }
    uint32_t kind = o->m_uFlags3;
    if (g_Engine.m_bForcedLookActive && (kind == 32 || kind == 64 || kind == 256)) {
        o->m_bVisibleThisFrame = 0;
        return;
    }
    uint8_t flag = static_cast<uint8_t>(o->m_uFlags & FLAG_VISIBLE);
    bool retest = flag != o->m_bTestedFlag || g_Settings.m_bDrawPhysics ||
                  Distance(o->m_vPosition, o->m_vTestedPosition) >= kRetestMove || m_bCameraChanged;
    if (!retest) return;
    o->m_bTestedFlag = flag;
    o->m_vTestedPosition = o->m_vPosition;
    ++m_iTestedObjects;

    float beyond = distance - o->m_fRadius;
    bool visible;
    if (!flag) visible = false;
    else if (o->m_uFlags2 & FLAG2_SEEN_FAR) visible = true;
    else if (distance < kAlwaysVisibleDistance || o->m_fRadius > distance) visible = true;
    else if (o->m_iViewDistance > 1 && static_cast<float>(o->m_iViewDistance) < beyond) visible = false;
    else if (g_Camera.m_fFarZ < beyond) visible = false;
    // Without a camera finder (no world has started) nothing is seen beyond the near tests.
    else visible = m_pCameraFinder && g_CollisionMgr.IsObjectInFinder(m_pCameraFinder, o, 0);
    o->m_bVisibleThisFrame = visible ? 1 : 0;
}

void EEngineObject::UpdateLightVisibility(EObjectSlot* light) {
    const DV& camera = g_Camera.m_vPosition;
    float distance = Distance(light->m_vPosition, camera);
    light->m_fCameraDistance = distance;
    bool visible;
    if ((light->m_uFlags2 & FLAG2_SHADOW_OBJECT) && !g_Settings.m_bDrawShadows) visible = false;
    else if (!(light->m_uFlags & FLAG_VISIBLE)) visible = false;
    else if (light->m_iViewDistance > 1 && static_cast<float>(light->m_iViewDistance) < distance) visible = false;
    else if (g_Settings.m_bEditor || light->m_fRadius > distance) visible = true;
    else {
        // The sphere's farthest point along the view must lie ahead of the camera, and its
        // nearest point within the far distance.
        float ahead = pmath::Dot(light->m_vPosition - camera, g_Camera.m_vDirection) + light->m_fRadius;
        float farZ = (light->m_uFlags2 & FLAG2_SEEN_FAR) ? kSeenFarDistance : g_Camera.m_fFarZ;
        visible = ahead >= -0.5f && distance - light->m_fRadius <= farZ;
    }
    light->m_bVisibleThisFrame = visible ? 1 : 0;
}

void EEngineObject::FirstUpdate(EObjectSlot* o) {
    o->m_bFirstUpdateDone = 1;
    o->m_bShadowByte = 0;
    if (StrICmp(o->m_szName, "test") == 0) g_Console.Print("First Update: \"test\".");
    if (o->m_bTree) g_Engine.SetObjectFlags(o, 0, FLAG_TREE_SHADOW);

    EMesh* mesh = o->Mesh();
    bool bale = StrICmp(o->m_szFileName, kBaleFile) == 0;
    if (mesh && o->m_bSpawned && bale && !o->m_pPhysicsBody) {
        RigidBodyPhysicsParams params;
        params.m_uBodyKind = 2;
        params.m_fMass = kBaleMass;
        params.m_bGeneral = 1;
        mesh->SetRigidBodyPhysicsParams(&params);
    }
    bool prop = bale && o->m_bSpawned;
    for (const char* file : kPropFiles) prop = prop || StrICmp(o->m_szFileName, file) == 0;
    if (prop) g_Engine.SetObjectFlags2(o, FLAG2_PROP, FLAG2_PROP);

    if (o->m_pActionParams && !o->m_pActionParams->m_uEnabled) {
        g_Console.PrintStr2("Usuwam pusta akcje ", o->m_szName);
        delete o->m_pActionParams;
        o->m_pActionParams = nullptr;
        g_Debug.RemoveAlloc("strActionParams");
    }
    if (o->m_pActionParams) o->m_iSector = 0;
    if (StartsWithNoCase(o->m_szName, "heli")) {
        g_Console.PrintStr2("Wykryto obiekt helikopter: ", o->m_szName);
        o->m_bHelicopter = 1;
    }
    if (o->m_pActionParams) PrepareActions(o, *o->m_pActionParams);

    if (mesh) {
        if (mesh->m_RigidBodyPhysics.m_uBodyKind != 0 && !o->m_pPhysicsBody)
            g_WorldHooks.createObjectBody(o, &mesh->m_RigidBodyPhysics);
        if (o->m_pPhysicsBody) {
            if (o->m_fRadius < kSmallBodyRadius && (o->m_iViewDistance > 4000 || o->m_iViewDistance < 1))
                o->m_iViewDistance = kSmallBodyViewDistance;
            ++m_iPhysicsObjects;
            // Loose props far from the camera need no simulation: they park until it comes near.
            if (o->m_uFlags2 & FLAG2_PROP) o->m_bPhysicsByDistance = 1;
        }
        if (StrIContains(o->m_szFileName, "podium")) g_Engine.SetObjectFlags(o, FLAG_PODIUM, FLAG_PODIUM);
    }
    g_WorldHooks.createTruckForObject(o);
    if (o->Type == OT_SKINMESH && StrIContains(o->m_szName, "krowa")) {
        char idle[8];
        std::snprintf(idle, sizeof idle, "stoi%d", 1 + plat::Random() % 5);
        g_Engine.SetObjectAnimation(o, idle, false, 0.2f);
    }
    for (const char* folder : kTreeFolders)
        if (StartsWithNoCase(o->m_szFileName, folder)) o->m_bTree = 1;
}
