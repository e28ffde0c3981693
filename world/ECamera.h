#pragma once
// The game camera: where the view is and where it looks, view and projection, zoom and the
// sniper view, the screen gamma ramp, the scripted flight to an object and view from an object's
// socket, and the sound listener that follows the eye.
#include <cstdint>

#include "core/DV.h"
#include "core/EOrientation.h"
#include "platform/math/Matrix.h"

class EObjectSlot;

class ECamera {
public:
    static constexpr int kSocketNameSize = 64;
    // The listener is moved at most this often (seconds).
    static constexpr float kListenerPeriod = 0.25f;

    ECamera();
    virtual ~ECamera();

    // Clamped to 0.5 .. 3.0 and applied to all channels.
    void SetGamma(float gamma);
    // One channel, as given.
    void SetGammaR(float gamma);
    void SetGammaG(float gamma);
    void SetGammaB(float gamma);
    void GetGamma(float& gamma) const;
    // Hands the ramp of the current gamma values to the device; nothing without a device.
    void ApplyGammaRamp();

    // The frame's step: the frame time, the zoom (unless skipped) and the projection.
    void Update(bool skipZoom);
    // The field-of-view factor from the FOV setting, widened by the held zoom; 0.35 in the
    // sniper view. The request lasts one frame.
    void UpdateZoom();
    // The projection (and its copies with the far plane at 40 and at infinity), handed to the device.
    void SetupProjection();
    // The far plane distance; setting it rebuilds the projection.
    void SetFarZ(float distance);
    void GetFarZ(float& distance) const;
    // The eye, and the direction it looks along with its axes; both rebuild the view.
    void SetPosition(const DV& position);
    void SetOrientation(const EOrientation& orientation);
    // The view from the position along the orientation.
    void UpdateViewMatrix();

    // A flight from where the eye is to the named object over time seconds; nothing starts for
    // an unknown object or a time of 0 or less.
    void MoveToObject(const char* objectName, float time);
    void UpdateMoveToObject();
    // The view from the socket of the named object for time seconds.
    void LookFromObject(const char* objectName, const char* socketName, float time);
    void UpdateLookFrom();
    // The listener takes the eye every kListenerPeriod.
    void UpdateSoundListener();

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
    pmath::Matrix m_ProjectionNear = pmath::Identity();
    pmath::Matrix m_ProjectionInfinite = pmath::Identity();
    float m_fGamma;
    float m_fGammaR;
    float m_fGammaG;
    float m_fGammaB;
    // While set, mouse movement at the start of a level is not discarded.
    uint8_t m_bOverride;
    float m_fFarZ;
    float m_fFrameTime;

    // Zoom: held by whoever asks each frame, amount 0..1; the vertical field of view is the
    // factor times a quarter turn.
    uint8_t m_bZoomRequested;
    float m_fZoomAmount;
    float m_fFovFactor;
    // The size of the far plane.
    float m_fFrustumHeight;
    float m_fFrustumWidth;

    float m_fListenerTimer;
    DV m_vListenerUp{0, 1, 0};

    uint8_t m_bMoveActive;
    DV m_vMoveStart;
    EOrientation m_MoveStartOrientation;
    float m_fMoveDuration;
    float m_fMoveElapsed;
    EObjectSlot* m_pMoveTarget;

    uint8_t m_bLookFromActive;
    EObjectSlot* m_pLookFromObject;
    char m_szLookFromSocket[kSocketNameSize];
    float m_fLookFromTime;
};

extern ECamera g_Camera;
