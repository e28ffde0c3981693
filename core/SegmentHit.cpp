#include "core/SegmentHit.h"

void SkinMeshHit::Clear() { *this = SkinMeshHit{}; }

SegmentHit::SegmentHit() {
    m_SkinMeshHit.Clear();
    Clear();
}

void SegmentHit::Clear() {
    m_bHit = 0;
    m_vPoint = {};
    m_fDistance = 0;
    m_vNormal = {};
    m_pObject = nullptr;
    m_uWords[0] = m_uWords[1] = 0;
    m_fValues[0] = m_fValues[1] = 0;
    m_vStart = {};
    m_vEnd = {};
    m_bSkinMesh = 0;
    m_uHitKind = 0;
    m_szNodeName[0] = '\0';
}
