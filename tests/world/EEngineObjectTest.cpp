// The engine object passes: the camera finder, the object loop, visibility and first updates,
// touches, actions and the motion after them, ties.
#include "world/EEngineObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mesh/EMesh.h"
#include "mesh/MeshParams.h"
#include "world/CRoutesMgr.h"
#include "world/EngineFixture.h"

namespace {

using test::EngineTest;
using Lines = std::vector<std::string>;

class EngineObjects : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        g_Engine.m_fFrameTime = 0.1f;
    }
    // One pass of the object passes with the engine's frame step.
    static void Pass() { g_EngineObject.Update(); }

    // A light whose action block fires when the player's machine comes near, and then slides 3
    // units along +x at 10 units a second.
    static EObjectSlot* Sliding(const char* name, DV at) {
        EObjectSlot* o = AddLight(name, at);
        o->m_pActionParams = new strActionParams;
        strActionParams& a = *o->m_pActionParams;
        a.m_uEnabled = a.m_uOnTouch = 1;
        a.m_vMove = DV{2, 0, 0};
        a.m_fMoveSpeed = 10;
        a.m_fMoveLimit = 3;
        return o;
    }
};

TEST_F(EngineObjects, TheCameraFinderLivesFromWorldStartToWorldEndAndFollowsTheCamera) {
    g_Camera.m_vPosition = DV{500, 0, 0};
    Pass();  // before any world: nothing to move, nothing breaks
    EXPECT_EQ(g_EngineObject.m_pCameraFinder, nullptr);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 0);

    g_EngineObject.OnStartWorld();
    ECollisionFinder* finder = g_EngineObject.m_pCameraFinder;
    ASSERT_NE(finder, nullptr);
    EXPECT_EQ(finder->m_vPosition, (DV{1, 0, 0}));
    EXPECT_FLOAT_EQ(finder->m_fRadius, 1000.0f);
    g_Settings.m_fFOV = 1.2f;
    g_Camera.m_fFarZ = 800;
    Pass();
    EXPECT_EQ(finder->m_vPosition, (DV{500, 0, 0}));
    EXPECT_FLOAT_EQ(finder->m_fRadius, 800.0f);
    EXPECT_FLOAT_EQ(finder->m_fAngle, 1.2f * 3.14159265f / 2);

    g_EngineObject.OnStartWorld();  // a second start keeps one finder
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 1);
    g_EngineObject.OnEndWorld();
    EXPECT_EQ(g_EngineObject.m_pCameraFinder, nullptr);
    EXPECT_EQ(g_CollisionMgr.m_iFinderCount, 0);
}

TEST_F(EngineObjects, TheCameraCountsAsChangedOnlyWhenItMovedTurnedOrTimePassed) {
    // A change restarts the change timer (the visibility pass also refreshes by its own timer, so
    // the camera-changed byte alone does not tell).
    auto changedNow = [] { return g_EngineObject.m_fCameraChangeTimer == 0; };
    g_EngineObject.OnStartWorld();
    Pass();  // the first pass sees the camera turned away from the saved start
    ASSERT_TRUE(changedNow());
    struct Case {
        const char* what;
        DV position;
        DV direction;
        int frames;
        bool changed;
    };
    const DV at = g_Camera.m_vPosition, ahead = g_Camera.m_vDirection;
    const Case cases[] = {
        {"still", at, ahead, 1, false},
        {"moved 200", at + DV{200, 0, 0}, ahead, 1, false},
        {"moved 300", at + DV{300, 0, 0}, ahead, 1, true},
        {"turned a little", at, pmath::Normalize(DV{0.05f, 0, 1}), 1, false},
        {"turned", at, pmath::Normalize(DV{0.5f, 0, 1}), 1, true},
        {"a second passed", at, ahead, 11, true},
    };
    for (const Case& c : cases) {
        g_EngineObject.OnStartWorld();
        g_Camera.m_vPosition = at;
        g_Camera.m_vDirection = ahead;
        Pass();
        g_Camera.m_vPosition = c.position;
        g_Camera.m_vDirection = c.direction;
        bool changed = false;
        for (int i = 0; i < c.frames; ++i) {
            Pass();
            changed = changed || changedNow();
        }
        EXPECT_EQ(changed, c.changed) << c.what;
    }
}

