#pragma once
// The in-game HUD.
#include <cstdint>

class CHudPanel {
public:
    CHudPanel();
    virtual ~CHudPanel();

    // Lays the HUD out for a wide screen.
    uint8_t m_bWideScreen;
};

extern CHudPanel g_HudPanel;
