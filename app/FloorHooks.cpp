#include "app/FloorHooks.h"

#include "app/ConsoleCommands.h"
#include "app/EDebugOverlays.h"
#include "app/EFocusMgr.h"
#include "app/WinMain.h"
#include "audio/AudioHooks.h"
#include "audio/CSoundMgr.h"
#include "core/CoreHooks.h"
#include "core/EConsole.h"
#include "game/CHudPanel.h"
#include "game/CLoadingScreen.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "game/GameHooks.h"
#include "render/RenderHooks.h"
#include "vehicles/CPlayer.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/WorldHooks.h"

namespace {

void InstallCoreHooks() {
    CoreHooks& h = g_CoreHooks;
    h.hasFocus = [] { return g_FocusMgr.m_bOnFocus != 0; };
    h.mainWindow = [] { return g_hWnd; };
    h.gameFrame = [] { return g_MainGame.m_uFrameCounter; };
    h.gameKeyInputEnabled = [] { return g_MainGame.m_bKeyInputEnabled != 0; };
    h.enableGameKeyInput = [] { g_MainGame.EnableKeyInput(); };
    h.menuActive = [] { return g_Menu.m_bActive != 0; };
    h.loadingScreenActive = [] { return g_LoadingScreen.m_bActive != 0; };
    h.cameraOverride = [] { return g_Camera.m_bOverride != 0; };
    h.hudDiscardsMouse = [] { return g_HudPanel.m_bDiscardMouse != 0; };
    h.surfaceForceFeedback = [] { return g_Player.m_bSurfaceForceFeedback != 0; };
    h.getGamma = [] {
        float gamma = 1.0f;
        g_Camera.GetGamma(gamma);
        return gamma;
    };
    h.setGamma = [](float gamma) { g_Camera.SetGamma(gamma); };
    h.applyMusic = [](float volume, bool playing) {
        g_SoundMgr.Music_SetVolume(volume);
        if (playing) g_SoundMgr.Music_Resume();
        else g_SoundMgr.Music_Pause();
    };
    h.keysFileOptions = [] {
        return KeysFileOptions{&g_Player.m_bHudOption,         &g_Player.m_bOption2,
                               &g_Player.m_uDrivingOption,     &g_MainGame.m_bGameOption1,
                               &g_MainGame.m_fGameOptionValue1, &g_MainGame.m_fGameOptionValue2,
                               &g_MainGame.m_bGameOption2,     &g_MainGame.m_fGameOptionLevel};
    };
    h.acquireKeyboard = [] { g_Engine.AcquireKeyboard(); };
    h.releaseKeyboard = [] { g_Engine.ReleaseKeyboard(); };
    h.requestScreenshot = [] { g_Engine.m_bScreenshot = 1; };
    h.quit = [] { g_Engine.Quit(); };
    h.currentRouteTasks = [] { return g_RoutesMgr.CurrentRouteTasks(); };
}

void InstallAudioHooks() {
    g_AudioHooks.gameFrame = [] { return g_MainGame.m_uFrameCounter; };
    g_AudioHooks.levelTime = [] { return g_Engine.m_fLevelTime; };
}

void InstallRenderHooks() {
    RenderHooks& h = g_RenderHooks;
    h.requestQuit = [] { g_Engine.Quit(); };
    h.menuActive = [] { return g_Menu.m_bActive != 0; };
    h.cutscenePlaying = [] { return g_CutsceneMgr.m_pActiveScene != nullptr; };
    h.engineFrame = [] { return g_Engine.m_uFrameCounter; };
    h.cameraPosition = [] { return g_Camera.m_vPosition; };
    h.gameFrame = [] { return g_MainGame.m_uFrameCounter; };
    h.levelTime = [] { return g_Engine.m_fLevelTime; };
    h.engineClock = [] { return g_Engine.m_fRunningClock; };
    // Every slot of the object table, its visibility part one slot apart.
    h.objectTable = [] {
        return DrawObjectTable{&g_Engine.m_Objects[0], EEngine::kObjectSlots, sizeof(EObjectSlot)};
    };
    h.setCameraFarZ = [](float distance) { g_Camera.SetFarZ(distance); };
    h.setClearColour = [](uint32_t colour) { g_Engine.m_uBackgroundColour = colour; };
    h.rebuildCameraProjection = [] { g_Camera.SetupProjection(); };
    h.drawLightCounts = [] { g_DebugOverlays.DrawLightCounts(); };
}

// The key routing below the console: the menu while it is active, else the main game.
void InstallWorldHooks() {
    g_WorldHooks.frontEndKeyDown = [](uint32_t key) {
        if (g_Menu.m_bActive) g_Menu.OnKeyDown(key);
        else g_MainGame.OnKeyDown(key);
    };
    g_WorldHooks.frontEndKeyUp = [](uint32_t key) {
        if (g_Menu.m_bActive) g_Menu.OnKeyUp(key);
        else g_MainGame.OnKeyUp(key);
    };
}

void InstallGameHooks() {
    g_GameHooks.reportRenderStats = [] { g_DebugOverlays.ReportRenderStats(); };
    g_GameHooks.drawSystemDebug = [] { g_DebugOverlays.DrawSystemDebug(); };
    g_GameHooks.drawLightCounts = [] { g_DebugOverlays.DrawLightCounts(); };
    g_GameHooks.reportVideoMemory = [] { g_DebugOverlays.ReportVideoMemory(); };
}

}  // namespace

void InstallFloorHooks() {
    InstallCoreHooks();
    InstallAudioHooks();
    InstallRenderHooks();
    InstallWorldHooks();
    InstallGameHooks();
    g_Console.InstallCommands(ConsoleCommands());
}
