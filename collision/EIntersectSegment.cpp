#include "collision/EIntersectSegment.h"

#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"

EIntersectSegment g_IntersectSegment;

bool EIntersectSegment::Intersect(const SegmentQuery* query, SegmentHit* hit) {
    if (!query || !hit) return false;
    hit->Clear();
    hit->m_SkinMeshHit.Clear();
    // No object is registered in the collision tables yet, so no segment hits anything.
    return false;
}

// The tables hold no entries yet: objects are not registered.
void EIntersectSegment::AddEngineObject(EObjectSlot*) {}
void EIntersectSegment::UpdateEngineObject(EObjectSlot*) {}
void EIntersectSegment::RemoveEngineObject(EObjectSlot*) {}
