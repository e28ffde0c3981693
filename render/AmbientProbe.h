#pragma once
// The ambient probe: renders small views around plants to find their ambient colour.

class AmbientProbe {
public:
    AmbientProbe();
    virtual ~AmbientProbe();

    void OnStartWorld();
    void OnEndWorld();
    // Around a device reset: the probe surfaces are released, then created again.
    void OnLostDevice();
    void OnResetDevice();
};

extern AmbientProbe g_AmbientProbe;
