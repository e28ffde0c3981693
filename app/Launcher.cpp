#include "app/Launcher.h"

#include "app/D3DMain.h"
#include "app/WinMain.h"
#include "core/EInput.h"
#include "core/ESettings.h"

// The launcher starts the game with the configured settings and opens the configured steering
// controller (steering n is controller n - 1; 0 is the keyboard).
void RunLauncherDialog(plat::WindowHandle) {
    g_bExitChosen = 0;
    if (g_Settings.m_iSteering > 0) g_Input.SetDevice(g_Settings.m_iSteering - 1);
}

// The video options confirm the current settings and hand back to the launcher.
void RunVideoOptionsDialog(plat::WindowHandle) {
    g_Settings.m_bVideoOptionsConfirmed = 1;
    g_D3DMain.SaveVideoConfig();
    g_bShowLauncherNext = 1;
}
