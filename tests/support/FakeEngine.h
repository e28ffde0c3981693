#pragma once
// In render tests, the floors above the renderer are this record: every render hook reads and
// writes it in place of the engine, the menu, the cutscenes and the camera.
#include <cstdint>

#include "core/DV.h"
#include "render/DrawRecord.h"

namespace test {

struct FakeEngine {
    bool quitRequested = false;
    bool menuActive = false;
    bool cutscenePlaying = false;
    uint32_t frame = 0;
    DV cameraPosition{};
    uint32_t gameFrame = 0;
    bool introRunning = false;
    float levelTime = 0;
    float engineClock = 0;
    DrawObjectTable objects;
    float cameraFarZ = 0;
    uint32_t clearColour = 0;
    // What the sky dome hook hands out, and the objects deleted.
    const DrawVisibility* skyDome = nullptr;
    int deletedObjects = 0;
};

extern FakeEngine g_FakeEngine;

// Puts the record back into its start state and points every render hook at it.
void InstallFakeEngine();

}  // namespace test
