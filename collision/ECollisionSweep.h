#pragma once
// Box sweeps: an oriented box moved through the world's static triangles (those the box finders
// gather). The box is boxMin..boxMax in its own frame, turned by its orientation about its position. A sweep finds the first contact along a segment with its fraction and plane;
// the slide move slides a moving box along the surfaces it meets; the push-out moves a box out
// of the triangles it overlaps.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

class ECollisionFinder;
struct CollisionTriangle;

struct SweepResult {
    uint8_t m_bHit = 0;
    // The box overlapped a triangle where it started: it did not move.
    uint8_t m_bStartSolid = 0;
    DV m_vPosition;
    // How far along the segment the box got (1 with no contact).
    float m_fFraction = 1.0f;
    // The contact plane's unit normal, turned against the motion.
    DV m_vNormal;
};

class ECollisionSweep {
public:
    static constexpr uint32_t kCandidates = 6000;
    static constexpr int kSlidePasses = 3;
    static constexpr int kPushOutPasses = 60;

    ECollisionSweep();
    ~ECollisionSweep();
    ECollisionSweep(const ECollisionSweep&) = delete;
    ECollisionSweep& operator=(const ECollisionSweep&) = delete;

    // The box swept from start to end, keeping its orientation.
    SweepResult Sweep(const DV& boxMin, const DV& boxMax, const EOrientation& orientation, const DV& start,
                      const DV& end);
    // Moves the box from the position along the velocity, sliding along the surfaces it meets;
    // steep surfaces act as walls. Both are updated in place.
    void SlideMove(const DV& boxMin, const DV& boxMax, const EOrientation& orientation, DV* position, DV* velocity);
    // Moves the box at the position out of the triangles it overlaps; false when it is still in
    // one after the passes.
    bool PushOut(const DV& boxMin, const DV& boxMax, const EOrientation& orientation, DV* position);

    uint32_t m_uCandidates = 0;
    CollisionTriangle* m_pCandidates = nullptr;
    // Made on first use and moved afterwards; it stays with the collision manager.
    ECollisionFinder* m_pFinder = nullptr;
    // The fraction of the last sweep.
    float m_fFraction = 1.0f;

private:
    // The triangles around the box min..max.
    void Gather(const DV& min, const DV& max);
    // The first gathered triangle the box overlaps at the position, or null.
    const CollisionTriangle* Touching(const DV& boxMin, const DV& boxMax, const EOrientation& orientation,
                                      const DV& position) const;
};

extern ECollisionSweep g_CollisionSweep;
