#include "world/EEngine.h"

#include <gtest/gtest.h>

#include "core/EProfiler.h"
#include "support/TestSupport.h"

namespace {

TEST(EEngine, InitRegistersTheProfilerSectionsAndEveryWorldSwitchesTheProfilerOff) {
    test::ResetPlatform();
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_Profiler);
    g_Engine.Init(nullptr);
    EXPECT_TRUE(g_Profiler.m_Sections[200].m_bUsed);
    g_Profiler.m_bEnabled = 1;
    g_Engine.BeginWorld();
    EXPECT_EQ(g_Profiler.m_bEnabled, 0);
    test::ResetGlobal(g_Engine);
    test::ResetGlobal(g_Profiler);
}

}  // namespace
