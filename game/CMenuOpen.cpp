// Opening and closing the menu, starting and restarting an event, and the overlay backgrounds.
#include <cstdio>

#include "audio/CMusicPlaylist.h"
#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EMouse.h"
#include "core/QueryAppTimer.h"
#include "core/ESettings.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "platform/gfx/ImageWriter.h"
#include "platform/os/Files.h"
#include "render/D3DDevice.h"
#include "render/EFXMgr.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace {

constexpr const char* kCapturedPicture = "tmp.bmp";
constexpr const char* kTyre = "hud_wygrana_opona.tga";

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }

const RouteRecord* Route(int32_t index) {
    return index >= 0 && index < g_RoutesMgr.m_iRouteCount ? &g_RoutesMgr.m_Routes[index] : nullptr;
}

}  // namespace

void CMenu::LoadResources(uint32_t page, bool sceneMode) {
    if (m_bActive) return;
    m_uTileCount = 0;
    m_fShowcaseYaw[0] = m_fShowcaseYaw[1] = -2.1f;
    m_iSelectedRoute = -1;
    m_iOfferedSlot = -1;
    m_fEffectTimer = 10.0f;
    m_bSceneMode = sceneMode ? 1 : 0;
    m_bActive = 1;
    if (page == 13 || page == 15) CaptureScreenTexture();
    if (sceneMode) {
        const double start = QueryAppTimer(TIMER_GETABSOLUTETIME);
        g_Engine.EndWorld();
        g_Engine.m_bWorldRunning = 0;
        char line[96];
        std::snprintf(line, sizeof line, "Menu::LoadResources() time: %f",
                      QueryAppTimer(TIMER_GETABSOLUTETIME) - start);
        g_Console.Print(line);
        g_MusicPlaylist.Reset();
        g_FXMgr.LoadResources();
        g_MusicPlaylist.Next();
        std::snprintf(line, sizeof line, "Menu m_bLoadResources time: %f", QueryAppTimer(TIMER_GETABSOLUTETIME) - start);
        g_Console.Print(line);
    }
    const float width = static_cast<float>(g_Settings.m_iScreenWidth);
    const float height = static_cast<float>(g_Settings.m_iScreenHeight);
    m_Cursor.Create("hud_kursor.tga", 0, 0, 48 * Sx(), 48 * Sy(), 0xFFFFFFFF);
    m_Overlay.Create("czarne.tga", 0, 0, width, height, 0xA0000000);
    m_Bars[0].Create("hud_button_5.tga", 0, 0, 1, 1, 0xFFFFFFFF);
    m_Bars[1].Create("hud_button_6.tga", 0, 0, 1, 1, 0xFFFFFFFF);
    m_ProfilePicture.Create("hud_menu_profil.tga", 0, 0, width, height, 0xFFFFFFFF);
    const char* medals[] = {"hud_menu_pusty.tga", "hud_menu_zloto.tga", "hud_menu_srebro.tga", "hud_menu_braz.tga"};
    for (int i = 0; i < 4; ++i) m_Medals[i].Create(medals[i], 0, 0, 1, 1, 0xFFFFFFFF);
    m_SliderBar.Create("hud_menu_slider_bar.tga", 0, 0, 1, 1, 0xFFFFFFFF);
    m_SliderKnob.Create("hud_menu_slider.tga", 0, 0, 1, 1, 0xFFFFFFFF);
    m_Tyre.Create(kTyre, 0, 0, 64, 64, 0xFFFFFFFF);
    float gamma = 1.0f;
    g_Camera.GetGamma(gamma);
    m_fGamma = m_fAppliedGamma = gamma / 3;
    g_Engine.ReleaseKeyboard();
    g_Mouse.SaveState();
    g_Mouse.m_State.m_dLookX = g_Mouse.m_State.m_dLookY = 0;
    m_fClock = 0;
    if (sceneMode && !g_ProfileMgr.m_bProfileSelected) {
        m_iOfferedSlot = m_iDeleteSlot = m_iEntrySlot = -1;
        ClearMessage();
        page = 9;
    }
    ShowPage(page);
}

