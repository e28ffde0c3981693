#include "game/CMainGame.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/CMusicPlaylist.h"
#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EDebug.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/StringHelpers.h"
#include "game/CHudPanel.h"
#include "game/CLoadingScreen.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "game/GameHooks.h"
#include "mesh/EMeshMgr.h"
#include "render/EFXMgr.h"
#include "render/EFont.h"
#include "render/ESky.h"
#include "vehicles/CPlayer.h"
#include "vehicles/EPlantMgr.h"
#include "vehicles/RuchMgr.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EEngineObject.h"
#include "world/GameAI.h"

CMainGame g_MainGame;
char g_szCredits[CMainGame::kCreditsLines][CMainGame::kCreditsLineSize];
uint32_t g_uCreditsCount;

namespace {

constexpr const char* kIntroWorld = "worlds\\Intro.w";
constexpr int kIntroRoute = 48;
constexpr uint32_t kCreateMachineFrame = 100;
constexpr uint32_t kLevelLogicFrame = 151;
constexpr uint32_t kLevelStartFrame = 199;
constexpr uint32_t kEndLoadingFrame = 200;
constexpr uint32_t kNoWorldFrame = 201;
constexpr uint32_t kCloseLoadingFrame = 209;
constexpr uint32_t kPlayerStartFrame = 211;
constexpr uint32_t kCreateGrassFrame = 219;
constexpr uint32_t kOpponentsFrame = 220;
constexpr uint32_t kIntroSceneFrame = 222;
constexpr uint32_t kStartFadeFrame = 224;
constexpr uint32_t kSkipCommand = 11;
constexpr float kEndMusicDelay = 0.5f;
constexpr const char* kEndPicture = "misc\\bmp\\end_game.bmp";
constexpr const char* kEndMusic = "music\\misc\\mexico.ogg";
constexpr uint32_t kFpsColour = 0xFFFFFF00;
constexpr uint32_t kPromptColour = 0xFFFFFFA0;
// The first fog set of every run: a dusty field haze (194, 173, 122).
constexpr uint32_t kGameFogColour = 0xFFC2AD7A;

// The roles of the credits in their order, each with its names.
struct CreditsRole {
    const char* key;
    const char* names[3];
};
constexpr CreditsRole kCreditsRoles[] = {
    {">cr08", {"The Furrow team"}},       {">cr01", {"Field and machine design"}},
    {">cr03", {"Engine and tools"}},      {">cr04", {"Vehicle physics"}},
    {">cr05", {"Worlds and routes"}},     {">cr07", {"Sound", "Music", "Voices"}},
    {">cr06", {"Everyone who tested"}},
};

// The menu opens on its main page, in its own scene.
void OpenMainMenu() { Menu::LoadResources(10, true); }

}  // namespace

CMainGame::CMainGame()
    : m_bRunning(0), m_uFrameCounter(0), m_bKeyInputEnabled(1), m_bGameOption1(0), m_fGameOptionValue1(0.5f),
      m_fGameOptionValue2(0.5f), m_bGameOption2(0), m_fGameOptionLevel(0), m_dFrameTime(0), m_szMusicFile{},
      m_bEndGame(0), m_bEndMusicStarted(0), m_fEndGameTimer(0), m_fEndPictureX(0), m_fEndPictureY(0),
      m_fEndPictureWidth(0), m_fEndPictureHeight(0) {
    std::memset(g_szCredits, 0, sizeof g_szCredits);
    g_uCreditsCount = 0;
}

CMainGame::~CMainGame() { m_EndPicture.Release(); }

