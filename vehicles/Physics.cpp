#include "vehicles/Physics.h"

#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "mesh/EMesh.h"
#include "mesh/MeshParams.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"
#include "vehicles/StaticMeshGeometry.h"

Physics g_Physics;

namespace {

constexpr float kGravity = -10.0f;
constexpr int kMaxSubSteps = 3;
constexpr float kFixedStep = 1.0f / 60.0f;
constexpr uint32_t FLAG_PHYSICS_BODY = 0x01000000;
constexpr float kStaticMeshFriction = 2.11f;
constexpr float kBodyDeactivationTime = 5.0f;
// Bales weigh much more on routes where they are collected than elsewhere.
constexpr float kCylinderMassBaleCollecting = 18.8f;
constexpr float kCylinderMassOther = 0.3f;
constexpr const char* kVerticesTag = "m_Vertices";
constexpr const char* kIndicesTag = "m_Indices";

bool BaleCollectingRoute() {
    const RouteTasks* tasks = g_RoutesMgr.CurrentRouteTasks();
    return tasks && tasks->baleCollecting;
}

btRigidBody* BodyOf(const EObjectSlot* object) { return static_cast<btRigidBody*>(object->m_pPhysicsBody); }

bool Awake(const btRigidBody* body) {
    const int state = body->getActivationState();
    return state != ISLAND_SLEEPING && state != DISABLE_SIMULATION;
}

}  // namespace

Physics::Physics() {
    for (VehicleType& type : m_Vehicles) type.Reset();
}

// At exit the engine's objects may already be gone, so only what this component owns in Bullet
// is taken apart here.
Physics::~Physics() {
    if (m_dynamicsWorld) {
        for (int i = m_dynamicsWorld->getNumConstraints() - 1; i >= 0; --i)
            m_dynamicsWorld->removeConstraint(m_dynamicsWorld->getConstraint(i));
        for (int i = m_dynamicsWorld->GetNumActions() - 1; i >= 0; --i)
            m_dynamicsWorld->removeAction(m_dynamicsWorld->GetAction(i));
        btCollisionObjectArray& objects = m_dynamicsWorld->getCollisionObjectArray();
        for (int i = objects.size() - 1; i >= 0; --i) {
            btCollisionObject* object = objects[i];
            if (btRigidBody* body = btRigidBody::upcast(object)) delete body->getMotionState();
            m_dynamicsWorld->removeCollisionObject(object);
            delete object;
        }
    }
    Shutdown();
}

// ---- World -------------------------------------------------------------------------------------

void Physics::Init() {
    g_Console.Print("Physics init.");
    // Bullet's objects come from its own allocator, which has no failure result to test: an
    // allocation that fails ends the program as any other does.
    btDefaultCollisionConstructionInfo info;
    m_collisionConfiguration = std::make_unique<btDefaultCollisionConfiguration>(info);
    m_dispatcher = std::make_unique<btCollisionDispatcher>(m_collisionConfiguration.get());
    m_overlappingPairCache = std::make_unique<btDbvtBroadphase>();
    m_constraintSolver = std::make_unique<btSequentialImpulseConstraintSolver>();
    m_dynamicsWorld = std::make_unique<MachineDynamicsWorld>(m_dispatcher.get(), m_overlappingPairCache.get(),
                                                             m_constraintSolver.get(), m_collisionConfiguration.get());
    g_Console.Print("m_dynamicsWorld created OK.");
    m_dynamicsWorld->setGravity(btVector3(0, kGravity, 0));
    // The machines were tuned on a series whose motion states reported the last substep's pose,
    // not one interpolated ahead.
    m_dynamicsWorld->setLatencyMotionStateInterpolation(false);
    LoadVehicles();
    SortVehicles();
}

void Physics::Shutdown() {
    m_uVehicleCount = 0;
    m_dynamicsWorld.reset();
    m_constraintSolver.reset();
    m_overlappingPairCache.reset();
    m_dispatcher.reset();
    m_collisionConfiguration.reset();
}

