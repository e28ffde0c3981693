#pragma once
// The rigid-body world of the machines on Bullet: simple bodies for loose world objects, one
// static triangle-mesh body per static level mesh, the vehicle types read from
// "scripts\vehicles\*.txt", and the trucks built from them with their wheels, attachments,
// driver, steering wheel, hitch and couplings. Stepped once per game frame; the simulated poses
// are copied back onto the engine objects.
#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "vehicles/Truck.h"
#include "vehicles/VehicleType.h"

class EObjectSlot;
struct RigidBodyPhysicsParams;

// Bullet's discrete world that also tells its actions, so that leaving a world can take out
// whatever is left of them before the bodies go.
class MachineDynamicsWorld : public btDiscreteDynamicsWorld {
public:
    using btDiscreteDynamicsWorld::btDiscreteDynamicsWorld;
    int GetNumActions() const { return m_actions.size(); }
    btActionInterface* GetAction(int i) const { return m_actions[i]; }
};

class Physics {
public:
    static constexpr int kVehicleSlots = 64;
    // One slot stays empty: "MAX_VEHICLES" is 63 types.
    static constexpr uint32_t kMaxVehicles = 63;
    // Static level meshes with a body, at most.
    static constexpr uint32_t kMaxMeshArrays = 4400;

    Physics();
    ~Physics();
    Physics(const Physics&) = delete;
    Physics& operator=(const Physics&) = delete;

    // ---- The world, object bodies and the static level mesh -------------------------------
    // Builds the world, then loads and sorts the vehicle types.
    void Init();
    void Shutdown();
    // The driver-model rotation starts again (world start, menu scene).
    void ResetRunCounters();
    // The frame's step: trailer steering, at most three 1/60 s substeps, poses copied back,
    // machines nobody drives synchronised, then wheels and pistons.
    void Update();
    // Drops every truck still alive, every constraint and action, every body, shape and static
    // mesh of the old world.
    void OnExitWorld();

    // The object's rigid body from the parameters (box or upright cylinder); null params: a box.
    void CreateObjectBody(EObjectSlot* object, const RigidBodyPhysicsParams* params);
    void SetPhysicsParamsBox(EObjectSlot* object, const RigidBodyPhysicsParams* params);
    void SetPhysicsParamsCylinder(EObjectSlot* object, const RigidBodyPhysicsParams* params);
    void RemoveObjectBody(EObjectSlot* object);
    // The object goes: its body and its truck are destroyed.
    void OnDeleteObject(EObjectSlot* object);
    // The engine moved an object that has a body; a static mesh moved once becomes kinematic.
    void SetObjectBodyTransform(EObjectSlot* object, const DV& position, const EOrientation& orientation);
    static void GetBodyTransform(const btRigidBody* body, DV* outPosition, EOrientation* outOrientation);
    static void MakeTransform(btTransform* out, const DV& position, const pmath::Quaternion& rotation);
    // Whether the point, in the mesh's frame, lies in its bounding box (bounds included).
    bool IsPointInObjectBox(const DV* point, EObjectSlot* object) const;
    // Two machines (or bodies) touching within the margin: the point between them.
    bool GetTouchPoint(EObjectSlot* a, EObjectSlot* b, DV* outPoint, float margin) const;
    // One static triangle-mesh body for a static level mesh.
    void CreateStaticTriMesh(EObjectSlot* object);
    void CreateStaticTriMeshes();

    // ---- Vehicle types -------------------------------------------------------------------
    void LoadVehicles();
    void ReadVehicleFile(const char* path, const char* fileName);
    void SortVehicles();
    // The prefab of a random drivable type of the asked kind and class (below 0: any); "" when
    // there is none.
    const char* PickRandomVehicle(bool wantCombine, bool wantTractor, int klasa);
    // A truck for the object when its model file is a vehicle type's prefab.
    void CreateTruckForObject(EObjectSlot* object);

