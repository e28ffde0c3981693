#pragma once
// The program's entry: start-up in a fixed order, the one main loop, shut-down.
#include <cstdint>

#include "platform/os/Message.h"

// Runs the game; returns the exit code of the final quit message. A second start leaves at once with
// 0, touching no file, as does a start the user ends in the launcher; a start that cannot go on,
// and a run that an error ended (QuitOnError), says why in the message box and returns 1.
int WinMain(void* instance, void* previousInstance, const char* commandLine, int showCommand);
int64_t WndProc(plat::WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);
// One frame of the main loop, run whenever the message queue is empty: the engine's and the
// main game's update, the render, the loading screen and a pending world start.
void RunFrame();
// Ends the game after the current frame because of an error: the console logs why, and once the
// game has shut down the message box says it and the program exits with 1. The first error's
// reason is the one shown.
void QuitOnError(const char* why);
// Shuts the device, the world, the game and the engine down once, then asks the loop to end.
void RequestQuit();

extern void* g_hInstance;
extern plat::WindowHandle g_hWnd;
extern uint8_t g_bQuitOnce;
extern char g_szTitle[256];
// Shared with the launcher.
extern uint8_t g_bShowLauncherNext;
extern uint8_t g_bShowVideoOptionsNext;
extern uint8_t g_bExitChosen;
