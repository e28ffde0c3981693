#include "world/IntersectFilters.h"

#include "collision/EIntersectSegment.h"
#include "world/EObjectSlot.h"

namespace {
constexpr uint32_t kClassNeverHit = 128;
}

bool IntersectFilterNotClass128(EObjectSlot* candidate, EObjectSlot*) {
    return candidate && candidate != g_IntersectSegment.m_pExcluded && candidate->m_uClass != kClassNeverHit;
}
