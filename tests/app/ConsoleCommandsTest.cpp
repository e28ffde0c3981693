// The console's command executor: what each command does to the settings and the components, and
// how the executor ends.
#include "app/ConsoleCommands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "app/FloorHooks.h"
#include "core/EConsole.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "game/CHudPanel.h"
#include "game/CProfileMgr.h"
#include "render/EPostProcess.h"
#include "render/ESky.h"
#include "support/AppHooks.h"
#include "support/ConsoleLogTest.h"
#include "vehicles/CPlayer.h"
#include "world/BezierMgr.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace {

class ConsoleCommandsTest : public test::ConsoleLogTest {
protected:
    void SetUp() override {
        ConsoleLogTest::SetUp();
        ResetComponents();
        InstallFloorHooks();
    }
    void TearDown() override {
        ResetComponents();
        // Commands switch the allocation registry on; left on, the globals destroyed at exit would
        // report their tags as unmatched to a console that is gone by then.
        test::ResetGlobal(g_Settings);
        test::ResetFloorHooks();
        ConsoleLogTest::TearDown();
    }
    static void ResetComponents() {
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_Sky);
        test::ResetGlobal(g_Camera);
        test::ResetGlobal(g_Player);
        test::ResetGlobal(g_ProfileMgr);
        test::ResetGlobal(g_HudPanel);
        test::ResetGlobal(g_Profiler);
        test::ResetGlobal(g_RoutesMgr);
        test::ResetGlobal(g_PostProcess);
    }
    static void Run(const char* name, const char* value, uint8_t flag = 0) {
        g_Console.ExecuteCommand(name, value, flag);
    }
    static float Variable(const char* name) {
        float value = -1;
        g_Console.GetVariable(name, value);
        return value;
    }
    static EObjectSlot& Object(int slot, const char* name) {
        EObjectSlot& object = g_Engine.m_Objects[slot];
        object.m_bUsed = 1;
        std::snprintf(object.m_szName, sizeof object.m_szName, "%s", name);
        return object;
    }
    bool Logged(const std::string& line) const {
        for (const std::string& l : ConsoleLines())
            if (l == line) return true;
        return false;
    }
};

struct Case {
    const char* name;
    const char* value;
    std::function<bool()> holds;
};

TEST_F(ConsoleCommandsTest, SettingsCommandsReadSwitchesIntegersAndFloats) {
    const Case cases[] = {
        {"Windowed", "1", [] { return g_Settings.m_bWindowed == 1; }},
        {"WINDOWED", "7", [] { return g_Settings.m_bWindowed == 1; }},  // any non-zero, any case
        {"UpdateZawody", "0", [] { return g_Settings.m_bUpdateZawody == 0; }},
        {"sound", "-1", [] { return g_Settings.m_bSound == 1; }},
        {"DrawSky", "abc", [] { return g_Settings.m_bDrawSky == 0; }},  // not a number reads as 0
        {"Difficulty", "2", [] { return g_Settings.m_iDifficulty == 2; }},
        {"screenwidth", "1024", [] { return g_Settings.m_iScreenWidth == 1024; }},
        {"Debug", "99999999999", [] { return g_Settings.m_iDebug == 2147483647; }},
        {"GlobalTimeSpeed", "2.5", [] { return g_Settings.m_fGlobalTimeSpeed == 2.5f; }},
        {"MuchaSpeed", "12.25", [] { return g_Settings.m_fMuchaSpeed == 12.25f; }},
        {"DebugLights", "3.9", [] { return g_Settings.m_iDebugLights == 3; }},
        {"DebugLights", "1e30", [] { return g_Settings.m_iDebugLights == 2147483647; }},
        {"DrawProjectors", "0",
         [] { return g_Settings.m_bDrawProjectors == 0 && g_Settings.m_bDrawProjectors2 == 0; }},
        {"FOV", "0.8", [] { return g_Settings.m_fFOV == 0.8f && g_Settings.m_fBaseFOV == 0.8f; }},
        {"OstatniaTrasa", "3", [] { return g_Settings.m_iOstatniaTrasa == 3 && g_RoutesMgr.m_iCurrentRoute == 3; }},
        {"numconsolelines", "12", [] { return g_Console.m_iNumConsoleLines == 12; }},
        {"numconsolelines", "500", [] { return g_Console.m_iNumConsoleLines == EConsole::kOutputLines; }},
        {"numconsolelines", "-3", [] { return g_Console.m_iNumConsoleLines == 0; }},
        {"SystemDebug", "1", [] { return g_Settings.m_iSystemDebug == 1; }},
    };
    for (const Case& c : cases) {
        Run(c.name, c.value);
        EXPECT_TRUE(c.holds()) << c.name << " " << c.value;
    }
}

