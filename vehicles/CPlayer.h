#pragma once
// The player: the driven machine's controls and the player's options.
#include <cstdint>

class CPlayer {
public:
    CPlayer();
    virtual ~CPlayer();

    // Allows the surface force-feedback effects (sliding, gravel).
    uint8_t m_bSurfaceForceFeedback;
    // Options kept in "save\keys.cfg": one the HUD reads, one only stored, one the driving
    // physics reads.
    uint8_t m_bHudOption;
    uint8_t m_bOption2;
    uint32_t m_uDrivingOption;
};

extern CPlayer g_Player;
