#include "world/EEngine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/CSoundCache.h"
#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EMouse.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/QueryAppTimer.h"
#include "core/StringHelpers.h"
#include "render/EEffectMgr.h"
#include "platform/gfx/ImageWriter.h"
#include "platform/os/Files.h"
#include "render/CTTFonts.h"
#include "render/D3DDevice.h"
#include "render/EFont.h"
#include "render/ERenderer.h"
#include "render/ESurface.h"
#include "world/ECamera.h"
#include "world/WorldHooks.h"

EEngine g_Engine;

namespace {
constexpr double kMinimumFrameTime = 0.001;
constexpr double kMaximumFrameTime = 0.5;
constexpr uint32_t kScreenshotCommand = 13;
}  // namespace

EEngine::EEngine()
    : m_bQuit(0), m_bStartWorld(0), m_szPendingWorld{}, m_szStartingWorld{}, m_bReady(0), m_bWorldRender(0),
      m_bScreenshot(0), m_bKeyboardAcquired(0), m_fFrameTime(0), m_fLevelTime(0), m_fRunningClock(0),
      m_uFrameCounter(0), m_uBackgroundColour(0xFF000000), m_hWnd(nullptr), m_Objects{}, m_bLightUsed{}, m_bLightOn{},
      m_dLastTime(0), m_bScreenshotKeyDown(false) {}

EEngine::~EEngine() = default;

void EEngine::Init(plat::WindowHandle window) {
    m_hWnd = window;
    g_Profiler.RegisterSections();
    QueryAppTimer(TIMER_RESET);
    QueryAppTimer(TIMER_START);
    m_dLastTime = QueryAppTimer(TIMER_GETABSOLUTETIME);
    g_Font.CreateVB();
    g_Renderer.InitTextures();
    g_Console.CreateConsoleBar();
    g_EffectMgr.Init();
    g_SoundMgr.Initialize(window);
    g_Mouse.Init(window);
    // The keys belong to the game from the start; the console and the focus manager take the
    // keyboard away and give it back.
    AcquireKeyboard();
}

void EEngine::Release() {
    g_SoundMgr.Release();
    g_Font.Release();
    g_TTFonts.ReleaseFonts();
    g_TTFonts.RemoveFontResources();
    g_Console.ReleaseConsoleBar();
    g_Mouse.Release();
    ReleaseKeyboard();
    g_Renderer.Release();
    g_EffectMgr.Release();
    m_hWnd = nullptr;
}

bool EEngine::UpdateTimer() {
    double now = QueryAppTimer(TIMER_GETABSOLUTETIME);
    double step = now - m_dLastTime;
    if (step < kMinimumFrameTime) return false;
    m_dLastTime = now;
    if (step > kMaximumFrameTime) step = kMaximumFrameTime;
    m_fFrameTime = static_cast<float>(step * g_Settings.m_fGlobalTimeSpeed);
    m_fLevelTime += m_fFrameTime;
    m_fRunningClock += m_fFrameTime;
    return true;
}

void EEngine::Update() {
    g_Profiler.Update();
    ++m_uFrameCounter;
    // The screenshot key saves the frame last presented, whatever showed it.
    bool screenshotKey = g_CommandMgr.IsCommandActive(kScreenshotCommand);
    if (screenshotKey && !m_bScreenshotKeyDown) SaveScreenshot();
    m_bScreenshotKeyDown = screenshotKey;
}

void EEngine::RequestStartWorld(const char* worldFile) {
    if (!worldFile) return;
    std::strncpy(m_szPendingWorld, worldFile, sizeof m_szPendingWorld - 1);
    m_szPendingWorld[sizeof m_szPendingWorld - 1] = 0;
    m_bStartWorld = 1;
}

void EEngine::ProcessStartWorld(const char* worldFile) {
    char name[sizeof m_szStartingWorld];
    std::strncpy(name, worldFile ? worldFile : "", sizeof name - 1);
    name[sizeof name - 1] = 0;
    m_szPendingWorld[0] = 0;
    m_bStartWorld = 0;
    EndWorld();
    // The old world's textures go with it; the new world requests its own.
    g_Renderer.ClearTextures();
    std::memcpy(m_szStartingWorld, name, sizeof name);
    g_WorldHooks.mainGameWorldStart();
    g_Console.ShowLoadingScreen(name);
    g_WorldHooks.beginLoadingScreen(name);
    BeginWorld();
    g_WorldHooks.createLoadingBar();
}

