#pragma once
// The mouse as a buffered device, turned into accumulated look angles, per-tick deltas and
// button states. Its initialisation starts the 2 ms input timer on whose ticks every input
// device is polled.
#include <cstdint>
#include <memory>

#include "platform/input/Mouse.h"
#include "platform/os/Message.h"

struct MouseState {
    uint8_t m_Buttons[4] = {};
    // Accumulated movement times the sensitivity factor.
    double m_dLookX = 0;
    double m_dLookY = 0;
    double m_dWheel = 0;
    // Every movement times the factor, never discarded.
    double m_dRawX = 0;
    double m_dRawY = 0;
    double m_dRawWheel = 0;
    // Movement of the last tick.
    double m_dDeltaX = 0;
    double m_dDeltaY = 0;
    double m_dDeltaWheel = 0;
};

class EMouse {
public:
    // Look y stops at 88 degrees either way in the game.
    static constexpr double kLookLimit = 1.5358898639678955;
    // The window timer of the input polls.
    static constexpr uint64_t kInputTimer = 0;
    static constexpr uint32_t kInputTimerPeriodMs = 2;

    EMouse();
    virtual ~EMouse();

    void Init(plat::WindowHandle window);
    // On every input timer tick.
    void Poll();
    void SaveState();
    void RestoreState();
    void Release();

    std::unique_ptr<plat::Mouse> m_pDevice;
    uint8_t m_bInitialised;
    plat::WindowHandle m_hWnd;
    MouseState m_State;
    MouseState m_SavedState;

private:
    bool OpenDevice(plat::WindowHandle window);
    void ApplyItem(const plat::MouseItem& item, double factor);
};

extern EMouse g_Mouse;