TEST_F(EngineObjects, MeshVisibilityFollowsItsRulesInOrder) {
    struct Case {
        const char* what;
        uint32_t flags;
        uint32_t flags2;
        float distance;
        float radius;
        int32_t viewDistance;
        bool visible;
    };
    const Case cases[] = {
        {"flag off", 0, 0x20, 10, 0, 0, false},
        {"seen far", 1, 0x20, 5000, 0, 10, true},
        {"near", 1, 0, 39, 0, 10, true},
        {"inside its radius", 1, 0, 300, 301, 10, true},
        {"beyond its view distance", 1, 0, 300, 10, 200, false},
        {"view distance 1 means none", 1, 0, 300, 10, 1, false},  // then the finder decides: no touch list yet
        {"beyond the far plane", 1, 0, 1200, 100, 0, false},
    };
    g_EngineObject.OnStartWorld();
    g_Camera.m_fFarZ = 1000;
    for (const Case& c : cases) {
        EObjectSlot* o = AddMesh(c.what, DV{0, 0, c.distance});
        o->m_uFlags = c.flags;
        o->m_uFlags2 = c.flags2;
        o->m_fRadius = c.radius;
        o->m_iViewDistance = c.viewDistance;
        g_EngineObject.m_bCameraChanged = 1;
        g_EngineObject.UpdateVisibility(o);
        EXPECT_EQ(o->m_bVisibleThisFrame, c.visible) << c.what;
        EXPECT_FLOAT_EQ(o->m_fCameraDistance, c.distance) << c.what;
        g_Engine.DeleteObject(o);
    }
}

TEST_F(EngineObjects, AnUnchangedObjectKeepsItsLastVisibilityUntilItMovesOrTheCameraChanges) {
    EObjectSlot* o = AddMesh("crate", DV{0, 0, 10});
    g_EngineObject.m_bCameraChanged = 1;
    g_EngineObject.UpdateVisibility(o);
    ASSERT_EQ(o->m_bVisibleThisFrame, 1);
    g_EngineObject.m_bCameraChanged = 0;
    o->m_bVisibleThisFrame = 0;  // as if a frame had cleared it
    g_EngineObject.UpdateVisibility(o);
    EXPECT_EQ(o->m_bVisibleThisFrame, 0);
    o->m_vPosition.z += 0.5f;
    g_EngineObject.UpdateVisibility(o);
    EXPECT_EQ(o->m_bVisibleThisFrame, 1);
}

TEST_F(EngineObjects, LightVisibility) {
    struct Case {
        const char* what;
        uint32_t flags2;
        uint8_t drawShadows;
        DV position;
        float radius;
        bool visible;
    };
    const Case cases[] = {
        {"ahead", 0, 1, DV{0, 0, 100}, 10, true},
        {"shadow light without shadows", 0x40000000, 0, DV{0, 0, 100}, 10, false},
        {"shadow light with shadows", 0x40000000, 1, DV{0, 0, 100}, 10, true},
        {"behind", 0, 1, DV{0, 0, -100}, 10, false},
        {"behind but reaching the camera", 0, 1, DV{0, 0, -100}, 150, true},
        {"beyond the far plane", 0, 1, DV{0, 0, 2000}, 10, false},
        {"beyond the far plane, seen far", 0x20, 1, DV{0, 0, 900}, 10, true},
    };
    g_Camera.m_fFarZ = 500;
    for (const Case& c : cases) {
        g_Settings.m_bDrawShadows = c.drawShadows;
        EObjectSlot* light = AddLight(c.what, c.position);
        light->m_uFlags2 = c.flags2;
        light->m_fRadius = c.radius;
        g_EngineObject.UpdateLightVisibility(light);
        EXPECT_EQ(light->m_bVisibleThisFrame, c.visible) << c.what;
        g_Engine.DeleteObject(light);
    }
}

