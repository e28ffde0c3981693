#pragma once
// The engine's own rigid-body simulation of the world's loose objects: the table of bodies, their
// frame update, their steps against the world and the answers to their contacts. It is started
// with every world (the inertia-tensor cache reloaded) and shut down at its end.
#include <cstdint>
#include <cstdio>

#include "collision/ERigidBodyPhysics.h"

class EObjectSlot;

class ERigidBodySimulation {
public:
    static constexpr uint32_t kMaxBodies = 1000;
    static constexpr int kTemporaryObjects = 10;
    // The bytes of a saved body that a load without a body to take them skips.
    static constexpr size_t kSavedBodyBytes = 5120;
    static constexpr uint32_t kMaxCollidingContacts = 48;
    static constexpr uint32_t kMaxRestingContacts = 100;
    // Step results: a body that cannot be freed from a penetration, and a step ending without a
    // contact; otherwise the step reports the time advanced.
    enum StepResult : uint32_t { STEP_MOVED = 0, STEP_STUCK = 4, STEP_NO_CONTACT = 5 };

    struct BodySlot {
        uint8_t used = 0;
        uint8_t finished = 0;
        // The current state and the three before it, taken at each pass.
        RigidBodyState states[4];
        ERigidBodyPhysics* body = nullptr;
        uint32_t stepResult = 0;
    };

    ERigidBodySimulation() = default;
    ~ERigidBodySimulation() { ReleaseBodies(); }
    ERigidBodySimulation(const ERigidBodySimulation&) = delete;
    ERigidBodySimulation& operator=(const ERigidBodySimulation&) = delete;

    // Empties the table and reloads the inertia-tensor cache.
    bool Init();
    void Shutdown();
    // Writes one 0 byte (no body state is saved); the number of items written.
    uint32_t SaveGame(EObjectSlot* object, FILE* file);
    // Reads the byte SaveGame wrote, and skips a saved body's data.
    void LoadGame(EObjectSlot* object, const char* objectName, FILE* file);
    void RemoveObjectJoints(EObjectSlot* object);
    // Makes a body for a mesh object in a free slot; null when it has none or the table is full.
    ERigidBodyPhysics* AddBody(EObjectSlot* object);
    ERigidBodyPhysics* GetObjectBody(EObjectSlot* object) const;
    void RemoveObjectBody(EObjectSlot* object);
    // The body whose helper object this is, and whether the object is a body's own object.
    ERigidBodyPhysics* BodyOfConstruction(EObjectSlot* object) const;
    bool IsBodyObject(EObjectSlot* object) const;
    // The slot index of a body; -1 for a body not in the table.
    int SlotOf(const ERigidBodyPhysics* body) const;
    // One frame of dt seconds (at most 0.1 are simulated).
    void Update(double dt);
    // Steps a body from t over h; the result and the time it advanced.
    uint32_t StepBody(uint32_t slot, double t, double h, double* advanced);
    // Sorts the report's contacts into the colliding list; separating ones are dropped.
    void ClassifyContacts(const RigidBodyContactReport& report, bool trace);
    // Impulses that stop the colliding contacts approaching; false when the solver fails.
    bool ResolveCollisions();
    // Impulses that stop the resting contacts approaching, solved together.
    void ResolveRestingContacts();
    // The body's collision sounds for the colliding contacts: one of its named sounds at each
    // contact approaching fast enough, at most every 0.15 s.
    void GenerateSoundsFromCollisions_VER_2(ERigidBodyPhysics* body);
    // The body's impact sounds on its two channels, attenuated by strength and camera distance.
    void GenerateImpactSounds(ERigidBodyPhysics* body);

    uint8_t m_bInitialised = 0;
    uint32_t m_uBodies = 0;
    BodySlot m_Slots[kMaxBodies];
    RigidBodyContactReport m_Colliding;
    RigidBodyContactReport m_RestingRaport;
    uint32_t m_uActiveBodies = 0;
    EObjectSlot* m_hTemporary[kTemporaryObjects] = {};
    uint32_t m_uBodiesStepped = 0;

private:
    void DeleteTemporaryObjects();
    void ReleaseBodies();
    bool KeepAwake(BodySlot& slot);
    bool JoinedToGeneralBody(const ERigidBodyPhysics* body) const;
    void JointPass();
    bool FreeFromPenetration(ERigidBodyPhysics* body, RigidBodyState* state);
    // Moves of a fixed length along the six axis directions in a random order; the first free one
    // is kept.
    bool TryUnstickMoves(ERigidBodyPhysics* body, RigidBodyState* state);
    void ResolveOneByOne();
    // Takes a share of the spin off a body that a gentle colliding step left nearly still.
    void SettleSpin(ERigidBodyPhysics* body);
    // The change of contact i's relative normal speed per unit impulse along contact j's normal.
    double ImpulseResponse(const RigidBodyContact& ci, const RigidBodyContact& cj) const;
    void ApplyContactImpulse(const RigidBodyContact& c, double magnitude);
    RigidBodyContactReport m_Report;
};

extern ERigidBodySimulation g_RigidBodySimulation;
