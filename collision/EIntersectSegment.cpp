#include "collision/EIntersectSegment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "collision/CollisionHooks.h"
#include "collision/ECollisionMgr.h"
#include "core/EConsole.h"
#include "core/GeometryHelpers.h"
#include "core/IntersectionTests.h"
#include "core/SegmentHit.h"
#include "core/SegmentQuery.h"
#include "mesh/ESkinMesh.h"
#include "mesh/MeshHooks.h"

EIntersectSegment g_IntersectSegment;

namespace {

// Two crossings of an oriented box's faces closer than this along the segment are one crossing
// through an edge or a corner.
constexpr float kSameCrossing = 0.001f;

// The first free slot below the count, else the slot at the count; -1 when the table is full.
int FreeSlot(const EIntersectObject* table, int count, int capacity, int from = 0) {
    for (int i = from; i < count; ++i)
        if (!table[i].m_bUsed) return i;
    return count < capacity ? count : -1;
}

void Fill(EIntersectObject& entry, EObjectSlot* object, const CollisionObjectFacts& facts) {
    entry.m_bUsed = 1;
    entry.m_hObject = object;
    entry.m_vCentre = facts.centre;
    entry.m_fRadiusSq = facts.radiusSq;
    entry.m_fRadius = facts.radius;
    entry.m_vMin = facts.worldMin;
    entry.m_vMax = facts.worldMax;
    entry.m_uFlags = facts.flags;
    entry.m_uFlags2 = facts.flags2;
    entry.m_uRecord = facts.indices->m_uCollisionIndex;
}

// Whether the segment meets the box of the eight corners (numbered as GetBoxCorners numbers
// them), and where it enters it: the smallest parameter of its crossings of the box's faces, or 0
// when it starts inside.
bool OrientedBoxKey(const DV& p0, const DV& p1, const DV* P, float* key) {
    const DV onPlane[6] = {P[0], P[4], P[0], P[1], P[0], P[3]};
    const DV outward[6] = {P[0] - P[4], P[4] - P[0], P[0] - P[1], P[1] - P[0], P[0] - P[3], P[3] - P[0]};
    bool startOutside = false, endOutside = false;
    for (int i = 0; i < 6; ++i) {
        const bool s = pmath::Dot(outward[i], p0 - onPlane[i]) > 0;
        const bool e = pmath::Dot(outward[i], p1 - onPlane[i]) > 0;
        if (s && e) return false;
        startOutside |= s;
        endOutside |= e;
    }
    if (!startOutside && !endOutside) {
        *key = 0;
        return true;
    }
    static constexpr int kFaces[12][3] = {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}, {0, 7, 4}, {0, 3, 7},
                                          {1, 5, 6}, {1, 2, 6}, {0, 1, 5}, {0, 5, 4}, {3, 2, 6}, {3, 6, 7}};
    float crossings[12];
    int n = 0;
    for (const auto& f : kFaces) {
        DV point;
        float t = 0;
        if (!SegmentTriangleHit(&p0, &p1, &P[f[0]], &P[f[1]], &P[f[2]], &point, &t)) continue;
        crossings[n++] = t;
        if (n == 2 && std::fabs(crossings[1] - crossings[0]) > kSameCrossing) {
            *key = std::min(crossings[0], crossings[1]);
            return true;
        }
    }
    if (n == 0) return false;
    const bool entersOnly = startOutside && !endOutside;
    *key = entersOnly || (startOutside && endOutside && n > 2) ? *std::min_element(crossings, crossings + n) : 0;
    return true;
}

// A local normal into world space through the inverse-transpose of the world matrix, which keeps
// it perpendicular to the surface under any scale.
DV NormalToWorld(const DV& n, const pmath::Matrix& inverse) {
    const auto& m = inverse.m;
    return {n.x * m[0][0] + n.y * m[0][1] + n.z * m[0][2], n.x * m[1][0] + n.y * m[1][1] + n.z * m[1][2],
            n.x * m[2][0] + n.y * m[2][1] + n.z * m[2][2]};
}

// The kind of body part a hit zone names: "g..." 1; "l" with "r" or "n" as sixth letter 2 or 4;
// "p" with "r" or "n" as seventh letter 3 or 5; anything else 0.
uint32_t HitKind(const char* zone) {
    const size_t length = std::strlen(zone);
    if (length > 0 && zone[0] == 'g') return 1;
    if (length > 5 && zone[0] == 'l') return zone[5] == 'r' ? 2 : zone[5] == 'n' ? 4 : 0;
    if (length > 6 && zone[0] == 'p') return zone[6] == 'r' ? 3 : zone[6] == 'n' ? 5 : 0;
    return 0;
}

