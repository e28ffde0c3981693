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
    // The current profile's difficulty as stored: 0 easy, 1 normal, 2 hard; anything else is "not
    // chosen" (see DifficultyLevel).
    int (*profileDifficulty)() = [] { return -1; };
    // A finished run booked on the current profile: the prize added to the money, the route's best
    // place (0 none) and best time kept, the profile saved and its race achievements tested.
    void (*bookRaceResult)(int route, int place, float runTime, int prize) = [](int, int, float, int) {};
    // A lost run: the profile saved as it is.
    void (*bookDefeat)() = [] {};
    // The menu's result page (14) over the level, showing the player's result lines and place over
    // the picture.
    void (*showResultPage)(const char* picture) = [](const char*) {};
    // The HUD's whistle of a referee's penalty, for the given seconds.
    void (*blowWhistle)(float seconds) = [](float) {};
};

inline VehiclesHooks g_VehiclesHooks;
