#pragma once
// The loading screen shown while a world starts.
#include <cstdint>

class CLoadingScreen {
public:
    CLoadingScreen();
    virtual ~CLoadingScreen();

    // A world start: the screen for the named world, then its progress bar.
    void Begin(const char* worldName);
    void CreateBar();
    void Render();

    uint8_t m_bActive;
};

extern CLoadingScreen g_LoadingScreen;
