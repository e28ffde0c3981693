// Trucks: building one from its vehicle type, the drivers' wishes reaching the wheels, teleport
// and destruction.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/NumericHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/ESkinMesh.h"
#include "platform/os/Random.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/Physics.h"
#include "vehicles/VehiclesHooks.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "world/WorldHooks.h"

namespace {

// The object belongs to the player's set-up (shown in the menu's scene too).
constexpr uint32_t kFlagPlayerObject = 0x20000000;
constexpr uint32_t kMachineFlags = 0x01000000 | 0x02000000;
constexpr uint32_t kFlags3Machine = 0x4000;
constexpr uint32_t kFlags3Part = 0x2000;
constexpr uint32_t kWheelFlags = 0x3400081;
constexpr uint32_t kWheelFlags2 = 0x10020;
constexpr uint32_t kAttachmentFlags2 = 0x10000;
constexpr uint32_t kPartFlags = 0x3000181;
constexpr uint32_t kPartFlags2 = 0x110000;
constexpr uint32_t kSteeringWheelFlags = 0x03000180;
constexpr uint32_t kLinkageFlags = 0x81;
constexpr uint32_t kMapColourTrailer = 0xff0000ff;
constexpr float kChassisPadX = 0.2f;
constexpr float kChassisFriction = 0.02f;
constexpr float kChassisDamping = 0.1f;
constexpr float kSuspensionRest = 0.01f;
constexpr float kSuspensionStiffness = 100.0f;
constexpr float kDampingRelaxation = 20.3f;
constexpr float kDampingCompression = 1.4f;
constexpr float kFrictionSlip = 10.0f;
constexpr float kRollInfluence = 0.1f;
// Every wheel holds a new truck still until its drivers release it.
constexpr float kParkingBrake = 40.0f;
constexpr float kUnreleasedBrake = 10.0f;
constexpr float kSteeringRate = 4.0f;
constexpr float kTeleportLift = 0.1f;
constexpr float kAttachmentMass = 20.0f;
constexpr uint32_t kDriverModels = 5;
constexpr const char* kCubeBaleModel = "prefabs\\obiekty\\snopek.x";
constexpr const char* kLinkageModel = "models\\zaczep\\zaczep.x";

const char* const kHookMissing[3] = {"Can't read hak socket ", "Can't read hak plug socket ",
                                     "Can't read hak siewnik socket "};

template <size_t N>
void Copy(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

// The skinned part goes back to its model's pose before each clip is applied.
void EnableDefaultPose(EObjectSlot* object) {
    if (ESkinMesh* skin = object ? object->SkinMesh() : nullptr) skin->EnableDefaultPoseRestore();
}

void SetScaleOne(EObjectSlot* object) {
    if (object) g_Engine.SetObjectScaling(object, DV{1, 1, 1});
}

void DeleteObject(EObjectSlot*& object) {
    g_Engine.DeleteObject(object);
    object = nullptr;
}

void CopyTypeIntoTruck(const VehicleType& type, Truck& t) {
    t.m_uWheelCount = type.m_uWheelCount;
    t.m_bReverseWheels = type.m_bReverseWheels;
    t.m_bPlayerCanDrive = type.m_bPlayerCanDrive;
    Copy(t.m_szName, type.m_szName);
    t.m_bPrzyczepa = type.m_bPrzyczepa;
    t.m_bTraktor = type.m_bTraktor;
    t.m_bKombajn = type.m_bKombajn;
    t.m_bPrasa = type.m_bPrasa;
    t.m_bKostkujaca = type.m_bKostkujaca;
    t.m_bPlug = type.m_bPlug;
    t.m_bSadzarka = type.m_bSadzarka;
    t.m_bSadzarkaDuza = type.m_bSadzarkaDuza;
    t.m_bSiewnik = type.m_bSiewnik;
    t.m_bSiewnikDuzy = type.m_bSiewnikDuzy;
    t.m_bKosa = type.m_bKosa;
    t.m_bKosa3x = type.m_bKosa3x;
    t.m_bTur = type.m_bTur;
    t.m_bPrzyczepaDuza = type.m_bPrzyczepaDuza;
    t.m_bPojemny = type.m_bPojemny;
    t.m_bStaly = type.m_bStaly;
    t.m_fSteeringCorrection = type.m_fSteeringCorrection;
    t.m_bNaSiano = type.m_bNaSiano;
    t.m_fDriverScale = type.m_fDriverScale;
    Copy(t.m_szEngineSound, type.m_szEngineSound);
    t.m_bDE = type.m_bDE;
    t.m_bFR = type.m_bFR;
    t.m_bUK = type.m_bUK;
    t.m_bUS = type.m_bUS;
    t.m_iKlasa = type.m_iKlasa;
}

bool RouteNeedsLinkage() {
    const RouteTasks* tasks = g_RoutesMgr.CurrentRouteTasks();
    return tasks && (tasks->ploughing || tasks->planting || tasks->sowing);
}

bool RouteMarksTrailers() {
    const RouteTasks* tasks = g_RoutesMgr.CurrentRouteTasks();
    return tasks && (tasks->mowing || tasks->planting || tasks->sowing);
}

}  // namespace

void Physics::CreateTruck(VehicleType* type, EObjectSlot* object) {
    if (!type || !object || !m_dynamicsWorld) return;
    if (!type->m_bPlayerCanDrive && g_Settings.m_bIntroRunning) return;
    const uint32_t player = (object->m_uFlags & kFlagPlayerObject) ? kFlagPlayerObject : 0;
    auto* t = new Truck;
    t->m_pOwner = object;
    object->m_hTruck = t;
    CopyTypeIntoTruck(*type, *t);

    // The country decides the class, and the type keeps what the last truck built from it said.
    if (t->m_bFR) t->m_iKlasa = 1;
    if (t->m_bUK) t->m_iKlasa = 2;
    if (t->m_bUS) t->m_iKlasa = 3;
    type->m_iKlasa = t->m_iKlasa;
    if (t->m_bSadzarka) t->m_fPlanterFactor = 1.0f;
    if (t->m_bSiewnik) t->m_fSeederFactor = 1.0f;
    if (RouteMarksTrailers() && t->m_bPrzyczepa && object->m_bSpawned) object->m_uMapTint = kMapColourTrailer;
    object->m_bVehicleMarker = 1;
    g_Engine.SetObjectFlags(object, kMachineFlags, kMachineFlags | FLAG_STATIC_LEVEL_MESH);
    g_Engine.SetObjectFlags3(object, kFlags3Machine, ~0u);

    // The chassis: a box as wide as the model and a little more, as long as the model, at the
    // type's offset from the object's origin.
    const EMesh* mesh = object->Mesh();
    const float halfX = mesh ? 0.5f * (mesh->m_vMax.x - mesh->m_vMin.x) : 1.0f;
    const float halfZ = mesh ? 0.5f * (mesh->m_vMax.z - mesh->m_vMin.z) : 2.0f;
    btCompoundShape* compound =
        MakeOffsetBox(btVector3(type->m_fPhysicsScaleX * (halfX + kChassisPadX), type->m_fPhysicsScaleY,
                                type->m_fPhysicsScaleZ * halfZ),
                      btVector3(type->m_fPhysicsOffsetRight, type->m_fPhysicsOffsetUp, type->m_fPhysicsOffsetForward));
    btVector3 inertia(0, 0, 0);
    compound->calculateLocalInertia(type->m_fMass, inertia);
    btTransform start;
    MakeTransform(&start, object->m_vPosition, object->m_Orientation.m_Quaternion);
    t->m_pChassis = AddBody(type->m_fMass, new btDefaultMotionState(start), compound, inertia);
    t->m_pChassis->setFriction(kChassisFriction);
    if (player) t->m_pChassis->setActivationState(DISABLE_DEACTIVATION);
    t->m_pChassis->setDamping(kChassisDamping, kChassisDamping);

    if (!type->m_bPlug) {
        t->m_pRaycaster = new btDefaultVehicleRaycaster(m_dynamicsWorld.get());
        t->m_pVehicle = new btRaycastVehicle(t->m_Tuning, t->m_pChassis, t->m_pRaycaster);
        m_dynamicsWorld->addAction(t->m_pVehicle);
        t->m_pVehicle->setCoordinateSystem(0, 1, 2);
    }

    for (uint32_t k = 0; k < t->m_uWheelCount; ++k) {
        Copy(t->m_szWheelSockets[k], type->m_szWheelSocket[k]);
        EObjectSlot* wheel =
            g_Engine.CreateObject(OT_MESH, type->m_szWheelModel[k], kWheelFlags | player, kWheelFlags2, nullptr, nullptr);
        float radius = 0;
        if (!wheel) {
            g_Console.PrintStr2("Failed to add wheel ", type->m_szWheelModel[k]);
        } else if (!wheel->Mesh()) {
            g_Console.PrintStr2("Failed to add wheel Object ", type->m_szWheelModel[k]);
        } else {
            radius = 0.5f * std::fabs(wheel->Mesh()->m_vMax.y - wheel->Mesh()->m_vMin.y);
            g_Engine.SetObjectFlags3(wheel, kFlags3Part, ~0u);
        }
        t->m_pWheelObjects[k] = wheel;
        t->m_fWheelRadius[k] = radius;
        DV socket = object->m_vPosition;
        if (!ReadSocket(object, t->m_szWheelSockets[k], &socket, nullptr))
            g_Console.PrintStr2("Can't read wheel socket ", t->m_szWheelSockets[k]);
        const DV local = ToMeshFrame(object, socket);
        type->m_fWheelB[k] = kSuspensionRest;
        if (t->m_pVehicle)
            t->m_pVehicle->addWheel(btVector3(local.x, radius, local.z), btVector3(0, -1, 0), btVector3(-1, 0, 0),
                                    kSuspensionRest, radius, t->m_Tuning, type->m_bWheelFront[k] != 0);
        t->m_bWheelFront[k] = type->m_bWheelFront[k];
        t->m_fWheelC[k] = type->m_fWheelC[k];
    }
    if (t->m_pVehicle) {
        for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) {
            btWheelInfo& wheel = t->m_pVehicle->getWheelInfo(k);
            wheel.m_suspensionStiffness = kSuspensionStiffness;
            wheel.m_wheelsDampingRelaxation = kDampingRelaxation;
            wheel.m_wheelsDampingCompression = kDampingCompression;
            wheel.m_frictionSlip = kFrictionSlip;
            wheel.m_rollInfluence = kRollInfluence;
        }
        ReleaseWheelControls(t, kParkingBrake);
    }

