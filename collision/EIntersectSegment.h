#pragma once
// Segment queries: which object the segment from A to B hits first. Compact tables of the world's
// static meshes and skinned meshes (centre, squared radius, world box, flags) give the candidates
// by cheap tests (a grid over the ground plane narrows the walk to the entries near a short
// segment); the candidates are ordered by where the segment enters their oriented boxes and
// their collision records tested face by face in that order until no remaining candidate can be
// nearer. Skinned meshes are tested afterwards.
#include <cstdint>

#include "collision/EIntersectGrid.h"
#include "core/DV.h"

class EObjectSlot;
class SegmentHit;
class SegmentQuery;
class SkinMeshHit;
struct CollisionObjectFacts;

// One object of a table, as it was at its last add or update.
struct EIntersectObject {
    uint8_t m_bUsed = 0;
    EObjectSlot* m_hObject = nullptr;
    DV m_vCentre;
    // A mesh's squared probe radius; a skinned mesh's radius.
    float m_fRadiusSq = 0;
    float m_fRadius = 0;
    DV m_vMin;
    DV m_vMax;
    uint32_t m_uFlags = 0;
    uint32_t m_uFlags2 = 0;
    // A mesh's collision record.
    uint32_t m_uRecord = 0;
};

struct EIntersectCandidate {
    // The segment's parameter where it enters the object's oriented box (0 when it starts inside).
    float m_fKey = 0;
    EObjectSlot* m_hObject = nullptr;
    uint32_t m_uRecord = 0;
    uint8_t m_bTested = 0;
};

class EIntersectSegment {
public:
    static constexpr int MAX_INTERSECT_SEGMENT_OBJECTS = 4096;
    static constexpr int MAX_INTERSECT_SEGMENT_SKIN_MESHES = 1024;
    static_assert(EIntersectGrid::kEntries >= MAX_INTERSECT_SEGMENT_OBJECTS);
    // flags: a dead object, hit only by queries that see through.
    static constexpr uint32_t kFlagSeeThrough = 0x80;
    // flags2: see-through queries pass it; never hit at all.
    static constexpr uint32_t kFlag2Solid = 0x1000;
    static constexpr uint32_t kFlag2NeverHit = 0x10000;

    // Clears the hit and fills it with the nearest hit along the query's segment; true exactly when
    // it reports a hit.
    bool Intersect(const SegmentQuery* query, SegmentHit* hit);

    // A mesh or skinned-mesh object joins the tables, its entries follow its moves and flag
    // changes, and it leaves them when deleted.
    void AddEngineObject(EObjectSlot* object);
    void AddObject(EObjectSlot* object);
    void AddSkinMesh(EObjectSlot* object);
    void UpdateEngineObject(EObjectSlot* object);
    void UpdateObject(EObjectSlot* object);
    void RemoveEngineObject(EObjectSlot* object);

    // The object that filters refuse whatever the query (the player's own machine).
    EObjectSlot* m_pExcluded = nullptr;

    // Each count is one past the highest slot in use.
    int m_Max_Intersect = 0;
    EIntersectObject m_IntersectObjects[MAX_INTERSECT_SEGMENT_OBJECTS];
    int m_Max_CanSeeThru = 0;
    EIntersectObject m_CanSeeThruObjects[MAX_INTERSECT_SEGMENT_OBJECTS];
    int m_Max_SkinMeshes = 0;
    EIntersectObject m_SkinMeshes[MAX_INTERSECT_SEGMENT_SKIN_MESHES];
    // Where the entries of the two mesh tables lie.
    EIntersectGrid m_IntersectGrid;
    EIntersectGrid m_CanSeeThruGrid;
    int m_iCandidates = 0;
    EIntersectCandidate m_Candidates[MAX_INTERSECT_SEGMENT_OBJECTS];

    // The segment of the query that runs.
    DV m_vStart;
    DV m_vEnd;
    DV m_vDirection;
    float m_fLength = 0;
    DV m_vSegmentMin;
    DV m_vSegmentMax;
    // The record of the mesh hit held.
    uint32_t m_uHitRecord = 0;

private:
    void SelectCandidates(const EIntersectObject* table, int count, EIntersectGrid& grid, const SegmentQuery& query);
    void ConsiderEntry(const EIntersectObject& entry, float lengthSq, const SegmentQuery& query);
    // The grid of a mesh table; null for the skinned meshes' table.
    EIntersectGrid* GridOf(const EIntersectObject* table);
    void Store(EIntersectObject* table, int index, EObjectSlot* object, const CollisionObjectFacts& facts);
    void Free(EIntersectObject* table, int& count, int index);
    // Frees the entry at index when it is the object's.
    void Remove(EIntersectObject* table, int& count, uint32_t index, EObjectSlot* object);
    void RemoveEverywhere(EIntersectObject* table, int& count, EObjectSlot* object);
    void TestCandidates(SegmentHit* hit);
    void FollowSkinMeshPoses();
    void TestMesh(const EIntersectCandidate& candidate, SegmentHit* hit);
    void TestSkinMeshes(const SegmentQuery& query, SkinMeshHit* hit) const;
    bool RefreshEntry(EIntersectObject* table, int count, uint32_t index, EObjectSlot* object,
                      const CollisionObjectFacts& facts);

    // The count of evaluated poses the skinned meshes' elements last caught up with.
    uint32_t m_uPosesFollowed = 0;
};

extern EIntersectSegment g_IntersectSegment;
