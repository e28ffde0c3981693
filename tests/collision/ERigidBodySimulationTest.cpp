#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "RigidBodyTest.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "mesh/MeshHooks.h"

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

TEST_F(RigidBodySimulationTest, ANotImportantBodyStaysAsleepWhileSixAreAwake) {
    for (int i = 0; i < 6; ++i) AddBox({i * 100.0f, 100, 0}, kBox, 8, "awake" + std::to_string(i));
    FakeObject& f = m_objects.emplace_back();
    BodyObject& o = m_bodyObjects[f.Handle()];
    o.name = "quiet";
    o.localMin = {-16, -16, -16};
    o.localMax = {16, 16, 16};
    o.params.m_uBodyKind = ERigidBodyPhysics::BOX;
    o.params.m_bNotImportant = 1;
    o.fake = &f;
    ERigidBodyPhysics* quiet = g_RigidBodySimulation.AddBody(f.Handle());
    ASSERT_TRUE(quiet);
    quiet->Activate();
    EXPECT_FALSE(quiet->m_bActive);
    // Asleep, it takes no impulse.
    quiet->ApplyImpulse(quiet->m_State.x, {0, 100, 0});
    EXPECT_EQ(Length(quiet->m_State.P), 0.0);
    g_RigidBodySimulation.GetObjectBody(m_bodyObjects.begin()->first);
    g_RigidBodySimulation.RemoveObjectBody(g_RigidBodySimulation.m_Slots[0].body->m_hObject);
    EXPECT_EQ(g_RigidBodySimulation.m_uActiveBodies, 5u);
    quiet->Activate();
    EXPECT_TRUE(quiet->m_bActive);
}

TEST_F(RigidBodySimulationTest, SpeedCapsFollowThePresets) {
    const struct {
        uint8_t preset;
        double speed, spin;
    } cases[] = {{0, 280, 9}, {1, 1000, 50}, {2, 200, 8}};
    int n = 0;
    for (const auto& c : cases) {
        FakeObject& f = m_objects.emplace_back();
        BodyObject& o = m_bodyObjects[f.Handle()];
        o.name = "capped" + std::to_string(n++);
        o.localMin = {-16, -16, -16};
        o.localMax = {16, 16, 16};
        o.params.m_uBodyKind = ERigidBodyPhysics::BOX;
        if (c.preset) o.params.m_bPresets[c.preset - 1] = 1;
        o.fake = &f;
        ERigidBodyPhysics* body = g_RigidBodySimulation.AddBody(f.Handle());
        ASSERT_TRUE(body);
        body->SetVelocity({1000, 0, 0});
        body->SetOmega({0, 50, 0});
        body->ApplySpeedCaps();
        EXPECT_NEAR(Length(body->m_State.v), c.speed, 1e-9) << int(c.preset);
        EXPECT_NEAR(Length(body->m_State.P), c.speed * body->m_State.mass, 1e-6) << int(c.preset);
        EXPECT_NEAR(Length(body->m_State.omega), c.spin, 1e-9) << int(c.preset);
    }
}

TEST_F(RigidBodySimulationTest, ASegmentHitPushesAndSpinsTheBodyAtItsNearestFace) {
    ERigidBodyPhysics* box = AddBox({0, 100, 0}, kBox);
    EXPECT_FALSE(box->HitBySegment({-100, 200, 0}, {100, 200, 0}, {0, 0, 500}));
    ASSERT_TRUE(box->HitBySegment({-100, 110, 0}, {100, 110, 0}, {0, 0, 500}));
    EXPECT_NEAR(box->m_State.v.z, 500 / 8.0, 1e-9);
    // Hit at x = -16, 10 above the centre: the push along z turns it about x and y.
    EXPECT_NEAR(box->m_State.L.x, 10 * 500, 1e-6);
    EXPECT_NEAR(box->m_State.L.y, 16 * 500, 1e-3);
}

