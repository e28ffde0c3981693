#include "game/CMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/CCommandMgr.h"
#include "core/EDebug.h"
#include "core/EMouse.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/CMainGame.h"
#include "game/CProfileMgr.h"
#include "render/EFont.h"
#include "audio/CSoundMgr.h"
#include "world/CRoutesMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

CMenu g_Menu;

namespace {

constexpr const char* kItemTag = "submenu";
constexpr const char* kBackIcon = "menu_ico_wroc.tga";
constexpr const char* kQuitIcon = "menu_ico_wyjdz.tga";
constexpr float kPi = 3.14159265f;
constexpr float kTextSize = 20.0f;
constexpr uint32_t kKeyEnter = 13, kKeyEscape = 27, kKeyF8 = 119;
constexpr uint32_t kBarWhite = 0xFFFFFFFF, kBarIdle = 0xFFA0A0A0, kBarDisabled = 0xFF606060;

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }
const char* Text(const char* key) { return g_TextMgr.GetText(key); }

// A colour 30 % of the way to white, with the selection bar's alpha.
uint32_t BarColour(uint32_t colour) {
    uint32_t out = 0xF0000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = (colour >> shift) & 0xFF;
        out |= (c + (255 - c) * 3 / 10) << shift;
    }
    return out;
}


}  // namespace

CMenu::CMenu()
    : m_bActive(0), m_bSceneMode(0), m_uPage(10), m_pItems(nullptr), m_uNextId(0), m_pHovered(nullptr),
      m_pPressed(nullptr), m_pEdited(nullptr), m_uEditedLength(0), m_bBackButton(0), m_szBackCaption{}, m_uBackPage(10),
      m_fCursorX(0), m_fCursorY(0), m_bButtonDown(0), m_bButtonDownLast(0), m_bWaitForRelease(0), m_fFrameTime(0),
      m_fClock(0), m_szMessageCaption{}, m_szMessageText{}, m_uSliderCount(0), m_Sliders{}, m_fGamma(1.0f / 3),
      m_fAppliedGamma(-1), m_szResultLines{}, m_uResultPlace(0), m_iSelectedRoute(-1), m_iSelectedMachine(-1),
      m_iShopIndex(0), m_uCountry(0), m_bRouteList(0), m_uTileCount(0), m_Tiles{}, m_iSelectedTile(-1), m_szRouteInfo{},
      m_iOfferedSlot(-1), m_iDeleteSlot(-1), m_iEntrySlot(-1), m_szEntryName{}, m_iEntryCursor(0), m_bCapturing(0),
      m_bCaptureLatch(0), m_iCaptureRow(-1), m_iCaptureColumn(0), m_fCreditsScroll(768), m_fShowcaseYaw{},
      m_fEffectTimer(0) {}

CMenu::~CMenu() {
    while (m_pItems) {
        MenuItem* next = m_pItems->m_pNext;
        delete m_pItems;
        m_pItems = next;
    }
}

void CMenu::Init() {}
void CMenu::Release() {}

// ---- Items -------------------------------------------------------------------------------------

uint32_t CMenu::AddItem(uint32_t kind, const char* text, float x, float y, float scale, bool centred,
                        int32_t fadeMode, bool disabled, bool rightAligned, bool indented) {
    MenuItem* item = new MenuItem{};
    g_Debug.AddAlloc(kItemTag);
    item->m_uId = m_uNextId++;
    item->m_uKind = kind;
    item->m_iFadeMode = fadeMode;
    item->m_bDisabled = disabled ? 1 : 0;
    const char* shown = text && *text ? text : " ";
    std::snprintf(item->m_szText, sizeof item->m_szText, "%s%s", indented ? "        " : "", shown);
    item->m_fAlpha = 1.0f;
    item->m_uColourAlpha = 0xFF000000;
    item->m_fHomeX = x;
    item->m_fY = y;
    item->m_fScale = scale;
    // The width in the 1024-wide frame, at the size the item is drawn.
    item->m_fWidth = g_Font.GetTextWidth(item->m_szText, kTextSize * scale, 0) / std::max(Sx(), 0.001f);
    if (centred) x -= item->m_fWidth / 2;
    else if (rightAligned) x -= item->m_fWidth;
    item->m_fX = x;
    item->m_pNext = m_pItems;
    if (m_pItems) m_pItems->m_pPrev = item;
    m_pItems = item;
    return item->m_uId;
}

