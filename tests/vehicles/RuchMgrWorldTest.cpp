// The opponents as machines of the physics world on a flat ground with a straight path: the flicker
// rules by the pose a car is left in, the free-spot search, the return from flicker, two touching
// opponents and the combine taking an opponent's slot.
#include "PhysicsFixture.h"

#include "collision/CollisionHooks.h"
#include "collision/MeshCollision.h"
#include "vehicles/RuchMgr.h"
#include "world/BezierMgr.h"
#include "world/CollisionFixture.h"

namespace test {
namespace {

// A straight path "trasa" along +z from z = -150 to z = 150 (the distance d lies at z = d - 150).
constexpr const char* kPath =
    "bezier_node trasa\nnr 1\npos 0 0.9 -150\nksztalt1 0 0.9 -50\nksztalt2 0 0.9 50\nnext_in_path_nr 2\n"
    "bezier_node trasa_koniec\nnr 2\npos 0 0.9 150\nksztalt1 0 0.9 150\nksztalt2 0 0.9 150\nnext_in_path_nr -1\n";

class OpponentsWorldTest : public PhysicsTest {
protected:
    void SetUp() override {
        PhysicsTest::SetUp();
        InstallRoadQueries();
        InitPhysics();
        AddGround();
        WriteFile("prefabs\\t\\road.x", SolidQuad({-200, 0, -200}, {-200, 0, 200}, {200, 0, 200}, {200, 0, -200}));
        AddObject("prefabs\\t\\road.x", {}, 0, "road");
        g_BezierMgr.Release();
        g_BezierMgr.ReadPaths(kPath);
        ResetGlobal(g_RuchMgr);
        m_route.Reset();
        std::snprintf(m_route.m_szStartPath, sizeof m_route.m_szStartPath, "trasa");
        g_RoutesMgr.m_pCurrentRoute = &m_route;
        std::snprintf(g_Player.m_szStartPath, sizeof g_Player.m_szStartPath, "trasa");
        g_Player.m_dPathLength = 300;
        g_Player.m_iCountdown = -1;
        FarPlayer();
        g_RuchMgr.m_bRaceStarted = 1;
        g_RuchMgr.m_fStep = kStep;
    }
    void TearDown() override {
        g_RuchMgr.RemoveAllCars();
        ResetGlobal(g_RuchMgr);
        g_BezierMgr.Release();
        PhysicsTest::TearDown();
        g_CollisionHooks = CollisionHooks{};
        ResetGlobal(g_CollisionMgr);
        ResetGlobal(g_IntersectSegment);
    }
    // The segment queries that find the road under a car see the world's solid meshes where they
    // stand, as the program wires them.
    static void InstallRoadQueries() {
        ResetGlobal(g_IntersectSegment);
        static void (*s_physicsTransformed)(EObjectSlot*, const DV&, const pmath::Quaternion&);
        s_physicsTransformed = g_MeshHooks.ownerTransformed;
        g_MeshHooks.ownerTransformed = [](EObjectSlot* o, const DV& scale, const pmath::Quaternion& rotation) {
            s_physicsTransformed(o, scale, rotation);
            g_IntersectSegment.UpdateEngineObject(o);
            g_CollisionMgr.UpdateObject(o);
        };
        g_CollisionHooks.objectFacts = [](EObjectSlot* o) { return o->CollisionFacts(); };
        g_CollisionHooks.objectGeometry = [](EObjectSlot* o, CollisionGeometry* out) {
            return o->Mesh() && MeshCollisionGeometry(*o->Mesh(), out);
        };
        g_CollisionHooks.forEachObject = [](void (*visit)(EObjectSlot*, void*), void* context) {
            for (EObjectSlot& o : g_Engine.m_Objects)
                if (o.m_bUsed) visit(&o, context);
        };
    }
    static void FarPlayer() {
        g_Player.m_vPosition = DV{300, 0, 300};
        g_Player.m_dDistance = 290;
    }
    // A car placed on the path at the distance, as before the start, and released to physics.
    static RuchCar& PlacedCar(uint32_t index, double distance, int32_t type = RuchCar::kOpponent) {
        g_RuchMgr.DodajCar(index, distance, 1, static_cast<uint32_t>(type), 0);
        RuchCar& car = g_RuchMgr.m_Cars[index];
        EXPECT_EQ(car.m_pObject != nullptr, type == RuchCar::kOpponent);
        g_RuchMgr.m_bRaceStarted = 0;
        g_RuchMgr.PlaceStep(car);
        g_RuchMgr.m_bRaceStarted = 1;
        EXPECT_TRUE(car.m_bPhysics);
        return car;
    }
    // The frames of rule checks until the car flickers; -1 when it never does within the limit.
    static int FramesUntilFlicker(RuchCar& car, int limit, bool combine = false) {
        for (int frame = 1; frame <= limit; ++frame) {
            if (combine) g_RuchMgr.CheckCombineFlickerRules(car);
            else g_RuchMgr.CheckFlickerRules(car);
            if (car.m_bFlicker) return frame;
        }
        return -1;
    }
    RouteRecord m_route;
};

TEST_F(OpponentsWorldTest, EachStuckPoseStartsFlickerAfterItsTime) {
    struct Case {
        const char* pose;
        int frames;  // the frame of the check that starts flicker; -1 for none within 6 s
    } cases[] = {{"backwards", 30}, {"backwards near the player", -1}, {"upside down", 30}, {"standing", 121},
                 {"standing in the countdown", -1}, {"standing at the finish", -1}, {"off the road", 1},
                 {"driving well", -1}};
    for (const Case& c : cases) {
        const std::string pose = c.pose;
        FarPlayer();
        g_Player.m_iCountdown = -1;
        RuchCar& car = PlacedCar(0, 100);
        car.m_dSpeed = 8.0;
        car.m_fAlignment = 1.0f;
        if (pose.starts_with("backwards")) car.m_fAlignment = -0.9f;
        if (pose == "backwards near the player") car.m_fPlayerDistance = 8.0f;
        if (pose == "upside down") car.m_Orientation.m_Up = DV{0, -1, 0};
        if (pose.starts_with("standing")) car.m_dSpeed = 0.05;
        if (pose == "standing in the countdown") g_Player.m_iCountdown = 2;
        if (pose == "standing at the finish") car.m_bFinished = 1;
        if (pose == "off the road") car.m_vPosition = DV{1000, 0, 1000};
        EXPECT_EQ(FramesUntilFlicker(car, 360), c.frames) << c.pose;
        g_RuchMgr.RemoveCar(car);
    }
}

TEST_F(OpponentsWorldTest, TheCombineKeepsDrivingOverAGapAndOffRoadKeepsNoGoodDistance) {
    RuchCar& combine = PlacedCar(1, 100, RuchCar::kCombine);
    EXPECT_EQ(combine.m_pObject, nullptr);  // no combine model in this world: the record drives nothing
    RuchCar& car = PlacedCar(0, 100);
    car.m_dDistance = 120;
    car.m_dSpeed = 8;
    car.m_fAlignment = 1;
    EXPECT_EQ(FramesUntilFlicker(car, 1), -1);
    EXPECT_DOUBLE_EQ(car.m_dGoodDistance, 120.0);  // on the road: the place to come back to
    car.m_iType = RuchCar::kCombine;
    car.m_vPosition = DV{1000, 0, 1000};
    car.m_dDistance = 140;
    EXPECT_EQ(FramesUntilFlicker(car, 60, true), -1);
    EXPECT_DOUBLE_EQ(car.m_dGoodDistance, 120.0);
}

TEST_F(OpponentsWorldTest, AFlickeringCarGoesBackToItsGoodDistanceAndGainsEightWhenFarBehind) {
    RuchCar& car = PlacedCar(0, 100);
    car.m_dGoodDistance = 90;
    g_Player.m_dDistance = 200;  // far ahead
    g_RuchMgr.StartFlicker(car);
    EXPECT_TRUE(car.m_bFlicker);
    EXPECT_DOUBLE_EQ(car.m_dDistance, 98.0);
    EXPECT_NEAR(car.m_pObject->m_vPosition.z, 98.0f - 150.0f, 0.01f);
    EXPECT_NEAR(car.m_vPosition.y, 0.4f, 1e-4f);  // on the road, lifted
    EXPECT_LE(car.m_fFlickerTime, 0.0f);
    EXPECT_GT(car.m_fFlickerTime, -0.5f);
}

// Far behind a player who is far ahead, an opponent is brought forward once it has driven ten
// seconds since it was last moved, however well it drives.
TEST_F(OpponentsWorldTest, AnOpponentFarBehindIsMovedUpAfterTenSecondsOfDriving) {
    RuchCar& car = PlacedCar(0, 20);
    g_Player.m_dDistance = 200;
    g_Player.m_vPosition = DV{0, 0.9f, 50};
    int frames = 0;
    while (!car.m_bFlicker && frames < 20 * 60) {
        car.m_fLimitTimer = 1;  // no new target needed: only the time counts
        g_RuchMgr.DriveOpponent(car);
        ++frames;
    }
    EXPECT_NEAR(frames, 10 * 60, 2);
    EXPECT_FLOAT_EQ(car.m_fSinceRelocation, 0.0f);
}

// Near the player every candidate is taken: the search walks back, but never before the start.
TEST_F(OpponentsWorldTest, TheFreeSpotSearchStopsAtThePathsStart) {
    RuchCar& car = PlacedCar(0, 100);
    g_Player.m_vPosition = DV{0, 0.9f, -147};  // at distance 3
    EXPECT_DOUBLE_EQ(g_RuchMgr.FindFreeSpot(car, 6.0), 0.0);
    // Away from the player another car 12 around a spot pushes the search back past it.
    FarPlayer();
    RuchCar& other = PlacedCar(2, 60);
    EXPECT_DOUBLE_EQ(g_RuchMgr.FindFreeSpot(car, 80.0), 80.0);
    const double spot = g_RuchMgr.FindFreeSpot(car, 62.0);
    EXPECT_LE(spot, 60.0 - 11.0);
    EXPECT_GE(pmath::Length(other.m_pObject->m_vPosition - DV{0, 0.9f, static_cast<float>(spot) - 150}), 12.0f);
}

TEST_F(OpponentsWorldTest, AFlickeringOpponentReturnsBesideAnotherOpponentButWaitsForTheCombine) {
    RuchCar& car = PlacedCar(0, 100);
    RuchCar& other = PlacedCar(2, 103);
    g_RuchMgr.StartFlicker(car);
    g_RuchMgr.StartFlicker(other);
    car.m_fFlickerTime = 0.6f;
    g_RuchMgr.EndFlickerOnContact(car);
    EXPECT_FALSE(car.m_bFlicker);
    EXPECT_TRUE(car.m_bPhysics);

    // The same other machine as a combine blocks the return while it is within 6.
    g_RuchMgr.StartFlicker(car);
    other.m_iType = RuchCar::kCombine;
    other.m_bFlicker = 0;
    g_Engine.SetObjectPosition(other.m_pObject, car.m_pObject->m_vPosition + DV{3, 0, 0}, false);
    for (int frame = 0; frame < 60; ++frame) g_RuchMgr.EndFlickerOnContact(car);
    EXPECT_TRUE(car.m_bFlicker);
    g_Engine.SetObjectPosition(other.m_pObject, car.m_pObject->m_vPosition + DV{7, 0, 0}, false);
    g_RuchMgr.EndFlickerOnContact(car);
    EXPECT_FALSE(car.m_bFlicker);
}

TEST_F(OpponentsWorldTest, TheRearOfTwoTouchingOpponentsGivesWayAndMovesOverOnlyAfterFiveSeconds) {
    g_Player.m_dDistance = 60;
    for (float laneTimer : {2.0f, 6.0f}) {
        RuchCar& rear = PlacedCar(0, 50);
        RuchCar& front = PlacedCar(2, 52.8);
        Step(1);
        for (RuchCar* c : {&rear, &front}) {
            c->m_dPathToPlayer = 10;
            c->m_fPhysicsWait = 2;
            c->m_dTargetSpeed = 12;
            c->m_fLaneTimer = laneTimer;
        }
        g_RuchMgr.OpponentContacts(rear);
        EXPECT_DOUBLE_EQ(front.m_dTargetSpeed, 16.0) << laneTimer;
        EXPECT_FLOAT_EQ(front.m_fLimitTimer, 5.0f);
        EXPECT_FLOAT_EQ(rear.m_fPhysicsWait, 0.0f);
        EXPECT_DOUBLE_EQ(rear.m_dDriveOffset, laneTimer > 5 ? -2.5 : 2.5) << laneTimer;
        EXPECT_DOUBLE_EQ(front.m_dDriveOffset, 2.5);

        rear.m_fPhysicsWait = front.m_fPhysicsWait = 2;
        g_RuchMgr.OpponentContacts(front);
        EXPECT_DOUBLE_EQ(rear.m_dTargetSpeed, 8.0);
        EXPECT_FLOAT_EQ(rear.m_fLimitTimer, 3.0f);
        g_RuchMgr.RemoveAllCars();
    }
}

TEST_F(OpponentsWorldTest, TheCombineTakingTheFirstSlotRemovesThatOpponentsMachine) {
    m_route.m_bWithOpponents = 1;
    m_route.m_bGrain = 1;
    g_VehiclesHooks.profileDifficulty = [] { return 0; };
    g_RuchMgr.DodajCar(0, 30, 1, RuchCar::kOpponent, 0);
    ASSERT_NE(g_Engine.FindObject("EnemyTruck0", false), nullptr);
    g_RuchMgr.Start();
    EXPECT_EQ(g_Engine.FindObject("EnemyTruck0", false), nullptr);
    EXPECT_EQ(g_RuchMgr.m_Cars[0].m_iType, RuchCar::kCombine);
    EXPECT_NE(g_Engine.FindObject("EnemyTruck1", false), nullptr);
    EXPECT_NE(g_Engine.FindObject("EnemyTruck2", false), nullptr);
    g_RuchMgr.Reset();
    EXPECT_EQ(g_Engine.FindObject("EnemyTruck1", false), nullptr);
    for (const RuchCar& c : g_RuchMgr.m_Cars) EXPECT_FALSE(c.m_bActive);
}

}  // namespace
}  // namespace test
