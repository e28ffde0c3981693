#pragma once
// Invisible quads that hide what lies behind them, such as a wall between the camera and a room:
// does a segment cross one, is an object wholly hidden behind them. Level designers place them as
// "visibility_blocker.x" objects, which the world loader hands over and removes; the table is
// emptied with every world.
#include <cstdint>

#include "core/DV.h"

class EObjectSlot;

class CVisibilityBlockers {
public:
    static constexpr int kBlockers = 50;

    // Two triangles, three corners each.
    struct Blocker {
        uint8_t m_bUsed = 0;
        DV m_vTriangles[2][3];
    };

    // Every record free.
    void Reset();
    // A blocker object's quad; its triangles are not taken over, so the object is refused.
    bool AddFromObject(EObjectSlot* object);
    // Whether the segment crosses a triangle of a record in use among the first m_iMaxBlockers.
    bool SegmentBlocked(const DV& from, const DV& to) const;
    // A static mesh is hidden when no line from the eye to its position or to a corner of its box
    // is free; false for anything else.
    bool ObjectHidden(const DV* eye, const EObjectSlot* object) const;
    // The table's state on the console.
    void Dump() const;

    Blocker m_Blockers[kBlockers];
    int m_iMaxBlockers = 0;
};

extern CVisibilityBlockers g_VisibilityBlockers;
