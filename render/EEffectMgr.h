#pragma once
// The compiled effects: found by name, with their techniques and cached parameter handles.

class EEffectMgr {
public:
    EEffectMgr();
    virtual ~EEffectMgr();

    // Around a device reset: every loaded effect lets go of its device state, then takes it back.
    // Both are safe to repeat.
    void OnLostDevice();
    void OnResetDevice();
};

extern EEffectMgr g_EffectMgr;
