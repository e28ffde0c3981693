#pragma once
// In render tests, the floors above the renderer are this record: every render hook reads and
// writes it in place of the engine, the menu, the cutscenes and the camera.
#include <cstdint>

#include "core/DV.h"

namespace test {

struct FakeEngine {
    bool quitRequested = false;
    bool menuActive = false;
    bool cutscenePlaying = false;
    uint32_t frame = 0;
    DV cameraPosition{};
};

extern FakeEngine g_FakeEngine;

// Puts the record back into its start state and points every render hook at it.
void InstallFakeEngine();

}  // namespace test