// No filter (the default, or none at all) tests every candidate.
bool Accepts(const SegmentQuery& query, EObjectSlot* object) {
    return !query.m_pFilter || query.m_pFilter == IntersectFilterAll || query.m_pFilter(object, query.m_pFilterArgument);
}

}  // namespace

// Registration.

EIntersectGrid* EIntersectSegment::GridOf(const EIntersectObject* table) {
    if (table == m_IntersectObjects) return &m_IntersectGrid;
    if (table == m_CanSeeThruObjects) return &m_CanSeeThruGrid;
    return nullptr;
}

void EIntersectSegment::Store(EIntersectObject* table, int index, EObjectSlot* object,
                              const CollisionObjectFacts& facts) {
    Fill(table[index], object, facts);
    if (EIntersectGrid* grid = GridOf(table)) grid->Place(index, table[index].m_vMin, table[index].m_vMax);
}

void EIntersectSegment::Free(EIntersectObject* table, int& count, int index) {
    table[index] = EIntersectObject{};
    if (EIntersectGrid* grid = GridOf(table)) grid->Remove(index);
    if (index + 1 == count)
        while (count > 0 && !table[count - 1].m_bUsed) --count;
}

void EIntersectSegment::Remove(EIntersectObject* table, int& count, uint32_t index, EObjectSlot* object) {
    if (count > 0 && index < static_cast<uint32_t>(count) && table[index].m_bUsed && table[index].m_hObject == object)
        Free(table, count, static_cast<int>(index));
}

void EIntersectSegment::RemoveEverywhere(EIntersectObject* table, int& count, EObjectSlot* object) {
    EIntersectGrid* grid = GridOf(table);
    for (int i = 0; i < count; ++i)
        if (table[i].m_bUsed && table[i].m_hObject == object) {
            table[i] = EIntersectObject{};
            if (grid) grid->Remove(i);
        }
    while (count > 0 && !table[count - 1].m_bUsed) --count;
}

void EIntersectSegment::AddEngineObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind == CollisionObjectFacts::MESH) AddObject(object);
    else if (facts.kind == CollisionObjectFacts::SKINMESH) AddSkinMesh(object);
}

void EIntersectSegment::AddObject(EObjectSlot* object) {
    if (!object) return;
    RemoveEverywhere(m_IntersectObjects, m_Max_Intersect, object);
    RemoveEverywhere(m_CanSeeThruObjects, m_Max_CanSeeThru, object);
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind != CollisionObjectFacts::MESH || !facts.indices) return;
    const bool seeThrough = facts.flags & kFlagSeeThrough, solid = facts.flags2 & kFlag2Solid;
    if ((facts.flags2 & kFlag2NeverHit) || (seeThrough && solid)) return;
    const int intersect = FreeSlot(m_IntersectObjects, m_Max_Intersect, MAX_INTERSECT_SEGMENT_OBJECTS);
    const int canSeeThru = FreeSlot(m_CanSeeThruObjects, m_Max_CanSeeThru, MAX_INTERSECT_SEGMENT_OBJECTS);
    if (!seeThrough && intersect < 0)
        return g_Console.Print("ERROR: EIntersectSegment::AddObject() ---> m_Max_Intersect>=MAX_INTERSECT_SEGMENT_OBJECTS");
    if (!solid && canSeeThru < 0)
        return g_Console.Print("ERROR: EIntersectSegment::AddObject() ---> m_Max_CanSeeThru>=MAX_INTERSECT_SEGMENT_OBJECTS");
    if (!seeThrough) {
        Store(m_IntersectObjects, intersect, object, facts);
        m_Max_Intersect = std::max(m_Max_Intersect, intersect + 1);
        facts.indices->m_uIntersectIndex = static_cast<uint32_t>(intersect);
    }
    if (!solid) {
        Store(m_CanSeeThruObjects, canSeeThru, object, facts);
        m_Max_CanSeeThru = std::max(m_Max_CanSeeThru, canSeeThru + 1);
        facts.indices->m_uCanSeeThruIndex = static_cast<uint32_t>(canSeeThru);
    }
}

