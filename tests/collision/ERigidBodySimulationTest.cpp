#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "RigidBodyTest.h"
#include "collision/ERigidBodyJointsMgr.h"
#include "core/ESettings.h"
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
    for (int i = 0; i < 3; ++i) report.contacts[i] = RigidBodyContact{1, box, nullptr, box->m_State.x, {0, 2, 0}, {}, {}};
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
    const uint32_t missing = static_cast<uint32_t>(box->m_Particles.size());
    // The bad particle as the first triangle's first corner is the start of its first edge, as
    // its second corner the end.
    const struct {
        int corner;
        bool normal;
        const char* line;
    } cases[] = {
        {0, false, "ERROR in ERigidBodyPhysics::TestCollisions(): iP>=m_iNumParticles"},
        {1, false, "ERROR in ERigidBodyPhysics::TestCollisions(): jP>=m_iNumParticles"},
        {0, true, "ERROR in ERigidBodyPhysics::Get_First_Collision_Normal(): iP>=m_iNumParticles"},
        {2, true, "ERROR in ERigidBodyPhysics::Get_First_Collision_Normal(): jP>=m_iNumParticles"},
    };
    for (const auto& c : cases) {
        const uint32_t kept = box->m_Indices[c.corner];
        box->m_Indices[c.corner] = missing;
        Vec3d n;
        EXPECT_TRUE(c.normal ? box->GetFirstCollisionNormal(box->m_State, &n) : box->TestCollisions(box->m_State));
        EXPECT_TRUE(Logged(c.line)) << c.line;
        box->m_Indices[c.corner] = kept;
    }
}

TEST_F(RigidBodySimulationTest, TracedCrossingsNameTheBodyOrTheFixedObjectTheyMet) {
    FakeObject& ground = AddGround(1000);
    BodyObject& groundFacts = m_bodyObjects[ground.Handle()];
    groundFacts.meshFile = "models\\field.x";
    groundFacts.fake = &ground;
    // A small box poking up into the bottom of a large one, clear of the diagonals of its bottom
    // face: the large box's edges miss the small one, the small one's upright edges cross the
    // large one's bottom.
    ERigidBodyPhysics* large = AddBox({0, 100, 0}, kBox, 8, "large");
    ERigidBodyPhysics* small = AddBox({8, 100 - kBox / 2 - 1, 0}, 4, 8, "small");
    const int largeSlot = g_RigidBodySimulation.SlotOf(large), smallSlot = g_RigidBodySimulation.SlotOf(small);
    ASSERT_GE(largeSlot, 0);
    ASSERT_GE(smallSlot, 0);
    EXPECT_TRUE(large->TestCollisions(large->m_State));
    EXPECT_TRUE(small->TestCollisions(small->m_State));
    EXPECT_FALSE(Logged("IsCollision(): KOLIZJA z fizyka body: " + std::to_string(smallSlot)));
    EXPECT_TRUE(large->TestCollisions(large->m_State, true));
    EXPECT_TRUE(Logged("IsCollision(): KOLIZJA z fizyka body: " + std::to_string(smallSlot)));
    EXPECT_TRUE(small->TestCollisions(small->m_State, true));
    EXPECT_TRUE(Logged("IsCollision(): kolizja z fizyka body: " + std::to_string(largeSlot)));

    ERigidBodyPhysics* sunk = AddBox({300, kBox / 2 - 2, 0}, kBox, 8, "sunk");
    EXPECT_TRUE(sunk->TestCollisions(sunk->m_State, true));
    const std::vector<std::string> lines = ConsoleLines();
    const auto fixed = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        const std::string tail = ", IsCollision(): kolizja z obiektem BEZ fizyki";
        return line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    });
    ASSERT_NE(fixed, lines.end());
    EXPECT_GE(std::stod(*fixed), 0.0);
    ASSERT_NE(fixed + 1, lines.end());
    EXPECT_EQ(*(fixed + 1), "   obiekt: models\\field.x");
}

