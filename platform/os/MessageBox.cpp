#include "platform/os/MessageBox.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/os/Backends.h"

namespace plat {
namespace {

std::string& LastText() {
    static std::string text;
    return text;
}

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

}  // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
    LastText() = text;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (Backends().video == VideoBackend::Null || !HasDisplay()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), nullptr);
}

const std::string& LastMessageBoxText() { return LastText(); }

}  // namespace plat
