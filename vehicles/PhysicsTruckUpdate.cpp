// The per-frame truck update: the machine object follows its chassis, wheels sit where the
// suspension puts them, the implements' coupling limits follow their lifts; and the machines'
// sounds.
#include <algorithm>
#include <cmath>

#include "audio/CSoundMgr.h"
#include "core/EConsole.h"
#include "core/NumericHelpers.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/Physics.h"
#include "world/CutsceneMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "world/WorldHooks.h"

namespace {

constexpr float kTwoPi = 2.0f * static_cast<float>(M_PI);
constexpr float kPi = static_cast<float>(M_PI);
constexpr float kCutsceneTurnRate = 4.0f;
constexpr float kSeederSpinSpeed = 0.2f;
// How far the ground may lie below a wheel's socket before it counts as no ground, and how far
// above or below its socket a wheel is shown (a planter's wheels hang tighter).
constexpr float kGroundReach = 1.6f;
constexpr float kWheelBand = 0.3f;
constexpr float kPlanterWheelBand = 0.16f;
constexpr float kWheelEaseRate = 4.0f;
constexpr float kMenuWheelEaseRate = 10.0f;
constexpr float kHitchWheelSpin = 0.6f * kPi;
constexpr float kTruckSoundRange = 60.0f;
constexpr const char* kCombineSound = "sounds\\combine_mowing.wav";
constexpr const char* kMowerSound = "sounds\\tractor_mowing.wav";

float Wrap(float angle) {
    angle = std::fmod(angle, kTwoPi);
    return angle < 0 ? angle + kTwoPi : angle;
}

bool Awake(const btRigidBody* body) {
    const int state = body->getActivationState();
    return state != ISLAND_SLEEPING && state != DISABLE_SIMULATION;
}

void SetLimits(btGeneric6DofConstraint* c, const btVector3& angularLower, const btVector3& angularUpper) {
    c->setAngularLowerLimit(angularLower);
    c->setAngularUpperLimit(angularUpper);
}

void SetLinearLimits(btGeneric6DofConstraint* c, float lower, float upper) {
    c->setLinearLowerLimit(btVector3(0, lower, 0));
    c->setLinearUpperLimit(btVector3(0, upper, 0));
}

}  // namespace

// The tractor's second coupling follows the implement's lift every frame; a plough also takes
// the tractor's orientation, turned over and lifted.
void Physics::ApplyImplementTuning(Truck* tractor, Truck* implement, EOrientation* orientation) {
    btGeneric6DofConstraint* c = tractor->m_pCoupling[1];
    if (!c) return;
    if (implement->m_bPlug) {
        EOrientation o = tractor->m_pOwner->m_Orientation;
        const DV front = o.m_Front;
        o.RotateAxis(&front, implement->m_fPloughTurnOver);
        const DV side = o.m_Side;
        o.RotateAxis(&side, implement->m_fPloughLift);
        *orientation = o;
        const float l = implement->m_fPloughLift;
        SetLinearLimits(c, 1.5f * l - 0.01f, 1.5f * l + 0.01f);
    } else if (implement->m_bSadzarka || (implement->m_bSiewnik && !implement->m_bSiewnikDuzy)) {
        const bool seeder = !implement->m_bSadzarka;
        const float v = seeder ? implement->m_fSeederLift : implement->m_fPlanterLift;
        const float k = seeder ? 0.05f : 0.0f;
        SetLimits(c, btVector3(v - 0.05f - k, -0.02f, 0), btVector3(v + 0.05f - k, 0.02f, 0));
        if (seeder) SetLinearLimits(c, 0.29f - 0.45f * v, 0.31f - 0.45f * v);
        else SetLinearLimits(c, -0.4f * v - 0.01f, -0.4f * v + 0.01f);
    } else if (implement->m_bKosa) {
        const float yaw = implement->m_bKosa3x ? 0.04f : 0.01f;
        SetLimits(c, btVector3(-0.01f, -yaw, 0), btVector3(0.01f, yaw, 0));
    }
}

bool Physics::SyncTruckObjects(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pChassis) return false;
    if (!Awake(t->m_pChassis) && !g_WorldHooks.menuActive()) return false;
    object->m_bMovedByPhysics = 1;
    if (t->m_pVehicle)
        for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) t->m_pVehicle->updateWheelTransform(k, true);
    DV position;
    EOrientation orientation;
    GetBodyTransform(t->m_pChassis, &position, &orientation);
    EObjectSlot* partner = t->m_pPartner;
    if (partner && partner->m_hTruck) ApplyImplementTuning(partner->m_hTruck, t, &orientation);
    if (g_CutsceneMgr.m_pActiveScene) {
        EOrientation shown = object->m_Orientation;
        shown.Slerp(&orientation, kCutsceneTurnRate * m_fFrameTime);
        orientation = shown;
    }
    g_Engine.SetObjectTransform(object, position, orientation, false, true);
    UpdateTruckVisuals(object);
    return true;
}

