// The effect kinds with steps of their own, over a fake ground the segment queries meet: blood
// that stains only flat ground, bouncing shells, bombs and tracers that stop where they hit, the
// mortar explosion chosen by the ground, the fire sound, hidden light sprites, the ground test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "core/FrameFacts.h"
#include "platform/os/Random.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "render/EffectDefinitions.h"
#include "support/DeviceTest.h"
#include "support/FakeEngine.h"

namespace {

using test::g_FakeEngine;
using test::DefineEffect;
using Height = std::function<float(float x, float z)>;

// The first point of the segment at or below the ground, with the ground's normal there.
bool HitGround(const Height& height, const EffectSegment& q, EffectHit& hit) {
    constexpr int kSteps = 4000;
    for (int i = 0; i <= kSteps; ++i) {
        DV p = q.from + (q.to - q.from) * (static_cast<float>(i) / kSteps);
        float h = height(p.x, p.z);
        if (p.y > h) continue;
        const float e = 0.01f;
        hit.point = DV{p.x, h, p.z};
        hit.normal = pmath::Normalize(
            DV{(height(p.x - e, p.z) - height(p.x + e, p.z)) / (2 * e), 1.0f,
               (height(p.x, p.z - e) - height(p.x, p.z + e)) / (2 * e)});
        return true;
    }
    return false;
}

class EFXMgrKindsTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Renderer);
        g_FrameFacts.frameTime = 0.02f;
        plat::SeedRandom(3);
        SetGround([](float, float) { return 0.0f; });
        for (const char* name : {"krew_na_ziemi", "r_e_wybuch_duzy", "z_wybuch_mozdzierz_big", "z_wybuch_mozdzierz_piasek",
                                 "z_wybuch_mozdzierz_cement_caly", "z_wybuch_mozdzierz_powietrze", "rakieta_blik",
                                 "rakieta_ogien", "rakieta_dym"})
            DefineEffect(name, 5.0f);
    }
    void TearDown() override {
        g_FrameFacts = FrameFacts{};
        DeviceTest::TearDown();
    }
    static void SetGround(Height height) {
        g_FakeEngine.segment = [height](const EffectSegment& q, EffectHit& hit) { return HitGround(height, q, hit); };
    }
    static const EFXInstance* Find(const char* name) {
        for (const EFXInstance& fx : g_FXMgr.m_Instances)
            if (fx.m_bInUse && std::strcmp(fx.m_szName, name) == 0) return &fx;
        return nullptr;
    }
    // A falling drop released at the point.
    static EFXInstance* Drop(const DV& at) {
        EFXDefinition* d = g_FXMgr.FindDefinition("drop");
        if (!d) d = &DefineEffect("drop", 5.0f);
        d->m_bMove = 1;
        d->m_fGravity = 9.8f;
        EFXInstance* fx = g_FXMgr.AddFXByName("drop", &at, nullptr);
        fx->m_uType = FX_BLOODDROP;
        return fx;
    }
    static void Updates(int n) {
        for (int i = 0; i < n; ++i) g_FXMgr.Update(false);
    }
};

TEST_F(EFXMgrKindsTest, BloodStainsOnlyFlatGroundWideEnoughForIt) {
    const struct {
        const char* ground;
        Height height;
        bool groundList;
        bool stain;
    } cases[] = {
        {"flat", [](float, float) { return 0.0f; }, true, true},
        {"no ground textures", [](float, float) { return 0.0f; }, false, false},
        {"a slope", [](float x, float) { return 0.9f * x; }, true, false},
        {"a kerb's edge", [](float x, float) { return x > 0.1f ? 0.3f : 0.0f; }, true, false},
    };
    for (const auto& c : cases) {
        SetUp();
        g_FXMgr.m_uBloodGroundCount = c.groundList ? 1 : 0;
        SetGround(c.height);
        EFXInstance* drop = Drop(DV{0, 1, 0});
        Updates(40);
        EXPECT_EQ(drop->m_bInUse, 0) << c.ground;
        const EFXInstance* stain = Find("krew_na_ziemi");
        EXPECT_EQ(stain != nullptr, c.stain) << c.ground;
        if (stain) {
            EXPECT_NEAR(stain->m_vPosition.y, 0.02f, 1e-3f);
        }
    }
}

TEST_F(EFXMgrKindsTest, ABloodDropFliesOnUntilItMeetsSomething) {
    g_FXMgr.m_uBloodGroundCount = 1;
    EFXInstance* drop = Drop(DV{0, 10, 0});
    Updates(5);
    EXPECT_EQ(drop->m_bInUse, 1);
    EXPECT_LT(drop->m_vPosition.y, 10.0f);
    EXPECT_EQ(drop->m_vDrawPosition, drop->m_vPosition);
    EXPECT_EQ(g_FakeEngine.segments.back().ray, EffectRay::BloodDrop);
}