void EIntersectSegment::AddSkinMesh(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind != CollisionObjectFacts::SKINMESH || !facts.indices || (facts.flags2 & kFlag2NeverHit)) return;
    // Slot 0 is taken only while the table is empty. The table's room is checked before a slot is
    // taken, so that its count never runs past its end.
    const int slot = FreeSlot(m_SkinMeshes, m_Max_SkinMeshes, MAX_INTERSECT_SEGMENT_SKIN_MESHES, m_Max_SkinMeshes ? 1 : 0);
    if (slot < 0)
        return g_Console.Print(
            "ERROR: EIntersectSegment::AddSkinMesh() ---> m_Max_SkinMeshes>=MAX_INTERSECT_SEGMENT_SKIN_MESHES");
    Fill(m_SkinMeshes[slot], object, facts);
    m_Max_SkinMeshes = std::max(m_Max_SkinMeshes, slot + 1);
    facts.indices->m_uIntersectIndex = static_cast<uint32_t>(slot);
}

void EIntersectSegment::UpdateEngineObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind == CollisionObjectFacts::MESH) return UpdateObject(object);
    if (facts.kind != CollisionObjectFacts::SKINMESH || !facts.indices) return;
    const uint32_t index = facts.indices->m_uIntersectIndex;
    if (index < MAX_INTERSECT_SEGMENT_SKIN_MESHES && m_SkinMeshes[index].m_bUsed && m_SkinMeshes[index].m_hObject == object)
        Fill(m_SkinMeshes[index], object, facts);
}

bool EIntersectSegment::RefreshEntry(EIntersectObject* table, int count, uint32_t index, EObjectSlot* object,
                                     const CollisionObjectFacts& facts) {
    if (index >= static_cast<uint32_t>(count) || !table[index].m_bUsed || table[index].m_hObject != object) return false;
    Store(table, static_cast<int>(index), object, facts);
    return true;
}

void EIntersectSegment::UpdateObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (facts.kind != CollisionObjectFacts::MESH || !facts.indices) return;
    CollisionIndices& at = *facts.indices;
    const bool seeThrough = facts.flags & kFlagSeeThrough, solid = facts.flags2 & kFlag2Solid;
    if ((facts.flags2 & kFlag2NeverHit) || (seeThrough && solid)) {
        Remove(m_IntersectObjects, m_Max_Intersect, at.m_uIntersectIndex, object);
        Remove(m_CanSeeThruObjects, m_Max_CanSeeThru, at.m_uCanSeeThruIndex, object);
        return;
    }
    if (seeThrough) Remove(m_IntersectObjects, m_Max_Intersect, at.m_uIntersectIndex, object);
    if (solid) Remove(m_CanSeeThruObjects, m_Max_CanSeeThru, at.m_uCanSeeThruIndex, object);
    auto refresh = [&](EIntersectObject* table, const int& count, const uint32_t& index) {
        if (RefreshEntry(table, count, index, object, facts)) return true;
        AddEngineObject(object);
        if (RefreshEntry(table, count, index, object, facts)) return true;
        g_Console.Print("ERROR: EIntersectSegment::UpdateObject() BLAD W TABLICY OBIEKTOW!");
        return false;
    };
    if (!seeThrough && !refresh(m_IntersectObjects, m_Max_Intersect, at.m_uIntersectIndex)) return;
    if (!solid) refresh(m_CanSeeThruObjects, m_Max_CanSeeThru, at.m_uCanSeeThruIndex);
}

void EIntersectSegment::RemoveEngineObject(EObjectSlot* object) {
    if (!object) return;
    const CollisionObjectFacts facts = g_CollisionHooks.objectFacts(object);
    if (!facts.indices) return;
    CollisionIndices& at = *facts.indices;
    Remove(m_IntersectObjects, m_Max_Intersect, at.m_uIntersectIndex, object);
    Remove(m_CanSeeThruObjects, m_Max_CanSeeThru, at.m_uCanSeeThruIndex, object);
    if (at.m_uIntersectIndex < static_cast<uint32_t>(m_Max_SkinMeshes) &&
        m_SkinMeshes[at.m_uIntersectIndex].m_hObject == object) {
        Remove(m_SkinMeshes, m_Max_SkinMeshes, at.m_uIntersectIndex, object);
        at.m_uIntersectIndex = at.m_uCanSeeThruIndex = 0;
    }
}

// Queries.