    if (type->m_szPistonModelA[0] && type->m_szPistonModelB[0]) {
        t->m_pPistonA = g_Engine.CreateObject(OT_MESH, type->m_szPistonModelA, kPartFlags | player, kPartFlags2, nullptr, nullptr);
        t->m_pPistonB = g_Engine.CreateObject(OT_MESH, type->m_szPistonModelB, kPartFlags | player, kPartFlags2, nullptr, nullptr);
    }
    if (type->m_szSteeringWheelModel[0] && type->m_szSteeringWheelSocket[0]) {
        t->m_pSteeringWheel = g_Engine.CreateObject(OT_MESH, type->m_szSteeringWheelModel, kSteeringWheelFlags | player,
                                                    kPartFlags2, nullptr, nullptr);
        g_Engine.SetObjectFlags3(t->m_pSteeringWheel, kFlags3Part, ~0u);
        Copy(t->m_szSteeringWheelSocket, type->m_szSteeringWheelSocket);
    }
    if (t->m_bKostkujaca) {
        t->m_pChamberBale = g_Engine.CreateObject(OT_MESH, kCubeBaleModel, kPartFlags | player, kPartFlags2, nullptr, nullptr);
        g_Engine.SetObjectFlags3(t->m_pChamberBale, kFlags3Part, ~0u);
    }

