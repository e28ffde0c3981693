#pragma once
// The main game object: game start, the per-frame update and the HUD render.
#include <cstdint>

class CMainGame {
public:
    CMainGame();
    virtual ~CMainGame();

    // Opens the menu, the intro world or the configured world.
    void Start();
    void Update();
    void Stop();
    void Render();
    // The cutscene playback step of the frame, before the scene.
    void UpdateCutscene();
    // Keys while neither the console nor the menu takes them; the game's key handling comes with
    // the game.
    void OnKeyDown(uint32_t virtualKey);
    void OnKeyUp(uint32_t virtualKey);

    uint8_t m_bRunning;
    uint32_t m_uFrameCounter;
    uint8_t m_bKeyInputEnabled;
};

extern CMainGame g_MainGame;
