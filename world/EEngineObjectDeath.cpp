// The death of an object: what its death block does when the object dies, in one fixed order,
// and the objects it brings to its place.
#include <cstdio>

#include "audio/CSoundMgr.h"
#include "collision/ERigidBodySimulation.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "mesh/EMesh.h"
#include "mesh/MeshParams.h"
#include "render/EFXMgr.h"
#include "render/EFXInstance.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/GameAI.h"

namespace {

constexpr float kDeathSoundDistance = 2000.0f;
constexpr uint32_t kReplacementFlagsCleared = FLAG_DEAD;
constexpr uint32_t kReplacementFlags2Cleared = 0x400000;
// A replacement that falls gets a light body of its own.
constexpr uint32_t kFallingBodyKind = 2;
constexpr float kFallingBodyMass = 4.0f;

bool Named(const char* text) { return text && text[0]; }

}  // namespace

void EEngineObject::HandleDeath(EObjectSlot* o) {
    if (!o || o->m_bDead || !o->m_pDeathParams || g_Settings.m_bEditor) return;
    // The death may delete or replace blocks of other objects, even this one's: the steps read a
    // copy.
    const strDeathParams d = *o->m_pDeathParams;
    if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("EEngineObject::HandleDeath ", o->m_szName);
    if (Named(d.m_szHandleDeathIf) && !g_GameAI.IsSet(d.m_szHandleDeathIf)) {
        if (g_Settings.m_iDebug > 0)
            g_Console.PrintStr3("Wymagana zmienna ", d.m_szHandleDeathIf, " ale nie ustawiona!");
        return;
    }

    if (Named(d.m_szConsolePrint)) g_Console.Print(d.m_szConsolePrint);
    o->m_bDead = 1;
    if (strSoundParams* sound = o->m_pSoundParams; sound && sound->m_pSound) {
        g_SoundMgr.StopSound(sound->m_pSound);
        g_SoundMgr.ReleaseSound(sound->m_pSound);
        sound->m_pSound = nullptr;
    }
    g_Engine.SetObjectFlags(o, FLAG_DEAD, FLAG_DEAD);
    // Without its name the object loop would start the effect again.
    g_Engine.SetFX(o, nullptr);

    if (Named(d.m_szFXOnDeath)) g_FXMgr.AddFXByName(d.m_szFXOnDeath, &o->m_vPosition, &o->m_Orientation);
    if (d.m_bMortarExplosion) g_FXMgr.AddMortarExplosion(o, o->m_vPosition, false);
    if (d.m_bAnimationAndHandOver[0] && Named(d.m_szDeadAnimName)) {
        if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("Wlaczam anim ", d.m_szDeadAnimName);
        g_Engine.SetObjectAnimation(o, d.m_szDeadAnimName, false, 0);
    }
    if (d.m_bDeathSound && Named(d.m_szSoundName))
        g_SoundMgr.PlaySound3DAt(d.m_szSoundName, &o->m_vPosition, kDeathSoundDistance);
    if (d.m_bRemoveJoints) g_RigidBodySimulation.RemoveObjectJoints(o);

    if (d.m_bFallWithPhysics && !Named(d.m_szCreateMeshOnDeath)) {
        o->m_bFalling = 1;
        DV velocity = pmath::Normalize(o->m_Orientation.m_Front);
        if (g_Engine.IsBezierMoving(o) && o->m_pBezierState)
            velocity = velocity * static_cast<float>(o->m_pBezierState->m_dSpeed);
        o->m_vFallVelocity = velocity + d.m_vAddSpeed;
        o->m_fFallTimers[0] = o->m_fFallTimers[1] = 0;
    }
    g_Engine.StopBezierMoving(o);
    o->m_bDying = 0;
    EObjectSlot* target = d.m_bKillTarget ? g_Engine.FindObject(d.m_szDestroyObjectName, true) : nullptr;

    if (d.m_bAnimationAndHandOver[1] && Named(d.m_szActivateObjectName)) {
        if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("Przekazuje akcje na ", d.m_szActivateObjectName);
        RunObjectActions(d.m_szActivateObjectName);
    }
    g_GameAI.SetVariable(d.m_szSetWhenDead, o);
    if (Named(d.m_szCreateMeshOnDeath)) ReplaceOnDeath(o, d);
    if (d.m_bTeleportObjectsHere) TeleportObjectHereOnDeath(o);
    if (d.m_bDeleteOnDeath) o->m_bToDelete = 1;

    if (!target) return;
    if (d.m_fDestroyOtherPause <= 0) {
        g_Console.PrintStr2("Zabijam obiekt ", target->m_szName);
        HandleDeath(target);
    } else {
        g_Console.PrintStr2("Wlaczam oczekiwanie na smierc dla ", target->m_szName);
        target->m_fDyingDelay = d.m_fDestroyOtherPause;
    }
}

