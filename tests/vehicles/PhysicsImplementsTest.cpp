// What machines tow, carry and lift: direct couplings by kind, parking at a marker, balers making
// and throwing out bales, the front loader's pick-up, carry and push, and the implements' lifts.
#include "PhysicsFixture.h"

#include "mesh/MeshParams.h"

namespace test {
namespace {

std::string Implement(const char* name, const char* kinds) {
    return std::string("Vehicle ") + name + "\nprefab prefabs\\t\\" + name + ".x\nprzyczepa\nhak hak\n" + kinds +
           "front_wheel prefabs\\t\\wheel.x kolo_lp 0.5 0 0\nfront_wheel prefabs\\t\\wheel.x kolo_pp 0.5 0 0\n";
}

const char* const kImplements[] = {"plough", "planter", "seeder", "bigseeder", "mower", "mower3", "bigtrailer",
                                   "baler", "cubebaler", "loader", "pusher"};

class ImplementsTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        for (const char* name : kImplements) {
            WriteFile(std::string("prefabs\\t\\") + name + ".x", BoxModel({-1, 0.3f, -1}, {1, 1.2f, 1}));
            WriteFile(std::string("scripts\\mesh_sockets\\") + name + ".txt",
                      std::string("mesh_filename prefabs\\t\\") + name +
                          ".x\nsocket hak 0 0.6 1.2\nsocket bela 0 1 -1\n"
                          "socket kolo_lp -1 0.5 0.5\nsocket kolo_pp 1 0.5 0.5\n");
        }
        WriteFile("prefabs\\t\\arm.x", BoxModel({-0.5f, 0, 0}, {0.5f, 0.2f, 0.5f}));
        WriteFile("scripts\\mesh_sockets\\arm.txt", "mesh_filename prefabs\\t\\arm.x\nsocket bela 0 1 2\n");
        WriteFile("prefabs\\obiekty\\bala.x", BoxModel({-0.6f, -0.6f, -0.6f}, {0.6f, 0.6f, 0.6f}));
        WriteFile("prefabs\\obiekty\\snopek.x", BoxModel({-0.2f, -0.2f, -0.45f}, {0.2f, 0.2f, 0.45f}));
        InitPhysics({{"tractor.txt", kTractorType},
                     {"trailer.txt", kTrailerType},
                     {"plough.txt", Implement("plough", "plug\n")},
                     {"planter.txt", Implement("planter", "sadzarka\n")},
                     {"seeder.txt", Implement("seeder", "siewnik\n")},
                     {"bigseeder.txt", Implement("bigseeder", "siewnik\nsiewnik_duzy\n")},
                     {"mower.txt", Implement("mower", "kosa\n")},
                     {"mower3.txt", Implement("mower3", "kosa\nkosa3x\n")},
                     {"bigtrailer.txt", Implement("bigtrailer", "przyczepa_duza\n")},
                     {"baler.txt", Implement("baler", "prasa\n")},
                     {"cubebaler.txt", Implement("cubebaler", "prasa\nkostkujaca\n")},
                     {"loader.txt", "Vehicle loader\nprefab prefabs\\t\\loader.x\ntraktor\ntur\n"},
                     {"pusher.txt", Implement("pusher", "attachment_physics prefabs\\t\\wheel.x bela\n")}});
        AddGround();
        g_Engine.m_fFrameTime = kStep;
        g_Physics.m_fFrameTime = kStep;
    }

    static EObjectSlot* Machine(const char* name, DV at) {
        return AddObject((std::string("prefabs\\t\\") + name + ".x").c_str(), at);
    }
};

