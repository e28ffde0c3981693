#include "core/IntersectionTests.h"

#include <gtest/gtest.h>

#include <array>
#include <numbers>

#include "support/MathSupport.h"

using test::Near;

namespace {

using Box = std::array<DV, 8>;

Box Corners(const DV& min, const DV& max) {
    Box box;
    GetBoxCorners(&min, &max, box.data());
    return box;
}

// A cube of side `side` centred on `centre`, turned by 45 degrees about y.
Box TurnedCube(const DV& centre, float side) {
    const DV half{side / 2, side / 2, side / 2};
    Box box = Corners(-1.0f * half, half);
    const pmath::Matrix turn = pmath::MatrixFromAxisAngle({0, 1, 0}, std::numbers::pi_v<float> / 4);
    for (DV& corner : box) corner = pmath::TransformDirection(corner, turn) + centre;
    return box;
}

struct SegmentCase {
    const char* name;
    DV p0, p1;
    bool hit;
};

// The triangle (0,0,0), (1,0,0), (0,0,1) in the plane y = 0.
const DV kA{0, 0, 0}, kB{1, 0, 0}, kC{0, 0, 1};

}  // namespace

TEST(IntersectionTestsTest, SegmentCrossesTriangleInsideOrOnItsBorder) {
    const SegmentCase cases[] = {
        {"through the inside", {0.25f, 1, 0.25f}, {0.25f, -1, 0.25f}, true},
        {"from the other side", {0.25f, -1, 0.25f}, {0.25f, 3, 0.25f}, true},
        {"through an edge", {0.5f, 1, 0}, {0.5f, -1, 0}, true},
        {"through the long edge", {0.5f, 1, 0.5f}, {0.5f, -1, 0.5f}, true},
        {"through a corner", {1, 1, 0}, {1, -1, 0}, true},
        {"beside the triangle", {0.6f, 1, 0.6f}, {0.6f, -1, 0.6f}, false},
        {"in the plane", {-1, 0, 0.2f}, {2, 0, 0.2f}, false},
        {"ending in the plane", {0.25f, 1, 0.25f}, {0.25f, 0, 0.25f}, false},
        {"short of the plane", {0.25f, 1, 0.25f}, {0.25f, 0.5f, 0.25f}, false},
        {"nearly parallel (|n.d| below 0.0001)", {0.2f, 0.00004f, 0.2f}, {0.3f, -0.00004f, 0.2f}, false},
    };
    const DV n{0, -1, 0};
    for (const auto& c : cases) {
        EXPECT_EQ(SegmentTriangleIntersect(&c.p0, &c.p1, &kA, &kB, &kC), c.hit) << c.name;
        EXPECT_EQ(SegmentTriangleIntersectN(&c.p0, &c.p1, &kA, &kB, &kC, &n), c.hit) << c.name;
        DV q;
        float t = -1;
        ASSERT_EQ(SegmentTriangleHit(&c.p0, &c.p1, &kA, &kB, &kC, &q, &t), c.hit) << c.name;
        if (!c.hit) continue;
        EXPECT_TRUE(Near(q, c.p0 + (c.p1 - c.p0) * t)) << c.name;
        EXPECT_NEAR(q.y, 0.0f, 1e-6f) << c.name;
        DV q2, q3;
        EXPECT_TRUE(SegmentTrianglePoint(&c.p0, &c.p1, &kA, &kB, &kC, &q2)) << c.name;
        EXPECT_TRUE(SegmentTrianglePointN(&c.p0, &c.p1, &kA, &kB, &kC, &n, &q3)) << c.name;
        EXPECT_TRUE(Near(q2, q, 0)) << c.name;
        EXPECT_TRUE(Near(q3, q, 0)) << c.name;
    }
}

TEST(IntersectionTestsTest, SegmentTriangleHitReportsParameterAndPoint) {
    const DV p0{0.25f, 3, 0.25f}, p1{0.25f, -1, 0.25f};
    DV q;
    float t = -1;
    ASSERT_TRUE(SegmentTriangleHit(&p0, &p1, &kA, &kB, &kC, &q, &t));
    EXPECT_FLOAT_EQ(t, 0.75f);
    EXPECT_TRUE(Near(q, {0.25f, 0, 0.25f}));
}