void CMenu::ClearItems() {
    while (m_pItems) {
        MenuItem* next = m_pItems->m_pNext;
        delete m_pItems;
        g_Debug.RemoveAlloc(kItemTag);
        m_pItems = next;
    }
    m_uNextId = 0;
    m_pHovered = m_pPressed = m_pEdited = nullptr;
    m_uEditedLength = 0;
    m_uSliderCount = 0;
    ClearBackButton();
}

MenuItem* CMenu::FindItem(uint32_t id) const {
    for (MenuItem* item = m_pItems; item; item = item->m_pNext)
        if (item->m_uId == id) return item;
    return nullptr;
}

void CMenu::SetBackButton(const char* iconFile, const char* caption, uint32_t targetPage) {
    m_bBackButton = 1;
    m_BackIcon.Release();
    m_BackIcon.Create(iconFile, 40, 670, 118, 748, 0xFFFFFFFF);
    std::snprintf(m_szBackCaption, sizeof m_szBackCaption, "%s", caption);
    m_uBackPage = targetPage;
}

void CMenu::ClearBackButton() {
    m_bBackButton = 0;
    m_BackIcon.Release();
    m_szBackCaption[0] = 0;
}

void CMenu::ClearMessage() {
    m_szMessageCaption[0] = 0;
    m_szMessageText[0] = 0;
}

// ---- Pages -------------------------------------------------------------------------------------

void CMenu::ShowPage(uint32_t pageId) {
    ClearItems();
    g_Engine.ReleaseKeyboard();
    // The profiles, the difficulty and the route page choose the machine themselves.
    if (pageId != 9 && pageId != 11 && pageId != 12) EnsureTractorSelected();
    m_bRouteList = 0;
    m_uPage = pageId;
    ShowPageItems(pageId);
}

void CMenu::ShowPageItems(uint32_t pageId) {
    const float title = kTitleScale, item = kItemScale;
    switch (pageId) {
        case 8:
            ClearMessage();
            AddItem(MenuItem::kText, Text(">M29"), 512, 248, title, true, -1, false, false, false);
            AddItem(MenuItem::kButton, Text(">MYes"), 416, 338, 1, true, 0, false, false, false);
            AddItem(MenuItem::kButton, Text(">MNo"), 608, 338, 1, true, 0, false, false, false);
            break;
        case 9: ShowProfilesPage(); break;
        case 10: {
            AddItem(MenuItem::kText, Text(">M63"), 512, 16, title, true, -1, false, false, false);
            const char* keys[] = {">M55", ">M57", ">M62", ">M61", ">M59", ">M60", ">M39", ">M36"};
            for (int i = 0; i < 8; ++i)
                AddItem(MenuItem::kButton, Text(keys[i]), 140, 180.0f + 50.0f * i, 1, false, 1, false, false, false);
            SetBackButton(kQuitIcon, Text(">M64"), 8);
            break;
        }
        case 11:
            ClearMessage();
            m_bWaitForRelease = 1;
            AddItem(MenuItem::kText, Text(">M45"), 512, 180, title, true, -1, false, false, false);
            AddItem(MenuItem::kText, Text(">M46"), 512, 220, 1, true, -1, false, false, false);
            AddItem(MenuItem::kButton, Text(">M42"), 512, 320, 1, true, 0, false, false, false);
            AddItem(MenuItem::kButton, Text(">M43"), 512, 380, 1, true, 0, false, false, false);
            AddItem(MenuItem::kButton, Text(">M44"), 512, 440, 1, true, 0, false, false, false);
            break;
        case 12: ShowRoutePage(); break;
        case 13:
            AddItem(MenuItem::kText, Text(">M68"), 512, 240, title, true, -1, false, false, false);
            for (int i = 0; i < 4; ++i) {
                const char* keys[] = {">M69", ">M70", ">M71", ">M72"};
                AddItem(MenuItem::kButton, Text(keys[i]), 512, 300.0f + 30.0f * i, item, true, -1, false, false, false);
            }
            break;
        case 14: ShowResultPage(); break;
        case 15:
            AddItem(MenuItem::kText, Text(">M29"), 512, 240, title, true, -1, false, false, false);
            AddItem(MenuItem::kButton, Text(">MYes"), 442, 330, 1, true, -1, false, false, false);
            AddItem(MenuItem::kButton, Text(">MNo"), 582, 330, 1, true, -1, false, false, false);
            break;
        case 20:
            m_bRouteList = 1;
            AddItem(MenuItem::kText, Text(">G08"), 512, 106, title, true, -1, false, false, false);
            SetBackButton(kBackIcon, Text(">MBack"), 10);
            break;
        case 30:
            m_bWaitForRelease = 1;
            AddItem(MenuItem::kButton, Text(">MBack"), 140, 680, 1, false, 1, false, false, false);
            BuildRouteGrid();
            SetBackButton(kBackIcon, Text(">MBack"), 10);
            break;
        case 40: ShowGaragePage(); break;
        case 41: ShowOwnedPage(); break;
        case 42: ShowShopPage(); break;
        case 43: ShowSalePage(); break;
        case 52: ShowUpgradesPage(); break;
        case 60: ShowAchievementsPage(); break;
        case 70: ShowOptionsPage(); break;
        case 73: ShowControlsPage(); break;
        case 80:
            ClearMessage();
            m_fCreditsScroll = 768;
            g_MainGame.BuildCredits();
            AddItem(MenuItem::kButton, Text(">MBack"), 140, 680, 1, false, 1, false, false, false);
            SetBackButton(kBackIcon, Text(">MBack"), 10);
            break;
        default: break;
    }
}

