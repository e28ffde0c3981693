// The actions of an object: what its action block does when it fires, step by step in one fixed
// order, and the dialogue lines it plays.
#include <bit>
#include <cstdio>
#include <numbers>

#include "audio/CSoundCache.h"
#include "audio/CSoundMgr.h"
#include "collision/ERigidBodySimulation.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "platform/os/Random.h"
#include "render/EFXInstance.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/GameAI.h"
#include "world/WorldHooks.h"

namespace {

constexpr float kMinimumTimeSpeed = 0.01f;
constexpr float kDialogueDistance = 40960.0f;
constexpr float kKickLift = 0.1f;
constexpr double kPathFadeTime = 2.0;
constexpr const char* kDialogueFolder = "voices\\Dialogues\\";
constexpr float kDegrees = std::numbers::pi_v<float> / 180.0f;

// The environment's render switches: which of the block's render states turns which drawing of
// objects off or on.
struct RenderSwitch {
    int state;
    const char* message;
    uint8_t ESettings::* setting;
    uint8_t value;
};
constexpr RenderSwitch kRenderSwitches[] = {
    {0, " wylacza render obiektow Shadowcasted", &ESettings::m_bDrawShadows, 0},
    {1, " wlacza render obiektow Shadowcasted", &ESettings::m_bDrawShadows, 1},
    {2, " wylacza render obiektow SkyLight", &ESettings::m_bDrawSkylightLitObjects, 0},
    {3, " wlacza render obiektow Skylight", &ESettings::m_bDrawSkylightLitObjects, 1},
};

bool Named(const char* text) { return text && text[0]; }

}  // namespace

void EEngineObject::UpdateObjectActions(EObjectSlot* o, bool fromTouch) {
    const strActionParams* block = o ? o->m_pActionParams : nullptr;
    if (!block || o->m_bActionsRan || !block->m_uEnabled || (fromTouch && !block->m_uOnTouch) ||
        (block->m_uOnce && o->m_bHasRun) || g_Settings.m_bEditor)
        return;
    // A step may change or free the object's block (another object's actions or death can reach
    // it): the steps read a copy taken when the actions fired.
    const strActionParams a = *block;
    if (Named(a.m_szActionIf) && !g_GameAI.IsSet(a.m_szActionIf)) {
        if (g_Settings.m_iDebug > 0)
            g_Console.PrintStr3("Jest ActionIf ", a.m_szActionIf, " a zmienna nie ustawiona, wychodze!");
        return;
    }
    if (Named(a.m_szActionIfNot) && g_GameAI.IsSet(a.m_szActionIfNot)) {
        if (g_Settings.m_iDebug > 0)
            g_Console.PrintStr3("Jest ActionIfNot ", a.m_szActionIfNot, " a zmienna ustawiona, wychodze!");
        return;
    }
    if (a.m_fMinimumInterval > 0 && o->m_fTimeSinceActions < a.m_fMinimumInterval) {
        char line[96];
        std::snprintf(line, sizeof line, "Czas od ost. uruchomienia: %f; wymagany: %f", o->m_fTimeSinceActions,
                      a.m_fMinimumInterval);
        g_Console.Print(line);
        return;
    }
    g_Console.PrintStr2(o->m_szName, " w srodku, uruchamiam akcje");
    o->m_fPauseTimer = 0;
    o->m_fTimeSinceActions = 0;
    o->m_fMotionTime = 0;
    o->m_bHasRun = 1;
    // Marked before the steps: a hand-over that comes back to this object (A to B to A) is
    // refused instead of running the steps again inside themselves without end.
    o->m_bActionsRan = 1;

    RunVariableActions(o, a);
    RunEnvironmentActions(o, a);
    RunPointAndLightActions(o, a);
    RunObjectMoves(o, a);
    RunAnimationsAndPaths(o, a);
    RunMessagesAndKills(o, a);
    RunEffectsAndSounds(o, a);
    RunHandOverAndCamera(o, a, fromTouch);

    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2(o->m_szName, " - wychodze z uruchomienia akcji OK.");
}