TEST_F(RigidBodySimulationTest, TheFirstCollisionNormalPointsOutOfTheFaceAndIsFramedOnTheConsole) {
    AddGround(1000);
    ERigidBodyPhysics* box = AddBox({0, kBox / 2 - 2, 0}, kBox);
    Vec3d n;
    ASSERT_TRUE(box->GetFirstCollisionNormal(box->m_State, &n));
    EXPECT_NEAR(n.y, 1.0, 1e-9);
    const std::vector<std::string> lines = ConsoleLines();
    const auto start = std::find(lines.begin(), lines.end(), "Get_First_Collision_Normal START");
    ASSERT_NE(start, lines.end());
    ASSERT_NE(start + 1, lines.end());
    EXPECT_EQ(*(start + 1), "Get_First_Collision_Normal left.....");
    RigidBodyState above = box->m_State;
    above.x.y += 10;
    box->SetNewState(above);
    EXPECT_FALSE(box->GetFirstCollisionNormal(box->m_State, &n));
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
            r.contacts[i] = RigidBodyContact{1, box, nullptr, box->m_State.x + Vec3d{i % 2 ? half : -half, -half, 0}, {0, 1, 0}, {}, {}};
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

TEST_F(RigidBodySimulationTest, AGentleTouchDownTakesAShareOfTheSpinUnlessTheBodySlidesOn) {
    AddGround(1000);
    // Just above the ground, approaching slowly and turning about the upright: the contacts'
    // upward impulses leave that spin alone, so what it loses is the settling share.
    const struct {
        double slide;
        double spin;
    } cases[] = {{0, 2 / 1.1}, {100, 2}};
    int n = 0;
    for (const auto& c : cases) {
        ERigidBodyPhysics* box = AddBox({n * 200.0f, kBox / 2 + 0.05f, 0}, kBox, 8, "spinning" + std::to_string(n++));
        box->SetVelocity({c.slide, -5, 0});
        box->SetOmega({0, 2, 0});
        double advanced = 0;
        g_RigidBodySimulation.StepBody(g_RigidBodySimulation.SlotOf(box), 0, 0.001, &advanced);
        ASSERT_GT(g_RigidBodySimulation.m_Colliding.count, 0u) << c.slide;
        EXPECT_NEAR(box->m_State.v.y, 0.0, 1e-6) << c.slide;
        EXPECT_NEAR(box->m_State.omega.y, c.spin, 1e-9) << c.slide;
    }
}

TEST_F(RigidBodySimulationTest, CollisionResponsesNeverAddEnergy) {
    AddGround(1000);
    const struct {
        float height;
        Vec3d v, spin;
        double tilt;
    } drops[] = {
        {40, {}, {}, 0},
        {60, {30, 0, 0}, {3, 1, 0}, 0.4},
        {5, {0, -5, 0}, {0, 2, 0}, 0},
        {80, {0, -200, 20}, {8, 0, -5}, 0.9},
        {10, {-50, -35, 0}, {0, 0, 9}, 0.2},
    };
    int n = 0, responses = 0;
    for (const auto& d : drops) {
        ERigidBodyPhysics* box = AddBox({n * 200.0f, kBox + d.height, 0}, kBox, 8, "drop" + std::to_string(n++));
        RigidBodyState s = box->m_State;
        s.q[0] = std::sin(d.tilt / 2);
        s.q[3] = std::cos(d.tilt / 2);
        box->SetNewState(s);
        box->SetVelocity(d.v);
        box->SetOmega(d.spin);
        const uint32_t slot = static_cast<uint32_t>(g_RigidBodySimulation.SlotOf(box));
        for (int step = 0; step < 240; ++step) {
            double advanced = 0;
            g_RigidBodySimulation.StepBody(slot, 0, 1.0 / 60, &advanced);
            if (!g_RigidBodySimulation.m_Colliding.count) continue;
            ++responses;
            const RigidBodyState& after = box->m_State;
            const double before = after.linearEnergy + after.rotationalEnergy;
            EXPECT_LE(box->LinearEnergy() + box->RotationalEnergy(), before * (1 + 1e-9) + 1e-9) << n << " " << step;
        }
        EXPECT_GE(box->m_State.x.y, 0.0) << n;
    }
    EXPECT_GT(responses, 10);
}

TEST_F(RigidBodySimulationTest, ABodyHeldInPlaceThatTouchesNothingIsShakenLooseOnce) {
    AddGround(1000);
    // Turned a third of a right angle and spinning on: its lowest corner, out of contact reach
    // above the ground, swings down into it within the step, and the body does not move along
    // for the time-of-contact search to start from, so the step holds it where it was.
    ERigidBodyPhysics* box = AddBox({0, 100, 0}, kBox);
    RigidBodyState s = box->m_State;
    s.q[2] = std::sin(std::numbers::pi / 12);
    s.q[3] = std::cos(std::numbers::pi / 12);
    box->SetNewState(s);
    double lowest = 0;
    for (const Vec3d& p : box->m_Particles) lowest = std::min(lowest, Transform(box->m_State.R, p).y);
    s = box->m_State;
    s.x.y = -lowest + 0.3;
    box->SetNewState(s);
    box->SetOmega({0, 0, 9});
    const double h = 0.02;
    RigidBodyState reached;
    box->Integrate(0, h, &reached, true);
    ASSERT_DOUBLE_EQ(reached.t, h);
    ASSERT_TRUE(box->TestCollisions(reached));
    ASSERT_FALSE(box->TestCollisions(box->m_State));

    ERigidBodySimulation::BodySlot& slot = g_RigidBodySimulation.m_Slots[0];
    slot.stepResult = ERigidBodySimulation::STEP_MOVED;
    const Vec3d start = box->m_State.x;
    double advanced = 1;
    EXPECT_EQ(g_RigidBodySimulation.StepBody(0, 0, h, &advanced), ERigidBodySimulation::STEP_NO_CONTACT);
    EXPECT_EQ(advanced, 0.0);
    // One move of 0.7 along an axis, not down into the ground.
    const Vec3d shake = box->m_State.x - start;
    EXPECT_NEAR(Length(shake), 0.7, 1e-9);
    EXPECT_NEAR(std::max({std::fabs(shake.x), std::fabs(shake.y), std::fabs(shake.z)}), 0.7, 1e-9);
    EXPECT_GE(shake.y, 0.0);
    EXPECT_FALSE(box->TestCollisions(box->m_State));

    // The next step after a step without contact is not shaken: held again, or moving on freely.
    slot.stepResult = ERigidBodySimulation::STEP_NO_CONTACT;
    RigidBodyState free;
    box->Integrate(0, h, &free, true);
    const Vec3d expected = box->TestCollisions(free) ? box->m_State.x : free.x;
    g_RigidBodySimulation.StepBody(0, 0, h, &advanced);
    EXPECT_NEAR(Length(box->m_State.x - expected), 0.0, 1e-9);
}

}  // namespace
}  // namespace test

