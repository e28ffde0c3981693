#pragma once
// What the static and skinned meshes need of the engine objects that own them (world/, above this
// floor), and what the segment queries (collision/) ask of an object's mesh.
// app/ installs every slot at start-up; tests install their own. A slot left as it is answers as
// if the object had nothing to say: no placement, no mesh, nothing to tell.
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Quaternion.h"
#include "render/DrawRecord.h"

class EMesh;
class EObjectSlot;
class ESkinMesh;
struct CharacterCollisionTriangle;

// The placement a mesh reads from its object.
struct MeshOwnerPlacement {
    DV position;
    // The object's three extra rotation angles, in degrees.
    float extraAngles[3] = {0.0f, 0.0f, 0.0f};
};

struct MeshHooks {
    // The object's visibility, which the renderer's lists read for the mesh's subsets.
    const DrawVisibility* (*ownerVisibility)(const EObjectSlot* owner) = [](const EObjectSlot*) -> const DrawVisibility* {
        return nullptr;
    };
    MeshOwnerPlacement (*ownerPlacement)(const EObjectSlot* owner) = [](const EObjectSlot*) { return MeshOwnerPlacement{}; };
    // The mesh's world transform changed: the object takes its scale and final rotation, and the
    // collision records and segment tables learn that it moved.
    void (*ownerTransformed)(EObjectSlot* owner, const DV& scale, const pmath::Quaternion& rotation) =
        [](EObjectSlot*, const DV&, const pmath::Quaternion&) {};
    void (*setOwnerRadius)(EObjectSlot* owner, float radius) = [](EObjectSlot*, float) {};
    // The segment against the collision boxes of the object's collision record.
    bool (*segmentHitsCollisionBoxes)(const EObjectSlot* owner, const DV* a, const DV* b) =
        [](const EObjectSlot*, const DV*, const DV*) { return false; };
    // The static mesh of an object in use of the mesh kind; null for any other object.
    EMesh* (*objectMesh)(const EObjectSlot* object) = [](const EObjectSlot*) -> EMesh* { return nullptr; };
    // The object's copy of its model's subset map (256 bytes) and its level-of-detail byte.
    void (*setObjectSubsetMap)(EObjectSlot* object, const uint8_t* map) = [](EObjectSlot*, const uint8_t*) {};
    void (*setObjectLod)(EObjectSlot* object, uint8_t lod) = [](EObjectSlot*, uint8_t) {};
    // What a skinned mesh reads of its object: the class word (which decides whether and how long
    // it animates and whether it is drawn), the flags word and the name (for messages).
    uint32_t (*ownerClass)(const EObjectSlot* owner) = [](const EObjectSlot*) { return 0u; };
    uint32_t (*ownerFlags)(const EObjectSlot* owner) = [](const EObjectSlot*) { return 0u; };
    uint32_t (*ownerFlags2)(const EObjectSlot* owner) = [](const EObjectSlot*) { return 0u; };
    const char* (*ownerName)(const EObjectSlot* owner) = [](const EObjectSlot*) { return ""; };
    // The skinned mesh of an object in use of the skinned kind; null for any other object.
    ESkinMesh* (*objectSkinMesh)(const EObjectSlot* object) = [](const EObjectSlot*) -> ESkinMesh* { return nullptr; };

    // The ragdoll's view of the world. The object the player's machine is (null when there is
    // none), whose triangles the gathering leaves out by clearing its flag bit 2 for the time of
    // the gathering.
    EObjectSlot* (*excludedObject)() = []() -> EObjectSlot* { return nullptr; };
    void (*setOwnerFlags)(EObjectSlot* owner, uint32_t flags) = [](EObjectSlot*, uint32_t) {};
    // The world triangles touching the box, at most capacity of them, through the box finder kept
    // in *finder (made by the first call, moved by later ones); how many were delivered.
    uint32_t (*gatherTriangles)(void** finder, const DV& min, const DV& max, CharacterCollisionTriangle* out,
                                uint32_t capacity) = [](void**, const DV&, const DV&, CharacterCollisionTriangle*,
                                                        uint32_t) { return 0u; };
    void (*removeTriangleFinder)(void* finder) = [](void*) {};

    // The skinned mesh is being torn down: the rigid-box body it owns (world/) is released with it.
    void (*releaseCharacterBody)(const ESkinMesh* mesh) = [](const ESkinMesh*) {};
};

inline MeshHooks g_MeshHooks;
