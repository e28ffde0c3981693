// The pages with more than a list of buttons: the route grid and the route's information, the
// profiles with name entry, the difficulty of a new profile, the achievements, the option sliders,
// the controls with key capture and the credits.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/CCommandMgr.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/Achievements.h"
#include "game/CMainGame.h"
#include "game/CMenu.h"
#include "game/CProfileMgr.h"
#include "render/EFont.h"
#include "world/CRoutesMgr.h"
#include "world/EEngine.h"

namespace {

constexpr float kTextSize = 20.0f;
constexpr float kTileSize = 16.0f;
constexpr uint32_t kTileColour = 0x80808080;
constexpr uint32_t kKeyColour = 0xFFB0B070;
constexpr uint32_t kCaptureColour = 0xFF00FF00;
constexpr uint32_t kKeyBackspace = 8, kKeyDelete = 46, kKeyLeft = 37, kKeyRight = 39, kKeyEnter = 13;
constexpr int kColumnRoutes = 11;
constexpr int kControlsRows = 14;

// The rows of the controls page: label and command.
struct ControlRow {
    const char* label;
    uint32_t command;
};
constexpr ControlRow kControls[kControlsRows] = {
    {">K01", 3},  {">K03", 4},  {">K09", 20}, {">K11", 21}, {">K05", 24}, {">K07", 25}, {">K13", 8},
    {">K19", 35}, {">K21", 38}, {">K23", 33}, {">K25", 34}, {">K33", 39}, {">K34", 41}, {">K35", 40},
};

float Sx() { return g_Settings.m_fScaleX; }
float Sy() { return g_Settings.m_fScaleY; }
const char* Text(const char* key) { return g_TextMgr.GetText(key); }
ProfileRecord& Profile() { return *g_ProfileMgr.m_pCurrentProfile; }

// The task of a route, the first kind that applies.
const char* TaskKey(const RouteRecord& r) {
    if (r.m_bWithOpponents) return r.m_bSpecial ? ">TD09" : ">TD01";
    if (r.m_bBaling) return ">TD04";
    if (r.m_bMowing) return ">TD05";
    if (r.m_bGrassMowing) return ">TD07";
    if (r.m_bPloughing) return ">TD03";
    if (r.m_bSowing) return ">TD08";
    if (r.m_bSlalom) return ">TD02";
    if (r.m_bGrain) return ">TD06";
    if (r.m_bPlanting) return ">TD10";
    return ">TD01";
}

// Minutes, seconds and hundredths: 1800 s reads "30:00.00".
void FormatMinutes(float seconds, char* out, size_t size) {
    const int minutes = static_cast<int>(seconds / 60);
    std::snprintf(out, size, "%i:%05.2f", minutes, static_cast<double>(seconds - 60.0f * minutes));
}

// A difficulty that picks a table entry: one outside 0..2 (not chosen yet) reads as the hardest.
int TableDifficulty(int32_t difficulty) { return difficulty >= 0 && difficulty <= 2 ? difficulty : 2; }

bool Inside(float x, float y, const float (&r)[4]) {
    return x >= r[0] * Sx() && x <= r[2] * Sx() && y >= r[1] * Sy() && y <= r[3] * Sy();
}

}  // namespace

// ---- Route grid --------------------------------------------------------------------------------

void CMenu::BuildRouteGrid() {
    m_uTileCount = 0;
    const ProfileRecord& profile = Profile();
    bool firstUnplayed = true;
    for (int i = 0; i < g_RoutesMgr.m_iRouteCount && m_uTileCount < kMaxTiles; ++i) {
        const RouteRecord& route = g_RoutesMgr.m_Routes[i];
        if (route.m_bHideInMenu) continue;
        RouteTile& tile = m_Tiles[m_uTileCount++];
        tile.m_uRoute = static_cast<uint32_t>(i);
        tile.m_bEnabled = profile.m_iMoney >= route.m_iEntryFee ? 1 : 0;
        const float x = 120.0f + 280.0f * static_cast<float>(i / kColumnRoutes);
        const float y = 120.0f + 46.0f * static_cast<float>(i % kColumnRoutes);
        const float rect[4] = {x, y, x + 260, y + 38};
        const float icon[4] = {x, y + 3, x + 32, y + 35};
        std::memcpy(tile.m_fRect, rect, sizeof rect);
        std::memcpy(tile.m_fIcon, icon, sizeof icon);
        std::snprintf(tile.m_szTask, sizeof tile.m_szTask, "%s", Text(TaskKey(route)));
        const uint32_t place = profile.BestPlace(i);
        tile.m_pMedal = &m_Medals[place <= 3 ? place : 0];
        if (place != 0) continue;
        // Only the first route still to play may be open; the next column shows once this one is won.
        if (!firstUnplayed) tile.m_bEnabled = 0;
        firstUnplayed = false;
        if (i == 10 || i == 21) break;
    }
}

