#pragma once
// Turns the keyboard, mouse buttons and controller buttons into numbered game commands. One state
// byte per input code: 0..255 keys by DirectInput scan code, 256..259 mouse buttons 0..3,
// 260..387 controller buttons 0..127. Each command is bound to two input codes; the bindings and
// a few options are kept in "save\keys.cfg".
#include <cstdint>
#include <memory>

#include "platform/input/Keyboard.h"
#include "platform/os/Message.h"

class CCommandMgr {
public:
    static constexpr int kInputCodes = 388;
    static constexpr int kFirstMouseButton = 256;
    static constexpr int kFirstControllerButton = 260;
    static constexpr int kKeyNameLength = 64;

    CCommandMgr();
    virtual ~CCommandMgr();

    void CreateKeyboard(plat::WindowHandle window);
    void ReleaseKeyboard();
    // On every input timer tick.
    void PollKeyboard();
    // True when the command is bound to a held input; callers pass offset 0.
    bool IsCommandActive(uint32_t command, uint32_t offset = 0) const;

    // Names every input code for the options screens and sets the default bindings.
    void BuildKeyNames();
    void LoadKeys();
    void SaveKeys();

    void OnKeyDown(uint32_t virtualKey) {}
    void OnKeyUp(uint32_t virtualKey) {}

    std::unique_ptr<plat::Keyboard> m_pKeyboard;
    uint8_t m_State[kInputCodes];
    char m_szKeyNames[kInputCodes][kKeyNameLength];
    uint32_t m_Bindings[kInputCodes][2];
    uint8_t m_bKeyboardActive;

private:
    void ApplyForcedBindings();
};

// The held state of mouse button 0..3 from the mouse's current state; any other index gives 0.
uint8_t GetMouseButton(int index);

extern CCommandMgr g_CommandMgr;
