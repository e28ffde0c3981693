#pragma once
// Stateless vector, rotation and distance helpers. Vectors are passed by pointer; optional
// out-pointers may be null. Segments run from p0 (t = 0) to p1 (t = 1), both ends included.
#include "core/DV.h"
#include "platform/math/Matrix.h"

// out = (v, 1) * m without a division by w: the 3 x 3 part applied to v plus row 3. out may be v.
void TransformNormal(DV* out, const DV* v, const pmath::Matrix* m);
// A vector perpendicular to v, at least sqrt(2) |v| long, never zero.
void PerpendicularVector(DV* out, const DV* v);
// The rotation by the angle between the directions of from and to (0..pi) that turns from
// towards to; nearly equal or opposite directions turn about a perpendicular of from.
void RotationBetweenVectors(const DV* from, const DV* to, pmath::Matrix* outMatrix = nullptr,
                            DV* outAxis = nullptr, float* outAngle = nullptr);
// Unsigned distance from p to the plane through q with normal n (any length); 0 for a zero n.
float PointPlaneDistance(const DV* p, const DV* q, const DV* n);
float PointSegmentDistance(const DV* p, const DV* a, const DV* b, DV* outClosest = nullptr);
// Squared distance between the closest points of two segments, with their parameters.
float SegmentSegmentDistance(const DV* p0, const DV* p1, const DV* q0, const DV* q1, float* outS = nullptr,
                             float* outT = nullptr);
// True when the segment comes within radius of centre (touching counts).
bool SegmentSphereIntersect(const DV* p0, const DV* p1, const DV* centre, float radius);
// True when the segment crosses the sphere's surface; writes the parameter of the first crossing
// at or after p0 (the exit when p0 lies inside), only on a hit.
bool SegmentSphereHit(const DV* p0, const DV* p1, const DV* centre, float radius, float* outT);
// The angles (each 0..2 pi) of a roll-then-pitch-then-yaw rotation matrix.
void MatrixToYawPitchRoll(const pmath::Matrix* m, float* outPitch, float* outYaw, float* outRoll);
// acos(v.z), negated for v.x < 0: a unit horizontal direction's heading from +z towards +x.
float DirectionHeading(const DV* v);
