#include "game/CHudPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/EConsole.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/NumericHelpers.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "game/HudCanvas.h"
#include "render/ERenderer.h"
#include "vehicles/CPlayer.h"
#include "vehicles/RuchMgr.h"
#include "vehicles/Truck.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"
#include "world/EObjectSlot.h"

CHudPanel g_HudPanel;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kPromptColour = 0xFFF0F0A0;
constexpr uint32_t kZoneColour = 0xFFFF4040;
constexpr uint32_t kOffRouteColour = 0xA00092DD;
// The intro is black up to this frame of the main game.
constexpr uint32_t kIntroBlackFrames = 222;
constexpr float kMaxFadeStep = 0.05f;
constexpr float kCutsceneFadeRate = 4.0f;
constexpr float kIconGrowth = 96.0f;
constexpr float kIconStartHalfSize = 24.0f;
constexpr float kIconAgeRate = 1.5f;
constexpr float kOffRouteSeconds = 3.0f;
// Figures of the top panels: 18 units high, spaced at 0.75.
constexpr float kPanelFigureSize = 18.0f;
constexpr float kPanelFigureSpacing = 0.75f;
constexpr int kHelpLines = 10;

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }

// The quads made with their textures when a world starts, in the order they are made; the rest
// (digits, gears and work lamps) are made beside them by CreateQuads.
struct NamedQuad {
    ERect CHudPanel::*quad;
    const char* texture;
};
constexpr NamedQuad kNamedQuads[] = {
    {&CHudPanel::m_Colon, "hud_dwukropek.tga"},
    {&CHudPanel::m_Dot, "hud_kropka.tga"},
    {&CHudPanel::m_Slash, "hud_slash.tga"},
    {&CHudPanel::m_TopLarge, "hud_top_duzy.tga"},
    {&CHudPanel::m_TopSmall, "hud_top_maly.tga"},
};
constexpr NamedQuad kLaterQuads[] = {
    {&CHudPanel::m_GearR, "hud_gear_r.tga"},
    {&CHudPanel::m_GearN, "hud_gear_n.tga"},
    {&CHudPanel::m_GearF, "hud_gear_f.tga"},
};
constexpr NamedQuad kDashboardQuads[] = {
    {&CHudPanel::m_FillBar, "hud_pasek1.tga"},
    {&CHudPanel::m_FillNeedle, "hud_pasek1_wskazowka.tga"},
    {&CHudPanel::m_ProgressBar, "hud_pasek_zielony.tga"},
    {&CHudPanel::m_MapFrame, "hud_ramka_gps.tga"},
    {&CHudPanel::m_White, "bialy.tga"},
};
constexpr NamedQuad kMarkerQuads[] = {
    {&CHudPanel::m_ArrowUp, "hud_waypoint_gora.tga"},
    {&CHudPanel::m_ArrowRight, "hud_waypoint_prawo.tga"},
    {&CHudPanel::m_ArrowDown, "hud_waypoint_dol.tga"},
    {&CHudPanel::m_ArrowLeft, "hud_waypoint_lewo.tga"},
    {&CHudPanel::m_Waypoint3D, "hud_waypoint3D.tga"},
    {&CHudPanel::m_SpeedoBase, "hud_predkosciomierz_dol.tga"},
    {&CHudPanel::m_SpeedoOverlayCombine, "hud_predkosciomierz_gora.tga"},
    {&CHudPanel::m_SpeedoOverlay, "hud_predkosciomierz_gora0.tga"},
    {&CHudPanel::m_SpeedNeedle, "hud_strzalka_predkosc.tga"},
    {&CHudPanel::m_TempNeedle, "hud_strzalka_temp.tga"},
    {&CHudPanel::m_StartLight1, "hud_start_1.tga"},
    {&CHudPanel::m_StartLight2, "hud_start_2.tga"},
    {&CHudPanel::m_StartLight3, "hud_start_3.tga"},
    {&CHudPanel::m_StartFlag, "hud_start_flag.tga"},
};

// A texture the installation lacks leaves its quad uncreated, and so silently undrawn.
void CreateIfPresent(ERect& quad, const char* texture, float left, float top, float right, float bottom) {
    if (g_Renderer.FindTextureDescription(texture)) quad.Create(texture, left, top, right, bottom, kWhite);
}

