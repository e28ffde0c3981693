#include "app/Launcher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/D3DMain.h"
#include "app/FloorHooks.h"
#include "app/WinMain.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "platform/gfx/NullSystem.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"
#include "support/AppHooks.h"
#include "support/InputTest.h"

namespace fs = std::filesystem;

namespace {

using plat::msg::Command;

class LauncherTest : public test::InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        test::ResetGlobal(g_D3DMain);
        InstallFloorHooks();
        WriteFile("scripts\\text_keys.txt",
                  ">Lt03 Keyboard\n>Lv01 High\n>Lv02 Medium\n>Lv03 Low\n>Lv04 Sharp\n>Lv05 Soft\n>Lv06 Blurred\n"
                  ">Lt09 Start the game!\n>GS27 Draw shadows\n");
        g_TextMgr.Load();
        g_pD3D = gfx::CreateSystem();
        g_bExitChosen = g_bShowLauncherNext = g_bShowVideoOptionsNext = 0;
    }

    void TearDown() override {
        g_pD3D.reset();
        g_TextMgr.Load();
        test::ResetFloorHooks();
        InputTest::TearDown();
    }

    static void Press(plat::WindowHandle dialog, int id, uint32_t code = plat::notify::Clicked) {
        plat::SendWindowMessage(dialog, Command, plat::CommandParam(id, code), 0);
    }

    static void UseModes(std::vector<std::pair<uint32_t, uint32_t>> sizes) {
        gfx::NullBackend().displayModes.clear();
        for (auto [w, h] : sizes) gfx::NullBackend().displayModes.push_back({w, h, 60, gfx::FMT_X8R8G8B8});
    }

    plat::WindowHandle OpenLauncher() {
        plat::WindowHandle d = plat::CreateDialog(LauncherDialogTemplate(), LauncherDlgProc);
        EXPECT_NE(d, nullptr);
        return d;
    }
};

TEST_F(LauncherTest, OffersTheProposedSizesTheAdapterHasAndNeverAZeroSize) {
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, uint32_t>> adapter;
        bool desktopKnown;
        int settingsWidth, settingsHeight;
        std::vector<std::string> offered;
        int selected;
        std::string configAfterStart;
    } cases[] = {
        {"all eleven and more, in the launcher's order",
         {{2048, 1536}, {640, 480}, {1920, 1200}, {1920, 1080}, {1680, 1050}, {1600, 1200}, {1680, 945},
          {1440, 900}, {1366, 768}, {1280, 1024}, {1280, 720}, {1024, 768}},
         true, 1440, 900,
         {"1024x768", "1280x720", "1280x1024", "1366x768", "1440x900", "1680x945", "1600x1200", "1680x1050",
          "1920x1080", "1920x1200", "2048x1536"},
         4, "ScreenWidth 1440\nScreenHeight 900\n"},
        {"some, each once; the settings' size is not among them",
         {{1920, 1080}, {333, 333}, {1366, 768}, {1366, 768}, {1024, 768}}, true, 800, 600,
         {"1024x768", "1366x768", "1920x1080"}, 0, "ScreenWidth 1024\nScreenHeight 768\n"},
        {"none: the desktop's size", {{640, 480}, {800, 600}}, true, 800, 600, {"1024x768"}, 0,
         "ScreenWidth 1024\nScreenHeight 768\n"},
        {"none and no desktop: the settings' size", {{640, 480}}, false, 800, 600, {"800x600"}, 0,
         "ScreenWidth 800\nScreenHeight 600\n"},
        {"nothing at all: the lines stay as they were", {}, false, 0, 0, {}, -1,
         "screenwidth 640\nscreenheight 480\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseModes(c.adapter);
        gfx::NullBackend().displayModeFails = !c.desktopKnown;
        g_Settings.SetScreenSize(c.settingsWidth, c.settingsHeight);
        WriteFile("qv.cfg", "screenwidth 640\nscreenheight 480\n");
        plat::WindowHandle d = OpenLauncher();
        EXPECT_EQ(plat::ComboItems(d, launcher::kResolution), c.offered);
        EXPECT_EQ(plat::ComboGetCurSel(d, launcher::kResolution), c.selected);
        Press(d, launcher::kStart);
        EXPECT_EQ(ReadFile("qv.cfg"), c.configAfterStart);
        plat::DestroyMainWindow(d);
    }
}