void CMainGame::Start() {
    g_CommandMgr.BuildKeyNames();
    g_CommandMgr.LoadKeys();
    m_uFrameCounter = 0;
    m_bRunning = 1;
    g_GameAI.Initialize();
    // No positional sound is heard before a world places the listener.
    g_SoundMgr.SetListenerPosition(DV{0, -100000000.0f, 0});
    g_Engine.m_bWorldRender = 0;
    g_MusicPlaylist.Init();
    if (g_Settings.m_bStartMenu) {
        // A game without an intro world goes to the menu as if the intro were skipped.
        if (g_Settings.m_bSkipIntro || !FileExists(kIntroWorld)) {
            g_Console.Print("Skipping intro - launching menu");
            OpenMainMenu();
            return;
        }
        g_Console.Print("Launching intro");
        g_Settings.m_iOstatniaTrasa = g_RoutesMgr.m_iCurrentRoute = kIntroRoute;
        g_Settings.m_bGameMode = 1;
        g_Engine.RequestStartWorld(kIntroWorld);
        return;
    }
    // The route the configuration names ("OstatniaTrasa"); a configuration without one, or with no
    // such route, starts the world it names ("runworld").
    const int route = g_RoutesMgr.m_iCurrentRoute;
    const bool named = g_Console.FindVariable("OstatniaTrasa") && route >= 0 && route < g_RoutesMgr.m_iRouteCount &&
                       g_RoutesMgr.m_Routes[route].m_szWorld[0];
    g_Engine.RequestStartWorld(named ? g_RoutesMgr.m_Routes[route].m_szWorld : g_Settings.m_szWorldName);
}

void CMainGame::Update() {
    if (!m_bRunning) return;
    if (g_GameAI.IsSet("quit")) {
        g_Engine.Quit();
        return;
    }
    m_dFrameTime = g_Engine.m_fFrameTime;
    if (g_Menu.m_bActive) {
        g_Menu.Update();
        g_Camera.Update(false);
        return;
    }
    StartLevel();
    if (m_bEndGame) {
        UpdateEndGame();
        return;
    }
    if (g_CutsceneMgr.m_pActiveScene) {
        g_CutsceneMgr.Update();
        g_SoundMgr.Update();
        return;
    }
    if (g_Engine.m_bWorldRunning) {
        g_Camera.Update(false);
        if (m_uFrameCounter > CPlayer::kFirstUpdateFrame) {
            g_Player.Update();
            UpdateFieldWork();
            g_GameAI.Update();
        }
        g_FXMgr.Update(false);
        g_ProfileMgr.CheckAchievements();
    }
    g_HudPanel.Update();
    g_SoundMgr.Update();
}

// The player's machine works the route's field, in the order the tasks are listed.
void CMainGame::UpdateFieldWork() {
    g_PlantMgr.UpdateHarvest();
    g_PlantMgr.UpdateGrassMowing();
    g_PlantMgr.UpdateBaling();
    g_PlantMgr.UpdatePloughing();
    g_PlantMgr.UpdatePlanting();
    g_PlantMgr.UpdateSowing();
}

void CMainGame::Init() {}

void CMainGame::LoadResources() {
    m_bKeyInputEnabled = g_Settings.m_bGameMode;
    g_CutsceneMgr.Init();
    g_Sky.SetFogColour(kGameFogColour, 0);
    g_FXMgr.LoadResources();
    g_GameAI.PreloadActionSounds();
    g_MusicPlaylist.Reset();
    g_RoutesMgr.SelectCurrentRoute();
    g_Player.LoadResources();
    m_uFrameCounter = 0;
    g_HudPanel.Load();
    g_ProfileMgr.ClearPopup();
    m_bEndGame = 0;
}

// The intro switch goes down with the world it was raised for.
void CMainGame::ReleaseResources() {
    g_Settings.m_bGameMode = 0;
    g_CutsceneMgr.Release();
    g_GameAI.ResetVariables();
    PlayMusic(nullptr);
    g_Player.ReleaseResources();
    g_HudPanel.Release();
    g_FXMgr.Release();
    g_MusicPlaylist.Stop();
    m_bEndGame = 0;
    m_EndPicture.Release();
}

void CMainGame::UpdateMusic() { g_MusicPlaylist.Update(); }

void CMainGame::PlayMusic(const char* file) {
    m_szMusicFile[0] = 0;
    g_SoundMgr.Music_Stop();
    g_SoundMgr.Music_Release();
    g_SoundMgr.Music_SetVolume(g_Settings.m_fMusicVolume);
    g_SoundMgr.SetMasterVolume(g_Settings.m_fSecondVolume);
    if (!file || !*file || !g_Settings.m_bMusic || !FileExists(file) || std::strlen(file) < 4) return;
    std::snprintf(m_szMusicFile, sizeof m_szMusicFile, "%s", file);
    g_SoundMgr.Music_Play(file, false);
    g_SoundMgr.Music_SetVolume(g_Settings.m_fMusicVolume);
}

void CMainGame::EnableKeyInput() { m_bKeyInputEnabled = 1; }

