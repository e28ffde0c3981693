#pragma once
// The rigid-body world of the machines: object bodies, trucks and the static level mesh.
#include "core/DV.h"
#include "core/EOrientation.h"

class EObjectSlot;
struct RigidBodyPhysicsParams;

class Physics {
public:
    void Init();
    void Shutdown();
    // Drops every body, shape and static mesh of the old world.
    void OnExitWorld();
    void ResetRunCounters();

    // A truck for the object when its model file is a vehicle type's.
    void CreateTruckForObject(EObjectSlot* object);
    // The object's rigid body from the parameters (or the mesh's own); kept in the object.
    void CreateObjectBody(EObjectSlot* object, const RigidBodyPhysicsParams* params);
    void RemoveObjectBody(EObjectSlot* object);
    void SetObjectBodyTransform(EObjectSlot* object, const DV& position, const EOrientation& orientation);
    void ApplyImpulseToObject(EObjectSlot* object, const DV& impulse);
    // The object goes: its body and its truck are destroyed.
    void OnDeleteObject(EObjectSlot* object);

    // A truck handed to its path marker: controls released, never asleep, hitched and unhitched.
    void ReleaseTruckControls(EObjectSlot* object);
    void DisableTruckDeactivation(EObjectSlot* object);
    void TruckPrzyczepDoDummy(EObjectSlot* object);
    void TruckOdczepOdDummy(EObjectSlot* object);
    void SetTruckDrive(EObjectSlot* object, float force, float steering);
    void SetTruckBrake(EObjectSlot* object, float brake);
    void SetTruckControls(EObjectSlot* object);
    void UpdatePlayerFrontLoader();
};

extern Physics g_Physics;
