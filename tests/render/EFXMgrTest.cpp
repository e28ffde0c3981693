// The effects manager's instances: refusals, slots and eviction, lifetimes, child timers, effect
// time, spread, placement on sockets, explosions, and the colour and alpha keys over a life.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/os/Random.h"
#include "render/DrawRecord.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "render/EffectDefinitions.h"
#include "support/DeviceTest.h"
#include "support/FakeEngine.h"

namespace {

using test::g_FakeEngine;
using test::DefineEffect;

class EFXMgrTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Renderer);
        g_FrameFacts.frameTime = 0.05f;
        plat::SeedRandom(7);
    }
    void TearDown() override {
        g_FrameFacts = FrameFacts{};
        DeviceTest::TearDown();
    }
    static EFXInstance* Spawn(const char* name, const DV& at = DV{}) { return g_FXMgr.AddFXByName(name, &at, nullptr); }
    static EFXInstance* Dummy() { return &g_FXMgr.m_Instances[0]; }
    static int Live(const char* name) {
        int n = 0;
        for (const EFXInstance& fx : g_FXMgr.m_Instances) n += fx.m_bInUse && std::strcmp(fx.m_szName, name) == 0;
        return n;
    }
    static void Updates(int n) {
        for (int i = 0; i < n; ++i) g_FXMgr.Update(false);
    }
};

TEST_F(EFXMgrTest, RefusedSpawnsReturnTheDummyThatIsNeverUpdated) {
    const struct {
        const char* what;
        void (*arrange)(EFXDefinition&);
    } cases[] = {
        {"effects switched off", [](EFXDefinition&) { g_Settings.m_bDrawFX = 0; }},
        {"spawning switched off", [](EFXDefinition&) { g_Settings.m_bAddFX = 0; }},
        {"a distortion normal", [](EFXDefinition& d) { std::snprintf(d.m_szDistortionNormal, 8, "n.tga"); }},
        {"a mesh with physics",
         [](EFXDefinition& d) {
             d.m_uType = FX_MESH;
             d.m_bApplyPhysicsToMesh = 1;
         }},
        {"a sprite without a texture", [](EFXDefinition& d) { d.m_uType = FX_SPRITE; }},
    };
    for (const auto& c : cases) {
        SetUp();
        EFXDefinition& d = DefineEffect("fx");
        d.m_bMove = 1;
        d.m_vVel = DV{1, 0, 0};
        c.arrange(d);
        EFXInstance* fx = Spawn("fx");
        EXPECT_EQ(fx, Dummy()) << c.what;
        fx->m_vPosition = DV{5, 5, 5};
        g_Settings.m_bDrawFX = 1;
        Updates(3);
        EXPECT_EQ(fx->m_bInUse, 0) << c.what;
        EXPECT_EQ(fx->m_vPosition, (DV{5, 5, 5})) << c.what;
    }
}

TEST_F(EFXMgrTest, TracersSpawnEvenWithSpawningSwitchedOff) {
    DefineEffect("tracer", 1.0f, FX_TRACER);
    g_Settings.m_bAddFX = 0;
    EXPECT_NE(Spawn("tracer"), Dummy());
}

TEST_F(EFXMgrTest, AnUnknownNameIsNullAndSaysSo) {
    EXPECT_EQ(Spawn("nothing"), nullptr);
    EXPECT_TRUE(Logged("Effect nothing not found"));
}

TEST_F(EFXMgrTest, AFullTableEvictsTheInstanceNearestItsEndOrRefuses) {
    DefineEffect("eternal", -1.0f);
    DefineEffect("mortal", 4.0f);
    DefineEffect("new", 1.0f);
    for (int i = 0; i < EFXMgr::kMaxInstances - 3; ++i) ASSERT_NE(Spawn("eternal"), Dummy());
    EFXInstance* older = Spawn("mortal");
    Updates(20);  // one second of life gone
    EFXInstance* younger = Spawn("mortal");
    g_FXMgr.Update(false);
    // The one nearest its end goes first, then the other; new ones have not stepped, so they
    // cannot be evicted yet.
    int32_t olderSlot = older->m_iIndex, youngerSlot = younger->m_iIndex;
    EXPECT_EQ(Spawn("new")->m_iIndex, olderSlot);
    EXPECT_EQ(Spawn("new")->m_iIndex, youngerSlot);
    EXPECT_EQ(Spawn("new"), Dummy());
    EXPECT_EQ(Live("mortal"), 0);
    EXPECT_EQ(Live("new"), 2);
}

