// Effect drawing on the recording device: sprites gathered per texture and blend mode (at most 127
// a batch), one draw per batch in blend order, animated atlas frames, light sprites through the
// depth test, at most 32 sparks, and the buffers around a device reset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/ESettings.h"
#include "core/FrameFacts.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "render/EffectDefinitions.h"
#include "support/DeviceTest.h"
#include "support/TextureFiles.h"

namespace {

using test::DefineSprite;

class EFXMgrDrawTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Renderer);
        ASSERT_TRUE(CreateDevice());
        WriteFile("textures\\fx\\puff.tga", test::TgaFile(4, 4, 0xFFFFFFFFu));
        WriteFile("textures\\fx\\spark.tga", test::TgaFile(4, 4, 0xFFFFFFFFu));
        g_Renderer.InitTextures();
        g_FrameFacts.frameTime = 0.05f;
        g_DrawCamera.view = pmath::LookAtLH(DV{0, 0, -10}, DV{}, DV{0, 1, 0});
        g_DrawCamera.position = DV{0, 0, -10};
        plat::SeedRandom(11);
    }
    void TearDown() override {
        g_FrameFacts = FrameFacts{};
        DeviceTest::TearDown();
    }
    static void Frame() {
        g_FXMgr.Update(false);
        g_FXMgr.PrepareVertexBuffers();
    }
    static int Draws() {
        int n = 0;
        for (const std::string& call : gfx::NullBackend().calls) n += call == "DrawPrimitive";
        return n;
    }
    static uint32_t Texture(const char* name) { return g_Renderer.GetTextureByName(name, false, false); }
};

TEST_F(EFXMgrDrawTest, TwoHundredSpritesOfOneTextureDrawTheFirst127InOneCall) {
    DefineSprite("smoke", "puff.tga");
    for (int i = 0; i < 200; ++i) {
        DV at{0.01f * i, 0, 0};
        g_FXMgr.AddFXByName("smoke", &at, nullptr);
    }
    Frame();
    const SpriteBatch& b = g_FXMgr.m_Batches[Texture("puff.tga")][FX_BLEND_NORMAL];
    EXPECT_EQ(b.m_uCount, 127u);
    EXPECT_EQ(b.m_uVertexCount, 127u * 6);
    EXPECT_EQ(g_FXMgr.m_iLiveCount, 127);
    gfx::NullBackend().calls.clear();
    g_FXMgr.Render();
    EXPECT_EQ(Draws(), 1);
    EXPECT_EQ(g_FXMgr.m_uDrawCalls, 1u);
}

// Sprites that share a texture but not a blend mode are two batches, drawn in the blend order
// (additive, multiplicative, normal), each with its own blending.
TEST_F(EFXMgrDrawTest, SpritesSharingATextureKeepTheirOwnBlendModes) {
    DefineSprite("glow", "puff.tga").m_bAdditive = 1;
    DefineSprite("shade", "puff.tga").m_bMultiply = 1;
    DefineSprite("smoke", "puff.tga");
    for (const char* name : {"smoke", "glow", "shade", "smoke"}) g_FXMgr.AddFXByName(name, nullptr, nullptr);
    Frame();
    uint32_t texture = Texture("puff.tga");
    EXPECT_EQ(g_FXMgr.m_Batches[texture][FX_BLEND_ADDITIVE].m_uCount, 1u);
    EXPECT_EQ(g_FXMgr.m_Batches[texture][FX_BLEND_MULTIPLY].m_uCount, 1u);
    EXPECT_EQ(g_FXMgr.m_Batches[texture][FX_BLEND_NORMAL].m_uCount, 2u);
    gfx::NullBackend().calls.clear();
    gfx::NullBackend().renderStates.clear();
    g_FXMgr.Render();
    EXPECT_EQ(Draws(), 3);
    std::vector<std::pair<uint32_t, uint32_t>> blends;
    uint32_t source = 0;
    for (const auto& [state, value] : gfx::NullBackend().renderStates) {
        if (state == gfx::RS_SRCBLEND) source = value;
        if (state == gfx::RS_DESTBLEND) blends.emplace_back(source, value);
    }
    // The three modes in order, then the states saved before drawing put back.
    ASSERT_GE(blends.size(), 3u);
    EXPECT_EQ(blends[0], std::make_pair(uint32_t{gfx::BLEND_SRCCOLOR}, uint32_t{gfx::BLEND_ONE}));
    EXPECT_EQ(blends[1], std::make_pair(uint32_t{gfx::BLEND_ZERO}, uint32_t{gfx::BLEND_SRCCOLOR}));
    EXPECT_EQ(blends[2], std::make_pair(uint32_t{gfx::BLEND_SRCALPHA}, uint32_t{gfx::BLEND_INVSRCALPHA}));
}

