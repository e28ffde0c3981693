// A trailer's hitch, implements coupled to a tractor (through the hitch or directly), uncoupling,
// and a machine pinned at the marker it is tied to.
#include <cstdio>

#include "core/EConsole.h"
#include "vehicles/Physics.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

constexpr uint32_t kHitchFlags = 0x1000081;
constexpr uint32_t kFlags3Part = 0x2000;
constexpr float kHitchMass = 60.0f;
constexpr float kHitchDeactivationTime = 2.0f;
constexpr float kDetachedBrake = 40.0f;
// Ahead of the front axle to the pin: far ahead for a combine, close for any other machine.
constexpr float kCombinePinAhead = 8.0f;
constexpr float kPinAhead = 1.0f;
constexpr float kPinTolerance = 0.7f;

btTransform At(const DV& point) {
    btTransform t;
    t.setIdentity();
    t.setOrigin(btVector3(point.x, point.y, point.z));
    return t;
}

btVector3 V(float x, float y, float z) { return btVector3(x, y, z); }

// Implements coupled to the tractor no longer brake; a detached one brakes again.
void SetImplementBrake(Truck* t, float brake) {
    t->m_fBrake = brake;
    if (!t->m_pVehicle) return;
    for (int k = 0; k < t->m_pVehicle->getNumWheels(); ++k) t->m_pVehicle->setBrake(brake, k);
}

}  // namespace

void Physics::CreateZaczep(VehicleType* type, EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!type || !t || !object->Mesh() || !t->m_pChassis) return;
    std::snprintf(t->m_szHitchTractorSocket, sizeof t->m_szHitchTractorSocket, "%s", type->m_szHitchTractorSocket);
    DV trailerSocket = object->m_vPosition;
    EOrientation socketOrientation = object->m_Orientation;
    if (type->m_szHitchSocket[0]) {
        if (!ReadSocket(object, type->m_szHitchSocket, &trailerSocket, nullptr))
            g_Console.PrintStr2("Can't read zaczep socket ", type->m_szHitchSocket);
        t->m_vHingePivotTrailer = ToMeshFrame(object, trailerSocket);
        if (!ReadSocket(object, type->m_szHitchSocket, &trailerSocket, &socketOrientation))
            g_Console.PrintStr3(t->m_szName, " nie moze odczytac socketa zaczepu ", type->m_szHitchSocket);
    }
    EObjectSlot* hitch = g_Engine.CreateObject(OT_MESH, type->m_szHitchPrefab, kHitchFlags, 0, nullptr, nullptr);
    if (!hitch) return g_Console.PrintStr2("FAILED creating zaczep ", type->m_szHitchPrefab);
    g_Engine.SetObjectFlags3(hitch, kFlags3Part, ~0u);
    if (!hitch->Mesh()) return g_Console.Print("!t->hZaczep->Object");
    t->m_pHitchModel = hitch;

    // The hitch model stands at the origin unturned, so its sockets' world points are its own.
    DV onHitch;
    if (!ReadSocket(hitch, type->m_szHitchTrailerSocket, &onHitch, nullptr))
        g_Console.PrintStr2("Can't read SocketPrzyczepyWZaczepie socket ", type->m_szHitchTrailerSocket);
    t->m_vHingePivotHitch = ToMeshFrame(hitch, onHitch);
    DV coupling;
    if (!ReadSocket(hitch, type->m_szHitchTractorSocket, &coupling, nullptr))
        g_Console.PrintStr2("Can't read SocketTraktoraWZaczepie socket ", type->m_szHitchTractorSocket);
    t->m_vHitchCouplingPoint = ToMeshFrame(hitch, coupling);
    for (uint32_t k = 0; k < t->m_uWheelCount; ++k)
        if (ReadSocket(hitch, t->m_szWheelSockets[k], nullptr, nullptr)) t->m_bWheelsOnHitch = 1;
    const DV hitchPosition =
        trailerSocket - pmath::TransformDirection(t->m_vHingePivotHitch, socketOrientation.m_Matrix);
    g_Engine.SetObjectTransform(hitch, hitchPosition, socketOrientation, false, false);

    btCompoundShape* shape = MakeOffsetBox(V(0.2f, 0.2f, 0.5f), V(0, 0.6f, 0));
    btVector3 inertia(0, 0, 0);
    shape->calculateLocalInertia(kHitchMass, inertia);
    btTransform start;
    MakeTransform(&start, hitchPosition, socketOrientation.m_Quaternion);
    t->m_pHitchBody = AddBody(kHitchMass, new btDefaultMotionState(start), shape, inertia);
    t->m_pHitchBody->setDamping(0.1f, 0.1f);
    t->m_pHitchBody->setDeactivationTime(kHitchDeactivationTime);

    const DV& a = t->m_vHingePivotTrailer;
    const DV& b = t->m_vHingePivotHitch;
    t->m_pHitchHinge = new btHingeConstraint(*t->m_pChassis, *t->m_pHitchBody, V(a.x, a.y, a.z), V(b.x, b.y, b.z),
                                             V(0, 1, 0), V(0, 1, 0), false);
    t->m_pHitchHinge->setLimit(-0.7f, 0.7f, 0.1f, 0.3f, 1.0f);
    t->m_pHitchHinge->enableAngularMotor(true, 1.0f, 0.1f);
    m_dynamicsWorld->addConstraint(t->m_pHitchHinge, true);
}

