// Deaths of objects: the death's steps, the objects a death brings to its place, explosions that
// hurt what they reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "mesh/EMesh.h"
#include "world/CollisionFixture.h"
#include "world/WorldFixture.h"

namespace {

using test::WorldTest;

class ObjectDeath : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        test::InstallCollisionHooks();
        // A wall across the x axis at x = 0.
        WriteFile("m\\wall.x", test::SolidQuad({0, -20, -20}, {0, 40, -20}, {0, 40, 40}, {0, -20, 40}));
        WriteFile("m\\wreck.x", test::kTriangleModel);
        g_Engine.m_fFrameTime = 0.5f;
    }
    void TearDown() override {
        WorldTest::TearDown();
        test::RemoveCollisionHooks();
    }

    // A mesh that can die, with its death block filled by the caller.
    static EObjectSlot* Mortal(const char* name, DV at, float hitPoints,
                               void (*fill)(strDeathParams&) = [](strDeathParams&) {}) {
        EObjectSlot* o = AddMesh(name, at);
        strDeathParams d;
        d.m_bEnabled = 1;
        d.m_fInitialHitPoints = hitPoints;
        fill(d);
        g_Engine.SetDeathParams(o, &d);
        return o;
    }
};

// Damage falls with the distance from the blast; a wall between them spares the object.
TEST_F(ObjectDeath, AnExplosionHurtsByDistanceAndSparesWhatIsBehindAWall) {
    const DV blast{-50, 0, 0};
    AddMesh("wall", DV{}, "m\\wall.x");
    struct Case {
        const char* name;
        DV at;
        float hitPointsAfter;
    } cases[] = {
        {"near", DV{-50, 0, 80}, 1000 - 450},
        {"middle", DV{-50, 0, -160}, 1000 - 300},
        {"edge", DV{-50, 300, 0}, 1000 - 37.5f},
        {"beyond", DV{-50, 0, 330}, 1000},
        {"behind the wall", DV{50, 0, 0}, 1000},
    };
    for (const Case& c : cases) Mortal(c.name, c.at, 1000);
    Mortal("deaf", DV{-50, 0, 100}, 1000, [](strDeathParams& d) { d.m_bExplosionDamage = 0; });

    g_Engine.ApplyExplosion(blast, 1.0f);
    for (const Case& c : cases) EXPECT_FLOAT_EQ(g_Engine.FindObject(c.name, true)->m_fHitPoints, c.hitPointsAfter) << c.name;
    EXPECT_FLOAT_EQ(g_Engine.FindObject("deaf", true)->m_fHitPoints, 1000);
}

// An explosion that takes the last hit points starts the dying, which ends in the death once its
// delay has passed; a one-hit object (a pane of glass) breaks whatever the strength, even behind
// a wall; a threshold object dies as soon as the other falls below the threshold.
TEST_F(ObjectDeath, AnExplosionStartsDyingOneHitsAndThresholdDeaths) {
    AddMesh("wall", DV{}, "m\\wall.x");
    EObjectSlot* barrel = Mortal("barrel", DV{-50, 0, 160}, 100);
    EObjectSlot* pane = Mortal("pane", DV{50, 0, 0}, 1000, [](strDeathParams& d) { d.m_OneHit.m_iOneHit = 1; });
    EObjectSlot* tower = Mortal("tower", DV{-50, 0, 80}, 1000, [](strDeathParams& d) {
        std::strcpy(d.m_szKillIfHPLessThanObject, "flag");
        d.m_fKillIfHPLessThanHP = 600;
    });
    EObjectSlot* flag = Mortal("flag", DV{-50, 0, -300}, 1e6f);

    g_Engine.ApplyExplosion(DV{-50, 0, 0}, 1.0f);
    EXPECT_EQ(barrel->m_bDying, 1);
    EXPECT_FLOAT_EQ(barrel->m_fDyingDelay, 0.6f);
    EXPECT_FLOAT_EQ(pane->m_fHitPoints, -1.0f);
    EXPECT_EQ(pane->m_bDying, 1);
    EXPECT_EQ(tower->m_bDying, 0);
    EXPECT_EQ(flag->m_bDead, 1);

    g_EngineObject.Update();
    EXPECT_EQ(barrel->m_bDead, 0);
    g_EngineObject.Update();
    EXPECT_EQ(barrel->m_bDead, 1);
    EXPECT_EQ(barrel->m_uFlags & FLAG_DEAD, FLAG_DEAD);
}