// The wheel's transform is current: every caller (the chassis sync, a teleport) has just updated
// all of them from the chassis.
void Physics::PlaceWheelOnSocket(Truck* t, uint32_t k) {
    const btTransform& transform = t->m_pVehicle->getWheelInfo(static_cast<int>(k)).m_worldTransform;
    DV socket;
    EOrientation orientation;
    TransformToPosOrient(transform, &socket, &orientation);
    if (t->m_bSiewnik) {
        const DV axle = orientation.m_Side;
        orientation.RotateAxis(&axle, t->m_fSeederSpin);
    }
    if (!ReadSocket(t->m_pOwner, t->m_szWheelSockets[k], &socket, nullptr))
        g_Console.PrintStr2("Failed to read wheel socket ", t->m_szWheelSockets[k]);

    const float r = t->m_fWheelRadius[k];
    float ground = GetGroundHeight(&socket);
    if (std::fabs(ground - socket.y) > kGroundReach * r) ground = socket.y - kGroundReach * r;
    const float band = (t->m_bSadzarka ? kPlanterWheelBand : kWheelBand) * r;
    const float target = std::clamp(ground + r, socket.y - band, socket.y + band);
    float& shown = t->m_fShownWheelHeight[k];
    shown = std::clamp(shown, socket.y - band, socket.y + band);
    const float rate = g_WorldHooks.menuActive() ? kMenuWheelEaseRate : kWheelEaseRate;
    MoveTowards(&shown, target, rate * m_fFrameTime);

    const DV position{socket.x, shown, socket.z};
    if (EObjectSlot* wheel = t->m_pWheelObjects[k]) g_Engine.SetObjectTransform(wheel, position, orientation, true, false);
    if (k < 4) t->m_vWheelPositions[0][k] = t->m_vWheelPositions[1][k] = position;
}

// Without a vehicle (a plough) each wheel shows on the socket of its pair's other wheel.
void Physics::PlaceWheelsOnPartnerSockets(Truck* t) {
    for (uint32_t k = 0; k < t->m_uWheelCount; ++k) {
        EObjectSlot* wheel = t->m_pWheelObjects[k];
        DV position = t->m_pOwner->m_vPosition;
        EOrientation orientation = t->m_pOwner->m_Orientation;
        ReadSocket(t->m_pOwner, t->m_szWheelSockets[k ^ 1u], &position, &orientation);
        if (wheel) {
            g_Engine.SetObjectTransform(wheel, position, orientation, true, false);
            SyncAttachmentVisibility(t->m_pOwner, wheel);
        }
        t->m_vWheelPositions[0][k] = t->m_vWheelPositions[1][k] = position;
    }
}

void Physics::UpdateTruckVisuals(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pOwner) return;
    if (t->m_bSiewnik && t->m_iSeederLiftState == 1) {
        const float speed = GetTruckSpeed(object);
        if (speed > kSeederSpinSpeed) t->m_fSeederSpin = Wrap(t->m_fSeederSpin + speed * m_fFrameTime * t->m_fWheelRadius[0]);
    }
    if (t->m_bPlayerCanDrive && t->m_uWheelCount < 4)
        g_Console.PrintStr2Int(object->m_szFileName, " has not enough wheels! ", static_cast<int>(t->m_uWheelCount));
    if (!t->m_pVehicle) {
        PlaceWheelsOnPartnerSockets(t);
    } else {
        const uint32_t wheels = std::min<uint32_t>(t->m_uWheelCount, t->m_pVehicle->getNumWheels());
        for (uint32_t k = 0; k < wheels; ++k) PlaceWheelOnSocket(t, k);
    }
    if (t->m_Hooks[HOOK_MAIN].m_bSet) ReadSocket(object, t->m_Hooks[HOOK_MAIN].m_szSocket, &t->m_vHookWorld, nullptr);
    UpdateSteeringWheel(object);
    UpdateDriver(m_fFrameTime, object);
    UpdateTruckAttachments(m_fFrameTime, object);
    UpdateHitchObject(object);
    if (t->m_iBaleState >= 0) EjectBale(object);
    if (t->m_bKostkujaca) UpdateCubeBale(object);
    UpdatePloughLift(m_fFrameTime, object);
    UpdatePlanterLift(m_fFrameTime, object);
    UpdateSeederLift(m_fFrameTime, object);
    UpdateMowerLift(m_fFrameTime, object);
    UpdateFrontLoader(object);
}

