#include "collision/EIntersectSegment.h"

#include <algorithm>
#include <cstdio>

#include "core/EConsole.h"
#include "core/GeometryHelpers.h"
#include "core/IntersectionTests.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshHooks.h"

EIntersectSegment g_IntersectSegment;

namespace {

constexpr uint32_t kFlagCanSeeThrough = 0x80;
constexpr uint32_t kFlag2NotSeenThrough = 0x1000;
constexpr uint32_t kFlag2NeverHit = 0x10000;

// The kind of a skinned hit by its zone's name: head, left and right arm, left and right leg.
uint32_t HitKind(const char* zone) {
    const size_t n = std::char_traits<char>::length(zone);
    if (n > 0 && zone[0] == 'g') return 1;
    if (n > 5 && zone[0] == 'l') return zone[5] == 'r' ? 2 : zone[5] == 'n' ? 4 : 0;
    if (n > 6 && zone[0] == 'p') return zone[6] == 'r' ? 3 : zone[6] == 'n' ? 5 : 0;
    return 0;
}

bool BoxesMeet(const DV& aMin, const DV& aMax, const DV& bMin, const DV& bMax) {
    return aMin.x <= bMax.x && aMax.x >= bMin.x && aMin.y <= bMax.y && aMax.y >= bMin.y && aMin.z <= bMax.z &&
           aMax.z >= bMin.z;
}

// The skinned meshes the segment may hit, nearest first: by their collision elements, or far away
// under the coarse switch by their bounding sphere alone.
void TestSkinMeshes(const SegmentQuery& q, const std::vector<EObjectSlot*>& objects, const SkinMeshSegment& s,
                    SkinMeshHit& hit) {
    for (EObjectSlot* o : objects) {
        ESkinMesh* skin = g_MeshHooks.objectSkinMesh(o);
        if (!skin) continue;
        const uint32_t flags = g_MeshHooks.ownerFlags(o), flags2 = g_MeshHooks.ownerFlags2(o);
        if ((q.m_bFirstTable ? (flags2 & kFlag2NotSeenThrough) : (flags & kFlagCanSeeThrough)) || (flags2 & kFlag2NeverHit))
            continue;
        const DV centre = skin->m_vPosition;
        const auto radius = static_cast<float>(skin->m_dRadius);
        if (!BoxesMeet(s.boxMin, s.boxMax, skin->m_vCollisionMin, skin->m_vCollisionMax) ||
            !SegmentSphereIntersect(&s.start, &s.end, &centre, radius) ||
            !SegmentAABBIntersect(&s.start, &s.end, &skin->m_vCollisionMin, &skin->m_vCollisionMax) ||
            (q.m_pFilter != IntersectFilterAll && !q.m_pFilter(o, q.m_pFilterArgument)))
            continue;
        const float distance = pmath::Length(centre - s.start);
        if (q.m_bSecondTable && distance > q.m_fSkinMeshRange) {
            if (hit.m_bHit && distance >= hit.m_fDistance) continue;
            hit.m_bHit = 1;
            hit.m_pObject = o;
            hit.m_vPoint = centre;
            hit.m_vNormal = s.direction * (-1.0f / (s.length == 0.0f ? 1.0f : s.length));
            hit.m_fDistance = distance;
            std::snprintf(hit.m_szNodeName, sizeof hit.m_szNodeName, "Bip01");
            std::snprintf(hit.m_szHitZoneName, sizeof hit.m_szHitZoneName, "tulow");
            continue;
        }
        skin->m_Collisions.TestSegment(s, hit);
    }
}

}  // namespace

bool EIntersectSegment::Intersect(const SegmentQuery* query, SegmentHit* hit) {
    if (!query || !hit) return false;
    hit->Clear();
    hit->m_SkinMeshHit.Clear();
    if (!query->m_pStart || !query->m_pEnd) return false;
    hit->m_vStart = *query->m_pStart;
    hit->m_vEnd = *query->m_pEnd;
    // No mesh object is registered in the collision tables yet: only skinned meshes are hit.
    if (query->m_bSkipSkinMeshes) return false;
    const SkinMeshSegment segment = SkinMeshSegment::Between(*query->m_pStart, *query->m_pEnd);
    SkinMeshHit& skin = hit->m_SkinMeshHit;
    TestSkinMeshes(*query, m_SkinMeshes, segment, skin);
    if (!skin.m_bHit) return false;
    hit->m_bHit = 1;
    hit->m_bSkinMesh = 1;
    hit->m_fDistance = skin.m_fDistance;
    hit->m_vPoint = skin.m_vPoint;
    hit->m_vNormal = skin.m_vNormal;
    hit->m_pObject = skin.m_pObject;
    std::snprintf(hit->m_szNodeName, sizeof hit->m_szNodeName, "%s", skin.m_szNodeName);
    hit->m_uWords[1] = 0;  // no texture
    hit->m_uHitKind = HitKind(skin.m_szHitZoneName);
    return true;
}

void EIntersectSegment::AddEngineObject(EObjectSlot* object) {
    if (g_MeshHooks.objectSkinMesh(object)) AddSkinMesh(object);
}

void EIntersectSegment::AddSkinMesh(EObjectSlot* object) {
    if (g_MeshHooks.ownerFlags2(object) & kFlag2NeverHit) return;
    if (std::find(m_SkinMeshes.begin(), m_SkinMeshes.end(), object) != m_SkinMeshes.end()) return;
    if (m_SkinMeshes.size() >= MAX_INTERSECT_SEGMENT_SKIN_MESHES) {
        g_Console.Print("ERROR: EIntersectSegment::AddSkinMesh() ---> m_Max_SkinMeshes>=MAX_INTERSECT_SEGMENT_SKIN_MESHES");
        return;
    }
    m_SkinMeshes.push_back(object);
}

// A skinned mesh's entry reads the skinned mesh itself at every query, so a move needs nothing.
void EIntersectSegment::UpdateEngineObject(EObjectSlot*) {}

void EIntersectSegment::RemoveEngineObject(EObjectSlot* object) {
    m_SkinMeshes.erase(std::remove(m_SkinMeshes.begin(), m_SkinMeshes.end(), object), m_SkinMeshes.end());
}
