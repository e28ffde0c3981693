#pragma once
// The loading screen shown while a world starts.
#include <cstdint>

class CLoadingScreen {
public:
    CLoadingScreen();
    virtual ~CLoadingScreen();

    void Render();

    uint8_t m_bActive;
};

extern CLoadingScreen g_LoadingScreen;
