// Screen rectangles on the recording device: what they store, their buffer and their state block.
#include "render/ERect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/EDebug.h"
#include "core/ESettings.h"
#include "platform/gfx/NullSystem.h"
#include "render/D3DDevice.h"
#include "render/ERenderer.h"
#include "support/DeviceTest.h"
#include "support/TextureFiles.h"

namespace {

uint32_t TagCount(const char* tag) {
    for (int i = 0; i < EDebug::kTagSlots; ++i)
        if (g_Debug.m_bTagUsed[i] && std::strcmp(g_Debug.m_szTagNames[i], tag) == 0) return g_Debug.m_uTagCounts[i];
    return 0;
}

struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

class ERectTest : public test::DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_Renderer);
        g_Settings.m_iSystemDebug = 1;  // the registry counts only then
        ASSERT_TRUE(CreateDevice());
        WriteFile("textures\\bialy.tga", test::TgaFile(4, 4, 0xFFFFFFFF));
        g_Renderer.InitTextures();
    }
    void TearDown() override {
        DeviceTest::TearDown();
        test::ResetGlobal(g_Renderer);
    }
    static Vertex VertexOf(const ERect& rect, int i) {
        Vertex v;
        std::memcpy(&v, rect.m_pVB->Data() + i * sizeof(Vertex), sizeof v);
        return v;
    }
};

TEST_F(ERectTest, SettersBeforeCreateStoreOnlyTheColourWhichCreateThenReplaces) {
    ERect rect;
    rect.SetRect(1, 2, 3, 4);
    rect.SetColor(0xFF123456);
    EXPECT_EQ(rect.m_fRight, 0.0f);
    EXPECT_EQ(rect.m_uColour, 0xFF123456u);
    rect.Create("bialy.tga", 10, 20, 110, 60, 0x80FFFFFF);
    ASSERT_TRUE(rect.m_bCreated);
    EXPECT_EQ(rect.m_uColour, 0x80FFFFFFu);
    // Two triangles: top-left, bottom-left, bottom-right, bottom-right, top-right, top-left.
    const float expected[6][4] = {{10, 20, 0, 0}, {10, 60, 0, 1}, {110, 60, 1, 1},
                                  {110, 60, 1, 1}, {110, 20, 1, 0}, {10, 20, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        Vertex v = VertexOf(rect, i);
        EXPECT_EQ((std::vector<float>{v.x, v.y, v.u, v.v}),
                  (std::vector<float>{expected[i][0], expected[i][1], expected[i][2], expected[i][3]}));
        EXPECT_EQ(v.z, 1.0f);
        EXPECT_EQ(v.rhw, 1.0f);
        EXPECT_EQ(v.colour, 0x80FFFFFFu);
    }
    rect.Release();
}

TEST_F(ERectTest, SetAlphaClampsAndTruncates) {
    ERect rect;
    rect.Create("bialy.tga", 0, 0, 1, 1, 0x00ABCDEF);
    for (auto [alpha, byte] : {std::pair{1.7f, 255u}, std::pair{-0.2f, 0u}, std::pair{0.5f, 127u}}) {
        rect.SetAlpha(alpha);
        EXPECT_EQ(rect.m_uColour, byte << 24 | 0xABCDEF) << alpha;
        EXPECT_EQ(VertexOf(rect, 3).colour, rect.m_uColour);
    }
    rect.Release();
}

TEST_F(ERectTest, CreatingTwiceKeepsOneBufferAndReleasingLeavesNone) {
    ERect rect;
    rect.Create("bialy.tga", 0, 0, 1, 1, 0);
    rect.Create("bialy.tga", 0, 0, 2, 2, 0);
    EXPECT_EQ(TagCount("ERect"), 1u);
    EXPECT_EQ(TagCount("LockVB"), 0u);
    rect.Release();
    rect.Release();
    EXPECT_EQ(TagCount("ERect"), 0u);
    EXPECT_FALSE(rect.m_bCreated);
}

TEST_F(ERectTest, AFailedBufferLeavesTheRectangleUndrawn) {
    gfx::NullBackend().vertexBufferFailures = 1;
    ERect rect;
    rect.Create("bialy.tga", 0, 0, 1, 1, 0);
    EXPECT_FALSE(rect.m_bCreated);
    gfx::NullBackend().calls.clear();
    rect.Render(true);
    rect.RenderWithStates(true, true);
    EXPECT_TRUE(gfx::NullBackend().calls.empty());
}

TEST_F(ERectTest, TheStateBlockPutsBackEveryValueItChanged) {
    gfx::Device& d = *g_pd3dDevice;
    // Values no 2-D draw would choose, so every one the block touches is seen to come back.
    const gfx::RenderState states[] = {gfx::RS_ALPHABLENDENABLE, gfx::RS_SRCBLEND,        gfx::RS_DESTBLEND,
                                       gfx::RS_BLENDOP,          gfx::RS_ALPHAREF,        gfx::RS_ALPHATESTENABLE,
                                       gfx::RS_ALPHAFUNC,        gfx::RS_CULLMODE,        gfx::RS_ZWRITEENABLE,
                                       gfx::RS_ZENABLE};
    uint32_t value = 0;
    for (gfx::RenderState s : states) d.SetRenderState(s, 77);
    for (uint32_t t = gfx::TSS_COLOROP; t <= gfx::TSS_ALPHAARG2; ++t) d.SetTextureStageState(0, t, 40 + t);
    for (bool additive : {true, false}) {
        ERect rect;
        rect.BeginStates(additive);
        d.GetRenderState(gfx::RS_DESTBLEND, value);
        EXPECT_EQ(value, additive ? gfx::BLEND_ONE : gfx::BLEND_INVSRCALPHA);
        rect.EndStates();
        for (gfx::RenderState s : states) {
            d.GetRenderState(s, value);
            EXPECT_EQ(value, 77u) << s;
        }
        for (uint32_t t = gfx::TSS_COLOROP; t <= gfx::TSS_ALPHAARG2; ++t) {
            d.GetTextureStageState(0, t, value);
            EXPECT_EQ(value, 40 + t) << t;
        }
    }
}

}  // namespace