void Physics::ResetRunCounters() { m_uDriverIndex = 0; }

void Physics::Update() {
    if (!m_dynamicsWorld) return g_Console.Print("!m_dynamicsWorld");
    if (!g_Settings.m_bUpdatePhysics) return;
    m_fFrameTime = g_Engine.m_fFrameTime;
    UpdateTrailerSteering();
    m_dynamicsWorld->stepSimulation(m_fFrameTime, kMaxSubSteps, kFixedStep);

    int updatedBodies = 0, syncedTrucks = 0;
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot* o = &g_Engine.m_Objects[i];
        if (!o->m_bUsed) continue;
        if (const btRigidBody* body = BodyOf(o); body && Awake(body)) {
            DV position;
            EOrientation orientation;
            GetBodyTransform(body, &position, &orientation);
            g_Engine.SetObjectTransform(o, position, orientation, false, false);
            ++updatedBodies;
        }
        // The player, the opponents and the player's plough are synchronised by their owners.
        const Truck* t = o->m_hTruck;
        if (t && !o->m_bPlayerMachine && !o->m_bAIMachine && !(t->m_bPlug && t->m_pPartner) && SyncTruckObjects(o))
            ++syncedTrucks;
    }
    g_Console.SetVariable("NumUpdatedRigidBodies", static_cast<float>(updatedBodies), 0);
    g_Console.SetVariable("NumSynchronizedTruckObjects", static_cast<float>(syncedTrucks), 0);

    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot* o = &g_Engine.m_Objects[i];
        if (!o->m_bUsed || !o->m_hTruck) continue;
        UpdateTruckWheels(o);
        EObjectSlot* partner = o->m_hTruck->m_pPartner;
        const Truck* pt = partner ? partner->m_hTruck : nullptr;
        if (pt && pt->m_pPistonA && pt->m_pPistonB) UpdatePistons(partner);
    }
}

void Physics::OnExitWorld() {
    if (!m_dynamicsWorld) return;
    // Trucks own their vehicles, constraints and part bodies; a truck whose object outlived the
    // objects' deletion goes first, and anything left after that is taken out before the bodies.
    for (EObjectSlot& o : g_Engine.m_Objects) {
        if (!o.m_bUsed) continue;
        if (o.m_hTruck) DestroyTruck(&o);
        TruckOdczepOdDummy(&o);
    }
    for (int i = m_dynamicsWorld->getNumConstraints() - 1; i >= 0; --i) DeleteConstraint(m_dynamicsWorld->getConstraint(i));
    for (int i = m_dynamicsWorld->GetNumActions() - 1; i >= 0; --i)
        m_dynamicsWorld->removeAction(m_dynamicsWorld->GetAction(i));

    btCollisionObjectArray& objects = m_dynamicsWorld->getCollisionObjectArray();
    for (int i = objects.size() - 1; i >= 0; --i) {
        btCollisionObject* object = objects[i];
        if (btRigidBody* body = btRigidBody::upcast(object)) delete body->getMotionState();
        m_dynamicsWorld->removeCollisionObject(object);
        delete object;
    }
    m_collisionShapes.clear();
    m_collisionShapes.shrink_to_fit();
    m_meshInterfaces.clear();
    m_meshInterfaces.shrink_to_fit();
    for (EObjectSlot& o : g_Engine.m_Objects)
        if (o.m_bUsed) o.m_pPhysicsBody = nullptr;
    ClearMeshArrays();
}

void Physics::ClearMeshArrays() {
    for (size_t i = 0; i < m_VertexArrays.size(); ++i) g_Debug.RemoveAlloc(kVerticesTag);
    for (size_t i = 0; i < m_IndexArrays.size(); ++i) g_Debug.RemoveAlloc(kIndicesTag);
    m_VertexArrays.clear();
    m_IndexArrays.clear();
}

