#pragma once
// Notices a lost graphics device and brings it back: every owner of default-pool resources lets
// them go, the device is reset with the saved present parameters, and every owner makes them
// again. While the device is lost no frame runs.
#include <cstdint>

class EFocusMgr {
public:
    EFocusMgr();
    virtual ~EFocusMgr();

    void SetOnFocus();
    // Once per frame before any frame work: true when the frame may run.
    bool CheckFocus();
    void LoseFocus();
    void GainFocus();
    // Shut-down hook; nothing to release.
    void OnRelease();

    uint8_t m_bOnFocus;
    uint32_t m_uSavedFogColour;
    // Set once LoseFocus has let the device go, cleared by a successful reset. The device may
    // report "not reset" without ever reporting "lost"; the release must still come first, and
    // only once, so a retried reset does not save a state that was already released.
    uint8_t m_bReleasedForReset;

private:
    void ReleaseDefaultPoolResources();
    void RecreateDefaultPoolResources();
    void RestoreDeviceState();
    // The mouse with its saved state, and the game keyboard.
    void RestoreInput();
};

extern EFocusMgr g_FocusMgr;