// Level variables of the object's state, the countdown and vehicle targets (which only log), the
// end of the game, the sector deleted.
void EEngineObject::RunVariableActions(EObjectSlot* o, const strActionParams& a) {
    if (!o->m_bSwitched) {
        g_GameAI.SetVariable(a.m_szDefaultSet, o);
        g_GameAI.UnsetVariable(a.m_szDefaultUnset, o);
    } else {
        g_GameAI.SetVariable(a.m_szDestSet, o);
        g_GameAI.UnsetVariable(a.m_szDestUnset, o);
    }
    if (a.m_bCountdownOn) g_Console.PrintStr2("Starting countdown with target ", a.m_szCountdownAction);
    if (a.m_bCountdownOff) g_Console.Print("Stopping countdown");
    if (a.m_bVehicleTarget) g_Console.PrintStr4("Vehicle ", a.m_szVehicleTarget, " sets target to ", o->m_szName);
    if (a.m_bVehicleStopTargetting)
        g_Console.PrintStr3("Vehicle ", a.m_szVehicleStopTargetting, " disables targetting.");
    if (a.m_bEndGame) {
        g_Console.Print("End game");
        g_WorldHooks.mainGameEndGame();
    }
    if (a.m_iSectorToDelete != 0) g_Engine.DeleteSectorObjects(a.m_iSectorToDelete);
}

// The ambient sound, the environment's far distance, render switches and sectors, the time speed.
void EEngineObject::RunEnvironmentActions(EObjectSlot* o, const strActionParams& a) {
    if (Named(a.m_szAmbientSound)) {
        g_Console.PrintStr2("Ambient Sound ", a.m_szAmbientSound);
        SetAmbientSound(a.m_szAmbientSound, a.m_fAmbientVolume);
    }
    if (a.m_bUseRenderParams) {
        if (a.m_fFarZ > 0) g_Camera.SetFarZ(a.m_fFarZ);
        for (const RenderSwitch& change : kRenderSwitches) {
            if (!a.m_bRenderStates[change.state]) continue;
            g_Console.PrintStr2(o->m_szName, change.message);
            g_Settings.*change.setting = change.value;
        }
        for (int32_t sector : a.m_iShowSectors) {
            if (sector == 0) continue;
            g_Engine.SetSectorHidden(sector, 0);
            m_bCameraChanged = 1;
        }
        for (int32_t sector : a.m_iHideSectors)
            if (sector != 0) g_Engine.SetSectorHidden(sector, 1);
    }
    if (a.m_fGlobalTimeSpeed > kMinimumTimeSpeed) {
        g_Console.PrintFloat("Setting GlobalTimeSpeed to ", a.m_fGlobalTimeSpeed);
        g_Settings.m_fGlobalTimeSpeed = a.m_fGlobalTimeSpeed;
        g_Console.SetVariable("GlobalTimeSpeed", a.m_fGlobalTimeSpeed, 0);
    }
}

