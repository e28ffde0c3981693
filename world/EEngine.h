#pragma once
// The engine: the frame timer, the running world and its start and end, key routing.
#include <cstdint>

#include "platform/gfx/GfxTypes.h"
#include "platform/os/Message.h"
#include "world/EObjectSlot.h"

class EEngine {
public:
    static constexpr int kLightSlots = 100;
    static constexpr int kObjectSlots = 5200;

    EEngine();
    virtual ~EEngine();

    // Initialises the engine once the device exists.
    void Init(plat::WindowHandle window);
    void Release();

    // Advances the frame timer; false when less than 0.001 s passed (the frame is skipped).
    bool UpdateTimer();
    void Update();

    void RequestStartWorld(const char* worldFile);
    // Ends the running world and starts the named one; only at the very end of a frame.
    void ProcessStartWorld(const char* worldFile);
    void BeginWorld();
    void EndWorld();
    void Quit();

    // The mouse device with the engine's window.
    void InitMouse();
    void ReleaseMouse();
    // The game keyboard, made unless already acquired; released when acquired.
    void AcquireKeyboard();
    void ReleaseKeyboard();
    // Marks for deletion every object in use whose distance from the camera, truncated, less its
    // radius is at least the given distance.
    void WipeOut(float distance);
    // Runs the actions of the named object.
    void RunAction(const char* objectName);
    // Sets or clears the hidden byte of every object in use in the sector (sector 0 is none).
    void SetSectorHidden(int sector, uint8_t hidden);

    void OnKeyDown(uint32_t virtualKey);
    void OnKeyUp(uint32_t virtualKey);

    void PrepareCamera();
    void RenderScene();
    // Saves the requested screenshot and clears the request.
    gfx::Result SaveScreenshot();

    uint8_t m_bQuit;
    uint8_t m_bStartWorld;
    char m_szPendingWorld[256];
    char m_szStartingWorld[256];
    uint8_t m_bReady;
    uint8_t m_bWorldRender;
    uint8_t m_bScreenshot;
    uint8_t m_bKeyboardAcquired;
    float m_fFrameTime;
    float m_fLevelTime;
    float m_fRunningClock;
    uint32_t m_uFrameCounter;
    uint32_t m_uBackgroundColour;
    plat::WindowHandle m_hWnd;
    // The object table: every placed thing of the world lives in one slot.
    EObjectSlot m_Objects[kObjectSlots];
    // The light slots of the object table.
    uint8_t m_bLightUsed[kLightSlots];
    uint8_t m_bLightOn[kLightSlots];

private:
    double m_dLastTime;
    bool m_bScreenshotKeyDown;
};

extern EEngine g_Engine;
