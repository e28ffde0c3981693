#pragma once
// In core tests, the floors above the core are this record: every core hook reads and writes it
// in place of the focus manager, the main game, the menu, the loading screen, the camera, the
// HUD, the player, the music and the engine.
#include <cstdint>

#include "core/RouteTasks.h"

namespace test {

struct FakeGame {
    bool focus = true;
    uint32_t frame = 0;
    bool keyInputEnabled = true;
    bool menuActive = false;
    bool loadingActive = false;
    bool cameraOverride = false;
    bool hudDiscardsMouse = false;
    bool surfaceForceFeedback = true;
    float gamma = 1.0f;
    float musicVolume = 0.0f;
    bool musicPlaying = false;
    int musicApplied = 0;
    // The options of "save\keys.cfg", with the player's and the main game's defaults.
    uint8_t playerOption1 = 1;
    uint8_t playerOption2 = 0;
    uint32_t cameraMode = 3;
    uint8_t gameSwitch1 = 0;
    float gameValue1 = 0;
    float gameValue2 = 0;
    uint8_t gameSwitch2 = 0;
    float gameLevel = 0;
    // What the core asked of the engine.
    bool keyboardAcquired = false;
    int screenshotRequests = 0;
    bool quitRequested = false;
    const RouteTasks* routeTasks = nullptr;
};

extern FakeGame g_FakeGame;

// Puts the record back into its start state and points every core hook at it.
void InstallFakeGame();

}  // namespace test
