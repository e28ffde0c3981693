#pragma once
// Stateless tests of segments against triangles and boxes, of triangles against boxes and of
// boxes against boxes, for the collision code's inner loops. Segments run from p0 (t = 0) to p1
// (t = 1); triangle edges and corners and box faces count as inside; both sides of a triangle
// count alike. On a false result the out values of the segment-triangle tests are unspecified.
#include "core/DV.h"

// A point in double precision, for the rigid-body simulation's segment-triangle test.
struct DV64 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// A box's eight corners: 0..3 around the face at minimum z, 4..7 around the face at maximum z in
// the same order, so that 1, 3 and 4 are corner 0's neighbours along the three edge directions.
// Its 12 edges are always taken in the order of kBoxEdges, its faces split as kBoxFaceTriangles.
inline constexpr int kBoxEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                         {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
inline constexpr int BoxFaceTriangles[12][3] = {{0, 1, 2}, {2, 3, 0}, {5, 4, 7}, {7, 6, 5},
                                                {4, 0, 3}, {3, 7, 4}, {1, 5, 6}, {6, 2, 1},
                                                {3, 2, 6}, {6, 7, 3}, {4, 5, 1}, {1, 0, 4}};

// The most points TriangleBoxEdgeHits appends in one call: 12 box edges, 3 triangle edges
// against 6 face planes, 3 corners.
constexpr int kMaxTriangleBoxEdgeHits = 33;

bool SegmentTriangleIntersect(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c);
// With the triangle's normal given (any length) and no test of its size.
bool SegmentTriangleIntersectN(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, const DV* n);
// Also writes the segment's crossing of the triangle's plane.
bool SegmentTrianglePoint(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, DV* outPoint);
bool SegmentTrianglePointN(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, const DV* n,
                           DV* outPoint);
// Also writes the crossing and its parameter.
bool SegmentTriangleHit(const DV* p0, const DV* p1, const DV* a, const DV* b, const DV* c, DV* outPoint,
                        float* outT);
bool SegmentTriangleHitD(const DV64* p0, const DV64* p1, const DV64* a, const DV64* b, const DV64* c,
                         DV64* outPoint, double* outT);

// True when an end lies in the box (min..max) or the segment crosses one of its faces.
bool SegmentAABBIntersect(const DV* p0, const DV* p1, const DV* min, const DV* max);
// True when the segment crosses a face; writes the crossing nearest to p0.
bool SegmentAABBHit(const DV* p0, const DV* p1, const DV* min, const DV* max, DV* outPoint);
void GetBoxCorners(const DV* min, const DV* max, DV* outCorners);
bool TriangleBoxOverlap(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max);
// The same with the box's corners given by the caller.
bool TriangleBoxOverlapCorners(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max,
                               const DV* corners);
// Appends the contact points of the triangle and the box at points[*count], advancing *count; the
// caller leaves room for kMaxTriangleBoxEdgeHits points. True when any was appended.
bool TriangleBoxEdgeHits(const DV* a, const DV* b, const DV* c, const DV* min, const DV* max,
                         const DV* corners, int* count, DV* points);
// The box is the parallelepiped of its eight corners.
bool SegmentBoxIntersect(const DV* p0, const DV* p1, const DV* corners);
bool BoxesOverlap(const DV* cornersA, const DV* cornersB);