TEST_F(EFXMgrKindsTest, ABulletShellBouncesWithASoundThenRests) {
    EFXDefinition& d = DefineEffect("luska", 20.0f, FX_BULLETSHELL);
    std::snprintf(d.m_szFileNames[0], 16, "luska.x");
    d.m_bMove = 1;
    d.m_fGravity = 20.0f;
    d.m_vVel = DV{0, -4, 0};
    DV at{0, 1, 0};
    EFXInstance* shell = g_FXMgr.AddFXByName("luska", &at, nullptr);
    ASSERT_NE(shell->m_pMeshObject, nullptr);
    Updates(200);
    EXPECT_EQ(shell->m_bMove, 0);
    EXPECT_NEAR(shell->m_vPosition.y, 0.02f, 1e-3f);
    EXPECT_GE(g_FakeEngine.sounds.size(), 1u);
    for (const std::string& s : g_FakeEngine.sounds) EXPECT_EQ(s, "sounds\\weapons\\luska1.wav");
    EXPECT_EQ(static_cast<const test::FakeObject*>(shell->m_pMeshObject)->facts.position, shell->m_vPosition);
}

TEST_F(EFXMgrKindsTest, ABombOverARoofExplodesWhereItsPathFirstMeetsTheRoof) {
    SetGround([](float x, float) { return x > 5.0f ? 10.0f : 0.0f; });
    EFXInstance* bomb = g_FXMgr.AddBomb(DV{0, 30, 0}, DV{1, 0, 0});
    ASSERT_NE(bomb->m_pMeshObject, nullptr);
    const auto* object = static_cast<const test::FakeObject*>(bomb->m_pMeshObject);
    EXPECT_EQ(object->file, "prefabs\\special\\bomba.x");
    EXPECT_EQ(object->scale, (DV{0.7f, 0.7f, 0.7f}));
    Updates(50);
    EXPECT_EQ(bomb->m_bInUse, 0);
    EXPECT_TRUE(object->deleted);
    EXPECT_EQ(object->m_uFlags & 0x80, 0x80u);
    const EFXInstance* blast = Find("r_e_wybuch_duzy");
    ASSERT_NE(blast, nullptr);
    EXPECT_NEAR(blast->m_vPosition.y, 10.0f, 1e-3f);
    EXPECT_GT(blast->m_vPosition.x, 5.0f);
}

TEST_F(EFXMgrKindsTest, TheMortarExplosionSuitsTheGroundBelow) {
    strtexture sand, coal, stone;
    sand.m_uMaterial = MATERIAL_SAND;
    coal.m_uMaterial = MATERIAL_COAL;
    stone.m_uMaterial = MATERIAL_WOOD;
    g_Renderer.m_pTextureTable[5] = &sand;
    g_Renderer.m_pTextureTable[6] = &coal;
    g_Renderer.m_pTextureTable[7] = &stone;
    const struct {
        bool big;
        bool ground;
        uint32_t texture;
        const char* effect;
    } cases[] = {
        {true, true, 5, "z_wybuch_mozdzierz_big"},          {false, true, 5, "z_wybuch_mozdzierz_piasek"},
        {false, true, 6, "z_wybuch_mozdzierz_piasek"},      {false, true, 7, "z_wybuch_mozdzierz_cement_caly"},
        {false, true, 0, "z_wybuch_mozdzierz_cement_caly"}, {false, false, 0, "z_wybuch_mozdzierz_powietrze"},
    };
    test::FakeObject& wreck = g_FakeEngine.AddObject("wreck", DV{});
    for (const auto& c : cases) {
        for (EFXInstance& fx : g_FXMgr.m_Instances) fx = EFXInstance{};
        uint32_t texture = c.texture;
        bool ground = c.ground;
        g_FakeEngine.segment = [texture, ground](const EffectSegment& q, EffectHit& hit) {
            hit.point = q.to;
            hit.textureId = texture;
            return ground;
        };
        g_FakeEngine.segments.clear();
        g_FXMgr.AddMortarExplosion(&wreck, DV{0, 3, 0}, c.big);
        EXPECT_NE(Find(c.effect), nullptr) << c.effect;
        if (c.big) continue;
        ASSERT_EQ(g_FakeEngine.segments.size(), 1u);
        EXPECT_EQ(g_FakeEngine.segments[0].ray, EffectRay::StaticMeshes);
        EXPECT_EQ(g_FakeEngine.segments[0].ignore, &wreck);
        EXPECT_EQ(g_FakeEngine.segments[0].to, (DV{0, -45, 0}));
    }
    for (uint32_t id : {5u, 6u, 7u}) g_Renderer.m_pTextureTable[id] = nullptr;
}