void MakeQuad(ERect& quad, const char* texture) { CreateIfPresent(quad, texture, 0, 0, 64, 64); }

const RouteRecord* CurrentRoute() { return g_RoutesMgr.m_pCurrentRoute; }

}  // namespace

bool ProjectToScreen(const DV& point, float* x, float* y) {
    const pmath::Vec4 clip = pmath::Transform(point, g_Camera.m_View * g_Camera.m_Projection);
    if (clip.w <= 1e-4f) return false;
    *x = 512.0f * Sx() + 512.0f * Sx() / clip.w * clip.x;
    *y = 384.0f * Sy() - 384.0f * Sy() / clip.w * clip.y;
    return true;
}

CHudPanel::CHudPanel()
    : m_bDiscardMouse(0), m_bWideScreen(0), m_bForcedLook(0), m_fHotBeepTimer(0), m_uMapTriangles(0),
      m_fFrameTime(0), m_fBaseTemperature(0), m_fSmoothSpeed(0), m_fHeat(0), m_szInstructionKeys{},
      m_szInstructionLines{}, m_bHotWarning(0), m_bOverheating(0), m_fWhistleTimer(0), m_fFade(0),
      m_bHelpShown(0), m_pCanvas(&g_HudScreen) {}

CHudPanel::~CHudPanel() = default;

void CHudPanel::Load() {
    m_fWhistleTimer = 0;
    m_fHeat = 0;
    m_fHotBeepTimer = 0;
    m_fBaseTemperature = 0;
    m_fSmoothSpeed = 0;
    m_bHelpShown = 0;
    CreateQuads();
    ClearInstructions();
}

void CHudPanel::CreateQuads() {
    MakeQuad(m_Whistle, "hud_whistle.tga");
    char name[32];
    for (int d = 0; d < 10; ++d) {
        std::snprintf(name, sizeof name, "hud_%i.tga", d);
        MakeQuad(m_Digits[d], name);
    }
    for (const NamedQuad& q : kNamedQuads) MakeQuad(this->*q.quad, q.texture);
    for (int i = 0; i < kWorkIcons; ++i) {
        std::snprintf(name, sizeof name, "hud_ico%i_on.tga", i + 1);
        MakeQuad(m_WorkIcons[i], name);
    }
    for (const NamedQuad& q : kLaterQuads) MakeQuad(this->*q.quad, q.texture);
    for (int g = 0; g < kGears; ++g) {
        std::snprintf(name, sizeof name, "hud_gear_%i.tga", g + 1);
        MakeQuad(m_Gears[g], name);
    }
    for (const NamedQuad& q : kDashboardQuads) MakeQuad(this->*q.quad, q.texture);
    // The forbidden icon sits lower once the key bindings were read (their file's loaded flag).
    const float top = (g_MainGame.m_bGameOption2 ? 680.0f : 634.0f) * Sy();
    CreateIfPresent(m_Forbidden, "hud_r_forbidden.tga", 300 * Sx(), top, 300 * Sx() + 64 * Sx(), top + 64 * Sy());
    for (const NamedQuad& q : kMarkerQuads) MakeQuad(this->*q.quad, q.texture);
    CreateIfPresent(m_TurnLeft, "hud_ico_w_lewo.tga", 448 * Sx(), 136 * Sy(), 576 * Sx(), 264 * Sy());
    CreateIfPresent(m_TurnRight, "hud_ico_w_prawo.tga", 448 * Sx(), 136 * Sy(), 576 * Sx(), 264 * Sy());
    MakeQuad(m_InstructionFrame, "hud_ramka_txt.tga");
}

void CHudPanel::Release() {
    for (CHudIcon& icon : m_Icons) {
        icon.m_Quad.Release();
        icon.m_bInUse = 0;
    }
    ReleaseMapVB();
    ReleaseQuads();
}