void Physics::CoupleImplement(EObjectSlot* tractor, EObjectSlot* implement) {
    Truck* a = tractor ? tractor->m_hTruck : nullptr;
    Truck* b = implement ? implement->m_hTruck : nullptr;
    if (!a || !b || !a->m_Hooks[HOOK_MAIN].m_bSet || !b->m_bPrzyczepa || !a->m_pChassis) return;
    if (!b->m_pHitchBody) return CoupleImplementDirect(tractor, implement);
    // Whatever either machine was coupled to lets go first, on both sides: a stale partner link
    // would later uncouple this pair.
    DetachImplement(tractor);
    DetachImplement(implement);
    a->m_pPartner = implement;
    b->m_pPartner = tractor;
    b->m_pTowing = tractor;
    auto* c = new btGeneric6DofConstraint(*a->m_pChassis, *b->m_pHitchBody, At(a->m_Hooks[HOOK_MAIN].m_vPoint),
                                          At(b->m_vHitchCouplingPoint), false);
    c->setAngularLowerLimit(V(-0.1f, -0.5f, -0.1f));
    c->setAngularUpperLimit(V(0.1f, 0.5f, 0.1f));
    a->m_pCoupling[1] = c;
    m_dynamicsWorld->addConstraint(c, true);
    SetImplementBrake(b, 0);
}

void Physics::CoupleImplementDirect(EObjectSlot* tractor, EObjectSlot* implement) {
    Truck* a = tractor ? tractor->m_hTruck : nullptr;
    Truck* b = implement ? implement->m_hTruck : nullptr;
    if (!a || !b || !a->m_pChassis || !b->m_pChassis) return;
    if ((!a->m_Hooks[HOOK_MAIN].m_bSet && !a->m_Hooks[HOOK_PLOUGH].m_bSet) || !b->m_bPrzyczepa) return;
    DetachImplement(tractor);
    DetachImplement(implement);
    a->m_pPartner = implement;
    b->m_pPartner = tractor;

    HookKind hook = HOOK_MAIN;
    if (b->m_bPlug) hook = HOOK_PLOUGH;
    else if ((b->m_bSiewnik && !b->m_bSiewnikDuzy) || (b->m_bKosa && !b->m_bKosa3x)) hook = HOOK_SEEDER;
    auto* c = new btGeneric6DofConstraint(*a->m_pChassis, *b->m_pChassis, At(a->m_Hooks[hook].m_vPoint),
                                          At(b->m_Hooks[HOOK_MAIN].m_vPoint), false);
    // Limits by kind, (pitch, yaw, roll) in radians; linear limits not set stay locked.
    int slot = 1;
    if (b->m_bPlug) {
        c->setAngularLowerLimit(V(0, 0.3f, 0));
        c->setAngularUpperLimit(V(0, 0.3f, 0));
        b->m_fPloughLift = 0;
        b->m_iPloughLiftState = 4;
        b->m_fPloughDepth = 0.3f;
    } else if (b->m_bSadzarka || (b->m_bSiewnik && !b->m_bSiewnikDuzy)) {
        c->setAngularLowerLimit(V(-0.4f, -0.05f, 0));
        c->setAngularUpperLimit(V(-0.4f, 0.05f, 0));
        c->setLinearLowerLimit(V(0, -0.01f, 0));
        c->setLinearUpperLimit(V(0, 0.01f, 0));
    } else if (b->m_bSiewnikDuzy) {
        c->setAngularLowerLimit(V(0.05f, -0.05f, 0));
        c->setAngularUpperLimit(V(0.25f, 0.05f, 0));
        c->setLinearLowerLimit(V(0, -0.4f, 0));
        c->setLinearUpperLimit(V(0, 0.4f, 0));
    } else if (b->m_bKosa) {
        const float yaw = b->m_bKosa3x ? 0.04f : 0.01f;
        c->setAngularLowerLimit(V(-0.01f, -yaw, 0));
        c->setAngularUpperLimit(V(0.01f, yaw, 0));
        b->m_iMowerSoundState = 4;
    } else {
        // Trailers and balers turn freely about the hook and follow the tractor's heading.
        slot = 0;
        c->setAngularLowerLimit(V(0, -0.8f, 0));
        c->setAngularUpperLimit(V(0, 0.8f, 0));
        const float travel = b->m_bPrzyczepaDuza ? 0.1f : b->m_bPrasa ? 0.4f : 0.0f;
        c->setLinearLowerLimit(V(0, -travel, 0));
        c->setLinearUpperLimit(V(0, travel, 0));
        b->m_pTowing = tractor;
    }
    if (b->m_bSadzarka || b->m_bSiewnik) {
        if (b->m_bSadzarka) b->m_fPlanterLift = -0.4f;
        else b->m_fSeederLift = -0.4f;
        b->m_iPlanterLiftState = b->m_iSeederLiftState = 4;
    }
    a->m_pCoupling[slot] = c;
    m_dynamicsWorld->addConstraint(c, true);
    SetImplementBrake(b, 0);
}