TEST(IntersectionTestsTest, DoublePrecisionTestHasItsOwnParallelBound) {
    const DV64 a{0, 0, 0}, b{1, 0, 0}, c{0, 0, 1};
    DV64 q;
    double t = -1;
    const DV64 p0{0.25, 3, 0.25}, p1{0.25, -1, 0.25};
    ASSERT_TRUE(SegmentTriangleHitD(&p0, &p1, &a, &b, &c, &q, &t));
    EXPECT_DOUBLE_EQ(t, 0.75);
    EXPECT_DOUBLE_EQ(q.x, 0.25);
    EXPECT_DOUBLE_EQ(q.y, 0.0);

    // Too flat for the float test, crossing enough for the double one.
    const DV64 flat0{0.2, 0.00004, 0.2}, flat1{0.3, -0.00004, 0.2};
    EXPECT_TRUE(SegmentTriangleHitD(&flat0, &flat1, &a, &b, &c, &q, &t));
    const DV64 beside0{0.6, 1, 0.6}, beside1{0.6, -1, 0.6};
    EXPECT_FALSE(SegmentTriangleHitD(&beside0, &beside1, &a, &b, &c, &q, &t));
    const DV64 tiny{0.001, 0, 0};
    EXPECT_FALSE(SegmentTriangleHitD(&p0, &p1, &a, &tiny, &c, &q, &t));
}

TEST(IntersectionTestsTest, TinyTrianglesAreHitOnlyWithAGivenNormal) {
    struct Case {
        DV b, c;
        bool hit;
    };
    const Case cases[] = {
        {{0.2f, 0, 0}, {0, 0, 0.2f}, true},    // normal component 0.04
        {{0.1f, 0, 0}, {0, 0, 0.05f}, false},  // 0.005: degenerate
    };
    const DV p0{0.01f, 1, 0.01f}, p1{0.01f, -1, 0.01f}, n{0, 1, 0};
    for (const auto& c : cases) {
        EXPECT_EQ(SegmentTriangleIntersect(&p0, &p1, &kA, &c.b, &c.c), c.hit);
        EXPECT_TRUE(SegmentTriangleIntersectN(&p0, &p1, &kA, &c.b, &c.c, &n));
    }
}

TEST(IntersectionTestsTest, TrianglesWithoutAreaAreNeverHitEvenWithAGivenNormal) {
    // Coincident or collinear corners leave the in-triangle test no area: it must not report a hit
    // anywhere on the plane.
    const DV n{0, 1, 0};
    const DV corners[][3] = {
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 1}},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}},
    };
    const DV segments[][2] = {{{0, 1, 0.5f}, {0, -1, 0.5f}}, {{5, 1, 5}, {5, -1, 5}}};
    for (const auto& tri : corners)
        for (const auto& seg : segments) {
            DV q;
            EXPECT_FALSE(SegmentTriangleIntersectN(&seg[0], &seg[1], &tri[0], &tri[1], &tri[2], &n));
            EXPECT_FALSE(SegmentTrianglePointN(&seg[0], &seg[1], &tri[0], &tri[1], &tri[2], &n, &q));
        }
}

