#pragma once
// A line-of-sight question: which segment to test and which objects may be hit. The collision
// subsystem's segment intersection reads it and fills a SegmentHit.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;

// Says for each candidate object whether it is tested; the argument is the query's own.
using IntersectFilterFn = bool (*)(EObjectSlot* candidate, EObjectSlot* argument);

// The default filter. Queries recognise it by identity and test every object without calling it;
// called directly it accepts nothing. The filters that read objects are the world's.
bool IntersectFilterAll(EObjectSlot* candidate, EObjectSlot* argument);

class SegmentQuery {
public:
    SegmentQuery();

    // Both end points must outlive the query call.
    const DV* m_pStart;
    const DV* m_pEnd;
    // IntersectFilterAll, the default, is recognised by identity: every object is tested.
    IntersectFilterFn m_pFilter;
    EObjectSlot* m_pFilterArgument;
    uint8_t m_bFirstTable;
    uint8_t m_bSecondTable;
    // A skinned-mesh hit counts only within this distance of the start.
    float m_fSkinMeshRange;
    uint8_t m_bFlag;
    uint8_t m_bSkipSkinMeshes;
};
