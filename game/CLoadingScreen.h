#pragma once
// The loading screen: shown from the start of a world change until the level is ready. It clears
// the screen to black and draws the console's loading picture and progress bar, a ">Cache"
// caption while the world is being prepared and up to three tip lines; it chooses the tips of the
// world being loaded, and closes at the level start or early when a key or the left mouse button
// is pressed and released once the world has loaded.
#include <cstdint>

#include "render/ERect.h"

struct SoundRecord;

class CLoadingScreen {
public:
    static constexpr int kMaxTips = 64;
    static constexpr int kTipLineSize = 256;
    // From this frame after the world start the screen is presented without its caption.
    static constexpr uint32_t kCaptionFrames = 199;

    CLoadingScreen();
    virtual ~CLoadingScreen();

    // A world start begins: active, input locked until the bar is created.
    void Begin(const char* worldFile);
    // The world has loaded: input unlocked, the bar quad made.
    void CreateBar();
    // Every frame while active (from the main loop, outside the normal render pass).
    void Render();
    // From the console's loading frames: chooses the tips and closes on a released key or button.
    void Update();
    // The three tip lines while tips are being played.
    void DrawTips();
    // Fills the tip list for the world being loaded and starts the first tip.
    void SelectTips();
    // Harmless twice.
    void Close();

    uint8_t m_bActive;
    uint8_t m_bInputLock;
    float m_fTimer;
    uint8_t m_bKeyLatch;
    uint8_t m_bMouseLatch;
    ERect m_Bar;
    const char* m_pTips[kMaxTips + 1];
    uint32_t m_uTip;
    char m_szTipLines[3][kTipLineSize];
    uint8_t m_bTipsChosen;
    SoundRecord* m_pTipSound;
    uint8_t m_bPaging;
    char m_szWorld[256];

private:
    // Starting a tip would speak it and fill the tip lines; there are no voice files, so no tip
    // sound is made and the lines stay empty.
    void StartTip() {}
};

extern CLoadingScreen g_LoadingScreen;