TEST_F(ObjectDeath, ADeathRunsItsStepsOnceAndWaitsForItsVariable) {
    g_Settings.m_iDebug = 1;
    EObjectSlot* bridge = Mortal("bridge", DV{}, 1, [](strDeathParams& d) {
        std::strcpy(d.m_szHandleDeathIf, "charges_set");
        std::strcpy(d.m_szConsolePrint, "The bridge falls");
        std::strcpy(d.m_szSetWhenDead, "bridge_down");
        d.m_bAnimationAndHandOver[1] = 1;
        std::strcpy(d.m_szActivateObjectName, "siren");
        d.m_bDeleteOnDeath = 1;
    });
    EObjectSlot* siren = AddLight("siren");
    strActionParams a;
    a.m_uEnabled = 1;
    std::strcpy(a.m_szDefaultSet, "siren_on");
    g_Engine.SetActionParams(siren, &a);

    g_EngineObject.HandleDeath(bridge);
    EXPECT_TRUE(Logged("Wymagana zmienna charges_set ale nie ustawiona!"));
    EXPECT_EQ(bridge->m_bDead, 0);
    g_GameAI.SetVariable("charges_set", nullptr);
    g_EngineObject.HandleDeath(bridge);
    EXPECT_EQ(bridge->m_bDead, 1);
    EXPECT_TRUE(Logged("The bridge falls"));
    EXPECT_TRUE(Logged("Przekazuje akcje na siren"));
    EXPECT_TRUE(g_GameAI.IsSet("siren_on"));
    EXPECT_TRUE(g_GameAI.IsSet("bridge_down"));
    EXPECT_EQ(bridge->m_bToDelete, 1);

    g_GameAI.UnsetVariable("bridge_down", nullptr);
    g_EngineObject.HandleDeath(bridge);  // the dead do not die again
    EXPECT_FALSE(g_GameAI.IsSet("bridge_down"));
}

// Without a replacement mesh the object itself falls: along its front, plus the impulse.
TEST_F(ObjectDeath, AFallWithoutAReplacementSetsTheObjectFalling) {
    EObjectSlot* crate = Mortal("crate", DV{}, 1, [](strDeathParams& d) {
        d.m_bFallWithPhysics = 1;
        d.m_vAddSpeed = DV{0, 3, 0};
    });
    g_EngineObject.HandleDeath(crate);
    EXPECT_EQ(crate->m_bFalling, 1);
    EXPECT_EQ(crate->m_vFallVelocity, (DV{0, 3, 1}));

    // The next object pass starts the fall: a light body, pushed off with that velocity.
    static DV push;
    g_WorldHooks.applyImpulseToObject = [](EObjectSlot* o, const DV& impulse) {
        test::Record("applyImpulseToObject " + test::Name(o));
        push = impulse;
    };
    g_WorldHooks.createObjectBody = [](EObjectSlot* o, const RigidBodyPhysicsParams*) {
        test::Record("createObjectBody " + test::Name(o));
        o->m_pPhysicsBody = o;
    };
    TakeCalls();
    g_EngineObject.Update();
    EXPECT_EQ(crate->m_bFalling, 0);
    EXPECT_EQ(crate->Mesh()->m_RigidBodyPhysics.m_uBodyKind, 2u);
    EXPECT_EQ(crate->Mesh()->m_RigidBodyPhysics.m_fMass, 4.0f);
    const std::vector<std::string> calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "createObjectBody crate"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "applyImpulseToObject crate"), calls.end());
    EXPECT_EQ(push, (DV{0, 3, 1}));
    crate->m_pPhysicsBody = nullptr;
}

TEST_F(ObjectDeath, AKillTargetDiesAtOnceOrAfterItsDelay) {
    auto killer = [](const char* name, float delay) {
        EObjectSlot* o = Mortal(name, DV{}, 1, [](strDeathParams& d) {
            d.m_bKillTarget = 1;
            std::strcpy(d.m_szDestroyObjectName, "target");
        });
        o->m_pDeathParams->m_fDestroyOtherPause = delay;
        return o;
    };
    EObjectSlot* now = killer("now", 0);
    EObjectSlot* target = Mortal("target", DV{50, 0, 0}, 1);
    g_EngineObject.HandleDeath(now);
    EXPECT_TRUE(Logged("Zabijam obiekt target"));
    EXPECT_EQ(target->m_bDead, 1);

    g_Engine.DeleteObject(target);
    target = Mortal("target", DV{50, 0, 0}, 1);
    EObjectSlot* later = killer("later", 2.5f);
    g_EngineObject.HandleDeath(later);
    EXPECT_TRUE(Logged("Wlaczam oczekiwanie na smierc dla target"));
    for (int i = 0; i < 4; ++i) g_EngineObject.Update();
    EXPECT_EQ(target->m_bDead, 0);
    g_EngineObject.Update();
    EXPECT_EQ(target->m_bDead, 1);
}

