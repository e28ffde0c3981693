#pragma once
// The main game object: the start into the menu, the intro or the current route's world, the
// frames counted from every world start with the level-start sequence they drive, the per-frame
// game update, the game's 2-D layer, the per-world resources, the music and the end of the game.
#include <cstdint>

#include "render/ESurface.h"

class CMainGame {
public:
    static constexpr int kMusicNameSize = 256;
    static constexpr int kCreditsLines = 256;
    static constexpr int kCreditsLineSize = 256;

    CMainGame();
    virtual ~CMainGame();

    // Opens the menu, the intro world or the current route's world.
    void Start();
    void Update();
    // The player's implement and the combines work the route's field.
    void UpdateFieldWork();
    void Stop();
    // The game's 2-D layer; at frame 219 of a world its grass is placed and built.
    void Render();
    // The cutscene playback step of the frame, before the scene.
    void UpdateCutscene();
    // While key input is enabled the keys go on to the key bindings; before, a key after the
    // loading (frame 211 on) enables it and goes no further.
    void OnKeyDown(uint32_t virtualKey);
    void OnKeyUp(uint32_t virtualKey);

    // Lets the keys reach the game.
    void EnableKeyInput();
    // A world starts: frames are counted from it again.
    void OnStartWorld();
    // The level-start sequence, once per frame: the frame counter grows and the actions of the
    // frames 100 (the player's machine), 151 (level music), 199, 200 (end of the console's
    // loading), 201 (no world: the menu), 209 (the world shown), 211 on (the player's start) run.
    void StartLevel();

    // The engine's hooks: its start, each world's start once the world file is read, its end, and
    // the music step of every frame.
    void Init();
    void LoadResources();
    void ReleaseResources();
    void UpdateMusic();
    // Stops the music, then plays the file when one is given, the music is on and it exists.
    void PlayMusic(const char* file);

    // The end of the game: the end picture, the credits, the music after half a second; the skip
    // command leaves for the menu.
    void EndGame();
    void UpdateEndGame();
    // The credits list for the end and the menu's credits page; a line beyond 255 is refused.
    void BuildCredits();
    void AddCreditsLine(const char* text);

    uint8_t m_bRunning;
    uint32_t m_uFrameCounter;
    uint8_t m_bKeyInputEnabled;
    // Options kept in "save\keys.cfg": a switch, the steering speed and the centring speed
    // (0..1 each), a switch, and the controller's steering linearity (0..1).
    uint8_t m_bGameOption1;
    float m_fGameOptionValue1;
    float m_fGameOptionValue2;
    uint8_t m_bGameOption2;
    float m_fGameOptionLevel;

    double m_dFrameTime;
    char m_szMusicFile[kMusicNameSize];
    uint8_t m_bEndGame;
    uint8_t m_bEndMusicStarted;
    float m_fEndGameTimer;
    ESurface m_EndPicture;
    float m_fEndPictureX;
    float m_fEndPictureY;
    float m_fEndPictureWidth;
    float m_fEndPictureHeight;

private:
    void DrawStartPrompt();
    void DrawReadouts();
    // Every object named "self_delete" goes.
    void DeleteSelfDeleteObjects();
    // The player starts once the keys reach the game; the loading screen closes with it.
    void StartPlayer();
};

// The credits the end of the game and the menu show.
extern char g_szCredits[CMainGame::kCreditsLines][CMainGame::kCreditsLineSize];
extern uint32_t g_uCreditsCount;

extern CMainGame g_MainGame;