TEST_F(EFXMgrTest, TheTwentyFirstReplaceableIsRefusedWhileTwentyLive) {
    DefineEffect("far").m_bReplaceable = 1;
    EFXInstance* first = nullptr;
    for (int i = 0; i < EFXMgr::kMaxReplaceable; ++i) {
        EFXInstance* fx = Spawn("far");
        ASSERT_NE(fx, Dummy());
        if (!first) first = fx;
    }
    EXPECT_EQ(Spawn("far"), Dummy());
    g_FXMgr.RemoveFX(first->m_iIndex);
    EXPECT_NE(Spawn("far"), Dummy());
    EXPECT_EQ(g_FXMgr.m_iReplaceableCount, EFXMgr::kMaxReplaceable);
}

// A replaceable spawn refused for another reason leaves the count as it was.
TEST_F(EFXMgrTest, ARefusedReplaceableSpawnIsNotCounted) {
    DefineEffect("blank", 1.0f, FX_SPRITE).m_bReplaceable = 1;
    for (int i = 0; i < 30; ++i) EXPECT_EQ(Spawn("blank"), Dummy());
    EXPECT_EQ(g_FXMgr.m_iReplaceableCount, 0);
}

TEST_F(EFXMgrTest, InstancesLiveTheirLifeAndAtLeastThreeUpdates) {
    const struct {
        float life;
        int updates;  // the update that removes it (0.05 s each)
    } cases[] = {{0.0f, 4}, {0.01f, 4}, {0.52f, 11}, {1.03f, 21}};
    for (const auto& c : cases) {
        SetUp();
        DefineEffect("fx", c.life);
        EFXInstance* fx = Spawn("fx");
        Updates(c.updates - 1);
        EXPECT_EQ(fx->m_bInUse, 1) << c.life;
        g_FXMgr.Update(false);
        EXPECT_EQ(fx->m_bInUse, 0) << c.life;
    }
}

TEST_F(EFXMgrTest, ANegativeLifeNeverRunsOut) {
    DefineEffect("forever", -1.0f);
    EFXInstance* fx = Spawn("forever");
    Updates(200);
    EXPECT_EQ(fx->m_bInUse, 1);
    EXPECT_EQ(g_FXMgr.m_iLiveCount, 1);
}

TEST_F(EFXMgrTest, EveryChildrenComeAtMostOnceIn002SecondsAndAfterChildrenOnce) {
    DefineEffect("puff", 10.0f);
    EFXDefinition& parent = DefineEffect("chimney", 10.0f);
    parent.m_Every[0] = EFXChild{0.001f, 0, "puff", g_FXMgr.FindDefinition("puff")};
    parent.m_uEveryCount = 1;
    parent.m_After[0] = EFXChild{0.2f, 0, "puff", g_FXMgr.FindDefinition("puff")};
    parent.m_uAfterCount = 1;
    g_FrameFacts.frameTime = 0.015f;
    Spawn("chimney");
    Updates(100);
    // 1.5 s: a child every second update, and the After child once.
    EXPECT_EQ(Live("puff"), 50 + 1);
}

TEST_F(EFXMgrTest, AChildOfAnUnknownNameNeverFires) {
    EFXDefinition& parent = DefineEffect("chimney", 10.0f);
    parent.m_Every[0] = EFXChild{0.1f, 0, "nobody", nullptr};
    parent.m_uEveryCount = 1;
    Spawn("chimney");
    Updates(40);
    EXPECT_EQ(g_FXMgr.m_iLiveCount, 1);
}

TEST_F(EFXMgrTest, WithoutEffectTimeNothingMovesOrAgesButInACutscene) {
    EFXDefinition& d = DefineEffect("drift", 1.0f);
    d.m_bMove = 1;
    d.m_vVel = DV{2, 0, 0};
    g_Settings.m_bEffectsUpdate = 0;
    EFXInstance* fx = Spawn("drift");
    Updates(30);
    EXPECT_EQ(fx->m_bInUse, 1);
    EXPECT_EQ(fx->m_vPosition, (DV{}));
    EXPECT_FLOAT_EQ(fx->m_fRemainingLife, 1.0f);
    g_FakeEngine.cutscenePlaying = true;
    Updates(10);
    EXPECT_NEAR(fx->m_vPosition.x, 1.0f, 1e-4f);
    EXPECT_NEAR(fx->m_fRemainingLife, 0.5f, 1e-4f);
}