void EEngineObject::ReplaceOnDeath(EObjectSlot* o, const strDeathParams& d) {
    g_Console.PrintStr2("Podmieniam na mesha ", d.m_szCreateMeshOnDeath);
    // A model name longer than the object's file field would name another file: the engine
    // refuses to create it.
    EObjectSlot* replacement = g_Engine.CreateObject(OT_MESH, d.m_szCreateMeshOnDeath, o->m_uFlags & ~kReplacementFlagsCleared,
                                                     o->m_uFlags2 & ~kReplacementFlags2Cleared, &o->m_vPosition, &o->m_vScale);
    if (!replacement) {
        g_Console.Print("Failed to create mesh");
        return;
    }
    g_Engine.SetObjectOrientation(replacement, o->m_Orientation);
    replacement->m_iViewDistance = o->m_iViewDistance;
    replacement->m_bAmbientLightIdx = o->m_bAmbientLightIdx;
    replacement->m_bFogIdx = o->m_bFogIdx;
    replacement->m_bSpawned = 1;
    g_Console.Print("Flagi ustawione");
    if (Named(d.m_szCreatedMeshName)) {
        g_Console.PrintStr2("Podmieniony mesh ma name ", d.m_szCreatedMeshName);
        std::snprintf(replacement->m_szName, sizeof replacement->m_szName, "%s", d.m_szCreatedMeshName);
    }
    if (o->m_bTied) {
        g_Engine.TieToSocket(replacement, true, o->m_szTieTarget, o->m_szTieSocket);
        g_Console.Print("Ustawiono tie socket params");
    }
    if (d.m_bFallWithPhysics) {
        g_Engine.SetObjectFlags(o, 0, FLAG_IN_RENDER_LISTS);
        g_Console.Print("Ustawiam opadanie z fizyka");
        g_Console.PrintVector("Ustawiam impuls ", d.m_vAddSpeed);
        FallWithPhysics(replacement, d.m_vAddSpeed);
    }
    if (d.m_bCreatedMeshDisappears) {
        g_Console.PrintFloat("Ustawiam czas znikniecia na ", d.m_fTimeToDisappearCreatedMesh);
        replacement->Mesh()->SetDisappearParams(d.m_bCreatedMeshDisappears, d.m_fTimeToDisappearCreatedMesh);
    }
}

// A dead object that falls gets a light body of its own and is pushed off with the velocity it
// died with; the physics carries it from there.
void EEngineObject::StartFall(EObjectSlot* o) {
    o->m_bFalling = 0;
    FallWithPhysics(o, o->m_vFallVelocity);
}

void EEngineObject::FallWithPhysics(EObjectSlot* o, const DV& push) {
    RigidBodyPhysicsParams params;
    params.m_uBodyKind = kFallingBodyKind;
    params.m_fMass = kFallingBodyMass;
    g_Engine.SetRigidBodyPhysicsParams(o, &params);
    g_Engine.CreateObjectPhysics(o, true);
    g_Engine.PutForceToObject(o, push);
}

void EEngineObject::TeleportObjectHereOnDeath(EObjectSlot* o) {
    const strDeathParams* d = o ? o->m_pDeathParams : nullptr;
    if (!d) return;
    const bool copy = d->m_bTeleportCopy != 0;
    for (const char* name : d->m_szTeleportNames) {
        if (!Named(name)) continue;
        EObjectSlot* found = g_Engine.FindObject(name, true);
        if (!found) {
            g_Console.PrintStr4("TeleportObjectHereOnDeath from ", o->m_szName, " can't find ", name);
            continue;
        }
        EObjectSlot* moved = found;
        if (copy) {
            moved = g_Engine.CopyObject(found);
            if (!moved) {
                g_Console.Print("Copy object failed!");
                continue;
            }
            g_Engine.SetObjectTransform(moved, o->m_vPosition, o->m_Orientation, false, true);
        } else {
            g_Engine.SetObjectPosition(moved, o->m_vPosition, false);
        }
        g_Engine.SetObjectFlags(moved, FLAG_VISIBLE, FLAG_VISIBLE);
        if (!d->m_bTeleportPhysics) continue;
        g_Console.Print(copy ? "Applying physics to object teleported (copied) here"
                             : "Applying physics to object teleported (moved) here");
        g_Engine.PutForceToObject(moved, d->m_vTeleportForce);
    }
}