btRigidBody* Physics::AddBody(float mass, btMotionState* motionState, btCollisionShape* shape,
                              const btVector3& inertia) {
    auto* body = new btRigidBody(mass, motionState, shape, inertia);
    // The series the machines were tuned on had no gyroscopic term: rolling bales and tipping
    // machines behave as they did there.
    body->setFlags(body->getFlags() & ~BT_ENABLE_GYROSCOPIC_FORCE_IMPLICIT_BODY);
    m_dynamicsWorld->addRigidBody(body);
    return body;
}

void Physics::DeleteBody(btRigidBody* body) {
    if (!body) return;
    m_dynamicsWorld->removeRigidBody(body);
    delete body->getMotionState();
    delete body;
}

void Physics::DeleteConstraint(btTypedConstraint* constraint) {
    if (!constraint) return;
    m_dynamicsWorld->removeConstraint(constraint);
    delete constraint;
}

btCompoundShape* Physics::MakeOffsetBox(const btVector3& halfExtents, const btVector3& offset) {
    auto* compound = new btCompoundShape(true);
    auto* box = new btBoxShape(halfExtents);
    btTransform local;
    local.setIdentity();
    local.setOrigin(offset);
    compound->addChildShape(local, box);
    m_collisionShapes.emplace_back(compound);
    m_collisionShapes.emplace_back(box);
    return compound;
}

// ---- Object bodies -----------------------------------------------------------------------------

void Physics::CreateObjectBody(EObjectSlot* object, const RigidBodyPhysicsParams* params) {
    if (!object || !m_dynamicsWorld) return;
    RigidBodyPhysicsParams defaults;
    defaults.m_uBodyKind = 1;
    if (!params) params = &defaults;
    RemoveObjectBody(object);
    if (params->m_uBodyKind == 1) SetPhysicsParamsBox(object, params);
    else if (params->m_uBodyKind == 2) SetPhysicsParamsCylinder(object, params);
}

namespace {

// Half the object's scaled size: its mesh's box, or a unit cube without one. The body's origin
// stays the object's position, not the box's centre.
btVector3 HalfExtents(const EObjectSlot* object) {
    btVector3 half(0.5f * object->m_vScale.x, 0.5f * object->m_vScale.y, 0.5f * object->m_vScale.z);
    if (const EMesh* mesh = object->Mesh())
        half *= btVector3(mesh->m_vMax.x - mesh->m_vMin.x, mesh->m_vMax.y - mesh->m_vMin.y,
                          mesh->m_vMax.z - mesh->m_vMin.z);
    return half;
}

}  // namespace

void Physics::SetPhysicsParamsBox(EObjectSlot* object, const RigidBodyPhysicsParams* params) {
    if (!object || !params || !m_dynamicsWorld) return;
    if (StrICmp(object->m_szName, "test") == 0) g_Console.PrintStr2("SetPhysicsParamsBox ", object->m_szName);
    btTransform start;
    MakeTransform(&start, object->m_vPosition, object->m_Orientation.m_Quaternion);
    auto* shape = new btBoxShape(HalfExtents(object));
    m_collisionShapes.emplace_back(shape);
    float mass = params->m_fMass;
    if (StrIContains(object->m_szFileName, "snopek.x")) mass *= 0.5f;
    btVector3 inertia(0, 0, 0);
    shape->calculateLocalInertia(mass, inertia);
    btRigidBody* body = AddBody(mass, new btDefaultMotionState(start), shape, inertia);
    object->m_pPhysicsBody = body;
    if (params->m_fMass == 0.0f) body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
    body->setDeactivationTime(kBodyDeactivationTime);
    g_Engine.SetObjectFlags(object, FLAG_PHYSICS_BODY, FLAG_PHYSICS_BODY | FLAG_STATIC_LEVEL_MESH);
}