TEST_F(EFXMgrTest, TheMenuStopsEffectsUnlessForced) {
    EFXDefinition& d = DefineEffect("drift", 1.0f);
    d.m_bMove = 1;
    d.m_vVel = DV{2, 0, 0};
    EFXInstance* fx = Spawn("drift");
    g_FakeEngine.menuActive = true;
    g_FXMgr.Update(false);
    EXPECT_EQ(fx->m_vPosition, (DV{}));
    g_FXMgr.Update(true);
    EXPECT_NEAR(fx->m_vPosition.x, 0.1f, 1e-5f);
}

TEST_F(EFXMgrTest, MovementDeceleratesAfterItsDelayForItsTime) {
    EFXDefinition& d = DefineEffect("slowing", 10.0f);
    d.m_bMove = 1;
    d.m_vVel = DV{0, 0, 10};
    d.m_fAccelerateAfter = 0.07f;
    d.m_fAccelerateCoef = 20.0f;
    d.m_fAccelerateFor = 0.17f;
    d.m_fGravity = 0;
    EFXInstance* fx = Spawn("slowing");
    Updates(2);  // the delay runs out
    EXPECT_FLOAT_EQ(fx->m_vVelocity.z, 10.0f);
    Updates(3);  // three steps of deceleration: down by 1 each
    EXPECT_NEAR(fx->m_vVelocity.z, 7.0f, 1e-4f);
    Updates(5);
    EXPECT_NEAR(fx->m_vVelocity.z, 7.0f, 1e-4f);
    EXPECT_EQ(fx->m_fAccelerateCoef, 0.0f);
}

// The spread takes (draw & 0xFFFF) / 65536 of it with 15-bit draws: never more than half.
TEST_F(EFXMgrTest, SpreadStaysWithinHalfItsWidth) {
    EFXDefinition& d = DefineEffect("spread", 1.0f);
    d.m_vPosRand = DV{2, 2, 2};
    float widest = 0;
    for (int i = 0; i < 400; ++i) {
        EFXInstance* fx = Spawn("spread");
        for (float v : {fx->m_vPosition.x, fx->m_vPosition.y, fx->m_vPosition.z}) widest = std::max(widest, std::fabs(v));
        g_FXMgr.RemoveFX(fx->m_iIndex);
    }
    EXPECT_LT(widest, 1.0f);
    EXPECT_GT(widest, 0.9f);
}

TEST_F(EFXMgrTest, AnimationRatesAtOrBelowOneTenThousandthHoldEachFrameThirtySeconds) {
    const struct {
        float fps;
        float frameTime;
    } cases[] = {{25.0f, 0.04f}, {0.0001f, 30.0f}, {0.0f, 30.0f}};
    for (const auto& c : cases) {
        SetUp();
        DefineEffect("anim").m_fAnimatedSpriteFPS = c.fps;
        EFXInstance* fx = Spawn("anim");
        EXPECT_FLOAT_EQ(fx->m_fFrameTime, c.frameTime) << c.fps;
        EXPECT_FLOAT_EQ(fx->m_fAnimationLength, c.frameTime * 32) << c.fps;
    }
}

TEST_F(EFXMgrTest, OnASocketTheOffsetTurnsWithTheSocketAndAFollowerKeepsToIt) {
    test::FakeObject& tractor = g_FakeEngine.AddObject("tractor", DV{10, 0, 0});
    tractor.sockets["rura"] = DV{0, 2, 0};
    tractor.facts.orientation = EOrientation::EOrientationFromYawPitchRoll(1.5707964f, 0, 0);
    EFXDefinition& d = DefineEffect("smoke", 10.0f);
    d.m_vPos = DV{0, 0, 1};
    EFXInstance* fx = g_FXMgr.AddFXByNameAt("smoke", &tractor, "rura", true);
    DV turned = pmath::TransformDirection(DV{0, 0, 1}, tractor.facts.orientation.m_Matrix);
    EXPECT_NEAR(fx->m_vPosition.x, 10 + turned.x, 1e-4f);
    EXPECT_NEAR(fx->m_vPosition.y, 2, 1e-4f);
    EXPECT_NEAR(fx->m_vPosition.z, turned.z, 1e-4f);
    EXPECT_NEAR(std::fabs(turned.x), 1.0f, 1e-4f);
    tractor.facts.position = DV{20, 0, 5};
    g_FXMgr.Update(false);
    EXPECT_EQ(fx->m_vPosition, (DV{20, 2, 5}));
    EXPECT_EQ(fx->m_vDrawPosition, (DV{20, 2, 5}));
    EXPECT_EQ(g_FXMgr.AddFXByNameAt("smoke", &tractor, "komin", false)->m_vPosition, (DV{0, 0, 1}));
    EXPECT_TRUE(Logged("FX nie czyta socketa komin"));
}