// Green and red points of other objects, the light and its blinking, the direction pointer and
// the dialogue.
void EEngineObject::RunPointAndLightActions(EObjectSlot* o, const strActionParams& a) {
    auto togglePoint = [](const char* name, uint8_t EObjectSlot::* point, const char* pointName) {
        if (!Named(name)) return;
        EObjectSlot* target = g_Engine.FindObject(name, true);
        if (!target) {
            g_Console.PrintStr4("Przelaczanie ", pointName, name, " FAILED - nie ma obiektu!");
            return;
        }
        g_Console.PrintStr5("Przelaczam ", pointName, name, " w pozycje ", target->*point ? "ON." : "OFF.");
        target->*point = target->*point ? 0 : 1;
    };
    togglePoint(a.m_szGreenPointFor, &EObjectSlot::m_bGreenPoint, "green point dla ");
    togglePoint(a.m_szRedPointFor, &EObjectSlot::m_bRedPoint, "red point dla ");

    if (a.m_uLightToggle && o->Type == OT_LIGHT) {
        o->m_bLightByte = o->m_bLightByte ? 0 : 1;
        g_Engine.m_bLightOn[o - &g_Engine.m_Objects[EEngine::kFirstLightSlot]] = o->m_bLightByte;
        if (o->m_pEffectInstance) o->m_pEffectInstance->m_bSwitchedOff = o->m_bLightByte ? 0 : 1;
    }
    if (a.m_uBlinkingToggle && o->m_pLightBlinking) {
        strLightBlinking& blinking = *o->m_pLightBlinking;
        blinking.m_bOn = blinking.m_bOn ? 0 : 1;
        if (!blinking.m_bOn) o->m_fLightValues[1] = o->m_fLightValues[0];
    }
    if (Named(a.m_szDirectionPointerTo)) SetDirectionPointer(a.m_szDirectionPointerTo);
    for (const char* key : a.m_szVoices) {
        if (!Named(key)) continue;
        PlayDialogue(o);
        break;
    }
}

// Another object teleported here, the camera's flight and view from a socket, the shake (only told:
// the camera has no shakes).
void EEngineObject::RunObjectMoves(EObjectSlot* o, const strActionParams& a) {
    if (Named(a.m_szTeleportObjectHere)) {
        g_Console.PrintStr2("Chce teleportowac tu obiekt ", a.m_szTeleportObjectHere);
        if (EObjectSlot* moved = g_Engine.FindObject(a.m_szTeleportObjectHere, true)) {
            g_Console.Print("Obiekt znaleziony");
            if (g_Engine.IsBezierMoving(moved)) g_Engine.StopBezierMoving(moved);
            g_Engine.SetObjectPosition(moved, o->m_vPosition, false);
            if (a.m_uTeleportWithRotation) g_Engine.SetObjectOrientation(moved, o->m_Orientation);
        } else {
            g_Console.Print("Nie ma obiektu do teleportacji!");
        }
    }
    if (Named(a.m_szCameraMoveTo)) {
        g_Console.PrintStr2("Camera.MoveToObject ", a.m_szCameraMoveTo);
        g_Camera.MoveToObject(a.m_szCameraMoveTo, a.m_fCameraMoveTime);
    }
    if (Named(a.m_szCameraLookFrom)) {
        g_Console.PrintStr4("Camera.LookFromObject ", a.m_szCameraLookFrom, ", socket ", a.m_szCameraLookFromSocket);
        g_Camera.LookFromObject(a.m_szCameraLookFrom, a.m_szCameraLookFromSocket, a.m_fCameraLookFromTime);
    }
    if (a.m_bShakeScreen && m_pLastShaker != o) {
        g_Console.PrintStr2(o->m_szName, " ustawia shake screen.");
        m_pLastShaker = o;
    }
    if (Named(a.m_szRemoveJointsFor))
        g_RigidBodySimulation.RemoveObjectJoints(g_Engine.FindObject(a.m_szRemoveJointsFor, true));
}

