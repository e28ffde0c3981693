#include "app/WinMain.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "app/D3DMain.h"
#include "app/EFocusMgr.h"
#include "app/FloorHooks.h"
#include "app/Launcher.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EInput.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/FrameFacts.h"
#include "core/QueryAppTimer.h"
#include "game/CLoadingScreen.h"
#include "game/CMainGame.h"
#include "game/CProfileMgr.h"
#include "game/CMenu.h"
#include "platform/gfx/Device.h"
#include "platform/os/Files.h"
#include "platform/os/MessageBox.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Random.h"
#include "platform/os/Window.h"
#include "render/CTTFonts.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

void* g_hInstance = nullptr;
plat::WindowHandle g_hWnd = nullptr;
uint8_t g_bQuitOnce = 0;
char g_szTitle[256] = {};
uint8_t g_bShowLauncherNext = 0;
uint8_t g_bShowVideoOptionsNext = 0;
uint8_t g_bExitChosen = 0;

namespace {

constexpr const char* kPreviousRunReports[] = {"!error.txt", "!anims.txt",    "!subsets.txt",
                                               "!techs.txt", "!textures.txt", "!variables.txt"};
constexpr const char* kMessageCaption = "Qv message";
constexpr int kStartFailed = 1;

// Profiler sections of the frame.
constexpr int kSectionEngineUpdate = 0;
constexpr int kSectionGameUpdate = 200;
// Stopwatches of the performance report.
constexpr int kTimerUpdateTotal = 407;
constexpr int kTimerFrame = 401;

// Why an error ended the run (the first error that asked to quit); empty while none did.
std::string g_errorQuitReason;

// A start that cannot go on, or a run an error ended, says why in the message box (which a
// headless run writes to stderr), and ends the program with a failure code.
int FailStart(const std::string& why) {
    plat::ShowMessageBox(why, kMessageCaption);
    return kStartFailed;
}

std::string NoWindowReason() {
    if (!g_szTitle[0])
        return "The game's title (text key \">GameName\" of scripts\\text_keys.txt) is missing, so there is "
               "no window to open.";
    return std::string("The window \"") + g_szTitle + "\" could not be created.";
}

void EarlyShutdown() {
    g_TTFonts.RemoveFontResources();
    g_Input.Release();
    plat::PostQuitMessage(0);
}

void RunLauncher() {
    g_bExitChosen = 0;
    if (g_D3DMain.LoadVideoConfig()) g_bShowLauncherNext = 1;
    else g_bShowVideoOptionsNext = 1;
    for (;;) {
        if (g_bShowLauncherNext) {
            g_bShowLauncherNext = 0;
            RunLauncherDialog(g_hWnd);
        } else if (g_bShowVideoOptionsNext) {
            g_bShowVideoOptionsNext = 0;
            RunVideoOptionsDialog(g_hWnd);
        } else {
            break;
        }
    }
}

}  // namespace

void RunFrame() {
    if (!g_FocusMgr.CheckFocus()) return;
    if (!g_Engine.UpdateTimer()) return;
    g_FrameFacts.frameTime = g_Engine.m_fFrameTime;
    g_Profiler.BeginFrame();
    g_Profiler.Begin(kSectionEngineUpdate);
    g_Engine.Update();
    g_Profiler.End(kSectionEngineUpdate);
    if (g_Settings.m_bDebugPerformance) {
        g_Debug.m_dUpdateTotalTime = g_Debug.GetTimerElapsed(kTimerUpdateTotal);
        g_Debug.StartTimer(kTimerFrame);
    }
    g_Profiler.Begin(kSectionGameUpdate);
    g_MainGame.Update();
    g_Profiler.End(kSectionGameUpdate);
    if (g_Engine.m_bWorldRender || g_Menu.m_bActive) g_D3DMain.RenderFrame();
    if (g_LoadingScreen.m_bActive) g_LoadingScreen.Render();
    if (g_Engine.m_szPendingWorld[0]) {
        if (g_Settings.m_iDebug) g_Console.PrintStr2("Starting world ", g_Engine.m_szPendingWorld);
        g_Engine.ProcessStartWorld(g_Engine.m_szPendingWorld);
    }
}

void QuitOnError(const char* why) {
    const std::string reason = why && *why ? why : "an error the log names";
    if (g_errorQuitReason.empty()) g_errorQuitReason = reason;
    g_Console.PrintStr2("The game stops after this frame: ", reason.c_str());
    g_Engine.Quit();
}

void RequestQuit() {
    if (g_bQuitOnce) return;
    g_bQuitOnce = 1;
    g_D3DMain.Release();
    plat::PostQuitMessage(0);
}

int64_t WndProc(plat::WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
    // Destroy ends the program whether or not the device has focus; otherwise a window closed
    // before the device exists (or while it is lost) would leave the loop running forever.
    if (message == plat::msg::Destroy) {
        if (window == g_hWnd) g_hWnd = nullptr;
        RequestQuit();
        return 0;
    }
    if (!g_FocusMgr.m_bOnFocus) return plat::DefaultWindowProc(window, message, wParam, lParam);
    g_D3DMain.MessageHook(window, message, wParam, lParam);
    switch (message) {
        case plat::msg::Paint:
        case plat::msg::Command:
        case plat::msg::App + 1:
            return 0;
        default:
            return plat::DefaultWindowProc(window, message, wParam, lParam);
    }
}