TEST_F(EFXMgrDrawTest, AnAnimatedSpriteShowsFrame31After125SecondsAndFrame0After130) {
    EFXDefinition& d = DefineSprite("flame", "puff.tga");
    d.m_bAnimatedSpriteTexture = 1;
    d.m_fAnimatedSpriteFPS = 25;
    g_FXMgr.AddFXByName("flame", nullptr, nullptr);
    const SpriteBatch& b = g_FXMgr.m_Batches[Texture("puff.tga")][FX_BLEND_NORMAL];
    auto corner = [&b](int i) { return reinterpret_cast<const SpriteVertex*>(b.m_pVB->Data())[i]; };
    for (int i = 0; i < 25; ++i) Frame();
    // The third corner is the frame's top left: column 7, row 3 of the 8 x 4 atlas.
    EXPECT_FLOAT_EQ(corner(2).u, 0.875f);
    EXPECT_FLOAT_EQ(corner(2).v, 0.75f);
    EXPECT_FLOAT_EQ(corner(0).u, 1.0f);
    EXPECT_FLOAT_EQ(corner(0).v, 1.0f);
    Frame();
    EXPECT_FLOAT_EQ(corner(2).u, 0.0f);
    EXPECT_FLOAT_EQ(corner(2).v, 0.0f);
}

TEST_F(EFXMgrDrawTest, QuadsFaceTheCameraLieFlatOrTurnWithTheirOwnFrame) {
    EFXDefinition& facing = DefineSprite("facing", "puff.tga");
    facing.m_vScale = DV{2, 2, 2};
    EFXDefinition& flat = DefineSprite("flat", "spark.tga");
    flat.m_vScale = DV{2, 2, 2};
    flat.m_bFlatRotation = 1;
    g_FXMgr.AddFXByName("facing", nullptr, nullptr);
    g_FXMgr.AddFXByName("flat", nullptr, nullptr);
    Frame();
    auto first = [](const char* texture) {
        const SpriteBatch& b = g_FXMgr.m_Batches[Texture(texture)][FX_BLEND_NORMAL];
        return reinterpret_cast<const SpriteVertex*>(b.m_pVB->Data())[0];
    };
    // Corner position + A - B: a half size of 1 along right (x) and up (y), or along x and z.
    SpriteVertex a = first("puff.tga"), b = first("spark.tga");
    EXPECT_NEAR(a.x, 1, 1e-5f);
    EXPECT_NEAR(a.y, -1, 1e-5f);
    EXPECT_NEAR(a.z, 0, 1e-5f);
    EXPECT_NEAR(b.x, 1, 1e-5f);
    EXPECT_NEAR(b.y, 0, 1e-5f);
    EXPECT_NEAR(b.z, -1, 1e-5f);
}

// The half size is 0.5 x scale, plus sqrt(distance) x 0.1 for a light sprite beyond 3 and
// sqrt(distance) x 0.05 for a sprite below the eye beyond 4 (the camera stands at (0, 0, -10)).
TEST_F(EFXMgrDrawTest, SpritesBelowTheEyeAndFarLightSpritesGrowWithTheSquareRootOfTheirDistance) {
    struct Case {
        DV at;
        bool light;
        float growth;
    };
    const Case cases[] = {
        {{0, 0, 20}, false, 0.0f},                                   // level with the eye
        {{0, 30, -10}, false, 0.0f},                                 // above it
        {{0, -3, -10}, false, 0.0f},                                 // below, but within 4
        {{0, -30, -10}, false, std::sqrt(30.0f) * 0.05f},            // below and far
        {{0, -30, -10}, true, std::sqrt(30.0f) * (0.05f + 0.1f)},    // a light sprite takes both
        {{0, 5, -10}, true, std::sqrt(5.0f) * 0.1f},                 // a light sprite above the eye
    };
    g_RenderHooks.effectSegment = [](const EffectSegment&, EffectHit&) { return false; };
    EFXDefinition& sprite = DefineSprite("puff", "puff.tga");
    sprite.m_vScale = DV{2, 2, 2};
    for (const Case& c : cases) {
        g_FXMgr.Release();
        sprite.m_bLightSprite = c.light;
        g_FXMgr.AddFXByName("puff", &c.at, nullptr);
        Frame();
        const SpriteBatch& b = g_FXMgr.m_Batches[Texture("puff.tga")][FX_BLEND_NORMAL];
        ASSERT_EQ(b.m_uCount, 1u) << c.at.y;
        // The first corner lies half a size along the camera's right (x) from the centre.
        const SpriteVertex v = reinterpret_cast<const SpriteVertex*>(b.m_pVB->Data())[0];
        EXPECT_NEAR(v.x - c.at.x, 2.0f * (0.5f + c.growth), 1e-4f) << c.at.y << (c.light ? " light" : "");
    }
}

