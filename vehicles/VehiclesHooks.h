#pragma once
// What the machines need from the floor above them (the front end's profiles and HUD). app/ installs the
// slots it can answer; tests install their own. A slot left as it is answers "no profile".
#include "core/DV.h"

struct MachineRecord;

struct VehiclesHooks {
    // The current profile's country (0 DE, 1 FR, 2 UK, 3 US), or -1 when no profile is current.
    int (*profileCountry)() = [] { return -1; };
    // The current profile's machine, or null when none is chosen.
    const MachineRecord* (*currentMachine)() = []() -> const MachineRecord* { return nullptr; };
    // The HUD's overview-map strip along the player's start path, built again at each placement.
    void (*buildMapStrip)() = [] {};
    // The HUD's instruction lines: cleared at the start of the player's frame, then up to three
    // (the key's text and the line's).
    void (*clearInstructions)() = [] {};
    void (*addInstruction)(const char* key, const char* line) = [](const char*, const char*) {};
    // A points icon shown over a place in the world, and the money it brings to the profile.
    void (*addWorldIcon)(const char* texture, const DV& position) = [](const char*, const DV&) {};
    void (*addMoney)(int amount) = [](int) {};
    // The run's task is tested for its end each frame (the results come with it).
    void (*checkTaskCompletion)() = [] {};
};

inline VehiclesHooks g_VehiclesHooks;
