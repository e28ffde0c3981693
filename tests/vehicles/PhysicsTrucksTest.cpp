// Trucks: what building one makes, the drivers' wishes, teleport, coupling and destruction.
#include "PhysicsFixture.h"

namespace test {
namespace {

const std::string kPloughType = "Vehicle Plough\nprefab prefabs\\t\\plough.x\nplug\nprzyczepa\nhak hak\n"
                                "wheel prefabs\\t\\wheel.x kolo_lt 0.5 0 0\nwheel prefabs\\t\\wheel.x kolo_pt 0.5 0 0\n";
const std::string kCountryType = "Vehicle Abroad\nprefab prefabs\\t\\abroad.x\nklasa 0\nFR\nUS\n";

class TrucksTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        WriteFile("prefabs\\t\\plough.x", BoxModel({-1, 0.3f, -1}, {1, 1, 1}));
        WriteFile("prefabs\\t\\abroad.x", BoxModel({-1, 0.3f, -1}, {1, 1, 1}));
        InitPhysics({{"tractor.txt", kTractorType}, {"trailer.txt", kTrailerType}, {"plough.txt", kPloughType},
                     {"abroad.txt", kCountryType}});
        AddGround();
    }

    static int WorldObjects() { return g_Physics.m_dynamicsWorld->getNumCollisionObjects(); }
    static VehicleType* Type(const std::string& name) {
        for (uint32_t i = 0; i < g_Physics.m_uVehicleCount; ++i)
            if (name == g_Physics.m_Vehicles[i].m_szName) return &g_Physics.m_Vehicles[i];
        return nullptr;
    }
};

TEST_F(TrucksTest, BuildingATractorMakesItsChassisVehicleWheelsAndParts) {
    EObjectSlot* tractor = AddObject(kTractorModel, {4, 0, 2}, 0, "tractor");
    Truck* t = tractor->m_hTruck;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_pOwner, tractor);
    EXPECT_EQ(tractor->m_uFlags & 0x03000000u, 0x03000000u);
    EXPECT_EQ(tractor->m_uFlags & FLAG_STATIC_LEVEL_MESH, 0u);
    EXPECT_EQ(tractor->m_uFlags3, 0x4000u);
    EXPECT_TRUE(tractor->m_bVehicleMarker);
    EXPECT_FLOAT_EQ(t->m_pChassis->getFriction(), 0.02f);
    EXPECT_FLOAT_EQ(1.0f / t->m_pChassis->getInvMass(), 800);
    ASSERT_NE(t->m_pVehicle, nullptr);
    ASSERT_EQ(t->m_pVehicle->getNumWheels(), 4);
    const DV sockets[4] = {{-0.9f, 0, 1}, {0.9f, 0, 1}, {-0.9f, 0, -1}, {0.9f, 0, -1}};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const btWheelInfo& w = t->m_pVehicle->getWheelInfo(k);
        EXPECT_FLOAT_EQ(w.m_suspensionStiffness, 100);
        EXPECT_FLOAT_EQ(w.m_wheelsDampingRelaxation, 20.3f);
        EXPECT_FLOAT_EQ(w.m_wheelsDampingCompression, 1.4f);
        EXPECT_FLOAT_EQ(w.m_frictionSlip, 10);
        EXPECT_FLOAT_EQ(w.m_rollInfluence, 0.1f);
        EXPECT_FLOAT_EQ(w.m_brake, 40);
        EXPECT_FLOAT_EQ(w.m_wheelsRadius, kWheelRadius);
        EXPECT_FLOAT_EQ(w.getSuspensionRestLength(), 0.01f);
        EXPECT_EQ(w.m_bIsFrontWheel, k < 2);
        // The wheel hangs from the socket's x and z at its own radius.
        EXPECT_NEAR(w.m_chassisConnectionPointCS.x(), sockets[k].x, 1e-5f);
        EXPECT_NEAR(w.m_chassisConnectionPointCS.y(), kWheelRadius, 1e-5f);
        EXPECT_NEAR(w.m_chassisConnectionPointCS.z(), sockets[k].z, 1e-5f);
        EXPECT_EQ(t->m_pWheelObjects[k]->m_uFlags3, 0x2000u);
    }
    EXPECT_FLOAT_EQ(Type("Test Tractor")->m_fWheelB[0], 0.01f);
    EXPECT_NE(t->m_pSteeringWheel, nullptr);
    EXPECT_FLOAT_EQ(t->m_fBrake, 40);
    EXPECT_NEAR(t->m_Hooks[HOOK_MAIN].m_vPoint.z, -1.9f, 1e-5f);
    // Driver models are skinned: none can be made here, so the socket alone makes no driver.
    EXPECT_EQ(t->m_pDriver, nullptr);
}

