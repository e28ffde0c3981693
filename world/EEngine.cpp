#include "world/EEngine.h"

#include <cstring>

#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/EProfiler.h"
#include "core/ESettings.h"
#include "core/QueryAppTimer.h"
#include "render/EEffectMgr.h"
#include "render/EFont.h"
#include "render/ERenderer.h"

EEngine g_Engine;

namespace {
constexpr double kMinimumFrameTime = 0.001;
constexpr double kMaximumFrameTime = 0.5;
}  // namespace

EEngine::EEngine()
    : m_bQuit(0), m_bStartWorld(0), m_szPendingWorld{}, m_szStartingWorld{}, m_bReady(0), m_bWorldRender(0),
      m_bScreenshot(0), m_bKeyboardAcquired(0), m_fFrameTime(0), m_fLevelTime(0), m_fRunningClock(0),
      m_uFrameCounter(0), m_uBackgroundColour(0xFF000000), m_hWnd(nullptr), m_bLightUsed{}, m_bLightOn{}, m_dLastTime(0) {}

EEngine::~EEngine() = default;

void EEngine::Init(plat::WindowHandle window) {
    m_hWnd = window;
    g_Profiler.RegisterSections();
    QueryAppTimer(TIMER_RESET);
    QueryAppTimer(TIMER_START);
    m_dLastTime = QueryAppTimer(TIMER_GETABSOLUTETIME);
    g_Font.CreateVB();
    g_Renderer.InitTextures();
    g_EffectMgr.Init();
}

void EEngine::Release() {
    g_Font.Release();
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
    std::memcpy(m_szStartingWorld, name, sizeof name);
    BeginWorld();
}

void EEngine::BeginWorld() {
    m_fLevelTime = 0;
    m_uFrameCounter = 0;
    m_bReady = 1;
    m_bWorldRender = 1;
    // The profiler has to be switched on again in every world.
    g_Profiler.Disable();
    g_Debug.OnBeginWorld();
}

void EEngine::EndWorld() {
    m_bReady = 0;
    m_bWorldRender = 0;
    g_Profiler.Release();
    g_Debug.OnEndWorld();
}

void EEngine::Quit() { m_bQuit = 1; }

void EEngine::OnKeyDown(uint32_t) {}
void EEngine::OnKeyUp(uint32_t) {}

void EEngine::PrepareCamera() {}
void EEngine::RenderScene() {}

// No screenshot writer exists yet: the request is dropped and the frame reports it was not saved.
gfx::Result EEngine::SaveScreenshot() {
    m_bScreenshot = 0;
    return gfx::ERR_NOTAVAILABLE;
}