TEST_F(EFXMgrTest, AStillEffectIsDrawnWhereItsCarrierPutsIt) {
    DefineEffect("glow", 10.0f);
    EFXInstance* fx = Spawn("glow", DV{1, 1, 1});
    fx->m_vPosition = fx->m_vPreviousPosition = DV{5, 0, 2};
    g_FXMgr.Update(false);
    EXPECT_EQ(fx->m_vDrawPosition, (DV{5, 0, 2}));
}

TEST_F(EFXMgrTest, AMovingEffectOnAnObjectStartsAlongItsHeading) {
    test::FakeObject& gun = g_FakeEngine.AddObject("gun", DV{0, 1, 0});
    gun.facts.orientation = EOrientation::EOrientationFromYawPitchRoll(1.5707964f, 0, 0);
    gun.sockets["lufa"] = DV{0, 0, 2};
    EFXDefinition& d = DefineEffect("shot", 1.0f);
    d.m_bMove = 1;
    d.m_vVel = DV{0, 0, 10};
    EFXInstance* fx = g_FXMgr.AddFXByNameAt("shot", &gun, "lufa", false);
    EXPECT_EQ(fx->m_vPosition, (DV{0, 1, 2}));
    DV expected = pmath::TransformDirection(DV{0, 0, 10}, gun.facts.orientation.m_Matrix);
    EXPECT_NEAR(fx->m_vVelocity.x, expected.x, 1e-4f);
    EXPECT_NEAR(fx->m_vVelocity.z, expected.z, 1e-4f);
}

TEST_F(EFXMgrTest, ExplosionsReachTheEngineOnlyOnceTheLevelHasStarted) {
    DefineEffect("boom", 1.0f).m_fExplosionPower = 2.0f;
    g_FakeEngine.gameFrame = 200;
    Spawn("boom", DV{1, 2, 3});
    EXPECT_TRUE(g_FakeEngine.explosions.empty());
    g_FakeEngine.gameFrame = 201;
    Spawn("boom", DV{1, 2, 3});
    ASSERT_EQ(g_FakeEngine.explosions.size(), 1u);
    EXPECT_EQ(g_FakeEngine.explosions[0].first, (DV{1, 2, 3}));
    EXPECT_FLOAT_EQ(g_FakeEngine.explosions[0].second, 2.0f);
    ASSERT_EQ(g_FakeEngine.sounds.size(), 1u);
    EXPECT_EQ(g_FakeEngine.sounds[0].substr(0, 18), "sounds\\weapons\\exp");
    EXPECT_EQ(g_Renderer.m_vLightRayPos[0], (DV{1, 2, 3}));
    EXPECT_GT(g_Renderer.m_fLightRayLife[0], 0.0f);
}