TEST_F(LauncherTest, TheSteeringBoxListsTheKeyboardAndEveryControllerAndForgetsAGoneOne) {
    InitControllers({{"Wheel"}, {"Pad"}});
    struct Case {
        int steering;
        int selected;
    } cases[] = {{0, 0}, {2, 2}, {3, 0}, {5, 0}, {-1, 0}};
    for (const Case& c : cases) {
        g_Settings.m_iSteering = c.steering;
        plat::WindowHandle d = OpenLauncher();
        EXPECT_EQ(plat::ComboItems(d, launcher::kSteering), (std::vector<std::string>{"Keyboard", "Wheel", "Pad"}));
        EXPECT_EQ(plat::ComboGetCurSel(d, launcher::kSteering), c.selected) << c.steering;
        EXPECT_EQ(g_Settings.m_iSteering, c.selected) << c.steering;
        plat::DestroyMainWindow(d);
    }
}

TEST_F(LauncherTest, StartTakesTheSteeringAndSkipIntroChosenAndSavesThem) {
    InitControllers({{"Wheel"}, {"Pad"}});
    WriteFile("qv.cfg", "steering 0\n");
    plat::WindowHandle d = OpenLauncher();
    plat::ComboSetCurSel(d, launcher::kSteering, 2);
    plat::CheckDialogButton(d, launcher::kSkipIntro, true);
    Press(d, launcher::kStart);
    EXPECT_EQ(g_Settings.m_iSteering, 2);
    EXPECT_EQ(g_Input.m_iSelectedDevice, 1);  // the second controller
    EXPECT_EQ(g_Settings.m_bSkipIntro, 1);
    EXPECT_EQ(ReadFile("qv.cfg"), "steering 2\n");
    EXPECT_TRUE(Exists("save\\keys.cfg"));
    EXPECT_TRUE(plat::DialogEnded(d));
}

