#pragma once
// A collision record: a copy of a static mesh's triangles in its local space with each face's
// bounds and unit normal, and two levels of boxes over them: the object's box, then boxes of at
// most 100 consecutive faces of one subset. Segment queries walk the boxes and faces in local
// space; the world-space copies (vertices, face bounds, face normals) follow the transform and are
// computed only when a world-space reader asks for them.
#include <cstdint>
#include <vector>

#include "collision/CollisionHooks.h"
#include "core/DV.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

// The box min..max through the matrix: its eight corners (numbered as GetBoxCorners numbers them)
// and their bounds.
void TransformBox(const DV& min, const DV& max, const pmath::Matrix& m, DV* corners, DV* outMin, DV* outMax);
// The component-wise least and greatest of two points.
DV LowerCorner(const DV& a, const DV& b);
DV UpperCorner(const DV& a, const DV& b);
// Whether two boxes meet, touching included.
bool BoxesMeet(const DV& minA, const DV& maxA, const DV& minB, const DV& maxB);

struct ECollisionBox {
    DV m_vLocalMin;
    DV m_vLocalMax;
    DV m_vWorldMin;
    DV m_vWorldMax;
    uint32_t m_uFirstFace = 0;
    uint32_t m_uFaces = 0;
    // Carried from the subset's texture; the tests do not consult it (the surface is still hit).
    uint8_t m_bNoIntersect = 0;
    uint32_t m_uAttribId = 0;
    // The texture id of the subset, which a hit on one of the box's faces reports.
    uint32_t m_uTextureId = 0;
};

// The nearest face a segment crosses, in the record's local space.
struct LocalFaceHit {
    uint32_t face = 0;
    // The parameter along the segment (0 at its start, 1 at its end).
    float t = 0.0f;
    DV point;
    DV normal;
    const ECollisionBox* box = nullptr;
};

class ECollisionObject {
public:
    static constexpr uint32_t kFacesPerBox = 100;

    // Copies the geometry into a fresh record owned by owner; false (and the record stays free)
    // when it has no faces or vertices or a face names a vertex it does not have.
    bool Build(EObjectSlot* owner, const CollisionGeometry& geometry);
    // Frees the arrays; the record is free again.
    void Release();
    // Takes the world matrix: the world box, the corners and the boxes' world bounds follow at
    // once, the world faces when next asked for.
    void SetTransform(const pmath::Matrix& world);
    // Brings the world vertices, face bounds and face normals up to the last transform.
    void UpdateWorldFaces();
    // The nearest face the local segment a..b crosses; a later face replaces an earlier one only
    // when strictly nearer. False when none is crossed.
    bool IntersectLocal(const DV& a, const DV& b, LocalFaceHit* hit) const;

    uint8_t m_bUsed = 0;
    EObjectSlot* m_hOwner = nullptr;
    DV m_vLocalMin;
    DV m_vLocalMax;
    DV m_vWorldMin;
    DV m_vWorldMax;
    // The local box's corners in world space, numbered as GetBoxCorners numbers them.
    DV m_vWorldCorners[8];
    uint32_t m_uVertices = 0;
    std::vector<DV> CM_vVerticesLocal;
    std::vector<DV> CM_vVerticesWorld;
    uint32_t m_uFaces = 0;
    std::vector<uint16_t> CM_dwFaces;
    std::vector<DV> CM_vFacesDimMin;
    std::vector<DV> CM_vFacesDimMax;
    std::vector<DV> CM_vFaceLocalNormal;
    std::vector<DV> CM_vFacesAABB_Min;
    std::vector<DV> CM_vFacesAABB_Max;
    std::vector<DV> CM_vFaceNormal;
    uint32_t m_uBoxes = 0;
    std::vector<ECollisionBox> pBoxes;
    // Made from a mesh with a subset table (a hit can then name its subset's texture).
    uint8_t m_bHasSubsets = 0;
    pmath::Matrix m_World = pmath::Identity();
    pmath::Matrix m_InverseWorld = pmath::Identity();
    // A singular transform (a zero scale) flattens the object: nothing can be hit in it.
    uint8_t m_bInvertible = 1;
    uint8_t m_bWorldFacesCurrent = 0;

private:
    void BuildBoxes(const CollisionGeometry& geometry);
    void AddBox(uint32_t firstFace, uint32_t faces, const CollisionSubset* subset);
};
