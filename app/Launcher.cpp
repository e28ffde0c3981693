#include "app/Launcher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "app/D3DMain.h"
#include "app/WinMain.h"
#include "core/CCommandMgr.h"
#include "core/EConsole.h"
#include "core/EInput.h"
#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "core/StringHelpers.h"
#include "platform/os/Files.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "render/D3DDevice.h"

DisplayModeList g_DisplayModes;

namespace {

constexpr const char* kConfigFile = "qv.cfg";
constexpr const char* kBackupFile = "qv.bak";
constexpr const char* kVersionLine = "Demo version 0.1";
constexpr plat::ControlRect kPicturePlace{0, 0, 560, 150};

struct Size {
    int32_t width, height;
};
// The sizes the launcher proposes, in the order of its list.
constexpr Size kProposedSizes[] = {{1024, 768},  {1280, 720},  {1280, 1024}, {1366, 768},
                                   {1440, 900},  {1680, 945},  {1600, 1200}, {1680, 1050},
                                   {1920, 1080}, {1920, 1200}, {2048, 1536}};
// Where the size to save is looked for.
constexpr int kSearchedModes = 63;
// A windowed game always runs at this size; the video options open at the other one.
constexpr Size kWindowedSize = {800, 600};
constexpr Size kVideoOptionsWindowedSize = {1024, 768};

struct TextControl {
    int id;
    const char* key;
};

constexpr TextControl kLauncherTexts[] = {
    {launcher::kSkipIntro, ">SIntro"},       {launcher::kStart, ">Lt09"},
    {launcher::kVideoSettings, ">MOVideo"},  {launcher::kExit, ">Lt11"},
    {launcher::kTitle, ">GameName"},         {launcher::kTranslation, ">Trans"},
    {launcher::kResolutionLabel, ">Lt01"},   {launcher::kSteeringLabel, ">Lt02"},
};

// A check box of the video options and the settings switch it shows.
struct SwitchControl {
    int id;
    const char* key;
    u8 ESettings::*field;
};
constexpr SwitchControl kVideoSwitches[] = {
    {videooptions::kPostProcess, ">GS26", &ESettings::m_bPostProcess},
    {videooptions::kDrawShadows, ">GS27", &ESettings::m_bDrawShadows},
    {videooptions::kDrawGrass, ">GS32", &ESettings::m_bDrawGrass},
    {videooptions::kDrawDust, ">GS33", &ESettings::m_bDrawDust},
    {videooptions::kDrawBirds, ">GS34", &ESettings::m_bDrawBirds},
};

// A quality box of the video options: its three entries and the settings index it shows.
struct QualityControl {
    int id;
    const char* entries[3];
    i32 ESettings::*field;
};
constexpr QualityControl kQualityBoxes[] = {
    {videooptions::kShadowQuality, {">Lv01", ">Lv02", ">Lv03"}, &ESettings::m_iShadowQuality},
    {videooptions::kWorldTextureQuality, {">Lv04", ">Lv05", ">Lv06"}, &ESettings::m_iWorldTextureQuality},
    {videooptions::kModelTextureQuality, {">Lv04", ">Lv05", ">Lv06"}, &ESettings::m_iAnimatedModelsTextureQuality},
};

constexpr TextControl kVideoOptionsTexts[] = {
    {videooptions::kShadowQualityLabel, ">GS28"}, {videooptions::kWorldTextureLabel, ">GS29"},
    {videooptions::kModelTextureLabel, ">GS30"},  {videooptions::kHeading, ">MOVideo"},
    {videooptions::kOk, ">MOK"},
};

void SetTexts(plat::WindowHandle dialog, std::span<const TextControl> texts) {
    for (const TextControl& t : texts) plat::SetDialogItemText(dialog, t.id, g_TextMgr.GetText(t.key));
}

// The launcher's picture: a furrowed field under a morning sky.
std::vector<uint32_t> LauncherPicture(int width, int height) {
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    auto rgb = [](float r, float g, float b) {
        return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    };
    const float horizon = height * 0.55f;
    const float sunX = width * 0.78f, sunY = height * 0.28f, sunRadius = height * 0.12f;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float hills = horizon - 10.0f - 9.0f * std::sin(x * 0.012f) - 5.0f * std::sin(x * 0.037f + 1.0f);
            uint32_t& p = pixels[size_t(y) * width + x];
            if (y >= horizon) {
                // Furrows run towards one point above the horizon.
                float across = (x - width * 0.5f) / (y - horizon + 12.0f);
                float shade = (y - horizon) / (height - horizon);
                // Far off the furrows blur into one brown.
                float ridge = (int(std::floor(across * 6.0f)) & 1) ? std::min(1.0f, shade * 3.0f) : 0.0f;
                p = rgb(100 + 30 * shade + 22 * ridge, 66 + 16 * shade + 18 * ridge, 38 + 10 * ridge);
            } else if (y >= hills) {
                p = rgb(86, 134 + 20 * (horizon - y) / 20.0f, 58);
            } else if (std::hypot(x - sunX, y - sunY) < sunRadius) {
                p = rgb(255, 236, 160);
            } else {
                float t = y / horizon;
                p = rgb(110 + 120 * t, 160 + 70 * t, 225 + 25 * t);
            }
        }
    }
    return pixels;
}

