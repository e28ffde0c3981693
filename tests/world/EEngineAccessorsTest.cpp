// The accessors through which the game changes objects: transforms, masked flags, blocks, effect
// names, ties and the physics helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mesh/EMesh.h"
#include "render/EFXMgr.h"
#include "world/EngineFixture.h"

namespace {

using test::EngineTest;
using Lines = std::vector<std::string>;

class Accessors : public EngineTest {};

TEST_F(Accessors, MovesKeepOrReplaceTheStartPositionAndTheAttachedEffectFollows) {
    EObjectSlot* cart = AddMesh("cart", DV{1, 2, 3});
    EFXInstance dust;
    cart->m_pEffectInstance = &dust;
    g_Engine.SetObjectPosition(cart, DV{5, 0, 0}, true);
    EXPECT_EQ(cart->m_vPosition, (DV{5, 0, 0}));
    EXPECT_EQ(cart->m_vStartPosition, (DV{1, 2, 3}));
    EXPECT_EQ(dust.m_vPosition, (DV{5, 0, 0}));
    EXPECT_EQ(dust.m_vPreviousPosition, (DV{5, 0, 0}));
    DV forward{1, 0, 0};
    EOrientation turned = EOrientation::EOrientationFromDirection(&forward);
    g_Engine.SetObjectTransform(cart, DV{7, 0, 0}, turned, false, true);
    EXPECT_EQ(cart->m_vStartPosition, (DV{7, 0, 0}));
    EXPECT_EQ(dust.m_Orientation.m_Front, turned.m_Front);
    EOrientation read;
    g_Engine.GetObjectOrientation(cart, &read);
    EXPECT_NEAR(read.m_Front.x, 1.0f, 1e-5f);
    DV position;
    g_Engine.GetObjectPosition(cart, &position);
    EXPECT_EQ(position, (DV{7, 0, 0}));
    cart->m_pEffectInstance = nullptr;
    g_Engine.SetObjectPosition(nullptr, DV{}, false);  // no object: nothing happens
}

TEST_F(Accessors, ABodyFollowsItsMeshOnlyWhereThePhysicsIsToldTo) {
    static int moves;
    moves = 0;
    g_WorldHooks.setObjectBodyTransform = [](EObjectSlot*, const DV&, const EOrientation&) { ++moves; };
    EObjectSlot* bale = AddMesh("bale");
    g_Engine.SetObjectPosition(bale, DV{1, 0, 0}, false);
    EXPECT_EQ(moves, 0);  // no body yet
    bale->m_pPhysicsBody = bale;
    g_Engine.SetObjectPosition(bale, DV{2, 0, 0}, false);
    g_Engine.SetObjectTransform(bale, DV{3, 0, 0}, bale->m_Orientation, false, false);
    g_Engine.SetObjectTransform(bale, DV{4, 0, 0}, bale->m_Orientation, false, true);
    g_Engine.SetObjectOrientation(bale, bale->m_Orientation);
    EXPECT_EQ(moves, 3);
    bale->m_pPhysicsBody = nullptr;
}

TEST_F(Accessors, FlagsChangeOnlyUnderTheirMaskAndTheVisibleByteFollowsBitZero) {
    struct Case {
        uint32_t start, value, mask, flags;
        uint8_t visible;
    };
    const Case cases[] = {
        {13, 0, 1, 12, 0},        // hidden at once
        {12, 1, 1, 13, 1},
        {13, 0xFF, 0x40, 0x4D, 1},
        {13, 0x40, 0, 13, 1},     // an empty mask changes nothing
        {0, 0xFFFFFFFF, ~0u, 0xFFFFFFFF, 1},
    };
    EObjectSlot* o = AddMesh("o");
    for (const Case& c : cases) {
        o->m_uFlags = c.start;
        g_Engine.SetObjectFlags(o, c.value, c.mask);
        uint32_t flags = 0;
        g_Engine.GetObjectFlags(o, &flags);
        EXPECT_EQ(flags, c.flags) << c.start << " " << c.value << " " << c.mask;
        EXPECT_EQ(o->m_bVisibleThisFrame, c.visible);
    }
    g_Engine.SetObjectFlags2(o, 0xF0, 0x30);
    g_Engine.SetObjectFlags3(o, 0xF0, 0x0C);
    uint32_t flags2 = 0;
    g_Engine.GetObjectFlags2(o, &flags2);
    EXPECT_EQ(flags2, 0x30u);
    EXPECT_EQ(o->m_uFlags3, 0u);
}

TEST_F(Accessors, BlocksExistWhileTheyAreSetAndGoWhenCleared) {
    g_Settings.m_iSystemDebug = 1;
    EObjectSlot* o = AddMesh("o");
    EObjectSlot* lamp = AddLight("lamp");

    strTexturePaint out;
    EXPECT_FALSE(g_Engine.GetTexturePaint(o, &out));
    strTexturePaint paint;
    paint.m_fAdditionalColour[0][0] = 0.25f;
    g_Engine.SetTexturePaint(o, &paint);
    g_Engine.SetTexturePaint(o, &paint);  // the block is reused
    EXPECT_EQ(TagCount("strTexturePaint"), 1u);
    ASSERT_TRUE(g_Engine.GetTexturePaint(o, &out));
    EXPECT_EQ(out.m_fAdditionalColour[0][0], 0.25f);
    g_Engine.SetTexturePaint(o, nullptr);
    EXPECT_EQ(TagCount("strTexturePaint"), 0u);

    strLightControlParams control;
    control.m_bEnabled = 1;
    std::strcpy(control.m_szLights[0], "lamp");
    g_Engine.SetLightControlParams(lamp, &control);  // lights control no lights
    EXPECT_EQ(lamp->m_pLightControlParams, nullptr);
    g_Engine.SetLightControlParams(o, &control);
    strLightControlParams read;
    g_Engine.GetLightControlParams(o, &read);
    EXPECT_STREQ(read.m_szLights[0], "lamp");
    control.m_bEnabled = 0;  // a block whose switch is off does not exist
    g_Engine.SetLightControlParams(o, &control);
    EXPECT_EQ(o->m_pLightControlParams, nullptr);
    g_Engine.GetLightControlParams(o, &read);
    EXPECT_STREQ(read.m_szLights[0], "");

    strLightBlinking blink;
    blink.m_fValues[2] = 7;
    g_Engine.SetLightBlinking(lamp, &blink);
    EXPECT_EQ(lamp->m_pLightBlinking->m_fValues[2], 7.0f);
    g_Engine.SetLightBlinking(lamp, nullptr);
    EXPECT_EQ(TagCount("strLightBlinking"), 0u);

    strPlotek fence;
    fence.m_bLeft = 1;
    g_Engine.SetPlotek(o, &fence);
    EXPECT_EQ(g_Engine.GetPlotek(o)->m_bLeft, 1);
    g_Engine.SetPlotek(o, nullptr);
    EXPECT_EQ(g_Engine.GetPlotek(o), nullptr);

    char file[8] = "x", variable[8] = "x";
    float distance = -1;
    g_Engine.GetSoundParams(o, file, sizeof file, &distance, variable, sizeof variable);
    EXPECT_STREQ(file, "");
    EXPECT_EQ(distance, 0.0f);
}

TEST_F(Accessors, AnEffectNameLongerThanItsBlockIsRefusedNotCut) {
    EObjectSlot* o = AddMesh("chimney");
    g_Engine.SetFX(o, "smoke");
    char name[64];
    g_Engine.GetFX(o, name, sizeof name);
    EXPECT_STREQ(name, "smoke");
    std::string longest(63, 'f'), tooLong(64, 'f');
    g_Engine.SetFX(o, longest.c_str());
    g_Engine.GetFX(o, name, sizeof name);
    EXPECT_EQ(std::string(name), longest);
    g_Engine.SetFX(o, tooLong.c_str());
    g_Engine.GetFX(o, name, sizeof name);
    EXPECT_EQ(std::string(name), longest);
    EXPECT_TRUE(Logged("ERROR: safe_string_copy() Source String Too Long!"));
    char small[4];
    g_Engine.GetFX(o, small, sizeof small);
    EXPECT_STREQ(small, "fff");
    g_Engine.SetFX(o, "");
    g_Engine.GetFX(o, name, sizeof name);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(o->FX, nullptr);
}

TEST_F(Accessors, AnEffectStartsOnlyOnceTheLevelIsUp) {
    EObjectSlot* o = AddMesh("chimney");
    g_Engine.SetFX(o, "smoke");
    EXPECT_FALSE(Logged("Effect smoke not found"));  // before frame 150 nothing is started
    test::g_LevelFrame = 150;
    g_Engine.SetFX(o, "smoke");
    EXPECT_TRUE(Logged("Effect smoke not found"));
}

TEST_F(Accessors, BushSoundsScaleAndViewDistancesAndLightRanges) {
    EObjectSlot* bush = AddMesh("bush");
    g_Engine.SetBushSound(bush, "sounds\\bush.wav", 9.0f);
    EXPECT_STREQ(bush->m_szBushSound, "sounds\\bush.wav");
    EXPECT_EQ(bush->m_fBushSoundVolume, 6.0f);
    g_Engine.SetBushSound(bush, "", 1.0f);
    EXPECT_STREQ(bush->m_szBushSound, "");

    g_Engine.SetViewDistance(bush, 700);
    EXPECT_EQ(g_Engine.GetViewDistance(bush), 700);
    g_Engine.SetObjectScaling(bush, DV{2, 3, 4});
    DV scale;
    g_Engine.GetObjectScaling(bush, &scale);
    EXPECT_EQ(scale, (DV{2, 3, 4}));

    EObjectSlot* lamp = AddLight("lamp");
    g_Engine.SetLightRange(lamp, 55);
    g_Engine.SetLightRange(bush, 55);  // only lights have a range
    EXPECT_EQ(lamp->m_fRadius, 55.0f);
    EXPECT_NE(bush->m_fRadius, 55.0f);
}

TEST_F(Accessors, BezierParametersOfATruckAlsoGoToItsMarker) {
    EObjectSlot* truck = AddMesh("truck");
    EObjectSlot* marker = AddMesh("marker");
    truck->m_hTruck = reinterpret_cast<HTRUCK>(truck);
    truck->m_pLinkedObject = marker;
    strBezierMovingParameters params;
    params.m_bEnabled = 1;
    std::strcpy(params.m_szStartNode, "road");
    g_Engine.SetBezierMovingParameters(truck, &params);
    strBezierMovingParameters read;
    g_Engine.GetBezierMovingParameters(marker, &read);
    EXPECT_STREQ(read.m_szStartNode, "road");
    truck->m_hTruck = nullptr;
}

TEST_F(Accessors, TiesAskedForOutsideAWorldWaitForItsStart) {
    EObjectSlot* driver = AddMesh("driver");
    g_Engine.TieToSocket(driver, true, "tractor", "seat");
    EXPECT_EQ(driver->m_bTied, 0);
    ASSERT_NE(driver->CacheObjectToTieTo, nullptr);
    EXPECT_STREQ(driver->CacheSocketToTieTo, "seat");
    g_Engine.TieToSocket(driver, true, "trailer", "seat");  // a later request replaces it
    EXPECT_STREQ(driver->CacheObjectToTieTo, "trailer");

    AddMesh("trailer");
    g_Engine.m_bWorldRunning = 1;
    g_Engine.ResolveTieCaches();
    EXPECT_EQ(driver->CacheObjectToTieTo, nullptr);
    // The trailer's model has no "seat": the tie is refused with the reason.
    EXPECT_EQ(driver->m_bTied, 0);
    EXPECT_TRUE(Logged("Tie: trailer nie ma socketa seat"));

    // A target that does not exist (yet) still ties by name.
    g_Engine.TieToSocket(driver, true, "tractor", "seat");
    EXPECT_EQ(driver->m_bTied, 1);
    EXPECT_EQ(driver->m_pTieTargetObject, nullptr);
    g_Engine.TieToSocket(driver, false, nullptr, nullptr);
    EXPECT_EQ(driver->m_bTied, 0);
}

TEST_F(Accessors, TieNamesOverSixtyCharactersAreRefusedAndReadBackWithinTheCallersSizes) {
    EObjectSlot* driver = AddMesh("driver");
    std::string sixty(60, 't'), sixtyOne(61, 't');
    struct Case {
        bool world;
        const std::string& target;
        const std::string& socket;
        const char* line;
    };
    const Case cases[] = {{false, sixtyOne, sixty, "!!! 1"}, {false, sixty, sixtyOne, "!!! 2"},
                          {true, sixtyOne, sixty, "!!! 1"}, {true, sixty, sixtyOne, "!!! 2"}};
    for (const Case& c : cases) {
        g_Engine.m_bWorldRunning = c.world;
        g_Engine.TieToSocket(driver, true, c.target.c_str(), c.socket.c_str());
        EXPECT_EQ(driver->m_bTied, 0);
        EXPECT_EQ(driver->CacheObjectToTieTo, nullptr);
        EXPECT_TRUE(Logged(c.line));
    }
    g_Engine.m_bWorldRunning = 1;
    g_Engine.TieToSocket(driver, true, sixty.c_str(), sixty.c_str());
    ASSERT_EQ(driver->m_bTied, 1);
    uint8_t tied = 0;
    char target[64], socket[32];
    g_Engine.GetTie(driver, &tied, target, sizeof target, socket, sizeof socket);
    EXPECT_EQ(tied, 1);
    EXPECT_EQ(std::string(target), sixty);
    EXPECT_EQ(std::string(socket), std::string(31, 't'));
    EXPECT_TRUE(Logged("!!! 4"));
    EXPECT_FALSE(Logged("!!! 3"));
}

TEST_F(Accessors, PhysicsHelpers) {
    EObjectSlot* crate = AddMesh("crate");
    TakeCalls();
    g_Settings.m_iDebug = 1;
    g_Engine.PutForceToObject(crate, DV{0, 1, 0});
    // No body can be made here: default parameters of a box body are written and the push is lost.
    EXPECT_EQ(TakeCalls(), (Lines{"createObjectBody crate"}));
    EXPECT_EQ(crate->Mesh()->m_RigidBodyPhysics.m_uBodyKind, 1u);
    EXPECT_EQ(crate->Mesh()->m_RigidBodyPhysics.m_bGeneral, 0);
    EXPECT_TRUE(Logged("PutForceToObject: crate nie ma fizyki!"));

    crate->m_pPhysicsBody = crate;
    g_Engine.PutForceToObject(crate, DV{0, 1, 0});
    EXPECT_TRUE(Logged("PutForceToObject crate"));
    g_Engine.RemoveObjectPhysics(crate);
    EXPECT_EQ(crate->m_pPhysicsBody, nullptr);
    EXPECT_EQ(crate->Mesh()->m_RigidBodyPhysics.m_uBodyKind, 0u);
    EXPECT_EQ(TakeCalls(), (Lines{"applyImpulseToObject crate", "removeObjectBody crate"}));

    crate->m_bSpawned = 1;  // a spawned object keeps its own parameters
    RigidBodyPhysicsParams bale;
    bale.m_uBodyKind = 2;
    g_Engine.SetRigidBodyPhysicsParams(crate, &bale);
    g_Engine.CreateObjectPhysics(crate, false);
    RigidBodyPhysicsParams read;
    g_Engine.GetRigidBodyPhysicsParams(crate, &read);
    EXPECT_EQ(read.m_uBodyKind, 2u);
}

TEST_F(Accessors, SectorsHideAndShowTheirObjects) {
    EObjectSlot* a = AddMesh("a");
    EObjectSlot* b = AddLight("b");
    a->m_iSector = b->m_iSector = 3;
    g_Engine.SetSectorHidden(3, 1);
    EXPECT_EQ(a->m_bHidden + b->m_bHidden, 2);
    g_Engine.SetSectorHidden(0, 0);  // sector 0 is none
    EXPECT_EQ(a->m_bHidden, 1);
    g_Engine.SetSectorHidden(3, 0);
    EXPECT_EQ(a->m_bHidden + b->m_bHidden, 0);
}

}  // namespace

