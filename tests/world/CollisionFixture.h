#pragma once
// The engine fixture with the collision subsystem wired as the program wires it: mesh objects
// loaded from their model files are found by segment queries and finders where they stand.
#include <string>

#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "collision/EIntersectSegment.h"
#include "collision/MeshCollision.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/MeshHooks.h"
#include "world/EngineFixture.h"

namespace test {

// The model of a quad with both faces, so that segments from either side meet it. Its material
// names a texture, which makes its faces ones that segments can hit.
inline std::string SolidQuad(const DV& a, const DV& b, const DV& c, const DV& d) {
    auto v = [](const DV& p) {
        return std::to_string(p.x) + ";" + std::to_string(p.y) + ";" + std::to_string(p.z) + ";";
    };
    return "xof 0303txt 0032\nMesh {\n 4;\n " + v(a) + ",\n " + v(b) + ",\n " + v(c) + ",\n " + v(d) +
           ";\n 2;\n 4;0,1,2,3;,\n 4;3,2,1,0;;\n MeshMaterialList {\n  1;\n  2;\n  0,0;;\n"
           "  Material { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"solid.tga\"; } }\n"
           " }\n}\n";
}

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
