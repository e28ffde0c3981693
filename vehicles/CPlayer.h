#pragma once
// The player: drives the machine through the event and finishes the run.
#include <cstdint>

class CPlayer {
public:
    CPlayer();
    virtual ~CPlayer();

    // Begins the finish of the run, once per run: driving stops and the fade starts from 0.
    void StartFadeOut();

    uint8_t m_bDrivingEnabled;
    uint8_t m_bFadeStarted;
    uint8_t m_bRunFinished;
    float m_fFade;
};

extern CPlayer g_Player;