TEST_F(ImplementsTest, DirectCouplingTakesItsSlotAndLimitsByKind) {
    struct Case {
        const char* name;
        int slot;
        btVector3 angularLower, angularUpper, linearLower, linearUpper;
    } cases[] = {
        {"plough", 1, {0, 0.3f, 0}, {0, 0.3f, 0}, {0, 0, 0}, {0, 0, 0}},
        {"planter", 1, {-0.4f, -0.05f, 0}, {-0.4f, 0.05f, 0}, {0, -0.01f, 0}, {0, 0.01f, 0}},
        {"seeder", 1, {-0.4f, -0.05f, 0}, {-0.4f, 0.05f, 0}, {0, -0.01f, 0}, {0, 0.01f, 0}},
        {"bigseeder", 1, {0.05f, -0.05f, 0}, {0.25f, 0.05f, 0}, {0, -0.4f, 0}, {0, 0.4f, 0}},
        {"mower3", 1, {-0.01f, -0.04f, 0}, {0.01f, 0.04f, 0}, {0, 0, 0}, {0, 0, 0}},
        {"mower", 1, {-0.01f, -0.01f, 0}, {0.01f, 0.01f, 0}, {0, 0, 0}, {0, 0, 0}},
        {"bigtrailer", 0, {0, -0.8f, 0}, {0, 0.8f, 0}, {0, -0.1f, 0}, {0, 0.1f, 0}},
        {"baler", 0, {0, -0.8f, 0}, {0, 0.8f, 0}, {0, -0.4f, 0}, {0, 0.4f, 0}},
    };
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EObjectSlot* implement = Machine(c.name, {0, 0.05f, -4});
        g_Physics.CoupleImplement(tractor, implement);
        Truck* t = tractor->m_hTruck;
        ASSERT_NE(t->m_pCoupling[c.slot], nullptr);
        EXPECT_EQ(t->m_pCoupling[1 - c.slot], nullptr);
        EXPECT_EQ(implement->m_hTruck->m_pPartner, tractor);
        btVector3 v;
        t->m_pCoupling[c.slot]->getAngularLowerLimit(v);
        EXPECT_LT((v - c.angularLower).length(), 1e-6f);
        t->m_pCoupling[c.slot]->getAngularUpperLimit(v);
        EXPECT_LT((v - c.angularUpper).length(), 1e-6f);
        t->m_pCoupling[c.slot]->getLinearLowerLimit(v);
        EXPECT_LT((v - c.linearLower).length(), 1e-6f);
        t->m_pCoupling[c.slot]->getLinearUpperLimit(v);
        EXPECT_LT((v - c.linearUpper).length(), 1e-6f);
        g_Engine.DeleteObject(implement);
        EXPECT_EQ(t->m_pPartner, nullptr);
        EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 0);
    }
}

TEST_F(ImplementsTest, AMachineFartherThanItsToleranceFromItsMarkerIsMovedThere) {
    EObjectSlot* marker = AddObject(kGroundModel, {0, 0, 30});
    g_Engine.SetObjectScaling(marker, DV{0.01f, 1, 0.01f});
    // Its front axle, 1 ahead, comes 0.8 beside the marker.
    EObjectSlot* tractor = AddObject(kTractorModel, {0.8f, 0.05f, 28.0f});
    tractor->m_pLinkedObject = marker;
    g_Physics.TruckPrzyczepDoDummy(tractor);
    EXPECT_NEAR(tractor->m_vPosition.x, 0.0f, 1e-4f);
    EXPECT_NEAR(tractor->m_vPosition.y, 0.15f, 1e-4f) << "moved as a teleport moves";
    EXPECT_NE(tractor->m_pDummyConstraint, nullptr);
    Step(30);
    DV axle;
    g_Physics.GetFrontAxlePoint(tractor, &axle, 1.0f, 1);
    EXPECT_LT(std::hypot(axle.x, axle.z - 30), 0.05f) << "the pin holds the axle on the marker";
}

// Frames until the baler's bale state leaves `from`.
int FramesWhile(EObjectSlot* baler, int from) {
    int frames = 0;
    while (baler->m_hTruck->m_iBaleState == from && frames < 1000) {
        g_Physics.EjectBale(baler);
        ++frames;
    }
    return frames;
}