// The state's animation of this skinned mesh, an animation of another, the paths, the swing.
void EEngineObject::RunAnimationsAndPaths(EObjectSlot* o, const strActionParams& a) {
    if (o->Type == OT_SKINMESH) {
        if (!o->m_bSwitched && Named(a.m_szDefaultAnimation))
            g_Engine.SetObjectAnimation(o, a.m_szDefaultAnimation, a.m_bDefaultAnimationLoop != 0, 0);
        if (o->m_bSwitched && Named(a.m_szDestinationAnimation))
            g_Engine.SetObjectAnimation(o, a.m_szDestinationAnimation, a.m_bDestinationAnimationLoop != 0, 0);
    }
    if (Named(a.m_szAnimForObject)) {
        EObjectSlot* other = g_Engine.FindObject(a.m_szAnimForObject, true);
        if (!other) g_Console.PrintStr3("SetAnimFor ", a.m_szAnimForObject, " nie ma obiektu!");
        else if (other->Type != OT_SKINMESH)
            g_Console.PrintStr3("SetAnimFor ", a.m_szAnimForObject, " - obiekt nie jest skinmeshem!");
        else g_Engine.SetObjectAnimation(other, a.m_szAnimForAnimation, a.m_bLoopAnimFor != 0, 0);
    }
    auto startOnPath = [](EObjectSlot* mover, const char* node) {
        strBezierMovingParameters params;
        g_Engine.GetBezierMovingParameters(mover, &params);
        std::snprintf(params.m_szStartNode, sizeof params.m_szStartNode, "%s", node);
        g_Engine.SetBezierMovingParameters(mover, &params);
        g_Engine.StartBezierMoving(mover);
    };
    if (Named(a.m_szBezierStart)) {
        g_Console.PrintStr2("StartMovingOnDifferentBezier ", a.m_szBezierStart);
        startOnPath(o, a.m_szBezierStart);
    }
    if (Named(a.m_szBezierForObject)) {
        if (EObjectSlot* mover = g_Engine.FindObject(a.m_szBezierForObject, true))
            startOnPath(mover, a.m_szBezierForNode);
        else
            g_Console.PrintStr2("Zmuszenie obiektu do ruchu na bezierze failed - nie ma obiektu!",
                                a.m_szBezierForObject);
    }
    if (a.m_uSwing && !o->m_bSwitched) {
        o->m_fSwingTarget = a.m_fSwingAngle;
        DV machine;
        if (a.m_uSwingAwayFromPlayer && g_WorldHooks.playerMachinePosition(machine)) {
            DV ahead = o->m_vPosition + o->m_Orientation.m_Front;
            if (pmath::Length(machine - o->m_vPosition) > pmath::Length(machine - ahead))
                o->m_fSwingTarget = -o->m_fSwingTarget;
        }
        if (a.m_uSecondSwing) o->m_bSwinging = 1;
        o->m_fMotionTime = 0;
    }
}

// The console line and script, the kick, the kill.
void EEngineObject::RunMessagesAndKills(EObjectSlot* o, const strActionParams& a) {
    if (Named(a.m_szConsolePrint)) g_Console.Print(a.m_szConsolePrint);
    if (Named(a.m_szRunScript)) {
        g_Console.PrintStr2("RunScript ", a.m_szRunScript);
        g_Console.Exec(a.m_szRunScript);
    }
    if (Named(a.m_szKickObject)) {
        g_Console.PrintStr2("Kopie obiekt ", a.m_szKickObject);
        EObjectSlot* kicked = g_Engine.FindObject(a.m_szKickObject, true);
        if (kicked && kicked->Type == OT_MESH) {
            DV push = pmath::Normalize(o->m_Orientation.m_Front);
            push.y += kKickLift;
            g_Engine.PutForceToObject(kicked, push * a.m_fKickForce);
        } else if (!kicked) {
            g_Console.PrintStr3(o->m_szName, " nie znalazl obiektu do kopniecia ", a.m_szKickObject);
        }
    }
    if (Named(a.m_szKillObject)) {
        EObjectSlot* victim = g_Engine.FindObject(a.m_szKillObject, true);
        if (victim && a.m_fKillDelay > 0) {
            g_Console.PrintStr2("Wlaczam oczekiwanie na smierc dla ", a.m_szKillObject);
            victim->m_fDyingDelay = a.m_fKillDelay;
        } else {
            g_Console.PrintStr2("Zabijam obiekt ", a.m_szKillObject);
            HandleDeath(victim);
        }
    }
}

