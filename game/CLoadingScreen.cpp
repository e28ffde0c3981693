#include "game/CLoadingScreen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/CSoundMgr.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EMouse.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/FrameFacts.h"
#include "core/StringHelpers.h"
#include "game/CMainGame.h"
#include "render/D3DDevice.h"
#include "render/EFont.h"
#include "world/EEngine.h"

CLoadingScreen g_LoadingScreen;

namespace {

constexpr uint32_t kTextColour = 0xFFD9D5BF;
constexpr float kTipLeft = 512.0f;
constexpr float kTipTop = 40.0f;
constexpr float kTipTopWithThirdLine = 20.0f;
constexpr float kTipSpacing = 22.0f;
constexpr float kTipSize = 20.0f;
constexpr float kCaptionLeft = 80.0f;
constexpr float kCaptionTop = 698.0f;
constexpr float kCaptionSize = 18.0f;
constexpr int kKeyStates = 256;
// Tips are chosen after a second with 3 meshes loaded, or at once with 11.
constexpr float kTipsDelay = 1.0f;
constexpr int kTipsSomeSteps = 3;
constexpr int kTipsManySteps = 11;

struct WorldTips {
    const char* world;
    const char* tips[9];  // keys without the leading '>', null-terminated
};

const WorldTips kWorldTips[] = {
    {"worlds\\test.w", {"L1T01", "L1T02", "L1T03"}},
    {"worlds\\level_01.w", {"it20", "it21", "it22", "it23", "it24"}},
    {"worlds\\level_02.w", {"L2T01", "L2T02", "L2T03", "L2T04", "L2T05", "L2T06", "L2T07", "L2T08"}},
    {"worlds\\level_03.w", {"L3T01", "L3T02", "L3T03", "L3T04"}},
    {"worlds\\level_04.w", {"L4T01", "L4T02"}},
    {"worlds\\level_05.w", {"L5T01", "L5T02"}},
    {"worlds\\level_06.w", {"L6T01", "L6T02", "L6T03", "L6T04", "L6T05", "L6T06", "L6T07", "L6T08"}},
    {"worlds\\level_07.w", {"L7T01", "L7T02", "L7T03", "L7T04"}},
    {"worlds\\level_08.w", {"L8T01", "L8T02", "L8T03", "L8T06", "L8T07", "L8T08", "L8T09", "L8T10"}},
    {"worlds\\level_09.w", {"L9T01", "L9T02", "L9T03", "L9T04", "L9T05", "L9T06"}},
    {"worlds\\level_10.w", {"L10T18", "L10T19", "L10T20"}},
};

bool AnyKeyHeld() {
    return std::any_of(g_CommandMgr.m_State, g_CommandMgr.m_State + kKeyStates, [](uint8_t s) { return s != 0; });
}

}  // namespace

CLoadingScreen::CLoadingScreen()
    : m_bActive(0), m_bInputLock(0), m_fTimer(0), m_bKeyLatch(0), m_bMouseLatch(0), m_pTips{}, m_uTip(0),
      m_szTipLines{}, m_bTipsChosen(0), m_pTipSound(nullptr), m_bPaging(0), m_szWorld{} {}

CLoadingScreen::~CLoadingScreen() = default;

void CLoadingScreen::Begin(const char* worldFile) {
    std::snprintf(m_szWorld, sizeof m_szWorld, "%s", worldFile ? worldFile : "");
    m_fTimer = 0;
    m_bActive = 1;
    m_bInputLock = 1;
    m_bTipsChosen = 0;
    m_pTipSound = nullptr;
    m_bPaging = 0;
    m_bKeyLatch = 0;
    m_bMouseLatch = 0;
}

void CLoadingScreen::CreateBar() {
    m_bInputLock = 0;
    m_Bar.Create("menu_pasek_pod_menu.tga", 0, 0, 64, 64, 0xFFFFFFFF);
}

void CLoadingScreen::DrawTips() {
    if (!m_bPaging) return;
    float top = m_szTipLines[2][0] ? kTipTopWithThirdLine : kTipTop;
    for (int i = 0; i < 3; ++i)
        g_Font.Print(m_szTipLines[i], kTipLeft * g_Settings.m_fScaleX,
                     (top + kTipSpacing * static_cast<float>(i)) * g_Settings.m_fScaleY, kTextColour, kTipSize, 0,
                     true, false);
}

void CLoadingScreen::Render() {
    if (!m_bActive || !g_pd3dDevice) return;
    g_pd3dDevice->SetRenderState(gfx::RS_MULTISAMPLEANTIALIAS, 0);
    g_pd3dDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    g_pd3dDevice->BeginScene();
    g_Console.DrawTextBox();
    g_Font.Begin();
    DrawTips();
    if (g_MainGame.m_uFrameCounter >= kCaptionFrames) {
        g_Font.Flush();
        g_pd3dDevice->EndScene();
        g_pd3dDevice->Present();
    } else {
        g_Font.Print(g_TextMgr.GetText(">Cache"), kCaptionLeft * g_Settings.m_fScaleX,
                     kCaptionTop * g_Settings.m_fScaleY, kTextColour, kCaptionSize, 0, false, false);
        g_Font.Flush();
        g_Console.DrawProgressBar();
    }
    // No normal frame is rendered while the screen shows: a screenshot asked for shows the screen.
    if (g_Engine.m_bScreenshot) g_Engine.SaveScreenshot();
}

void CLoadingScreen::Update() {
    m_fTimer += g_FrameFacts.frameTime;
    if (!m_bTipsChosen) {
        int steps = g_Console.m_iLoadingDone;
        if ((steps >= kTipsSomeSteps && m_fTimer > kTipsDelay) || steps >= kTipsManySteps) SelectTips();
    }
    if (m_bPaging && !g_SoundMgr.IsPlaying(m_pTipSound)) {
        const char* next = m_pTips[++m_uTip];
        if (next) StartTip();
        else m_bPaging = 0;
    }
    if (m_bInputLock) return;
    uint8_t keyHeld = AnyKeyHeld() ? 1 : 0;
    uint8_t mouseHeld = g_Mouse.m_State.m_Buttons[0] ? 1 : 0;
    // A tool run has no use for the screen: it closes at once.
    if (g_Settings.m_bEditor || (m_bKeyLatch && !keyHeld) || (m_bMouseLatch && !mouseHeld)) {
        Close();
        return;
    }
    m_bKeyLatch = keyHeld;
    m_bMouseLatch = mouseHeld;
}

void CLoadingScreen::SelectTips() {
    std::fill(std::begin(m_pTips), std::end(m_pTips), nullptr);
    for (const WorldTips& entry : kWorldTips) {
        if (StrICmp(entry.world, m_szWorld) != 0) continue;
        std::copy(std::begin(entry.tips), std::end(entry.tips), m_pTips);
        m_uTip = 0;
        StartTip();
        m_bPaging = m_pTipSound ? 1 : 0;
        break;
    }
    m_bKeyLatch = 0;
    m_bMouseLatch = 0;
    m_bTipsChosen = 1;
}

void CLoadingScreen::Close() {
    g_Console.ReleaseTextBoxRect();
    m_bActive = 0;
    m_bTipsChosen = 0;
    // The click that closed the screen is not seen by the game.
    g_Mouse.m_State.m_Buttons[0] = 0;
    g_Mouse.m_SavedState.m_Buttons[0] = 0;
    m_bKeyLatch = 0;
    m_bMouseLatch = 0;
    m_Bar.Release();
}