void CMainGame::OnStartWorld() {
    m_uFrameCounter = 0;
    g_GameAI.SelectWorldScript();
}

void CMainGame::DeleteSelfDeleteObjects() {
    while (EObjectSlot* o = g_Engine.FindObject("self_delete", false)) g_Engine.DeleteObject(o);
}

void CMainGame::StartPlayer() {
    g_Player.StartLevel();
    if (!g_Settings.m_bGameMode) g_LoadingScreen.Close();
}

void CMainGame::StartLevel() {
    g_Console.DrawLoadingScreen();
    ++m_uFrameCounter;
    switch (m_uFrameCounter) {
        case kCreateMachineFrame:
            g_Console.Print("SprawdzLicznik 100");
            if (g_Settings.m_bGameMode) TworzPostacGraczaIntro();
            else TworzPostacGracza();
            g_Console.Print("Po TworzPostacGracza");
            DeleteSelfDeleteObjects();
            // The world's meshes are all loaded by now: a repair run rewrites their cached copies.
            if (g_Settings.m_bRepairMultiData) g_MeshMgr.SaveAllOpts();
            g_Console.Print("Koniec SprawdzLicznik 100");
            break;
        case kLevelLogicFrame:
            // The level logic runs from here on, with the level's music.
            g_GameAI.m_bEnabled = 1;
            if (const strai* level = g_GameAI.CurrentLevel(); level && level->m_szMusic[0]) PlayMusic(level->m_szMusic);
            break;
        case kLevelStartFrame:
            if (g_Engine.m_szStartingWorld[0])
                if (EObjectSlot* start = g_Engine.FindObject("level_start", false))
                    g_EngineObject.UpdateObjectActions(start, false);
            break;
        case kEndLoadingFrame: g_Console.EndLoadingScreen(); break;
        case kNoWorldFrame:
            if (!g_Engine.m_szStartingWorld[0]) {
                g_Engine.m_bWorldRender = 1;
                OpenMainMenu();
            }
            break;
        case kCloseLoadingFrame:
            g_Engine.m_bWorldRender = 1;
            g_LoadingScreen.Close();
            break;
        case kIntroSceneFrame:
            if (g_Settings.m_bGameMode) StartScene("intro");
            break;
        default: break;
    }
    if (m_uFrameCounter >= kPlayerStartFrame && m_bKeyInputEnabled && !g_Player.m_bStarted) StartPlayer();
    if (m_uFrameCounter > kOpponentsFrame && !g_RuchMgr.m_bHasRun) g_RuchMgr.Start();
}

void CMainGame::Stop() {
    m_bRunning = 0;
    g_Engine.m_bWorldRender = 0;
}

void CMainGame::Render() {
    if (!m_bRunning || m_bEndGame) return;
    if (g_Player.m_bFadeStarted) {
        g_Player.RenderFade();
        return;
    }
    if (m_uFrameCounter < kEndLoadingFrame) g_Console.AddLoadingProgress(1);
    if (m_uFrameCounter == kCreateGrassFrame) g_PlantMgr.CreateGrass();
    // A run starts black: the fade holds until this frame, then clears.
    if (m_uFrameCounter < kStartFadeFrame) g_HudPanel.m_fFade = CHudPanel::kStartFade;
    if (m_bKeyInputEnabled) {
        g_ProfileMgr.DrawAchievementPopup();
        g_HudPanel.Draw();
        if (g_CutsceneMgr.m_pActiveScene) g_CutsceneMgr.RenderFade();
        DrawReadouts();
        return;
    }
    DrawStartPrompt();
    if (g_HudPanel.m_fFade > 0) g_HudPanel.DrawFade();
}

// The developer reports go over the finished scene.
void CMainGame::DrawReadouts() {
    if (g_Settings.m_bDrawFPS) {
        char text[32];
        std::snprintf(text, sizeof text, "FPS: %i", static_cast<int>(std::lround(g_Engine.m_fFPS)));
        g_Font.Begin();
        g_Font.Print(text, 944 * g_Settings.m_fScaleX, 4 * g_Settings.m_fScaleY, kFpsColour, 20, 0, false, false);
        g_Font.Flush();
    }
    if (g_Settings.m_bPrintPolygonCount) g_GameHooks.reportRenderStats();
    if (g_Settings.m_bDebugPerformance) g_Debug.ReportPerformance();
    if (g_Settings.m_iSystemDebug) g_GameHooks.drawSystemDebug();
    if (g_Settings.m_iDebugLights) g_GameHooks.drawLightCounts();
    if (g_Settings.m_bDebugVM) g_GameHooks.reportVideoMemory();
}