TEST_F(ConsoleCommandsTest, ComponentCommandsReachTheSkyCameraProfileAndHud) {
    const Case cases[] = {
        {"PoryUpdate", "0", [] { return g_Sky.m_bPoryUpdate == 0; }},
        {"Pory", "5", [] { return g_Sky.m_uPora == 5 && g_Sky.m_fPoraFraction == 0 && g_Sky.m_uUpdateCounter == 0; }},
        {"Pory", "8", [] { return g_Sky.m_uPora == 0; }},
        {"SkyFogHeight", "1200", [] { return g_Sky.m_fSkyFogHeight == 1200.0f; }},
        {"SkyFogCoef", "0.25", [] { return g_Sky.m_fSkyFogCoef == 0.25f; }},
        {"SkyLightPower", "1.5", [] { return g_Sky.m_fSkyLightPower == 1.5f; }},
        {"DrawFog", "1", [] { return g_Sky.m_bFog == 1; }},
        {"DrawFog", "0", [] { return g_Sky.m_bFog == 0; }},
        {"fogfar", "900", [] { return g_Sky.GetFogFar(0) == 900.0f; }},
        {"fognear", "40", [] { return g_Sky.GetFogNear(0) == 40.0f; }},
        {"fogg", "128", [] { return g_Sky.m_uFogColour[0] == 0x00008000u && Variable("FogG") == 128.0f; }},
        {"Fog", "10 20 30", [] { return g_Sky.m_uFogColour[0] == 0x000A141Eu; }},
        {"ambientr", "300", [] { return g_Sky.m_uAmbientColour[0] == 0x00FF0000u; }},  // over-bright stays full
        {"ambient", "1 2 3", [] { return g_Sky.m_uAmbientColour[0] == 0x00010203u; }},
        {"skylightb", "255.9", [] { return g_Sky.m_uSkyLightColour == 0x000000FFu; }},
        {"SkyLight", "250 210 150", [] { return g_Sky.m_uSkyLightColour == 0x00FAD296u; }},
        {"farz", "700", [] { return g_Camera.m_fFarZ == 700.0f; }},
        {"Gamma", "5", [] { return g_Camera.m_fGamma == 3.0f && g_Camera.m_fGammaG == 3.0f; }},
        {"GammaR", "0.1", [] { return g_Camera.m_fGammaR == 0.1f && g_Camera.m_fGammaG == 3.0f; }},
        {"GammaB", "1.25", [] { return g_Camera.m_fGammaB == 1.25f && g_Camera.m_fGamma == 3.0f; }},
        {"gimme", "250", [] { return g_ProfileMgr.m_pCurrentProfile->m_iMoney == 21250; }},  // on top of the start money
        {"gimme", "2147483647", [] { return g_ProfileMgr.m_pCurrentProfile->m_iMoney == 2147483647; }},  // held, not wrapped
        {"WideScreen", "1", [] { return g_HudPanel.m_bWideScreen == 1; }},
        {"Profiler", "1", [] { return g_Profiler.m_bEnabled == 1; }},
        {"koniec", "1", [] { return g_Player.m_bFadeStarted == 1 && g_Player.m_bDrivingEnabled == 0; }},
    };
    for (const Case& c : cases) {
        Run(c.name, c.value);
        EXPECT_TRUE(c.holds()) << c.name << " " << c.value;
    }
}

TEST_F(ConsoleCommandsTest, BloomTakesBothValuesFromTheVariables) {
    Run("BloomCone", "4");
    EXPECT_EQ(g_PostProcess.m_fBloomCone, 4.0f);
    EXPECT_EQ(g_PostProcess.m_fBloomPower, 0.0f);
    Run("BloomPower", "0.6");
    EXPECT_EQ(g_PostProcess.m_fBloomCone, 4.0f);
    EXPECT_EQ(g_PostProcess.m_fBloomPower, 0.6f);
}