// ---------------------------------------------------------------------------------------------
// Display modes

void AppendDisplayMode(int32_t width, int32_t height) {
    DisplayModeList::Entry& e = g_DisplayModes.m_Entries[g_DisplayModes.m_iCount++];
    std::snprintf(e.m_szText, sizeof e.m_szText, "%ix%i", width, height);
    e.m_iWidth = width;
    e.m_iHeight = height;
}

// With none of the proposed sizes on offer the list would be empty and a start would take a
// 0 x 0 screen: the desktop's size is offered instead, or else the size the settings hold.
void OfferAFallbackMode() {
    gfx::DisplayMode desktop;
    if (g_pD3D && !gfx::Failed(g_pD3D->GetAdapterDisplayMode(desktop)) && desktop.width && desktop.height)
        AppendDisplayMode(static_cast<int32_t>(desktop.width), static_cast<int32_t>(desktop.height));
    else if (g_Settings.m_iScreenWidth > 0 && g_Settings.m_iScreenHeight > 0)
        AppendDisplayMode(g_Settings.m_iScreenWidth, g_Settings.m_iScreenHeight);
}

void OfferDisplayModes() {
    g_DisplayModes.m_iCount = 0;
    for (const Size& s : kProposedSizes) AddDisplayMode(s.width, s.height);
    if (g_DisplayModes.m_iCount == 0) OfferAFallbackMode();
}

