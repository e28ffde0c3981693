#include "platform/os/Window.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/os/Backends.h"
#include "platform/os/WindowRecord.h"

namespace plat {
namespace {

std::map<std::string, WindowClass>& Classes() {
    static std::map<std::string, WindowClass> classes;
    return classes;
}

std::vector<std::unique_ptr<WindowRecord>>& Windows() {
    static std::vector<std::unique_ptr<WindowRecord>> windows;
    return windows;
}

// The lock file that marks a running window of this title: in the user's runtime directory, or
// else in /tmp under a name of this user's own, so that another user's game is never taken for a
// second start of ours.
std::string InstanceLockPath(const std::string& title) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    std::string path = (dir && *dir) ? std::string(dir) + "/furrow-" : "/tmp/furrow-" + std::to_string(::getuid()) + "-";
    for (unsigned char c : title) path += std::isalnum(c) ? static_cast<char>(c) : '_';
    return path + ".lock";
}

// Opens the lock file and takes its lock: the descriptor, or -1 with errno EWOULDBLOCK when
// another process holds it, or -1 with the reason the file could not be opened.
int TakeInstanceLock(const std::string& title) {
    int fd = ::open(InstanceLockPath(title).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

void ReleaseInstanceLock(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The titles this process has claimed, each with the descriptor that holds its lock.
std::map<std::string, int>& Claims() {
    static std::map<std::string, int> claims;
    return claims;
}

bool ClaimedHere(const std::string& title) { return Claims().count(title) != 0; }

bool CreateSdlWindow(WindowRecord& w) {
    if (!StartSdlVideo()) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!w.caption) flags |= SDL_WINDOW_BORDERLESS;
    w.sdlWindow = SDL_CreateWindow(w.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w.width,
                                   w.height, flags);
    if (!w.sdlWindow) SDL_Log("furrow: window creation failed: %s", SDL_GetError());
    return w.sdlWindow != nullptr;
}

}  // namespace

bool StartSdlVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland) && !std::getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SDL_Log("furrow: video start failed: %s", SDL_GetError());
        return false;
    }
    return true;
}

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || !windowClass.procedure) return false;
    Classes()[windowClass.name] = windowClass;
    return true;
}

WindowHandle CreateMainWindow(const WindowDesc& desc) {
    auto found = Classes().find(desc.className);
    if (found == Classes().end()) return nullptr;
    auto w = std::make_unique<WindowRecord>();
    w->className = desc.className;
    w->title = desc.title;
    w->procedure = found->second.procedure;
    w->caption = desc.caption;
    w->width = desc.width;
    w->height = desc.height;
    // A title this process has claimed is locked already; the claim outlives the window.
    if (!ClaimedHere(desc.title)) w->instanceLock = TakeInstanceLock(desc.title);
    if (Backends().video == VideoBackend::Gl && !CreateSdlWindow(*w)) {
        ReleaseInstanceLock(w->instanceLock);
        return nullptr;
    }
    Windows().push_back(std::move(w));
    return Windows().back().get();
}

WindowHandle CreateDialogWindow(const std::string& title, WindowProc procedure, int width, int height) {
    auto w = std::make_unique<WindowRecord>();
    w->title = title;
    w->procedure = procedure;
    w->width = width;
    w->height = height;
    w->visible = true;
    if (Backends().video == VideoBackend::Gl) {
        if (!StartSdlVideo()) return nullptr;
        w->sdlWindow = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                        SDL_WINDOW_SHOWN);
        if (!w->sdlWindow) {
            SDL_Log("furrow: dialog window creation failed: %s", SDL_GetError());
            return nullptr;
        }
        SDL_RaiseWindow(w->sdlWindow);
    }
    Windows().push_back(std::move(w));
    return Windows().back().get();
}

