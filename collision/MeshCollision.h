#pragma once
// What collision reads of a static mesh or a skinned mesh, for whoever answers the collision
// hooks about the objects that own them.
#include "collision/CollisionHooks.h"

class EMesh;
class ESkinMesh;

// The mesh's world box, probe sphere and world matrix, as its last world transform left them.
void MeshCollisionFacts(const EMesh& mesh, CollisionObjectFacts* facts);
// The skinned mesh's bounding sphere, and the box around it.
void SkinMeshCollisionFacts(const ESkinMesh& skin, CollisionObjectFacts* facts);
// The mesh's vertices, faces, local box and subsets (with their texture ids and no-intersect
// flags); false when the mesh has no geometry.
bool MeshCollisionGeometry(const EMesh& mesh, CollisionGeometry* out);