void CMenu::CloseMenu() {
    if (!m_bActive) return;
    g_CommandMgr.SaveKeys();
    if (!g_Engine.m_bWorldRunning) g_FXMgr.Release();
    g_Mouse.RestoreState();
    g_Engine.AcquireKeyboard();
    m_bActive = 0;
    ClearItems();
    ExitWorld();
    g_SoundMgr.SetMasterVolume(g_Settings.m_fSecondVolume);
}

void CMenu::ExitWorld() {
    m_ProfilePicture.Release();
    m_Bars[0].Release();
    m_Bars[1].Release();
    m_Background.Release();
    for (ERect& medal : m_Medals) medal.Release();
    m_SliderBar.Release();
    m_SliderKnob.Release();
    m_Cursor.Release();
    m_Overlay.Release();
    m_Tyre.Release();
    m_BackIcon.Release();
}

void CMenu::StartRace(int32_t index) {
    // A route outside the table (also "none", -1) starts nothing.
    const RouteRecord* route = Route(index);
    if (!route) return;
    g_RoutesMgr.m_iCurrentRoute = index;
    ProfileRecord& profile = *g_ProfileMgr.m_pCurrentProfile;
    if (profile.m_iMoney < route->m_iEntryFee) return;
    g_Console.Print("Start wyscigu");
    m_iSelectedMachine = profile.m_iSelectedMachine;
    g_ProfileMgr.UpdateCurrentMachine();
    CloseMenu();
    g_ProfileMgr.AddMoney(-route->m_iEntryFee);
    g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
    g_MusicPlaylist.Stop();
    g_Settings.m_iOstatniaTrasa = index;
    g_Engine.RequestStartWorld(route->m_szWorld);
    g_Console.PrintStr2("Start turnieju: ", route->m_szWorld);
}

void CMenu::Restart() {
    g_Console.Print("Restart");
    CloseMenu();
    g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
    g_MusicPlaylist.Stop();
    if (const RouteRecord* route = Route(g_RoutesMgr.m_iCurrentRoute)) g_Engine.RequestStartWorld(route->m_szWorld);
}

void CMenu::BackToMainMenu() {
    CloseMenu();
    LoadResources(10, true);
}

void CMenu::CaptureScreenTexture() {
    m_Background.Release();
    if (!g_pd3dDevice) return;
    if (gfx::SaveBackBufferToBmp(*g_pd3dDevice, kCapturedPicture) != gfx::OK) return;
    m_Background.LoadScreenSized(kCapturedPicture);
    plat::DeleteFile(kCapturedPicture);
}

void CMenu::DrawBackground() {
    if (m_Background.m_pSurface) m_Background.Draw(nullptr);
    DrawTinted(m_Overlay, 312, 200, 712, 480, 0xA0FFFFFF);
}

void CMenu::SetResult(const char* const lines[3], uint32_t place, const char* picture) {
    for (int i = 0; i < 3; ++i) std::snprintf(m_szResultLines[i], sizeof m_szResultLines[i], "%s", lines[i] ? lines[i] : "");
    m_uResultPlace = place;
    m_ResultPicture.Release();
    if (picture && *picture) m_ResultPicture.LoadScreenSized(picture);
}

void CMenu::DrawResultBackground() {
    if (m_ResultPicture.m_pSurface) m_ResultPicture.Draw(nullptr);
    // The tyre over the podium step of the player's place.
    constexpr float kSteps[3][4] = {{382, 200, 642, 460}, {580, 340, 840, 600}, {180, 340, 440, 600}};
    if (m_uResultPlace < 1 || m_uResultPlace > 3) return;
    const float* r = kSteps[m_uResultPlace - 1];
    m_Tyre.SetRect(r[0] * Sx(), r[1] * Sy(), r[2] * Sx(), r[3] * Sy());
    m_Tyre.RenderWithStates(true, true);
}