void Physics::SetPhysicsParamsCylinder(EObjectSlot* object, const RigidBodyPhysicsParams* params) {
    if (!object || !params || !m_dynamicsWorld) return;
    btTransform start;
    MakeTransform(&start, object->m_vPosition, object->m_Orientation.m_Quaternion);
    auto* shape = new btCylinderShape(HalfExtents(object));
    m_collisionShapes.emplace_back(shape);
    const bool baleCollecting = BaleCollectingRoute();
    const float mass = params->m_fMass * (baleCollecting ? kCylinderMassBaleCollecting : kCylinderMassOther);
    btVector3 inertia(0, 0, 0);
    shape->calculateLocalInertia(mass, inertia);
    btRigidBody* body = AddBody(mass, new btDefaultMotionState(start), shape, inertia);
    object->m_pPhysicsBody = body;
    body->setDeactivationTime(kBodyDeactivationTime);
    if (baleCollecting) body->setDamping(0.6f, 0.9f);
    else body->setDamping(0.1f, 0.7f);
    g_Engine.SetObjectFlags(object, FLAG_PHYSICS_BODY, FLAG_PHYSICS_BODY | FLAG_STATIC_LEVEL_MESH);
}

void Physics::RemoveObjectBody(EObjectSlot* object) {
    if (!object || !object->m_pPhysicsBody) return;
    btRigidBody* body = BodyOf(object);
    // A machine pinned to this object lets go before the body it is pinned to goes.
    for (int i = body->getNumConstraintRefs() - 1; i >= 0; --i) {
        const btTypedConstraint* c = body->getConstraintRef(i);
        for (EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed && o.m_pDummyConstraint == c) TruckOdczepOdDummy(&o);
    }
    if (m_dynamicsWorld) DeleteBody(body);
    object->m_pPhysicsBody = nullptr;
}

void Physics::OnDeleteObject(EObjectSlot* object) {
    if (!object) return;
    if (object->m_pPhysicsBody) RemoveObjectBody(object);
    if (object->m_hTruck) DestroyTruck(object);
}

void Physics::SetObjectBodyTransform(EObjectSlot* object, const DV& position, const EOrientation& orientation) {
    if (!object || !object->m_pPhysicsBody) return;
    btRigidBody* body = BodyOf(object);
    if (object->m_bStaticMeshBody && !object->m_bKinematicSwitchDone) {
        object->m_bKinematicSwitchDone = 1;
        body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
        body->setActivationState(DISABLE_DEACTIVATION);
    }
    btTransform transform;
    MakeTransform(&transform, position, orientation.m_Quaternion);
    if (body->getMotionState() && object->m_bStaticMeshBody) body->getMotionState()->setWorldTransform(transform);
    body->setWorldTransform(transform);
}

void Physics::GetBodyTransform(const btRigidBody* body, DV* outPosition, EOrientation* outOrientation) {
    if (body) TransformToPosOrient(body->getWorldTransform(), outPosition, outOrientation);
}

void Physics::MakeTransform(btTransform* out, const DV& position, const pmath::Quaternion& rotation) {
    out->setIdentity();
    out->setOrigin(btVector3(position.x, position.y, position.z));
    out->setRotation(btQuaternion(rotation.x, rotation.y, rotation.z, rotation.w));
}

void Physics::TransformToPosOrient(const btTransform& transform, DV* outPosition, EOrientation* outOrientation) {
    const btVector3& origin = transform.getOrigin();
    if (outPosition) *outPosition = DV{origin.x(), origin.y(), origin.z()};
    if (!outOrientation) return;
    btQuaternion q;
    transform.getBasis().getRotation(q);
    const pmath::Quaternion rotation{q.x(), q.y(), q.z(), q.w()};
    outOrientation->SetQuaternion(&rotation);
}

bool Physics::IsPointInObjectBox(const DV* point, EObjectSlot* object) const {
    const EMesh* mesh = point && object ? object->Mesh() : nullptr;
    if (!mesh) return false;
    const DV p = pmath::TransformPoint(*point, mesh->m_InverseWorldMatrix);
    return p.x >= mesh->m_vMin.x && p.x <= mesh->m_vMax.x && p.y >= mesh->m_vMin.y && p.y <= mesh->m_vMax.y &&
           p.z >= mesh->m_vMin.z && p.z <= mesh->m_vMax.z;
}

