#pragma once
// One machine of a player's profile as the driving reads it: which vehicle type, its sounds, its
// looks, its upgrades and its power. A new machine has power factor 0.9 and nothing upgraded.
#include <cstdint>

struct MachineRecord {
    static constexpr int kSoundNameSize = 64;

    uint32_t m_uVehicleType = 0;
    char m_szHornSound[kSoundNameSize] = {};
    char m_szStartSound[kSoundNameSize] = {};
    char m_szEngineSound[kSoundNameSize] = {};
    uint32_t m_uSkin = 0;
    uint32_t m_uPaint[3] = {};
    // Engine (0..2), brakes (0..1) and gearbox (0..2).
    int32_t m_iUpgrade1 = 0;
    int32_t m_iUpgrade2 = 0;
    int32_t m_iUpgrade3 = 0;
    float m_fPowerFactor = 0.9f;
};
