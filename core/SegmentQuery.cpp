#include "core/SegmentQuery.h"

bool IntersectFilterAll(EObjectSlot*, EObjectSlot*) { return false; }

SegmentQuery::SegmentQuery()
    : m_pStart(nullptr), m_pEnd(nullptr), m_pFilter(IntersectFilterAll), m_pFilterArgument(nullptr),
      m_bFirstTable(0), m_bSecondTable(0), m_fSkinMeshRange(5000.0f), m_bFlag(0), m_bSkipSkinMeshes(0) {}
