#pragma once
// The in-game HUD panel of gauges and messages.
#include <cstdint>

class CHudPanel {
public:
    CHudPanel();
    virtual ~CHudPanel();

    // While set, mouse movement is discarded in the game.
    uint8_t m_bDiscardMouse;
    // Lays the HUD out for a wide screen.
    uint8_t m_bWideScreen;
    // Set while the engine forces the camera to look from one object at another.
    uint8_t m_bForcedLook;
};

extern CHudPanel g_HudPanel;
