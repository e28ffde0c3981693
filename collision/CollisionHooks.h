#pragma once
// What collision needs of the engine objects (world/, above this floor). Collision holds objects
// only as opaque pointers: what it reads of one (its kind, flags, placement and triangles) comes
// through these slots, asked when the object is added, moves or changes its flags. app/ installs
// them at start-up; tests install their own. A slot left as it is knows no object.
#include <cstdint>

#include "core/DV.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

// Where an object's entries in the collision tables are. The engine object carries it and
// collision alone writes it.
struct CollisionIndices {
    // The collision record; 0 means none.
    uint32_t m_uCollisionIndex = 0;
    // The intersect table's entry (for a skinned mesh, the skinned-mesh table's) and the
    // can-see-through table's entry.
    uint32_t m_uIntersectIndex = 0;
    uint32_t m_uCanSeeThruIndex = 0;
    // The first of the object's touch entries (one per finder that may touch it); -1: none.
    int32_t m_iFirstTouch = -1;
};

// An object as collision sees it at the moment of asking.
struct CollisionObjectFacts {
    enum Kind : uint8_t { NONE, MESH, SKINMESH };

    // NONE for lights, for meshes without their mesh and for free slots.
    Kind kind = NONE;
    uint32_t flags = 0;
    uint32_t flags2 = 0;
    CollisionIndices* indices = nullptr;
    // The world box of the mesh or skinned mesh.
    DV worldMin;
    DV worldMax;
    // The sphere that holds everything that can be hit: for a mesh its position and the squared
    // probe radius, for a skinned mesh its position and radius.
    DV centre;
    float radiusSq = 0.0f;
    float radius = 0.0f;
    // A mesh's world matrix (row vectors: a local point p is p * world).
    pmath::Matrix world = pmath::Identity();
};

// A run of consecutive faces of one material.
struct CollisionSubset {
    uint32_t attribId = 0;
    uint32_t faceStart = 0;
    uint32_t faceCount = 0;
    uint32_t textureId = 0;
    uint8_t noIntersect = 0;
};

// A mesh's triangles as collision copies them into its record: the arrays are read during the
// call only.
struct CollisionGeometry {
    static constexpr uint32_t kMaxSubsets = 256;

    // The position is the first three floats of each vertex.
    const uint8_t* vertices = nullptr;
    uint32_t vertexCount = 0;
    uint32_t stride = 12;
    // Three per face.
    const uint16_t* indices = nullptr;
    uint32_t faceCount = 0;
    DV localMin;
    DV localMax;
    // Without a subset table every face lies in one box.
    uint8_t hasSubsetTable = 0;
    uint32_t subsetCount = 0;
    CollisionSubset subsets[kMaxSubsets];
};

struct CollisionHooks {
    CollisionObjectFacts (*objectFacts)(EObjectSlot* object) = [](EObjectSlot*) { return CollisionObjectFacts{}; };
    // A mesh object's triangles; false when it has none to give.
    bool (*objectGeometry)(EObjectSlot* object, CollisionGeometry* out) = [](EObjectSlot*, CollisionGeometry*) {
        return false;
    };
    // Calls visit for every object in use, in the engine's slot order.
    void (*forEachObject)(void (*visit)(EObjectSlot* object, void* context), void* context) =
        [](void (*)(EObjectSlot*, void*), void*) {};
};

inline CollisionHooks g_CollisionHooks;
