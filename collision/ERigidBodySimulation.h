#pragma once
// The engine's own rigid-body simulation, started with every world and shut down at its end.

class ERigidBodySimulation {
public:
    void Init();
    void Shutdown();
};

extern ERigidBodySimulation g_RigidBodySimulation;
