// The machines' world: its settings, the bodies of loose objects, the static level meshes, the
// step and the copy-back of poses, and leaving a world.
#include "PhysicsFixture.h"

namespace test {
namespace {

constexpr const char* kCrateModel = "prefabs\\t\\crate.x";
constexpr const char* kBaleModel = "prefabs\\obiekty\\snopek.x";

class PhysicsWorldTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        WriteFile(kCrateModel, BoxModel({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}));
        WriteFile(kBaleModel, BoxModel({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}));
        InitPhysics();
    }

    static btRigidBody* Body(const EObjectSlot* o) { return static_cast<btRigidBody*>(o->m_pPhysicsBody); }

    // A body made at rest sleeps at once (see below): the engine's zero push wakes it.
    static EObjectSlot* AddBody(const char* model, DV at, uint32_t kind, float mass) {
        EObjectSlot* o = AddObject(model, at);
        RigidBodyPhysicsParams params;
        params.m_uBodyKind = kind;
        params.m_fMass = mass;
        g_Physics.CreateObjectBody(o, &params);
        g_Engine.PutForceToObject(o, DV{});
        return o;
    }

    static float Variable(const char* name) {
        float value = -1;
        g_Console.GetVariable(name, value);
        return value;
    }

    static int WorldObjects() { return g_Physics.m_dynamicsWorld->getNumCollisionObjects(); }
};

TEST_F(PhysicsWorldTest, TheWorldKeepsTheOlderSeriesBehaviour) {
    EXPECT_TRUE(Logged("Physics init."));
    EXPECT_TRUE(Logged("m_dynamicsWorld created OK."));
    const btVector3 gravity = g_Physics.m_dynamicsWorld->getGravity();
    EXPECT_EQ(gravity, btVector3(0, -10, 0));
    EXPECT_FALSE(g_Physics.m_dynamicsWorld->getLatencyMotionStateInterpolation());

    // No body of any kind gets the implicit gyroscopic term.
    AddGround();
    AddBody(kCrateModel, {0, 3, 0}, 1, 10);
    AddBody(kCrateModel, {3, 3, 0}, 2, 10);
    EObjectSlot* tractor = AddObject(kTractorModel, {10, 0, 0});
    EObjectSlot* trailer = AddObject(kTrailerModel, {10, 0, -6});
    ASSERT_NE(trailer->m_hTruck->m_pHitchBody, nullptr);
    g_Physics.CoupleImplement(tractor, trailer);
    const btCollisionObjectArray& objects = g_Physics.m_dynamicsWorld->getCollisionObjectArray();
    EXPECT_EQ(objects.size(), 6);
    for (int i = 0; i < objects.size(); ++i)
        EXPECT_EQ(btRigidBody::upcast(objects[i])->getFlags() & BT_ENABLE_GYROSCOPIC_FORCE_IMPLICIT_BODY, 0) << i;
    EXPECT_EQ(g_Physics.m_dynamicsWorld->GetNumActions(), 2);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 2);
}

TEST_F(PhysicsWorldTest, TransformsKeepTheObjectsAxes) {
    const EOrientation o = EOrientation::EOrientationFromYawPitchRoll(0.7f, 0.2f, -0.1f);
    btTransform t;
    Physics::MakeTransform(&t, DV{1, 2, 3}, o.m_Quaternion);
    // Bullet's basis columns are the object's side, up and front axes.
    const btMatrix3x3& basis = t.getBasis();
    EXPECT_NEAR(basis.getColumn(2).x(), o.m_Front.x, 1e-5f);
    EXPECT_NEAR(basis.getColumn(2).z(), o.m_Front.z, 1e-5f);
    EXPECT_NEAR(basis.getColumn(0).y(), o.m_Side.y, 1e-5f);
    EXPECT_NEAR(basis.getColumn(1).x(), o.m_Up.x, 1e-5f);
    DV position;
    EOrientation back;
    Physics::TransformToPosOrient(t, &position, &back);
    EXPECT_EQ(position, (DV{1, 2, 3}));
    EXPECT_NEAR(pmath::Dot(back.m_Front, o.m_Front), 1.0f, 1e-5f);
    EXPECT_NEAR(pmath::Dot(back.m_Up, o.m_Up), 1.0f, 1e-5f);
}

TEST_F(PhysicsWorldTest, ABoxFallsOntoTheGroundAndItsObjectFollows) {
    AddGround();
    EObjectSlot* crate = AddBody(kCrateModel, {2, 3, 1}, 1, 10);
    EXPECT_EQ(crate->m_uFlags & 0x01000000u, 0x01000000u);
    EXPECT_EQ(crate->m_uFlags & FLAG_STATIC_LEVEL_MESH, 0u);
    Step(1);
    EXPECT_EQ(Variable("NumUpdatedRigidBodies"), 1.0f);
    EXPECT_LT(crate->m_vPosition.y, 3.0f);
    Step(180);
    EXPECT_NEAR(crate->m_vPosition.y, 0.5f, 0.02f);
    EXPECT_NEAR(crate->m_vPosition.x, 2, 0.01f);
    // Once asleep it is no longer copied.
    Step(240);
    EXPECT_EQ(Body(crate)->getActivationState(), ISLAND_SLEEPING);
    EXPECT_EQ(Variable("NumUpdatedRigidBodies"), 0.0f);
}