bool Physics::GetTouchPoint(EObjectSlot* a, EObjectSlot* b, DV* outPoint, float margin) const {
    if (!a || !b || !outPoint) return false;
    auto hasBody = [](const EObjectSlot* o) { return o->m_pPhysicsBody || (o->m_hTruck && o->m_hTruck->m_pChassis); };
    if (!hasBody(a) || !hasBody(b) || !ObjectsOverlap(a, b, margin)) return false;
    *outPoint = a->m_vPosition == b->m_vPosition ? a->m_vPosition : (a->m_vPosition + b->m_vPosition) * 0.5f;
    return true;
}

// ---- Static level meshes -----------------------------------------------------------------------

void Physics::CreateStaticTriMesh(EObjectSlot* object) {
    if (!object || !object->m_bUsed || !object->Mesh() || !m_dynamicsWorld) return;
    // A second body would stay in the world as a duplicate collider with no owner, and every
    // repeat would take one of the mesh array slots: an object keeps the body it has.
    if (object->m_pPhysicsBody) return;
    const StaticMeshGeometry g = ReadStaticMeshGeometry(object);
    if (m_VertexArrays.size() >= kMaxMeshArrays || g.vertexCount == 0)
        return g_Console.Print("Physics failed to add vertices!");
    g_Debug.AddAlloc(kVerticesTag);
    std::vector<btVector3>& vertices = m_VertexArrays.emplace_back(g.vertexCount);
    if (m_IndexArrays.size() >= kMaxMeshArrays || g.triangleCount == 0)
        return g_Console.Print("Physics failed to add indices!");
    g_Debug.AddAlloc(kIndicesTag);
    std::vector<int>& indices = m_IndexArrays.emplace_back(3 * g.triangleCount);

    const DV& scale = object->m_vScale;
    for (uint32_t v = 0; v < g.vertexCount; ++v) {
        float p[3];
        std::memcpy(p, g.positions + v * g.stride, sizeof p);
        vertices[v] = btVector3(p[0] * scale.x, p[1] * scale.y, p[2] * scale.z);
        vertices[v].setW(0);
    }
    for (uint32_t i = 0; i < 3 * g.triangleCount; ++i) indices[i] = g.indices[i];

    auto* meshInterface = new btTriangleIndexVertexArray(static_cast<int>(g.triangleCount), indices.data(),
                                                         3 * sizeof(int), static_cast<int>(g.vertexCount),
                                                         vertices[0].m_floats, sizeof(btVector3));
    m_meshInterfaces.emplace_back(meshInterface);
    // The quantisation box comes from the vertices themselves: a fixed box would quantise a
    // larger (scaled) level wrongly and lose its collisions.
    auto* shape = new btBvhTriangleMeshShape(meshInterface, true, true);
    m_collisionShapes.emplace_back(shape);

    btTransform start;
    MakeTransform(&start, object->m_vPosition, object->m_Orientation.m_Quaternion);
    btRigidBody* body = AddBody(0, new btDefaultMotionState(start), shape, btVector3(0, 0, 0));
    body->setFriction(kStaticMeshFriction);
    object->m_pPhysicsBody = body;
    object->m_bStaticMeshBody = 1;
}

void Physics::CreateStaticTriMeshes() {
    for (int i = 0; i < g_Engine.m_iMeshMark; ++i) {
        EObjectSlot* o = &g_Engine.m_Objects[i];
        if (o->m_bUsed && o->Mesh() && (o->m_uFlags & FLAG_STATIC_LEVEL_MESH)) CreateStaticTriMesh(o);
    }
}

// ---- Helpers shared by the truck passes ----------------------------------------------------------

DV Physics::ToMeshFrame(EObjectSlot* object, const DV& world) {
    if (const EMesh* mesh = object->Mesh()) return pmath::TransformPoint(world, mesh->m_InverseWorldMatrix);
    return world - object->m_vPosition;
}

bool Physics::ReadSocket(EObjectSlot* object, const char* name, DV* position, EOrientation* orientation) const {
    return g_Engine.GetObjectSocket(object, name, position, orientation);
}