void CHudPanel::ReleaseQuads() {
    for (ERect* quad : {&m_Whistle, &m_InstructionFrame, &m_Forbidden, &m_TurnLeft, &m_TurnRight})
        quad->Release();
    for (ERect& quad : m_Digits) quad.Release();
    for (ERect& quad : m_WorkIcons) quad.Release();
    for (ERect& quad : m_Gears) quad.Release();
    for (const NamedQuad& q : kNamedQuads) (this->*q.quad).Release();
    for (const NamedQuad& q : kLaterQuads) (this->*q.quad).Release();
    for (const NamedQuad& q : kDashboardQuads) (this->*q.quad).Release();
    for (const NamedQuad& q : kMarkerQuads) (this->*q.quad).Release();
}

void CHudPanel::Update() {
    m_fFrameTime = g_Engine.m_fFrameTime;
    for (CHudIcon& icon : m_Icons)
        if (icon.m_bInUse) AgeIcon(icon);
}

void CHudPanel::AgeIcon(CHudIcon& icon) {
    icon.m_fLife -= m_fFrameTime * kIconAgeRate;
    if (icon.m_fLife <= 0) {
        icon.m_Quad.Release();
        icon.m_bInUse = 0;
        return;
    }
    const float grown = (1.0f - icon.m_fLife) * kIconGrowth + kIconStartHalfSize;
    icon.m_Quad.SetRect(icon.m_fX - grown * Sx(), icon.m_fY - grown * Sy(), icon.m_fX + grown * Sx(),
                        icon.m_fY + grown * Sy());
    icon.m_Quad.SetColor(kWhite);
    icon.m_Quad.SetAlpha(icon.m_fLife);
}

void CHudPanel::AddWorldIcon(const char* textureName, const DV& position) {
    CHudIcon* icon = std::find_if(std::begin(m_Icons), std::end(m_Icons), [](const CHudIcon& i) { return !i.m_bInUse; });
    if (icon == std::end(m_Icons)) return;
    float x, y;
    // A point on or behind the camera's plane has no place on the screen: no icon.
    if (!ProjectToScreen(position, &x, &y)) return;
    MakeQuad(icon->m_Quad, textureName);
    icon->m_fLife = 1.0f;
    icon->m_fX = x;
    icon->m_fY = y;
    icon->m_bInUse = 1;
}

void CHudPanel::ClearInstructions() {
    std::memset(m_szInstructionKeys, 0, sizeof m_szInstructionKeys);
    std::memset(m_szInstructionLines, 0, sizeof m_szInstructionLines);
}

void CHudPanel::AddInstruction(const char* keyText, const char* lineText) {
    if (!keyText || !lineText || !*keyText || !*lineText) return;
    for (int i = 0; i < kInstructions; ++i) {
        if (m_szInstructionKeys[i][0]) continue;
        // The texts come from the text keys: a long one is cut to the pair's size.
        std::snprintf(m_szInstructionKeys[i], kTextSize, "%s", keyText);
        std::snprintf(m_szInstructionLines[i], kTextSize, "%s", lineText);
        return;
    }
}

void CHudPanel::Draw() {
    if (g_Player.m_bRunFinished || g_Settings.m_bMucha) return;
    HudCanvas& canvas = *m_pCanvas;
    m_fWhistleTimer -= m_fFrameTime;
    if (m_fFade > 0) DrawFade();
    canvas.BeginStates(m_White);
    const bool intro = g_Settings.m_bGameMode != 0;
    if (intro) DrawIntroBlack();
    // The intro and the cutscenes show nothing of the HUD but the zone warning; the 2-D states
    // end all the same.
    const bool hidden = intro || g_CutsceneMgr.m_pActiveScene;
    if (!hidden) {
        if (g_Player.m_iCountdown > -1) DrawStartLights();
        DrawGauges();
        DrawFillBars();
        DrawWorldIcons();
        if (g_Player.m_fRespawnCooldown > 0) canvas.Quad(m_Forbidden);
        if (g_MainGame.m_bGameOption1) DrawMapWindow();
        if (m_szInstructionLines[0][0]) DrawInstructionFrame();
        if (g_Player.m_bOffRoute) DrawOffRouteWarning();
        DrawTopPanel();
    }
    canvas.EndStates(m_White);
    if (!hidden) {
        DrawTarget();
        if (g_Player.GetSwitchableVehicle()) DrawSwitchPrompt();
        if (g_Player.m_bFinishPrompt)
            canvas.Print(g_TextMgr.GetText(">I13"), 512 * Sx(), 280 * Sy(), kPromptColour, 20, true);
        if (m_bHelpShown) DrawHelpList();
        if (m_szInstructionLines[0][0]) DrawInstructionTexts();
    }
    if (g_Player.m_bOutsideZone) canvas.Print(g_TextMgr.GetText(">Zone"), 512 * Sx(), 420 * Sy(), kZoneColour, 24, true);
}

