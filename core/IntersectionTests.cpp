#include "core/IntersectionTests.h"

#include <cmath>
#include <initializer_list>
#include <type_traits>

namespace {

// A triangle is degenerate when every component of its normal (twice the area of its projection
// on a coordinate plane) lies strictly inside this bound.
constexpr float kDegenerateNormal = 0.01f;
// A segment is parallel to a triangle's plane when |n . d| is below this bound.
constexpr float kParallelFloat = 0.0001f;
constexpr double kParallelDouble = 0.00000001;

// Vector arithmetic shared by the float and the double points.
template <class V>
V Sub(const V& a, const V& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <class V>
auto Dot3(const V& a, const V& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <class V>
V Cross3(const V& a, const V& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <class V>
V TriangleNormal(const V& a, const V& b, const V& c) {
    return Cross3(Sub(b, a), Sub(c, a));
}

template <class V>
bool IsDegenerate(const V& n) {
    auto small = [](auto value) { return value > -kDegenerateNormal && value < kDegenerateNormal; };
    return small(n.x) && small(n.y) && small(n.z);
}

// Whether q, a point of the triangle's plane, lies in the triangle, edges and corners included.
template <class V>
bool InsideTriangle(const V& q, const V& a, const V& b, const V& c) {
    const V u = Sub(b, a);
    const V v = Sub(c, a);
    const V w = Sub(q, a);
    const auto uu = Dot3(u, u), uv = Dot3(u, v), vv = Dot3(v, v);
    const auto wu = Dot3(w, u), wv = Dot3(w, v);
    const auto det = uv * uv - uu * vv;
    // det is -|u x v|^2: coincident or collinear corners leave no area to be inside of, and
    // dividing by it would give NaN coordinates that pass every comparison.
    if (!(det < 0)) return false;
    const auto s = (uv * wv - vv * wu) / det;
    if (s < 0 || s > 1) return false;
    const auto r = (uv * wu - uu * wv) / det;
    return r >= 0 && s + r <= 1;
}

// The segment p0..p1 against the triangle a, b, c of normal n: the crossing of the plane, then
// whether it lies in the triangle. Writes t once the segment is known not to be parallel and the
// point once t lies on the segment.
template <class V, class T>
bool SegmentCrossesTriangle(const V& p0, const V& p1, const V& a, const V& b, const V& c, const V& n,
                            T parallelBound, std::type_identity_t<T>* outT,
                            std::type_identity_t<V>* outPoint) {
    const T k0 = Dot3(n, Sub(p0, a));
    const T k1 = Dot3(n, Sub(p1, a));
    // Ends strictly on opposite sides: a segment in the plane or ending on it does not cross it.
    if (!(k0 * k1 < 0)) return false;
    const V d = Sub(p1, p0);
    const T denom = Dot3(n, d);
    if (std::fabs(denom) < parallelBound) return false;
    const T t = -k0 / denom;
    if (outT) *outT = t;
    if (t < 0 || t > 1) return false;
    const V q = {p0.x + t * d.x, p0.y + t * d.y, p0.z + t * d.z};
    if (outPoint) *outPoint = q;
    return InsideTriangle(q, a, b, c);
}

bool SegmentCrossesSizedTriangle(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, float* outT,
                                 DV* outPoint) {
    const DV n = TriangleNormal(*a, *b, *c);
    if (IsDegenerate(n)) return false;
    return SegmentCrossesTriangle(*p0, *p1, *a, *b, *c, n, kParallelFloat, outT, outPoint);
}

float At(const DV& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

bool InBox(const DV& p, const DV& min, const DV& max) {
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z && p.z <= max.z;
}

constexpr int kAxesXYZ[3] = {0, 1, 2};
constexpr int kAxesXZY[3] = {0, 2, 1};

// Calls visit(axis, plane, t, point) for each crossing of the segment with a face of the box (the
// crossing at t in 0..1 whose other two coordinates lie in the box), planes min then max of each
// axis in the given order, skipping axes along which the segment has no extent. Stops and gives
// true as soon as visit does.
template <class Visit>
bool VisitFaceCrossings(const DV& p0, const DV& p1, const DV& min, const DV& max, const int (&axes)[3],
                        Visit visit) {
    const DV d = p1 - p0;
    for (int axis : axes) {
        const float extent = At(d, axis);
        if (extent == 0.0f) continue;
        const int other1 = (axis + 1) % 3;
        const int other2 = (axis + 2) % 3;
        for (float plane : {At(min, axis), At(max, axis)}) {
            const float t = (plane - At(p0, axis)) / extent;
            if (t < 0.0f || t > 1.0f) continue;
            const DV point = p0 + d * t;
            if (At(point, other1) < At(min, other1) || At(point, other1) > At(max, other1)) continue;
            if (At(point, other2) < At(min, other2) || At(point, other2) > At(max, other2)) continue;
            if (visit(axis, plane, t, point)) return true;
        }
    }
    return false;
}

bool TriangleEdgesMeetBox(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max) {
    return SegmentAABBIntersect(a, b, min, max) || SegmentAABBIntersect(b, c, min, max) ||
           SegmentAABBIntersect(c, a, min, max);
}

bool BoxEdgesMeetTriangle(const DV* a, const DV* b, const DV* c, const DV* corners) {
    for (const auto& edge : kBoxEdges)
        if (SegmentTriangleIntersect(&corners[edge[0]], &corners[edge[1]], a, b, c)) return true;
    return false;
}

bool BoxEdgesMeetBox(const DV* edgesOf, const DV* box) {
    for (const auto& edge : kBoxEdges)
        if (SegmentBoxIntersect(&edgesOf[edge[0]], &edgesOf[edge[1]], box)) return true;
    return false;
}

}  // namespace

bool SegmentTriangleIntersect(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c) {
    return SegmentCrossesSizedTriangle(p0, p1, a, b, c, nullptr, nullptr);
}

bool SegmentTriangleIntersectN(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, const DV* n) {
    return SegmentCrossesTriangle(*p0, *p1, *a, *b, *c, *n, kParallelFloat, nullptr, nullptr);
}

bool SegmentTrianglePoint(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, DV* outPoint) {
    return SegmentCrossesSizedTriangle(p0, p1, a, b, c, nullptr, outPoint);
}

bool SegmentTrianglePointN(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, const DV* n,
                           DV* outPoint) {
    return SegmentCrossesTriangle(*p0, *p1, *a, *b, *c, *n, kParallelFloat, nullptr, outPoint);
}

bool SegmentTriangleHit(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, DV* outPoint,
                        float* outT) {
    return SegmentCrossesSizedTriangle(p0, p1, a, b, c, outT, outPoint);
}

bool SegmentTriangleHitD(const DV64* p0, const DV64* p1, const DV64* a, const DV64* b, const DV64* c,
                         DV64* outPoint, double* outT) {
    const DV64 n = TriangleNormal(*a, *b, *c);
    if (IsDegenerate(n)) return false;
    return SegmentCrossesTriangle(*p0, *p1, *a, *b, *c, n, kParallelDouble, outT, outPoint);
}

bool SegmentAABBIntersect(const DV* p0, const DV* p1, const DV* min, const DV* max) {
    if (InBox(*p0, *min, *max) || InBox(*p1, *min, *max)) return true;
    return VisitFaceCrossings(*p0, *p1, *min, *max, kAxesXYZ, [](int, float, float, const DV&) { return true; });
}

bool SegmentAABBHit(const DV* p0, const DV* p1, const DV* min, const DV* max, DV* outPoint) {
    float nearestT = 2.0f;
    DV nearest;
    VisitFaceCrossings(*p0, *p1, *min, *max, kAxesXYZ, [&](int, float, float t, const DV& point) {
        if (t < nearestT) {
            nearestT = t;
            nearest = point;
        }
        return false;
    });
    if (nearestT > 1.0f) return false;
    *outPoint = nearest;
    return true;
}

void GetBoxCorners(const DV* min, const DV* max, DV* outCorners) {
    outCorners[0] = {min->x, min->y, min->z};
    outCorners[1] = {max->x, min->y, min->z};
    outCorners[2] = {max->x, max->y, min->z};
    outCorners[3] = {min->x, max->y, min->z};
    outCorners[4] = {min->x, min->y, max->z};
    outCorners[5] = {max->x, min->y, max->z};
    outCorners[6] = {max->x, max->y, max->z};
    outCorners[7] = {min->x, max->y, max->z};
}

bool TriangleBoxOverlap(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max) {
    if (TriangleEdgesMeetBox(a, b, c, min, max)) return true;
    DV corners[8];
    GetBoxCorners(min, max, corners);
    return BoxEdgesMeetTriangle(a, b, c, corners);
}

bool TriangleBoxOverlapCorners(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max,
                               const DV* corners) {
    return TriangleEdgesMeetBox(a, b, c, min, max) || BoxEdgesMeetTriangle(a, b, c, corners);
}

bool TriangleBoxEdgeHits(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max,
                         const DV* corners, int* count, DV* points) {
    const int start = *count;
    for (const auto& edge : kBoxEdges)
        if (SegmentTrianglePoint(&corners[edge[0]], &corners[edge[1]], a, b, c, &points[*count])) ++*count;

    const DV* triangle[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        const DV& s = *triangle[i];
        const DV& e = *triangle[(i + 1) % 3];
        VisitFaceCrossings(s, e, *min, *max, kAxesXZY, [&](int axis, float plane, float, const DV& point) {
            const float from = At(s, axis), to = At(e, axis);
            if ((from <= plane && plane <= to) || (to <= plane && plane <= from)) points[(*count)++] = point;
            return false;
        });
    }

    for (const DV* corner : triangle)
        if (InBox(*corner, *min, *max)) points[(*count)++] = *corner;
    return *count > start;
}

bool SegmentBoxIntersect(const DV* p0, const DV* p1, const DV* corners) {
    const DV* P = corners;
    // Each face plane as a corner on it and an outward direction.
    const DV onPlane[6] = {P[0], P[4], P[0], P[1], P[0], P[3]};
    const DV outward[6] = {P[0] - P[4], P[4] - P[0], P[0] - P[1], P[1] - P[0], P[0] - P[3], P[3] - P[0]};
    bool p0Outside = false;
    bool p1Outside = false;
    for (int i = 0; i < 6; ++i) {
        const bool out0 = pmath::Dot(*p0 - onPlane[i], outward[i]) > 0.0f;
        const bool out1 = pmath::Dot(*p1 - onPlane[i], outward[i]) > 0.0f;
        if (out0 && out1) return false;
        p0Outside |= out0;
        p1Outside |= out1;
    }
    if (!p0Outside || !p1Outside) return true;
    for (const auto& face : BoxFaceTriangles)
        if (SegmentTriangleIntersect(p0, p1, &P[face[0]], &P[face[1]], &P[face[2]])) return true;
    return false;
}

bool BoxesOverlap(const DV* cornersA, const DV* cornersB) {
    return BoxEdgesMeetBox(cornersB, cornersA) || BoxEdgesMeetBox(cornersA, cornersB);
}