int WinMain(void* instance, void*, const char*, int showCommand) {
    // Before anything can reach a lower floor's hook: the configuration file runs commands.
    InstallFloorHooks();
    std::strncpy(g_szTitle, g_TextMgr.GetText(">GameName"), sizeof g_szTitle - 1);
    // The single-instance check comes before any file is touched: a second start must not cut the
    // running game's log short or take its reports away.
    std::string lockProblem;
    switch (plat::ClaimTitle(g_szTitle, &lockProblem)) {
        case plat::TitleLock::Held: return 0;
        case plat::TitleLock::Unavailable:
            return FailStart("The game cannot tell whether it is running already: " + lockProblem + ".");
        case plat::TitleLock::Free: break;
    }
    const bool logWritable = g_Console.OpenLog();
    const int logError = errno;
    g_Console.Print("Engine start, WinMain first entry.");
    if (!logWritable)
        return FailStart("The log \"!console.txt\" cannot be written in " + plat::StartDirectory().string() + ": " +
                         std::strerror(logError) + ".");
    // No named mutex: nothing ever tests one, and the title's lock already tells a second start.
    g_pD3D.reset();
    g_pd3dDevice.reset();
    for (const char* report : kPreviousRunReports) plat::DeleteFile(report);
    g_bQuitOnce = 0;
    g_errorQuitReason.clear();

    g_Console.ExecFile("qv.cfg");
    // The profiles are loaded and written back once the log can tell a file that cannot be written.
    g_ProfileMgr.Init();
    g_Console.Print("Welcome to the farm.");
    g_Console.Print("Machines warming up...");
    plat::SeedRandom(static_cast<uint32_t>(QueryAppTimer(TIMER_GETABSOLUTETIME) * 100.0));

    plat::RegisterWindowClass({g_szTitle, WndProc});
    g_hInstance = instance;
    plat::WindowDesc desc;
    desc.className = g_szTitle;
    desc.title = g_szTitle;
    desc.caption = g_Settings.m_bWindowed != 0;
    desc.width = g_Settings.m_bWindowed ? 800 : 1;
    desc.height = g_Settings.m_bWindowed ? 600 : 1;
    plat::WindowHandle window = plat::CreateMainWindow(desc);
    if (window) {
        plat::ShowMainWindow(window, showCommand != 0);
        plat::BringWindowToTop(window);
    }
    if (!window) {
        g_bQuitOnce = 1;
        plat::PostQuitMessage(0);
        return FailStart(NoWindowReason());
    }
    g_hWnd = window;
    g_pD3D = gfx::CreateSystem();
    if (!g_pD3D) return FailStart("DX9.0c or newer could not have been found!");

    g_Input.Init();
    g_RoutesMgr.Load();
    RunLauncher();
    g_TTFonts.AddFontResources();

    if (g_bExitChosen) {
        g_bQuitOnce = 1;
        g_pD3D.reset();
        EarlyShutdown();
        return 0;
    }
    for (int i = 0; i < 2; ++i) {
        plat::BringWindowToTop(g_hWnd);
        plat::SetKeyboardFocus(g_hWnd);
    }
    g_D3DMain.Create(g_hWnd);
    if (!g_D3DMain.m_bCreated) {
        EarlyShutdown();
        return FailStart("The graphics device could not be created; \"!console.txt\" tells why.");
    }
    plat::BringWindowToTop(g_hWnd);
    g_FocusMgr.SetOnFocus();
    plat::BringWindowToTop(g_hWnd);
    g_D3DMain.RenderFrame();
    g_MainGame.Start();
    plat::BringWindowToTop(g_hWnd);

    plat::Message message;
    bool haveMessage = plat::PeekMessage(message, false);
    bool quitTaken = haveMessage && message.id == plat::msg::Quit;
    // The message taken here is dispatched like every other, not dropped.
    if (haveMessage && !quitTaken) {
        plat::DispatchMessage(message);
    }
    while (!g_Engine.m_bQuit && !quitTaken) {
        if (plat::PeekMessage(message)) {
            if (message.id == plat::msg::Quit) {
                quitTaken = true;
                break;
            }
            plat::DispatchMessage(message);
            continue;
        }
        RunFrame();
    }

    g_FocusMgr.OnRelease();
    RequestQuit();
    g_Console.Print("Farewell, the farm is closed.");
    g_Console.CloseLog();
    g_Console.FreeVariables();
    g_TTFonts.RemoveFontResources();
    g_Input.Release();
    if (!g_errorQuitReason.empty()) return FailStart("The game stopped after an error: " + g_errorQuitReason);
    // Only a quit message taken by the loop carries an exit code; a loop ended by the engine's
    // quit flag exits cleanly with 0.
    return quitTaken ? static_cast<int>(message.wParam) : 0;
}