    // The menu shows the profile's own driver; in a level the drivers take turns, the profile's
    // own country skipped; without a profile any of them drives.
    const int country = g_VehiclesHooks.profileCountry();
    uint32_t driver;
    if (country < 0) {
        driver = static_cast<uint32_t>(plat::Random()) % kDriverModels;
    } else if (g_WorldHooks.menuActive()) {
        driver = static_cast<uint32_t>(country);
    } else {
        if (m_uDriverIndex == static_cast<uint32_t>(country)) ++m_uDriverIndex;
        if (m_uDriverIndex >= kDriverModels) m_uDriverIndex = 0;
        driver = m_uDriverIndex++;
    }
    CreateDriver(object, driver, player ? 1 : 0);

    for (uint32_t k = 0; k < type->m_uAttachmentCount; ++k) {
        EObjectSlot* a = g_Engine.CreateObject(OT_MESH, type->m_szAttachmentModel[k], kWheelFlags | player,
                                               kAttachmentFlags2, nullptr, nullptr);
        if (!a) g_Console.PrintStr2("Failed to add attachment ", type->m_szAttachmentModel[k]);
        if ((t->m_bSadzarka && !t->m_bSadzarkaDuza) || (t->m_bKostkujaca && k == 0)) SetScaleOne(a);
        g_Engine.SetObjectFlags3(a, kFlags3Part, ~0u);
        t->m_pAttachments[k] = a;
        Copy(t->m_szAttachmentSockets[k], type->m_szAttachmentSocket[k]);
        t->m_bAttachmentStable[k] = type->m_bAttachmentStable[k];
        t->m_bAttachmentGrain[k] = type->m_bAttachmentGrain[k];
        t->m_fSpinSpeed[k] = type->m_fRotateSpeed[k];
        t->m_fSwingTarget[k] = type->m_fRotateA[k];
        t->m_fSwingAngle[k] = 0;
        t->m_fTilt[k] = type->m_fRotateB[k];
        t->m_fSpinAngle[k] = t->m_fSpinSpeed[k] != 0 ? RandomFloat(2.0f * static_cast<float>(M_PI)) : 0.0f;
        if (type->m_bAttachmentPhysics[k]) CreateAttachmentBody(t, k);
    }
    t->m_uAttachmentCount = type->m_uAttachmentCount;
    for (uint32_t k = 0; k < type->m_uSkinAttachmentCount; ++k) {
        EObjectSlot* a = g_Engine.CreateObject(OT_SKINMESH, type->m_szSkinAttachmentModel[k], kWheelFlags | player,
                                               kAttachmentFlags2, nullptr, nullptr);
        if (!a) g_Console.PrintStr2("Failed to add attachment_skinmesh ", type->m_szSkinAttachmentModel[k]);
        Copy(t->m_szSkinAttachmentSockets[k], type->m_szSkinAttachmentSocket[k]);
        Copy(t->m_szSkinAttachmentAnimations[k], type->m_szSkinAttachmentAnimation[k]);
        g_Engine.SetObjectAnimation(a, type->m_szSkinAttachmentAnimation[k], true, 0);
        g_Engine.SetObjectFlags3(a, kFlags3Part, ~0u);
        if (type->m_bSkinAttachmentRestorePose[k]) EnableDefaultPose(a);
        t->m_pSkinAttachments[k] = a;
    }
    t->m_uSkinAttachmentCount = type->m_uSkinAttachmentCount;

