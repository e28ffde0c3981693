#pragma once
// The overview map: a top-down view of the machine's surroundings in its own render target.

class PAutoMap {
public:
    PAutoMap();
    virtual ~PAutoMap();

    // The map's resources with each world, and its frame step.
    void Load();
    void Release();
    void Update();
    // Around a device reset: the map target is released, then created again.
    void OnLostDevice();
    void OnResetDevice();
};

extern PAutoMap g_AutoMap;
