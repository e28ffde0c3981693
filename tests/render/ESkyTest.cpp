// The sky: its time-of-day records, the environment following the clock, the accessors and the
// dome's life.
#include "render/ESky.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/EConsole.h"
#include "core/FrameFacts.h"
#include "platform/os/Random.h"
#include "render/EPostProcess.h"
#include "support/FakeEngine.h"
#include "support/RenderPassTest.h"

namespace {

class ESkyTest : public test::RenderPassTest {
protected:
    void SetUp() override {
        RenderPassTest::SetUp();
        test::ResetGlobal(g_PostProcess);
        g_FrameFacts = FrameFacts{};
    }
    // Time passes in steps of a second.
    static void Run(float seconds) {
        g_FrameFacts.frameTime = 1.0f;
        for (float t = 0; t < seconds; t += 1.0f) g_Sky.UpdateFrame();
    }
    static uint32_t Channels(float r, float g, float b) {
        return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
    }
};

TEST_F(ESkyTest, HalfWayBetweenMorningAndNoonTheEnvironmentIsHalfOfEach) {
    Start();
    g_Sky.OnStartWorld();
    g_Sky.m_uPora = 0;
    g_Sky.m_fPoraFraction = 0;
    Run(45);
    EXPECT_NEAR(g_Sky.m_fPoraFraction, 0.5f, 1e-4f);
    EXPECT_NEAR(g_Sky.GetFogFar(0), 1550.0f, 0.1f);
    EXPECT_NEAR(g_Sky.GetFogNear(0), 55.0f, 0.1f);
    EXPECT_NEAR(g_Sky.m_fSkyLightPower, 1.05f, 1e-4f);
    // Colours go through the channel setters, truncated: ambient (150, 160, 205).
    EXPECT_EQ(g_Sky.m_uAmbientColour[0], Channels(150, 160, 205));
    EXPECT_NEAR(g_PostProcess.m_fBloomCone, 4.5f, 1e-4f);
    EXPECT_NEAR(g_PostProcess.m_fBloomPower, 0.8f, 1e-4f);
    // Pitch 50 degrees, yaw 15: the sun shines down at 50 degrees.
    EXPECT_NEAR(g_Sky.m_vSkyLightDirection.y, -std::sin(50.0f * 3.14159265f / 180.0f), 1e-4f);
    float fogR = 0;
    g_Console.GetVariable("FogR", fogR);
    EXPECT_EQ(fogR, 217.0f);
    EXPECT_EQ(test::g_FakeEngine.cameraFarZ, 1000.0f);
}

TEST_F(ESkyTest, EveryNinetySecondsTheNextTimeOfDayComesAndAfterTheLastTheFirst) {
    Start();
    g_Sky.OnStartWorld();
    g_Sky.m_uPora = 6;
    g_Sky.m_fPoraFraction = 0;
    Run(90);
    EXPECT_EQ(g_Sky.m_uPora, 7u);
    EXPECT_EQ(g_Sky.m_fPoraFraction, 0.0f);
    // Noon again: the last record's own values.
    EXPECT_NEAR(g_Sky.GetFogFar(0), 1500.0f, 1e-3f);
    Run(90);
    EXPECT_EQ(g_Sky.m_uPora, 0u);
}

TEST_F(ESkyTest, WithTimeStoppedOnlyTheFirstUpdateSetsTheEnvironment) {
    Start();
    g_Sky.OnStartWorld();
    g_Sky.m_uPora = 4;
    g_Sky.m_bPoryUpdate = 0;
    Run(1);
    EXPECT_EQ(g_Sky.GetFogFar(0), 1000.0f);
    EXPECT_EQ(g_Sky.m_uAmbientColour[0], Channels(100, 120, 130));
    g_Sky.SetFogFar(333.0f, 0);
    test::g_FakeEngine.cameraFarZ = 0;
    Run(200);
    EXPECT_EQ(g_Sky.GetFogFar(0), 333.0f);
    EXPECT_EQ(g_Sky.m_uPora, 4u);
    EXPECT_EQ(g_Sky.m_uUpdateCounter, 201u);
    EXPECT_EQ(test::g_FakeEngine.cameraFarZ, 1000.0f);
}

TEST_F(ESkyTest, FogNearBeyondFogFarIsPutInOrderFirst) {
    Start();
    g_Sky.m_bPoryUpdate = 0;
    g_Sky.m_uUpdateCounter = 1;
    g_Sky.SetFogNear(500.0f, 0);
    g_Sky.SetFogFar(100.0f, 0);
    Run(1);
    EXPECT_EQ(g_Sky.GetFogNear(0), 100.0f);
    EXPECT_EQ(g_Sky.GetFogFar(0), 500.0f);
}

TEST_F(ESkyTest, TheStartingTimeOfDayIsNeverCloudyAndTheIntroStartsInTheEvening) {
    Texture("sky_morning.tga");
    Start();
    std::set<uint32_t> seen;
    for (uint32_t seed = 0; seed < 200; ++seed) {
        plat::SeedRandom(seed);
        g_Sky.SetDefaults();
        seen.insert(g_Sky.m_uPora);
    }
    EXPECT_EQ(seen, (std::set<uint32_t>{0, 1, 3, 4, 5}));
    test::g_FakeEngine.introRunning = true;
    g_Sky.SetDefaults();
    EXPECT_EQ(g_Sky.m_uPora, 3u);
    // The morning sky was found; the others are not installed here.
    EXPECT_NE(g_Sky.m_Pory[0].m_pSkyTexture, nullptr);
    EXPECT_EQ(g_Sky.m_Pory[1].m_pSkyTexture, nullptr);
    EXPECT_TRUE(Logged("Env NIE stworzyl tekstury sky_noon.tga"));
    EXPECT_FALSE(test::g_FakeEngine.quitRequested);
}

TEST_F(ESkyTest, ChannelSettersHoldValuesWithinAByte) {
    struct Case {
        float value;
        uint32_t stored;
    } cases[] = {{300.0f, 255}, {255.9f, 255}, {127.7f, 127}, {-4.0f, 0}, {1e30f, 255}};
    for (const Case& c : cases) {
        g_Sky.SetAmbientLight(0x11223344u, 0);
        g_Sky.SetAmbientLightR(c.value, 0);
        EXPECT_EQ(g_Sky.m_uAmbientColour[0], 0x00003344u | c.stored << 16) << c.value;
        g_Sky.SetSkyLightColourB(c.value);
        EXPECT_EQ(g_Sky.m_uSkyLightColour & 0xFF, c.stored) << c.value;
        g_Sky.SetFogColourG(c.value, 0);
        float g = 0;
        g_Sky.GetFogColourG(g, 0);
        EXPECT_EQ(g, static_cast<float>(c.stored)) << c.value;
    }
}

TEST_F(ESkyTest, FogColourOfAnotherSetLeavesTheConsoleButReachesTheCamera) {
    g_Console.SetVariable("FogR", 1.0f, 0);
    g_Sky.SetFogColour(0x00FF8040u, 2);
    float fogR = 0;
    g_Console.GetVariable("FogR", fogR);
    EXPECT_EQ(fogR, 1.0f);
    EXPECT_EQ(test::g_FakeEngine.clearColour, 0x00FF8040u);
    uint32_t colour = 0;
    g_Sky.GetFogColour(colour, 9);  // any set past 3 is set 0
    EXPECT_EQ(colour, 0u);
    g_Sky.SetAmbientLight(0x00FF8000u, 0);
    float vector[4] = {};
    g_Sky.GetAmbientLightVector(vector);
    EXPECT_FLOAT_EQ(vector[0], 1.0f);
    EXPECT_FLOAT_EQ(vector[1], 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(vector[3], 0.0f);
}

TEST_F(ESkyTest, TheDomeIsMadeByTheEngineAndGoesWithTheWorld) {
    DrawVisibility dome;
    test::g_FakeEngine.skyDome = &dome;
    g_Sky.CreateSkyDome("meshes\\sky.x");
    EXPECT_EQ(g_Sky.m_pSkyDome, &dome);
    g_Sky.CreateSkyDome("meshes\\sky.x");
    EXPECT_EQ(test::g_FakeEngine.deletedObjects, 1);
    g_Sky.OnEndWorld();
    EXPECT_EQ(g_Sky.m_pSkyDome, nullptr);
    EXPECT_EQ(test::g_FakeEngine.deletedObjects, 2);
}

TEST_F(ESkyTest, AMissingDomeIsReportedOnlyWhileAWorldRuns) {
    auto reports = [this] {
        const std::vector<std::string> lines = ReadLines("!console.txt");
        return std::count(lines.begin(), lines.end(), "Nie ma mesha sky");
    };
    // The start-up frame, before any world: nothing to draw and nothing missing.
    g_Sky.RenderSky(0);
    EXPECT_EQ(reports(), 0);
    // A world that named no dome: reported every frame, not drawn.
    g_Sky.OnStartWorld();
    g_Sky.RenderSky(0);
    g_Sky.RenderSky(0);
    EXPECT_EQ(reports(), 2);
    // Between worlds there is none to miss.
    g_Sky.OnEndWorld();
    g_Sky.RenderSky(0);
    EXPECT_EQ(reports(), 2);
}

}  // namespace
