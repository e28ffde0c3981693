#include "core/SegmentQuery.h"

bool IntersectFilterAll(EObjectSlot*, EObjectSlot*) { return false; }

SegmentQuery::SegmentQuery()
    : m_pStart(nullptr), m_pEnd(nullptr), m_pFilter(IntersectFilterAll), m_pFilterArgument(nullptr),
      m_bCanSeeThru(0), m_bCoarse(0), m_fCoarseDistance(5000.0f), m_bReserved(0), m_bMarkers(0) {}
