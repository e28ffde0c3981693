// The ground marks on the recording device: each stamp's square and texture cell, its fade by the
// frame time, hiding, the limits of a kind's table and buffer, strips that join up, and the drawing
// of the kinds that hold marks.
#include "vehicles/PGroundMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/gfx/NullSystem.h"
#include "platform/os/Random.h"
#include "render/D3DDevice.h"
#include "support/RenderPassTest.h"
#include "vehicles/FieldVertex.h"
#include "vehicles/Truck.h"
#include "world/EEngine.h"

namespace {

constexpr uint32_t kStraw = 0, kHay = 1, kPlough = 2, kPlanting = 3, kSowing = 4;
const DV kUp{0, 1, 0};

class PGroundMgrTest : public test::RenderPassTest {
protected:
    void SetUp() override {
        RenderPassTest::SetUp();
        test::ResetGlobal(g_GroundMgr);
        test::ResetGlobal(g_Engine);
        plat::SeedRandom(7);
        g_GroundMgr.Init();
    }
    void TearDown() override {
        g_GroundMgr.Shutdown();
        test::ResetGlobal(g_GroundMgr);
        test::ResetGlobal(g_Engine);
        RenderPassTest::TearDown();
    }

    static const PGroundMgr::Mark& MarkOf(uint32_t kind, uint32_t index) {
        return g_GroundMgr.m_Records[kind].m_pMarks[index];
    }
    // Vertex v of a kind's buffer.
    static const FieldVertex& VertexOf(uint32_t kind, uint32_t v) {
        return reinterpret_cast<const FieldVertex*>(g_GroundMgr.m_pVB[kind]->Data())[v];
    }
    static void Fade(float seconds) {
        g_Engine.m_fFrameTime = seconds;
        g_GroundMgr.UpdateVB();
    }
    static void AddMarks(uint32_t kind, uint32_t count) {
        const DV at{0, 0, 0};
        for (uint32_t i = 0; i < count; ++i) g_GroundMgr.AddGroundEffect(kind, &at, nullptr, &kUp);
    }
};

TEST_F(PGroundMgrTest, EngineStartSetsUpTheFiveKindsEachWithItsBuffer) {
    EXPECT_EQ(g_GroundMgr.m_dwRecords, 5u);
    const char* textures[] = {"spr_siano.tga", "spr_siano.tga", "spr_orka.tga", "spr_sadzenie.tga", "spr_sianie.tga"};
    for (uint32_t kind = 0; kind < 5; ++kind) {
        EXPECT_STREQ(g_GroundMgr.m_Records[kind].m_szTexture, textures[kind]);
        ASSERT_NE(g_GroundMgr.m_pVB[kind], nullptr);
        EXPECT_EQ(g_GroundMgr.m_pVB[kind]->Length(), 10368000u);
        EXPECT_TRUE(Logged("Created PGroundMgr pVB #" + std::to_string(kind)));
    }
}

// A stamp without a direction is a square along +x: its corners half a diagonal from its centre,
// its edges along x and z; an atlas kind takes one of sixteen cells, the others the whole texture.
TEST_F(PGroundMgrTest, AStampIsASquareAlongItsHeadingWithItsTextureCell) {
    const struct {
        uint32_t kind;
        float halfDiagonal, height;
        bool atlas;
    } cases[] = {{kPlough, 1.2f, 0.24f, true}, {kStraw, 2.5f, 0.4f, false}, {kHay, 3.0f, 0.6f, false}};
    const DV at{10, 2, -5};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        for (int i = 0; i < 20; ++i) g_GroundMgr.AddGroundEffect(c.kind, &at, nullptr, &kUp);
        for (uint32_t i = 0; i < 20; ++i) {
            const PGroundMgr::Mark& m = MarkOf(c.kind, i);
            EXPECT_FLOAT_EQ(m.m_vCentre.y, at.y + c.height);
            // Jittered by less than half the kind's jitter either way (none for ploughed earth).
            const float jitter = g_GroundMgr.m_Records[c.kind].m_fJitter;
            EXPECT_LE(std::fabs(m.m_vCentre.x - at.x), jitter / 2);
            EXPECT_LE(std::fabs(m.m_vCentre.z - at.z), jitter / 2);
            for (const DV& corner : m.m_vCorners) {
                const DV off = corner - m.m_vCentre;
                EXPECT_NEAR(pmath::Length(off), c.halfDiagonal, 1e-4f);
                EXPECT_NEAR(std::fabs(off.x), std::fabs(off.z), 1e-4f);
            }
            const float cell = c.atlas ? 0.25f : 1.0f;
            EXPECT_NEAR(m.m_fU[2] - m.m_fU[1], cell, 1e-6f);
            EXPECT_NEAR(m.m_fV[3] - m.m_fV[2], cell, 1e-6f);
            EXPECT_FLOAT_EQ(std::fmod(m.m_fU[1], cell), 0.0f);
            EXPECT_FLOAT_EQ(std::fmod(m.m_fV[1], cell), 0.0f);
            EXPECT_FLOAT_EQ(m.m_fU[0], (m.m_fU[1] + m.m_fU[2]) / 2);
            // Four triangles round the centre, written into the mark's own twelve vertices.
            EXPECT_EQ(VertexOf(c.kind, 12 * i).position, m.m_vCentre);
            EXPECT_EQ(VertexOf(c.kind, 12 * i + 1).position, m.m_vCorners[0]);
            EXPECT_EQ(VertexOf(c.kind, 12 * i + 11).position, m.m_vCorners[0]);
        }
        EXPECT_EQ(g_GroundMgr.m_Records[c.kind].m_dwTriangles, 80u);
    }
}