// The state's effect and sound, the music, the next world, the level-logic action, the respawn.
void EEngineObject::RunEffectsAndSounds(EObjectSlot* o, const strActionParams& a) {
    if (!o->m_bSwitched) {
        o->m_fTravelled = 0;
        o->m_vMotionOffset = DV{};
        o->m_vExtraAngles = DV{};
        if (Named(a.m_szDefaultSetFX)) g_Engine.SetFX(o, a.m_szDefaultSetFX);
    } else if (Named(a.m_szDefaultUnsetFX)) {
        g_Engine.SetFX(o, a.m_szDefaultUnsetFX);
    }
    const char* sound = o->m_bSwitched ? a.m_szSoundDeactivate : a.m_szSoundActivate;
    if (Named(sound)) g_SoundMgr.PlaySound3DAt(sound, &o->m_vPosition, a.m_fSoundRange);
    if (Named(a.m_szMusic)) g_WorldHooks.mainGamePlayMusic(a.m_szMusic);
    if (Named(a.m_szStartWorld)) {
        g_Console.PrintStr2("Dodaje Engine.m_WorldToStart ", a.m_szStartWorld);
        g_Engine.RequestStartWorld(a.m_szStartWorld);
    }
    if (Named(a.m_szActivateAIAction)) g_Console.PrintStr2("ActivateAIAction ", a.m_szActivateAIAction);
    if (Named(a.m_szRespawnCharacter)) {
        g_Console.PrintStr2("Respawnuje postac z id ", a.m_szRespawnCharacter);
        RespawnCharacter(o);
    }
}

// The path state after the firing, the blockers, the hand-over, the camera's look and setting.
void EEngineObject::RunHandOverAndCamera(EObjectSlot* o, const strActionParams& a, bool fromTouch) {
    if (!fromTouch && a.m_bSwitchMovingOnAction) {
        if (g_Engine.IsBezierMoving(o)) g_Engine.SetBezierMode(o, 1, kPathFadeTime);
        else g_Engine.SetBezierMode(o, 2, kPathFadeTime);
    }
    auto blockers = [](const char* name, bool on) {
        if (!Named(name)) return;
        EObjectSlot* mover = g_Engine.FindObject(name, true);
        if (mover) {
            g_Console.PrintStr2(on ? "Wlaczam PassingThroughBlockers dla " : "Wylaczam PassingThroughBlockers dla ",
                                name);
            g_Engine.SetPassingThroughBlockers(mover, on);
        } else {
            g_Console.PrintStr3(on ? "Chce wlaczyc PassingThroughBlockers dla " : "Chce wylaczyc PassingThroughBlockers dla ",
                                name, " ale nie ma obiektu!");
        }
    };
    blockers(a.m_szPassBlockersOn, true);
    blockers(a.m_szPassBlockersOff, false);

    if (Named(a.m_szHandOver)) {
        if (a.m_fHandOverPause <= 0) {
            g_Console.PrintStr2("Mesh wola przekazanie akcji na ", a.m_szHandOver);
            g_Engine.RunAction(a.m_szHandOver);
        } else {
            g_Console.PrintStr2("Mesh wola spauzowane przekazanie akcji na ", a.m_szHandOver);
            g_Console.PrintFloat("Pauza: ", a.m_fHandOverPause);
            o->m_bPausedHandOver = 1;
            o->m_fPauseTimer = 0;
        }
    }
    if (a.m_uCameraPositioning) {
        if (g_Settings.m_iDebug > 2) g_Console.PrintStr2("bUseCameraPositioning ", o->m_szName);
        if (EObjectSlot* from = g_Engine.FindObject(a.m_szCameraPositioning, true)) {
            g_Engine.ForceCameraToLook(from, o);
            o->m_bPositionedCamera = 1;
        } else {
            g_Console.PrintStr2("No object for camera positioning: ", a.m_szCameraPositioning);
        }
    }
    if (a.m_bCameraSetting) {
        m_uCameraSetting[0] = a.m_bCameraSetting;
        for (int i = 0; i < 6; ++i) m_uCameraSetting[i + 1] = std::bit_cast<uint32_t>(a.m_fCameraSetting[i]);
        m_uCameraSetting[7] = a.m_bCameraSettingLast;
        m_bCameraSettingSet = 1;
        g_Settings.m_fFOV = g_Settings.m_fBaseFOV;
        g_Camera.SetupProjection();
    }
}