TEST_F(EFXMgrDrawTest, LightSpritesAreDrawnWithoutTheDepthTest) {
    DefineSprite("lamp", "spark.tga").m_bLightSprite = 1;
    DefineSprite("smoke", "puff.tga");
    g_FXMgr.AddFXByName("lamp", nullptr, nullptr);
    g_FXMgr.AddFXByName("smoke", nullptr, nullptr);
    Frame();
    gfx::NullBackend().calls.clear();
    gfx::NullBackend().renderStates.clear();
    g_FXMgr.Render();
    EXPECT_EQ(Draws(), 2);
    std::vector<uint32_t> depth;
    for (const auto& [state, value] : gfx::NullBackend().renderStates)
        if (state == gfx::RS_ZENABLE) depth.push_back(value);
    // Texture order: the lamp's (loaded first) without the test, then the smoke's with it; then
    // the state saved before drawing comes back.
    ASSERT_GE(depth.size(), 2u);
    EXPECT_EQ(depth[0], 0u);
    EXPECT_EQ(depth[1], 1u);
}

TEST_F(EFXMgrDrawTest, AHiddenOrFarSpriteIsNotDrawnNorCounted) {
    DefineSprite("lamp", "spark.tga").m_bLightSprite = 1;
    DefineSprite("smoke", "puff.tga").m_fDisappearDistance = 20.0f;
    g_RenderHooks.effectSegment = [](const EffectSegment&, EffectHit&) { return true; };
    g_FXMgr.AddFXByName("lamp", nullptr, nullptr);
    DV far{0, 0, 15};
    g_FXMgr.AddFXByName("smoke", &far, nullptr);
    Frame();
    EXPECT_EQ(g_FXMgr.m_uActiveBatchCount, 0u);
    EXPECT_EQ(g_FXMgr.m_iLiveCount, 0);

    // The glow of a light that is switched off lives on undrawn.
    g_FXMgr.Release();
    EFXInstance* glow = g_FXMgr.AddFXByName("smoke", nullptr, nullptr);
    glow->m_bSwitchedOff = 1;
    Frame();
    EXPECT_EQ(g_FXMgr.m_uActiveBatchCount, 0u);
    glow->m_bSwitchedOff = 0;
    Frame();
    EXPECT_EQ(g_FXMgr.m_uActiveBatchCount, 1u);
}

TEST_F(EFXMgrDrawTest, AtMost32SparksAreFilled) {
    g_FXMgr.LoadResources();
    EFXDefinition& d = test::DefineEffect("iskra", 10.0f, FX_SPARK);
    d.m_bMove = 1;
    d.m_vVel = DV{1, 0, 0};
    for (int i = 0; i < 40; ++i) g_FXMgr.AddFXByName("iskra", nullptr, nullptr);
    Frame();
    EXPECT_EQ(g_FXMgr.m_uSparkVertexCount, 32u * 18);
    gfx::NullBackend().calls.clear();
    g_FXMgr.Render();
    EXPECT_EQ(Draws(), 1);
}

TEST_F(EFXMgrDrawTest, WithEffectsSwitchedOffNothingIsDrawn) {
    DefineSprite("smoke", "puff.tga");
    g_FXMgr.AddFXByName("smoke", nullptr, nullptr);
    Frame();
    g_Settings.m_bDrawFX = 0;
    gfx::NullBackend().calls.clear();
    g_FXMgr.Render();
    EXPECT_EQ(Draws(), 0);
}

TEST_F(EFXMgrDrawTest, ALostDeviceTakesTheBuffersAndAResetBringsThemBack) {
    DefineSprite("smoke", "puff.tga");
    g_FXMgr.LoadResources();
    DefineSprite("smoke", "puff.tga");
    ASSERT_NE(g_FXMgr.m_pSparkVB, nullptr);
    g_FXMgr.AddFXByName("smoke", nullptr, nullptr);
    Frame();
    const SpriteBatch& b = g_FXMgr.m_Batches[Texture("puff.tga")][FX_BLEND_NORMAL];
    ASSERT_NE(b.m_pVB, nullptr);
    g_FXMgr.OnLostDevice();
    EXPECT_EQ(g_FXMgr.m_pSparkVB, nullptr);
    EXPECT_EQ(b.m_pVB, nullptr);
    g_FXMgr.OnResetDevice();
    EXPECT_NE(g_FXMgr.m_pSparkVB, nullptr);
    Frame();
    EXPECT_NE(b.m_pVB, nullptr);
}

}  // namespace
