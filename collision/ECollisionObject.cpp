#include "collision/ECollisionObject.h"

#include <algorithm>
#include <cstring>

#include "core/EDebug.h"
#include "core/IntersectionTests.h"

namespace {

// Every heap array of a record is registered under its own name while it exists.
constexpr const char* kArrayTags[] = {"CM_dwFaces",         "CM_vFacesDimMax",   "CM_vFacesDimMin",
                                      "CM_vFaceLocalNormal", "CM_vFacesAABB_Min", "CM_vFacesAABB_Max",
                                      "CM_vFaceNormal",      "CM_vVerticesLocal", "CM_vVerticesWorld",
                                      "pBoxes"};


// A face's bounds and unit normal (b - a) x (c - a); a face without area has the zero normal.
void DescribeFace(const std::vector<DV>& vertices, const uint16_t* face, DV* min, DV* max, DV* normal) {
    const DV& a = vertices[face[0]];
    const DV& b = vertices[face[1]];
    const DV& c = vertices[face[2]];
    *min = LowerCorner(LowerCorner(a, b), c);
    *max = UpperCorner(UpperCorner(a, b), c);
    *normal = pmath::Normalize(pmath::Cross(b - a, c - a));
}

DV PositionOf(const CollisionGeometry& geometry, uint32_t vertex) {
    float p[3];
    std::memcpy(p, geometry.vertices + static_cast<size_t>(vertex) * geometry.stride, sizeof p);
    return {p[0], p[1], p[2]};
}

bool IndicesInRange(const CollisionGeometry& geometry) {
    const uint16_t* end = geometry.indices + static_cast<size_t>(geometry.faceCount) * 3;
    return std::all_of(geometry.indices, end, [&](uint16_t i) { return i < geometry.vertexCount; });
}

}  // namespace