TEST_F(LauncherTest, TheButtonsStoreTheirSizesAndPassControlOn) {
    struct Case {
        const char* what;
        bool windowed;
        int button;
        int width, height;    // the settings afterwards
        std::string config;   // qv.cfg afterwards
        uint8_t exitChosen, videoOptionsNext;
    } cases[] = {
        {"start, full screen", false, launcher::kStart, 1920, 1080, "ScreenWidth 1920\nScreenHeight 1080\n", 0, 0},
        // qv.cfg keeps the choice for full-screen runs; the window and its back buffer stay 800 x 600.
        {"start, windowed", true, launcher::kStart, 800, 600, "ScreenWidth 1920\nScreenHeight 1080\n", 0, 0},
        {"video settings, full screen", false, launcher::kVideoSettings, 1920, 1080,
         "ScreenWidth 1920\nScreenHeight 1080\n", 0, 1},
        {"video settings, windowed", true, launcher::kVideoSettings, 1024, 768, "ScreenWidth 1024\nScreenHeight 768\n",
         0, 1},
        {"exit", false, launcher::kExit, 1280, 720, "screenwidth 640\nscreenheight 480\n", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_bExitChosen = g_bShowVideoOptionsNext = 0;
        g_Settings.m_bWindowed = c.windowed;
        g_Settings.SetScreenSize(1280, 720);
        WriteFile("qv.cfg", "screenwidth 640\nscreenheight 480\n");
        plat::WindowHandle d = OpenLauncher();
        plat::ComboSetCurSel(d, launcher::kResolution, 2);  // 1920x1080 of the null adapter's sizes
        Press(d, c.button);
        EXPECT_EQ(g_Settings.m_iScreenWidth, c.width);
        EXPECT_EQ(g_Settings.m_iScreenHeight, c.height);
        EXPECT_FLOAT_EQ(g_Settings.m_fScaleX, c.width / 1024.0f);
        EXPECT_EQ(ReadFile("qv.cfg"), c.config);
        EXPECT_EQ(g_bExitChosen, c.exitChosen);
        EXPECT_EQ(g_bShowVideoOptionsNext, c.videoOptionsNext);
        EXPECT_EQ(g_bShowLauncherNext, 0);
        EXPECT_TRUE(plat::DialogEnded(d));
        plat::DestroyMainWindow(d);
    }
}

TEST_F(LauncherTest, ClosingEitherDialogsWindowIsTheLaunchersExit) {
    struct Dialog {
        plat::DialogTemplate layout;
        plat::WindowProc procedure;
    } dialogs[] = {{LauncherDialogTemplate(), LauncherDlgProc}, {VideoOptionsDialogTemplate(), VideoOptionsDlgProc}};
    for (const Dialog& dialog : dialogs) {
        g_bExitChosen = 0;
        plat::WindowHandle d = plat::CreateDialog(dialog.layout, dialog.procedure);
        plat::SendWindowMessage(d, plat::msg::Close, 0, 0);
        EXPECT_EQ(g_bExitChosen, 1);
        EXPECT_TRUE(plat::DialogEnded(d));
        EXPECT_EQ(g_bShowLauncherNext, 0);
        plat::DestroyMainWindow(d);
    }
}

class SaveLauncherConfigTest : public LauncherTest {
protected:
    void SetUp() override {
        LauncherTest::SetUp();
        g_DisplayModes.m_iCount = 0;
        AddDisplayMode(1280, 720);
        AddDisplayMode(1920, 1080);
        g_Settings.SetScreenSize(1920, 1080);
        g_Settings.m_iSteering = 0;
    }
};

TEST_F(SaveLauncherConfigTest, RewritesOnlyTheSizeAndSteeringLinesAndRunsThem) {
    std::string longLine = "runworld worlds\\" + std::string(600, 'a') + ".w\n";
    WriteFile("qv.cfg", "Windowed 0\r\n\r\nSCREENWIDTH 640\r\n" + longLine + "\n\tDebug  1 \nScreenHeight\t480\n" +
                            "steering 3\n  screenwidth 1\nFOV 1.1");
    SaveLauncherConfig();
    // Empty lines go, a missing last line end is added; every other line keeps its bytes.
    EXPECT_EQ(ReadFile("qv.cfg"), "Windowed 0\r\nScreenWidth 1920\r\n" + longLine +
                                      "\tDebug  1 \nScreenHeight 1080\nsteering 0\n  screenwidth 1\nFOV 1.1\n");
    EXPECT_FALSE(Exists("qv.bak"));
    float width = 0;
    ASSERT_TRUE(g_Console.GetVariable("ScreenWidth", width));
    EXPECT_EQ(width, 1920.0f);
    EXPECT_EQ(g_Settings.m_iScreenWidth, 1920);
}

TEST_F(SaveLauncherConfigTest, ASizeNotOnOfferSavesTheFirstAndAMissingLineIsNotAdded) {
    g_Settings.SetScreenSize(1024, 768);
    WriteFile("qv.cfg", "Windowed 1\nscreenheight 10\n");
    SaveLauncherConfig();
    EXPECT_EQ(ReadFile("qv.cfg"), "Windowed 1\nScreenHeight 720\n");
    EXPECT_EQ(g_Settings.m_iScreenHeight, 720);
}

TEST_F(SaveLauncherConfigTest, WithoutQvCfgAnOldBackupIsNotBroughtBack) {
    WriteFile("qv.bak", "screenwidth 640\n");
    SaveLauncherConfig();
    EXPECT_FALSE(Exists("qv.cfg"));
    EXPECT_NE(std::string(g_Console.RecentLine(0)).find("could not be copied"), std::string::npos);
}

// Takes away the right to write qv.cfg for its lifetime. Root writes read-only files anyway, so
// the effective user becomes an unprivileged one meanwhile.
class ReadOnlyConfig {
public:
    explicit ReadOnlyConfig(const fs::path& dir) : m_dir(dir) {
        fs::permissions(dir, fs::perms::all);
        fs::permissions(dir / "qv.cfg", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        if (::geteuid() == 0) m_wasRoot = ::seteuid(kNobody) == 0;
    }
    ~ReadOnlyConfig() {
        if (m_wasRoot) {
            EXPECT_EQ(::seteuid(0), 0);
        }
        fs::permissions(m_dir / "qv.cfg", fs::perms::owner_read | fs::perms::owner_write);
    }

private:
    static constexpr uid_t kNobody = 65534;
    fs::path m_dir;
    bool m_wasRoot = false;
};

// The file system takes no file longer than `bytes` for its lifetime (a full disk).
class FullFileSystem {
public:
    explicit FullFileSystem(rlim_t bytes) {
        m_oldSignal = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit{bytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullFileSystem() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        ::signal(SIGXFSZ, m_oldSignal);
    }

private:
    rlimit m_old{};
    sighandler_t m_oldSignal;
};

TEST_F(SaveLauncherConfigTest, AQvCfgThatCannotBeWrittenKeepsItsPreviousSettingsAndSaysSo) {
    // The rewritten lines are longer than the file was: a file system that takes no more than the
    // old size fails the rewrite after the copy to qv.bak succeeded.
    const std::string before = "screenwidth 800\nscreenheight 600\nDebug 1\n";
    struct Case {
        const char* what;
        std::function<std::shared_ptr<void>()> fault;
    } cases[] = {
        {"read-only", [&] { return std::make_shared<ReadOnlyConfig>(Path("")); }},
        {"full", [&] { return std::make_shared<FullFileSystem>(before.size()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile("qv.cfg", before);
        std::string said;
        {
            std::shared_ptr<void> fault = c.fault();
            SaveLauncherConfig();
            said = g_Console.RecentLine(0);
        }
        EXPECT_EQ(ReadFile("qv.cfg"), before);
        EXPECT_FALSE(Exists("qv.bak"));
        EXPECT_NE(said.find("qv.cfg could not be written"), std::string::npos) << said;
    }
}

class VideoOptionsTest : public LauncherTest {
protected:
    plat::WindowHandle Open() {
        plat::WindowHandle d = plat::CreateDialog(VideoOptionsDialogTemplate(), VideoOptionsDlgProc);
        EXPECT_NE(d, nullptr);
        return d;
    }
};

TEST_F(VideoOptionsTest, ShowsTheSettingsAndStoresEveryChangeAtOnce) {
    g_Settings.m_bPostProcess = 0;
    g_Settings.m_bDrawShadows = 1;
    g_Settings.m_bDrawGrass = 1;
    g_Settings.m_bDrawDust = 0;
    g_Settings.m_bDrawBirds = 1;
    g_Settings.m_iShadowQuality = 2;
    g_Settings.m_iWorldTextureQuality = 1;
    g_Settings.m_iAnimatedModelsTextureQuality = 0;
    g_Settings.m_bVideoOptionsConfirmed = 0;
    plat::WindowHandle d = Open();
    EXPECT_EQ(g_Settings.m_bVideoOptionsConfirmed, 1);
    EXPECT_EQ(plat::DialogItemText(d, videooptions::kDrawShadows), "Draw shadows");
    EXPECT_EQ(plat::ComboItems(d, videooptions::kShadowQuality), (std::vector<std::string>{"High", "Medium", "Low"}));
    EXPECT_EQ(plat::ComboItems(d, videooptions::kModelTextureQuality),
              (std::vector<std::string>{"Sharp", "Soft", "Blurred"}));
    EXPECT_EQ(plat::ComboGetCurSel(d, videooptions::kShadowQuality), 2);
    EXPECT_EQ(plat::ComboGetCurSel(d, videooptions::kWorldTextureQuality), 1);

    struct Switch {
        int id;
        u8 ESettings::*field;
        bool shown;
    } switches[] = {{videooptions::kPostProcess, &ESettings::m_bPostProcess, false},
                    {videooptions::kDrawShadows, &ESettings::m_bDrawShadows, true},
                    {videooptions::kDrawGrass, &ESettings::m_bDrawGrass, true},
                    {videooptions::kDrawDust, &ESettings::m_bDrawDust, false},
                    {videooptions::kDrawBirds, &ESettings::m_bDrawBirds, true}};
    for (const Switch& s : switches) {
        EXPECT_EQ(plat::IsDialogButtonChecked(d, s.id), s.shown) << s.id;
        plat::CheckDialogButton(d, s.id, !s.shown);  // as a click leaves it
        Press(d, s.id);
        EXPECT_EQ(g_Settings.*s.field, s.shown ? 0 : 1) << s.id;
    }
    // The shadow quality box works only while shadows are drawn.
    EXPECT_FALSE(plat::IsDialogItemEnabled(d, videooptions::kShadowQuality));
    plat::CheckDialogButton(d, videooptions::kDrawShadows, true);
    Press(d, videooptions::kDrawShadows);
    EXPECT_TRUE(plat::IsDialogItemEnabled(d, videooptions::kShadowQuality));

    plat::ComboSetCurSel(d, videooptions::kModelTextureQuality, 2);
    Press(d, videooptions::kModelTextureQuality, plat::notify::SelectionChange);
    EXPECT_EQ(g_Settings.m_iAnimatedModelsTextureQuality, 2);
    EXPECT_FALSE(plat::DialogEnded(d));
}

TEST_F(VideoOptionsTest, OkSavesTheVideoSettingsAndHandsBackToTheLauncher) {
    g_bShowVideoOptionsNext = 1;
    g_bExitChosen = 1;
    plat::WindowHandle d = Open();
    plat::ComboSetCurSel(d, videooptions::kWorldTextureQuality, 2);
    Press(d, videooptions::kWorldTextureQuality, plat::notify::SelectionChange);
    Press(d, videooptions::kOk);
    EXPECT_TRUE(plat::DialogEnded(d));
    EXPECT_EQ(g_bShowLauncherNext, 1);
    EXPECT_EQ(g_bShowVideoOptionsNext, 0);
    EXPECT_EQ(g_bExitChosen, 0);
    g_Settings.m_iWorldTextureQuality = 0;
    ASSERT_TRUE(g_D3DMain.LoadVideoConfig());
    EXPECT_EQ(g_Settings.m_iWorldTextureQuality, 2);
}

}  // namespace
