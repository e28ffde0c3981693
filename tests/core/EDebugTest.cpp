#include "core/EDebug.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "platform/os/Clock.h"
#include "support/ConsoleLogTest.h"

namespace {

using Lines = std::vector<std::string>;

Lines Texts(const OverlayLines& lines) { return Lines(lines.text, lines.text + lines.count); }

class EDebugTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        test::ResetGlobal(g_Debug);
        g_Settings.m_iSystemDebug = 1;
    }
};

TEST_F(EDebugTest, TagsCountIgnoringCaseAndABalancedTagStaysInTheDump) {
    for (int i = 0; i < 3; ++i) g_Debug.AddAlloc("MeshVB");
    g_Debug.AddAlloc("Texture");
    g_Debug.RemoveAlloc("meshvb");
    g_Debug.RemoveAlloc("MESHVB");
    g_Debug.RemoveAlloc("texture");
    g_Debug.DumpAllocs();
    EXPECT_EQ(ConsoleLines(), (Lines{"*** Current memory allocations:", "MeshVB: 1", "Texture: 0"}));
}

TEST_F(EDebugTest, RemovingAnUnknownTagSaysSoAndChangesNothing) {
    g_Debug.AddAlloc("LockVB");
    g_Debug.RemoveAlloc("SoundBuffer");
    g_Debug.DumpAllocs();
    EXPECT_EQ(ConsoleLines(), (Lines{"Remove SoundBuffer nie ma odpowiednika!", "*** Current memory allocations:",
                                "LockVB: 1"}));
}

TEST_F(EDebugTest, NothingIsCountedOrPrintedWhileSystemDebugIsOff) {
    g_Settings.m_iSystemDebug = 0;
    g_Debug.AddAlloc("MeshVB");
    g_Debug.RemoveAlloc("Unknown");
    g_Debug.DumpAllocs();
    EXPECT_TRUE(ConsoleLines().empty());
    // Switched on later, a block made before has no counterpart.
    g_Settings.m_iSystemDebug = 1;
    g_Debug.RemoveAlloc("MeshVB");
    EXPECT_EQ(ConsoleLines(), (Lines{"Remove MeshVB nie ma odpowiednika!"}));
}

TEST_F(EDebugTest, AFullRegistryIgnoresNewTags) {
    for (int i = 0; i < EDebug::kTagSlots; ++i) g_Debug.AddAlloc(("tag" + std::to_string(i)).c_str());
    g_Debug.AddAlloc("one too many");
    g_Debug.AddAlloc("tag7");
    g_Debug.DumpAllocs();
    Lines lines = ConsoleLines();
    ASSERT_EQ(lines.size(), 1u + EDebug::kTagSlots);
    EXPECT_EQ(lines[8], "tag7: 2");
    EXPECT_EQ(lines.back(), "tag1023: 1");
}

TEST_F(EDebugTest, StopwatchesMeasureTheClockAndIgnoreSlotsOutOfRange) {
    g_Debug.StartTimer(3);
    for (int i = 0; i < 6; ++i) plat::AdvanceFrame();
    EXPECT_NEAR(g_Debug.GetTimerElapsed(3), 0.1, 1e-9);
    g_Debug.StartTimer(EDebug::kTimerSlots);
    g_Debug.StartTimer(-1);
    EXPECT_EQ(g_Debug.GetTimerElapsed(EDebug::kTimerSlots), 0.0);
    EXPECT_EQ(g_Debug.GetTimerElapsed(-1), 0.0);
}

TEST_F(EDebugTest, VideoMemoryOverlaySplitsTheTotalByCategory) {
    g_Debug.m_iVideoMemoryTotal = 1000;
    g_Debug.BeginVideoMemoryCount(EDebug::kCategoryRenderTargets);
    g_Debug.m_iMeasuredAmount = 300;
    g_Debug.EndVideoMemoryCount();
    g_Debug.BeginVideoMemoryCount(EDebug::kCategoryPostProcessing);
    EXPECT_EQ(g_Debug.m_iMeasuredAmount, 0);
    g_Debug.m_iMeasuredAmount = 200;
    g_Debug.EndVideoMemoryCount();
    OverlayLines lines;
    g_Debug.FormatVideoMemory(lines);
    EXPECT_EQ(Texts(lines), (Lines{"Render targets (sky+projectors): 300", "Post processing surfaces: 200",
                                   "Other resources (screen+meshes+textures): 500",
                                   "Total video memory taken: 1000"}));
    g_Debug.ResetVideoMemoryTotal();
    EXPECT_EQ(g_Debug.m_iVideoMemoryTotal, 0);
}