TEST_F(EngineObjects, FirstUpdatesComeWithTheVisibilityPassOnce) {
    g_EngineObject.OnStartWorld();
    EObjectSlot* heli = AddMesh("Helikopter01");
    EObjectSlot* lamp = AddLight("lamp");
    TakeCalls();
    g_Settings.m_bRecalculateCamera = 0;
    Pass();
    EXPECT_EQ(heli->m_bFirstUpdateDone, 0);  // waits while the pass is off
    g_Settings.m_bRecalculateCamera = 1;
    Pass();
    Pass();
    EXPECT_EQ(heli->m_bFirstUpdateDone, 1);
    EXPECT_EQ(heli->m_bHelicopter, 1);
    EXPECT_EQ(lamp->m_bFirstUpdateDone, 1);
    EXPECT_TRUE(Logged("Wykryto obiekt helikopter: Helikopter01"));
    EXPECT_EQ(TakeCalls(), (Lines{"createTruckForObject Helikopter01", "createTruckForObject lamp"}));
}

TEST_F(EngineObjects, FirstUpdateMarksPropsTreesAndThePodiumByTheirFiles) {
    struct Case {
        const char* file;
        bool spawned;
        uint32_t flags2;
        uint32_t flags;
        bool tree;
        float mass;
    };
    const Case cases[] = {
        {"prefabs\\obiekty\\Beczka01.x", false, 0x10000, 13, false, 8.0f},
        {"prefabs\\obiekty\\bala.x", false, 0, 13, false, 8.0f},
        {"prefabs\\obiekty\\bala.x", true, 0x10000, 13, false, 400.0f},
        {"prefabs\\drzewa\\sosna.x", false, 0, 13, true, 8.0f},
        {"prefabs\\drzewa_fr\\dab.x", false, 0, 13, true, 8.0f},
        {"prefabs\\other\\Podium_a.x", false, 0, 13 | 0x1000000, false, 8.0f},
    };
    for (const Case& c : cases) {
        WriteFile(c.file, test::kTriangleModel);
        EObjectSlot* o = AddMesh("thing", {}, c.file);
        ASSERT_NE(o, nullptr) << c.file;
        o->m_bSpawned = c.spawned;
        g_EngineObject.FirstUpdate(o);
        EXPECT_EQ(o->m_uFlags2, c.flags2) << c.file;
        EXPECT_EQ(o->m_uFlags, c.flags) << c.file;
        EXPECT_EQ(o->m_bTree, c.tree) << c.file;
        EXPECT_EQ(o->Mesh()->m_RigidBodyPhysics.m_fMass, c.mass) << c.file;
        g_Engine.DeleteObject(o);
    }
}

TEST_F(EngineObjects, AnEmptyActionBlockIsFreedAtTheFirstUpdateAndAnActionObjectLeavesItsSector) {
    EObjectSlot* empty = AddMesh("empty");
    empty->m_pActionParams = new strActionParams;
    empty->m_iSector = 4;
    EObjectSlot* lever = AddMesh("lever");
    lever->m_pActionParams = new strActionParams;
    lever->m_pActionParams->m_uEnabled = 1;
    lever->m_iSector = 4;
    g_EngineObject.FirstUpdate(empty);
    g_EngineObject.FirstUpdate(lever);
    EXPECT_EQ(empty->m_pActionParams, nullptr);
    EXPECT_EQ(empty->m_iSector, 4);
    EXPECT_TRUE(Logged("Usuwam pusta akcje empty"));
    EXPECT_EQ(lever->m_iSector, 0);
}