TEST_F(ImplementsTest, ARoundBaleWaitsForTheGateRollsOutAndFallsFree) {
    EObjectSlot* baler = Machine("baler", {0, 0.05f, 0});
    Truck* t = baler->m_hTruck;
    t->m_dBaleProgress = 1.3;
    g_Physics.StartBale(baler);
    ASSERT_EQ(t->m_iBaleState, 0);
    EXPECT_EQ(t->m_dBaleProgress, 0);
    EObjectSlot* bale = t->m_pBaleInFlight;
    ASSERT_NE(bale, nullptr);
    EXPECT_EQ(bale->m_vPosition.y, -1000.0f);
    // A second start while the bale is under way changes nothing.
    g_Physics.StartBale(baler);
    EXPECT_EQ(t->m_pBaleInFlight, bale);

    // The gate opens at 0.6 rad/s past 1.2 rad: 2 s. The bale sits on the socket meanwhile.
    EXPECT_NEAR(FramesWhile(baler, 0), 121, 1);
    EXPECT_NEAR(bale->m_vPosition.z, -1, 1e-4f);
    EXPECT_EQ(bale->m_pPhysicsBody, nullptr);
    // Travel at 1.4 per second past 3.0, then a cylinder body and a push backwards.
    EXPECT_NEAR(FramesWhile(baler, 1), 129, 1);
    EXPECT_EQ(t->m_pBaleInFlight, nullptr);
    auto* body = static_cast<btRigidBody*>(bale->m_pPhysicsBody);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->getCollisionShape()->getShapeType(), CYLINDER_SHAPE_PROXYTYPE);
    EXPECT_NEAR(1.0f / body->getInvMass(), 400 * 0.3f, 1e-3f);
    EXPECT_LT(body->getLinearVelocity().z(), -0.5f);
    EXPECT_TRUE(Logged("Wyrzucam bele z fizyka!"));
    // The gate closes again at the same rate: 2 s more, then the baler is idle.
    EXPECT_NEAR(FramesWhile(baler, 2), 121, 1);
    EXPECT_EQ(t->m_fGateAngle, 0);
    EXPECT_EQ(t->m_iBaleState, -1);
}

TEST_F(ImplementsTest, ACubeBaleLeavesAtOnceAsAHalfWeightBox) {
    EObjectSlot* baler = Machine("cubebaler", {0, 0.05f, 0});
    Truck* t = baler->m_hTruck;
    ASSERT_NE(t->m_pChamberBale, nullptr);
    g_Physics.StartBale(baler);
    EObjectSlot* bale = t->m_pBaleInFlight;
    ASSERT_NE(bale, nullptr);
    EXPECT_EQ(FramesWhile(baler, 0), 1);
    // 1.6 per second past 3.0.
    EXPECT_NEAR(FramesWhile(baler, 1), 113, 1);
    auto* body = static_cast<btRigidBody*>(bale->m_pPhysicsBody);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->getCollisionShape()->getShapeType(), BOX_SHAPE_PROXYTYPE);
    EXPECT_NEAR(1.0f / body->getInvMass(), 30, 1e-3f);
    EXPECT_EQ(FramesWhile(baler, 2), 1);
}

TEST_F(ImplementsTest, TheChamberBaleStepsBackAnEighthAtATime) {
    EObjectSlot* baler = Machine("cubebaler", {0, 0.05f, 0});
    Truck* t = baler->m_hTruck;
    struct Case {
        double progress;
        float z;
    } cases[] = {{0, -1}, {0.078, -1}, {0.0782, -1.125f}, {0.16, -1.25f}};
    for (const Case& c : cases) {
        t->m_dBaleProgress = c.progress;
        g_Physics.UpdateCubeBale(baler);
        EXPECT_NEAR(t->m_pChamberBale->m_vPosition.z, c.z, 1e-4f) << c.progress;
    }
}

class LoaderTest : public ImplementsTest {
protected:
    // The loader's arm as a plain mesh on the machine's slot for it: skinned models cannot be
    // read here, and its "bela" socket is all the pick-up reads.
    void SetUp() override {
        ImplementsTest::SetUp();
        m_machine = Machine("loader", {0, 0.05f, 0});
        m_loader = AddObject("prefabs\\t\\arm.x", {0, 0, 0});
        m_machine->m_hTruck->m_pSkinAttachments[0] = m_loader;
        ASSERT_TRUE(g_Engine.GetObjectSocket(m_loader, "bela", &m_socket, nullptr));
    }
    void TearDown() override {
        m_machine->m_hTruck->m_pSkinAttachments[0] = nullptr;
        ImplementsTest::TearDown();
    }
    static EObjectSlot* Bale(DV at) {
        EObjectSlot* bale = AddObject("prefabs\\obiekty\\bala.x", at);
        g_Physics.CreateObjectBody(bale, nullptr);
        return bale;
    }
    EObjectSlot* m_machine = nullptr;
    EObjectSlot* m_loader = nullptr;
    DV m_socket;
};