namespace test {
namespace {

// A tool run makes no bodies.
TEST_F(RigidBodySimulationTest, NoBodyIsMadeInAToolRun) {
    g_Settings.m_bEditor = 1;
    EXPECT_EQ(AddBox({0, 100, 0}, kBox), nullptr);
    g_Settings.m_bEditor = 0;
    EXPECT_NE(AddBox({0, 100, 0}, kBox), nullptr);
}

// A joint-bound body at rest sleeps after 25 s awake, unless a joint holds it to an object flagged
// as a general rigid body.
TEST_F(RigidBodySimulationTest, AJointBoundBodyStaysAwakeWhileJoinedToAGeneralBody) {
    AddGround(1000);
    for (const bool general : {false, true}) {
        SCOPED_TRACE(general ? "joined to a general body" : "joined to a plain body");
        const float x = general ? 200.0f : -200.0f;
        ERigidBodyPhysics* door = AddBox({x, kBox / 2, 0}, kBox, 8, general ? "door_g" : "door_p");
        ERigidBodyPhysics* frame = AddBox({x + kBox + 8, kBox / 2, 0}, kBox, 8, general ? "frame_g" : "frame_p");
        door->m_Params.m_bJoint = 1;
        Object(frame->m_hObject).params.m_bGeneral = general ? 1 : 0;
        Object(door->m_hObject).sockets["hinge"] = {kBox / 2 + 4, 0, 0};
        Object(frame->m_hObject).sockets["hinge"] = {-kBox / 2 - 4, 0, 0};
        g_RigidBodyJointsMgr.AddJoint(door->m_hObject, "hinge", frame->m_hObject, "hinge", 0, 0, nullptr, nullptr);
        Run(0.5);
        door->Activate();
        door->m_dAwakeTime = 30;
        g_RigidBodySimulation.Update(1.0 / 60);
        EXPECT_EQ(door->m_bActive != 0, general);
    }
}

}  // namespace
}  // namespace test
