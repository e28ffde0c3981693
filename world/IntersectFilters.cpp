#include "world/IntersectFilters.h"

#include "collision/EIntersectSegment.h"
#include "world/EObjectSlot.h"

namespace {
constexpr uint32_t kClassNeverHit = 128;
}

bool IntersectFilterNotClass128(EObjectSlot* candidate, EObjectSlot*) {
    return candidate && candidate != g_IntersectSegment.m_pExcluded && candidate->m_uClass != kClassNeverHit;
}

bool IntersectFilterFlagged(EObjectSlot* candidate, EObjectSlot* argument) {
    return candidate && candidate != argument && !candidate->m_hTruck && (candidate->m_uFlags & FLAG_STATIC_LEVEL_MESH);
}
