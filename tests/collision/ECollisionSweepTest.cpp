// A box swept through walls, floors and ramps made of two triangles each.
#include "collision/ECollisionSweep.h"

#include <gtest/gtest.h>

#include "CollisionTest.h"

namespace {

using test::Triangle;

// The quad a, b, c, d as two triangles.
std::vector<Triangle> Quad(const DV& a, const DV& b, const DV& c, const DV& d) { return {{a, b, c}, {a, c, d}}; }

const DV kBoxMin{-1, -1, -1};
const DV kBoxMax{1, 1, 1};
const EOrientation kUpright;

class ECollisionSweepTest : public test::CollisionTest {
protected:
    void AddFloor() { AddMesh(Quad({-50, 0, -50}, {-50, 0, 50}, {50, 0, 50}, {50, 0, -50}), pmath::Identity()); }
    void AddWall(float x) { AddMesh(Quad({x, 0, -50}, {x, 20, -50}, {x, 20, 50}, {x, 0, 50}), pmath::Identity()); }
    // A ramp through the origin rising along +x by the slope.
    void AddRamp(float slope) {
        const float run = 50 / slope;
        AddMesh(Quad({0, 0, -50}, {0, 0, 50}, {run, 50, 50}, {run, 50, -50}), pmath::Identity());
    }
};

TEST_F(ECollisionSweepTest, ABoxSweptIntoAWallStopsAtItFacingBack) {
    AddWall(10);
    const SweepResult r = g_CollisionSweep.Sweep(kBoxMin, kBoxMax, kUpright, {0, 5, 0}, {20, 5, 0});
    EXPECT_EQ(r.m_bHit, 1);
    EXPECT_EQ(r.m_bStartSolid, 0);
    EXPECT_LE(r.m_vPosition.x, 9.0f);
    EXPECT_GT(r.m_vPosition.x, 9.0f - 0.02f);
    EXPECT_NEAR(r.m_fFraction, r.m_vPosition.x / 20, 1e-6f);
    EXPECT_EQ(r.m_vNormal, (DV{-1, 0, 0}));

    const SweepResult free = g_CollisionSweep.Sweep(kBoxMin, kBoxMax, kUpright, {0, 5, 0}, {5, 5, 0});
    EXPECT_EQ(free.m_bHit, 0);
    EXPECT_EQ(free.m_fFraction, 1.0f);
    EXPECT_EQ(free.m_vPosition, (DV{5, 5, 0}));

    const SweepResult stuck = g_CollisionSweep.Sweep(kBoxMin, kBoxMax, kUpright, {10, 5, 0}, {0, 5, 0});
    EXPECT_EQ(stuck.m_bStartSolid, 1);
    EXPECT_EQ(stuck.m_fFraction, 0.0f);
    EXPECT_EQ(stuck.m_vPosition, (DV{10, 5, 0}));
}

// A box turned an eighth round about the vertical reaches the wall with an edge, sqrt(2) from its
// centre; a long box turned a quarter round is as deep as it was wide.
TEST_F(ECollisionSweepTest, ATurnedBoxMeetsTheWallWithItsFarthestPoint) {
    AddWall(10);
    struct Case {
        DV min, max;
        float yaw;
        float reach;
    };
    const Case cases[] = {
        {kBoxMin, kBoxMax, 0.0f, 1.0f},
        {kBoxMin, kBoxMax, 0.78539816f, 1.41421356f},
        {{-4, -1, -1}, {4, 1, 1}, 0.0f, 4.0f},
        {{-4, -1, -1}, {4, 1, 1}, 1.57079633f, 1.0f},
    };
    for (const Case& c : cases) {
        const EOrientation turned = EOrientation::EOrientationFromYawPitchRoll(c.yaw, 0, 0);
        const SweepResult r = g_CollisionSweep.Sweep(c.min, c.max, turned, {-20, 5, 0}, {20, 5, 0});
        ASSERT_EQ(r.m_bHit, 1) << c.yaw;
        EXPECT_LE(r.m_vPosition.x, 10.0f - c.reach + 1e-4f) << c.yaw;
        EXPECT_GT(r.m_vPosition.x, 10.0f - c.reach - 0.02f) << c.yaw;
        EXPECT_EQ(r.m_vNormal, (DV{-1, 0, 0}));
    }
    // Turned a quarter round the long box fits where it did not, and the push-out knows it.
    const EOrientation across = EOrientation::EOrientationFromYawPitchRoll(1.57079633f, 0, 0);
    DV position{8, 5, 0};
    EXPECT_EQ(g_CollisionSweep.Sweep({-4, -1, -1}, {4, 1, 1}, across, position, position).m_bStartSolid, 0);
    EXPECT_EQ(g_CollisionSweep.Sweep({-4, -1, -1}, {4, 1, 1}, kUpright, position, position).m_bStartSolid, 1);
    EXPECT_TRUE(g_CollisionSweep.PushOut({-4, -1, -1}, {4, 1, 1}, kUpright, &position));
    EXPECT_NEAR(position.x, 6.0f, 0.02f);
}

TEST_F(ECollisionSweepTest, ABoxFallingOntoTheFloorSlidesAlongIt) {
    AddFloor();
    DV position{0, 1.5f, 0}, velocity{10, -5, 0};
    g_CollisionSweep.SlideMove(kBoxMin, kBoxMax, kUpright, &position, &velocity);
    EXPECT_NEAR(position.x, 10.0f, 0.05f);
    EXPECT_GE(position.y, 1.0f);
    EXPECT_LT(position.y, 1.05f);
    // The velocity into the floor is gone, the rest kept.
    EXPECT_EQ(velocity, (DV{10, 0, 0}));
}

TEST_F(ECollisionSweepTest, AGentleRampIsClimbedAndASteepOneActsAsAWall) {
    AddRamp(0.5f);
    DV position{-5, 1.5f, 0}, velocity{10, 0, 0};
    g_CollisionSweep.SlideMove(kBoxMin, kBoxMax, kUpright, &position, &velocity);
    EXPECT_GT(position.y, 2.5f);
    EXPECT_GT(velocity.y, 0.0f);

    Remove(m_objects.back());
    AddRamp(2.0f);
    position = {-5, 1.5f, 0};
    velocity = {10, 0, 0};
    g_CollisionSweep.SlideMove(kBoxMin, kBoxMax, kUpright, &position, &velocity);
    EXPECT_FLOAT_EQ(position.y, 1.5f);
    EXPECT_EQ(velocity.y, 0.0f);
    EXPECT_LT(position.x, 0.0f);
}

TEST_F(ECollisionSweepTest, ABoxStartingInsideAWallStops) {
    AddWall(0);
    DV position{0, 5, 0}, velocity{3, 0, 0};
    g_CollisionSweep.SlideMove(kBoxMin, kBoxMax, kUpright, &position, &velocity);
    EXPECT_EQ(position, (DV{0, 5, 0}));
    EXPECT_EQ(velocity, (DV{}));
}

TEST_F(ECollisionSweepTest, PushOutLiftsABoxOutOfTheFloor) {
    AddFloor();
    DV position{3, 0.5f, 2};
    EXPECT_TRUE(g_CollisionSweep.PushOut(kBoxMin, kBoxMax, kUpright, &position));
    EXPECT_NEAR(position.y, 1.0f, 0.02f);
    EXPECT_GT(position.y, 1.0f);
    EXPECT_EQ(position.x, 3.0f);
    EXPECT_EQ(position.z, 2.0f);
    const SweepResult r = g_CollisionSweep.Sweep(kBoxMin, kBoxMax, kUpright, position, position);
    EXPECT_EQ(r.m_bStartSolid, 0);
}

}  // namespace