TEST_F(RigidBodySimulationTest, FramesLongerThanATenthAreCutAndFallIsStepped) {
    ERigidBodyPhysics* cut = AddBox({0, 1000, 0}, kBox, 8, "cut");
    g_RigidBodySimulation.Update(0.5);
    const RigidBodyState afterLongFrame = cut->m_State;
    g_RigidBodySimulation.RemoveObjectBody(cut->m_hObject);
    ERigidBodyPhysics* tenth = AddBox({0, 1000, 0}, kBox, 8, "tenth");
    g_RigidBodySimulation.Update(0.1);
    EXPECT_GT(afterLongFrame.t, 0.0);
    EXPECT_DOUBLE_EQ(afterLongFrame.t, tenth->m_State.t);
    EXPECT_DOUBLE_EQ(afterLongFrame.x.y, tenth->m_State.x.y);
    EXPECT_LT(tenth->m_State.v.y, 0.0);
    EXPECT_EQ(g_RigidBodySimulation.m_Slots[0].stepResult, ERigidBodySimulation::STEP_NO_CONTACT);
}

TEST_F(RigidBodySimulationTest, ALongIntegrationStepIsShortenedWhereItsHalvesDisagree) {
    ERigidBodyPhysics* box = AddBox({0, 1000, 0}, kBox);
    RigidBodyState out;
    box->Integrate(0, 0.01, &out, true);
    EXPECT_DOUBLE_EQ(out.t, 0.01);
    box->Integrate(0, 1.0, &out, true);
    EXPECT_GT(out.t, 0.0);
    EXPECT_LT(out.t, 1.0);
    box->Integrate(0, 1.0, &out, false);
    EXPECT_DOUBLE_EQ(out.t, 1.0);
}

TEST_F(RigidBodySimulationTest, SeparatingContactsAreDroppedAndApproachingOnesKept) {
    ERigidBodyPhysics* box = AddBox({0, 100, 0}, kBox);
    RigidBodyContactReport report;
    report.count = 3;
    for (int i = 0; i < 3; ++i) report.contacts[i] = RigidBodyContact{1, box, nullptr, box->m_State.x, {0, 2, 0}};
    report.contacts[1].p.x += 10;
    report.contacts[2].p.z += 10;
    const double speeds[3] = {10, 9.9, -1};
    for (int i = 0; i < 3; ++i) {
        box->SetVelocity({0, speeds[i], 0});
        g_RigidBodySimulation.ClassifyContacts(report, true);
        EXPECT_EQ(g_RigidBodySimulation.m_Colliding.count, speeds[i] < 0 ? 3u : 0u) << speeds[i];
    }
    EXPECT_DOUBLE_EQ(g_RigidBodySimulation.m_Colliding.contacts[0].n.y, 1.0);
    EXPECT_TRUE(Logged("Moving Away Contact - FORGET IT!, dVrel=10.000000, type=Vertex/Face"));
    EXPECT_TRUE(Logged("Colliding Contact nr 2, dVrel=-1.000000, type=Vertex/Face"));
}

TEST_F(RigidBodySimulationTest, AHullTriangleNamingAMissingParticleIsLeftOutWithALogLine) {
    AddGround(1000);
    ERigidBodyPhysics* box = AddBox({0, kBox / 2 - 2, 0}, kBox);
    box->m_Indices[0] = static_cast<uint32_t>(box->m_Particles.size());
    EXPECT_TRUE(box->TestCollisions(box->m_State));
    EXPECT_TRUE(Logged("ERROR in ERigidBodyPhysics::TestCollisions(): iP>=m_iNumParticles"));
}

TEST_F(RigidBodySimulationTest, ABodyThatCannotBeFreedEndsItsStepStuckWhereItWas) {
    AddGround(1000);
    // Half sunk into the ground, far deeper than the pushes and rescue moves reach.
    ERigidBodyPhysics* box = AddBox({0, 0, 0}, kBox);
    static EObjectSlot* s_marked = nullptr;
    s_marked = nullptr;
    g_RigidBodyHooks.markStuck = [](EObjectSlot* o) { s_marked = o; };
    const Vec3d before = box->m_State.x;
    double advanced = 1;
    EXPECT_EQ(g_RigidBodySimulation.StepBody(0, 0, 0.1, &advanced), ERigidBodySimulation::STEP_STUCK);
    EXPECT_EQ(advanced, 0.0);
    EXPECT_EQ(Length(box->m_State.x - before), 0.0);
    // Only a body of the second preset marks its object.
    EXPECT_EQ(s_marked, nullptr);
    box->m_Params.m_bPresets[1] = 1;
    EXPECT_EQ(g_RigidBodySimulation.StepBody(0, 0, 0.1, &advanced), ERigidBodySimulation::STEP_STUCK);
    EXPECT_EQ(s_marked, box->m_hObject);
}

