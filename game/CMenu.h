#pragma once
// The front-end menu.
#include <cstdint>

class CMenu {
public:
    CMenu();
    virtual ~CMenu();

    // The engine's start and release hooks.
    void Init();
    void Release();
    void PrepareSceneRender();
    void Render();
    // Keys while the menu is active and the console closed; the pages' key handling comes with
    // the pages.
    void OnKeyDown(uint32_t virtualKey);
    void OnKeyUp(uint32_t virtualKey);

    uint8_t m_bActive;
};

extern CMenu g_Menu;
