#include "app/WinMain.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/Launcher.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Backends.h"
#include "platform/os/MessageBox.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "support/TestSupport.h"
#include "support/TextureFiles.h"
#include "world/EEngine.h"

namespace {

class WinMainTest : public test::StartDirTest {
protected:
    void SetUp() override {
        StartDirTest::SetUp();
        test::ResetGlobal(g_Settings);
        test::ResetGlobal(g_Console);
        test::ResetGlobal(g_Engine);
        test::ResetGlobal(g_MainGame);
        test::ResetGlobal(g_Menu);
        test::ResetGlobal(g_FocusMgr);
        test::ResetGlobal(g_D3DMain);
        // A title of this process's own: tests in other processes hold their own windows meanwhile.
        WriteFile("scripts\\text_keys.txt", ">GameName Furrow unit test " + std::to_string(::getpid()) + "\n");
        g_TextMgr.Load();
        WriteFile("qv.cfg", "Windowed 1\n");
        test::WriteScreenTextures(m_dir.path());
    }

    void TearDown() override {
        g_TextMgr.Load();
        StartDirTest::TearDown();
    }

    int RunWithInput(const std::string& script) {
        WriteFile("input.txt", script);
        plat::BackendChoice choice = plat::Backends();
        choice.input = plat::InputBackend::Script;
        choice.inputScript = Path("input.txt").string();
        plat::SetBackends(choice);
        return WinMain(nullptr, nullptr, "", 1);
    }
};

TEST_F(WinMainTest, CreatesTheDeviceAndDrawsAFirstFrameBeforeTheGameStarts) {
    EXPECT_EQ(RunWithInput("3 close\n"), 0);
    const std::vector<std::string>& calls = gfx::NullBackend().calls;
    std::vector<std::string> firstCalls(calls.begin(), calls.begin() + std::min<size_t>(calls.size(), 7));
    // Creation, the reset with the depth format found, the creation frame, then the start frame.
    EXPECT_EQ(firstCalls, (std::vector<std::string>{"CreateDevice", "Reset", "Clear", "BeginScene", "EndScene",
                                                    "Present", "Clear"}));
}

TEST_F(WinMainTest, MessagesNeverCountAsFramesAndTheWorldStartsAtTheEndOfTheFirstFrame) {
    for (int burst : {0, 40}) {
        SetUp();
        std::string script;
        for (int i = 0; i < burst; ++i) script += "5 mousemove 1 1\n";
        script += "10 close\n";
        WriteFile("worlds\\test.w", "world_general_properties\r\n");
        ASSERT_EQ(RunWithInput(script), 0);
        // Frames 1 to 9 ran; frame 10's pass took the close and ended the loop. The engine and the
        // main game counted frame 1 before the world started at its end, then counted from 0 again.
        EXPECT_EQ(g_MainGame.m_uFrameCounter, 8u) << burst;
        EXPECT_EQ(g_Engine.m_uFrameCounter, 8u) << burst;
        TearDown();
    }
}

TEST_F(WinMainTest, ASecondStartLeavesAtOnceTouchingNothing) {
    WriteFile("!error.txt", "from the running instance\n");
    std::strncpy(g_szTitle, g_TextMgr.GetText(">GameName"), sizeof g_szTitle - 1);
    plat::RegisterWindowClass({g_szTitle, WndProc});
    plat::WindowHandle running = plat::CreateMainWindow({g_szTitle, g_szTitle, true, 800, 600});
    ASSERT_NE(running, nullptr);

    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
    EXPECT_EQ(plat::MainWindow(), running);  // no second window
    EXPECT_TRUE(Exists("!error.txt"));       // the previous run's reports are kept
    EXPECT_EQ(g_Settings.m_bWindowed, 0);    // qv.cfg was not run
    EXPECT_FALSE(Exists("!console.txt"));     // nor the log begun
}

TEST_F(WinMainTest, DestroyQuitsEvenBeforeTheDeviceHasFocus) {
    ASSERT_EQ(g_FocusMgr.m_bOnFocus, 0);
    g_bQuitOnce = 0;
    WndProc(nullptr, plat::msg::Destroy, 0, 0);
    EXPECT_EQ(g_bQuitOnce, 1);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::msg::Quit);
}