bool DisplayPresent() {
    if (Backends().video != VideoBackend::Gl || !StartSdlVideo()) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

void DestroyMainWindow(WindowHandle window) {
    auto& windows = Windows();
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        if (it->get() != window) continue;
        // The record stays valid while its procedure handles the destroy message.
        std::unique_ptr<WindowRecord> record = std::move(*it);
        windows.erase(it);
        if (record->procedure) record->procedure(record.get(), msg::Destroy, 0, 0);
        record->dialog.reset();  // its drawing goes before the window it draws into
        if (record->sdlWindow) SDL_DestroyWindow(record->sdlWindow);
        ReleaseInstanceLock(record->instanceLock);
        return;
    }
}

bool IsWindow(WindowHandle window) {
    const auto& windows = Windows();
    return window && std::any_of(windows.begin(), windows.end(), [&](const auto& w) { return w.get() == window; });
}

WindowHandle MainWindow() { return Windows().empty() ? nullptr : Windows().back().get(); }

TitleLock ClaimTitle(const std::string& title, std::string* why) {
    if (ClaimedHere(title)) return TitleLock::Free;
    for (const auto& w : Windows())
        if (w->title == title) return TitleLock::Held;
    int fd = TakeInstanceLock(title);
    if (fd >= 0) {
        Claims()[title] = fd;
        return TitleLock::Free;
    }
    if (errno == EWOULDBLOCK) return TitleLock::Held;
    if (why) *why = "the single-instance lock " + InstanceLockPath(title) + " cannot be opened: " + std::strerror(errno);
    return TitleLock::Unavailable;
}

void ShowMainWindow(WindowHandle window, bool show) {
    if (!window) return;
    window->visible = show;
    if (window->sdlWindow) show ? SDL_ShowWindow(window->sdlWindow) : SDL_HideWindow(window->sdlWindow);
}

void BringWindowToTop(WindowHandle window) {
    if (window && window->sdlWindow && window->visible) SDL_RaiseWindow(window->sdlWindow);
}

void SetKeyboardFocus(WindowHandle window) {
    if (window && window->sdlWindow && window->visible) SDL_SetWindowInputFocus(window->sdlWindow);
}

int WindowWidth(WindowHandle window) { return window ? window->width : 0; }
int WindowHeight(WindowHandle window) { return window ? window->height : 0; }
bool WindowHasCaption(WindowHandle window) { return window && window->caption; }

const std::string& WindowTitle(WindowHandle window) {
    static const std::string none;
    return window ? window->title : none;
}

void SetWindowMode(WindowHandle window, int width, int height, bool windowed) {
    if (!window) return;
    window->width = width;
    window->height = height;
    if (!window->sdlWindow) return;
    if (windowed) {
        SDL_SetWindowFullscreen(window->sdlWindow, 0);
        SDL_SetWindowSize(window->sdlWindow, width, height);
    } else {
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            mode.w = width;
            mode.h = height;
            SDL_SetWindowDisplayMode(window->sdlWindow, &mode);
        }
        SDL_SetWindowSize(window->sdlWindow, width, height);
        SDL_SetWindowFullscreen(window->sdlWindow, SDL_WINDOW_FULLSCREEN);
    }
}

int64_t DefaultWindowProc(WindowHandle window, uint32_t id, uint64_t, int64_t) {
    if (id == msg::Close) DestroyMainWindow(window);
    return 0;
}

int64_t SendWindowMessage(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam) {
    // A message still queued for a window destroyed meanwhile (a dialog that ended) goes nowhere.
    if (!IsWindow(window) || !window->procedure) return 0;
    return window->procedure(window, id, wParam, lParam);
}

void ResetWindows() {
    while (!Windows().empty()) {
        WindowRecord* w = Windows().back().get();
        w->procedure = nullptr;  // no messages into a test's torn-down globals
        DestroyMainWindow(w);
    }
    Classes().clear();
    for (auto& [title, fd] : Claims()) ReleaseInstanceLock(fd);
    Claims().clear();
}

}  // namespace plat
