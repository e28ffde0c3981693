#pragma once
// The game camera: where the view is and where it looks, view and projection, the screen gamma
// ramp.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

class ECamera {
public:
    ECamera();
    virtual ~ECamera();

    // Clamped to 0.5 .. 3.0 and applied to all channels.
    void SetGamma(float gamma);
    // One channel, clamped to 0.5 .. 3.0 like the whole gamma.
    void SetGammaR(float gamma);
    void SetGammaG(float gamma);
    void SetGammaB(float gamma);
    void GetGamma(float& gamma) const;
    // Hands the ramp of the current gamma values to the device; nothing without a device.
    void ApplyGammaRamp();
    // Builds the projection and hands it to the device.
    void SetupProjection();
    // The far plane distance; setting it rebuilds the projection.
    void SetFarZ(float distance);
    void GetFarZ(float& distance) const;
    // The eye, and the direction it looks along with its axes; both rebuild the view.
    void SetPosition(const DV& position);
    void SetOrientation(const EOrientation& orientation);
    // The view from the position along the orientation.
    void UpdateViewMatrix();
    // The world's start and end.
    void OnStartWorld();
    void OnEndWorld();
    // A deleted object stops the constant shake it started.
    void StopConstantShakeFrom(const EObjectSlot* object);

    DV m_vPosition;
    // The front axis, unit length, with the side and up axes.
    DV m_vDirection{0, 0, 1};
    DV m_vSide{1, 0, 0};
    DV m_vUp{0, 1, 0};
    EOrientation m_Orientation;
    pmath::Matrix m_View = pmath::Identity();
    pmath::Matrix m_Projection = pmath::Identity();
    float m_fGamma;
    float m_fGammaR;
    float m_fGammaG;
    float m_fGammaB;
    // While set, mouse movement at the start of a level is not discarded.
    uint8_t m_bOverride;
    float m_fFarZ;
};

extern ECamera g_Camera;