TEST_F(TrucksTest, APloughHasAChassisButNoVehicleAndItsWheelsSwapSockets) {
    EObjectSlot* plough = AddObject("prefabs\\t\\plough.x", {0, 0, 10});
    Truck* t = plough->m_hTruck;
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->m_pChassis, nullptr);
    EXPECT_EQ(t->m_pVehicle, nullptr);
    g_Physics.ReleaseTruckControls(plough);
    g_Physics.SetTruckDrive(plough, 500, 0.2f);
    g_Physics.SetTruckControls(plough);
    Step(2);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->GetNumActions(), 0);
}

TEST_F(TrucksTest, AnUnreleasedTruckHoldsItsWheelsWhateverItsDriversWish) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.1f, 0});
    Step(60);
    const DV start = tractor->m_vPosition;
    Drive(tractor, 2000, 0.3f);
    Step(120);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(tractor->m_hTruck->m_pVehicle->getWheelInfo(k).m_brake, 10) << k;
        EXPECT_FLOAT_EQ(tractor->m_hTruck->m_pVehicle->getWheelInfo(k).m_engineForce, 0) << k;
    }
    EXPECT_LT(pmath::Length(tractor->m_vPosition - start), 0.01f);
}

TEST_F(TrucksTest, WishesLastOneFrameAndSteeringEasesAtFourPerSecond) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.1f, 0});
    Truck* t = tractor->m_hTruck;
    g_Physics.ReleaseTruckControls(tractor);
    g_Engine.m_fFrameTime = kStep;
    std::vector<float> steering;
    for (int frame = 0; frame < 6; ++frame) {
        g_Physics.SetTruckDrive(tractor, 100, 0.3f);
        g_Physics.SetTruckBrake(tractor, 5);
        g_Physics.SetTruckControls(tractor);
        steering.push_back(t->m_fCurrentSteering);
    }
    // 0.3 is reached after 0.075 s: the fifth frame of 1/60 s, not the fourth.
    EXPECT_LT(steering[3], 0.3f);
    EXPECT_FLOAT_EQ(steering[4], 0.3f);
    EXPECT_FLOAT_EQ(t->m_pVehicle->getWheelInfo(0).m_steering, 0.3f);
    EXPECT_FLOAT_EQ(t->m_pVehicle->getWheelInfo(0).m_engineForce, 100);
    EXPECT_FLOAT_EQ(t->m_pVehicle->getWheelInfo(2).m_brake, 5);
    EXPECT_EQ(t->m_fEngineForce, 0);
    EXPECT_EQ(t->m_fTargetSteering, 0);
    EXPECT_EQ(t->m_fBrake, 0);
    // Not renewed: the next frame applies nothing.
    g_Physics.SetTruckControls(tractor);
    EXPECT_FLOAT_EQ(t->m_pVehicle->getWheelInfo(0).m_engineForce, 0);
    EXPECT_FLOAT_EQ(t->m_pVehicle->getWheelInfo(2).m_brake, 0);
}

// As built: the country-derived class is written back into the shared type, so later picks by
// class see it.
TEST_F(TrucksTest, TheCountryDecidesTheClassAndTheTypeKeepsIt) {
    VehicleType* type = Type("Abroad");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->m_iKlasa, 0);
    EObjectSlot* abroad = AddObject("prefabs\\t\\abroad.x", {20, 0, 0});
    EXPECT_EQ(abroad->m_hTruck->m_iKlasa, 3);
    EXPECT_EQ(type->m_iKlasa, 3);
}

TEST_F(TrucksTest, WhileTheIntroRunsOnlyDrivableTypesBecomeMachines) {
    g_Settings.m_bIntroRunning = 1;
    EXPECT_NE(AddObject(kTractorModel, {0, 0, 0})->m_hTruck, nullptr);
    EXPECT_EQ(AddObject(kTrailerModel, {10, 0, 0})->m_hTruck, nullptr);
}