TEST_F(LoaderTest, ABaleIsPickedUpWithinReachOfTheSocketOnlyAndSmallEnough) {
    struct Case {
        float offset, radius;
        bool taken;
    } cases[] = {{1.05f, 1.0f, true}, {1.06f, 1.0f, false}, {0.5f, 5.0f, true}, {0.5f, 5.01f, false}};
    Truck* t = m_machine->m_hTruck;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        SCOPED_TRACE(c.radius);
        EObjectSlot* bale = Bale(m_socket + DV{c.offset, 0, 0});
        bale->m_fRadius = c.radius;
        g_Physics.FrontLoaderGrabBale(m_machine);
        EXPECT_EQ(t->m_pHeldBale == bale, c.taken);
        EXPECT_EQ(bale->m_pPhysicsBody == nullptr, c.taken);
        t->m_pHeldBale = nullptr;
        g_Engine.DeleteObject(bale);
    }
}

TEST_F(LoaderTest, AHeldBaleRidesOnTheSocketAndFallsWithAPushWhenDropped) {
    EObjectSlot* bale = Bale(m_socket + DV{0.3f, 0, 0});
    g_Physics.FrontLoaderGrabBale(m_machine);
    ASSERT_EQ(m_machine->m_hTruck->m_pHeldBale, bale);
    g_Physics.HoldFrontLoaderBale(m_machine);
    EXPECT_LT(pmath::Length(bale->m_vPosition - m_socket), 1e-5f);
    // Its axis runs along the machine's side.
    EXPECT_NEAR(std::fabs(bale->m_Orientation.m_Up.x), 1.0f, 1e-5f);
    g_Physics.FrontLoaderDropBale(m_machine);
    EXPECT_EQ(m_machine->m_hTruck->m_pHeldBale, nullptr);
    auto* body = static_cast<btRigidBody*>(bale->m_pPhysicsBody);
    ASSERT_NE(body, nullptr);
    EXPECT_GT(body->getLinearVelocity().z(), 0.0f) << "pushed along the machine's front";
}

TEST_F(LoaderTest, TheLoweringArmPushesBalesBelowItAwayFromTheMachine) {
    EObjectSlot* near = Bale(DV{m_socket.x + 2.0f, 0.5f, m_socket.z});
    EObjectSlot* far = Bale(DV{m_socket.x + 3.7f, 0.5f, m_socket.z});
    EObjectSlot* high = Bale(DV{m_socket.x + 1.0f, m_socket.y, m_socket.z});
    g_Physics.FrontLoaderPushBales(m_machine);
    const auto velocity = [](EObjectSlot* o) { return static_cast<btRigidBody*>(o->m_pPhysicsBody)->getLinearVelocity(); };
    EXPECT_GT(velocity(near).x(), 0.0f);
    EXPECT_GT(velocity(near).y(), 0.0f);
    EXPECT_EQ(velocity(far).length(), 0.0f);
    EXPECT_EQ(velocity(high).length(), 0.0f);
}

// The arm's step: a new loader is raised first; a lowering arm ends lowered and lets its bale go;
// while raised it keeps trying to pick up a bale.
TEST_F(LoaderTest, TheArmStepRaisesANewLoaderAndDropsTheBaleWhenDown) {
    Truck* t = m_machine->m_hTruck;
    t->m_iFrontLoaderState = 0;
    g_Physics.UpdateFrontLoader(m_machine);
    EXPECT_EQ(t->m_iFrontLoaderState, 2);
    // The plain arm has no clip to play: each movement ends on the next step.
    g_Physics.UpdateFrontLoader(m_machine);
    EXPECT_EQ(t->m_iFrontLoaderState, 4);
    EObjectSlot* bale = Bale(m_socket);
    g_Physics.UpdateFrontLoader(m_machine);
    EXPECT_EQ(t->m_pHeldBale, bale);
    float dt = kStep;
    g_Physics.ToggleFrontLoader(dt, m_machine, 0);
    EXPECT_EQ(t->m_iFrontLoaderState, 3);
    g_Physics.UpdateFrontLoader(m_machine);
    EXPECT_EQ(t->m_iFrontLoaderState, 1);
    EXPECT_EQ(t->m_pHeldBale, nullptr);
    EXPECT_NE(bale->m_pPhysicsBody, nullptr);
}