void CMenu::DrawRouteGrid() {
    g_Font.Begin();
    g_Font.Print(Text(">MP05"), 312 * Sx(), 80 * Sy(), kHighlightColour, kTextSize, 0, false, false);
    g_Font.Flush();
    for (uint32_t t = 0; t < m_uTileCount; ++t) {
        const RouteTile& tile = m_Tiles[t];
        const bool over = tile.m_bEnabled && Inside(m_fCursorX, m_fCursorY, tile.m_fRect);
        const float grow = over ? 4.0f : 0.0f;
        DrawTinted(m_Overlay, tile.m_fRect[0] - grow, tile.m_fRect[1] - grow, tile.m_fRect[2] + grow,
                   tile.m_fRect[3] + grow, kTileColour);
        if (tile.m_pMedal)
            DrawTinted(*tile.m_pMedal, tile.m_fIcon[0], tile.m_fIcon[1], tile.m_fIcon[2], tile.m_fIcon[3], 0xFFFFFFFF);
    }
    g_Font.Begin();
    for (uint32_t t = 0; t < m_uTileCount; ++t) {
        const RouteTile& tile = m_Tiles[t];
        const RouteRecord& route = g_RoutesMgr.m_Routes[tile.m_uRoute];
        const bool over = tile.m_bEnabled && Inside(m_fCursorX, m_fCursorY, tile.m_fRect);
        const uint32_t colour = !tile.m_bEnabled ? kDisabledColour : over ? kHoverColour : kIdleColour;
        const float x = (tile.m_fRect[0] + 38) * Sx();
        g_Font.Print(tile.m_szTask, x, (tile.m_fRect[1] + 2) * Sy(), colour, kTileSize, 0, false, false);
        char line[256];
        std::snprintf(line, sizeof line, "%s %i. %s %i.", Text(">MP15"), route.m_iEntryFee, Text(">MP16"),
                      route.m_iPrizes[0]);
        g_Font.Print(line, x, (tile.m_fRect[1] + 18) * Sy(), colour, kTileSize, 0, false, false);
    }
    g_Font.Flush();
}

void CMenu::PickRoute() {
    for (uint32_t t = 0; t < m_uTileCount; ++t) {
        const RouteTile& tile = m_Tiles[t];
        if (!tile.m_bEnabled || !Inside(m_fCursorX, m_fCursorY, tile.m_fRect)) continue;
        m_iSelectedTile = static_cast<int32_t>(t);
        m_iSelectedRoute = g_RoutesMgr.m_iCurrentRoute = static_cast<int32_t>(tile.m_uRoute);
        BuildRouteInfo(m_iSelectedRoute);
        m_bWaitForRelease = 1;
        ShowPage(12);
        return;
    }
}

void CMenu::BuildRouteInfo(int32_t index) {
    for (char* line : m_szRouteInfo) line[0] = 0;
    if (index < 0 || index >= g_RoutesMgr.m_iRouteCount) return;
    const RouteRecord& route = g_RoutesMgr.m_Routes[index];
    const ProfileRecord& profile = Profile();
    std::snprintf(m_szRouteInfo[0], sizeof m_szRouteInfo[0], "%s", Text(TaskKey(route)));
    const bool short_ = profile.m_iMoney < route.m_iEntryFee;
    std::snprintf(m_szRouteInfo[1], sizeof m_szRouteInfo[1], "%s $%i%s%s. %s $%i.", Text(">G30"), route.m_iEntryFee,
                  short_ ? " " : "", short_ ? Text(">G31") : "", Text(">G32"), route.m_iPrizes[0]);
    char best[32];
    FormatMinutes(profile.BestTime(index), best, sizeof best);
    if (route.m_bWithOpponents) {
        std::snprintf(m_szRouteInfo[2], sizeof m_szRouteInfo[2], "%s %s.", Text(">MP12"), best);
        return;
    }
    char first[32];
    FormatMinutes(route.m_fPlaceTimes[TableDifficulty(profile.m_iDifficulty) * 3], first, sizeof first);
    std::snprintf(m_szRouteInfo[2], sizeof m_szRouteInfo[2], "%s %s. %s %s.", Text(">G29"), first, Text(">MP12"), best);
}

// ---- Profiles ----------------------------------------------------------------------------------

