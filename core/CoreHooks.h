#pragma once
// What the core services need from the floors above them: the game's state that input, the
// console and the key bindings read, and the few actions they ask of the engine. app/ installs
// every slot at start-up, before the configuration file runs; tests install their own. A slot
// left as it is answers as if nothing stood above: no focus, frame 0, nothing active.
#include <cstdint>

#include "core/RouteTasks.h"
#include "platform/os/Message.h"

// The option fields stored with the key bindings in "save\keys.cfg" that belong to the player
// (two options and the camera mode, which so survives runs) and the main game, in file order.
struct KeysFileOptions {
    uint8_t* playerOption1;
    uint8_t* playerOption2;
    uint32_t* cameraMode;
    uint8_t* gameSwitch1;
    float* gameValue1;
    float* gameValue2;
    uint8_t* gameSwitch2;
    float* gameLevel;
};

struct CoreHooks {
    // The focus manager's on-focus flag: input is read only while the window owns the device.
    bool (*hasFocus)() = [] { return false; };
    // The program's main window, for the controllers' cooperative level.
    plat::WindowHandle (*mainWindow)() = []() -> plat::WindowHandle { return nullptr; };

    // The main game: its frame count since the world started and its key-input switch.
    uint32_t (*gameFrame)() = [] { return 0u; };
    bool (*gameKeyInputEnabled)() = [] { return true; };
    void (*enableGameKeyInput)() = [] {};
    bool (*menuActive)() = [] { return false; };
    bool (*loadingScreenActive)() = [] { return false; };
    // The camera is steered by something other than the mouse (a cutscene, a fly-to).
    bool (*cameraOverride)() = [] { return false; };
    bool (*hudDiscardsMouse)() = [] { return false; };
    // The player allows the surface force-feedback effects (sliding, gravel).
    bool (*surfaceForceFeedback)() = [] { return false; };

    // Values kept in "save\keys.cfg" that live above: the camera's gamma, the music and the
    // player's and main game's options.
    float (*getGamma)() = [] { return 1.0f; };
    void (*setGamma)(float gamma) = [](float) {};
    void (*applyMusic)(float volume, bool playing) = [](float, bool) {};
    KeysFileOptions (*keysFileOptions)() = [] {
        static uint8_t bytes[4];
        static uint32_t value;
        static float floats[3];
        return KeysFileOptions{&bytes[0], &bytes[1], &value, &bytes[2], &floats[0], &floats[1], &bytes[3], &floats[2]};
    };

    // The engine's game keyboard, taken away while the console is open and given back after.
    void (*acquireKeyboard)() = [] {};
    void (*releaseKeyboard)() = [] {};
    // Asks the engine for a screenshot at the end of the frame, or to quit.
    void (*requestScreenshot)() = [] {};
    void (*quit)() = [] {};
    // Ends the game after the frame because of an error; why is what the player is told.
    void (*quitOnError)(const char* why) = [](const char*) {};
    // The loading screen's share of a console loading frame: its update (tips, closing on a
    // released key) and its tip lines.
    void (*loadingScreenUpdate)() = [] {};
    void (*loadingScreenDrawTips)() = [] {};
    // The task flags of the current route, or null when there is none.
    const RouteTasks* (*currentRouteTasks)() = []() -> const RouteTasks* { return nullptr; };
};

inline CoreHooks g_CoreHooks;