TEST_F(EDebugTest, RenderStatisticsGiveAveragesAndShares) {
    struct Case {
        int rendered, switched, under100, from100, from500, techniques;
        Lines expected;
    };
    const Case cases[] = {
        {12000, 40, 10, 20, 5, 7,
         {"Visible mesh polygons: 15000", "Rendered mesh polygons: 12000", "Visible mesh shadow polygons: 900",
          "Switched subsets: 40", "Average faces per subset: 300", "Subsets with less than 100 faces: 10 (25%)",
          "Subsets 100-499 faces: 20 (50%)", "Subsets 500-999 faces: 5 (12%)",
          "Subsets 1000 faces and above: 5 (12%)", "Technique switches: 7"}},
        // An empty scene switches no subset: averages and shares show 0 instead of dividing by it.
        {0, 0, 0, 0, 0, 0,
         {"Visible mesh polygons: 15000", "Rendered mesh polygons: 0", "Visible mesh shadow polygons: 900",
          "Switched subsets: 0", "Average faces per subset: 0", "Subsets with less than 100 faces: 0 (0%)",
          "Subsets 100-499 faces: 0 (0%)", "Subsets 500-999 faces: 0 (0%)", "Subsets 1000 faces and above: 0 (0%)",
          "Technique switches: 0"}},
    };
    for (const Case& c : cases) {
        g_Debug.m_iVisibleMeshPolygons = 15000;
        g_Debug.m_iVisibleShadowPolygons = 900;
        g_Debug.m_iRenderedMeshPolygons = c.rendered;
        g_Debug.m_iSubsetStats[EDebug::SWITCHED_SUBSETS] = c.switched;
        g_Debug.m_iSubsetStats[EDebug::SUBSETS_UNDER_100] = c.under100;
        g_Debug.m_iSubsetStats[EDebug::SUBSETS_100_499] = c.from100;
        g_Debug.m_iSubsetStats[EDebug::SUBSETS_500_999] = c.from500;
        g_Debug.m_iSubsetStats[EDebug::TECHNIQUE_SWITCHES] = c.techniques;
        OverlayLines lines;
        g_Debug.FormatRenderStats(lines);
        EXPECT_EQ(Texts(lines), c.expected) << "switched subsets " << c.switched;
    }
}

TEST_F(EDebugTest, PerformanceReportGivesSharesOrSaysWhatIsMissing) {
    g_Debug.ReportPerformance();
    g_Debug.m_dUpdateTotalTime = 0.02;
    g_Debug.ReportPerformance();  // no render time
    g_Debug.m_dRenderTime = 0.02;
    g_Debug.m_dMainGameTime = 0.005;
    g_Debug.m_dEngineTime = 0.01;
    g_Debug.m_dEngineObjectsTime = 0.005;
    g_Debug.m_dRendererTime = 0.0025;
    g_Debug.m_dMovableTime = 0.001;
    g_Debug.ReportPerformance();
    Lines lines = ConsoleLines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(Lines(lines.begin(), lines.end() - 1),
              (Lines{"fTotal==0", "Szczatkowe == 0", "Debug performance", "Update: 50.000000", "  MainGame: 25.000000",
                     "  Engine: 50.000000", "    EngineObject: 50.000000", "    Renderer: 25.000000",
                     "    Movable: 10.000000", "    ----: 15.000000", "Render: 50.000000"}));
    EXPECT_EQ(lines.back(), "Using QPF with timer " + std::to_string(plat::PerformanceFrequency()));
}

}  // namespace
