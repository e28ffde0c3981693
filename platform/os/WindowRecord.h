#pragma once
// The platform layer's own view of a window; only platform code includes this.
#include <memory>
#include <string>

#include "platform/os/Message.h"

struct SDL_Window;

namespace plat {

class DialogWindow;

struct WindowRecord {
    std::string className;
    std::string title;
    WindowProc procedure = nullptr;
    bool caption = true;
    int width = 0;
    int height = 0;
    bool visible = false;
    int instanceLock = -1;       // descriptor holding the single-instance lock of the title
    SDL_Window* sdlWindow = nullptr;  // null with the null video backend
    std::shared_ptr<DialogWindow> dialog;  // the dialog shown in this window, if it is one
};

// Starts SDL's video subsystem (offscreen when there is no display); false when it cannot start.
bool StartSdlVideo();

}  // namespace plat
