#pragma once
// The engine fixture with the collision subsystem wired as the program wires it: mesh objects
// loaded from their model files are found by segment queries and finders where they stand.
#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "collision/MeshCollision.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "world/EngineFixture.h"

namespace test {

inline void InstallCollisionHooks() {
    ResetGlobal(g_IntersectSegment);
    g_MeshMgr.ReleaseAll();
    g_MeshHooks.ownerPlacement = [](const EObjectSlot* o) {
        MeshOwnerPlacement placement;
        placement.position = o->m_vPosition;
        return placement;
    };
    g_MeshHooks.ownerTransformed = [](EObjectSlot* o, const DV&, const pmath::Quaternion&) {
        g_IntersectSegment.UpdateEngineObject(o);
        g_CollisionMgr.UpdateObject(o);
    };
    g_CollisionHooks.objectFacts = [](EObjectSlot* o) { return o->CollisionFacts(); };
    g_CollisionHooks.objectGeometry = [](EObjectSlot* o, CollisionGeometry* out) {
        return o->Mesh() && MeshCollisionGeometry(*o->Mesh(), out);
    };
    g_CollisionHooks.forEachObject = [](void (*visit)(EObjectSlot*, void*), void* context) {
        for (EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed) visit(&o, context);
    };
}

// After the engine fixture's tear-down.
inline void RemoveCollisionHooks() {
    g_MeshMgr.ReleaseAll();
    g_MeshHooks = MeshHooks{};
    g_CollisionHooks = CollisionHooks{};
    ResetGlobal(g_CollisionMgr);
    ResetGlobal(g_IntersectSegment);
}

}  // namespace test
