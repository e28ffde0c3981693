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

    // Lets the keys reach the game.
    void EnableKeyInput();
    // A world starts: frames are counted from it again.
    void OnStartWorld();
    // The level-start sequence, once per frame: the console's loading frames until the level is
    // ready, the actions of the world's "level_start" object at frame 199, the console's loading
    // screen ended at frame 200, the world shown and the loading screen closed at frame 209.
    void StartLevel();

    // The engine's hooks: its start, each world's start once the world file is read, its end, and
    // the music step of every frame.
    void Init();
    void LoadResources();
    void ReleaseResources();
    void UpdateMusic();
    // Stops the music, then plays the file when one is given, the music is on and it exists.
    void PlayMusic(const char* file);

    uint8_t m_bRunning;
    uint32_t m_uFrameCounter;
    uint8_t m_bKeyInputEnabled;
    // Options kept in "save\keys.cfg"; the level is 0..1.
    uint8_t m_bGameOption1;
    float m_fGameOptionValue1;
    float m_fGameOptionValue2;
    uint8_t m_bGameOption2;
    float m_fGameOptionLevel;
};

extern CMainGame g_MainGame;
