#include "core/EProfiler.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os/Clock.h"
#include "support/TestSupport.h"

namespace {

class EProfilerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetPlatform();  // fixed clock: 60 frames per second
        test::ResetGlobal(g_Profiler);
    }
    static void AdvanceFrames(int n) {
        for (int i = 0; i < n; ++i) plat::AdvanceFrame();
    }
};

TEST_F(EProfilerTest, RegistersTheSectionTreeAndLeavesOtherIdsUnused) {
    g_Profiler.RegisterSections();
    struct Expected {
        int id;
        const char* name;
        int depth;
    };
    for (const Expected& e : {Expected{0, "Engine Update", 0}, Expected{41, "EO: UO Startup", 5},
                              Expected{141, "EO: U WaitingToDie", 4}, Expected{274, "MU Player Update RuchMgr", 2},
                              Expected{460, "MainGame Render", 1}}) {
        const EProfiler::Section& section = g_Profiler.m_Sections[e.id];
        EXPECT_TRUE(section.m_bUsed) << e.id;
        EXPECT_EQ(std::string(section.m_szName), e.name);
        EXPECT_EQ(section.m_iDepth, e.depth) << e.id;
    }
    int used = 0;
    for (const EProfiler::Section& section : g_Profiler.m_Sections) used += section.m_bUsed;
    EXPECT_EQ(used, 38);
    EXPECT_FALSE(g_Profiler.m_Sections[1].m_bUsed);
    EXPECT_EQ(g_Profiler.m_Sections[1].m_iDepth, EProfiler::kUnregisteredDepth);
}

TEST_F(EProfilerTest, IdsOutOfRangeAreIgnored) {
    g_Profiler.SetSection("too far", EProfiler::kSections, 1);
    g_Profiler.SetSection("negative", -1, 1);
    g_Profiler.StartTimer(EProfiler::kSections);
    g_Profiler.ResetSection(EProfiler::kSections);
    EXPECT_EQ(g_Profiler.GetElapsed(EProfiler::kSections), 0.0);
    for (const EProfiler::Section& section : g_Profiler.m_Sections) EXPECT_FALSE(section.m_bUsed);
}

TEST_F(EProfilerTest, MeasuresTheFrameOnlyWhileEnabled) {
    g_Profiler.m_dFrameTime = 0.25;
    g_Profiler.BeginFrame();
    AdvanceFrames(3);
    g_Profiler.EndFrame();
    EXPECT_EQ(g_Profiler.m_dFrameTime, 0.25);

    g_Profiler.m_bEnabled = 1;
    g_Profiler.m_Sections[30].m_dTime = 1.5;
    g_Profiler.BeginFrame();
    EXPECT_EQ(g_Profiler.m_Sections[30].m_dTime, 0.0);
    AdvanceFrames(3);
    g_Profiler.EndFrame();
    EXPECT_NEAR(g_Profiler.m_dFrameTime, 3.0 / 60.0, 1e-12);

    // Every new world needs the console variable set again.
    g_Profiler.Disable();
    EXPECT_EQ(g_Profiler.m_bEnabled, 0);
}

TEST_F(EProfilerTest, StopwatchesRunWhetherOrNotTheProfilerIsEnabled) {
    g_Profiler.StartTimer(7);
    AdvanceFrames(6);
    g_Profiler.StartTimer(8);
    AdvanceFrames(3);
    EXPECT_NEAR(g_Profiler.GetElapsed(7), 9.0 / 60.0, 1e-12);
    EXPECT_NEAR(g_Profiler.GetElapsed(8), 3.0 / 60.0, 1e-12);
}

}  // namespace
