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
    // Search the objects that can be seen through (dead or see-through meshes) instead of the
    // solid ones.
    uint8_t m_bCanSeeThru;
    // Skinned meshes farther from the start than the coarse distance are hit at their centre,
    // by their bounding sphere alone.
    uint8_t m_bCoarse;
    float m_fCoarseDistance;
    uint8_t m_bReserved;
    // Search the marker table alone, and no skinned meshes.
    uint8_t m_bMarkers;
};

// The state of IntersectFilterConfigurable: whoever queries with it sets all five fields right
// before the query.
struct RayFilter {
    EObjectSlot* m_pExcluded1 = nullptr;
    EObjectSlot* m_pExcluded2 = nullptr;
    uint8_t m_bSkipClass4 = 0;
    uint8_t m_bSkipClasses2And32 = 0;
    uint8_t m_bSkipClass16 = 0;
};

inline RayFilter g_RayFilter;
