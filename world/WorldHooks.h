#pragma once
// What the engine needs from the floors above it: the machines' physics and field work, the main
// game, the menu, the loading screen, the overview map and the HUD. app/ installs every slot at
// start-up; tests install their own. A slot left as it is does nothing and answers as if nothing
// stood above: no menu, no loading screen, frame 0, no player's machine.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"

class EObjectSlot;
struct RigidBodyPhysicsParams;

struct WorldHooks {
    // A key the console does not take: the front end routes it to the menu while that is active,
    // else to the main game.
    void (*frontEndKeyDown)(uint32_t virtualKey) = [](uint32_t) {};
    void (*frontEndKeyUp)(uint32_t virtualKey) = [](uint32_t) {};

    // The main game.
    void (*mainGameInit)() = [] {};
    void (*mainGameWorldStart)() = [] {};
    void (*mainGameLoadResources)() = [] {};
    void (*mainGameReleaseResources)() = [] {};
    void (*mainGameUpdateMusic)() = [] {};
    // Null stops the music.
    void (*mainGamePlayMusic)(const char* file) = [](const char*) {};
    // An action ends the game.
    void (*mainGameEndGame)() = [] {};
    // Frames since the world started, counted by the main game.
    uint32_t (*levelFrame)() = [] { return 0u; };
    // The menu.
    void (*menuInit)() = [] {};
    void (*menuRelease)() = [] {};
    bool (*menuActive)() = [] { return false; };
    // Opens the menu at a page, over the running event (the pause and result pages) or in its own
    // scene; the result page shows the run's three lines, the place and the picture given first.
    void (*menuLoadResources)(uint32_t page, bool sceneMode) = [](uint32_t, bool) {};
    void (*menuSetResult)(const char* const lines[3], uint32_t place, const char* picture) =
        [](const char* const*, uint32_t, const char*) {};
    // The loading screen of a world start.
    void (*beginLoadingScreen)(const char* worldName) = [](const char*) {};
    void (*createLoadingBar)() = [] {};
    bool (*loadingScreenActive)() = [] { return false; };
    // The overview map.
    void (*autoMapLoad)() = [] {};
    void (*autoMapRelease)() = [] {};
    void (*autoMapUpdate)() = [] {};
    // The HUD's byte telling that the camera is forced to look from one object at another.
    void (*hudForcedLook)(bool on) = [](bool) {};

    // The machines' physics world.
    void (*physicsInit)() = [] {};
    void (*physicsShutdown)() = [] {};
    void (*physicsExitWorld)() = [] {};
    void (*physicsResetRunCounters)() = [] {};
    void (*createTruckForObject)(EObjectSlot* object) = [](EObjectSlot*) {};
    void (*createObjectBody)(EObjectSlot* object, const RigidBodyPhysicsParams* params) =
        [](EObjectSlot*, const RigidBodyPhysicsParams*) {};
    void (*removeObjectBody)(EObjectSlot* object) = [](EObjectSlot*) {};
    void (*setObjectBodyTransform)(EObjectSlot* object, const DV& position, const EOrientation& orientation) =
        [](EObjectSlot*, const DV&, const EOrientation&) {};
    void (*applyImpulseToObject)(EObjectSlot* object, const DV& impulse) = [](EObjectSlot*, const DV&) {};
    // The object goes: its body and its truck with it.
    void (*physicsDeleteObject)(EObjectSlot* object) = [](EObjectSlot*) {};
    // A truck handed to a path marker: its controls released, kept awake, hitched, unhitched.
    void (*releaseTruckControls)(EObjectSlot* object) = [](EObjectSlot*) {};
    void (*disableTruckDeactivation)(EObjectSlot* object) = [](EObjectSlot*) {};
    void (*truckHitchToMarker)(EObjectSlot* object) = [](EObjectSlot*) {};
    void (*truckUnhitchFromMarker)(EObjectSlot* object) = [](EObjectSlot*) {};
    // Drives the truck with the force and steering, brake 0, and applies the controls.
    void (*driveTruck)(EObjectSlot* object, float force, float steering) = [](EObjectSlot*, float, float) {};
    void (*updatePlayerFrontLoader)() = [] {};
    // Where the player's machine stands; false when there is none.
    bool (*playerMachinePosition)(DV& position) = [](DV&) { return false; };

    // Grass, crops and field work; the marks the machines leave on the ground.
    void (*plantLoadGrass)() = [] {};
    void (*plantRelease)() = [] {};
    void (*plantUpdateFieldWork)() = [] {};
    void (*groundInit)() = [] {};
    void (*groundResolveTextures)() = [] {};
    void (*groundClearEffects)() = [] {};
    void (*groundTrimDefinitions)() = [] {};
    void (*groundUpdateVB)() = [] {};
    void (*groundRender)() = [] {};
};

inline WorldHooks g_WorldHooks;