bool EIntersectSegment::Intersect(const SegmentQuery* query, SegmentHit* hit) {
    if (!query || !hit) return false;
    hit->Clear();
    hit->m_SkinMeshHit.Clear();
    if (!query->m_pStart || !query->m_pEnd) return false;
    m_vStart = *query->m_pStart;
    m_vEnd = *query->m_pEnd;
    m_vDirection = m_vEnd - m_vStart;
    m_fLength = pmath::Length(m_vDirection);
    hit->m_vStart = m_vStart;
    hit->m_vEnd = m_vEnd;
    m_vSegmentMin = LowerCorner(m_vStart, m_vEnd);
    m_vSegmentMax = UpperCorner(m_vStart, m_vEnd);

    // The marker table has nothing to fill it: a query of markers alone finds nothing.
    m_iCandidates = 0;
    if (!query->m_bMarkers) {
        if (query->m_bCanSeeThru) SelectCandidates(m_CanSeeThruObjects, m_Max_CanSeeThru, m_CanSeeThruGrid, *query);
        else SelectCandidates(m_IntersectObjects, m_Max_Intersect, m_IntersectGrid, *query);
    }
    TestCandidates(hit);
    if (hit->m_bHit) hit->m_bSkinMesh = 0;

    if (!query->m_bMarkers) {
        FollowSkinMeshPoses();
        SkinMeshHit& skin = hit->m_SkinMeshHit;
        TestSkinMeshes(*query, &skin);
        if (skin.m_bHit && hit->m_bHit && hit->m_fDistance <= skin.m_fDistance) {
            skin.m_bHit = 0;
        } else if (skin.m_bHit) {
            hit->m_bHit = 1;
            hit->m_fDistance = skin.m_fDistance;
            hit->m_vPoint = skin.m_vPoint;
            hit->m_vNormal = skin.m_vNormal;
            hit->m_pObject = skin.m_pObject;
            std::snprintf(hit->m_szNodeName, sizeof hit->m_szNodeName, "%s", skin.m_szNodeName);
            hit->m_bSkinMesh = 1;
            hit->m_uTextureId = 0;
            hit->m_uHitKind = HitKind(skin.m_szHitZoneName);
            return true;
        }
    }

    if (!hit->m_bHit) return false;
    hit->m_vNormal = pmath::Normalize(hit->m_vNormal);
    if (hit->m_vNormal == DV{}) hit->m_vNormal = {0, 1, 0};
    const ECollisionObject* record = g_CollisionMgr.GetRecord(m_uHitRecord);
    if (!record || !record->m_bHasSubsets) {
        g_Console.Print(" *** Fizyka *** EMeshMgr::strmesh nie posiada tablicy subsetow!");
        return false;
    }
    return true;
}

// The entries the grid gathers are walked in the table's order, as a walk over the whole table
// would meet them: at equal distance the later candidate is reported.
void EIntersectSegment::SelectCandidates(const EIntersectObject* table, int count, EIntersectGrid& grid,
                                         const SegmentQuery& query) {
    const float lengthSq = pmath::Dot(m_vDirection, m_vDirection);
    const int32_t* nearby = nullptr;
    int nearbyCount = 0;
    if (grid.Gather(m_vSegmentMin, m_vSegmentMax, &nearby, &nearbyCount)) {
        for (int n = 0; n < nearbyCount; ++n)
            if (nearby[n] < count) ConsiderEntry(table[nearby[n]], lengthSq, query);
        return;
    }
    for (int i = 0; i < count; ++i) ConsiderEntry(table[i], lengthSq, query);
}

void EIntersectSegment::ConsiderEntry(const EIntersectObject& entry, float lengthSq, const SegmentQuery& query) {
    if (!entry.m_bUsed) return;
    const float t = lengthSq == 0 ? 0 : pmath::Dot(m_vDirection, entry.m_vCentre - m_vStart) / lengthSq;
    const DV closest = t <= 0 ? m_vStart : t >= 1 ? m_vEnd : m_vStart + m_vDirection * t;
    const DV apart = entry.m_vCentre - closest;
    if (pmath::Dot(apart, apart) > entry.m_fRadiusSq) return;
    if (!BoxesMeet(m_vSegmentMin, m_vSegmentMax, entry.m_vMin, entry.m_vMax)) return;
    if (!SegmentAABBIntersect(&m_vStart, &m_vEnd, &entry.m_vMin, &entry.m_vMax)) return;
    if (!Accepts(query, entry.m_hObject)) return;
    // An object without a record has no faces to hit.
    const ECollisionObject* record = g_CollisionMgr.GetRecord(entry.m_uRecord);
    if (!record || record->m_hOwner != entry.m_hObject) return;
    float key = 0;
    if (!OrientedBoxKey(m_vStart, m_vEnd, record->m_vWorldCorners, &key)) return;
    m_Candidates[m_iCandidates++] = {key, entry.m_hObject, entry.m_uRecord, 0};
}