void CMenu::ShowRoutePage() {
    m_bWaitForRelease = 1;
    FitMachineToRoute();
    AddItem(MenuItem::kText, Text(">M73"), 512, 16, kTitleScale, true, -1, false, false, false);
    for (int i = 0; i < 3; ++i)
        AddItem(MenuItem::kText, m_szRouteInfo[i], 512, 80.0f + 28.0f * i, 1, true, -1, false, false, false);
    AddItem(MenuItem::kText, " ", 512, 164, 1, true, -1, false, false, false);
    const RouteRecord* route = m_iSelectedRoute >= 0 && m_iSelectedRoute < g_RoutesMgr.m_iRouteCount
                                   ? &g_RoutesMgr.m_Routes[m_iSelectedRoute]
                                   : nullptr;
    const bool affordable = route && g_ProfileMgr.m_pCurrentProfile->m_iMoney >= route->m_iEntryFee;
    if (affordable) AddItem(MenuItem::kButton, Text(">G74"), 512, 620, 1, true, 0, false, false, false);
    else AddItem(MenuItem::kText, Text(">G79"), 512, 620, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">MP17"), 312, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">MP18"), 712, 580, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">MBack"), 140, 680, 1, false, 1, false, false, false);
    SetBackButton(kBackIcon, Text(">MBack"), 30);
}

void CMenu::ShowResultPage() {
    for (int i = 0; i < 3; ++i)
        AddItem(MenuItem::kText, m_szResultLines[i], 512, 410.0f + 30.0f * i, 1, true, -1, false, false, false);
    // The buttons stand a half step below the lines.
    const char* keys[] = {">M65", ">M66", ">M67"};
    for (int i = 0; i < 3; ++i)
        AddItem(MenuItem::kButton, Text(keys[i]), 512, 545.0f + 30.0f * i, 1, true, -1, false, false, false);
}

void CMenu::HandleSelection() {
    if (!m_pHovered) return;
    HandlePageSelection(m_pHovered->m_uId);
}

