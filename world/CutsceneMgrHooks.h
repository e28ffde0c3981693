#pragma once
// What the cutscenes need from the floors above the world: the machines' wheels, steering and
// physics step, and where a scene leads when it ends. app/ installs every slot at start-up; tests
// install their own. A slot left as it is does nothing: no machine, no physics, nowhere to go.
#include <cstdint>

class EObjectSlot;

// The parts of a machine a cutscene records and replays.
struct CutsceneMachine {
    static constexpr int kWheels = 4;
    // Null where the machine has no such wheel.
    EObjectSlot* wheels[kWheels] = {};
    float currentSteering = 0;
    float targetSteering = 0;
    // How far the wheels' dust is lowered.
    float wheelOffset = 0;
};

struct CutsceneMgrHooks {
    // The machine's parts; false for an object without a truck.
    bool (*machine)(EObjectSlot* object, CutsceneMachine& out) = [](EObjectSlot*, CutsceneMachine&) { return false; };
    void (*setSteering)(EObjectSlot* object, float current, float target) = [](EObjectSlot*, float, float) {};
    // The steering wheel, the driver and the attachments follow the machine's new place.
    void (*updateMachineParts)(EObjectSlot* object) = [](EObjectSlot*) {};
    // The machines' physics step of the frame (while a scene is recorded).
    void (*physicsUpdate)() = [] {};
    // A scene ends: during the intro the menu opens on its main page, otherwise the player's
    // result screen shows.
    void (*openMenu)() = [] {};
    void (*showResult)() = [] {};
};

inline CutsceneMgrHooks g_CutsceneMgrHooks;