    t->m_fBrake = kParkingBrake;
    if (t->m_bPrzyczepa && type->m_szHitchPrefab[0]) CreateZaczep(type, object);
    for (int h = 0; h < 3; ++h) {
        const VehicleType::Hook& hook = type->m_Hooks[h];
        if (!hook.m_bSet) continue;
        Truck::Hook& th = t->m_Hooks[h];
        th.m_bSet = 1;
        Copy(th.m_szSocket, hook.m_szSocket);
        DV socket = object->m_vPosition;
        if (!ReadSocket(object, th.m_szSocket, &socket, nullptr)) g_Console.PrintStr2(kHookMissing[h], th.m_szSocket);
        th.m_vPoint = ToMeshFrame(object, socket);
    }
    if (t->m_bPlayerCanDrive && t->m_bTraktor && RouteNeedsLinkage()) {
        t->m_pLinkage = g_Engine.CreateObject(OT_SKINMESH, kLinkageModel, kLinkageFlags, 0, nullptr, nullptr);
        g_Engine.SetObjectAnimation(t->m_pLinkage, "podniesiony", false, 0);
        EnableDefaultPose(t->m_pLinkage);
    }
}

// A part that takes part in collisions: a box of its model's size held fast on its socket, so
// that it pushes and is pushed with the machine.
void Physics::CreateAttachmentBody(Truck* t, uint32_t k) {
    EObjectSlot* part = t->m_pAttachments[k];
    const EMesh* mesh = part ? part->Mesh() : nullptr;
    if (!mesh || !t->m_pChassis) return;
    DV socket = t->m_pOwner->m_vPosition;
    if (!ReadSocket(t->m_pOwner, t->m_szAttachmentSockets[k], &socket, nullptr))
        g_Console.PrintStr2("Can't read attachment socket ", t->m_szAttachmentSockets[k]);
    auto* box = new btBoxShape(btVector3(0.5f * (mesh->m_vMax.x - mesh->m_vMin.x), 0.5f * (mesh->m_vMax.y - mesh->m_vMin.y),
                                         0.5f * (mesh->m_vMax.z - mesh->m_vMin.z)));
    m_collisionShapes.emplace_back(box);
    btVector3 inertia(0, 0, 0);
    box->calculateLocalInertia(kAttachmentMass, inertia);
    btTransform start;
    MakeTransform(&start, socket, t->m_pOwner->m_Orientation.m_Quaternion);
    btRigidBody* body = AddBody(kAttachmentMass, new btDefaultMotionState(start), box, inertia);
    if (t->m_pOwner->m_uFlags & kFlagPlayerObject) body->setActivationState(DISABLE_DEACTIVATION);
    const DV local = ToMeshFrame(t->m_pOwner, socket);
    btTransform onChassis, onPart;
    onChassis.setIdentity();
    onChassis.setOrigin(btVector3(local.x, local.y, local.z));
    onPart.setIdentity();
    // Limits left at 0: the part is locked to the chassis in every direction.
    auto* c = new btGeneric6DofConstraint(*t->m_pChassis, *body, onChassis, onPart, false);
    m_dynamicsWorld->addConstraint(c, true);
    t->m_pAttachmentBodies[k] = body;
    t->m_pAttachmentConstraints[k] = c;
}

