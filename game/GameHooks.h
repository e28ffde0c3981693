#pragma once
// What the main game needs from the floor above it: the developer overlays that walk world
// objects and draw text are app/'s. app/ installs every slot at start-up; tests install their
// own. A slot left as it is draws nothing.
struct GameHooks {
    void (*reportRenderStats)() = [] {};
    void (*drawSystemDebug)() = [] {};
    void (*drawLightCounts)() = [] {};
    void (*reportVideoMemory)() = [] {};
};

inline GameHooks g_GameHooks;
