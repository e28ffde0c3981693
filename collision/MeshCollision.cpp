#include "collision/MeshCollision.h"

#include <algorithm>
#include <cmath>

#include "mesh/EMesh.h"
#include "mesh/EMeshMgr.h"
#include "mesh/ESkinMesh.h"

void MeshCollisionFacts(const EMesh& mesh, CollisionObjectFacts* facts) {
    facts->kind = CollisionObjectFacts::MESH;
    facts->worldMin = mesh.m_vWorldMin;
    facts->worldMax = mesh.m_vWorldMax;
    facts->centre = mesh.m_vPosition;
    facts->radiusSq = mesh.m_fScaledProbeRadiusSq;
    facts->radius = std::sqrt(mesh.m_fScaledProbeRadiusSq);
    facts->world = mesh.m_WorldMatrix;
}

void SkinMeshCollisionFacts(const ESkinMesh& skin, CollisionObjectFacts* facts) {
    facts->kind = CollisionObjectFacts::SKINMESH;
    const auto r = static_cast<float>(skin.m_dRadius);
    facts->centre = skin.m_vPosition;
    facts->radius = r;
    facts->radiusSq = r * r;
    facts->worldMin = skin.m_vPosition - DV{r, r, r};
    facts->worldMax = skin.m_vPosition + DV{r, r, r};
}

bool MeshCollisionGeometry(const EMesh& mesh, CollisionGeometry* out) {
    const xfile::Mesh* geometry = mesh.m_pMesh;
    if (!geometry) return false;
    out->vertices = geometry->VertexData();
    out->vertexCount = geometry->GetNumVertices();
    out->stride = geometry->GetNumBytesPerVertex();
    out->indices = geometry->IndexData();
    out->faceCount = geometry->GetNumFaces();
    out->localMin = mesh.m_vMin;
    out->localMax = mesh.m_vMax;
    const strmesh* record = mesh.m_pRecord;
    out->hasSubsetTable = record ? 1 : 0;
    out->subsetCount = record ? std::min(record->m_uAttribTableSize, CollisionGeometry::kMaxSubsets) : 0;
    for (uint32_t i = 0; i < out->subsetCount; ++i) {
        const xfile::AttributeRange& range = record->m_AttribTable[i];
        CollisionSubset& subset = out->subsets[i];
        subset.attribId = range.AttribId;
        subset.faceStart = range.FaceStart;
        subset.faceCount = range.FaceCount;
        const bool known = range.AttribId < static_cast<uint32_t>(EMesh::kMaxSubsets);
        subset.textureId = known ? mesh.m_uTextureIds[range.AttribId] : 0;
        subset.noIntersect = known ? mesh.m_bNoIntersectSubset[range.AttribId] : 0;
    }
    return true;
}