void Physics::ReleaseWheelControls(Truck* t, float brake) {
    if (!t->m_pVehicle) return;
    for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) {
        t->m_pVehicle->applyEngineForce(0, k);
        t->m_pVehicle->setBrake(brake, k);
        t->m_pVehicle->setSteeringValue(0, k);
    }
}

void Physics::SetTruckControls(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t) return;
    if (t->m_bReleased && g_Player.m_bDrivingEnabled) {
        // The front wheels steer and drive, the others brake.
        const int wheels = t->m_pVehicle ? std::min<int>(t->m_uWheelCount, t->m_pVehicle->getNumWheels()) : 0;
        for (int k = 0; k < wheels; ++k) {
            if (t->m_bWheelFront[k]) {
                t->m_pVehicle->setSteeringValue(t->m_bReverseWheels ? -t->m_fTargetSteering : t->m_fTargetSteering, k);
                t->m_pVehicle->applyEngineForce(t->m_fEngineForce, k);
                t->m_pVehicle->setBrake(0, k);
            } else {
                t->m_pVehicle->applyEngineForce(0, k);
                t->m_pVehicle->setBrake(t->m_fBrake, k);
            }
        }
        MoveTowards(&t->m_fCurrentSteering, t->m_fTargetSteering, kSteeringRate * g_Engine.m_fFrameTime);
        t->m_fEngineForce = t->m_fTargetSteering = t->m_fBrake = 0;
        return;
    }
    ReleaseWheelControls(t, kUnreleasedBrake);
    if (t->m_pChassis)
        m_overlappingPairCache->getOverlappingPairCache()->cleanProxyFromPairs(t->m_pChassis->getBroadphaseHandle(),
                                                                               m_dispatcher.get());
    if (t->m_pVehicle)
        for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) t->m_pVehicle->updateWheelTransform(k, true);
}

void Physics::SetTruckDrive(EObjectSlot* object, float engineForce, float steering) {
    if (Truck* t = object ? object->m_hTruck : nullptr) {
        t->m_fEngineForce = engineForce;
        t->m_fTargetSteering = steering;
    }
}

void Physics::SetTruckBrake(EObjectSlot* object, float brake) {
    if (Truck* t = object ? object->m_hTruck : nullptr) t->m_fBrake = brake;
}

void Physics::TruckHookC(EObjectSlot* object, bool held) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !held) return;
    t->m_fEngineForce = 0;
    t->m_fBrake = std::max(t->m_fBrake, kParkingBrake);
}

void Physics::ReleaseTruckControls(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || t->m_bReleased) return;
    ReleaseWheelControls(t, 0);
    t->m_bReleased = 1;
}

void Physics::UnreleaseTruckControls(EObjectSlot* object) {
    if (Truck* t = object ? object->m_hTruck : nullptr) t->m_bReleased = 0;
}

void Physics::SetTruckControlsReleased(EObjectSlot* object, uint8_t released) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (t && released && !t->m_bReleased) t->m_bReleased = 1;
}

void Physics::DisableTruckDeactivation(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (t && t->m_pChassis) t->m_pChassis->setActivationState(DISABLE_DEACTIVATION);
}

float Physics::GetTruckSpeed(EObjectSlot* object) const {
    const Truck* t = object ? object->m_hTruck : nullptr;
    return t && t->m_pVehicle ? t->m_pVehicle->getCurrentSpeedKmHour() / 3.6f : 0.0f;
}