// An explosion may spawn effects of its own before the spawn that caused it is done: each spawn
// keeps its own definition, its own look.
TEST_F(EFXMgrTest, AnExplosionThatSpawnsEffectsLeavesTheFirstSpawnItsOwnLook) {
    EFXDefinition& bomb = DefineEffect("bomb", 1.0f, FX_MESH);
    std::snprintf(bomb.m_szFileNames[0], 16, "bomb.x");
    bomb.m_fExplosionPower = 1.0f;
    EFXDefinition& debris = DefineEffect("debris", 1.0f, FX_MESH);
    std::snprintf(debris.m_szFileNames[0], 16, "debris.x");
    debris.m_vPos = DV{0, 5, 0};
    g_FakeEngine.gameFrame = 300;
    g_RenderHooks.applyExplosion = [](const DV& at, float) { g_FXMgr.AddFXByName("debris", &at, nullptr); };
    EFXInstance* fx = Spawn("bomb", DV{1, 0, 0});
    ASSERT_NE(fx, Dummy());
    EXPECT_STREQ(fx->m_szName, "bomb");
    EXPECT_EQ(fx->m_vPosition, (DV{1, 0, 0}));
    ASSERT_NE(fx->m_pMeshObject, nullptr);
    EXPECT_EQ(static_cast<const test::FakeObject*>(fx->m_pMeshObject)->file, "bomb.x");
    EXPECT_EQ(Live("debris"), 1);
    const auto* mesh = static_cast<const test::FakeObject*>(fx->m_pMeshObject);
    g_FXMgr.RemoveFX(fx->m_iIndex);
    EXPECT_TRUE(mesh->deleted);
}

TEST_F(EFXMgrTest, TheReservedSlotsAreTheFirstFreeOnesAfterEachUpdate) {
    DefineEffect("fx", 10.0f);
    for (int i = 0; i < 40; ++i) Spawn("fx");
    g_FXMgr.RemoveFX(3);
    g_FXMgr.RemoveFX(7);
    g_FXMgr.Update(false);
    EXPECT_EQ(g_FXMgr.m_uReserved[0], 3);
    EXPECT_EQ(g_FXMgr.m_uReserved[1], 7);
    EXPECT_EQ(g_FXMgr.m_uReserved[2], 41);
    EXPECT_EQ(Spawn("fx")->m_iIndex, 3);
}

// ---- Colour and alpha keys -------------------------------------------------------------------

EFXInstance Keys(std::initializer_list<std::pair<float, float>> alphas) {
    EFXInstance fx;
    for (const auto& [time, alpha] : alphas) {
        fx.m_fAlphaTimes[fx.m_uAlphaCount] = time;
        fx.m_fAlphas[fx.m_uAlphaCount++] = alpha;
    }
    fx.m_vColors[0] = DV{255, 255, 255};
    return fx;
}

uint32_t AlphaAt(const EFXInstance& fx, float t) { return InterpolateKeys(fx, t) >> 24; }

TEST(EFXKeysTest, AlphaFollowsItsKeysOverTheLife) {
    const struct {
        EFXInstance fx;
        float t;
        uint32_t alpha;
    } cases[] = {
        {Keys({{0, 255}, {1, 0}}), 0.0f, 255},
        {Keys({{0, 255}, {1, 0}}), 0.5f, 127},
        {Keys({{0, 255}, {1, 0}}), 1.0f, 0},
        // Two keys ignore their times.
        {Keys({{0.8f, 0}, {0.9f, 200}}), 0.25f, 50},
        {Keys({{0, 100}}), 0.7f, 100},
        // More keys: the segment whose end time is reached, by the times.
        {Keys({{0, 0}, {0.2f, 200}, {1, 100}}), 0.1f, 100},
        {Keys({{0, 0}, {0.2f, 200}, {1, 100}}), 0.6f, 150},
        {Keys({{0, 0}, {0.2f, 200}, {0.5f, 100}}), 0.9f, 100},
        {Keys({{0.3f, 40}, {0.3f, 60}, {1, 60}}), 0.3f, 60},
    };
    for (const auto& c : cases) EXPECT_EQ(AlphaAt(c.fx, c.t), c.alpha) << c.t;
}

TEST(EFXKeysTest, ColoursInterpolateChannelByChannelAndCountsBeyondTheSlotsStopAtEight) {
    EFXInstance fx;
    fx.m_uColorCount = 2;
    fx.m_vColors[0] = DV{0, 100, 255};
    fx.m_vColors[1] = DV{200, 100, 55};
    fx.m_uAlphaCount = 1;
    fx.m_fAlphas[0] = 255;
    EXPECT_EQ(InterpolateKeys(fx, 0.5f), 0xFF64649Bu);
    fx.m_uAlphaCount = 400;
    for (int i = 0; i < EFXDefinition::kKeys; ++i) {
        fx.m_fAlphas[i] = 10.0f * i;
        fx.m_fAlphaTimes[i] = i / 7.0f;
    }
    EXPECT_EQ(AlphaAt(fx, 2.0f), 70u);
}

}  // namespace