TEST_F(EFXMgrKindsTest, ATracerStopsAtWhatItHitsAndIgnoresItsShooter) {
    SetGround([](float x, float) { return x > 20.0f ? 100.0f : 0.0f; });
    EFXDefinition& d = DefineEffect("tracer", 5.0f, FX_TRACER);
    d.m_bMove = 1;
    d.m_vVel = DV{300, 0, 0};
    DV at{0, 1, 0};
    EFXInstance* tracer = g_FXMgr.AddFXByName("tracer", &at, nullptr);
    test::FakeObject& shooter = g_FakeEngine.AddObject("shooter", DV{});
    tracer->m_pExcluded = &shooter;
    Updates(3);
    EXPECT_EQ(tracer->m_bInUse, 1);
    EXPECT_GT(tracer->m_vPosition.x, tracer->m_vPreviousPosition.x);
    g_FXMgr.Update(false);
    EXPECT_EQ(tracer->m_bInUse, 0);
    const EffectSegment& last = g_FakeEngine.segments.back();
    EXPECT_EQ(last.ray, EffectRay::NotIgnoredActive);
    EXPECT_EQ(last.ignore, &shooter);
    EXPECT_FLOAT_EQ(last.range, 100.0f);
}

TEST_F(EFXMgrKindsTest, AFireSoundPlaysNearAndGoesFar) {
    DefineEffect("e_ogien", 50.0f).m_bFireSound = 1;
    EFXInstance* fire = g_FXMgr.AddFXByName("e_ogien", nullptr, nullptr);
    Updates(3);
    EXPECT_EQ(g_FakeEngine.sounds, (std::vector<std::string>{"sounds\\special\\ogien.wav"}));
    EXPECT_NE(fire->m_pSound, nullptr);
    g_FakeEngine.cameraPosition = DV{0, 0, 1300};
    g_DrawCamera.position = DV{0, 0, 1300};
    g_DrawCamera.farZ = 5000;
    Updates(2);
    EXPECT_EQ(fire->m_pSound, nullptr);
    EXPECT_EQ(g_FakeEngine.releasedSounds, 1);
    EXPECT_EQ(g_FakeEngine.sounds.size(), 1u);
}

TEST_F(EFXMgrKindsTest, ALightSpriteIsSeenOnlyWhenNothingStandsBeforeIt) {
    DefineEffect("lamp", 50.0f).m_bLightSprite = 1;
    DV at{0, 5, 20};
    EFXInstance* lamp = g_FXMgr.AddFXByName("lamp", &at, nullptr);
    g_FakeEngine.segment = nullptr;
    g_FXMgr.Update(false);
    EXPECT_EQ(lamp->m_bLightVisible, 1);
    EXPECT_EQ(g_FakeEngine.segments.back().ray, EffectRay::MeshesAndLiveSkinMeshes);
    g_FakeEngine.segment = [](const EffectSegment&, EffectHit&) { return true; };
    Updates(3);  // looked at again after distance / 6048 s
    EXPECT_EQ(lamp->m_bLightVisible, 0);
}

TEST_F(EFXMgrKindsTest, AnEffectThatStopsOnTheGroundStopsThreeQuartersAboveIt) {
    EFXDefinition& d = DefineEffect("wysyp", 50.0f);
    d.m_bMove = 1;
    d.m_vVel = DV{0, -5, 0};
    DV at{0, 4, 0};
    EFXInstance* grain = g_FXMgr.AddFXByName("wysyp", &at, nullptr);
    grain->m_bStopOnGround = 1;
    Updates(100);
    EXPECT_LT(grain->m_vPosition.y, 0.75f);
    EXPECT_GT(grain->m_vPosition.y, 0.75f - 5 * 0.02f - 1e-4f);
    EXPECT_EQ(g_FakeEngine.segments.size(), 1u);
    EXPECT_EQ(g_FakeEngine.segments[0].ray, EffectRay::NotClass128);
}

TEST_F(EFXMgrKindsTest, ARocketLeavesItsTrailAndExplodesWhereItHits) {
    SetGround([](float x, float) { return x > 30.0f ? 50.0f : 0.0f; });
    EFXDefinition& d = DefineEffect("rakieta", 10.0f, FX_MESH);
    std::snprintf(d.m_szFileNames[0], 16, "rakieta.x");
    d.m_bRocket = 1;
    d.m_vVel = DV{100, 0, 0};
    DV at{0, 2, 0};
    EFXInstance* rocket = g_FXMgr.AddFXByName("rakieta", &at, nullptr);
    g_FXMgr.Update(false);
    for (const char* trail : {"rakieta_blik", "rakieta_ogien", "rakieta_dym"}) EXPECT_NE(Find(trail), nullptr) << trail;
    Updates(30);
    EXPECT_EQ(rocket->m_bInUse, 0);
    EXPECT_NE(Find("z_wybuch_mozdzierz_cement_caly"), nullptr);
}

}  // namespace
