#pragma once
// One machine slot of a player's profile, in the profile file's layout (864 bytes): which vehicle
// type, its sounds, its price, its tuning, its upgrades, its skin and its paint. The driving reads
// it through the current machine; a default-made record is a new machine of type 0.
#include <cstdint>

struct MachineRecord {
    static constexpr int kSoundNameSize = 256;

    uint32_t m_uVehicleType = 0;
    uint32_t m_uVehicleType2 = 0;
    char m_szHornSound[kSoundNameSize] = {};
    char m_szStartSound[kSoundNameSize] = {};
    char m_szEngineSound[kSoundNameSize] = {};
    uint32_t m_uPrice = 0;
    float m_fTuning0 = 37500.0f;
    // The machine's power factor.
    float m_fPowerFactor = 0.9f;
    float m_fTuning2 = 0.9f;
    float m_fTuning3 = 1.2f;
    // Engine (0..2), gearbox (0..2, selects the gear table), the tuning hook's value, brakes (0..1).
    int32_t m_iUpgrade1 = 0;
    int32_t m_iUpgrade3 = 0;
    uint32_t m_uTuningHook = 0;
    int32_t m_iUpgrade2 = 0;
    uint32_t m_uSkin = 0;
    uint8_t m_Reserved[36] = {};
    uint32_t m_uPaint[3] = {};
};
static_assert(sizeof(MachineRecord) == 864, "a machine slot is 864 bytes in the profile file");