void CMainGame::DrawStartPrompt() {
    g_Font.Begin();
    g_Font.Print(g_TextMgr.GetText(">MCount"), 512 * g_Settings.m_fScaleX, 400 * g_Settings.m_fScaleY, kPromptColour,
                 26, 0, true, false);
    g_Font.Flush();
    // A window may hold the keyboard without seeing the press that starts the run: take it anew.
    if (g_Settings.m_bWindowed && !g_Console.m_bOpen && !g_Menu.m_bActive) {
        g_Engine.ReleaseKeyboard();
        g_Engine.AcquireKeyboard();
    }
}

void CMainGame::UpdateCutscene() {
    if (g_CutsceneMgr.m_pActiveScene) g_CutsceneMgr.UpdateCamera();
}

void CMainGame::OnKeyDown(uint32_t virtualKey) {
    if (m_bKeyInputEnabled) {
        g_CommandMgr.OnKeyDown(virtualKey);
        return;
    }
    if (m_uFrameCounter >= kPlayerStartFrame) EnableKeyInput();
}

void CMainGame::OnKeyUp(uint32_t virtualKey) { g_CommandMgr.OnKeyUp(virtualKey); }

void CMainGame::EndGame() {
    m_fEndGameTimer = 0;
    m_bEndGame = 1;
    m_bEndMusicStarted = 0;
    const float h = static_cast<float>(g_Settings.m_iScreenHeight);
    const float w = h / 1024 * 1600;
    float x = (static_cast<float>(g_Settings.m_iScreenWidth) - w) / 2;
    if (m_EndPicture.LoadSized(kEndPicture, static_cast<uint32_t>(w), static_cast<uint32_t>(h)) != 0)
        g_Console.Print("LoadFromFile(misc\\bmp\\end_game.bmp) failed!");
    m_fEndPictureWidth = w;
    m_fEndPictureHeight = h;
    // A picture wider than the screen loses an equal strip on both sides.
    if (x < 0) {
        m_EndPicture.SetRect(static_cast<int32_t>(-x), 0, static_cast<int32_t>(w + x), static_cast<int32_t>(h));
        x = 0;
    }
    m_fEndPictureX = x;
    m_fEndPictureY = 0;
    g_SoundMgr.StopAllSounds();
    BuildCredits();
}

void CMainGame::UpdateEndGame() {
    if (g_Menu.m_bActive) return;
    if (g_CommandMgr.IsCommandActive(kSkipCommand) && !g_Engine.m_szPendingWorld[0]) {
        OpenMainMenu();
        return;
    }
    m_fEndGameTimer += static_cast<float>(m_dFrameTime);
    if (m_fEndGameTimer > kEndMusicDelay && !m_bEndMusicStarted) {
        PlayMusic(kEndMusic);
        m_bEndMusicStarted = 1;
    }
}

void CMainGame::AddCreditsLine(const char* text) {
    if (!text) return;
    if (g_uCreditsCount >= kCreditsLines - 1) {
        g_Console.Print("Credits przekroczyly 255 linii!");
        return;
    }
    // Text keys are data: a line longer than the list's lines is cut, never copied past them.
    std::snprintf(g_szCredits[g_uCreditsCount++], kCreditsLineSize, "%s", text);
}

void CMainGame::BuildCredits() {
    std::memset(g_szCredits, 0, sizeof g_szCredits);
    g_uCreditsCount = 0;
    AddCreditsLine(g_TextMgr.GetText(">GameName"));
    AddCreditsLine("");
    AddCreditsLine("Published by the Furrow project");
    AddCreditsLine("Developed by the Furrow team");
    AddCreditsLine("");
    for (const CreditsRole& role : kCreditsRoles) {
        AddCreditsLine(g_TextMgr.GetText(role.key));
        for (const char* name : role.names)
            if (name) AddCreditsLine(name);
        AddCreditsLine("");
    }
    AddCreditsLine("");
    AddCreditsLine("");
}