void CHudPanel::DrawFullScreen(uint32_t colour) {
    m_White.SetRect(0, 0, static_cast<float>(g_Settings.m_iScreenWidth), static_cast<float>(g_Settings.m_iScreenHeight));
    m_White.SetColor(colour);
    m_pCanvas->Quad(m_White);
}

void CHudPanel::DrawFade() {
    m_pCanvas->BeginStates(m_White);
    const uint32_t alpha = static_cast<uint32_t>(std::min(255.0f, m_fFade * 255.0f));
    DrawFullScreen(alpha << 24);
    m_pCanvas->EndStates(m_White);
    const float rate = g_CutsceneMgr.m_pActiveScene ? kCutsceneFadeRate : 1.0f;
    m_fFade = std::max(0.0f, m_fFade - std::min(m_fFrameTime, kMaxFadeStep) * rate);
}

void CHudPanel::DrawIntroBlack() {
    if (g_MainGame.m_uFrameCounter <= kIntroBlackFrames) DrawFullScreen(kBlack);
}

void CHudPanel::DrawStartLights() {
    ERect* quad = &m_StartFlag;
    switch (g_Player.m_iCountdown) {
        case 1: quad = &m_StartLight1; break;
        case 2: quad = &m_StartLight2; break;
        case 3: quad = &m_StartLight3; break;
        default: break;
    }
    const float p = std::clamp(g_Player.m_fCountdownTimer, 0.0f, 1.0f);
    const float half = 128.0f * p + 64.0f;
    quad->SetRect((512 - half) * Sx(), (280 - half) * Sy(), (512 + half) * Sx(), (280 + half) * Sy());
    quad->SetColor(kWhite);
    quad->SetAlpha(1.0f - p);
    m_pCanvas->Quad(*quad);
}

void CHudPanel::DrawDigits(const char* text, float x, float y, float size, uint32_t colour, float spacing) {
    if (!text) return;
    for (const char* c = text; *c; ++c) {
        ERect* quad = nullptr;
        if (*c >= '0' && *c <= '9') quad = &m_Digits[*c - '0'];
        else if (*c == ':') quad = &m_Colon;
        else if (*c == '.') quad = &m_Dot;
        else if (*c == '/') quad = &m_Slash;
        if (!quad) continue;
        const float top = y + 1.5f * Sy();
        quad->SetColor(colour);
        quad->SetRect(x, top, x + size, top + size);
        m_pCanvas->Quad(*quad);
        x += size * spacing * 0.68f;
    }
}

void CHudPanel::DrawWorldIcons() {
    for (CHudIcon& icon : m_Icons)
        if (icon.m_bInUse) m_pCanvas->Quad(icon.m_Quad);
}

void CHudPanel::DrawInstructionFrame() {
    m_InstructionFrame.SetRect(342 * Sx(), 670 * Sy(), 682 * Sx(), 748 * Sy());
    m_pCanvas->Quad(m_InstructionFrame);
}

void CHudPanel::DrawOffRouteWarning() {
    m_pCanvas->Quad(g_Player.m_bOffRouteLeft ? m_TurnLeft : m_TurnRight);
    char text[16];
    FormatLapTimeString(kOffRouteSeconds - g_Player.m_fOffRouteTimer, text);
    m_pCanvas->Print(text, 512 * Sx(), 300 * Sy(), kOffRouteColour, 24, true);
}

void CHudPanel::DrawTopPanel() {
    const RouteRecord* route = CurrentRoute();
    const float left = 1030 * Sx() - 320 * Sy(), right = 1030 * Sx(), top = 20 * Sy(), bottom = 180 * Sy();
    if (route && route->m_bWithOpponents) DrawRacePanel(left, top, right, bottom);
    else DrawTaskPanel(route ? *route : RouteRecord{}, left, top, right, bottom);
}