TEST_F(PGroundMgrTest, AHeadingTurnsTheSquareAndTheStampLiesOnTheGroundsNormal) {
    const DV at{0, 0, 0}, heading{1, 5, 1}, slope{0, 2, 0};
    g_GroundMgr.AddGroundEffect(kPlough, &at, &heading, &slope);
    const PGroundMgr::Mark& m = MarkOf(kPlough, 0);
    EXPECT_NEAR(pmath::Length(m.m_vNormal - kUp), 0.0f, 1e-6f);
    // Turned by 45 degrees: the corners lie on the axes.
    for (const DV& corner : m.m_vCorners) EXPECT_NEAR(std::fabs(corner.x) * std::fabs(corner.z), 0.0f, 1e-4f);
}

TEST_F(PGroundMgrTest, WithoutAKnownKindAPositionOrANormalNothingIsAdded) {
    const DV at{0, 0, 0};
    const std::string before = ConsoleLog();
    g_GroundMgr.AddGroundEffect(5, &at, nullptr, &kUp);
    g_GroundMgr.AddGroundEffect(kStraw, nullptr, nullptr, &kUp);
    g_GroundMgr.AddGroundEffect(kStraw, &at, nullptr, nullptr);
    for (uint32_t kind = 0; kind < 5; ++kind) EXPECT_EQ(g_GroundMgr.m_Records[kind].m_dwMarks, 0u);
    EXPECT_EQ(ConsoleLog(), before);
}

// A new stamp is clear; it fades in with the frame time over one second and then stays.
TEST_F(PGroundMgrTest, AStampFadesInOverOneSecond) {
    AddMarks(kStraw, 1);
    auto alpha = [] { return VertexOf(kStraw, 5).colour >> 24; };
    EXPECT_EQ(alpha(), 0u);
    Fade(0.25f);
    EXPECT_EQ(alpha(), 63u);
    EXPECT_EQ(VertexOf(kStraw, 0).colour & 0x00FFFFFFu, 0x00FFFFFFu);
    Fade(0.5f);
    EXPECT_EQ(alpha(), 191u);
    Fade(0.5f);
    EXPECT_EQ(alpha(), 255u);
    EXPECT_FLOAT_EQ(MarkOf(kStraw, 0).m_fFade, 1.0f);
    // A stamp added later fades from its own start, the first stays shown.
    AddMarks(kStraw, 1);
    Fade(0.1f);
    EXPECT_EQ(alpha(), 255u);
    EXPECT_EQ(VertexOf(kStraw, 12 + 5).colour >> 24, 25u);
}