DV LowerCorner(const DV& a, const DV& b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
DV UpperCorner(const DV& a, const DV& b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }

void TransformBox(const DV& min, const DV& max, const pmath::Matrix& m, DV* corners, DV* outMin, DV* outMax) {
    GetBoxCorners(&min, &max, corners);
    for (int i = 0; i < 8; ++i) {
        corners[i] = pmath::TransformPoint(corners[i], m);
        *outMin = i == 0 ? corners[i] : LowerCorner(*outMin, corners[i]);
        *outMax = i == 0 ? corners[i] : UpperCorner(*outMax, corners[i]);
    }
}

bool BoxesMeet(const DV& minA, const DV& maxA, const DV& minB, const DV& maxB) {
    return minA.x <= maxB.x && minB.x <= maxA.x && minA.y <= maxB.y && minB.y <= maxA.y && minA.z <= maxB.z &&
           minB.z <= maxA.z;
}

bool ECollisionObject::Build(EObjectSlot* owner, const CollisionGeometry& geometry) {
    if (geometry.faceCount == 0 || geometry.vertexCount == 0 || !geometry.vertices || !geometry.indices ||
        geometry.stride < 12 || !IndicesInRange(geometry))
        return false;
    m_bUsed = 1;
    m_hOwner = owner;
    m_uFaces = geometry.faceCount;
    m_uVertices = geometry.vertexCount;
    for (const char* tag : kArrayTags) g_Debug.AddAlloc(tag);
    CM_dwFaces.assign(geometry.indices, geometry.indices + static_cast<size_t>(m_uFaces) * 3);
    CM_vVerticesLocal.resize(m_uVertices);
    for (uint32_t v = 0; v < m_uVertices; ++v) CM_vVerticesLocal[v] = PositionOf(geometry, v);
    CM_vVerticesWorld = CM_vVerticesLocal;
    m_vLocalMin = geometry.localMin;
    m_vLocalMax = geometry.localMax;

    CM_vFacesDimMin.resize(m_uFaces);
    CM_vFacesDimMax.resize(m_uFaces);
    CM_vFaceLocalNormal.resize(m_uFaces);
    for (uint32_t f = 0; f < m_uFaces; ++f)
        DescribeFace(CM_vVerticesLocal, &CM_dwFaces[f * 3], &CM_vFacesDimMin[f], &CM_vFacesDimMax[f],
                     &CM_vFaceLocalNormal[f]);
    CM_vFacesAABB_Min = CM_vFacesDimMin;
    CM_vFacesAABB_Max = CM_vFacesDimMax;
    CM_vFaceNormal = CM_vFaceLocalNormal;
    BuildBoxes(geometry);
    m_bWorldFacesCurrent = 0;
    return true;
}

void ECollisionObject::AddBox(uint32_t firstFace, uint32_t faces, const CollisionSubset* subset) {
    ECollisionBox box;
    box.m_uFirstFace = firstFace;
    box.m_uFaces = faces;
    if (subset) {
        box.m_bNoIntersect = subset->noIntersect;
        box.m_uAttribId = subset->attribId;
        box.m_uTextureId = subset->textureId;
        box.m_vLocalMin = CM_vFacesDimMin[firstFace];
        box.m_vLocalMax = CM_vFacesDimMax[firstFace];
        for (uint32_t f = firstFace + 1; f < firstFace + faces; ++f) {
            box.m_vLocalMin = LowerCorner(box.m_vLocalMin, CM_vFacesDimMin[f]);
            box.m_vLocalMax = UpperCorner(box.m_vLocalMax, CM_vFacesDimMax[f]);
        }
    } else {
        box.m_vLocalMin = m_vLocalMin;
        box.m_vLocalMax = m_vLocalMax;
    }
    box.m_vWorldMin = box.m_vLocalMin;
    box.m_vWorldMax = box.m_vLocalMax;
    pBoxes.push_back(box);
}

void ECollisionObject::BuildBoxes(const CollisionGeometry& geometry) {
    pBoxes.clear();
    m_bHasSubsets = geometry.hasSubsetTable;
    if (!geometry.hasSubsetTable) {
        AddBox(0, m_uFaces, nullptr);
    } else {
        for (uint32_t s = 0; s < std::min(geometry.subsetCount, CollisionGeometry::kMaxSubsets); ++s) {
            const CollisionSubset& subset = geometry.subsets[s];
            // A range that runs past the faces (a damaged table) keeps only the faces that exist.
            if (subset.faceStart >= m_uFaces) continue;
            const uint32_t end = subset.faceStart + std::min(subset.faceCount, m_uFaces - subset.faceStart);
            for (uint32_t first = subset.faceStart; first < end; first += kFacesPerBox)
                AddBox(first, std::min(kFacesPerBox, end - first), &subset);
        }
    }
    m_uBoxes = static_cast<uint32_t>(pBoxes.size());
}

void ECollisionObject::Release() {
    if (!m_bUsed) return;
    for (const char* tag : kArrayTags) g_Debug.RemoveAlloc(tag);
    *this = ECollisionObject{};
}

void ECollisionObject::SetTransform(const pmath::Matrix& world) {
    m_World = world;
    m_bInvertible = pmath::Inverse(world, &m_InverseWorld) ? 1 : 0;
    TransformBox(m_vLocalMin, m_vLocalMax, world, m_vWorldCorners, &m_vWorldMin, &m_vWorldMax);
    DV corners[8];
    for (ECollisionBox& box : pBoxes)
        TransformBox(box.m_vLocalMin, box.m_vLocalMax, world, corners, &box.m_vWorldMin, &box.m_vWorldMax);
    m_bWorldFacesCurrent = 0;
}

void ECollisionObject::UpdateWorldFaces() {
    if (m_bWorldFacesCurrent || !m_bUsed) return;
    for (uint32_t v = 0; v < m_uVertices; ++v) CM_vVerticesWorld[v] = pmath::TransformPoint(CM_vVerticesLocal[v], m_World);
    for (uint32_t f = 0; f < m_uFaces; ++f)
        DescribeFace(CM_vVerticesWorld, &CM_dwFaces[f * 3], &CM_vFacesAABB_Min[f], &CM_vFacesAABB_Max[f],
                     &CM_vFaceNormal[f]);
    m_bWorldFacesCurrent = 1;
}

bool ECollisionObject::IntersectLocal(const DV& a, const DV& b, LocalFaceHit* hit) const {
    const DV segmentMin = LowerCorner(a, b);
    const DV segmentMax = UpperCorner(a, b);
    bool found = false;
    for (const ECollisionBox& box : pBoxes) {
        if (!BoxesMeet(box.m_vLocalMin, box.m_vLocalMax, segmentMin, segmentMax)) continue;
        if (!SegmentAABBIntersect(&a, &b, &box.m_vLocalMin, &box.m_vLocalMax)) continue;
        for (uint32_t f = box.m_uFirstFace; f < box.m_uFirstFace + box.m_uFaces; ++f) {
            if (!BoxesMeet(CM_vFacesDimMin[f], CM_vFacesDimMax[f], segmentMin, segmentMax)) continue;
            DV point;
            float t = 0.0f;
            const uint16_t* face = &CM_dwFaces[f * 3];
            if (!SegmentTriangleHit(&a, &b, &CM_vVerticesLocal[face[0]], &CM_vVerticesLocal[face[1]],
                                    &CM_vVerticesLocal[face[2]], &point, &t))
                continue;
            if (found && !(t < hit->t)) continue;
            found = true;
            *hit = {f, t, point, CM_vFaceLocalNormal[f], &box};
        }
    }
    return found;
}
