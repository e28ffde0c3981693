#pragma once
// What the engine needs from the floors above it. app/ installs every slot at start-up; tests
// install their own. A slot left as it is does nothing.
#include <cstdint>

struct WorldHooks {
    // A key the console does not take: the front end routes it to the menu while that is active,
    // else to the main game.
    void (*frontEndKeyDown)(uint32_t virtualKey) = [](uint32_t) {};
    void (*frontEndKeyUp)(uint32_t virtualKey) = [](uint32_t) {};
    // A world start: the main game counts its frames from it, and the front end's loading screen
    // begins with the world's name; once the world has loaded the loading screen's bar is made.
    void (*mainGameWorldStart)() = [] {};
    void (*beginLoadingScreen)(const char* worldFile) = [](const char*) {};
    void (*createLoadingBar)() = [] {};
};

inline WorldHooks g_WorldHooks;