void CMenu::HandlePageSelection(uint32_t id) {
    switch (m_uPage) {
        case 8:
            if (id == 1) {
                CloseMenu();
                g_Engine.Quit();
            } else if (id == 2) {
                ShowPage(10);
            }
            break;
        case 9: HandleProfileSelection(id); break;
        case 10: {
            constexpr uint32_t kTargets[] = {0, 30, 40, 73, 70, 60, 9, 80, 8};
            if (id == 1 && !g_ProfileMgr.CurrentMachine()) break;
            if (id >= 1 && id <= 8) ShowPage(kTargets[id]);
            break;
        }
        case 11:
            if (id >= 2 && id <= 4) ChooseDifficulty(static_cast<int32_t>(id) - 2);
            break;
        case 12:
            if (id == 5) StartRace(m_iSelectedRoute);
            else if (id == 6) StepMachineForRoute(-1);
            else if (id == 7) StepMachineForRoute(1);
            else if (id == 8) ShowPage(30);
            break;
        case 13:
            if (id == 1) CloseMenu();
            else if (id == 2) BackToMainMenu();
            else if (id == 3) Restart();
            else if (id == 4) ShowPage(15);
            break;
        case 14:
            if (id == 4) BackToMainMenu();
            else if (id == 5) Restart();
            else if (id == 6) {
                CloseMenu();
                g_Engine.Quit();
            }
            break;
        case 15:
            if (id == 1) {
                CloseMenu();
                g_Engine.Quit();
            } else if (id == 2) {
                ShowPage(13);
            }
            break;
        case 30:
        case 80:
            if (id == 0) ShowPage(10);
            break;
        case 40:
        case 41:
        case 42:
        case 43:
        case 52: HandleGarageSelection(id); break;
        case 60:
            if (id == 11) ShowPage(10);
            break;
        case 70:
            if (id == 2) m_fGamma = 1.0f / 3;
            else if (id == 9) ShowPage(10);
            break;
        case 73:
            if (id == 0) {
                g_CommandMgr.SaveKeys();
                ShowPage(10);
            } else if (id == 15) {
                ShowPage(10);
            }
            break;
        default: break;
    }
}

// ---- Input -------------------------------------------------------------------------------------

void CMenu::OnKeyDown(uint32_t key) {
    // A screenshot can be taken on every page, during name entry too.
    if (key == kKeyF8) {
        g_Engine.m_bScreenshot = 1;
        return;
    }
    const bool naming = m_uPage == 9 && m_iEntrySlot >= 0;
    if (key == kKeyEnter) {
        if (naming) EditProfileName(key);
        return;
    }
    if (key == kKeyEscape) {
        if (!m_bSceneMode) {
            CloseMenu();
        } else if (m_bBackButton) {
            if (m_uPage == 42 && !HasOwnedTractor()) return;
            g_CommandMgr.SaveKeys();
            ShowPage(m_uBackPage);
        } else if (m_uPage == 9) {
            if (naming) {
                m_iEntrySlot = -1;
                ShowPage(9);
            } else {
                g_Engine.Quit();
            }
        }
        return;
    }
    if (naming) EditProfileName(key);
}

void CMenu::OnKeyUp(uint32_t) {}

bool CMenu::ItemContains(const MenuItem& item) const {
    if (item.m_uKind == MenuItem::kCarousel) {
        if (!item.m_bCarouselVisible) return false;
        return m_fCursorX >= item.m_fCarousel[0] * Sx() && m_fCursorX <= item.m_fCarousel[2] * Sx() &&
               m_fCursorY >= item.m_fCarousel[1] * Sy() && m_fCursorY <= item.m_fCarousel[3] * Sy();
    }
    return m_fCursorX >= (item.m_fX - 24) * Sx() && m_fCursorX <= (item.m_fX + item.m_fWidth + 24) * Sx() &&
           m_fCursorY >= (item.m_fY - 8) * Sy() && m_fCursorY <= (item.m_fY + 28) * Sy();
}

