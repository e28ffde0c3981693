#pragma once
// The collision manager: a record per mesh object, and finders (regions of space with the list
// of objects that may touch them). The engine's visibility pass owns one projector finder, the
// camera finder.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

class EObjectSlot;

// A finder: a sphere, a camera-like projector or a box.
struct ECollisionFinder {
    enum Type : uint32_t { SPHERE = 0, PROJECTOR = 1, BOX = 2 };
    uint8_t m_bUsed = 0;
    uint32_t m_uType = SPHERE;
    DV m_vPosition;
    // The sphere's radius or the projector's far distance.
    float m_fRadius = 0;
    EOrientation m_Orientation;
    float m_fAngle = 0;
};

class ECollisionMgr {
public:
    static constexpr int kFinders = 3800;

    void AddObject(EObjectSlot* object);
    void RemoveObject(EObjectSlot* object);
    // A projector at the position looking along the orientation's front axis.
    ECollisionFinder* AddProjectorFinder(const DV* position, const EOrientation* orientation, float farDistance,
                                         float angle);
    void UpdateProjectorFinder(ECollisionFinder* finder, const DV* position, const EOrientation* orientation,
                               float farDistance, float angle);
    void RemoveFinder(ECollisionFinder* finder);
    // Whether the object lies in the finder's region; level 0 tests world boxes only.
    bool IsObjectInFinder(const ECollisionFinder* finder, const EObjectSlot* object, int level) const;

    ECollisionFinder m_Finders[kFinders];
    // One past the highest finder slot handed out.
    int m_iFinderCount = 0;
};

extern ECollisionMgr g_CollisionMgr;