void CHudPanel::DrawRacePanel(float left, float top, float right, float bottom) {
    m_TopSmall.SetRect(left, top, right, bottom);
    m_pCanvas->Quad(m_TopSmall);
    const float row = Lerp(top, bottom, 0.21875f), size = kPanelFigureSize * Sy();
    char time[16];
    FormatLapTimeString(g_Player.m_fRunTime, time);
    DrawDigits(time, Lerp(left, right, 0.1640625f), row, size, kWhite, kPanelFigureSpacing);
    char standing[32];
    std::snprintf(standing, sizeof standing, "%i / %i", g_RuchMgr.m_iRacePosition, g_RuchMgr.m_iCarCount);
    DrawDigits(standing, Lerp(left, right, 0.53515625f), row, size, kWhite, kPanelFigureSpacing);
}

void CHudPanel::DrawTaskPanel(const RouteRecord& route, float left, float top, float right, float bottom) {
    m_TopLarge.SetRect(left, top, right, bottom);
    m_pCanvas->Quad(m_TopLarge);
    const float row = Lerp(top, bottom, 0.21875f), size = kPanelFigureSize * Sy();
    char text[16];
    const float time = g_Player.m_fRunTime;
    FormatLapTimeString(time, text);
    DrawDigits(text, Lerp(left, right, 0.16015625f), row, size, kWhite, kPanelFigureSpacing);
    const float* limits = CPlayer::PlaceTimes(route);
    const int place = time < limits[0] ? 0 : time < limits[1] ? 1 : 2;
    const char placeText[2] = {static_cast<char>('1' + place), 0};
    DrawDigits(placeText, Lerp(left, right, 0.52734375f), row, size, kWhite, kPanelFigureSpacing);
    FormatLapTimeString(limits[place], text);
    DrawDigits(text, Lerp(left, right, 0.61328125f), row, size, kWhite, kPanelFigureSpacing);
    // The task's progress in percent: the field work's percentages and the slalom's gates are not
    // counted yet, so every task shows an empty bar.
    const float progress = 0.0f;
    const float barLeft = Lerp(left, right, 0.171875f);
    m_ProgressBar.SetRect(barLeft, Lerp(top, bottom, 0.4296875f), Lerp(barLeft, Lerp(left, right, 0.8769531f), progress * 0.01f),
                          Lerp(top, bottom, 0.5078125f));
    m_pCanvas->Quad(m_ProgressBar);
}

void CHudPanel::DrawSwitchPrompt() {
    const EObjectSlot* vehicle = g_Player.GetSwitchableVehicle();
    const Truck* truck = vehicle ? vehicle->m_hTruck : nullptr;
    if (!truck || !truck->m_bPlayerCanDrive) return;
    char text[2 * kTextSize];
    std::snprintf(text, sizeof text, "Press ENTER to change tractor to %s", truck->m_szName);
    m_pCanvas->Print(text, 512 * Sx(), 250 * Sy(), kPromptColour, 20, true);
}

void CHudPanel::DrawHelpList() {
    const char group = EConsole::LoadingTipsGroup(g_RoutesMgr.CurrentRouteTasks(), g_Menu.m_bActive != 0);
    if (!group) return;
    for (int n = 0; n < kHelpLines; ++n) {
        // The list shows the lines its group has.
        const char* line = g_TextMgr.FindText(EConsole::LoadingTipKey(group, n).c_str());
        if (line) m_pCanvas->Print(line, 512 * Sx(), (80.0f + 26.0f * n) * Sy(), kWhite, 22, true);
    }
}

void CHudPanel::DrawInstructionTexts() {
    for (int i = 0; i < kInstructions; ++i) {
        if (!m_szInstructionLines[i][0]) continue;
        const float y = (680.0f + 20.0f * i) * Sy();
        m_pCanvas->Print(m_szInstructionKeys[i], 370 * Sx(), y, kWhite, 16, false);
        m_pCanvas->Print(m_szInstructionLines[i], 420 * Sx(), y, kWhite, 16, false);
    }
}