void CMenu::UpdateMouse() {
    MouseState& mouse = g_Mouse.m_State;
    mouse.m_dLookX = std::clamp(mouse.m_dLookX, 0.0, static_cast<double>(kPi));
    mouse.m_dLookY = std::clamp(mouse.m_dLookY, 0.0, static_cast<double>(kPi));
    const float width = static_cast<float>(g_Settings.m_iScreenWidth);
    const float height = static_cast<float>(g_Settings.m_iScreenHeight);
    m_fCursorX = std::min(static_cast<float>(mouse.m_dLookX) / kPi * width, width - 8 * Sx());
    m_fCursorY = std::min(static_cast<float>(mouse.m_dLookY) / kPi * height, height - 8 * Sy());

    m_bButtonDownLast = m_bButtonDown;
    if (!GetMouseButton(0)) {
        m_bButtonDown = 0;
        m_bWaitForRelease = 0;
    } else {
        m_bButtonDown = m_bWaitForRelease ? 0 : 1;
    }

    m_pHovered = nullptr;
    for (MenuItem* item = m_pItems; item; item = item->m_pNext)
        if (item->m_uKind != MenuItem::kText && !item->m_bDisabled && ItemContains(*item)) m_pHovered = item;

    if (m_bButtonDown) {
        m_pPressed = m_pHovered;
        if (m_pPressed && m_pPressed->m_uKind == MenuItem::kField) {
            m_pEdited = m_pPressed;
            m_uEditedLength = static_cast<uint32_t>(std::strlen(m_pEdited->m_szText));
        } else if (m_pPressed) {
            m_pEdited = nullptr;
        }
        UpdateSliders();
    }
}

void CMenu::UpdateItemFade() {
    for (MenuItem* item = m_pItems; item; item = item->m_pNext) {
        if (item->m_iFadeMode < 0) continue;
        item->m_fAlpha = std::min(1.0f, item->m_fAlpha + 6 * m_fFrameTime);
        item->m_uColourAlpha = static_cast<uint32_t>(item->m_fAlpha * 255) << 24;
    }
}

void CMenu::Update() {
    if (!m_bActive) return;
    m_fFrameTime = g_Engine.m_fFrameTime;
    m_fClock += m_fFrameTime;
    g_ProfileMgr.CheckAchievements();
    UpdateItemFade();
    UpdateMouse();
    if (m_bActive && m_bButtonDownLast && !m_bButtonDown && !m_bWaitForRelease) HandleSelection();
    if (m_bActive && m_uPage == 30 && m_bButtonDown && !m_bButtonDownLast) PickRoute();
    g_SoundMgr.Music_SetVolume(g_Settings.m_fMusicVolume);
    g_SoundMgr.SetMasterVolume(0);
}

// ---- Drawing -----------------------------------------------------------------------------------

// While the menu shows its own scene the level's frame counter is held past the level's start, so
// what counts frames (the playlist, the effects) runs as in a level. Over a paused event it is left
// alone: a pause on an early frame must not skip the level's start.
void CMenu::PrepareSceneRender() {
    if (!m_bSceneMode) return;
    g_Engine.m_bWorldRender = 1;
    g_MainGame.m_uFrameCounter = kSceneFrame;
}

void CMenu::Render() {
    if (!m_bActive) return;
    if (m_fGamma != m_fAppliedGamma) {
        g_Camera.SetGamma(m_fGamma * 3);
        m_fAppliedGamma = m_fGamma;
    }
    if (m_uPage == 9 || m_bSceneMode) {
        DrawTinted(m_Overlay, 0, 0, 1024, 768, 0xFF000000);
        DrawTextBox(m_ProfilePicture);
        // Until the menu has a scene of its own, its other pages dim the picture behind their texts.
        if (m_uPage != 9) DrawTinted(m_Overlay, 0, 0, 1024, 768, 0xC0000000);
    } else if (m_uPage == 14) {
        DrawResultBackground();
    } else {
        DrawBackground();
    }
    if (m_uPage == 73) DrawControlsPage();
    if (m_uPage == 12) DrawMachineLine();
    if (m_uPage == 40 || m_uPage == 41 || m_uPage == 52) DrawMachineStats();
    if (m_uPage == 9) DrawNameEntry();
    if (m_uPage == 30) DrawRouteGrid();
    DrawItems();
    if (m_uPage == 80) DrawCredits();
    m_BackIcon.SetRect(40 * Sx(), 670 * Sy(), 118 * Sx(), 748 * Sy());
    m_Cursor.SetRect(m_fCursorX, m_fCursorY, m_fCursorX + 48 * Sx(), m_fCursorY + 48 * Sy());
    m_Cursor.RenderWithStates(true, true);
}

