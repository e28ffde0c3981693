#include "collision/ECollisionFinder.h"

#include <algorithm>

#include "collision/ECollisionObject.h"
#include "core/EConsole.h"
#include "core/GeometryHelpers.h"
#include "core/IntersectionTests.h"

namespace {

// The tip of the projector's cap lies this many far distances ahead.
constexpr float kTipFactor = 1.15f;


bool InBox(const DV& p, const DV& min, const DV& max) {
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z && p.z <= max.z;
}

}  // namespace

void ECollisionFinder::SetSphere(const DV& position, float radius) {
    m_vPosition = position;
    m_fRadius = radius;
    m_Orientation = EOrientation();
    m_fAngle = 0;
    m_vRelativeMin = {-radius, -radius, -radius};
    m_vRelativeMax = {radius, radius, radius};
    m_vWorldMin = position + m_vRelativeMin;
    m_vWorldMax = position + m_vRelativeMax;
}

void ECollisionFinder::SetBox(const DV& min, const DV& max) {
    m_vPosition = (min + max) * 0.5f;
    m_vRelativeMin = min - m_vPosition;
    m_vRelativeMax = max - m_vPosition;
    m_vWorldMin = min;
    m_vWorldMax = max;
}

void ECollisionFinder::SetProjector(const DV& position, const EOrientation& orientation, float farDistance,
                                    float angle) {
    m_vPosition = position;
    m_fRadius = farDistance;
    m_Orientation = orientation;
    m_fAngle = angle;

    EOrientation left = orientation, right = orientation;
    left.RotateAxis(&orientation.m_Up, -angle / 2);
    right.RotateAxis(&orientation.m_Up, angle / 2);
    const DV p1 = left.m_Front * farDistance;
    const DV p2 = right.m_Front * farDistance;
    const float halfWidth = pmath::Length(p2 - p1) / 2;
    const DV middle = (p1 + p2) * 0.5f;
    const DV s = pmath::Normalize(orientation.m_Side) * halfWidth;
    const DV u = pmath::Normalize(orientation.m_Up) * halfWidth;
    const DV A = middle + s + u, B = middle - s - u, D = middle - s + u, E = middle + s - u;
    const DV O{};
    const DV T = pmath::Normalize(orientation.m_Front) * (farDistance * kTipFactor);
    const DV triangles[kPolyhedronTriangles][3] = {{O, A, D}, {O, D, B}, {O, B, E}, {O, E, A},
                                                   {T, D, A}, {T, B, D}, {T, E, B}, {T, A, E}};
    for (int i = 0; i < kPolyhedronTriangles; ++i) {
        for (int k = 0; k < 3; ++k) {
            m_vTriangles[i][k] = triangles[i][k];
            m_vWorldTriangles[i][k] = triangles[i][k] + position;
        }
        const DV& p = triangles[i][0];
        const DV& q = triangles[i][1];
        const DV& r = triangles[i][2];
        m_vNormals[i] = pmath::Normalize(pmath::Cross(r - q, q - p));
        const float along = pmath::Dot(m_vNormals[i], orientation.m_Front);
        if ((i < 4 && along > 0) || (i >= 4 && along < 0)) g_Console.PrintInt("ERROR: Przeciwny Normal, i=", i);
    }
    m_vRelativeMin = LowerCorner(LowerCorner(LowerCorner(O, A), LowerCorner(B, D)), LowerCorner(E, T));
    m_vRelativeMax = UpperCorner(UpperCorner(UpperCorner(O, A), UpperCorner(B, D)), UpperCorner(E, T));
    m_vWorldMin = position + m_vRelativeMin;
    m_vWorldMax = position + m_vRelativeMax;
}

bool ECollisionFinder::ContainsPoint(const DV& p) const {
    for (int i = 0; i < kPolyhedronTriangles; ++i)
        if (pmath::Dot(m_vNormals[i], p - m_vWorldTriangles[i][0]) > 0) return false;
    return true;
}

bool ECollisionFinder::PolyhedronMeetsBox(const DV& min, const DV& max) const {
    DV corners[8];
    GetBoxCorners(&min, &max, corners);
    for (const DV& corner : corners)
        if (ContainsPoint(corner)) return true;
    for (int i = 0; i < kPolyhedronTriangles; ++i) {
        const bool allOutside = std::all_of(std::begin(corners), std::end(corners), [&](const DV& corner) {
            return pmath::Dot(m_vNormals[i], corner - m_vWorldTriangles[i][0]) > 0;
        });
        if (allOutside) return false;
    }
    for (const auto& triangle : m_vWorldTriangles)
        for (const DV& vertex : triangle)
            if (InBox(vertex, min, max)) return true;
    for (const auto& t : m_vWorldTriangles)
        if (TriangleBoxOverlapCorners(&t[0], &t[1], &t[2], &min, &max, corners)) return true;
    return false;
}

bool ECollisionFinder::PolyhedronMeetsTriangle(const DV& a, const DV& b, const DV& c) const {
    if (ContainsPoint(a) || ContainsPoint(b) || ContainsPoint(c)) return true;
    const DV* face[3] = {&a, &b, &c};
    for (const auto& t : m_vWorldTriangles)
        for (int k = 0; k < 3; ++k) {
            if (SegmentTriangleIntersect(face[k], face[(k + 1) % 3], &t[0], &t[1], &t[2])) return true;
            if (SegmentTriangleIntersect(&t[k], &t[(k + 1) % 3], &a, &b, &c)) return true;
        }
    return false;
}

bool ECollisionFinder::SphereMeetsTriangle(const DV& a, const DV& b, const DV& c) const {
    const DV* face[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k)
        if (PointSegmentDistance(&m_vPosition, face[k], face[(k + 1) % 3]) < m_fRadius) return true;
    // The foot of the perpendicular from the centre lies in the triangle, nearer than the radius.
    const DV n = pmath::Normalize(pmath::Cross(b - a, c - a)) * m_fRadius;
    const DV above = m_vPosition + n, below = m_vPosition - n;
    return SegmentTriangleIntersectN(&above, &below, &a, &b, &c, &n);
}