namespace {

// An explosion pushes the moving meshes near it away and hurts what carries a death block, the
// more the nearer: strength 1 at 160 takes 300 hit points and starts the dying after 0.6 s.
TEST_F(Accessors, AnExplosionPushesNearMovingMeshesAndHurtsObjectsThatCanDie) {
    static std::vector<std::pair<std::string, DV>> pushes;
    pushes.clear();
    g_WorldHooks.applyImpulseToObject = [](EObjectSlot* o, const DV& impulse) { pushes.emplace_back(o->m_szName, impulse); };
    EObjectSlot* crate = AddMesh("crate", DV{100, 0, 0});
    crate->m_pPhysicsBody = crate;
    EObjectSlot* wall = AddMesh("wall", DV{0, 0, 100});
    wall->m_pPhysicsBody = wall;
    wall->m_bStaticMeshBody = 1;
    EObjectSlot* far = AddMesh("far", DV{300, 0, 0});
    far->m_pPhysicsBody = far;
    // The engine frees the death blocks with their objects.
    auto dying = [] {
        auto* death = new strDeathParams;
        death->m_bEnabled = 1;
        return death;
    };
    EObjectSlot* tower = AddMesh("tower", DV{0, 160, 0});
    tower->m_pDeathParams = dying();
    tower->m_fHitPoints = 500;
    EObjectSlot* hut = AddMesh("hut", DV{-160, 0, 0});
    hut->m_pDeathParams = dying();
    hut->m_fHitPoints = 200;

    g_Engine.ApplyExplosion(DV{}, 1.0f);
    ASSERT_EQ(pushes.size(), 1u);
    EXPECT_EQ(pushes[0].first, "crate");
    EXPECT_EQ(pushes[0].second, (DV{4000, 0, 0}));
    EXPECT_FLOAT_EQ(tower->m_fHitPoints, 200.0f);
    EXPECT_EQ(tower->m_bDying, 0);
    EXPECT_FLOAT_EQ(hut->m_fHitPoints, -100.0f);
    EXPECT_EQ(hut->m_bDying, 1);
    EXPECT_FLOAT_EQ(hut->m_fDyingDelay, 0.6f);
    for (EObjectSlot* o : {crate, wall, far}) o->m_pPhysicsBody = nullptr;
}

}  // namespace