    // ---- Trucks ----------------------------------------------------------------------------
    void CreateTruck(VehicleType* type, EObjectSlot* object);
    void DestroyTruck(EObjectSlot* object);
    // Puts the machine at the pose (0.1 higher), uncoupled, at rest.
    void TeleportTruck(EObjectSlot* object, const DV* position, const pmath::Quaternion* rotation);
    // The wishes reach the wheels (once released), then are cleared: drivers renew them.
    void SetTruckControls(EObjectSlot* object);
    void SetTruckDrive(EObjectSlot* object, float engineForce, float steering);
    void SetTruckBrake(EObjectSlot* object, float brake);
    // The handbrake, held: no drive and at least the parking brake this frame.
    void TruckHookC(EObjectSlot* object, bool held);
    void ReleaseTruckControls(EObjectSlot* object);
    void UnreleaseTruckControls(EObjectSlot* object);
    void SetTruckControlsReleased(EObjectSlot* object, uint8_t released);
    void DisableTruckDeactivation(EObjectSlot* object);
    // Units per second along the machine's front (negative backwards); 0 without a vehicle.
    float GetTruckSpeed(EObjectSlot* object) const;

    // ---- The per-frame truck update and machine sounds -------------------------------------
    // The machine object follows its chassis; false when it was not updated.
    bool SyncTruckObjects(EObjectSlot* object);
    // Wheels, steering wheel, driver, attachments and hitch on their sockets; then a bale in
    // flight, the cube baler's chamber, the implements' lifts and the front loader's arm.
    void UpdateTruckVisuals(EObjectSlot* object);
    void UpdateTruckWheels(EObjectSlot* object);
    void UpdateHitchObject(EObjectSlot* object);
    void StartTruckSound(EObjectSlot* object, const char* file);
    void ReleaseTruckSound(EObjectSlot* object);
    void SetCombineHarvesting(EObjectSlot* object, bool on);
    void ToggleCombineHarvesting(EObjectSlot* object);
    void UpdateMowerSound(EObjectSlot* object);
    void UpdateCombinePipe(EObjectSlot* object);
    void UpdateCombineUnloading(EObjectSlot* object);

    // ---- Hitch and coupling ----------------------------------------------------------------
    void CreateZaczep(VehicleType* type, EObjectSlot* object);
    void CoupleImplement(EObjectSlot* tractor, EObjectSlot* implement);
    void CoupleImplementDirect(EObjectSlot* tractor, EObjectSlot* implement);
    void DetachImplement(EObjectSlot* object);
    // Pins the machine's front axle to the object it is tied to; TruckOdczepOdDummy lets go.
    void TruckPrzyczepDoDummy(EObjectSlot* object);
    void TruckOdczepOdDummy(EObjectSlot* object);
    // A baler's finished bale: on the gate, out of the chamber, then a free body (-1 idle again).
    void EjectBale(EObjectSlot* object);

    // ---- Bales, front loader and implement lifts -------------------------------------------
    // The next bale of a baler, when none is under way.
    void StartBale(EObjectSlot* object);
    // The bale growing in a cube baler's chamber.
    void UpdateCubeBale(EObjectSlot* object);
    // The front loader's arm goes up (picking up a bale first) or down.
    void ToggleFrontLoader(float& frameTime, EObjectSlot* object, uint8_t raise);
    void FrontLoaderGrabBale(EObjectSlot* object);
    void HoldFrontLoaderBale(EObjectSlot* object);
    void FrontLoaderDropBale(EObjectSlot* object);
    void FrontLoaderPushBales(EObjectSlot* object);
    // The arm's state step: push while lowering, raised or lowered once its animation ends.
    void UpdateFrontLoader(EObjectSlot* object);
    // The player's keys: a raised implement is lowered, a lowered one raised.
    void TogglePloughLift(EObjectSlot* object);
    void TogglePlanterLift(EObjectSlot* object);
    void ToggleSeederLift(EObjectSlot* object);
    void UpdatePloughLift(float& frameTime, EObjectSlot* object);
    void UpdatePlanterLift(float& frameTime, EObjectSlot* object);
    void UpdateSeederLift(float& frameTime, EObjectSlot* object);
    void UpdateMowerLift(float& frameTime, EObjectSlot* object);

