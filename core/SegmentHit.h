#pragma once
// The answer to a SegmentQuery: the nearest hit of the mesh tables and, kept apart while the
// query runs, the nearest skinned-mesh hit.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;

// The nearest hit on a skinned mesh's collision elements: the node and the hit zone of the
// element that was hit.
class SkinMeshHit {
public:
    static constexpr int kNodeNameLength = 128;
    static constexpr int kHitZoneNameLength = 64;

    void Clear();

    uint8_t m_bHit = 0;
    EObjectSlot* m_pObject = nullptr;
    DV m_vPoint;
    DV m_vNormal;
    float m_fDistance = 0;
    char m_szNodeName[kNodeNameLength] = {};
    char m_szHitZoneName[kHitZoneNameLength] = {};
};

class SegmentHit {
public:
    SegmentHit();
    // Back to "nothing hit"; the intersection clears the record before each query, so one record
    // serves any number of queries.
    void Clear();

    uint8_t m_bHit;
    // In world space; the normal has unit length.
    DV m_vPoint;
    float m_fDistance;
    DV m_vNormal;
    EObjectSlot* m_pObject;
    // Mesh hits: the face within the mesh and the texture id of the subset that holds it.
    uint32_t m_uFace;
    uint32_t m_uTextureId;
    float m_fValues[2];
    DV m_vStart;
    DV m_vEnd;
    // The hit is on a skinned mesh: its kind (0 body, 1 to 5 from the hit zone) and node.
    uint8_t m_bSkinMesh;
    uint32_t m_uHitKind;
    char m_szNodeName[SkinMeshHit::kNodeNameLength];
    SkinMeshHit m_SkinMeshHit;
};
