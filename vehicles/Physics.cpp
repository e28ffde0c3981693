#include "vehicles/Physics.h"

Physics g_Physics;

// The machines' world is not built yet: no vehicle type, body or truck exists, so every request
// finds nothing to make, move or remove.
void Physics::Init() {}
void Physics::Shutdown() {}
void Physics::OnExitWorld() {}
void Physics::ResetRunCounters() {}
void Physics::CreateTruckForObject(EObjectSlot*) {}
void Physics::CreateObjectBody(EObjectSlot*, const RigidBodyPhysicsParams*) {}
void Physics::RemoveObjectBody(EObjectSlot*) {}
void Physics::SetObjectBodyTransform(EObjectSlot*, const DV&, const EOrientation&) {}
void Physics::ApplyImpulseToObject(EObjectSlot*, const DV&) {}
void Physics::OnDeleteObject(EObjectSlot*) {}
void Physics::ReleaseTruckControls(EObjectSlot*) {}
void Physics::DisableTruckDeactivation(EObjectSlot*) {}
void Physics::TruckPrzyczepDoDummy(EObjectSlot*) {}
void Physics::TruckOdczepOdDummy(EObjectSlot*) {}
void Physics::SetTruckDrive(EObjectSlot*, float, float) {}
void Physics::SetTruckBrake(EObjectSlot*, float) {}
void Physics::SetTruckControls(EObjectSlot*) {}
void Physics::UpdatePlayerFrontLoader() {}
