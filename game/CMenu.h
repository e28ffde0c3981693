#pragma once
// The front-end menu.
#include <cstdint>

class CMenu {
public:
    CMenu();
    virtual ~CMenu();

    void PrepareSceneRender();
    void Render();

    uint8_t m_bActive;
};

extern CMenu g_Menu;