TEST_F(LoaderTest, WithoutItsSocketTheLoaderSaysSoAndTakesNothing) {
    m_machine->m_hTruck->m_pSkinAttachments[0] = AddObject(kGroundModel, {50, 0, 50});
    Bale(m_socket);
    g_Physics.FrontLoaderGrabBale(m_machine);
    EXPECT_EQ(m_machine->m_hTruck->m_pHeldBale, nullptr);
    EXPECT_TRUE(Logged("Tur nie ma socketa \"bela\""));
    m_machine->m_hTruck->m_pSkinAttachments[0] = m_loader;
}

// Seconds until the lift leaves its moving state, stepping at 1/60 s.
float SecondsToSettle(void (Physics::*update)(float&, EObjectSlot*), EObjectSlot* implement, const int32_t& state) {
    const int32_t moving = state;
    float dt = kStep;
    int frames = 0;
    while (state == moving && frames < 600) {
        (g_Physics.*update)(dt, implement);
        ++frames;
    }
    return frames * kStep;
}

TEST_F(ImplementsTest, LiftsMoveAtTheirRatesOnlyWhileCoupled) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    g_Player.m_pVehicle = tractor;
    struct Case {
        const char* name;
        void (Physics::*toggle)(EObjectSlot*);
        void (Physics::*update)(float&, EObjectSlot*);
        int32_t Truck::*state;
        float Truck::*lift;
        float start, lowered, lowering, raised, raising;
    } cases[] = {
        {"plough", &Physics::TogglePloughLift, &Physics::UpdatePloughLift, &Truck::m_iPloughLiftState,
         &Truck::m_fPloughLift, 0.3f, 0.01f, 0.29f / 0.81f, 0.3f, 0.29f / 0.3f},
        {"planter", &Physics::TogglePlanterLift, &Physics::UpdatePlanterLift, &Truck::m_iPlanterLiftState,
         &Truck::m_fPlanterLift, -0.4f, 0.05f, 0.45f / 0.8f, -0.4f, 0.45f / 0.4f},
        {"seeder", &Physics::ToggleSeederLift, &Physics::UpdateSeederLift, &Truck::m_iSeederLiftState,
         &Truck::m_fSeederLift, -0.4f, 0.05f, 0.45f / 0.88f, -0.4f, 0.45f / 0.44f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EObjectSlot* implement = Machine(c.name, {0, 0.05f, -4});
        Truck* t = implement->m_hTruck;
        g_Physics.CoupleImplement(tractor, implement);
        t->*c.state = 4;
        t->*c.lift = c.start;
        (g_Physics.*c.toggle)(implement);
        ASSERT_EQ(t->*c.state, 3);
        // A key pressed while it moves is ignored.
        (g_Physics.*c.toggle)(implement);
        EXPECT_EQ(t->*c.state, 3);
        EXPECT_NEAR(SecondsToSettle(c.update, implement, t->*c.state), c.lowering, 1.5f * kStep);
        EXPECT_EQ(t->*c.state, 1);
        EXPECT_FLOAT_EQ(t->*c.lift, c.lowered);
        (g_Physics.*c.toggle)(implement);
        EXPECT_EQ(t->*c.state, 2);
        EXPECT_NEAR(SecondsToSettle(c.update, implement, t->*c.state), c.raising, 1.5f * kStep);
        EXPECT_EQ(t->*c.state, 4);
        EXPECT_FLOAT_EQ(t->*c.lift, c.raised);
        // Uncoupled, a toggled lift stays where it is.
        g_Physics.DetachImplement(implement);
        (g_Physics.*c.toggle)(implement);
        float dt = kStep;
        (g_Physics.*c.update)(dt, implement);
        EXPECT_FLOAT_EQ(t->*c.lift, c.raised);
        g_Engine.DeleteObject(implement);
    }
}

