#pragma once
// What the renderer needs from the floors above it. app/ installs every slot at start-up; tests
// install their own. A slot left as it is answers as if nothing stood above.
#include <cstdint>

#include "core/DV.h"

class ERect;

struct RenderHooks {
    // A texture that cannot be loaded ends the game.
    void (*requestQuit)() = [] {};
    bool (*menuActive)() = [] { return false; };
    bool (*cutscenePlaying)() = [] { return false; };
    // The engine's frame count since the world started.
    uint32_t (*engineFrame)() = [] { return 0u; };
    // Where the camera stands; the shadow maps are centred on it.
    DV (*cameraPosition)() = [] { return DV{}; };
    // The menu's full-screen picture drawing (cropped to the screen's aspect); the loading screen
    // shows its picture with it.
    void (*drawTextBox)(ERect& quad) = [](ERect&) {};
};

inline RenderHooks g_RenderHooks;
