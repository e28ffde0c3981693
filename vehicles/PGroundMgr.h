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
    // The overview map's entries, each drawing the marks into the map's pass.
    void RenderAutoMapPloughing();
    void RenderAutoMapSowing();
    void RenderAutoMapPlanting();
};

extern PGroundMgr g_GroundMgr;
