#pragma once
// The game camera: view and projection, the screen gamma ramp.

class ECamera {
public:
    ECamera();
    virtual ~ECamera();

    // Clamped to 0.5 .. 3.0 and applied to all channels.
    void SetGamma(float gamma);
    void GetGamma(float& gamma) const;
    // Hands the ramp of the current gamma values to the device; nothing without a device.
    void ApplyGammaRamp();
    // Builds the projection and hands it to the device.
    void SetupProjection();

    float m_fGamma;
    float m_fGammaR;
    float m_fGammaG;
    float m_fGammaB;
};

extern ECamera g_Camera;