void CMenu::ShowProfilesPage() {
    ClearMessage();
    m_bWaitForRelease = 1;
    AddItem(MenuItem::kText, Text(">M05"), 180, 140, kTitleScale, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">M08"), 180, 564, 1, true, 0, false, false, false);
    for (uint32_t slot = 0; slot < CProfileMgr::kSlots; ++slot) {
        const ProfileRecord& p = g_ProfileMgr.m_Profiles[slot];
        AddItem(MenuItem::kButton, p.m_bUsed ? p.m_szName : " ", 180, 212.0f + 36.0f * slot, 1, true, p.m_bUsed ? 0 : -1,
                false, false, false);
    }
    if (m_iOfferedSlot < 0) return;
    const float y = 212.0f + 36.0f * m_iOfferedSlot;
    if (m_iDeleteSlot < 0) {
        AddItem(MenuItem::kButton, Text(">M07"), 720, y, 1, true, 0, false, false, false);
        AddItem(MenuItem::kButton, Text(">M06"), 920, y, 1, true, 0, false, false, false);
        return;
    }
    AddItem(MenuItem::kButton, " ", 800, y, 1, true, -1, false, false, false);
    AddItem(MenuItem::kText, Text(">M06"), 900, y, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">MYes"), 860, y + 36, 1, true, 0, false, false, false);
    AddItem(MenuItem::kButton, Text(">MNo"), 960, y + 36, 1, true, 0, false, false, false);
}

void CMenu::HandleProfileSelection(uint32_t id) {
    if (id == 1) {
        for (uint32_t slot = 0; slot < CProfileMgr::kSlots; ++slot) {
            if (g_ProfileMgr.m_Profiles[slot].m_bUsed) continue;
            m_iEntrySlot = static_cast<int32_t>(slot);
            m_szEntryName[0] = 0;
            m_iEntryCursor = 0;
            m_iOfferedSlot = -1;
            return;
        }
        return;
    }
    if (id >= 2 && id <= 9) {
        const uint32_t slot = id - 2;
        if (!g_ProfileMgr.m_Profiles[slot].m_bUsed) return;
        m_iOfferedSlot = static_cast<int32_t>(slot);
        m_iDeleteSlot = -1;
        ShowPage(9);
        return;
    }
    if (m_iOfferedSlot < 0) return;
    const uint32_t slot = static_cast<uint32_t>(m_iOfferedSlot);
    if (id == 10 && m_iDeleteSlot < 0) {
        // The profiles page shows only in the menu's own scene: the world, its player and its
        // opponents are gone already, so no run state is left to reset.
        g_ProfileMgr.SelectProfile(slot);
        m_iOfferedSlot = -1;
        ShowPage(Profile().m_iDifficulty < 0 ? 11 : 10);
    } else if (id == 11 && m_iDeleteSlot < 0) {
        m_iDeleteSlot = m_iOfferedSlot;
        ShowPage(9);
    } else if (id == 12 && m_iDeleteSlot >= 0) {
        g_ProfileMgr.NewProfile(static_cast<uint32_t>(m_iDeleteSlot));
        m_iDeleteSlot = m_iOfferedSlot = -1;
        ShowPage(9);
    } else if (id == 13 && m_iDeleteSlot >= 0) {
        m_iDeleteSlot = m_iOfferedSlot = -1;
        ShowPage(9);
    }
}

void CMenu::EditProfileName(uint32_t key) {
    if (m_iEntrySlot < 0) return;
    const int length = static_cast<int>(std::strlen(m_szEntryName));
    char c = 0;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == ' ') c = static_cast<char>(key);
    else if (key == 190) c = '.';
    else if (key == 189) c = '-';
    else if (key == 220) c = '\\';
    if (c) {
        if (length >= kNameLength) return;
        std::memmove(m_szEntryName + m_iEntryCursor + 1, m_szEntryName + m_iEntryCursor, length - m_iEntryCursor + 1);
        m_szEntryName[m_iEntryCursor++] = c;
    } else if (key == kKeyBackspace && m_iEntryCursor > 0) {
        std::memmove(m_szEntryName + m_iEntryCursor - 1, m_szEntryName + m_iEntryCursor, length - m_iEntryCursor + 1);
        --m_iEntryCursor;
    } else if (key == kKeyDelete && m_iEntryCursor < length) {
        std::memmove(m_szEntryName + m_iEntryCursor, m_szEntryName + m_iEntryCursor + 1, length - m_iEntryCursor);
    } else if (key == kKeyLeft) {
        m_iEntryCursor = std::max(0, m_iEntryCursor - 1);
    } else if (key == kKeyRight) {
        m_iEntryCursor = std::min(length, m_iEntryCursor + 1);
    } else if (key == kKeyEnter) {
        const uint32_t slot = static_cast<uint32_t>(m_iEntrySlot);
        if (m_szEntryName[0]) {
            g_ProfileMgr.ResetProfile(slot);
            ProfileRecord& p = g_ProfileMgr.m_Profiles[slot];
            p.m_bUsed = 1;
            std::snprintf(p.m_szName, sizeof p.m_szName, "%s", m_szEntryName);
            g_ProfileMgr.SaveProfile(slot);
        }
        m_iEntrySlot = -1;
        ShowPage(9);
    }
}

