#include "core/GeometryHelpers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

constexpr float kShortDirection = 0.001f;   // RotationBetweenVectors: an input this short has no direction
constexpr float kShortAxis = 0.01f;         // ... nor does a cross product of unit directions this short
constexpr float kCloseDirections = 0.1f;    // ... and directions this close turn about a perpendicular
constexpr float kPointSegment = 0.001f;     // squared length below which a segment is its start point
constexpr float kParallelSine2 = 0.00001f;  // squared sine of the angle below which segments are parallel
constexpr float kNoAngle = 0.01f;           // |sin| + |cos| up to which an angle is taken as 0

float Clamp1(float v) { return std::clamp(v, -1.0f, 1.0f); }

DV ClosestPointOnSegment(const DV& p, const DV& a, const DV& b) {
    const DV d = b - a;
    const float lengthSq = pmath::Dot(d, d);
    if (lengthSq > -kPointSegment && lengthSq < kPointSegment) return a;
    const float t = pmath::Dot(p - a, d) / lengthSq;
    if (t <= 0.0f) return a;
    if (t >= 1.0f) return b;
    return a + d * t;
}

// The angle 0..2 pi whose sine and cosine are s and k.
float AngleOf(float s, float k) {
    if (s >= 0.0f) return k >= 0.0f ? std::asin(s) : kPi - std::asin(s);
    return k < 0.0f ? kPi + std::asin(-s) : kTwoPi - std::asin(-s);
}

bool IsNoAngle(float s, float k) { return std::fabs(s) + std::fabs(k) <= kNoAngle; }

// Closest parameters of segments that run parallel, where every pair along the overlap is
// equally close: the pair at an end of the first segment's projection is taken.
void ParallelSegmentParams(float a00, float a01, float a11, float b0, float b1, float& s, float& t) {
    if (a00 == 0.0f) {
        // The first segment is a point: the nearest point of the second.
        s = 0.0f;
        t = a11 > 0.0f ? std::clamp(-b1 / a11, 0.0f, 1.0f) : 0.0f;
    } else if (a01 > 0.0f) {  // opposite directions
        t = 0.0f;
        if (b0 >= 0.0f) {
            s = 0.0f;
        } else if (-b0 <= a00) {
            s = -b0 / a00;
        } else {
            s = 1.0f;
            const float k = a00 + b0;
            t = -k >= a01 ? 1.0f : -k / a01;
        }
    } else {  // the same direction, or the second segment is a point
        t = 0.0f;
        if (-b0 >= a00) {
            s = 1.0f;
        } else if (b0 <= 0.0f) {
            s = -b0 / a00;
        } else {
            s = 0.0f;
            t = b0 >= -a01 ? 1.0f : -b0 / a01;
        }
    }
}

}  // namespace

void TransformNormal(DV* out, const DV* v, const pmath::Matrix* m) {
    const pmath::Vec4 h = pmath::Transform(*v, *m);
    *out = {h.x, h.y, h.z};
}

void PerpendicularVector(DV* out, const DV* v) {
    // Divide by the component of greatest magnitude, so the divisor is 0 only for the zero vector.
    const float ax = std::fabs(v->x), ay = std::fabs(v->y), az = std::fabs(v->z);
    const int chosen = ay >= ax ? (az < ay ? 1 : 2) : (az < ax ? 0 : 2);
    const float length = pmath::Length(*v);
    // A vector too short for its length to be measured still gets a finite, non-zero result.
    const float l = length > 0.0f ? length : 1.0f;
    switch (chosen) {
        case 0: *out = {-(l * v->y + l * v->z) / v->x, l, l}; break;
        case 1: *out = {l, -(l * v->x + l * v->z) / v->y, l}; break;
        default: *out = {l, l, v->z != 0.0f ? -(l * v->x + l * v->y) / v->z : 0.0f}; break;
    }
}

void RotationBetweenVectors(const DV* from, const DV* to, pmath::Matrix* outMatrix, DV* outAxis,
                            float* outAngle) {
    const DV a = pmath::Length(*from) <= kShortDirection ? DV{1.0f, 0.0f, 0.0f} : pmath::Normalize(*from);
    const DV b = pmath::Length(*to) <= kShortDirection ? DV{0.0f, 0.0f, 1.0f} : pmath::Normalize(*to);
    const float angle = std::acos(Clamp1(pmath::Dot(a, b)));
    // The cross product of the unit directions, so the bound does not depend on the inputs' lengths.
    DV axis = pmath::Cross(a, b);
    if (pmath::Length(axis) < kShortAxis || pmath::Length(a - b) < kCloseDirections) PerpendicularVector(&axis, &a);
    if (outMatrix) *outMatrix = pmath::MatrixFromAxisAngle(axis, angle);
    if (outAxis) *outAxis = axis;
    if (outAngle) *outAngle = angle;
}

float PointPlaneDistance(const DV* p, const DV* q, const DV* n) {
    const float length = pmath::Length(*n);
    if (length == 0.0f) return 0.0f;
    return std::fabs(pmath::Dot(*p - *q, *n)) / length;
}

float PointSegmentDistance(const DV* p, const DV* a, const DV* b, DV* outClosest) {
    const DV closest = ClosestPointOnSegment(*p, *a, *b);
    if (outClosest) *outClosest = closest;
    return pmath::Length(*p - closest);
}