TEST_F(PGroundMgrTest, AHiddenStampDropsBelowTheWorld) {
    AddMarks(kHay, 3);
    Fade(1.0f);
    g_GroundMgr.HideMark(kHay, 1);
    EXPECT_TRUE(MarkOf(kHay, 1).m_bRemoved);
    for (uint32_t v = 12; v < 24; ++v) EXPECT_FLOAT_EQ(VertexOf(kHay, v).position.y, -1000.0f);
    EXPECT_GT(VertexOf(kHay, 0).position.y, 0.0f);
    EXPECT_GT(VertexOf(kHay, 24).position.y, 0.0f);
    EXPECT_EQ(g_GroundMgr.m_Records[kHay].m_dwTriangles, 12u);
    // A mark never added is not there to hide.
    g_GroundMgr.HideMark(kHay, 3);
    EXPECT_FALSE(MarkOf(kHay, 3).m_bRemoved);
}

// Every stamp a kind counts has a slot in its buffer: the 6001st is drawn, and after 23999 the
// table is full.
TEST_F(PGroundMgrTest, EveryCountedStampIsDrawnUpToTheTablesEnd) {
    AddMarks(kPlough, 6001);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlough].m_dwTriangles, 4u * 6001);
    EXPECT_FALSE(Logged("MAX_GROUND_EFFECTS overflow!"));
    EXPECT_EQ(VertexOf(kPlough, 12 * 6000).position, MarkOf(kPlough, 6000).m_vCentre);
    AddMarks(kPlough, 23999 - 6001);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlough].m_dwTriangles, 4u * 23999);
    AddMarks(kPlough, 1);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlough].m_dwMarks, 23999u);
    EXPECT_TRUE(Logged("MAX_GROUND_EFFECTS OVERFLOW for 23999"));
}

// A stamp whose vertices could not be written keeps its slot: the next one lands in its own, and
// fading and hiding still find every stamp.
TEST_F(PGroundMgrTest, AStampThatCouldNotBeWrittenKeepsItsSlot) {
    AddMarks(kPlough, 1);
    void* held = nullptr;
    ASSERT_EQ(g_GroundMgr.m_pVB[kPlough]->Lock(0, 0, &held, 0), gfx::OK);
    AddMarks(kPlough, 1);
    EXPECT_TRUE(Logged("Failed to lock Ground VB for 2"));
    g_GroundMgr.m_pVB[kPlough]->Unlock();
    AddMarks(kPlough, 1);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlough].m_dwMarks, 3u);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlough].m_dwTriangles, 12u);
    EXPECT_EQ(VertexOf(kPlough, 24).position, MarkOf(kPlough, 2).m_vCentre);
    EXPECT_EQ(VertexOf(kPlough, 12).position, DV{});
    Fade(1.0f);
    EXPECT_EQ(VertexOf(kPlough, 24).colour >> 24, 255u);
    EXPECT_EQ(VertexOf(kPlough, 12).colour, 0u);
    g_GroundMgr.HideMark(kPlough, 2);
    EXPECT_FLOAT_EQ(VertexOf(kPlough, 24).position.y, -1000.0f);
}

// A planter's strip segments: opaque, lying up, each from the last ends to the ends now, so that
// one segment's near edge is the last one's far edge; a large planter repeats its texture twice.
TEST_F(PGroundMgrTest, StripSegmentsJoinUpBehindTheImplement) {
    Truck planter;
    planter.m_bSadzarkaDuza = 1;
    for (int segment = 0; segment < 2; ++segment) {
        const float z = 2.0f * segment;
        planter.m_vPreviousTrackEnds[0] = DV{-1, 0, z};
        planter.m_vPreviousTrackEnds[1] = DV{1, 0, z};
        planter.m_vTrackEnds[0] = DV{-1, 0, z + 2};
        planter.m_vTrackEnds[1] = DV{1, 0, z + 2};
        g_GroundMgr.AddPlantingStrip(&planter);
    }
    EXPECT_EQ(g_GroundMgr.m_Records[kPlanting].m_dwTriangles, 4u);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlanting].m_dwMarks, 0u);
    // The second segment's previous ends are the first one's ends now.
    EXPECT_EQ(VertexOf(kPlanting, 6 + 2).position, VertexOf(kPlanting, 0).position);
    EXPECT_EQ(VertexOf(kPlanting, 6 + 5).position, VertexOf(kPlanting, 1).position);
    for (uint32_t v = 0; v < 12; ++v) {
        EXPECT_EQ(VertexOf(kPlanting, v).colour, 0xFFFFFFFFu);
        EXPECT_EQ(VertexOf(kPlanting, v).normal, kUp);
    }
    EXPECT_FLOAT_EQ(VertexOf(kPlanting, 1).u, 2.0f);
    g_GroundMgr.AddSowingStrip(&planter);
    EXPECT_FLOAT_EQ(VertexOf(kSowing, 1).u, 1.0f);
    EXPECT_EQ(g_GroundMgr.m_Records[kSowing].m_dwTriangles, 2u);
}

