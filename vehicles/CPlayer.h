#pragma once
// The player: drives the machine through the event, finishes the run, and keeps the player's
// options.
#include <cstdint>

class EObjectSlot;

class CPlayer {
public:
    CPlayer();
    virtual ~CPlayer();

    // Begins the finish of the run, once per run: driving and force feedback stop and the fade
    // starts from 0.
    void StartFadeOut();

    // Allows the surface force-feedback effects (sliding, gravel).
    uint8_t m_bSurfaceForceFeedback;
    // Options kept in "save\keys.cfg": one the HUD reads, one only stored, one the driving
    // physics reads.
    uint8_t m_bHudOption;
    uint8_t m_bOption2;
    uint32_t m_uDrivingOption;

    uint8_t m_bDrivingEnabled;
    // The player's machine, the start countdown (0 once it is over) and the camera mode.
    EObjectSlot* m_pVehicle = nullptr;
    int32_t m_iCountdown = 0;
    uint32_t m_uCameraMode = 0;
    uint8_t m_bFadeStarted;
    uint8_t m_bRunFinished;
    float m_fFade;
};

extern CPlayer g_Player;
