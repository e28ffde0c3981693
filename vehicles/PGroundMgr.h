#pragma once
// The marks the machines leave on the ground.
class PGroundMgr {
public:
    void Init();
    void ResolveTextures();
    void ClearEffects();
    void TnijGroundDefs();
    void UpdateVB();
    void Render();
};

extern PGroundMgr g_GroundMgr;
