#pragma once
// The in-game panel of gauges and messages.
#include <cstdint>

class CHudPanel {
public:
    CHudPanel();
    virtual ~CHudPanel();

    // While set, mouse movement is discarded in the game.
    uint8_t m_bDiscardMouse;
};

extern CHudPanel g_HudPanel;
