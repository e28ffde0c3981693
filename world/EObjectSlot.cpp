#include "world/EObjectSlot.h"

#include "collision/MeshCollision.h"

CollisionObjectFacts EObjectSlot::CollisionFacts() {
    CollisionObjectFacts facts;
    if (!m_bUsed) return facts;
    facts.flags = m_uFlags;
    facts.flags2 = m_uFlags2;
    facts.indices = &m_CollisionIndices;
    if (const EMesh* mesh = Mesh()) MeshCollisionFacts(*mesh, &facts);
    else if (const ESkinMesh* skin = SkinMesh()) SkinMeshCollisionFacts(*skin, &facts);
    return facts;
}