void CMenu::DrawNameEntry() {
    if (m_iEntrySlot < 0) return;
    char shown[kNameLength + 2];
    std::snprintf(shown, sizeof shown, "%.*s|%s", m_iEntryCursor, m_szEntryName, m_szEntryName + m_iEntryCursor);
    g_Font.Begin();
    g_Font.Print(">", 360 * Sx(), 564 * Sy(), kPlainColour, kTextSize, 0, false, false);
    g_Font.Print(shown, 376 * Sx(), 564 * Sy(), kPlainColour, kTextSize, 0, false, false);
    g_Font.Flush();
}

void CMenu::ChooseDifficulty(int32_t difficulty) {
    Profile().m_iDifficulty = difficulty;
    g_ProfileMgr.SaveProfile(static_cast<uint32_t>(g_ProfileMgr.m_iCurrentSlot));
    g_ProfileMgr.CountOwnedMachines();
    m_iShopIndex = 0;
    NextShopMachine();
    ShowPage(42);
}

// ---- Achievements, options, controls, credits ----------------------------------------------------

void CMenu::ShowAchievementsPage() {
    ClearMessage();
    AddItem(MenuItem::kText, Text(">Ac00"), 512, 140, kTitleScale, true, -1, false, false, false);
    const ProfileAchievements& flags = Profile().m_Achievements;
    int granted = 0;
    float y = 140;
    for (const Achievement& a : kAchievements) {
        const bool done = flags.*a.flag != 0;
        granted += done;
        char line[256];
        FormatAchievement(a, done, line, sizeof line);
        y += 28;
        AddItem(MenuItem::kText, line, 512, y, 1, true, -1, !done, false, false);
    }
    char count[256];
    std::snprintf(count, sizeof count, "%s %i %s %u.", Text(">Ac19"), granted, Text(">Ac20"), kAchievementCount);
    AddItem(MenuItem::kText, count, 512, y + 42, 1, true, -1, false, false, false);
    AddItem(MenuItem::kButton, Text(">MBack"), 140, 680, 1, false, 1, false, false, false);
    SetBackButton("menu_ico_wroc.tga", Text(">MBack"), 10);
}

void CMenu::AddSlider(float x, float y, float* value) {
    if (m_uSliderCount >= kMaxSliders) return;
    m_Sliders[m_uSliderCount++] = MenuSlider{x, y, 256, 32, value};
}

void CMenu::ShowOptionsPage() {
    ClearMessage();
    AddItem(MenuItem::kText, Text(">N00"), 512, 16, kTitleScale, true, -1, false, false, false);
    struct Row {
        const char* label;
        float* value;
    };
    const Row rows[] = {
        {">M16", &m_fGamma},
        {">M21", &g_Settings.m_fSecondVolume},
        {">M23", &g_Settings.m_fMusicVolume},
        {">M14", &g_Settings.m_fMouseOptionValue},
        {">M52", &g_MainGame.m_fGameOptionValue1},
        {">M53", &g_MainGame.m_fGameOptionValue2},
        {">N03", &g_MainGame.m_fGameOptionLevel},
    };
    float y = 140;
    for (const Row& row : rows) {
        AddItem(MenuItem::kText, Text(row.label), 512, y, 1, true, -1, false, false, false);
        if (row.value == &m_fGamma) AddItem(MenuItem::kButton, Text(">M17"), 758, y + 36, 1, false, -1, false, false, false);
        AddSlider(384, y + 36, row.value);
        y += 72;
    }
    AddItem(MenuItem::kButton, Text(">MBack"), 140, 680, 1, false, 1, false, false, false);
    SetBackButton("menu_ico_wroc.tga", Text(">MBack"), 10);
}

void CMenu::UpdateSliders() {
    for (uint32_t i = 0; i < m_uSliderCount; ++i) {
        const MenuSlider& s = m_Sliders[i];
        const float centre = (s.m_fY + 18) * Sy(), half = s.m_fHeight / 2 * Sy();
        if (m_fCursorX < s.m_fX * Sx() || m_fCursorX > (s.m_fX + s.m_fWidth) * Sx()) continue;
        if (m_fCursorY < centre - half || m_fCursorY > centre + half) continue;
        *s.m_pValue = std::clamp((m_fCursorX / Sx() - s.m_fX) / s.m_fWidth, 0.0f, 1.0f);
    }
}