// The deactivation time is Bullet's sleep timer, not its threshold: a body made at rest has
// already waited long enough and sleeps until something pushes it, as loose objects placed by a
// world file always did.
TEST_F(PhysicsWorldTest, ABodyMadeAtRestHangsAsleepUntilPushed) {
    AddGround();
    EObjectSlot* crate = AddObject(kCrateModel, {0, 3, 0});
    g_Physics.CreateObjectBody(crate, nullptr);
    Step(60);
    EXPECT_NEAR(crate->m_vPosition.y, 3.0f, 0.01f);
    g_Engine.PutForceToObject(crate, DV{});
    Step(120);
    EXPECT_NEAR(crate->m_vPosition.y, 0.5f, 0.02f);
}

TEST_F(PhysicsWorldTest, MassesAndKindsOfObjectBodies) {
    struct Case {
        const char* model;
        uint32_t kind;
        float mass;
        bool baleRoute;
        float bodyMass;
        bool kinematic;
    };
    const Case cases[] = {
        {kCrateModel, 1, 10, false, 10, false},
        {kCrateModel, 1, 0, false, 0, true},
        {kBaleModel, 1, 10, false, 5, false},
        {kCrateModel, 2, 10, false, 3, false},
        {kCrateModel, 2, 10, true, 188, false},
        {kCrateModel, 2, 0, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " kind " + std::to_string(c.kind) + " mass " + std::to_string(c.mass));
        g_RoutesMgr.m_iRouteCount = 1;
        g_RoutesMgr.m_Routes[0].m_bBaleCollecting = c.baleRoute;
        EObjectSlot* o = AddBody(c.model, {0, 5, 0}, c.kind, c.mass);
        const btRigidBody* body = Body(o);
        ASSERT_NE(body, nullptr);
        EXPECT_NEAR(body->getInvMass() > 0 ? 1.0f / body->getInvMass() : 0.0f, c.bodyMass, 1e-3f);
        EXPECT_EQ(body->isKinematicObject(), c.kinematic);
        if (c.kind == 2) {
            EXPECT_FLOAT_EQ(body->getLinearDamping(), c.baleRoute ? 0.6f : 0.1f);
        }
        g_Engine.DeleteObject(o);
    }
    EXPECT_EQ(WorldObjects(), 0);
    // Kinds other than box and cylinder make no body; a null block makes a box.
    EObjectSlot* none = AddObject(kCrateModel, {});
    RigidBodyPhysicsParams sphere;
    sphere.m_uBodyKind = 3;
    g_Physics.CreateObjectBody(none, &sphere);
    EXPECT_EQ(none->m_pPhysicsBody, nullptr);
    g_Physics.CreateObjectBody(none, nullptr);
    EXPECT_NE(none->m_pPhysicsBody, nullptr);
}

TEST_F(PhysicsWorldTest, WithUpdatePhysicsOffNothingStepsAndTheCountersStay) {
    EObjectSlot* crate = AddBody(kCrateModel, {0, 3, 0}, 1, 10);
    Step(1);
    const DV after = crate->m_vPosition;
    g_Settings.m_bUpdatePhysics = 0;
    g_Console.SetVariable("NumUpdatedRigidBodies", 7, 0);
    Step(30);
    EXPECT_EQ(crate->m_vPosition, after);
    EXPECT_EQ(Variable("NumUpdatedRigidBodies"), 7.0f);
}

TEST_F(PhysicsWorldTest, ALongFrameTakesAtMostThreeSubsteps) {
    EObjectSlot* crate = AddBody(kCrateModel, {0, 50, 0}, 1, 10);
    Step(1, 0.5f);
    // Three substeps of gravity: the simulation falls behind rather than taking more.
    EXPECT_NEAR(Body(crate)->getLinearVelocity().y(), -10.0f * 3 / 60, 1e-4f);
    // A frame time of 0 steps nothing but still copies the poses back.
    crate->m_vPosition = DV{};
    Step(1, 0.0f);
    EXPECT_GT(crate->m_vPosition.y, 49.0f);
}

TEST_F(PhysicsWorldTest, AStaticMeshKeepsTheOneBodyItHas) {
    EObjectSlot* ground = AddGround();
    btRigidBody* body = Body(ground);
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(ground->m_bStaticMeshBody);
    EXPECT_FLOAT_EQ(body->getFriction(), 2.11f);
    g_Physics.CreateStaticTriMesh(ground);
    g_Physics.CreateStaticTriMeshes();
    EXPECT_EQ(Body(ground), body);
    EXPECT_EQ(WorldObjects(), 1);
    EXPECT_EQ(g_Physics.m_VertexArrays.size(), 1u);
    EXPECT_EQ(g_Physics.m_IndexArrays.size(), 1u);
}

