#pragma once
// The engine's own rigid-body simulation of the world's loose objects: the table of bodies, their
// frame update and contacts. It is started with every world (the inertia-tensor cache reloaded)
// and shut down at its end.
#include <cstdint>
#include <cstdio>

class EObjectSlot;
class ERigidBodyPhysics;

class ERigidBodySimulation {
public:
    static constexpr int kTemporaryObjects = 10;
    // The bytes of a saved body that a load without a body to take them skips.
    static constexpr size_t kSavedBodyBytes = 5120;

    // Empties the table and reloads the inertia-tensor cache.
    bool Init();
    void Shutdown();
    // Writes one 0 byte (no body state is saved); the number of items written.
    uint32_t SaveGame(EObjectSlot* object, FILE* file);
    // Reads the byte SaveGame wrote, and skips a saved body's data.
    void LoadGame(EObjectSlot* object, const char* objectName, FILE* file);
    void RemoveObjectJoints(EObjectSlot* object);
    // Objects are never given bodies from outside: there is none to find or remove.
    ERigidBodyPhysics* GetObjectBody(EObjectSlot* object) { return nullptr; }
    void RemoveObjectBody(EObjectSlot* object) {}

    uint8_t m_bInitialised = 0;
    uint32_t m_uBodies = 0;
    uint32_t m_uActiveBodies = 0;
    EObjectSlot* m_hTemporary[kTemporaryObjects] = {};

private:
    void DeleteTemporaryObjects();
};

extern ERigidBodySimulation g_RigidBodySimulation;