    // ---- Attachments, driver and steering wheel --------------------------------------------
    void UpdateTruckAttachments(float frameTime, EObjectSlot* object);
    void UpdatePlayerFrontLoader();
    void UpdateSteeringWheel(EObjectSlot* object);
    void UpdateDriver(float frameTime, EObjectSlot* object);
    // Replaces the driver with model index (0..4; above 4 counts as 0) on the "kierowca" socket.
    void CreateDriver(EObjectSlot* object, uint32_t modelIndex, uint8_t playerFlags);
    void UpdatePistons(EObjectSlot* object);
    void UpdateTrailerSteering();
    // The impulse (or a small push down) at a random point near the centre of the object's body
    // and chassis.
    void ApplyImpulseToObject(EObjectSlot* object, const DV* impulse);
    void GetFrontAxlePoint(EObjectSlot* object, DV* out, float distanceAhead, uint8_t worldFrame) const;
    bool ObjectsOverlap(EObjectSlot* a, EObjectSlot* b, float margin) const;
    // The ground under the point; 3.5 above it when no ground is found within 4.
    float GetGroundHeight(const DV* point) const;
    static void TransformToPosOrient(const btTransform& transform, DV* outPosition, EOrientation* outOrientation);
    void SetCombinePipeOut(EObjectSlot* object, uint8_t out);
    void SetCombineUnloading(EObjectSlot* object, uint8_t on);
    // The part's visible bit follows the owner's.
    void SyncAttachmentVisibility(EObjectSlot* owner, EObjectSlot* part);
    void SetObjectTint(EObjectSlot* object, uint32_t colour);
    void GetWheelCentrePoint(EObjectSlot* object, DV* out) const;

    // ---- State -----------------------------------------------------------------------------
    // The engine's frame time of the last step.
    float m_fFrameTime = 0;
    VehicleType m_Vehicles[kVehicleSlots];
    uint32_t m_uVehicleCount = 0;
    std::unique_ptr<btDbvtBroadphase> m_overlappingPairCache;
    std::unique_ptr<btCollisionDispatcher> m_dispatcher;
    std::unique_ptr<btSequentialImpulseConstraintSolver> m_constraintSolver;
    std::unique_ptr<btDefaultCollisionConfiguration> m_collisionConfiguration;
    std::unique_ptr<MachineDynamicsWorld> m_dynamicsWorld;
    // Every shape made here, alive until the world is left (also after their bodies go).
    std::vector<std::unique_ptr<btCollisionShape>> m_collisionShapes;
    std::vector<std::unique_ptr<btTriangleIndexVertexArray>> m_meshInterfaces;
    // Per static mesh: its vertices (x, y, z, 0) and its 32-bit triangle corners.
    std::vector<std::vector<btVector3>> m_VertexArrays;
    std::vector<std::vector<int>> m_IndexArrays;
    // The driver model the next machine gets (0..4).
    uint32_t m_uDriverIndex = 0;

private:
    // A body added to the world with the older series' dynamics: no implicit gyroscopic term.
    btRigidBody* AddBody(float mass, btMotionState* motionState, btCollisionShape* shape, const btVector3& inertia);
    void DeleteBody(btRigidBody* body);
    void DeleteConstraint(btTypedConstraint* constraint);
    // A box in a compound at the offset; both shapes are kept until the world is left.
    btCompoundShape* MakeOffsetBox(const btVector3& halfExtents, const btVector3& offset);
    void ClearMeshArrays();
    // The point from world space into the mesh's own frame.
    static DV ToMeshFrame(EObjectSlot* object, const DV& world);
    bool ReadSocket(EObjectSlot* object, const char* name, DV* position, EOrientation* orientation) const;
    void ApplyImplementTuning(Truck* tractor, Truck* implement, EOrientation* orientation);
    void PlaceWheelOnSocket(Truck* t, uint32_t k);
    void PlaceWheelsOnPartnerSockets(Truck* t);
    void UpdateSpinningAttachment(Truck* t, uint32_t i, float frameTime, const DV& p, EOrientation& o);
    void UpdateSwingingAttachment(Truck* t, uint32_t i, float frameTime, EOrientation& o);
    void ReleaseWheelControls(Truck* t, float brake);
    void CreateAttachmentBody(Truck* t, uint32_t k);
};

extern Physics g_Physics;