TEST_F(ImplementsTest, APloughLandingExactlyOnTopStillRaisesUntilItPassesIt) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    EObjectSlot* plough = Machine("plough", {0, 0.05f, -4});
    g_Physics.CoupleImplement(tractor, plough);
    Truck* t = plough->m_hTruck;
    t->m_iPloughLiftState = 2;
    t->m_fPloughLift = 0.25f;
    float dt = 0.05f / 0.3f;
    g_Physics.UpdatePloughLift(dt, plough);
    EXPECT_EQ(t->m_iPloughLiftState, 2);
    g_Physics.UpdatePloughLift(dt, plough);
    EXPECT_EQ(t->m_iPloughLiftState, 4);
    EXPECT_FLOAT_EQ(t->m_fPloughLift, 0.3f);
}

// A part with a body of its own rides locked on its socket and goes with its machine.
TEST_F(ImplementsTest, APhysicalAttachmentHasABodyHeldOnItsSocket) {
    const int bodies = g_Physics.m_dynamicsWorld->getNumCollisionObjects();
    EObjectSlot* pusher = Machine("pusher", {0, 0.3f, 0});
    Truck* t = pusher->m_hTruck;
    ASSERT_NE(t->m_pAttachmentBodies[0], nullptr);
    ASSERT_NE(t->m_pAttachmentConstraints[0], nullptr);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 1);
    Step(60);
    DV socket;
    ASSERT_TRUE(g_Engine.GetObjectSocket(pusher, "bela", &socket, nullptr));
    const btVector3 at = t->m_pAttachmentBodies[0]->getWorldTransform().getOrigin();
    EXPECT_LT(pmath::Length(DV{at.x(), at.y(), at.z()} - socket), 0.05f);
    g_Engine.DeleteObject(pusher);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 0);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumCollisionObjects(), bodies);
}

TEST_F(ImplementsTest, TheTruckPassRunsTheLiftsAndTheBaleInFlight) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    EObjectSlot* mower = Machine("mower", {0, 0.05f, -4});
    g_Physics.CoupleImplement(tractor, mower);
    Truck* t = mower->m_hTruck;
    t->m_iMowerSoundState = 3;
    t->m_fMowerLift = -0.4f;
    EObjectSlot* baler = Machine("baler", {10, 0.05f, 0});
    g_Physics.StartBale(baler);
    Step(40);
    EXPECT_EQ(t->m_iMowerSoundState, 1);
    EXPECT_FLOAT_EQ(t->m_fMowerLift, 0.05f);
    EXPECT_GT(baler->m_hTruck->m_fGateAngle, 0.3f);
}

}  // namespace
}  // namespace test

namespace test {
namespace {

// A drawbar that carries the front axle's sockets: the trailer's front wheels ride on it.
class HitchWheelsTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        WriteFile("scripts\\mesh_sockets\\hitch.txt",
                  "mesh_filename prefabs\\t\\hitch.x\n"
                  "socket zaczep_przyczepa 0 0.6 0\nsocket zaczep_traktor 0 0.6 1.5\n"
                  "socket kolo_lp -1.1 0.5 0.4\nsocket kolo_pp 1.1 0.5 0.4\n");
        InitPhysics();
        AddGround();
    }
};

TEST_F(HitchWheelsTest, TheFrontWheelsRideOnTheHitchAndTheRearOnTheTrailer) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    EObjectSlot* trailer = AddObject(kTrailerModel, {0, 0.05f, -5.7f});
    Truck* t = trailer->m_hTruck;
    EXPECT_TRUE(t->m_bWheelsOnHitch);
    g_Physics.CoupleImplement(tractor, trailer);
    Step(5);
    DV onHitch;
    ASSERT_TRUE(g_Engine.GetObjectSocket(t->m_pHitchModel, "kolo_lp", &onHitch, nullptr));
    EXPECT_LT(pmath::Length(t->m_pWheelObjects[0]->m_vPosition - onHitch), 1e-4f);
    EXPECT_LT(pmath::Length(t->m_vWheelPositions[1][0] - onHitch), 1e-4f);
    DV rear;
    ASSERT_TRUE(g_Engine.GetObjectSocket(trailer, "kolo_lt", &rear, nullptr));
    EXPECT_NEAR(t->m_pWheelObjects[2]->m_vPosition.z, rear.z, 1e-3f);
}

}  // namespace
}  // namespace test