TEST_F(EngineObjects, ATouchFiresTheActionsAndTheObjectSlidesOutAndBackOnTheNext) {
    EObjectSlot* gate = Sliding("gate", DV{100, 0, 0});
    gate->m_fRadius = 5;
    test::g_HasPlayerMachine = true;
    auto touch = [&](DV machine) {
        test::g_PlayerMachine = machine;
        Pass();
        test::g_PlayerMachine = DV{};  // drives on
    };
    touch(DV{90, 0, 0});
    EXPECT_EQ(gate->m_bHasRun, 0);  // nearer than 8 is a touch, but 10 is not
    touch(DV{104, 0, 0});
    EXPECT_EQ(gate->m_bHasRun, 1);
    EXPECT_TRUE(Logged("gate w srodku, uruchamiam akcje"));
    Pass();
    Pass();
    EXPECT_EQ(gate->m_vPosition, (DV{102, 0, 0}));
    EXPECT_EQ(gate->m_bActionsRan, 1);
    Pass();
    EXPECT_EQ(gate->m_vPosition, (DV{103, 0, 0}));
    EXPECT_EQ(gate->m_vStartPosition, (DV{100, 0, 0}));
    EXPECT_EQ(gate->m_bActionsRan, 0);
    EXPECT_EQ(gate->m_bSwitched, 1);

    touch(DV{100, 0, 3});  // the next touch runs the switched variant: back to the start
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_EQ(gate->m_vPosition, (DV{100, 0, 0}));
    EXPECT_EQ(gate->m_bSwitched, 0);

    gate->m_pActionParams->m_uOnce = 1;  // a block that fires once has fired
    touch(DV{100, 0, 3});
    EXPECT_EQ(gate->m_bActionsRan, 0);
}

TEST_F(EngineObjects, APausedHandOverRunsTheOtherObjectsActionsAfterThePause) {
    EObjectSlot* lever = Sliding("lever", DV{});
    std::strcpy(lever->m_pActionParams->m_szHandOver, "door");
    lever->m_pActionParams->m_fHandOverPause = 0.35f;
    lever->m_pActionParams->m_uOnTouch = 0;
    EObjectSlot* door = Sliding("door", DV{50, 0, 0});
    door->m_pActionParams->m_uOnTouch = 0;
    g_Engine.RunAction("lever");
    EXPECT_EQ(lever->m_bHasRun, 1);
    EXPECT_EQ(door->m_bHasRun, 0);
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_EQ(door->m_bHasRun, 0);
    Pass();
    EXPECT_EQ(door->m_bHasRun, 1);
    g_Engine.RunAction("nobody");
    EXPECT_TRUE(Logged("EEngine chce akcje, ale nie znaleziono obiektu nobody"));
}

TEST_F(EngineObjects, TimedDeathsCountDownOnlyWhileObjectsUpdate) {
    EObjectSlot* barrel = AddMesh("barrel");
    barrel->m_pDeathParams = new strDeathParams;
    barrel->m_pDeathParams->m_bEnabled = 1;
    barrel->m_fDyingDelay = 0.25f;
    g_Settings.m_bUpdateObjects = 0;
    for (int i = 0; i < 5; ++i) Pass();
    EXPECT_FLOAT_EQ(barrel->m_fDyingDelay, 0.25f);
    g_Settings.m_bUpdateObjects = 1;
    Pass();
    Pass();
    EXPECT_EQ(barrel->m_bDead, 0);
    Pass();
    EXPECT_EQ(barrel->m_bDead, 1);
    EXPECT_EQ(barrel->m_uFlags & FLAG_DEAD, FLAG_DEAD);
}

TEST_F(EngineObjects, PhysicsByDistanceParksFarBodiesAndBringsThemBack) {
    EObjectSlot* bale = AddMesh("bale", DV{0, 0, 300});
    bale->m_bPhysicsByDistance = 1;
    bale->m_pPhysicsBody = bale;
    TakeCalls();
    Pass();
    EXPECT_EQ(bale->m_bParked, 1);
    EXPECT_EQ(bale->m_pPhysicsBody, nullptr);
    EXPECT_EQ(bale->m_uFlags & FLAG_VISIBLE, 0u);
    g_Camera.m_vPosition = DV{0, 0, 250};
    Pass();
    EXPECT_EQ(bale->m_bParked, 0);
    EXPECT_EQ(bale->m_uFlags & FLAG_VISIBLE, FLAG_VISIBLE);
    EXPECT_EQ(TakeCalls(), (Lines{"removeObjectBody bale", "createTruckForObject bale", "createObjectBody bale"}));

    // On a bale-collecting route the bales stay real up to 1400 away.
    RouteRecord collecting{};
    collecting.m_bBaleCollecting = 1;
    g_RoutesMgr.m_pCurrentRoute = &collecting;
    g_Camera.m_vPosition = DV{0, 0, -1000};
    Pass();
    EXPECT_EQ(bale->m_bParked, 0);
    g_Camera.m_vPosition = DV{0, 0, -1200};
    Pass();
    EXPECT_EQ(bale->m_bParked, 1);
    g_RoutesMgr.m_pCurrentRoute = nullptr;
}