TEST_F(ConsoleCommandsTest, LightDirectionsFollowRotationAndPitchInDegrees) {
    Run("SkyLightRotation", "90");
    EXPECT_NEAR(g_Sky.m_vSkyLightDirection.x, 1.0f, 1e-5f);
    EXPECT_NEAR(g_Sky.m_vSkyLightDirection.y, 0.0f, 1e-5f);
    EXPECT_NEAR(g_Sky.m_vSkyLightDirection.z, 0.0f, 1e-5f);
    Run("SkyLightPitch", "90");  // the rotation is read back from its variable
    EXPECT_NEAR(g_Sky.m_vSkyLightDirection.x, 0.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(g_Sky.m_vSkyLightDirection.y), 1.0f, 1e-5f);
    // The lens flare has variables of its own.
    EXPECT_EQ(g_Sky.m_vLensFlareDirection, (DV{-1.0f, -0.5f, 0.5f}));
    Run("LensFlarePitch", "0");
    EXPECT_NEAR(g_Sky.m_vLensFlareDirection.z, 1.0f, 1e-5f);
}

TEST_F(ConsoleCommandsTest, CommandsExceptTheEndingOnesClearFogAmbientAndSkyLight) {
    struct Ending {
        const char* name;
        const char* value;
        uint8_t flag;
        bool clears;
    } cases[] = {
        {"God", "1", 0, true},
        {"Fog", "10 20 30", 0, true},
        {"NotACommand", "5", 0, true},
        {"runworld", "worlds\\a.w", 1, true},
        {"runworld", "worlds\\a.w", 0, false},
        {"WipeOut", "100000", 0, false},
        {"Action", "nobody", 0, false},
    };
    for (const Ending& c : cases) {
        for (const char* name : {"Fog", "Ambient", "SkyLight"}) g_Console.SetVariable(name, 5.0f, 0);
        Run(c.name, c.value, c.flag);
        float expected = c.clears ? 0.0f : 5.0f;
        EXPECT_EQ(Variable("Fog"), expected) << c.name << " flag " << int(c.flag);
        EXPECT_EQ(Variable("Ambient"), expected) << c.name;
        EXPECT_EQ(Variable("SkyLight"), expected) << c.name;
    }
}

TEST_F(ConsoleCommandsTest, RunworldFromTheConfigurationOnlyRecordsTheWorld) {
    Run("runworld", "worlds\\farm.w", 1);
    EXPECT_STREQ(g_Settings.m_szWorldName, "worlds\\farm.w");
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "");
    Run("runworld", "worlds\\other.w", 0);
    EXPECT_STREQ(g_Settings.m_szWorldName, "worlds\\other.w");
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "worlds\\other.w");
}

TEST_F(ConsoleCommandsTest, AWorldNameTooLongForTheSettingsIsRefusedWhole) {
    std::string longName = "worlds\\" + std::string(100, 'w') + ".w";
    Run("runworld", longName.c_str(), 0);
    EXPECT_STREQ(g_Settings.m_szWorldName, "worlds\\test.w");
    EXPECT_STREQ(g_Engine.m_szPendingWorld, "");
    EXPECT_TRUE(Logged("World name too long: " + longName));
    std::string fits = std::string(79, 'a');
    Run("runworld", fits.c_str(), 1);
    EXPECT_EQ(g_Settings.m_szWorldName, fits);
}

TEST_F(ConsoleCommandsTest, DeleteCommandsMarkTheMatchingObjectsInUseAndCountThem) {
    Object(1, "tree").m_uFlags = FLAG_NOT_IMPORTANT;
    Object(2, "house").m_uFlags = FLAG_VISIBLE;
    Object(3, "Big_WINDOWS_01");
    Object(4, "bush").m_uFlags = FLAG_NOT_IMPORTANT | FLAG_VISIBLE;
    g_Engine.m_Objects[5].m_uFlags = FLAG_NOT_IMPORTANT;  // a free slot
    std::snprintf(g_Engine.m_Objects[5].m_szName, 64, "windows");

    Run("DeleteNotImportant", "0");
    EXPECT_EQ(g_Engine.m_Objects[1].m_bToDelete, 0);
    Run("DeleteNotImportant", "1");
    EXPECT_TRUE(Logged("Deleted NotImportant: 2"));
    Run("DeleteWindows", "1");
    EXPECT_TRUE(Logged("Deleted windows: 1"));
    const int marked[] = {0, 1, 0, 1, 1, 0};
    for (int slot = 0; slot < 6; ++slot) EXPECT_EQ(g_Engine.m_Objects[slot].m_bToDelete, marked[slot]) << slot;
}