// The buffer holds 96000 triangles: a segment past them is refused with a console line.
TEST_F(PGroundMgrTest, AStripPastTheBuffersEndIsRefused) {
    Truck seeder;
    g_GroundMgr.m_Records[kSowing].m_dwTriangles = PGroundMgr::kBufferTriangles - 2;
    g_GroundMgr.AddSowingStrip(&seeder);
    EXPECT_EQ(g_GroundMgr.m_Records[kSowing].m_dwTriangles, PGroundMgr::kBufferTriangles);
    EXPECT_FALSE(Logged("MAX_GROUND_EFFECTS overflow!"));
    g_GroundMgr.AddSowingStrip(&seeder);
    EXPECT_EQ(g_GroundMgr.m_Records[kSowing].m_dwTriangles, PGroundMgr::kBufferTriangles);
    EXPECT_TRUE(Logged("MAX_GROUND_EFFECTS overflow!"));
}

TEST_F(PGroundMgrTest, AWorldsEndForgetsEveryMarkAndTheNextWorldStartsEmpty) {
    AddMarks(kStraw, 4);
    AddMarks(kPlough, 2);
    g_GroundMgr.ClearEffects();
    for (uint32_t kind = 0; kind < 5; ++kind) {
        EXPECT_EQ(g_GroundMgr.m_Records[kind].m_dwMarks, 0u);
        EXPECT_EQ(g_GroundMgr.m_Records[kind].m_dwTriangles, 0u);
    }
    AddMarks(kPlough, 1);
    EXPECT_EQ(g_GroundMgr.m_Records[kPlough].m_dwTriangles, 4u);
    EXPECT_FLOAT_EQ(MarkOf(kPlough, 0).m_fFade, 0.0f);
}

// The scene pass draws each kind that holds marks once, with its texture, blended without depth
// writes; the overview map draws the same buffers.
TEST_F(PGroundMgrTest, EachKindWithMarksIsDrawnOnceWithItsTexture) {
    Texture("spr_siano.tga");
    Texture("spr_orka.tga");
    Texture("tc_clouds.tga");
    Start();
    g_GroundMgr.ResolveTextures();
    AddMarks(kStraw, 2);
    AddMarks(kPlough, 3);
    auto draws = [] {
        const auto& calls = gfx::NullBackend().calls;
        return std::count(calls.begin(), calls.end(), "DrawPrimitive");
    };
    const auto before = draws();
    g_GroundMgr.Render();
    EXPECT_EQ(draws() - before, 2);
    EXPECT_NE(g_GroundMgr.m_Records[kPlough].m_pTexture, nullptr);
    uint32_t zwrite = 0;
    g_pd3dDevice->GetRenderState(gfx::RS_ZWRITEENABLE, zwrite);
    EXPECT_EQ(zwrite, 1u);
    g_GroundMgr.RenderAutoMapPloughing();
    EXPECT_EQ(draws() - before, 4);
    // Without the sky-light effect nothing is drawn.
    g_EffectMgr.Release();
    g_GroundMgr.Render();
    EXPECT_TRUE(Logged("No skylight HEFFECT"));
    EXPECT_EQ(draws() - before, 4);
}

TEST_F(PGroundMgrTest, ShutDownReleasesEveryBuffer) {
    g_GroundMgr.Shutdown();
    EXPECT_EQ(g_GroundMgr.m_dwRecords, 0u);
    for (const auto& buffer : g_GroundMgr.m_pVB) EXPECT_EQ(buffer, nullptr);
    EXPECT_TRUE(Logged("GroundMgr p->pVB->Release() OK for 4"));
}

}  // namespace