void Physics::DestroyTruck(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t) return g_Console.Print("DestroyTruck EMPTY");
    g_Console.PrintStr2("DestroyTruck ", object->m_szName);
    g_Console.PrintInt("m_LicznikUpdate == ", static_cast<int>(g_WorldHooks.levelFrame()));
    DetachImplement(object);
    DeleteObject(t->m_pLinkage);
    g_PlantMgr.UnregisterCombine(object);
    ReleaseTruckSound(object);
    UnreleaseTruckControls(object);
    // A trailer that this machine pulled no longer follows it.
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i)
        if (Truck* other = g_Engine.m_Objects[i].m_hTruck; other && other->m_pTowing == object) other->m_pTowing = nullptr;

    DeleteObject(t->m_pDriver);
    DeleteObject(t->m_pLoaderArmHorizontal);
    DeleteObject(t->m_pLoaderArmVertical);
    DeleteObject(t->m_pSteeringWheel);
    DeleteObject(t->m_pPistonA);
    DeleteObject(t->m_pPistonB);
    DeleteObject(t->m_pChamberBale);
    for (EObjectSlot*& wheel : t->m_pWheelObjects) DeleteObject(wheel);
    for (uint32_t i = 0; i < t->m_uAttachmentCount; ++i) {
        DeleteConstraint(t->m_pAttachmentConstraints[i]);
        t->m_pAttachmentConstraints[i] = nullptr;
        DeleteBody(t->m_pAttachmentBodies[i]);
        t->m_pAttachmentBodies[i] = nullptr;
        DeleteObject(t->m_pAttachments[i]);
    }
    for (uint32_t i = 0; i < t->m_uSkinAttachmentCount; ++i) DeleteObject(t->m_pSkinAttachments[i]);
    DeleteConstraint(t->m_pHitchHinge);
    DeleteBody(t->m_pHitchBody);
    DeleteObject(t->m_pHitchModel);
    if (t->m_pVehicle) m_dynamicsWorld->removeAction(t->m_pVehicle);
    delete t->m_pVehicle;
    delete t->m_pRaycaster;
    DeleteBody(t->m_pChassis);
    delete t;
    object->m_hTruck = nullptr;
}

void Physics::TeleportTruck(EObjectSlot* object, const DV* position, const pmath::Quaternion* rotation) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !position || !rotation) return;
    const DV at = *position + DV{0, kTeleportLift, 0};
    DetachImplement(object);
    if (t->m_pChassis) {
        btTransform transform;
        MakeTransform(&transform, at, *rotation);
        if (t->m_pChassis->getMotionState()) t->m_pChassis->getMotionState()->setWorldTransform(transform);
        t->m_pChassis->setWorldTransform(transform);
        t->m_pChassis->clearForces();
        if (t->m_pVehicle) t->m_pVehicle->resetSuspension();
        t->m_pChassis->setLinearVelocity(btVector3(0, 0, 0));
        t->m_pChassis->setAngularVelocity(btVector3(0, 0, 0));
        m_overlappingPairCache->getOverlappingPairCache()->cleanProxyFromPairs(t->m_pChassis->getBroadphaseHandle(),
                                                                               m_dispatcher.get());
        if (t->m_pVehicle) {
            t->m_pVehicle->resetSuspension();
            for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) t->m_pVehicle->updateWheelTransform(k, true);
        }
    }
    // The machine's object stands where its chassis now is, so that the parts placed at once on
    // its sockets are placed there too.
    EOrientation orientation;
    orientation.SetQuaternion(rotation);
    g_Engine.SetObjectTransform(object, at, orientation, false, false);
    UpdateTruckVisuals(object);
    for (uint32_t i = 0; i < t->m_uAttachmentCount; ++i) {
        btRigidBody* body = t->m_pAttachmentBodies[i];
        if (!body) continue;
        if (!t->m_szAttachmentSockets[i][0]) break;
        DV socket;
        if (!ReadSocket(object, t->m_szAttachmentSockets[i], &socket, nullptr)) {
            g_Console.PrintStr2("TeleportTruck failed to read socket ", t->m_szAttachmentSockets[i]);
            continue;
        }
        btTransform transform;
        MakeTransform(&transform, socket, *rotation);
        body->setWorldTransform(transform);
        body->clearForces();
    }
    object->m_bMovedByPhysics = 0;
}
