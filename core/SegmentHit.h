#pragma once
// The answer to a SegmentQuery: the nearest hit of the mesh tables and, kept apart, the nearest
// skinned-mesh hit. The words without a named meaning belong to the segment intersection.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;

class SkinMeshHit {
public:
    void Clear();

    uint32_t m_bHit = 0;
    void* m_pElement = nullptr;
    DV m_vPoint;
    DV m_vSecondPoint;
    float m_fDistance = 0;
    uint32_t m_uWord = 0;
    uint32_t m_uLastWord = 0;
};

class SegmentHit {
public:
    SegmentHit();
    // Back to "nothing hit"; the intersection clears the record before each query, so one record
    // serves any number of queries.
    void Clear();

    uint32_t m_bHit;
    DV m_vPoint;
    float m_fDistance;
    DV m_vNormal;
    EObjectSlot* m_pObject;
    uint32_t m_uWords[2];
    float m_fValues[2];
    DV m_vStart;
    DV m_vEnd;
    uint32_t m_uWord;
    uint32_t m_uHitKind;
    uint32_t m_uLastWord;
    SkinMeshHit m_SkinMeshHit;
};