// Loose props that get a body at their first update park by distance; fixed bodies do not.
TEST_F(EngineObjects, PropsWithABodyParkByDistance) {
    g_WorldHooks.createObjectBody = [](EObjectSlot* o, const RigidBodyPhysicsParams*) { o->m_pPhysicsBody = o; };
    WriteFile("prefabs\\obiekty\\beczka01.x", test::kTriangleModel);
    RigidBodyPhysicsParams body;
    body.m_uBodyKind = 2;
    EObjectSlot* barrel = AddMesh("barrel", {}, "prefabs\\obiekty\\beczka01.x");
    barrel->Mesh()->SetRigidBodyPhysicsParams(&body);
    EObjectSlot* post = AddMesh("post");
    post->Mesh()->SetRigidBodyPhysicsParams(&body);
    g_EngineObject.FirstUpdate(barrel);
    g_EngineObject.FirstUpdate(post);
    EXPECT_EQ(barrel->m_bPhysicsByDistance, 1);
    EXPECT_EQ(post->m_bPhysicsByDistance, 0);
    barrel->m_pPhysicsBody = post->m_pPhysicsBody = nullptr;
}

// Only a visible object near enough that casts shadows is in shadow range.
TEST_F(EngineObjects, TheShadowRangeTakesOnlyObjectsThatCastShadows) {
    g_EngineObject.OnStartWorld();
    g_ShadowMaps.m_bEnabled = 1;
    g_Camera.m_vPosition = DV{0, 0, -10};
    EObjectSlot* crate = AddMesh("crate");
    EObjectSlot* ghost = AddMesh("ghost");
    EObjectSlot* skipped = AddMesh("skipped");
    g_Engine.SetObjectFlags(ghost, FLAG_NO_SHADOW, FLAG_NO_SHADOW);
    skipped->m_bShadowSkip = 1;
    Pass();
    EXPECT_EQ(crate->m_bInShadowRange, 1);
    EXPECT_EQ(ghost->m_bInShadowRange, 0);
    EXPECT_EQ(skipped->m_bInShadowRange, 0);
}

TEST_F(EngineObjects, ATruckSteersTowardsItsMarkerAndHitchesAfterThreeMarkerUpdates) {
    struct Case {
        DV marker;
        float steering;
    };
    // Straight ahead; 45 degrees to either side; far to the side (the cosine is held at 0.6).
    const Case cases[] = {{DV{0, 0, 10}, 0.0f},
                          {DV{10, 0, 10}, -0.7853982f},
                          {DV{-10, 0, 10}, 0.7853982f},
                          {DV{10, 5, 0}, -std::acos(0.6f)}};
    for (const Case& c : cases) {
        SetUp();
        EObjectSlot* truck = AddMesh("truck");
        EObjectSlot* marker = AddMesh("marker", c.marker);
        truck->m_hTruck = reinterpret_cast<HTRUCK>(truck);
        truck->m_pLinkedObject = marker;
        marker->m_pOwner = truck;
        TakeCalls();
        for (int i = 0; i < 3; ++i) Pass();
        EXPECT_NEAR(test::g_Steering, c.steering, 1e-4f);
        Lines calls = TakeCalls();
        auto hitch = std::find(calls.begin(), calls.end(), "truckHitchToMarker truck");
        ASSERT_NE(hitch, calls.end());
        EXPECT_EQ(std::count(hitch + 1, calls.end(), "truckHitchToMarker truck"), 0);
        EXPECT_EQ(std::count(calls.begin(), hitch, "driveTruck truck"), 2);
        truck->m_hTruck = nullptr;
        TearDown();
    }
}

