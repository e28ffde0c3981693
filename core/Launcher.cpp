#include "core/Launcher.h"

#include "core/D3DMain.h"
#include "core/ESettings.h"
#include "core/WinMain.h"

// The launcher starts the game with the configured settings.
void RunLauncherDialog(plat::WindowHandle) { g_bExitChosen = 0; }

// The video options confirm the current settings and hand back to the launcher.
void RunVideoOptionsDialog(plat::WindowHandle) {
    g_Settings.m_bVideoOptionsConfirmed = 1;
    g_D3DMain.SaveVideoConfig();
    g_bShowLauncherNext = 1;
}