TEST_F(WinMainTest, RequestQuitReleasesOnlyOnce) {
    g_bQuitOnce = 0;
    g_MainGame.m_bRunning = 1;
    RequestQuit();
    EXPECT_EQ(g_MainGame.m_bRunning, 0);  // the release path stopped the game
    g_MainGame.m_bRunning = 1;
    RequestQuit();
    EXPECT_EQ(g_MainGame.m_bRunning, 1);  // and does not run a second time
}

TEST_F(WinMainTest, TheEnginesQuitFlagEndsTheLoopWithExitCodeZero) {
    // No close in the script: the loop must end on the engine's flag, set here by the game start.
    g_Engine.m_bQuit = 1;
    EXPECT_EQ(RunWithInput(""), 0);
    EXPECT_NE(ReadFile("!console.txt").find("Farewell"), std::string::npos);
}

TEST_F(WinMainTest, AnErrorThatEndsTheRunIsSaidAfterTheShutDownAndFailsTheProgram) {
    // Two models whose names no game file can have: the first one's reason is the one shown.
    WriteFile("worlds\\test.w", "mesh bad+name.x\r\nmesh worse+name.x\r\n");
    EXPECT_EQ(RunWithInput("100 close\n"), 1);
    EXPECT_EQ(plat::LastMessageBoxText().rfind("The game stopped after an error: The model file name \"bad+name.x\"", 0),
              0u)
        << plat::LastMessageBoxText();
    const std::string log = ReadFile("!console.txt");
    const size_t said = log.find("The game stops after this frame: The model file name \"bad+name.x\"");
    ASSERT_NE(said, std::string::npos) << log;
    EXPECT_LT(said, log.find("Farewell")) << log;
    EXPECT_EQ(g_MainGame.m_uFrameCounter, 0u);  // no frame ran after the world's start
}

TEST_F(WinMainTest, AStartThatCannotGoOnSaysWhyAndFails) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        const char* said;
    } cases[] = {
        {"no text keys", [this] { std::filesystem::remove(Path("scripts\\text_keys.txt")); }, "text_keys.txt"},
        {"no device", [] { gfx::NullBackend().displayModeFails = true; }, "graphics device"},
    };
    for (const auto& c : cases) {
        SetUp();
        c.arrange();
        g_TextMgr.Load();
        EXPECT_EQ(RunWithInput("3 close\n"), 1) << c.what;
        EXPECT_NE(plat::LastMessageBoxText().find(c.said), std::string::npos)
            << c.what << ": " << plat::LastMessageBoxText();
        TearDown();
    }
}

TEST_F(WinMainTest, WindowedSettingGivesACaptioned800x600WindowOtherwiseA1x1Popup) {
    struct Case {
        const char* config;
        bool caption;
        int width, height;
    } cases[] = {{"Windowed 1\nscreenwidth 1280\nscreenheight 1024\n", true, 800, 600},
                 {"Windowed 0\n", false, 1, 1}};
    for (const Case& c : cases) {
        SetUp();
        WriteFile("qv.cfg", c.config);
        // Leave before the device exists: no graphics system at all.
        gfx::NullBackend().systemUnavailable = true;
        EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 1);
        EXPECT_EQ(plat::LastMessageBoxText(), "DX9.0c or newer could not have been found!");
        plat::WindowHandle w = plat::MainWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(plat::WindowHasCaption(w), c.caption);
        EXPECT_EQ(plat::WindowWidth(w), c.width);
        EXPECT_EQ(plat::WindowHeight(w), c.height);
        TearDown();
    }
}

// A left click in the middle of a place of the dialog in front, before the first frame.
std::string ClickAt(const plat::ControlRect& r) {
    std::string at = std::to_string(r.x + r.width / 2) + " " + std::to_string(r.y + r.height / 2) + "\n";
    return "0 mousedown 0 " + at + "0 mouseup 0 " + at;
}

