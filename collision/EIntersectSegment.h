#pragma once
// Segment queries against the registered objects of the collision tables.
#include <vector>

class EObjectSlot;
class SegmentHit;
class SegmentQuery;

class EIntersectSegment {
public:
    virtual ~EIntersectSegment() = default;

    // Clears the hit and fills it with the nearest hit along the query's segment; true when
    // something was hit, false when nothing was or when either record is missing.
    bool Intersect(const SegmentQuery* query, SegmentHit* hit);

    // An engine object joins the tables, its entry follows its moves and flag changes, and it
    // leaves them when deleted.
    void AddEngineObject(EObjectSlot* object);
    void UpdateEngineObject(EObjectSlot* object);
    void RemoveEngineObject(EObjectSlot* object);

    // The object that filters refuse whatever the query (such as the player's own machine).
    EObjectSlot* m_pExcluded = nullptr;

    // The skinned-mesh objects, tested through their collision elements after the meshes.
    static constexpr int MAX_INTERSECT_SEGMENT_SKIN_MESHES = 1024;
    std::vector<EObjectSlot*> m_SkinMeshes;

private:
    void AddSkinMesh(EObjectSlot* object);
};

extern EIntersectSegment g_IntersectSegment;
