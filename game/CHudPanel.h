#pragma once
// The in-game HUD: every 2-D quad of the panel, its textures loaded when a world starts, drawn each
// frame in a fixed order: the start fade, the start lights, the dashboard with its gauges and fill
// bars (CHudPanelGauges.cpp), the world icons, the overview map's window and the target marker
// (CHudPanelMap.cpp), the run timer and the task's panel, the prompts, the instruction lines and
// the help list. Everything is laid out in a frame of 1024 x 768 units scaled to the screen.
#include <cstdint>
#include <memory>

#include "core/DV.h"
#include "platform/gfx/Device.h"
#include "render/ERect.h"

class HudCanvas;
struct RouteRecord;

// A short-lived icon popped over a point of the world.
struct CHudIcon {
    uint8_t m_bInUse = 0;
    ERect m_Quad;
    // 1 at birth, falling to 0.
    float m_fLife = 0;
    // The icon's centre on the screen, in pixels.
    float m_fX = 0;
    float m_fY = 0;
};

class CHudPanel {
public:
    static constexpr int kIcons = 64;
    static constexpr int kInstructions = 3;
    static constexpr int kTextSize = 256;
    static constexpr int kGears = 5;
    static constexpr int kWorkIcons = 4;
    // The map strip's buffer: 30,000 vertices of 36 bytes (the mesh layout, only the position
    // written), a plain triangle list.
    static constexpr uint32_t kMapVertexBytes = 36;
    static constexpr uint32_t kMapVertices = 30000;
    // The fade level every frame of a run's start holds.
    static constexpr float kStartFade = 1.2f;

    CHudPanel();
    virtual ~CHudPanel();

    // ---- The world's life (CHudPanel.cpp) ------------------------------------------------------
    // A world starts: the timers and the heat start again, every quad is made with its texture.
    void Load();
    // The world ends: the icons, the map strip and every quad go.
    void Release();
    // Every frame: the frame time, the world icons age.
    void Update();
    // Every rendered frame of a run, in its fixed order.
    void Draw();
    // A points icon over a world position; nothing when all 64 slots live or the point lies on
    // or behind the camera's plane.
    void AddWorldIcon(const char* textureName, const DV& position);
    void ClearInstructions();
    // Fills the first free pair; ignored when either text is null or empty, dropped when all three
    // pairs are used.
    void AddInstruction(const char* keyText, const char* lineText);
    // The full-screen black of the start and of the cutscenes, fading by the frame time.
    void DrawFade();
    // A string of the digit quads; other characters are skipped without a gap.
    void DrawDigits(const char* text, float x, float y, float size, uint32_t colour, float spacing);

    // ---- The overview map's strip and window, the target marker (CHudPanelMap.cpp) ---------------
    // The strip along the player's start path, after each placement at the start.
    void BuildMapVB();
    void ReleaseMapVB();
    void DrawMapWindow();
    void DrawTarget();
    // The arrow at the screen's edge that points at a world point off the screen.
    void DrawEdgeArrow(const DV& point);

    // ---- The dashboard (CHudPanelGauges.cpp) -------------------------------------------------
    void DrawGauges();
    void DrawFillBars();
    void DrawSpeedNeedle(float x, float y, float r);
    // Advances the heat model by the frame and shows it with the temperature needle.
    void UpdateTemperature(float x, float y, float r);
    void DrawTempNeedle(float x, float y, float r, float value);
    void DrawGear(float left, float top, float right, float bottom);
    void DrawWorkIcons(float left, float top, float right, float bottom);
    void DrawFillBar(float value, bool inner);

    // Kept by others: set while the mouse is discarded in the game, the wide-screen switch, and
    // set while the engine forces the camera to look from one object at another.
    uint8_t m_bDiscardMouse;
    uint8_t m_bWideScreen;
    uint8_t m_bForcedLook;

    // Seconds since the last overheating beep.
    float m_fHotBeepTimer;
    ERect m_Whistle;
    ERect m_TurnLeft;
    ERect m_TurnRight;
    ERect m_ArrowUp;
    ERect m_ArrowRight;
    ERect m_ArrowDown;
    ERect m_ArrowLeft;
    ERect m_Waypoint3D;
    ERect m_MapFrame;
    ERect m_Forbidden;
    ERect m_StartLight1;
    ERect m_StartLight2;
    ERect m_StartLight3;
    ERect m_StartFlag;
    std::unique_ptr<gfx::VertexBuffer> m_pMapVB;
    uint32_t m_uMapTriangles;
    float m_fFrameTime;
    ERect m_SpeedoBase;
    ERect m_SpeedoOverlayCombine;
    ERect m_SpeedoOverlay;
    ERect m_SpeedNeedle;
    // Also the map window's quad.
    ERect m_TempNeedle;
    float m_fBaseTemperature;
    ERect m_GearN;
    ERect m_GearF;
    ERect m_GearR;
    ERect m_Gears[kGears];
    ERect m_WorkIcons[kWorkIcons];
    ERect m_FillBar;
    ERect m_FillNeedle;
    ERect m_ProgressBar;
    float m_fSmoothSpeed;
    float m_fHeat;
    ERect m_TopLarge;
    ERect m_TopSmall;
    ERect m_Colon;
    ERect m_Dot;
    ERect m_Slash;
    ERect m_Digits[10];
    CHudIcon m_Icons[kIcons];
    ERect m_InstructionFrame;
    char m_szInstructionKeys[kInstructions][kTextSize];
    char m_szInstructionLines[kInstructions][kTextSize];
    uint8_t m_bHotWarning;
    uint8_t m_bOverheating;
    // Plain white: the full-screen fades, and the holder of the saved 2-D states.
    ERect m_White;
    // Set to 5 s by a referee's penalty; the whistle shows while it runs.
    float m_fWhistleTimer;
    float m_fFade;
    uint8_t m_bHelpShown;

    // Where the HUD draws: the screen, or a test's recorder.
    HudCanvas* m_pCanvas;

private:
    void CreateQuads();
    void ReleaseQuads();
    void DrawIntroBlack();
    void DrawStartLights();
    void DrawWorldIcons();
    void DrawInstructionFrame();
    void DrawOffRouteWarning();
    void DrawTopPanel();
    // The race panel's time and place, or the task panel's time, target place and progress.
    void DrawRacePanel(float left, float top, float right, float bottom);
    void DrawTaskPanel(const RouteRecord& route, float left, float top, float right, float bottom);
    void DrawSwitchPrompt();
    void DrawHelpList();
    void DrawInstructionTexts();
    // A quad stretched over the whole screen in a colour.
    void DrawFullScreen(uint32_t colour);
    void AgeIcon(CHudIcon& icon);
};

extern CHudPanel g_HudPanel;

// The screen position (pixels) of a world point seen by the camera; false when the point lies on
// or behind the camera's plane, where it has no place on the screen.
bool ProjectToScreen(const DV& point, float* x, float* y);