// The entry of the settings' screen size among the first entries, else the first entry; null
// when the list is empty.
const DisplayModeList::Entry* SavedMode() {
    int searched = std::min(g_DisplayModes.m_iCount, kSearchedModes);
    for (int i = 0; i < searched; ++i) {
        const DisplayModeList::Entry& e = g_DisplayModes.m_Entries[i];
        if (e.m_iWidth == g_Settings.m_iScreenWidth && e.m_iHeight == g_Settings.m_iScreenHeight) return &e;
    }
    return g_DisplayModes.m_iCount > 0 ? &g_DisplayModes.m_Entries[0] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// qv.cfg

bool BeginsWithNoCase(const std::string& line, const char* word) {
    size_t n = std::strlen(word);
    return line.size() >= n && std::equal(word, word + n, line.begin(), CharEqualsNoCase);
}

// Reads a line's bytes as they are (a CR stays), without its LF; false at the end of the file.
bool ReadRawLine(FILE* file, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n') line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

// The line the launcher writes in place of a screen-size or steering line, run as it is written;
// the line as it was when it is none of those (or no screen size is known).
std::string RewrittenLine(const std::string& line, const DisplayModeList::Entry* mode) {
    char replacement[64];
    if (mode && BeginsWithNoCase(line, "screenwidth"))
        std::snprintf(replacement, sizeof replacement, "ScreenWidth %d", mode->m_iWidth);
    else if (mode && BeginsWithNoCase(line, "screenheight"))
        std::snprintf(replacement, sizeof replacement, "ScreenHeight %d", mode->m_iHeight);
    else if (BeginsWithNoCase(line, "steering"))
        std::snprintf(replacement, sizeof replacement, "steering %d", g_Settings.m_iSteering);
    else
        return line;
    g_Console.ExecuteLine(replacement);
    // A line of a file made on Windows keeps its CR.
    return line.back() == '\r' ? std::string(replacement) + '\r' : std::string(replacement);
}

bool IsEmptyLine(const std::string& line) { return line.empty() || line == "\r"; }

// Puts the previous qv.cfg back after a failed rewrite. The backup stays only when it is the
// one whole copy left.
void RestoreConfig(bool configTouched) {
    if (plat::CopyFile(kBackupFile, kConfigFile) || !configTouched) {
        plat::DeleteFile(kBackupFile);
        g_Console.Print("qv.cfg could not be written: it keeps its previous settings.");
    } else {
        g_Console.Print("qv.cfg could not be written: its previous settings are in qv.bak.");
    }
}

// ---------------------------------------------------------------------------------------------
// Launcher

void TakeSelectedResolution(plat::WindowHandle dialog) {
    int index = std::min(plat::ComboGetCurSel(dialog, launcher::kResolution), DisplayModeList::kMaxModes - 1);
    // Nothing selected (an empty list): the settings keep their size.
    if (index < 0 || index >= g_DisplayModes.m_iCount) return;
    const DisplayModeList::Entry& e = g_DisplayModes.m_Entries[index];
    g_Settings.SetScreenSize(e.m_iWidth, e.m_iHeight);
}

void FillResolutionBox(plat::WindowHandle dialog) {
    plat::ComboResetContent(dialog, launcher::kResolution);
    int selected = -1;
    for (int i = 0; i < g_DisplayModes.m_iCount; ++i) {
        const DisplayModeList::Entry& e = g_DisplayModes.m_Entries[i];
        plat::ComboAddString(dialog, launcher::kResolution, e.m_szText);
        if (selected < 0 && e.m_iWidth == g_Settings.m_iScreenWidth && e.m_iHeight == g_Settings.m_iScreenHeight)
            selected = i;
    }
    plat::ComboSetCurSel(dialog, launcher::kResolution, std::max(selected, 0));
}

void FillSteeringBox(plat::WindowHandle dialog) {
    plat::ComboResetContent(dialog, launcher::kSteering);
    plat::ComboAddString(dialog, launcher::kSteering, g_TextMgr.GetText(">Lt03"));
    int entries = 1 + static_cast<int>(g_Input.m_uDeviceCount);
    for (int i = 1; i < entries; ++i) plat::ComboAddString(dialog, launcher::kSteering, g_Input.GetDeviceName(i - 1));
    // A controller that is gone (or a negative value) leaves the keyboard.
    if (g_Settings.m_iSteering >= entries || g_Settings.m_iSteering < 0) g_Settings.m_iSteering = 0;
    plat::ComboSetCurSel(dialog, launcher::kSteering, g_Settings.m_iSteering);
}

void InitLauncher(plat::WindowHandle dialog) {
    plat::BringWindowToTop(dialog);
    g_bExitChosen = 0;
    OfferDisplayModes();
    FillResolutionBox(dialog);
    FillSteeringBox(dialog);
    g_CommandMgr.LoadKeys();
    plat::CheckDialogButton(dialog, launcher::kSkipIntro, g_Settings.m_bSkipIntro != 0);
    SetTexts(dialog, kLauncherTexts);
    plat::SetDialogItemText(dialog, launcher::kVersion, kVersionLine);
    plat::SetDialogPicture(dialog, launcher::kPicture, kPicturePlace.width, kPicturePlace.height,
                           LauncherPicture(kPicturePlace.width, kPicturePlace.height));
}

void StartTheGame(plat::WindowHandle dialog) {
    TakeSelectedResolution(dialog);
    g_Settings.m_bSkipIntro = plat::IsDialogButtonChecked(dialog, launcher::kSkipIntro);
    g_Settings.m_iSteering = std::max(plat::ComboGetCurSel(dialog, launcher::kSteering), 0);
    if (g_Settings.m_iSteering > 0) g_Input.SetDevice(g_Settings.m_iSteering - 1);
    g_CommandMgr.SaveKeys();
    SaveLauncherConfig();
    // qv.cfg keeps the size chosen for full-screen runs; a window stays at its own size, so the
    // back buffer never differs from the window it is shown in.
    if (g_Settings.m_bWindowed) g_Settings.SetScreenSize(kWindowedSize.width, kWindowedSize.height);
    plat::EndDialog(dialog, 1);
}

void OpenVideoSettings(plat::WindowHandle dialog) {
    if (g_Settings.m_bWindowed)
        g_Settings.SetScreenSize(kVideoOptionsWindowedSize.width, kVideoOptionsWindowedSize.height);
    else
        TakeSelectedResolution(dialog);
    g_Settings.m_bSkipIntro = plat::IsDialogButtonChecked(dialog, launcher::kSkipIntro);
    SaveLauncherConfig();
    plat::EndDialog(dialog, 0);
    g_bShowVideoOptionsNext = 1;
    g_bExitChosen = 0;
}

void ChooseExit(plat::WindowHandle dialog) {
    g_bExitChosen = 1;
    plat::EndDialog(dialog, 1);
}

// Without a dialog the game starts with the settings qv.cfg gave.
void StartWithSavedSettings() {
    g_bExitChosen = 0;
    if (g_Settings.m_iSteering > 0) g_Input.SetDevice(g_Settings.m_iSteering - 1);
}

// ---------------------------------------------------------------------------------------------
// Video options

void RefreshVideoOptions(plat::WindowHandle dialog) {
    plat::BringWindowToTop(dialog);
    g_bExitChosen = 0;
    plat::EnableDialogItem(dialog, videooptions::kShadowQuality, g_Settings.m_bDrawShadows != 0);
    SetTexts(dialog, kVideoOptionsTexts);
    for (const SwitchControl& s : kVideoSwitches) {
        plat::SetDialogItemText(dialog, s.id, g_TextMgr.GetText(s.key));
        plat::CheckDialogButton(dialog, s.id, g_Settings.*s.field != 0);
    }
    for (const QualityControl& q : kQualityBoxes) {
        plat::ComboResetContent(dialog, q.id);
        for (const char* key : q.entries) plat::ComboAddString(dialog, q.id, g_TextMgr.GetText(key));
        plat::ComboSetCurSel(dialog, q.id, g_Settings.*q.field);
    }
    g_Settings.m_bVideoOptionsConfirmed = 1;
}

void ConfirmVideoOptions(plat::WindowHandle dialog) {
    g_bExitChosen = 0;
    g_bShowLauncherNext = 1;
    g_bShowVideoOptionsNext = 0;
    g_D3DMain.SaveVideoConfig();
    plat::EndDialog(dialog, 1);
}

// Without a dialog the video options confirm the current settings and hand back to the launcher.
void ConfirmVideoOptionsWithoutDialog() {
    g_Settings.m_bVideoOptionsConfirmed = 1;
    g_D3DMain.SaveVideoConfig();
    g_bShowLauncherNext = 1;
}

void VideoOptionsCommand(plat::WindowHandle dialog, int id, uint32_t code) {
    for (const SwitchControl& s : kVideoSwitches) {
        if (s.id != id) continue;
        g_Settings.*s.field = plat::IsDialogButtonChecked(dialog, id) ? 1 : 0;
        RefreshVideoOptions(dialog);
        return;
    }
    for (const QualityControl& q : kQualityBoxes) {
        if (q.id != id || code != plat::notify::SelectionChange) continue;
        int selected = plat::ComboGetCurSel(dialog, id);
        if (selected >= 0) g_Settings.*q.field = selected;
        return;
    }
    if (id == videooptions::kOk) ConfirmVideoOptions(dialog);
}

// A dialog's window posts a quit message when it goes; it is taken here, with any input that came
// before it, so that it cannot end the game's loop.
void TakeDialogQuit() {
    plat::Message message;
    while (plat::PeekDialogMessage(message) && message.id != plat::msg::Quit) plat::DispatchMessage(message);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

void AddDisplayMode(int32_t width, int32_t height) {
    if (g_DisplayModes.m_iCount >= DisplayModeList::kMaxModes || !g_pD3D) return;
    uint32_t modes = g_pD3D->GetAdapterModeCount(gfx::FMT_X8R8G8B8);
    for (uint32_t i = 0; i < modes; ++i) {
        gfx::DisplayMode mode;
        if (gfx::Failed(g_pD3D->EnumAdapterModes(gfx::FMT_X8R8G8B8, i, mode))) continue;
        if (int32_t(mode.width) == width && int32_t(mode.height) == height) {
            AppendDisplayMode(width, height);
            return;
        }
    }
}

void SaveLauncherConfig() {
    // Without a whole copy of the file there would be nothing to go back to.
    FILE* backup = plat::CopyFile(kConfigFile, kBackupFile) ? plat::OpenFile(kBackupFile, "rb") : nullptr;
    if (!backup) {
        g_Console.Print("qv.cfg could not be copied to qv.bak: it is left as it was.");
        return;
    }
    FILE* config = plat::OpenFile(kConfigFile, "wb");
    if (!config) {
        std::fclose(backup);
        RestoreConfig(false);
        return;
    }
    const DisplayModeList::Entry* mode = SavedMode();
    bool written = true;
    std::string line;
    while (ReadRawLine(backup, line)) {
        if (IsEmptyLine(line)) continue;
        line = RewrittenLine(line, mode) + '\n';
        written = written && std::fwrite(line.data(), 1, line.size(), config) == line.size();
    }
    std::fclose(backup);
    written = std::fclose(config) == 0 && written;
    if (!written) {
        RestoreConfig(true);
        return;
    }
    plat::DeleteFile(kBackupFile);
}

int64_t LauncherDlgProc(plat::WindowHandle dialog, uint32_t message, uint64_t wParam, int64_t) {
    switch (message) {
        case plat::msg::InitDialog: InitLauncher(dialog); return 1;
        case plat::msg::Command:
            switch (plat::CommandId(wParam)) {
                case launcher::kStart: StartTheGame(dialog); break;
                case launcher::kVideoSettings: OpenVideoSettings(dialog); break;
                case launcher::kExit: ChooseExit(dialog); break;
                default: break;
            }
            return 0;
        // Closing the launcher's window is its Exit.
        case plat::msg::Close: ChooseExit(dialog); return 0;
        case plat::msg::Destroy: plat::PostQuitMessage(0); return 0;
        default: return 0;
    }
}

int64_t VideoOptionsDlgProc(plat::WindowHandle dialog, uint32_t message, uint64_t wParam, int64_t) {
    switch (message) {
        case plat::msg::InitDialog: RefreshVideoOptions(dialog); return 1;
        case plat::msg::Command: VideoOptionsCommand(dialog, plat::CommandId(wParam), plat::CommandCode(wParam)); return 0;
        // Closing the window leaves the program, as the launcher's Exit does.
        case plat::msg::Close: ChooseExit(dialog); return 0;
        case plat::msg::Destroy: plat::PostQuitMessage(0); return 0;
        default: return 0;
    }
}

void RunLauncherDialog(plat::WindowHandle parent) {
    if (plat::DialogBox(parent, LauncherDialogTemplate(), LauncherDlgProc) == plat::kDialogUnanswered)
        StartWithSavedSettings();
    TakeDialogQuit();
}

void RunVideoOptionsDialog(plat::WindowHandle parent) {
    if (plat::DialogBox(parent, VideoOptionsDialogTemplate(), VideoOptionsDlgProc) == plat::kDialogUnanswered)
        ConfirmVideoOptionsWithoutDialog();
    TakeDialogQuit();
}

plat::DialogTemplate LauncherDialogTemplate() {
    using plat::ControlKind;
    using namespace launcher;
    return {g_TextMgr.GetText(">GameName"), 560, 480,
            {{kPicture, ControlKind::Picture, kPicturePlace},
             {kTitle, ControlKind::Title, {20, 160, 520, 34}},
             {kVersion, ControlKind::Label, {20, 194, 260, 20}},
             {kTranslation, ControlKind::Label, {290, 194, 250, 20}},
             {kResolutionLabel, ControlKind::Label, {20, 230, 200, 24}},
             {kResolution, ControlKind::ComboBox, {230, 230, 190, 24}},
             {kSteeringLabel, ControlKind::Label, {20, 264, 200, 24}},
             {kSteering, ControlKind::ComboBox, {230, 264, 190, 24}},
             {kSkipIntro, ControlKind::CheckBox, {20, 300, 320, 24}},
             {kStart, ControlKind::Button, {20, 420, 165, 36}},
             {kVideoSettings, ControlKind::Button, {197, 420, 165, 36}},
             {kExit, ControlKind::Button, {375, 420, 165, 36}}}};
}

plat::DialogTemplate VideoOptionsDialogTemplate() {
    using plat::ControlKind;
    using namespace videooptions;
    return {g_TextMgr.GetText(">MOVideo"), 420, 380,
            {{kHeading, ControlKind::Title, {20, 12, 380, 34}},
             {kPostProcess, ControlKind::CheckBox, {20, 56, 380, 24}},
             {kDrawShadows, ControlKind::CheckBox, {20, 84, 380, 24}},
             {kDrawGrass, ControlKind::CheckBox, {20, 112, 380, 24}},
             {kDrawDust, ControlKind::CheckBox, {20, 140, 380, 24}},
             {kDrawBirds, ControlKind::CheckBox, {20, 168, 380, 24}},
             {kShadowQualityLabel, ControlKind::Label, {20, 210, 200, 24}},
             {kShadowQuality, ControlKind::ComboBox, {230, 210, 170, 24}},
             {kWorldTextureLabel, ControlKind::Label, {20, 242, 200, 24}},
             {kWorldTextureQuality, ControlKind::ComboBox, {230, 242, 170, 24}},
             {kModelTextureLabel, ControlKind::Label, {20, 274, 200, 24}},
             {kModelTextureQuality, ControlKind::ComboBox, {230, 274, 170, 24}},
             {kOk, ControlKind::Button, {130, 326, 160, 36}}}};
}
