#pragma once
// The shadow targets: the render textures the shadow-map passes draw into.

class CShadowMaps {
public:
    CShadowMaps();
    virtual ~CShadowMaps();

    // Around a device reset: the render textures are released, then created again.
    void OnLostDevice();
    void OnResetDevice();
};

extern CShadowMaps g_ShadowMaps;