TEST_F(ConsoleCommandsTest, SectorCommandsHideAndShowTheSectorsObjects) {
    Object(1, "a").m_iSector = 7;
    Object(2, "b").m_iSector = 7;
    Object(3, "c").m_iSector = 8;
    Object(4, "d").m_iSector = 0;
    Run("SectorHide", "7");
    Run("SectorHide", "0");  // sector 0 is no sector
    EXPECT_EQ(g_Engine.m_Objects[1].m_bHidden, 1);
    EXPECT_EQ(g_Engine.m_Objects[2].m_bHidden, 1);
    EXPECT_EQ(g_Engine.m_Objects[3].m_bHidden, 0);
    EXPECT_EQ(g_Engine.m_Objects[4].m_bHidden, 0);
    Run("SectorHide", "8");
    Run("SectorShow", "7");
    EXPECT_EQ(g_Engine.m_Objects[1].m_bHidden, 0);
    EXPECT_EQ(g_Engine.m_Objects[3].m_bHidden, 1);
    Run("SectorShowAll", "1");
    EXPECT_EQ(g_Engine.m_Objects[3].m_bHidden, 0);
}

TEST_F(ConsoleCommandsTest, WipeOutDeletesWhatLiesAtLeastTheDistanceBeyondItsRadius) {
    g_Camera.m_vPosition = DV{10, 0, 0};
    EObjectSlot& near = Object(1, "near");
    near.m_vPosition = DV{70.9f, 0, 0};  // 60.9 away, truncated to 60, less radius 10: 50
    near.m_fRadius = 10;
    EObjectSlot& inside = Object(2, "inside");
    inside.m_vPosition = DV{69.0f, 0, 0};  // 59 - 10 = 49
    inside.m_fRadius = 10;
    Object(3, "dome").m_vPosition = DV{1e11f, 1e11f, 1e11f};
    Run("WipeOut", "50");
    EXPECT_EQ(near.m_bUsed, 0);
    EXPECT_EQ(inside.m_bUsed, 1);
    EXPECT_EQ(g_Engine.m_Objects[3].m_bUsed, 0);
    EXPECT_TRUE(Logged("WipeOut complete for 50.000000"));
}

TEST_F(ConsoleCommandsTest, GenerujPlotkiLaysFencesAlongEveryRoad) {
    g_BezierMgr.ReadPaths("bezier_node skrot\r\nnr 1\r\npos 0 0 0\r\nroad_beginning 1\r\nnext_in_path_nr -1\r\n");
    Run("GenerujPlotki", "1");
    g_BezierMgr.Release();
    EXPECT_TRUE(Logged("GenerujPlotkiBeziera"));
    EXPECT_TRUE(Logged("Brak beziera"));
}

TEST_F(ConsoleCommandsTest, ActionsAndScenesReportWhatTheyStart) {
    Object(1, "Gate");
    g_Settings.m_iDebug = 1;
    Run("Action", "gate");
    Run("Action", "nobody");
    Run("Cutscene", "intro");
    EXPECT_TRUE(Logged("EEngine: Odpalam akcje na gate"));
    EXPECT_TRUE(Logged("EEngine chce akcje, ale nie znaleziono obiektu nobody"));
    EXPECT_TRUE(Logged("StartScene intro"));
    EXPECT_TRUE(Logged("Scene NOT found!"));
}

TEST_F(ConsoleCommandsTest, DropDebugDumpsTheAllocationsAndMakesNoVariable) {
    g_Settings.m_iSystemDebug = 1;
    for (const char* value : {"", "1"}) {
        Run("DropDebug", value);
        EXPECT_EQ(g_Console.FindVariable("DropDebug"), nullptr);
    }
    std::vector<std::string> lines = ConsoleLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "............");
    EXPECT_EQ(lines[1], "*** Current memory allocations:");
}

TEST_F(ConsoleCommandsTest, ANameWithoutAValueDoesNothing) {
    Run("Windowed", "");
    Run("", "1");
    EXPECT_EQ(g_Settings.m_bWindowed, 0);
    EXPECT_EQ(g_Console.FindVariable("Windowed"), nullptr);
    EXPECT_EQ(g_Console.FindVariable("Fog"), nullptr);
}

}  // namespace