// A replacement named longer than a model name may be is refused, not cut into another file.
TEST_F(ObjectDeath, AReplacementMeshTakesThePlaceOrIsRefusedWhenItsNameIsTooLong) {
    EObjectSlot* barrel = Mortal("barrel", DV{5, 0, 5}, 1, [](strDeathParams& d) {
        std::strcpy(d.m_szCreateMeshOnDeath, "m\\wreck.x");
        std::strcpy(d.m_szCreatedMeshName, "wreck");
        d.m_bCreatedMeshDisappears = 1;
        d.m_fTimeToDisappearCreatedMesh = 4;
    });
    g_EngineObject.HandleDeath(barrel);
    EObjectSlot* wreck = g_Engine.FindObject("wreck", true);
    ASSERT_NE(wreck, nullptr);
    EXPECT_EQ(wreck->m_vPosition, (DV{5, 0, 5}));
    EXPECT_EQ(wreck->m_bSpawned, 1);
    EXPECT_EQ(wreck->m_uFlags & FLAG_DEAD, 0u);
    EXPECT_FLOAT_EQ(wreck->Mesh()->m_fDisappearTime, 4);
    EXPECT_TRUE(Logged("Podmieniony mesh ma name wreck"));

    const std::string longName = "m\\" + std::string(140, 'w') + ".x";
    EObjectSlot* crate = Mortal("crate", DV{}, 1, [](strDeathParams&) {});
    std::strcpy(crate->m_pDeathParams->m_szCreateMeshOnDeath, longName.c_str());
    int before = g_Engine.TotalObjects;
    g_EngineObject.HandleDeath(crate);
    EXPECT_TRUE(Logged("Failed to create mesh"));
    EXPECT_EQ(g_Engine.TotalObjects, before);
    EXPECT_EQ(crate->m_bDead, 1);
}

// The named objects come to the dying object's place, moved or copied; missing ones are named.
TEST_F(ObjectDeath, TeleportOnDeathMovesOrCopiesTheNamedObjects) {
    for (bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copy" : "move");
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        EObjectSlot* chest = Mortal("chest", DV{30, 0, 30}, 1, [](strDeathParams& d) {
            d.m_bTeleportObjectsHere = 1;
            std::strcpy(d.m_szTeleportNames[0], "coin");
            std::strcpy(d.m_szTeleportNames[4], "nobody");
            std::strcpy(d.m_szTeleportNames[9], "gem");
        });
        chest->m_pDeathParams->m_bTeleportCopy = copy ? 1 : 0;
        EObjectSlot* coin = AddMesh("coin", DV{0, -80, 0});
        g_Engine.SetObjectFlags(coin, 0, FLAG_VISIBLE);
        strActionParams a;
        a.m_uEnabled = 1;
        std::strcpy(a.m_szConsolePrint, "Coin!");
        g_Engine.SetActionParams(coin, &a);
        EObjectSlot* gem = AddMesh("gem", DV{0, -80, 10});
        int before = g_Engine.TotalObjects;

        g_EngineObject.HandleDeath(chest);
        EXPECT_TRUE(Logged("TeleportObjectHereOnDeath from chest can't find nobody"));
        EXPECT_EQ(g_Engine.TotalObjects, before + (copy ? 2 : 0));
        for (const char* name : {"coin", "gem"}) {
            int here = 0;
            for (EObjectSlot& o : g_Engine.m_Objects)
                if (o.m_bUsed && std::strcmp(o.m_szName, name) == 0 && o.m_vPosition == (DV{30, 0, 30})) {
                    ++here;
                    EXPECT_EQ(o.m_uFlags & FLAG_VISIBLE, FLAG_VISIBLE);
                    EXPECT_EQ(o.m_vStartPosition, (DV{30, 0, 30}));
                }
            EXPECT_EQ(here, 1) << name;
        }
        EXPECT_EQ(coin->m_vPosition == (DV{30, 0, 30}), !copy);
        EXPECT_EQ(gem->m_vPosition == (DV{30, 0, 30}), !copy);
        if (copy) {
            EObjectSlot* copied = &g_Engine.m_Objects[gem->m_uIndex + 1];
            ASSERT_NE(copied->m_pActionParams, nullptr);  // the coin's copy carries its own actions
            EXPECT_NE(copied->m_pActionParams, coin->m_pActionParams);
            EXPECT_STREQ(copied->m_pActionParams->m_szConsolePrint, "Coin!");
        }
    }
}

}  // namespace