void EEngineObject::RunObjectActions(const char* name) {
    if (EObjectSlot* object = g_Engine.FindObject(name, true)) UpdateObjectActions(object, false);
}

void EEngineObject::PlayDialogue(EObjectSlot* o) {
    const strActionParams* a = o ? o->m_pActionParams : nullptr;
    int key = 0;
    while (a && key < strActionParams::kVoices && !Named(a->m_szVoices[key])) ++key;
    if (!a || key == strActionParams::kVoices) {
        g_Console.Print("Nie ma klucza");
        g_Console.Print("Nie ma path");
        return;
    }
    char path[160];
    std::snprintf(path, sizeof path, "%s%s.wav", kDialogueFolder, a->m_szVoices[key]);
    if (!FileExists(path)) {
        g_Console.PrintStr2(path, " nie istnieje!");
        return;
    }
    // The hero's lines are spoken by the hero's own code; only the other voices play here.
    if (key < 2) return;
    SoundRecord* sound = g_SoundMgr.CreateSound3D(path, false);
    if (!sound) return;
    sound->m_bAutoRelease = 1;
    g_SoundMgr.SetSoundPosition(sound, o->m_vPosition);
    g_SoundMgr.SetSoundDistance(sound, kDialogueDistance);
    g_SoundMgr.PlaySound(sound, false);
}

void EEngineObject::RespawnCharacter(EObjectSlot* o) {
    const strActionParams* a = o ? o->m_pActionParams : nullptr;
    if (!a || !Named(a->m_szRespawnCharacter)) {
        g_Console.Print("EEngineObject::RespawnCharacter nie ma name!");
        return;
    }
    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("EngineObject.RespawnCharacter ", a->m_szRespawnCharacter);
    g_Console.PrintStr2("Respawn phase randomised to ", a->m_szRespawnPhases[plat::Random() % 2]);
    ++o->m_iRespawns;
}

// What an action block will need when it fires: its knob object stands at its socket on this
// object, and its sounds and dialogue voices are read now rather than in the middle of a run.
void EEngineObject::PrepareActions(EObjectSlot* o, const strActionParams& a) {
    if (a.m_szKnobSocket[0])
        if (EObjectSlot* knob = a.m_szKnobObject[0] ? g_Engine.FindObject(a.m_szKnobObject, true) : nullptr)
            PlaceKnob(o, knob, a.m_szKnobSocket);
    for (const char* sound : {a.m_szSoundActivate, a.m_szSoundDeactivate})
        if (sound[0] && FileExists(sound)) PreloadSound(sound);
    for (const char* key : a.m_szVoices) {
        if (!key[0]) continue;
        char path[160];
        std::snprintf(path, sizeof path, "%s%s.wav", kDialogueFolder, key);
        if (FileExists(path)) PreloadSound(path);
    }
}

// The second swing turns the knob object the block names, or the object itself without one; a
// knob on its socket goes round with the swinging door.
void EEngineObject::TurnKnob(EObjectSlot* o, const strActionParams& a) {
    EObjectSlot* knob = a.m_szKnobObject[0] ? g_Engine.FindObject(a.m_szKnobObject, true) : nullptr;
    if (!knob) {
        o->m_fKnobAngle = o->m_fSwing2Angle;
        return;
    }
    knob->m_fKnobAngle = o->m_fSwing2Angle;
    if (!a.m_szKnobSocket[0] || !PlaceKnob(o, knob, a.m_szKnobSocket))
        g_Engine.SetObjectPosition(knob, knob->m_vPosition, true);
}

bool EEngineObject::PlaceKnob(EObjectSlot* door, EObjectSlot* knob, const char* socket) {
    DV position;
    if (!g_Engine.GetObjectSocket(door, socket, &position, nullptr)) return false;
    EOrientation turned = door->m_Orientation;
    const DV up = turned.m_Up;
    turned.RotateAxis(&up, door->m_fSwingAngle * kDegrees);
    g_Engine.SetObjectTransform(knob, position, turned, false, true);
    return true;
}
