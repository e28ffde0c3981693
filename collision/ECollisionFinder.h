#pragma once
// A finder: a region of space (a sphere, a camera-like projection volume or an axis-aligned box)
// that the collision manager keeps together with the list of objects that may touch it.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

class ECollisionFinder {
public:
    enum Type : uint32_t { SPHERE = 0, PROJECTOR = 1, BOX = 2 };
    static constexpr int kPolyhedronTriangles = 8;

    void SetSphere(const DV& position, float radius);
    void SetBox(const DV& min, const DV& max);
    // The projector's volume: four sides from the position to the far corners, capped by a
    // pyramid whose tip lies 1.15 far distances ahead.
    void SetProjector(const DV& position, const EOrientation& orientation, float farDistance, float angle);

    // Whether the axis-aligned box meets the projector's volume.
    bool PolyhedronMeetsBox(const DV& min, const DV& max) const;
    // Whether the triangle meets the projector's volume: a corner inside it, an edge through one
    // of its faces, or one of its edges through the triangle.
    bool PolyhedronMeetsTriangle(const DV& a, const DV& b, const DV& c) const;
    // Whether the triangle comes nearer than the radius to the sphere's centre.
    bool SphereMeetsTriangle(const DV& a, const DV& b, const DV& c) const;

    uint8_t m_bUsed = 0;
    uint32_t m_uType = SPHERE;
    DV m_vPosition;
    // The sphere's radius or the projector's far distance.
    float m_fRadius = 0;
    EOrientation m_Orientation;
    float m_fAngle = 0;
    // The projector's triangles relative to the position and in the world, and their unit
    // normals, pointing out of the volume.
    DV m_vTriangles[kPolyhedronTriangles][3];
    DV m_vWorldTriangles[kPolyhedronTriangles][3];
    DV m_vNormals[kPolyhedronTriangles];
    // The box relative to the position, and in the world.
    DV m_vRelativeMin;
    DV m_vRelativeMax;
    DV m_vWorldMin;
    DV m_vWorldMax;
    // The world box grown by the touch margin when the touch list was last rebuilt; a finder that
    // stays inside it keeps its list.
    DV m_vTouchMin;
    DV m_vTouchMax;
    // The first entry of the touch list; -1: empty.
    int32_t m_iFirstTouch = -1;
    ECollisionFinder* m_pNext = nullptr;

private:
    bool ContainsPoint(const DV& p) const;
};
