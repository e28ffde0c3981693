#pragma once
// The front-end menu.
#include <cstdint>

class ERect;

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
    // Draws the quad over the whole screen with its 16:9 picture cropped to the screen's aspect,
    // in its own render states.
    void DrawTextBox(ERect& quad);
    // value mapped linearly from fromA..fromB onto toA..toB.
    static float MapRange(float value, float fromA, float toA, float fromB, float toB);

    uint8_t m_bActive;
};

extern CMenu g_Menu;
