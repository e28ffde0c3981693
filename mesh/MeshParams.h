#pragma once
// The parameter blocks a world file sets on a mesh object and the mesh keeps.

#include <cstdint>

// Rigid-body physics of a loose mesh object ("rigid_body_physics_..." lines of a world file).
struct RigidBodyPhysicsParams {
    // 0 none, 1 box, 2 cylinder, 3 sphere, 4 mesh hull.
    uint32_t m_uBodyKind = 0;
    float m_fMass = 8.0f;
    uint8_t m_bGeneral = 1;
    uint8_t m_bReactAfterBulletHit = 1;
    uint8_t m_bReactAfterExplosion = 1;
    uint8_t m_bJoint = 0;
    uint8_t m_bDisableAllCollisions = 0;
    uint8_t m_bDisableCollisionsWithOtherPhysics = 0;
    float m_fFrictionCoef = 1.0f;
    float m_fSoundParam = 1.0f;
    // The six collision sounds and the names of the objects it does not collide with.
    char m_szCollisionSounds[6][128] = {};
    char m_szDisableCollisionWith[25][32] = {};
    // The world file's further lines: refusing to wake while many bodies are awake, a joint's
    // value, sockets and object, the object whose actions a hit runs, the body's own sound and
    // its silence, one collision sound with its distance, the construction prefab.
    uint8_t m_bNotImportant = 0;
    float m_fJointValue = 0.0f;
    char m_szJointMySocket[32] = {};
    char m_szJointToObject[32] = {};
    char m_szJointObjectSocket[32] = {};
    char m_szGiveActionTo[32] = {};
    char m_szSoundFileName[256] = {};
    uint8_t m_bSound = 0;
    float m_fSilenceBetweenSounds = 0.0f;
    float m_fCollisionSoundDistance = 0.0f;
    char m_szCollisionSound[256] = {};
    char m_szConstructionPrefab[128] = {};
    // Two presets of the engine's own bodies: the first makes a sphere without speed caps, the
    // second a box with low speed caps that stands up when it falls asleep.
    uint8_t m_bPresets[2] = {};
};

// The "path_generation" line of a world file: held per mesh, read by nothing else.
struct PathGenerationParams {
    uint8_t m_bEnabled = 0;
    float m_fValues[3] = {96.0f, 32.0f, 1536.0f};
    int32_t m_iCount = 2000;
};
