#include "world/IntersectFilters.h"

#include "collision/EIntersectSegment.h"
#include "core/SegmentQuery.h"
#include "world/EObjectSlot.h"

namespace {

constexpr uint32_t kFlagPhysicsPart = 0x2000000;
constexpr uint32_t kClassBit8 = 0x8;
constexpr uint32_t kClassBit2000 = 0x2000;

bool Excluded(const EObjectSlot* c) { return c == g_IntersectSegment.m_pExcluded; }
bool MeshKind(const EObjectSlot* c) { return c->Type == OT_MESH || c->Type == OT_SKINMESH; }
// An object whose action block fires is a trigger, not a surface.
bool ActionMarkerClear(const EObjectSlot* c) { return !c->m_pActionParams || !c->m_pActionParams->m_uEnabled; }

}  // namespace

bool IntersectFilterNotClass128(EObjectSlot* c, EObjectSlot*) {
    return c && !Excluded(c) && c->m_uFlags3 != 128 && ActionMarkerClear(c);
}

bool IntersectFilterOnlyTarget(EObjectSlot* c, EObjectSlot* o) { return c && !Excluded(c) && c == o; }

bool IntersectFilterSolidMeshes(EObjectSlot* c, EObjectSlot* o) {
    return c && !Excluded(c) && c != o && MeshKind(c) && ActionMarkerClear(c) && !c->m_bExcluded &&
           !(c->m_uFlags & kFlagPhysicsPart) && !(c->m_uFlags3 & kClassBit8) && !(c->m_uFlags3 & kClassBit2000);
}

bool IntersectFilterNotSkinMeshNotClass8(EObjectSlot* c, EObjectSlot* o) {
    return c && !Excluded(c) && c != o && c->Type != OT_SKINMESH && c->m_uFlags3 != 8 && ActionMarkerClear(c);
}

bool IntersectFilterNotIgnoredAlive(EObjectSlot* c, EObjectSlot* o) { return c && c != o && ActionMarkerClear(c); }

bool IntersectFilterNotIgnoredActive(EObjectSlot* c, EObjectSlot* o) {
    const strActionParams* a = c ? c->m_pActionParams : nullptr;
    return c && c != o && (!a || (!a->m_uEnabled && !a->m_uOnTouch));
}

bool IntersectFilterMeshOrSkinMeshAlive(EObjectSlot* c, EObjectSlot* o) {
    return c && !Excluded(c) && c != o && MeshKind(c) && ActionMarkerClear(c);
}

bool IntersectFilterStaticMeshes(EObjectSlot* c, EObjectSlot* o) {
    return c && !Excluded(c) && c != o && c->Type == OT_MESH && c->m_uFlags3 != 2 && c->m_uFlags3 != 32 &&
           !(c->m_uFlags3 & kClassBit8) && ActionMarkerClear(c);
}

bool IntersectFilterFlagged(EObjectSlot* c, EObjectSlot* o) {
    return c && c != o && !c->m_hTruck && (c->m_uFlags & FLAG_STATIC_LEVEL_MESH);
}

bool IntersectFilterOnlyTargetAny(EObjectSlot* c, EObjectSlot* o) { return c && c == o; }

bool IntersectFilterNotClass8192Or16384(EObjectSlot* c, EObjectSlot* o) {
    return c && c != o && !c->m_bVehicleMark && c->m_uFlags3 != 16384 && c->m_uFlags3 != 8192;
}

bool IntersectFilterConfigurable(EObjectSlot* c, EObjectSlot*) {
    const RayFilter& f = g_RayFilter;
    const uint32_t k = c ? c->m_uFlags3 : 0;
    return c && c != f.m_pExcluded1 && c != f.m_pExcluded2 && !(f.m_bSkipClass4 && k == 4) &&
           !(f.m_bSkipClasses2And32 && (k == 2 || k == 32)) && !(f.m_bSkipClass16 && k == 16) && ActionMarkerClear(c) &&
           !c->m_bDead;
}