TEST_F(TrucksTest, TeleportPutsTheMachineALittleHigherAtRestAndUncoupled) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    EObjectSlot* trailer = AddObject(kTrailerModel, {0, 0.05f, -5.7f});
    g_Physics.CoupleImplement(tractor, trailer);
    g_Physics.ReleaseTruckControls(tractor);
    Drive(tractor, 1500);
    Step(60);
    const DV to{30, 2, 40};
    const pmath::Quaternion turned = EOrientation::EOrientationFromYawPitchRoll(1.0f, 0, 0).m_Quaternion;
    g_Physics.TeleportTruck(tractor, &to, &turned);
    Truck* t = tractor->m_hTruck;
    EXPECT_EQ(tractor->m_vPosition, (DV{30, 2.1f, 40}));
    EXPECT_NEAR(t->m_pChassis->getWorldTransform().getOrigin().y(), 2.1f, 1e-6f);
    EXPECT_EQ(t->m_pChassis->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(t->m_pPartner, nullptr);
    EXPECT_EQ(trailer->m_hTruck->m_pPartner, nullptr);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 1) << "the trailer's own hinge stays";
    EXPECT_FALSE(tractor->m_bMovedByPhysics);
    // Its wheels were placed at once at the new place.
    EXPECT_NEAR(t->m_pWheelObjects[0]->m_vPosition.x, tractor->m_vPosition.x + tractor->m_Orientation.m_Side.x * -0.9f +
                                                          tractor->m_Orientation.m_Front.x * 1.0f, 1e-3f);
}

TEST_F(TrucksTest, CouplingAgainReplacesTheConstraintsAndTheOldPartnerLetsGo) {
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0});
    EObjectSlot* first = AddObject(kTrailerModel, {0, 0.05f, -5.7f});
    EObjectSlot* second = AddObject(kTrailerModel, {20, 0.05f, -5.7f});
    const int hinges = 2;
    g_Physics.CoupleImplement(tractor, first);
    g_Physics.CoupleImplement(tractor, first);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), hinges + 1);
    g_Physics.CoupleImplement(tractor, second);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), hinges + 1);
    EXPECT_EQ(first->m_hTruck->m_pPartner, nullptr);
    EXPECT_EQ(first->m_hTruck->m_pTowing, nullptr);
    EXPECT_FLOAT_EQ(first->m_hTruck->m_fBrake, 40);
    // The stale implement cannot uncouple the live one any more.
    g_Physics.DetachImplement(first);
    EXPECT_EQ(tractor->m_hTruck->m_pPartner, second);
    // Letting go from the implement's side clears both links and the constraint.
    g_Physics.DetachImplement(second);
    EXPECT_EQ(tractor->m_hTruck->m_pPartner, nullptr);
    EXPECT_EQ(second->m_hTruck->m_pPartner, nullptr);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), hinges);
}

TEST_F(TrucksTest, DestroyingTrucksLeavesTheWorldAsItWas) {
    const int bodies = WorldObjects();
    const int objects = g_Engine.TotalObjects;
    EObjectSlot* tractor = AddObject(kTractorModel, {0, 0.05f, 0}, 0, "tractor");
    EObjectSlot* trailer = AddObject(kTrailerModel, {0, 0.05f, -5.7f}, 0, "trailer");
    g_Physics.CoupleImplement(tractor, trailer);
    Step(10);
    // The trailer goes first: the tractor's coupling to its hitch goes with it.
    g_Engine.DeleteObject(trailer);
    EXPECT_EQ(tractor->m_hTruck->m_pPartner, nullptr);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 0);
    Step(10);
    g_Engine.DeleteObject(tractor);
    EXPECT_EQ(WorldObjects(), bodies);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->GetNumActions(), 0);
    EXPECT_EQ(g_Engine.TotalObjects, objects);
    EXPECT_TRUE(Logged("DestroyTruck tractor"));
    g_Physics.DestroyTruck(nullptr);
    EXPECT_TRUE(Logged("DestroyTruck EMPTY"));
}

TEST_F(TrucksTest, AMachinePinnedToItsMarkerStaysThereAndLetsGo) {
    EObjectSlot* marker = AddObject(kGroundModel, {0, 0, 30});
    g_Engine.SetObjectScaling(marker, DV{0.01f, 1, 0.01f});
    // Its front axle, 1 ahead, comes 0.3 beside the marker.
    EObjectSlot* tractor = AddObject(kTractorModel, {0.3f, 0.05f, 28.0f});
    tractor->m_pLinkedObject = marker;
    g_Physics.TruckPrzyczepDoDummy(tractor);
    // Within 0.7 of the marker the machine is not moved before it is pinned.
    EXPECT_NEAR(tractor->m_vPosition.x, 0.3f, 1e-5f);
    EXPECT_NE(tractor->m_pDummyConstraint, nullptr);
    EXPECT_TRUE(marker->m_bStaticMeshBody);
    g_Physics.TruckPrzyczepDoDummy(tractor);
    EXPECT_EQ(g_Physics.m_dynamicsWorld->getNumConstraints(), 1);
    EXPECT_EQ(g_Physics.m_VertexArrays.size(), 2u) << "the marker keeps its one static body";
    // Deleting the marker takes the pin out before its body goes.
    g_Engine.DeleteObject(marker);
    EXPECT_EQ(tractor->m_pDummyConstraint, nullptr);
    Step(5);
}

}  // namespace
}  // namespace test