void EEngine::BeginWorld() {
    m_fLevelTime = 0;
    m_uFrameCounter = 0;
    m_bReady = 1;
    // The world is shown once the level start has closed the loading screen.
    m_bWorldRender = 0;
    g_Console.ReapplyVariables();
    g_ViewLines.CreateVB();
    g_Console.CreateConsoleBar();
    g_EffectMgr.OnStartWorld();
    // The profiler has to be switched on again in every world.
    g_Profiler.Disable();
    g_Debug.OnBeginWorld();
    ClearSoundCache();
}

void EEngine::EndWorld() {
    m_bReady = 0;
    m_bWorldRender = 0;
    g_Renderer.OnEndWorld();
    g_EffectMgr.OnEndWorld();
    g_ViewLines.ReleaseVB();
    g_Console.ReleaseConsoleBar();
    g_Profiler.Release();
    g_Debug.OnEndWorld();
    ClearSoundCache();
    g_SoundMgr.ReleaseAllSounds();
}

void EEngine::Quit() { m_bQuit = 1; }

void EEngine::InitMouse() { g_Mouse.Init(m_hWnd); }

void EEngine::ReleaseMouse() { g_Mouse.Release(); }

void EEngine::AcquireKeyboard() {
    if (m_bKeyboardAcquired) return;
    g_CommandMgr.CreateKeyboard(m_hWnd);
    m_bKeyboardAcquired = 1;
}

void EEngine::ReleaseKeyboard() {
    if (!m_bKeyboardAcquired) return;
    g_CommandMgr.ReleaseKeyboard();
    m_bKeyboardAcquired = 0;
}

void EEngine::WipeOut(float distance) {
    for (EObjectSlot& object : m_Objects) {
        if (!object.m_bUsed) continue;
        // Truncated as a float: objects far outside the world (the sky dome) lie beyond any int.
        float away = std::trunc(pmath::Length(object.m_vPosition - g_Camera.m_vPosition)) - object.m_fRadius;
        if (away >= distance) object.m_bToDelete = 1;
    }
    g_Console.PrintFloat("WipeOut complete for ", distance);
}

void EEngine::RunAction(const char* objectName) {
    for (const EObjectSlot& object : m_Objects) {
        if (!object.m_bUsed || StrICmp(object.m_szName, objectName) != 0) continue;
        // The object's actions are run here once objects carry them.
        if (g_Settings.m_iDebug > 0) g_Console.PrintStr2("EEngine: Odpalam akcje na ", objectName);
        return;
    }
    g_Console.PrintStr2("EEngine chce akcje, ale nie znaleziono obiektu ", objectName);
}

void EEngine::SetSectorHidden(int sector, uint8_t hidden) {
    if (sector == 0) return;
    for (EObjectSlot& object : m_Objects)
        if (object.m_bUsed && object.m_iSector == sector) object.m_bHidden = hidden;
}

// The console key opens the console; while it is open it takes every key. Other keys go to the
// front end, which picks the menu or the main game.
void EEngine::OnKeyDown(uint32_t virtualKey) {
    if (g_Console.m_bOpen) g_Console.OnKeyDown(virtualKey);
    else if (virtualKey == EConsole::kConsoleKey) g_Console.Open();
    else g_WorldHooks.frontEndKeyDown(virtualKey);
}

void EEngine::OnKeyUp(uint32_t virtualKey) {
    if (g_Console.m_bOpen) g_Console.OnKeyUp(virtualKey);
    else g_WorldHooks.frontEndKeyUp(virtualKey);
}

void EEngine::PrepareCamera() {}
void EEngine::RenderScene() {}

// The next free "qv_screenNNNN.bmp" in the start directory.
gfx::Result EEngine::SaveScreenshot() {
    m_bScreenshot = 0;
    if (!g_pd3dDevice) return gfx::ERR_NOTAVAILABLE;
    char name[32];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(name, sizeof name, "qv_screen%04d.bmp", i);
        if (!plat::FileExists(name)) return gfx::SaveBackBufferToBmp(*g_pd3dDevice, name);
    }
    return gfx::ERR_FAIL;
}
