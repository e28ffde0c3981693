// Machines on the ground, judged by where they are after fixed-step runs: resting on their
// wheels, driving, braking, steering, and a trailer behind its tractor.
#include "PhysicsFixture.h"

namespace test {
namespace {

class DrivingTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        InitPhysics();
        AddGround();
    }

    // A released tractor at rest on the ground, turned by the yaw.
    EObjectSlot* RestingTractor(float yaw = 0, DV at = {}) {
        EObjectSlot* tractor = AddObject(kTractorModel, at + DV{0, 1, 0}, yaw, "tractor");
        Step(120);
        g_Physics.ReleaseTruckControls(tractor);
        return tractor;
    }
};

TEST_F(DrivingTest, ADroppedMachineComesToRestOnItsWheelsAtTheSuspensionsHeight) {
    EObjectSlot* tractor = AddObject(kTractorModel, {3, 0.3f, -2}, 0, "tractor");
    Truck* t = tractor->m_hTruck;
    ASSERT_NE(t, nullptr);
    Step(180);
    const DV settled = tractor->m_vPosition;
    Step(60);
    EXPECT_LT(pmath::Length(tractor->m_vPosition - settled), 1e-4f);
    EXPECT_NEAR(tractor->m_vPosition.y, kRestHeight, 0.002f);
    EXPECT_NEAR(tractor->m_vPosition.x, 3, 1e-3f);
    EXPECT_NEAR(tractor->m_vPosition.z, -2, 1e-3f);
    EXPECT_GT(tractor->m_Orientation.m_Up.y, 0.9999f);
    // Each wheel shows under its socket, kept within its band of the socket's height.
    for (int k = 0; k < 4; ++k) {
        const DV wheel = t->m_pWheelObjects[k]->m_vPosition;
        EXPECT_NEAR(wheel.y, tractor->m_vPosition.y + kWheelRadius, 0.3f * kWheelRadius + 0.001f) << k;
        EXPECT_NEAR(std::fabs(wheel.x - 3), 0.9f, 1e-3f) << k;
    }
}

// While the machine drives off a height and lands, every wheel shows within its band of its
// socket's height in every frame, however far the ground drops away or rises against it, and the
// band's edge is reached on the way.
TEST_F(DrivingTest, InMotionEveryWheelStaysWithinItsBandOfItsSocket) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 3, 0}, 0, "tractor");
    Truck* t = tractor->m_hTruck;
    ASSERT_NE(t, nullptr);
    g_Physics.ReleaseTruckControls(tractor);
    Drive(tractor, 1000);
    const float band = 0.3f * kWheelRadius;
    float widest = 0;
    for (int frame = 0; frame < 150; ++frame) {
        Step(1);
        for (int k = 0; k < 4; ++k) {
            DV socket;
            ASSERT_TRUE(g_Engine.GetObjectSocket(tractor, t->m_szWheelSockets[k], &socket, nullptr));
            const float off = std::fabs(t->m_pWheelObjects[k]->m_vPosition.y - socket.y);
            EXPECT_LE(off, band + 1e-4f) << "frame " << frame << ", wheel " << k;
            widest = std::max(widest, off);
        }
    }
    EXPECT_GT(widest, band - 1e-3f);
    EXPECT_GT(tractor->m_vPosition.z, 1.0f);  // it drove on
}

TEST_F(DrivingTest, FullThrottleAcceleratesTheMachineForwardAlongItsHeading) {
    const float yaw = 0.5f;
    EObjectSlot* tractor = RestingTractor(yaw);
    const DV start = tractor->m_vPosition;
    Drive(tractor, 1000);
    Step(120);
    const DV moved = tractor->m_vPosition - start;
    const DV heading{std::sin(yaw), 0, std::cos(yaw)};
    const float along = pmath::Dot(moved, heading);
    // 2000 of force on 800 of mass for 2 s: 5 units less what the damping takes.
    EXPECT_GT(along, 3.5f);
    EXPECT_LT(along, 5.0f);
    EXPECT_LT(pmath::Length(moved - heading * along), 0.1f);
    EXPECT_NEAR(Yaw(tractor), yaw, 0.02f);
    EXPECT_GT(g_Physics.GetTruckSpeed(tractor), 3.5f);
}

