#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "RigidBodyTest.h"
#include "collision/ERigidBodyJointsMgr.h"

namespace test {
namespace {

constexpr float kBox = 32.0f;

double Energy(const ERigidBodyPhysics* b) {
    return b->LinearEnergy() + b->RotationalEnergy() - b->m_State.mass * ERigidBodyPhysics::kGravity * b->m_State.x.y;
}

using RigidBodySimulationTest = RigidBodyTest;

TEST_F(RigidBodySimulationTest, InertiaOfTheBodyKinds) {
    const struct {
        const char* what;
        void (*make)(double*);
        double d[3];
    } cases[] = {
        {"box 1 x 2 x 3 of mass 12", [](double* i) { ERigidBodyPhysics::BoxInertia(12, 1, 2, 3, i); }, {13, 10, 5}},
        {"cylinder r 2 h 6 of mass 4", [](double* i) { ERigidBodyPhysics::CylinderInertia(4, 2, 6, i); }, {16, 8, 16}},
        {"sphere 1, 2, 3 of mass 5", [](double* i) { ERigidBodyPhysics::SphereInertia(5, 1, 2, 3, i); }, {13, 10, 5}},
    };
    for (const auto& c : cases) {
        double ibody[9];
        c.make(ibody);
        for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(ibody[i], i % 4 == 0 ? c.d[i / 4] : 0.0) << c.what << i;
    }
}

TEST_F(RigidBodySimulationTest, ABoxDroppedOnAPlaneComesToRestWithoutSinkingOrJittering) {
    AddGround(1000);
    ERigidBodyPhysics* box = AddBox({0, 100, 0}, kBox);
    ASSERT_TRUE(box);
    double lowest = 1e9;
    for (int frame = 0; frame < 180; ++frame) {
        g_RigidBodySimulation.Update(1.0 / 60);
        lowest = std::min(lowest, box->m_State.x.y - kBox / 2);
    }
    EXPECT_GE(lowest, -0.05);
    const Vec3d settled = box->m_State.x;
    EXPECT_NEAR(settled.y - kBox / 2, 0.0, 0.3);
    Run(2.0);
    EXPECT_LT(Length(box->m_State.x - settled), 0.01);
    EXPECT_FALSE(box->m_bActive);
}

TEST_F(RigidBodySimulationTest, AStackOfThreeStaysStacked) {
    AddGround(1000);
    ERigidBodyPhysics* boxes[3];
    for (int i = 0; i < 3; ++i) boxes[i] = AddBox({0, kBox / 2 + 0.5f + i * (kBox + 1), 0}, kBox, 8, "box" + std::to_string(i));
    Run(4.0);
    for (int i = 0; i < 3; ++i) {
        const Vec3d& x = boxes[i]->m_State.x;
        EXPECT_NEAR(x.y, kBox / 2 + i * kBox, 1.0) << i;
        EXPECT_LT(std::hypot(x.x, x.z), 2.0) << i;
        EXPECT_GT(boxes[i]->m_State.R[4], 0.99) << i;
    }
}

TEST_F(RigidBodySimulationTest, EnergyDoesNotGrowOverTenSecondsOfRestingContact) {
    AddGround(1000);
    ERigidBodyPhysics* box = AddBox({0, kBox / 2 + 2, 0}, kBox);
    Run(1.0);
    const double start = Energy(box);
    double highest = start;
    for (int frame = 0; frame < 600; ++frame) {
        g_RigidBodySimulation.Update(1.0 / 60);
        highest = std::max(highest, Energy(box));
        // Woken again and again, as a body pushed by its neighbours would be.
        if (frame % 60 == 0) box->Activate();
    }
    EXPECT_LE(highest, start + 1e-6 * std::fabs(start) + 1e-6);
    EXPECT_GE(box->m_State.x.y - kBox / 2, -0.05);
}

TEST_F(RigidBodySimulationTest, TwoJoinedBodiesStayAtTheirJointDistance) {
    AddGround(1000);
    ERigidBodyPhysics* a = AddBox({0, 100, 0}, kBox, 8, "a");
    ERigidBodyPhysics* b = AddBox({kBox + 8, 100, 0}, kBox, 8, "b");
    Object(a->m_hObject).sockets["hinge"] = {kBox / 2 + 4, 0, 0};
    Object(b->m_hObject).sockets["hinge"] = {-kBox / 2 - 4, 0, 0};
    g_RigidBodyJointsMgr.AddJoint(a->m_hObject, "hinge", b->m_hObject, "hinge", 0, 0, nullptr, nullptr);
    ASSERT_EQ(g_RigidBodyJointsMgr.CountUsed(), 1u);
    a->ApplyImpulse(a->m_State.x + Vec3d{0, 0, 10}, {0, 800, 0});
    double widest = 0;
    for (int frame = 0; frame < 180; ++frame) {
        g_RigidBodySimulation.Update(1.0 / 60);
        const RigidBodyJoint& j = g_RigidBodyJointsMgr.m_Joints[0];
        const Vec3d gap{j.m_WorldAnchorA[0] - j.m_WorldAnchorB[0], j.m_WorldAnchorA[1] - j.m_WorldAnchorB[1],
                        j.m_WorldAnchorA[2] - j.m_WorldAnchorB[2]};
        widest = std::max(widest, Length(gap));
    }
    EXPECT_LT(widest, 2.0);
    EXPECT_LT(a->m_State.x.y, 60);
}

}  // namespace
}  // namespace test
