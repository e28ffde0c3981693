#pragma once
// The program's window: window classes with their procedures, creation and destruction, the
// single-instance check by title, and the default handling of messages.
#include <cstdint>
#include <string>

#include "platform/os/Message.h"

namespace plat {

struct WindowClass {
    std::string name;
    WindowProc procedure = nullptr;
};

struct WindowDesc {
    std::string className;
    std::string title;
    bool caption = true;   // a captioned, movable window; else a borderless popup
    int width = 800;
    int height = 600;
};

bool RegisterWindowClass(const WindowClass& windowClass);
// Creates the window (hidden until ShowMainWindow) and takes the single-instance lock of its
// title. Null when the class is unknown or the window system refuses.
WindowHandle CreateMainWindow(const WindowDesc& desc);
// A dialog's window: captioned, of this client size, centred on the screen and shown in front;
// it becomes MainWindow() while it exists, so input goes to it. It has no class and takes no lock.
// Null when the window system refuses.
WindowHandle CreateDialogWindow(const std::string& title, WindowProc procedure, int width, int height);
// True when a player can see and use windows: the gl video backend on a real display rather
// than SDL's offscreen driver.
bool DisplayPresent();
// Sends the destroy message to the window's procedure, then lets the window and its lock go.
// Dialog windows are destroyed the same way.
void DestroyMainWindow(WindowHandle window);
// True while the window exists.
bool IsWindow(WindowHandle window);
// The window most recently created and not yet destroyed, or null.
WindowHandle MainWindow();

// The single-instance check of a title, made before the program touches any file: whether a
// window with this title exists in any process of this user on this machine (Held), told by the
// title's lock; else this process takes that lock and keeps it until it ends (Free; a main window
// of a claimed title then takes no lock of its own). Unavailable when the lock file cannot be
// opened, so nobody can tell; why then says what stands in the way.
enum class TitleLock { Free, Held, Unavailable };
TitleLock ClaimTitle(const std::string& title, std::string* why = nullptr);

void ShowMainWindow(WindowHandle window, bool show);
void BringWindowToTop(WindowHandle window);
void SetKeyboardFocus(WindowHandle window);

// Client size and title as created or last set.
int WindowWidth(WindowHandle window);
int WindowHeight(WindowHandle window);
bool WindowHasCaption(WindowHandle window);
const std::string& WindowTitle(WindowHandle window);
// Fits the window to a back buffer: windowed at that size, or full screen.
void SetWindowMode(WindowHandle window, int width, int height, bool windowed);

// What an application's window procedure does with messages it does not handle: a close request
// destroys the window; everything else is answered 0.
int64_t DefaultWindowProc(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam);
// Calls the window's procedure.
int64_t SendWindowMessage(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam);

// Destroys every window, forgets the classes and lets the claimed titles go (tests).
void ResetWindows();

}  // namespace plat