uint32_t CMenu::ItemColour(const MenuItem& item) const {
    uint32_t colour = kPlainColour;
    if (item.m_bDisabled) colour = kDisabledColour;
    else if (item.m_bHighlight) colour = kHighlightColour;
    else if (item.m_uKind == MenuItem::kButton || item.m_uKind == MenuItem::kCarousel)
        colour = &item == m_pPressed && m_bButtonDown ? kPressedColour : &item == m_pHovered ? kHoverColour : kIdleColour;
    else if (item.m_uKind == MenuItem::kField)
        colour = &item == m_pEdited ? kEditedColour : &item == m_pHovered ? kHoverColour : kIdleColour;
    return (colour & 0x00FFFFFF) | (item.m_uColourAlpha & 0xFF000000);
}

void CMenu::DrawSelectionBar(MenuItem& item) {
    const bool hovered = &item == m_pHovered && item.m_uKind == MenuItem::kButton;
    item.m_fGlow = hovered ? std::min(1.0f, item.m_fGlow + 8 * m_fFrameTime)
                           : std::max(0.0f, item.m_fGlow - 4 * m_fFrameTime);
    const float half = (item.m_iFadeMode == 1 ? 140.0f : 80.0f) + item.m_fGlow * 4;
    const float centre = item.m_fX + item.m_fWidth / 2;
    DrawTinted(m_Bars[item.m_iFadeMode == 1 ? 1 : 0], centre - half, item.m_fY - 20 - item.m_fGlow * 4, centre + half,
               item.m_fY + 36 + item.m_fGlow * 4,
               BarColour(hovered ? kBarWhite : item.m_bDisabled ? kBarDisabled : kBarIdle));
}

void CMenu::DrawItems() {
    g_ProfileMgr.DrawAchievementPopup();
    for (MenuItem* item = m_pItems; item; item = item->m_pNext)
        if (item->m_uKind != MenuItem::kCarousel && item->m_iFadeMode >= 0) DrawSelectionBar(*item);
    g_Font.Begin();
    g_Font.SetAdditive(false);
    if (m_uPage == 9 && m_iOfferedSlot >= 0)
        g_Font.Print(">", 104 * Sx(), (212.0f + 36.0f * m_iOfferedSlot) * Sy(), kHoverColour, kTextSize, 0, false, false);
    for (MenuItem* item = m_pItems; item; item = item->m_pNext) {
        if (item->m_uKind == MenuItem::kCarousel) continue;
        char text[MenuItem::kTextSize + 2];
        if (item == m_pEdited) {
            std::snprintf(text, sizeof text, "%s|", item->m_szText);
        } else {
            std::snprintf(text, sizeof text, "%s", item->m_szText);
        }
        g_Font.Print(text, item->m_fX * Sx(), item->m_fY * Sy(), ItemColour(*item), kTextSize * item->m_fScale, 0, false,
                     false);
    }
    g_Font.Flush();
    DrawSliders();
}

// ---- Helpers -----------------------------------------------------------------------------------

void CMenu::DrawTinted(ERect& quad, float left, float top, float right, float bottom, uint32_t colour) {
    quad.SetRect(left * Sx(), top * Sy(), right * Sx(), bottom * Sy());
    quad.SetColor(colour);
    quad.BeginStates(false);
    quad.Render(true);
    quad.EndStates();
}

float CMenu::MapRange(float value, float fromA, float toA, float fromB, float toB) {
    return toA + (value - fromA) / (fromB - fromA) * (toB - toA);
}

void CMenu::DrawTextBox(ERect& quad) {
    const float width = static_cast<float>(g_Settings.m_iScreenWidth);
    const float height = static_cast<float>(g_Settings.m_iScreenHeight);
    const float aspect = width / height, wide = 16.0f / 9.0f;
    float u0 = 0.0f, u1 = 1.0f;
    if (aspect < wide) {
        u0 = MapRange(aspect, 1.0f, 0.21875f, wide, 0.0f);
        u1 = MapRange(aspect, 1.0f, 0.78125f, wide, 1.0f);
    }
    quad.SetCorners(0, 0, width, 0, width, height, 0, height, u0, u1, 0, 1, 1);
    quad.RenderWithStates(true, false);
}

void Menu::LoadResources(uint32_t page, bool sceneMode) { g_Menu.LoadResources(page, sceneMode); }