float SegmentSegmentDistance(const DV* p0, const DV* p1, const DV* q0, const DV* q1, float* outS, float* outT) {
    const DV d0 = *p1 - *p0;
    const DV d1 = *q1 - *q0;
    const DV e = *p0 - *q0;
    const float a00 = pmath::Dot(d0, d0);
    const float a01 = -pmath::Dot(d0, d1);
    const float a11 = pmath::Dot(d1, d1);
    const float b0 = pmath::Dot(e, d0);
    const float b1 = -pmath::Dot(e, d1);
    // det = a00 a11 sin^2 of the angle between the segments: compared relative to the lengths, so
    // short segments are not taken as parallel.
    const float det = std::fabs(a00 * a11 - a01 * a01);

    float s = 0.0f;
    float t = 0.0f;
    if (det <= kParallelSine2 * a00 * a11) {
        ParallelSegmentParams(a00, a01, a11, b0, b1, s, t);
    } else {
        s = (a01 * b1 - a11 * b0) / det;
        t = (a01 * b0 - a00 * b1) / det;
        if (s < 0.0f || s > 1.0f || t < 0.0f || t > 1.0f) {
            // The lines meet outside the square of parameters: the minimum lies on its border. The
            // squared distance is convex, so the best of the four edges' minima is the one.
            float best = -1.0f;
            auto tryEdge = [&](float es, float et) {
                const DV gap = (*p0 + d0 * es) - (*q0 + d1 * et);
                const float distSq = pmath::Dot(gap, gap);
                if (best < 0.0f || distSq < best) {
                    best = distSq;
                    s = es;
                    t = et;
                }
            };
            for (float edge : {0.0f, 1.0f}) {
                tryEdge(edge, std::clamp(-(b1 + a01 * edge) / a11, 0.0f, 1.0f));
                tryEdge(std::clamp(-(b0 + a01 * edge) / a00, 0.0f, 1.0f), edge);
            }
        }
    }
    if (outS) *outS = s;
    if (outT) *outT = t;
    const DV gap = (*p0 + d0 * s) - (*q0 + d1 * t);
    return pmath::Dot(gap, gap);
}

bool SegmentSphereIntersect(const DV* p0, const DV* p1, const DV* centre, float radius) {
    const DV gap = *centre - ClosestPointOnSegment(*centre, *p0, *p1);
    return pmath::Dot(gap, gap) <= radius * radius;
}

bool SegmentSphereHit(const DV* p0, const DV* p1, const DV* centre, float radius, float* outT) {
    const DV d = *p1 - *p0;
    const DV offset = *p0 - *centre;
    const float qa = pmath::Dot(d, d);
    const float qb = 2.0f * pmath::Dot(d, offset);
    // |p0 - c|^2 - r^2 from the difference, which keeps its precision far from the origin.
    const float qc = pmath::Dot(offset, offset) - radius * radius;
    const float disc = qb * qb - 4.0f * qa * qc;
    if (disc <= 0.0f || qa == 0.0f) return false;
    const float root = std::sqrt(disc);
    float t = (-qb - root) / (2.0f * qa);
    if (t < 0.0f) t = (root - qb) / (2.0f * qa);  // p0 inside: the exit point
    if (t < 0.0f || t > 1.0f) return false;
    *outT = t;
    return true;
}

void MatrixToYawPitchRoll(const pmath::Matrix* m, float* outPitch, float* outYaw, float* outRoll) {
    DV front;
    DV up;
    const DV unitZ{0.0f, 0.0f, 1.0f};
    const DV unitY{0.0f, 1.0f, 0.0f};
    TransformNormal(&front, &unitZ, m);
    TransformNormal(&up, &unitY, m);

    // Yaw from the horizontal part of front; then both axes are turned back about y by it.
    DV v = pmath::Normalize(DV{front.x, 0.0f, front.z});
    float s = Clamp1(v.x), k = Clamp1(v.z);
    *outYaw = 0.0f;
    if (!IsNoAngle(s, k)) {
        *outYaw = AngleOf(s, k);
        front = {k * front.x - s * front.z, front.y, s * front.x + k * front.z};
        up = {k * up.x - s * up.z, up.y, s * up.x + k * up.z};
    }

    // Pitch from front, now in the y-z plane; then up is turned back about x by it.
    v = pmath::Normalize(DV{0.0f, front.y, front.z});
    s = Clamp1(-v.y), k = Clamp1(v.z);
    *outPitch = 0.0f;
    if (!IsNoAngle(s, k)) {
        *outPitch = AngleOf(s, k);
        up = {up.x, k * up.y + s * up.z, -s * up.y + k * up.z};
    }

    // Roll from what is left of up, in the x-y plane.
    v = pmath::Normalize(DV{up.x, up.y, 0.0f});
    s = Clamp1(-v.x), k = Clamp1(v.y);
    *outRoll = IsNoAngle(s, k) ? 0.0f : AngleOf(s, k);
}

float DirectionHeading(const DV* v) {
    if (!v) return 0.0f;
    const float heading = std::acos(Clamp1(v->z));
    return v->x < 0.0f ? -heading : heading;
}
