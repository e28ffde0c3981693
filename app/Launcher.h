#pragma once
// The launcher and the video options, shown before the device is created. They pass control
// between each other through the entry point's three flags, store their choices in the settings,
// and the launcher rewrites the screen-size and steering lines of "qv.cfg" through "qv.bak".
// When nobody can answer a dialog (no display and no input script events of frame 0), the
// launcher starts the game with the saved settings and the video options confirm theirs.
#include <cstdint>

#include "platform/os/Message.h"
#include "platform/ui/Dialog.h"

// The screen sizes the adapter offers, of those the launcher proposes, in the launcher's order.
struct DisplayModeList {
    static constexpr int kMaxModes = 64;
    static constexpr int kTextLength = 64;
    struct Entry {
        char m_szText[kTextLength];  // "%ix%i", width then height
        int32_t m_iHeight;
        int32_t m_iWidth;
    };
    Entry m_Entries[kMaxModes];
    int32_t m_iCount;
};
extern DisplayModeList g_DisplayModes;

// Control ids of the launcher.
namespace launcher {
constexpr int kPicture = -1;  // a static without an id of its own
constexpr int kExit = 1000;
constexpr int kStart = 1001;
constexpr int kVideoSettings = 1002;
constexpr int kTitle = 1003;
constexpr int kVersion = 1004;
constexpr int kTranslation = 1005;
constexpr int kResolutionLabel = 1006;
constexpr int kResolution = 1007;
constexpr int kSteeringLabel = 1008;
constexpr int kSteering = 1010;
constexpr int kSkipIntro = 1021;
}  // namespace launcher

// Control ids of the video options.
namespace videooptions {
constexpr int kOk = 1;
constexpr int kShadowQuality = 1007;
constexpr int kModelTextureQuality = 1008;
constexpr int kWorldTextureQuality = 1009;
constexpr int kDrawShadows = 1021;
constexpr int kPostProcess = 1022;
constexpr int kDrawDust = 1045;
constexpr int kShadowQualityLabel = 1047;
constexpr int kWorldTextureLabel = 1048;
constexpr int kModelTextureLabel = 1049;
constexpr int kDrawBirds = 1050;
constexpr int kHeading = 1051;
constexpr int kDrawGrass = 1052;
}  // namespace videooptions

void RunLauncherDialog(plat::WindowHandle parent);
void RunVideoOptionsDialog(plat::WindowHandle parent);
int64_t LauncherDlgProc(plat::WindowHandle dialog, uint32_t message, uint64_t wParam, int64_t lParam);
int64_t VideoOptionsDlgProc(plat::WindowHandle dialog, uint32_t message, uint64_t wParam, int64_t lParam);
// The dialogs' layouts; their titles are texts of the text keys.
plat::DialogTemplate LauncherDialogTemplate();
plat::DialogTemplate VideoOptionsDialogTemplate();

// Appends "WxH" when the adapter offers a mode of exactly this size and the list has room.
void AddDisplayMode(int32_t width, int32_t height);
// Rewrites the screen-size and steering lines of "qv.cfg" (through "qv.bak") and runs them.
void SaveLauncherConfig();