void Physics::DetachImplement(EObjectSlot* object) {
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!t || !t->m_pPartner) return;
    EObjectSlot* partnerObject = t->m_pPartner;
    Truck* partner = partnerObject->m_hTruck;
    if (t->m_pCoupling[0] || t->m_pCoupling[1]) {
        if (partner) {
            SetImplementBrake(partner, kDetachedBrake);
            if (partner->m_pVehicle)
                for (int k = 0; k < partner->m_pVehicle->getNumWheels(); ++k)
                    if (k < Truck::kWheels && partner->m_bWheelFront[k]) partner->m_pVehicle->setSteeringValue(0, k);
            partner->m_pPartner = nullptr;
            partner->m_pTowing = nullptr;
        }
        for (btGeneric6DofConstraint*& c : t->m_pCoupling) {
            DeleteConstraint(c);
            c = nullptr;
        }
    } else if (partner && (partner->m_pCoupling[0] || partner->m_pCoupling[1])) {
        // The tractor holds the constraint: letting go from the implement's side takes it out too.
        DetachImplement(partnerObject);
    }
    t->m_pPartner = nullptr;
    t->m_pTowing = nullptr;
}

void Physics::TruckPrzyczepDoDummy(EObjectSlot* object) {
    EObjectSlot* dummy = object ? object->m_pLinkedObject : nullptr;
    Truck* t = object ? object->m_hTruck : nullptr;
    if (!dummy || !t || !t->m_pChassis) return;
    TruckOdczepOdDummy(object);
    g_Console.Print("TruckPrzyczepDoDummy");
    const float ahead = t->m_bKombajn ? kCombinePinAhead : kPinAhead;
    DV axle;
    GetFrontAxlePoint(object, &axle, ahead, 1);
    const DV offset{dummy->m_vPosition.x - axle.x, 0, dummy->m_vPosition.z - axle.z};
    if (pmath::Length(offset) > kPinTolerance) {
        const DV to = object->m_vPosition + offset;
        TeleportTruck(object, &to, &object->m_Orientation.m_Quaternion);
    }
    CreateStaticTriMesh(dummy);
    auto* dummyBody = static_cast<btRigidBody*>(dummy->m_pPhysicsBody);
    if (!dummyBody) return;
    DV local;
    GetFrontAxlePoint(object, &local, ahead, 0);
    auto* c = new btGeneric6DofConstraint(*dummyBody, *t->m_pChassis, At(DV{}), At(local), false);
    c->setLinearLowerLimit(V(0, 0, 0));
    c->setLinearUpperLimit(V(0, 0, 0));
    // Lower above upper leaves every rotation free.
    c->setAngularLowerLimit(V(1, 1, 1));
    c->setAngularUpperLimit(V(-1, -1, -1));
    object->m_pDummyConstraint = c;
    m_dynamicsWorld->addConstraint(c, true);
}

void Physics::TruckOdczepOdDummy(EObjectSlot* object) {
    if (!object || !object->m_pDummyConstraint) return;
    g_Console.Print("TruckOdczepOdDummy");
    DeleteConstraint(static_cast<btTypedConstraint*>(object->m_pDummyConstraint));
    object->m_pDummyConstraint = nullptr;
}