void Physics::UpdateTruckWheels(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pOwner) return;
    if (!t->m_pVehicle) return PlaceWheelsOnPartnerSockets(t);
    // Only a trailer whose front axle rides on its hitch has anything to place here: its wheels
    // follow the hitch model's sockets and spin with the distance those travel. Whether the hitch
    // model has such sockets is known since the hitch was made, so other trailers skip the pass.
    if (!t->m_pHitchModel || !t->m_bWheelsOnHitch) return;
    for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) {
        t->m_pVehicle->updateWheelTransform(k, true);
        DV socket;
        EOrientation orientation;
        if (!ReadSocket(t->m_pHitchModel, t->m_szWheelSockets[k], &socket, &orientation)) continue;
        const DV up = object->m_Orientation.m_Up;
        orientation.RotateAxis(&up, kPi);
        const DV moved = socket - t->m_vPreviousWheelSocket[k];
        const float distance = pmath::Length(moved);
        const float spin = pmath::Dot(moved, orientation.m_Front) > 0 ? -distance : distance;
        t->m_fWheelSpin[k] = Wrap(t->m_fWheelSpin[k] + kHitchWheelSpin * spin);
        const DV side = orientation.m_Side;
        orientation.RotateAxis(&side, t->m_fWheelSpin[k]);
        t->m_vPreviousWheelSocket[k] = socket;
        EObjectSlot* wheel = t->m_pWheelObjects[k];
        if (k >= 4 || !wheel) continue;
        t->m_vWheelPositions[0][k] = socket - DV{0, k < 2 ? 0.3f : 0.6f, 0};
        t->m_vWheelPositions[1][k] = socket;
        g_Engine.SetObjectTransform(wheel, socket, orientation, true, false);
        SyncAttachmentVisibility(object, wheel);
    }
}

void Physics::UpdateHitchObject(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_bPrzyczepa || !t->m_pHitchBody || !t->m_pHitchModel) return;
    DV position;
    EOrientation orientation;
    GetBodyTransform(t->m_pHitchBody, &position, &orientation);
    g_Engine.SetObjectTransform(t->m_pHitchModel, position, orientation, true, false);
    ReadSocket(t->m_pHitchModel, t->m_szHitchTractorSocket, &t->m_vHitchTractorSocketWorld, nullptr);
}

// ---- Sounds --------------------------------------------------------------------------------------

void Physics::StartTruckSound(EObjectSlot* object, const char* file) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t) return;
    ReleaseTruckSound(object);
    if (file && file[0])
        t->m_pSound = g_SoundMgr.CreatePlayingSound3D(file, &object->m_vPosition, kTruckSoundRange, true, true, true);
}

void Physics::ReleaseTruckSound(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pSound) return;
    g_SoundMgr.StopSound(t->m_pSound);
    g_SoundMgr.ReleaseSound(t->m_pSound);
    t->m_pSound = nullptr;
}

void Physics::SetCombineHarvesting(EObjectSlot* object, bool on) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_bKombajn) return;
    t->m_bMowingOn = on ? 1 : 0;
    if (on) {
        g_PlantMgr.RegisterCombine(object);
        StartTruckSound(object, kCombineSound);
    } else {
        g_PlantMgr.UnregisterCombine(object);
        ReleaseTruckSound(object);
    }
}

void Physics::ToggleCombineHarvesting(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_bKombajn) return;
    SetCombineHarvesting(object, !t->m_bMowingOn);
    Truck* implement = t->m_pPartner ? t->m_pPartner->m_hTruck : nullptr;
    if (implement && implement->m_bPrasa) implement->m_bMowingOn = !implement->m_bMowingOn;
}

void Physics::UpdateMowerSound(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_bKosa) return;
    if (t->m_iMowerSoundState == 4) {
        t->m_iMowerSoundState = 3;
        StartTruckSound(object, kMowerSound);
    } else if (t->m_iMowerSoundState == 1) {
        ReleaseTruckSound(object);
        t->m_iMowerSoundState = 2;
    }
}

void Physics::UpdateCombinePipe(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_bKombajn || t->m_bStaly) return;
    if (t->m_bPipeReturn) {
        SetCombinePipeOut(object, 0);
        SetCombineUnloading(object, 0);
    } else {
        SetCombinePipeOut(object, 1);
    }
}

void Physics::UpdateCombineUnloading(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (t && t->m_bKombajn) SetCombineUnloading(object, t->m_bUnloadingStop ? 0 : 1);
}
