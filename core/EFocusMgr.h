#pragma once
// Notices a lost graphics device and brings it back; while the device is lost no frame runs.
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
};

extern EFocusMgr g_FocusMgr;
