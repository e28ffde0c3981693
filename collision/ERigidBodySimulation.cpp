#include "collision/ERigidBodySimulation.h"

ERigidBodySimulation g_RigidBodySimulation;

// No body of the simulation is ever made yet, so there is nothing to start or stop.
void ERigidBodySimulation::Init() {}
void ERigidBodySimulation::Shutdown() {}