TEST_F(EngineObjects, TiedObjectsFollowTheirTargetsSocketOrSayWhy) {
    EObjectSlot* driver = AddLight("driver");
    driver->m_bTied = 1;
    std::strcpy(driver->m_szTieSocket, "seat");
    Pass();
    EXPECT_TRUE(Logged("driver - niby przywiazany, ale nie ma obiektu do przywiazania!"));
    driver->m_pTieTargetObject = AddMesh("tractor");
    Pass();
    EXPECT_TRUE(Logged("No socket to tie object: driver"));  // models have no sockets yet
}

TEST_F(EngineObjects, ObjectsWithNothingToDoAreSkippedByTheLoop) {
    EObjectSlot* rock = AddMesh("rock");
    EObjectSlot* smoke = AddMesh("smoke");
    g_Engine.SetFX(smoke, "chimney");
    Pass();
    EXPECT_EQ(rock->m_bNeedsUpdate, 0);
    EXPECT_EQ(smoke->m_bNeedsUpdate, 1);
    // The effect cannot be made: the object says so (every frame until it can).
    EXPECT_TRUE(Logged("smoke - proba stworzenia FX nie powiodla sie: chimney"));
    EXPECT_EQ(rock->m_uUpdates, 1u);
}

TEST_F(EngineObjects, TheDirectionPointerFindsItsObjectAndForgetsIt) {
    g_Settings.m_iDebug = 1;
    EObjectSlot* silo = AddMesh("silo");
    g_EngineObject.SetDirectionPointer("SILO");
    EXPECT_EQ(g_EngineObject.m_pDirectionPointer, silo);
    EXPECT_TRUE(Logged("Object found and set as target."));
    g_Engine.DeleteObject(silo);
    EXPECT_EQ(g_EngineObject.m_pDirectionPointer, nullptr);
    g_EngineObject.SetDirectionPointer("silo");
    EXPECT_TRUE(Logged("Object not found, resetting direction pointer."));
}

}  // namespace

// A door swings on its hinge (its up axis) with the law that slows it near the target, its knob
// turns with the second swing, and the actions end only when both have arrived.
TEST_F(EngineObjects, ADoorSwingsItsMeshAndTurnsItsKnobAndItsActionsEndWhenBothArrive) {
    EObjectSlot* door = AddMesh("door", DV{10, 0, 0});
    EObjectSlot* knob = AddMesh("knob", DV{10, 1, 0});
    door->m_pActionParams = new strActionParams;
    strActionParams& a = *door->m_pActionParams;
    a.m_uEnabled = 1;
    a.m_uSwing = 1;
    a.m_fSwingAngle = 80;
    a.m_fSwingSpeed = 100;
    a.m_uSecondSwing = 1;
    a.m_fSwing2Speed = 50;
    a.m_fSwing2Target = 20;
    std::strcpy(a.m_szKnobObject, "knob");
    g_Engine.RunAction("door");
    Pass();
    // 100 x 0.1 x (1.5 - 0) on the first step.
    EXPECT_FLOAT_EQ(door->MeshExtraAngles().z, 15.0f);
    EXPECT_FLOAT_EQ(knob->MeshExtraAngles().x, 5.0f);
    EXPECT_FLOAT_EQ(door->MeshExtraAngles().x, 0.0f) << "the knob turns, not the door";
    int passes = 1;
    while (door->m_bActionsRan && passes < 100) {
        Pass();
        ++passes;
    }
    EXPECT_GT(passes, 4);
    EXPECT_FLOAT_EQ(door->MeshExtraAngles().z, 80.0f);
    EXPECT_FLOAT_EQ(knob->MeshExtraAngles().x, 20.0f);
    EXPECT_EQ(door->m_bSwitched, 1);

    g_Engine.RunAction("door");  // and closes again
    for (int i = 0; i < 100 && door->m_bActionsRan; ++i) Pass();
    EXPECT_FLOAT_EQ(door->MeshExtraAngles().z, 0.0f);
    EXPECT_FLOAT_EQ(knob->MeshExtraAngles().x, 0.0f);

    // Without a knob object the second swing turns the door itself about its front axis.
    a.m_szKnobObject[0] = 0;
    g_Engine.RunAction("door");
    for (int i = 0; i < 100 && door->m_bActionsRan; ++i) Pass();
    EXPECT_FLOAT_EQ(door->MeshExtraAngles().x, 20.0f);
}