TEST_F(DrivingTest, TheBrakeStopsTheMachineWhereCoastingWouldNot) {
    for (const bool brake : {false, true}) {
        SCOPED_TRACE(brake ? "braking" : "coasting");
        EObjectSlot* tractor = RestingTractor(0, {brake ? 10.0f : -10.0f, 0, 0});
        Drive(tractor, 1000);
        Step(120);
        const float before = tractor->m_vPosition.z;
        Drive(tractor, 0, 0, brake ? 100.0f : 0.0f);
        Step(120);
        if (brake) {
            EXPECT_LT(std::fabs(g_Physics.GetTruckSpeed(tractor)), 0.05f);
            EXPECT_LT(tractor->m_vPosition.z - before, 4.0f);
        } else {
            EXPECT_GT(g_Physics.GetTruckSpeed(tractor), 3.0f);
        }
        g_Engine.DeleteObject(tractor);
        s_Driven.clear();
    }
}

TEST_F(DrivingTest, PositiveSteeringTurnsTheMachineTowardsItsRightSide) {
    struct Case {
        float steering;
        float turnSign;
    };
    for (const Case c : {Case{0.3f, 1}, Case{-0.3f, -1}}) {
        SCOPED_TRACE(c.steering);
        EObjectSlot* tractor = RestingTractor(0, {c.steering * 50, 0, 0});
        const DV start = tractor->m_vPosition;
        Drive(tractor, 1000, c.steering);
        Step(120);
        EXPECT_GT(c.turnSign * Yaw(tractor), 0.3f);
        EXPECT_GT(c.turnSign * (tractor->m_vPosition.x - start.x), 0.5f);
        EXPECT_NEAR(tractor->m_hTruck->m_fCurrentSteering, c.steering, 1e-6f);
        g_Engine.DeleteObject(tractor);
        s_Driven.clear();
    }
}

TEST_F(DrivingTest, ATrailerFollowsItsTractorOnItsHitch) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0}, 0, "tractor");
    // The drawbar's tractor end (1.5 ahead of the trailer's socket, 2.3 ahead of the trailer)
    // sits on the tractor's hook, 1.9 behind the tractor.
    EObjectSlot* trailer = AddObject(kTrailerModel, {0, 0.05f, -5.7f}, 0, "trailer");
    Truck* tt = trailer->m_hTruck;
    ASSERT_NE(tt->m_pHitchBody, nullptr);
    g_Physics.CoupleImplement(tractor, trailer);
    ASSERT_EQ(tt->m_pPartner, tractor);
    ASSERT_EQ(tractor->m_hTruck->m_pPartner, trailer);
    Step(60);
    g_Physics.ReleaseTruckControls(tractor);
    const DV trailerStart = trailer->m_vPosition;

    Drive(tractor, 1500);
    Step(240);
    EXPECT_GT(trailer->m_vPosition.z - trailerStart.z, 8.0f);
    EXPECT_NEAR(trailer->m_vPosition.x, 0, 0.1f);
    EXPECT_LT(pmath::Length(tt->m_vHitchTractorSocketWorld - tractor->m_hTruck->m_vHookWorld), 0.3f);

    // Turning right: the tractor leads, the trailer turns after it and steers towards it.
    Drive(tractor, 1500, 0.3f);
    Step(60);
    EXPECT_GT(Yaw(tractor), Yaw(trailer));
    EXPECT_GT(Yaw(trailer), 0.0f);
    EXPECT_GT(tt->m_fTargetSteering, 0.0f);
    Step(120);
    EXPECT_LT(pmath::Length(tt->m_vHitchTractorSocketWorld - tractor->m_hTruck->m_vHookWorld), 0.3f);
    EXPECT_GT(tractor->m_Orientation.m_Up.y, 0.99f);
    EXPECT_GT(trailer->m_Orientation.m_Up.y, 0.99f);
}

}  // namespace
}  // namespace test
