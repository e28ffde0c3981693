#pragma once
// In render tests, the floors above the renderer are this record: every render hook reads and
// writes it in place of the engine, the menu, the cutscenes and the camera.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <cstdint>

#include "core/DV.h"
#include "render/DrawRecord.h"
#include "render/RenderHooks.h"

namespace test {

// An engine object as the effects and the power lines see it; sockets lie at offsets from its
// position.
struct FakeObject : DrawVisibility {
    std::string name;
    std::string file;
    EffectObject facts;
    std::map<std::string, DV> sockets;
    DV scale{1.0f, 1.0f, 1.0f};
    bool deleted = false;
};

struct FakeEngine {
    bool quitRequested = false;
    std::string quitReason;
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

    // The effects' and power lines' side of the engine.
    std::string worldName;
    // Objects the hooks find by name, and the mesh objects effects made, in order.
    std::deque<FakeObject> effectObjects;
    // Explosions applied (position, strength) and sounds started (file names, looping ones too).
    std::vector<std::pair<DV, float>> explosions;
    std::vector<std::string> sounds;
    int releasedSounds = 0;
    // Answers the effects' segment queries; nothing is hit while it is empty.
    std::function<bool(const EffectSegment&, EffectHit&)> segment;
    std::vector<EffectSegment> segments;

    FakeObject& AddObject(const std::string& name, const DV& position);
};

extern FakeEngine g_FakeEngine;

// Puts the record back into its start state and points every render hook at it.
void InstallFakeEngine();

}  // namespace test
