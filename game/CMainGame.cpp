#include "game/CMainGame.h"

#include "audio/CMusicPlaylist.h"
#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/StringHelpers.h"
#include "game/CLoadingScreen.h"
#include "game/CMenu.h"
#include "game/GameHooks.h"
#include "render/EFXMgr.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"

CMainGame g_MainGame;

namespace {
constexpr const char* kIntroWorld = "worlds\\Intro.w";
// The world's "level_start" object fires its actions once the level has loaded.
constexpr uint32_t kLevelStartFrame = 199;
constexpr const char* kLevelStartObject = "level_start";
constexpr uint32_t kEndLoadingFrame = 200;
constexpr uint32_t kCloseLoadingFrame = 209;
}

CMainGame::CMainGame() : m_bRunning(0), m_uFrameCounter(0), m_bKeyInputEnabled(1), m_bGameOption1(0),
      m_fGameOptionValue1(0), m_fGameOptionValue2(0), m_bGameOption2(0), m_fGameOptionLevel(0) {}

CMainGame::~CMainGame() = default;

void CMainGame::Start() {
    g_CommandMgr.BuildKeyNames();
    g_CommandMgr.LoadKeys();
    m_bRunning = 1;
    g_MusicPlaylist.Init();
    if (!g_Settings.m_bStartMenu) {
        g_Engine.RequestStartWorld(g_Settings.m_szWorldName);
    } else if (g_Settings.m_bSkipIntro) {
        g_Menu.m_bActive = 1;
    } else {
        // The intro switch: the playlist plays the intro track and the sky a fixed time of day while it
        // is raised.
        g_Settings.m_bGameMode = 1;
        g_Engine.RequestStartWorld(kIntroWorld);
    }
}

void CMainGame::Update() {
    StartLevel();
    g_FXMgr.Update(false);
    g_SoundMgr.Update();
}

void CMainGame::Init() {}

void CMainGame::LoadResources() {
    g_FXMgr.LoadResources();
    m_uFrameCounter = 0;
}

// The intro switch goes down with the world it was raised for.
void CMainGame::ReleaseResources() {
    g_Settings.m_bGameMode = 0;
    PlayMusic(nullptr);
    g_FXMgr.Release();
}

void CMainGame::UpdateMusic() { g_MusicPlaylist.Update(); }

void CMainGame::PlayMusic(const char* file) {
    g_SoundMgr.Music_Stop();
    g_SoundMgr.Music_Release();
    g_SoundMgr.Music_SetVolume(g_Settings.m_fMusicVolume);
    if (!file || !*file || !g_Settings.m_bMusic || !FileExists(file)) return;
    g_SoundMgr.Music_Play(file, false);
    g_SoundMgr.Music_SetVolume(g_Settings.m_fMusicVolume);
}

void CMainGame::EnableKeyInput() { m_bKeyInputEnabled = 1; }

void CMainGame::OnStartWorld() { m_uFrameCounter = 0; }

void CMainGame::StartLevel() {
    g_Console.DrawLoadingScreen();
    ++m_uFrameCounter;
    if (m_uFrameCounter == kLevelStartFrame && g_Engine.m_bWorldRunning)
        g_EngineObject.UpdateObjectActions(g_Engine.FindObject(kLevelStartObject, false), false);
    if (m_uFrameCounter == kEndLoadingFrame) g_Console.EndLoadingScreen();
    if (m_uFrameCounter == kCloseLoadingFrame) {
        g_Engine.m_bWorldRender = 1;
        g_LoadingScreen.Close();
    }
}

void CMainGame::Stop() {
    m_bRunning = 0;
    g_Engine.m_bWorldRender = 0;
}

void CMainGame::Render() {
    // The developer reports go over the finished scene.
    if (g_Settings.m_bPrintPolygonCount) g_GameHooks.reportRenderStats();
    if (g_Settings.m_bDebugPerformance) g_Debug.ReportPerformance();
    if (g_Settings.m_iSystemDebug) g_GameHooks.drawSystemDebug();
    if (g_Settings.m_iDebugLights) g_GameHooks.drawLightCounts();
    if (g_Settings.m_bDebugVM) g_GameHooks.reportVideoMemory();
}

// No cutscene plays yet.
void CMainGame::UpdateCutscene() {}

void CMainGame::OnKeyDown(uint32_t) {}
void CMainGame::OnKeyUp(uint32_t) {}
