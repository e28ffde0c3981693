#include "app/EDebugOverlays.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ESettings.h"
#include "mesh/EMesh.h"
#include "render/EFXMgr.h"
#include "render/ERenderer.h"
#include "support/ConsoleLogTest.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

namespace {

using Lines = std::vector<std::string>;

Lines Texts(const OverlayLines& lines) { return Lines(lines.text, lines.text + lines.count); }

class EDebugOverlaysTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_Debug);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_Renderer);
        test::ResetGlobal(g_FXMgr);
        g_Settings.m_iSystemDebug = 1;
    }
    // The registry stays switched on otherwise, and the globals destroyed at exit would report their
    // tags as unmatched to a console that is gone by then.
    void TearDown() override {
        test::ResetGlobal(g_Settings);
        test::ResetGlobal(g_Debug);
        ConsoleLogTest::TearDown();
    }
};

TEST_F(EDebugOverlaysTest, LightCountsCountSlotsInUseAndSwitchedOn) {
    g_FXMgr.m_iLiveCount = 12;
    for (int i : {0, 5, 99}) g_Engine.m_bLightUsed[i] = g_Engine.m_bLightOn[i] = 1;
    g_Engine.m_bLightUsed[7] = 1;  // in use but off
    g_Engine.m_bLightOn[8] = 1;    // a stale switch of a free slot
    OverlayLines lines;
    EDebugOverlays::FormatLightCounts(lines);
    EXPECT_EQ(Texts(lines), (Lines{"Total FX rendered: 12", "Total lights rendered: 3"}));
    // Nothing is registered for segment queries, so no object is described.
    g_DebugOverlays.DrawLightCounts();
    EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(EDebugOverlaysTest, CheckParticularMeshPrintsTheDescriptionOfAMeshObject) {
    EMesh mesh;
    EObjectSlot object;
    std::snprintf(object.m_szName, sizeof object.m_szName, "%s", "barn_01");
    object.m_fRadius = 41.9f;
    object.Object = &mesh;
    g_DebugOverlays.CheckParticularMesh(&object);

    std::shared_ptr<xfile::Mesh> videoMesh;
    ASSERT_EQ(xfile::Mesh::Create(xfile::MESH_SYSTEMMEM, gfx::FvfElements(gfx::FVF_XYZ), nullptr,
                                  std::vector<uint8_t>(36), {0, 1, 2}, {0}, videoMesh),
              gfx::OK);
    mesh.m_pVideoMesh = videoMesh.get();
    mesh.m_iLodSet = 2;
    mesh.m_iDisplayedFaces = 640;
    object.m_bSectorDisabled = 1;
    object.m_uFlags = FLAG_VISIBLE;
    g_DebugOverlays.CheckParticularMesh(&object);

    EXPECT_EQ(ConsoleLines(), (Lines{"CheckParticularMesh barn_01", "Name: barn_01 (radius == 41)", "!h->pVideoMesh",
                                "Sector enabled!", "FLAG_VISIBLE off!", "CheckParticularMesh barn_01",
                                "Name: barn_01 (radius == 41)", "LOD set: 2, displayed faces: 640",
                                "Sector disabled!", "FLAG_VISIBLE on!"}));
}

TEST_F(EDebugOverlaysTest, CheckParticularMeshIgnoresObjectsWithoutAMesh) {
    EObjectSlot object;
    g_DebugOverlays.CheckParticularMesh(&object);
    g_DebugOverlays.CheckParticularMesh(nullptr);
    EXPECT_TRUE(ConsoleLines().empty());
}

}  // namespace