std::string Click(const plat::DialogTemplate& dialog, int id) {
    for (const plat::ControlTemplate& c : dialog.controls)
        if (c.id == id) return ClickAt(c.place);
    ADD_FAILURE() << "no control " << id;
    return "";
}

// Opens the launcher's resolution list and clicks one of its entries.
std::string PickResolution(int entry, int entries) {
    plat::DialogTemplate launcherDialog = LauncherDialogTemplate();
    std::string script = Click(launcherDialog, launcher::kResolution);
    for (const plat::ControlTemplate& c : launcherDialog.controls)
        if (c.id == launcher::kResolution)
            script += ClickAt(plat::ComboListRow(launcherDialog.height, c.place, entries, entry));
    return script;
}

TEST_F(WinMainTest, AScriptedLauncherPicksASizeAndTheGameRunsAtIt) {
    struct Case {
        const char* what;
        bool windowed;
        bool scripted;
        uint32_t width, height;  // the back buffer
        std::string configSize;  // the screen-size lines of qv.cfg afterwards
    } cases[] = {
        {"full screen", false, true, 1024, 768, "ScreenWidth 1024\nScreenHeight 768\n"},
        {"windowed", true, true, 800, 600, "ScreenWidth 1024\nScreenHeight 768\n"},
        {"no dialog input: as configured", false, false, 1920, 1080, "screenwidth 1920\nscreenheight 1080\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        std::string config = std::string("Windowed ") + (c.windowed ? "1" : "0") +
                             "\nscreenwidth 1920\nscreenheight 1080\nsteering 0\n";
        WriteFile("qv.cfg", config);
        g_D3DMain.SetVideoDefaults();
        // The null adapter offers 1024x768, 1280x720 and 1920x1080 of the launcher's sizes.
        std::string script = c.scripted ? PickResolution(0, 3) + Click(LauncherDialogTemplate(), launcher::kStart) : "";
        g_Engine.m_bQuit = 1;  // the game stops as soon as it has started
        ASSERT_EQ(RunWithInput(script), 0);
        EXPECT_EQ(g_d3dpp.backBufferWidth, c.width);
        EXPECT_EQ(g_d3dpp.backBufferHeight, c.height);
        if (c.windowed) {
            EXPECT_EQ(plat::WindowWidth(g_hWnd), 800);
            EXPECT_EQ(plat::WindowHeight(g_hWnd), 600);
        }
        EXPECT_EQ(ReadFile("qv.cfg"), config.substr(0, config.find('\n') + 1) + c.configSize + "steering 0\n");
        TearDown();
    }
}

TEST_F(WinMainTest, ExitInTheLauncherEndsTheProgramBeforeAnyDevice) {
    g_D3DMain.SetVideoDefaults();
    EXPECT_EQ(RunWithInput(Click(LauncherDialogTemplate(), launcher::kExit) + "5 close\n"), 0);
    const std::vector<std::string>& calls = gfx::NullBackend().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "CreateDevice"), 0);
    EXPECT_EQ(g_bQuitOnce, 1);
}

TEST_F(WinMainTest, WithoutSavedVideoSettingsTheVideoOptionsComeFirstThenTheLauncher) {
    plat::DialogTemplate videoOptions = VideoOptionsDialogTemplate();
    plat::DialogTemplate launcherDialog = LauncherDialogTemplate();
    std::string script = Click(videoOptions, videooptions::kDrawGrass) + Click(videoOptions, videooptions::kOk) +
                         Click(launcherDialog, launcher::kSkipIntro) + Click(launcherDialog, launcher::kStart) +
                         "3 close\n";
    ASSERT_EQ(RunWithInput(script), 0);
    EXPECT_EQ(g_Settings.m_bSkipIntro, 1);  // the launcher had its clicks
    std::string saved = ReadFile("save\\video.cfg");
    ASSERT_EQ(saved.size(), D3DMain::kVideoConfigSize);
    EXPECT_EQ(saved[19], 0);  // grass switched off
    const std::vector<std::string>& calls = gfx::NullBackend().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "CreateDevice"), 1);
}

}  // namespace