TEST_F(PhysicsWorldTest, CreateStaticTriMeshesTakesTheFlaggedMeshesOnly) {
    AddObject(kGroundModel, {}, 0, "flagged");
    EObjectSlot* plain = AddObject(kCrateModel, {5, 0, 0});
    g_Engine.SetObjectFlags(plain, 0, FLAG_STATIC_LEVEL_MESH);
    g_Physics.CreateStaticTriMeshes();
    EXPECT_EQ(plain->m_pPhysicsBody, nullptr);
    EXPECT_EQ(WorldObjects(), 1);
}

TEST_F(PhysicsWorldTest, AScaledLevelBeyondElevenHundredStillCollides) {
    AddGround({10, 1, 10});
    for (const float x : {0.0f, 1500.0f, -1900.0f}) {
        EObjectSlot* crate = AddBody(kCrateModel, {x, 2, x}, 1, 10);
        Step(120);
        EXPECT_NEAR(crate->m_vPosition.y, 0.5f, 0.05f) << x;
        g_Engine.DeleteObject(crate);
    }
}

TEST_F(PhysicsWorldTest, TheFirstMoveOfAStaticMeshMakesItKinematic) {
    EObjectSlot* ground = AddGround();
    EXPECT_FALSE(Body(ground)->isKinematicObject());
    g_Engine.SetObjectPosition(ground, DV{0, 1, 0}, false);
    EXPECT_TRUE(Body(ground)->isKinematicObject());
    EXPECT_EQ(Body(ground)->getActivationState(), DISABLE_DEACTIVATION);
    EXPECT_FLOAT_EQ(Body(ground)->getWorldTransform().getOrigin().y(), 1.0f);
    EObjectSlot* crate = AddBody(kCrateModel, {0, 3, 0}, 1, 10);
    Step(120);
    EXPECT_NEAR(crate->m_vPosition.y, 1.5f, 0.06f);
}

TEST_F(PhysicsWorldTest, LeavingTheWorldDropsEveryBodyShapeAndMeshArray) {
    EObjectSlot* ground = AddGround();
    EObjectSlot* crate = AddBody(kCrateModel, {0, 3, 0}, 1, 10);
    EObjectSlot* tractor = AddObject(kTractorModel, {10, 0, 0});
    EObjectSlot* trailer = AddObject(kTrailerModel, {10, 0, -6});
    g_Physics.CoupleImplement(tractor, trailer);
    Step(10);
    // The machines outlive their world here: their trucks, vehicles and couplings go first.
    g_Physics.OnExitWorld();
    EXPECT_EQ(WorldObjects(), 0);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 0);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->GetNumActions(), 0);
    EXPECT_TRUE(g_Physics.m_collisionShapes.empty());
    EXPECT_TRUE(g_Physics.m_meshInterfaces.empty());
    EXPECT_TRUE(g_Physics.m_VertexArrays.empty());
    EXPECT_EQ(ground->m_pPhysicsBody, nullptr);
    EXPECT_EQ(crate->m_pPhysicsBody, nullptr);
    EXPECT_EQ(tractor->m_hTruck, nullptr);
    EXPECT_EQ(trailer->m_hTruck, nullptr);
    g_Physics.RemoveObjectBody(crate);
    Step(2);
}

TEST_F(PhysicsWorldTest, TouchPointIsBetweenTwoTouchingObjects) {
    EObjectSlot* a = AddBody(kCrateModel, {0, 5, 0}, 1, 0);
    EObjectSlot* b = AddBody(kCrateModel, {0.9f, 5, 0}, 1, 0);
    EObjectSlot* far = AddBody(kCrateModel, {3, 5, 0}, 1, 0);
    EObjectSlot* bodiless = AddObject(kCrateModel, {0.5f, 5, 0});
    DV point;
    EXPECT_TRUE(g_Physics.GetTouchPoint(a, b, &point, 0));
    EXPECT_EQ(point, (DV{0.45f, 5, 0}));
    EXPECT_FALSE(g_Physics.GetTouchPoint(a, far, &point, 0.5f));
    EXPECT_FALSE(g_Physics.GetTouchPoint(a, far, &point, 2.5f)) << "boxes apart never touch, whatever the margin";
    EXPECT_FALSE(g_Physics.GetTouchPoint(a, bodiless, &point, 0));
    EXPECT_FALSE(g_Physics.GetTouchPoint(a, nullptr, &point, 0));
}

TEST_F(PhysicsWorldTest, PointInObjectBoxIsTakenInTheMeshsOwnFrame) {
    EObjectSlot* crate = AddObject(kCrateModel, {10, 0, 0}, static_cast<float>(M_PI) / 4);
    const DV inside{10.6f, 0, 0}, outside{10.6f, 0, 0.6f}, corner{10, 0.5f, 0};
    EXPECT_TRUE(g_Physics.IsPointInObjectBox(&inside, crate));
    EXPECT_FALSE(g_Physics.IsPointInObjectBox(&outside, crate));
    EXPECT_TRUE(g_Physics.IsPointInObjectBox(&corner, crate));
    EXPECT_FALSE(g_Physics.IsPointInObjectBox(nullptr, crate));
}

}  // namespace
}  // namespace test