void CMenu::DrawSliders() {
    for (uint32_t i = 0; i < m_uSliderCount; ++i) {
        const MenuSlider& s = m_Sliders[i];
        DrawTinted(m_SliderBar, s.m_fX, s.m_fY, s.m_fX + s.m_fWidth, s.m_fY + s.m_fHeight, 0xFFFFFFFF);
        const float knob = s.m_fX + std::clamp(*s.m_pValue, 0.0f, 1.0f) * s.m_fWidth;
        DrawTinted(m_SliderKnob, knob - 12, s.m_fY, knob + 12, s.m_fY + s.m_fHeight, 0xFFFFFFFF);
    }
}

void CMenu::ShowControlsPage() {
    g_Engine.AcquireKeyboard();
    m_bWaitForRelease = 1;
    m_bCapturing = 0;
    m_bCaptureLatch = 1;
    ClearMessage();
    AddItem(MenuItem::kButton, Text(">MAccept"), 200, 600, 1, false, 1, false, false, false);
    for (int row = 0; row < kControlsRows; ++row)
        AddItem(MenuItem::kText, Text(kControls[row].label), 140, 144.0f + 30.0f * row, kItemScale, false, -1, true,
                false, false);
    AddItem(MenuItem::kButton, Text(">MBack"), 200, 660, 1, false, 1, false, false, false);
    SetBackButton("menu_ico_wroc.tga", Text(">MBack"), 10);
}

void CMenu::DrawControlsPage() {
    CCommandMgr& keys = g_CommandMgr;
    if (keys.m_State[1]) {  // Escape on the command keyboard: the changes are dropped
        keys.LoadKeys();
        ShowPage(10);
        return;
    }
    if (m_bCapturing && !m_bCaptureLatch) {
        for (uint32_t input = 1; input < CCommandMgr::kInputCodes; ++input) {
            if (!keys.m_State[input] || !keys.m_szKeyNames[input][0]) continue;
            for (auto& binding : keys.m_Bindings)
                for (uint32_t& code : binding)
                    if (code == input) code = 0;
            keys.m_Bindings[kControls[m_iCaptureRow].command][m_iCaptureColumn] = input;
            m_bCapturing = 0;
            m_bCaptureLatch = 1;
            break;
        }
    }
    int overRow = -1, overColumn = 0;
    for (int row = 0; row < kControlsRows; ++row)
        for (int column = 0; column < 2; ++column) {
            const float x = column ? 760.0f : 480.0f, y = 144.0f + 30.0f * row;
            const float cell[4] = {x, y, x + 200, y + 30};
            if (Inside(m_fCursorX, m_fCursorY, cell)) {
                overRow = row;
                overColumn = column;
            }
        }
    if (!m_bButtonDown && !m_bWaitForRelease) m_bCaptureLatch = 0;
    if (m_bButtonDown && !m_bCaptureLatch && overRow >= 0) {
        m_bCapturing = 1;
        m_bCaptureLatch = 1;
        m_iCaptureRow = overRow;
        m_iCaptureColumn = overColumn;
    }
    g_Font.Begin();
    for (int row = 0; row < kControlsRows; ++row)
        for (int column = 0; column < 2; ++column) {
            const uint32_t code = keys.m_Bindings[kControls[row].command][column];
            const char* name = code > 0 && code < CCommandMgr::kInputCodes && keys.m_szKeyNames[code][0]
                                   ? keys.m_szKeyNames[code]
                                   : "-----";
            uint32_t colour = kKeyColour;
            if (m_bCapturing && row == m_iCaptureRow && column == m_iCaptureColumn) colour = kCaptureColour;
            else if (row == overRow && column == overColumn) colour = kPressedColour;
            g_Font.Print(name, (column ? 760 : 480) * Sx(), (144.0f + 30.0f * row) * Sy(), colour, kTextSize, 0, false,
                         false);
        }
    g_Font.Flush();
}

void CMenu::DrawCredits() {
    m_fCreditsScroll -= 16 * m_fFrameTime;
    g_Font.Begin();
    for (uint32_t i = 0; i < g_uCreditsCount; ++i) {
        const float y = m_fCreditsScroll + 32.0f * i;
        if (y < -64 || y > 768) continue;
        g_Font.Print(g_szCredits[i], 512 * Sx(), y * Sy(), kPlainColour, kTextSize, 0, true, false);
    }
    g_Font.Flush();
}
