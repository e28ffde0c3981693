#pragma once
// What the rigid bodies need of the engine objects (world/, above this floor): making and deleting
// the helper objects that carry a body's collision record, reading an object's placement and
// parameter block, and writing a body's placement back. app/ installs them; tests install their
// own. A slot left as it is makes no object and knows none.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;
struct RigidBodyPhysicsParams;

// A mesh object as a body is made from it.
struct RigidBodyObjectFacts {
    // False for lights, skinned meshes and meshes without their mesh.
    bool isMesh = false;
    const char* name = "";
    const char* meshFileName = "";
    DV position;
    // Orientation quaternion (x, y, z, w).
    double q[4] = {0, 0, 0, 1};
    DV scale{1, 1, 1};
    // The mesh's local bounding box.
    DV localMin;
    DV localMax;
    RigidBodyPhysicsParams* params = nullptr;
};

struct RigidBodyHooks {
    // A new mesh object from the file at the placement, with its flags and second flags; null when
    // it cannot be made.
    EObjectSlot* (*createMeshObject)(const char* meshFile, const char* name, const DV& position, const double* q,
                                     const DV& scale, uint32_t flags, uint32_t flags2) =
        [](const char*, const char*, const DV&, const double*, const DV&, uint32_t, uint32_t) -> EObjectSlot* {
        return nullptr;
    };
    void (*deleteObject)(EObjectSlot* object) = [](EObjectSlot*) {};
    bool (*objectFacts)(EObjectSlot* object, RigidBodyObjectFacts* out) = [](EObjectSlot*, RigidBodyObjectFacts*) {
        return false;
    };
    // Moves an object (its collision record follows).
    void (*setTransform)(EObjectSlot* object, const DV& position, const double* q) = [](EObjectSlot*, const DV&,
                                                                                          const double*) {};
    void (*setFlags)(EObjectSlot* object, uint32_t flags) = [](EObjectSlot*, uint32_t) {};
    EObjectSlot* (*findObject)(const char* name) = [](const char*) -> EObjectSlot* { return nullptr; };
    void (*runAction)(const char* objectName) = [](const char*) {};
    // Marks the object of a body that could not be freed from the world it sank into.
    void (*markStuck)(EObjectSlot* object) = [](EObjectSlot*) {};
    // A mesh socket's position in the object's own coordinates; false when it has no such socket.
    bool (*socketPosition)(EObjectSlot* object, const char* socket, DV* out) = [](EObjectSlot*, const char*, DV*) {
        return false;
    };
    // Plays a sound file once at a point, with its base volume (0..1) and hearing distance; false
    // when the sound cannot be made.
    bool (*playSoundAt)(const char* file, const DV& position, float volume, float distance) =
        [](const char*, const DV&, float, float) { return false; };
    // A body's two impact-sound channels: whether one plays, and playing one afresh at an
    // attenuation in dB.
    bool (*impactChannelPlaying)(const void* body, int channel) = [](const void*, int) { return false; };
    void (*playImpactChannel)(const void* body, int channel, float attenuationDb) = [](const void*, int, float) {};
    DV (*cameraPosition)() = [] { return DV{}; };
    // A body's own sound: made from its file as a 3-D sound with its hearing distance and second
    // distance (null when it cannot be made), started once (never looping), asked whether it still
    // plays, moved, and freed with the body.
    void* (*createBodySound)(const char* file, float distance, float secondDistance) = [](const char*, float,
                                                                                          float) -> void* {
        return nullptr;
    };
    void (*playBodySound)(void* sound) = [](void*) {};
    bool (*bodySoundPlaying)(void* sound) = [](void*) { return false; };
    void (*moveBodySound)(void* sound, const DV& position) = [](void*, const DV&) {};
    void (*releaseBodySound)(void* sound) = [](void*) {};
};

inline RigidBodyHooks g_RigidBodyHooks;