TEST(IntersectionTestsTest, SegmentAgainstAxisAlignedBox) {
    const DV min{0, 0, 0}, max{2, 2, 2};
    const SegmentCase cases[] = {
        {"wholly inside", {0.5f, 0.5f, 0.5f}, {1.5f, 1.5f, 1.5f}, true},
        {"lying on a face", {0.5f, 0, 0.5f}, {1.5f, 0, 1.5f}, true},
        {"one end inside", {1, 1, 1}, {5, 1, 1}, true},
        {"through two faces", {-1, 1, 1}, {3, 1, 1}, true},
        {"through an edge", {-1, -1, 1}, {1, 1, 1}, true},
        {"parallel beside the box", {-1, 3, 1}, {3, 3, 1}, false},
        {"short of the box", {-3, 1, 1}, {-1, 1, 1}, false},
        {"past a corner", {5, 0, 1}, {0, 5, 1}, false},
        {"touching a corner", {4, 0, 1}, {0, 4, 1}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(SegmentAABBIntersect(&c.p0, &c.p1, &min, &max), c.hit) << c.name;
}

TEST(IntersectionTestsTest, SegmentAABBHitGivesTheFaceCrossingNearestTheStart) {
    const DV min{0, 0, 0}, max{2, 2, 2};
    struct Case {
        const char* name;
        DV p0, p1;
        bool hit;
        DV point;
    };
    const Case cases[] = {
        {"entering", {-1, 1, 1}, {3, 1, 1}, true, {0, 1, 1}},
        {"entering from the other side", {3, 1, 1}, {-1, 1, 1}, true, {2, 1, 1}},
        {"leaving", {1, 1, 1}, {1, 1, 5}, true, {1, 1, 2}},
        {"wholly inside", {0.5f, 0.5f, 0.5f}, {1.5f, 1.5f, 1.5f}, false, {7, 7, 7}},
        {"missing", {-1, 3, 1}, {3, 3, 1}, false, {7, 7, 7}},
    };
    for (const auto& c : cases) {
        DV point{7, 7, 7};
        EXPECT_EQ(SegmentAABBHit(&c.p0, &c.p1, &min, &max, &point), c.hit) << c.name;
        EXPECT_TRUE(Near(point, c.point)) << c.name;
    }
}

TEST(IntersectionTestsTest, BoxCornersGoRoundMinimumZThenMaximumZ) {
    const Box box = Corners({1, 2, 3}, {4, 5, 6});
    const Box expected = {DV{1, 2, 3}, DV{4, 2, 3}, DV{4, 5, 3}, DV{1, 5, 3},
                          DV{1, 2, 6}, DV{4, 2, 6}, DV{4, 5, 6}, DV{1, 5, 6}};
    EXPECT_EQ(box, expected);
}

TEST(IntersectionTestsTest, TriangleBoxOverlap) {
    const DV min{0, 0, 0}, max{1, 1, 1};
    const Box corners = Corners(min, max);
    struct Case {
        const char* name;
        DV a, b, c;
        bool overlap;
    };
    const Case cases[] = {
        // Corners and edges far outside; only the box's edges meet the triangle.
        {"large triangle through a small box", {-10, 0.5f, -10}, {10, 0.5f, -10}, {0, 0.5f, 20}, true},
        {"corner inside", {0.5f, 0.5f, 0.5f}, {5, 5, 5}, {5, 0, 5}, true},
        {"edge through the box", {-1, 0.5f, 0.5f}, {2, 0.5f, 0.5f}, {0.5f, 5, 5}, true},
        {"apart", {2, 2, 2}, {3, 2, 2}, {2, 3, 2}, false},
        {"plane misses the box", {-10, 1.5f, -10}, {10, 1.5f, -10}, {0, 1.5f, 20}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TriangleBoxOverlap(&c.a, &c.b, &c.c, &min, &max), c.overlap) << c.name;
        EXPECT_EQ(TriangleBoxOverlapCorners(&c.a, &c.b, &c.c, &min, &max, corners.data()), c.overlap) << c.name;
    }
}

TEST(IntersectionTestsTest, TriangleBoxEdgeHitsAppendsContactPoints) {
    const DV min{0, 0, 0}, max{1, 1, 1};
    const Box corners = Corners(min, max);
    DV points[8 + kMaxTriangleBoxEdgeHits];
    const DV marker{9, 9, 9};
    for (DV& p : points) p = marker;

    // A triangle inside the box: its three corners and nothing else, after the given count.
    const DV a{0.2f, 0.5f, 0.2f}, b{0.8f, 0.5f, 0.2f}, c{0.2f, 0.5f, 0.8f};
    int count = 2;
    EXPECT_TRUE(TriangleBoxEdgeHits(&a, &b, &c, &min, &max, corners.data(), &count, points));
    ASSERT_EQ(count, 5);
    EXPECT_TRUE(Near(points[1], marker, 0));
    EXPECT_TRUE(Near(points[2], a, 0));
    EXPECT_TRUE(Near(points[3], b, 0));
    EXPECT_TRUE(Near(points[4], c, 0));

    // Apart: nothing appended, the count unchanged.
    const DV far0{5, 5, 5}, far1{6, 5, 5}, far2{5, 6, 5};
    EXPECT_FALSE(TriangleBoxEdgeHits(&far0, &far1, &far2, &min, &max, corners.data(), &count, points));
    EXPECT_EQ(count, 5);

    // A large triangle through the box at y = 0.5 meets the four box edges along y, in edge order.
    const DV big0{-10, 0.5f, -10}, big1{10, 0.5f, -10}, big2{0, 0.5f, 20};
    count = 0;
    EXPECT_TRUE(TriangleBoxEdgeHits(&big0, &big1, &big2, &min, &max, corners.data(), &count, points));
    ASSERT_EQ(count, 4);
    const DV expected[] = {{1, 0.5f, 0}, {0, 0.5f, 0}, {1, 0.5f, 1}, {0, 0.5f, 1}};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(points[i], expected[i])) << i;

    // A triangle edge crossing the box through the faces x = 0 and x = 1.
    const DV e0{-1, 0.5f, 0.5f}, e1{2, 0.5f, 0.5f}, e2{0.5f, 5, 5};
    count = 0;
    EXPECT_TRUE(TriangleBoxEdgeHits(&e0, &e1, &e2, &min, &max, corners.data(), &count, points));
    ASSERT_GE(count, 2);
    EXPECT_TRUE(Near(points[count - 2], {0, 0.5f, 0.5f}));
    EXPECT_TRUE(Near(points[count - 1], {1, 0.5f, 0.5f}));
}

TEST(IntersectionTestsTest, SegmentAgainstBoxOfEightCorners) {
    const Box cube = Corners({0, 0, 0}, {1, 1, 1});
    const Box turned = TurnedCube({0, 0, 0}, 2);  // reaches sqrt(2) along x and z
    const Box tiny = Corners({0, 0, 0}, {0.09f, 0.09f, 0.09f});
    struct Case {
        const char* name;
        const Box* box;
        DV p0, p1;
        bool hit;
    };
    const Case cases[] = {
        {"both ends beyond one face", &cube, {2, 0.5f, 0}, {2, 0.5f, 1}, false},
        {"one end inside", &cube, {0.5f, 0.5f, 0.5f}, {5, 0.5f, 0.5f}, true},
        {"end on a face", &cube, {1, 0.5f, 0.5f}, {5, 0.5f, 0.5f}, true},
        {"through", &cube, {-1, 0.5f, 0.5f}, {2, 0.5f, 0.5f}, true},
        {"past an edge", &cube, {3.5f, 0.5f, -1}, {-1, 0.5f, 3.5f}, false},
        {"turned: through the corner region", &turned, {1.3f, 0, -1}, {1.3f, 0, 1}, true},
        {"turned: beyond its corner", &turned, {1.5f, 0, -1}, {1.5f, 0, 1}, false},
        {"turned: in the unturned box's corner", &turned, {0.9f, 0, 0.8f}, {0.8f, 0, 0.9f}, false},
        {"tiny cube: end inside", &tiny, {0.05f, 0.05f, 0.05f}, {1, 0.05f, 0.05f}, true},
        {"tiny cube: through (faces too small)", &tiny, {-1, 0.05f, 0.05f}, {1, 0.05f, 0.05f}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(SegmentBoxIntersect(&c.p0, &c.p1, c.box->data()), c.hit) << c.name;
}

TEST(IntersectionTestsTest, BoxesOverlap) {
    const Box large = Corners({0, 0, 0}, {10, 10, 10});
    const Box inside = Corners({4, 4, 4}, {5, 5, 5});
    const Box touching = Corners({10, 2, 2}, {12, 4, 4});
    const Box apart = Corners({11, 0, 0}, {12, 1, 1});
    const Box turned = TurnedCube({11, 5, 5}, 2);  // reaches x = 11 - sqrt(2) < 10
    const Box turnedApart = TurnedCube({11.5f, 5, 5}, 2);
    struct Case {
        const char* name;
        const Box* a;
        const Box* b;
        bool overlap;
    };
    const Case cases[] = {
        {"small inside large", &large, &inside, true},
        {"large around small", &inside, &large, true},
        {"touching along a face", &large, &touching, true},
        {"apart", &large, &apart, false},
        {"turned box poking in", &large, &turned, true},
        {"turned box apart", &large, &turnedApart, false},
    };
    for (const auto& c : cases) EXPECT_EQ(BoxesOverlap(c.a->data(), c.b->data()), c.overlap) << c.name;
}