TEST_F(RigidBodySimulationTest, RestingContactsAreStoppedTogetherAndNeverPushedApart) {
    ERigidBodyPhysics* box = AddBox({0, 100, 0}, kBox);
    const double half = kBox / 2;
    auto rest = [&](uint32_t contacts, const Vec3d& v) {
        RigidBodyContactReport& r = g_RigidBodySimulation.m_RestingRaport;
        r.count = contacts;
        for (uint32_t i = 0; i < contacts; ++i)
            r.contacts[i] = RigidBodyContact{1, box, nullptr, box->m_State.x + Vec3d{i % 2 ? half : -half, -half, 0}, {0, 1, 0}};
        box->SetVelocity(v);
        box->SetOmega({});
        g_RigidBodySimulation.ResolveRestingContacts();
        return box->m_State;
    };
    const RigidBodyState sinking = rest(2, {3, -5, 0});
    EXPECT_NEAR(sinking.v.y, 0.0, 1e-9);
    EXPECT_NEAR(sinking.v.x, 3.0, 1e-9);
    EXPECT_NEAR(Length(sinking.omega), 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(rest(2, {0, 5, 0}).v.y, 5.0);
    EXPECT_DOUBLE_EQ(rest(0, {0, -5, 0}).v.y, -5.0);
    EXPECT_FALSE(Logged("ERROR in void ERigidBodySimulation::ResolveRestingContacts():  m_RestingRaport.iNumContacts too big...."));
    EXPECT_DOUBLE_EQ(rest(100, {0, -5, 0}).v.y, -5.0);
    EXPECT_TRUE(Logged("ERROR in void ERigidBodySimulation::ResolveRestingContacts():  m_RestingRaport.iNumContacts too big...."));
}

TEST_F(RigidBodySimulationTest, AFallingBodyThatLosesItsContactsIsNotShaken) {
    ERigidBodySimulation::BodySlot& slot = g_RigidBodySimulation.m_Slots[0];
    double advanced = 0;
    ERigidBodyPhysics* falling = AddBox({0, 1000, 0}, kBox, 8, "falling");
    RigidBodyState free;
    falling->Integrate(0, 0.01, &free, true);
    slot.stepResult = ERigidBodySimulation::STEP_MOVED;
    EXPECT_EQ(g_RigidBodySimulation.StepBody(0, 0, 0.01, &advanced), ERigidBodySimulation::STEP_NO_CONTACT);
    EXPECT_NEAR(Length(falling->m_State.x - free.x), 0.0, 1e-9);
}

TEST_F(RigidBodySimulationTest, ThePlayersMachineIsLeftOutForBodiesThatDoNotPushIt) {
    FakeObject& machine = AddGround(1000);
    static EObjectSlot* s_machine = nullptr;
    s_machine = machine.Handle();
    g_MeshHooks.excludedObject = [] { return s_machine; };
    ERigidBodyPhysics* box = AddBox({0, kBox / 2 - 2, 0}, kBox);
    const struct {
        uint8_t general, preset0, preset1;
        bool meets;
    } cases[] = {{1, 0, 0, true}, {0, 0, 0, false}, {1, 1, 0, false}, {1, 0, 1, false}};
    for (const auto& c : cases) {
        box->m_Params.m_bGeneral = c.general;
        box->m_Params.m_bPresets[0] = c.preset0;
        box->m_Params.m_bPresets[1] = c.preset1;
        // Force a fresh gathering.
        box->m_vGatherMin = {1, 1, 1};
        box->m_vGatherMax = {0, 0, 0};
        EXPECT_EQ(box->TestCollisions(box->m_State), c.meets) << +c.general << +c.preset0 << +c.preset1;
    }
}

}  // namespace
}  // namespace test
