#pragma once
// What the machines need from the floor above them (the front end's profiles and HUD). app/ installs the
// slots it can answer; tests install their own. A slot left as it is answers "no profile".
struct MachineRecord;

struct VehiclesHooks {
    // The current profile's country (0 DE, 1 FR, 2 UK, 3 US), or -1 when no profile is current.
    int (*profileCountry)() = [] { return -1; };
    // The current profile's machine, or null when none is chosen.
    const MachineRecord* (*currentMachine)() = []() -> const MachineRecord* { return nullptr; };
    // The HUD's overview-map strip along the player's start path, built again at each placement.
    void (*buildMapStrip)() = [] {};
};

inline VehiclesHooks g_VehiclesHooks;
