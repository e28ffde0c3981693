#pragma once
// Game controllers (steering wheels, joysticks, pads) with force feedback.
#include <cstdint>

class EInput {
public:
    EInput();
    virtual ~EInput();

    // Opens the controller service at start-up, before the launcher.
    void Init();
    void Release();
    // Reads the selected controller; called from the input timer.
    void Poll();

    bool m_bInitialised;
};

extern EInput g_Input;