void EIntersectSegment::TestCandidates(SegmentHit* hit) {
    for (int n = 0; n < m_iCandidates; ++n) {
        EIntersectCandidate* next = nullptr;
        for (int i = 0; i < m_iCandidates; ++i)
            if (!m_Candidates[i].m_bTested && (!next || m_Candidates[i].m_fKey < next->m_fKey)) next = &m_Candidates[i];
        // No candidate entered later than the held hit can be nearer.
        if (hit->m_bHit && next->m_fKey > hit->m_fDistance / m_fLength) break;
        next->m_bTested = 1;
        TestMesh(*next, hit);
    }
}

void EIntersectSegment::TestMesh(const EIntersectCandidate& candidate, SegmentHit* hit) {
    const ECollisionObject* record = g_CollisionMgr.GetRecord(candidate.m_uRecord);
    if (!record || !record->m_bInvertible) return;
    const DV localStart = pmath::TransformPoint(m_vStart, record->m_InverseWorld);
    const DV localEnd = pmath::TransformPoint(m_vEnd, record->m_InverseWorld);
    LocalFaceHit face;
    if (!record->IntersectLocal(localStart, localEnd, &face)) return;
    const float distance = m_fLength * face.t;
    // At equal distance the object tested later is reported.
    if (hit->m_bHit && hit->m_fDistance < distance) return;
    hit->m_bHit = 1;
    hit->m_vPoint = pmath::TransformPoint(face.point, record->m_World);
    hit->m_fDistance = distance;
    hit->m_vNormal = NormalToWorld(face.normal, record->m_InverseWorld);
    hit->m_pObject = candidate.m_hObject;
    hit->m_uFace = face.face;
    hit->m_uTextureId = face.box->m_uTextureId;
    m_uHitRecord = candidate.m_uRecord;
}

// Characters animate whether drawn or not: their elements catch up with the pose before they are
// tested (each at most once per evaluated pose), and their table entries with them.
void EIntersectSegment::FollowSkinMeshPoses() {
    if (m_uPosesFollowed == ESkinMesh::s_uPosesEvaluated) return;
    m_uPosesFollowed = ESkinMesh::s_uPosesEvaluated;
    for (int i = 0; i < m_Max_SkinMeshes; ++i)
        if (m_SkinMeshes[i].m_bUsed)
            if (ESkinMesh* skin = g_MeshHooks.objectSkinMesh(m_SkinMeshes[i].m_hObject)) skin->FollowPose();
}

void EIntersectSegment::TestSkinMeshes(const SegmentQuery& query, SkinMeshHit* hit) const {
    for (int i = 0; i < m_Max_SkinMeshes; ++i) {
        const EIntersectObject& entry = m_SkinMeshes[i];
        if (!entry.m_bUsed || !BoxesMeet(m_vSegmentMin, m_vSegmentMax, entry.m_vMin, entry.m_vMax)) continue;
        if (query.m_bCanSeeThru ? (entry.m_uFlags2 & kFlag2Solid) : (entry.m_uFlags & kFlagSeeThrough)) continue;
        if (entry.m_uFlags2 & kFlag2NeverHit) continue;
        if (!SegmentSphereIntersect(&m_vStart, &m_vEnd, &entry.m_vCentre, entry.m_fRadius)) continue;
        if (!SegmentAABBIntersect(&m_vStart, &m_vEnd, &entry.m_vMin, &entry.m_vMax)) continue;
        if (!Accepts(query, entry.m_hObject)) continue;
        // Far skinned meshes are hit by their bounding sphere alone, at their centre; nearer ones
        // by their collision elements.
        const float distance = pmath::Length(entry.m_vCentre - m_vStart);
        if (query.m_bCoarse && distance > query.m_fCoarseDistance) {
            if (hit->m_bHit && distance >= hit->m_fDistance) continue;
            hit->m_bHit = 1;
            hit->m_pObject = entry.m_hObject;
            hit->m_vPoint = entry.m_vCentre;
            hit->m_vNormal = pmath::Normalize(-m_vDirection);
            std::snprintf(hit->m_szNodeName, sizeof hit->m_szNodeName, "%s", "Bip01");
            hit->m_fDistance = distance;
            std::snprintf(hit->m_szHitZoneName, sizeof hit->m_szHitZoneName, "%s", "tulow");
            continue;
        }
        if (const ESkinMesh* skin = g_MeshHooks.objectSkinMesh(entry.m_hObject))
            skin->m_Collisions.TestSegment(SkinMeshSegment::Between(m_vStart, m_vEnd), *hit);
    }
}
