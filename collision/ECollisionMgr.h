#pragma once
// The collision manager: a collision record for every static mesh object of the world, and the
// finders, regions of space each with the list of objects that may touch it (the broad phase).
// The lists are kept from both sides: when a finder moves and when an object moves. The engine's
// visibility pass owns one projector finder, the camera finder; box finders gather the world's
// triangles around ragdolls, bodies and box sweeps.
#include <cstdint>

#include "collision/CollisionHooks.h"
#include "collision/ECollisionFinder.h"
#include "collision/ECollisionObject.h"
#include "core/DV.h"
#include "core/EOrientation.h"

class EObjectSlot;

// One entry of the touch table: an object on a finder's list. Each entry is linked both into its
// finder's list and into the object's own list (one entry per finder that may touch the object),
// so that either side can find and unlink it at once.
struct ECollisionTouch {
    uint8_t m_bUsed = 0;
    EObjectSlot* m_hObject = nullptr;
    CollisionIndices* m_pIndices = nullptr;
    ECollisionFinder* m_pFinder = nullptr;
    int32_t m_iNext = -1;
    int32_t m_iPrev = -1;
    int32_t m_iNextOfObject = -1;
    int32_t m_iPrevOfObject = -1;
};

// A world triangle as a box finder delivers it.
struct CollisionTriangle {
    DV m_vCorners[3];
    DV m_vMin;
    DV m_vMax;
    DV m_vNormal;
    EObjectSlot* m_hObject = nullptr;
};

class ECollisionMgr {
public:
    static constexpr uint32_t MAX_OBJECTS_IN_COLLISION_MGR = 6144;
    static constexpr int kFinders = 3800;
    static constexpr int kTouches = 15000;
    // A finder's touch list holds the objects whose world boxes meet its box grown by this much,
    // so that it moves that far before walking the objects again.
    static constexpr float kTouchMargin = 65.0f;
    // Bit 2 of an object's flags marks a static mesh of the level: the box finders gather only
    // such objects' triangles (callers clear the bit on an object to leave it out).
    static constexpr uint32_t kGatheredFlag = 0x4;

    // Builds the record of a mesh object from its triangles; objects of other kinds and meshes
    // without faces get none.
    void AddObject(EObjectSlot* object);
    // Leaves every finder's touch list and frees the record.
    void RemoveObject(EObjectSlot* object);
    // The object moved: it joins or leaves the finders' touch lists, and a mesh's record takes its
    // new transform.
    void UpdateObject(EObjectSlot* object);
    // The record at a collision index, or null when none is in use there.
    const ECollisionObject* GetRecord(uint32_t index) const;
    // The record of an object, or null when it has none.
    ECollisionObject* GetObjectRecord(EObjectSlot* object);

    ECollisionFinder* AddSphereFinder(const DV* position, float radius);
    void UpdateSphereFinder(ECollisionFinder* finder, const DV* position, float radius);
    // A projector at the position looking along the orientation's front axis.
    ECollisionFinder* AddProjectorFinder(const DV* position, const EOrientation* orientation, float farDistance,
                                         float angle);
    void UpdateProjectorFinder(ECollisionFinder* finder, const DV* position, const EOrientation* orientation,
                               float farDistance, float angle);
    ECollisionFinder* AddBoxFinder(const DV* min, const DV* max);
    void UpdateBoxFinder(ECollisionFinder* finder, const DV* min, const DV* max);
    void RemoveFinder(ECollisionFinder* finder);
    // Whether the object lies in the finder's region: level 0 tests world boxes, 1 stops at the
    // face boxes, 2 at the face bounds, any other value tests the faces themselves. Box finders
    // answer false.
    bool IsObjectInFinder(const ECollisionFinder* finder, EObjectSlot* object, int level);
    // The world triangles of the finder's touching objects whose bounds meet its box, at most
    // capacity of them; true when any was delivered.
    bool GetBoxFinderObjects(const ECollisionFinder* finder, CollisionTriangle* out, uint32_t* count,
                             uint32_t capacity);
    // The same for a box, through a box finder made and removed for the question.
    bool QueryBoxObjects(const DV* min, const DV* max, CollisionTriangle* out, uint32_t* count, uint32_t capacity);

    ECollisionFinder m_Finders[kFinders];
    // One past the highest finder slot handed out.
    int m_iFinderCount = 0;
    ECollisionTouch m_tTouchTable[kTouches];
    // One past the highest touch entry handed out.
    int m_iMaxTouch = 0;
    // The live finders, newest first.
    ECollisionFinder* m_pFirstFinder = nullptr;
    // Record 0 is never handed out: index 0 in an object means it has none.
    ECollisionObject m_Objects[MAX_OBJECTS_IN_COLLISION_MGR];

private:
    ECollisionFinder* TakeFinder(uint32_t type);
    ECollisionObject* RecordOf(EObjectSlot* object, const CollisionObjectFacts& facts);
    // Rebuilds the finder's touch list when it left its touch box.
    void ComputeTouches(ECollisionFinder* finder);
    void AddTouch(ECollisionFinder* finder, EObjectSlot* object, CollisionIndices* indices);
    void RemoveTouch(const ECollisionFinder* finder, CollisionIndices* indices);
    void FreeTouch(int32_t entry);
    void ReleaseTouches(ECollisionFinder* finder);
    bool IsTouching(const ECollisionFinder* finder, const CollisionIndices* indices) const;
    bool PreciseTest(const ECollisionFinder* finder, ECollisionObject* record, int level);
};

extern ECollisionMgr g_CollisionMgr;
