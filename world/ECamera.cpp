#include "world/ECamera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "audio/CSoundMgr.h"
#include "core/EConsole.h"
#include "core/ESettings.h"
#include "render/D3DDevice.h"
#include "render/DrawRecord.h"
#include "world/EEngine.h"
#include "world/GameAI.h"

ECamera g_Camera;

namespace {

constexpr float kMinGamma = 0.5f;
constexpr float kMaxGamma = 3.0f;
constexpr float kDefaultFarZ = 1000.0f;
constexpr float kNearZ = 0.1f;
constexpr float kNearFarZ = 40.0f;
constexpr float kQuarterTurn = std::numbers::pi_v<float> / 4;
constexpr float kZoomWidening = 0.25f;
constexpr float kSniperFovFactor = 0.35f;
constexpr DV kStartPosition{1, 1600, -128};
constexpr float kStartYaw = -std::numbers::pi_v<float>;

void FillChannel(uint16_t (&channel)[256], float gamma) {
    double exponent = 1.0 / std::max(gamma, 0.01f);
    for (int i = 0; i < 256; ++i)
        channel[i] = static_cast<uint16_t>(std::min(65535.0, 65535.0 * std::pow(i / 255.0, exponent)));
}

float ScreenAspect() {
    return g_Settings.m_iScreenHeight > 0
               ? static_cast<float>(g_Settings.m_iScreenWidth) / static_cast<float>(g_Settings.m_iScreenHeight)
               : 1.0f;
}

// A projection with the far plane at infinity: depth tends to 1 far away. The horizontal scale is
// the vertical one over the aspect, as in the finite projections, so that all three agree on
// where a point lands across the screen.
pmath::Matrix InfiniteProjection(float fov, float aspect) {
    pmath::Matrix m;
    m.m[1][1] = 1.0f / std::tan(fov / 2);
    m.m[0][0] = m.m[1][1] / aspect;
    m.m[2][2] = 1.0f;
    m.m[2][3] = 1.0f;
    m.m[3][2] = -kNearZ;
    return m;
}

}  // namespace

ECamera::ECamera()
    : m_fGamma(1.0f), m_fGammaR(1.0f), m_fGammaG(1.0f), m_fGammaB(1.0f), m_bOverride(0), m_fFarZ(kDefaultFarZ),
      m_fFrameTime(0), m_bZoomRequested(0), m_fZoomAmount(0), m_fFovFactor(1.0f), m_fFrustumHeight(0),
      m_fFrustumWidth(0), m_fListenerTimer(0), m_bMoveActive(0), m_fMoveDuration(0), m_fMoveElapsed(0),
      m_pMoveTarget(nullptr), m_bLookFromActive(0), m_pLookFromObject(nullptr), m_szLookFromSocket{},
      m_fLookFromTime(0) {
    // Until a world places it, the eye stands high above the origin; the base orientation faces
    // back along z while the axes still say +z, as nothing has turned the camera yet.
    m_vPosition = kStartPosition;
    m_Orientation = EOrientation::EOrientationFromYawPitchRoll(kStartYaw, 0, 0);
}

ECamera::~ECamera() = default;

void ECamera::SetGamma(float gamma) {
    gamma = std::clamp(gamma, kMinGamma, kMaxGamma);
    m_fGamma = m_fGammaR = m_fGammaG = m_fGammaB = gamma;
    ApplyGammaRamp();
}

void ECamera::SetGammaR(float gamma) {
    m_fGammaR = gamma;
    ApplyGammaRamp();
}

void ECamera::SetGammaG(float gamma) {
    m_fGammaG = gamma;
    ApplyGammaRamp();
}

void ECamera::SetGammaB(float gamma) {
    m_fGammaB = gamma;
    ApplyGammaRamp();
}

void ECamera::GetGamma(float& gamma) const { gamma = m_fGamma; }

void ECamera::ApplyGammaRamp() {
    if (!g_pd3dDevice) return;
    gfx::GammaRamp ramp;
    FillChannel(ramp.red, m_fGammaR);
    FillChannel(ramp.green, m_fGammaG);
    FillChannel(ramp.blue, m_fGammaB);
    g_pd3dDevice->SetGammaRamp(gfx::SGR_CALIBRATE, ramp);
}

void ECamera::Update(bool skipZoom) {
    m_fFrameTime = g_Engine.m_fFrameTime;
    if (!skipZoom) UpdateZoom();
    SetupProjection();
}

void ECamera::UpdateZoom() {
    m_fFovFactor = g_Settings.m_fFOV;
    m_fZoomAmount += m_bZoomRequested ? m_fFrameTime : -2 * m_fFrameTime;
    m_fZoomAmount = std::clamp(m_fZoomAmount, 0.0f, 1.0f);
    m_fFovFactor += m_fZoomAmount * kZoomWidening;
    if (g_GameAI.IsSet("sniper_view")) m_fFovFactor = kSniperFovFactor;
    m_bZoomRequested = 0;
}

// The renderer's passes read the projection from the camera's draw record.
void ECamera::SetupProjection() {
    float fov = m_fFovFactor * kQuarterTurn;
    float aspect = ScreenAspect();
    m_Projection = pmath::PerspectiveFovLH(fov, aspect, kNearZ, m_fFarZ);
    m_ProjectionNear = pmath::PerspectiveFovLH(fov, aspect, kNearZ, kNearFarZ);
    m_ProjectionInfinite = InfiniteProjection(fov, aspect);
    m_fFrustumHeight = 2 * std::tan(fov / 2) * m_fFarZ;
    m_fFrustumWidth = m_fFrustumHeight * aspect;
    g_DrawCamera.projection = m_Projection;
    g_DrawCamera.farZ = m_fFarZ;
}

void ECamera::SetFarZ(float distance) {
    m_fFarZ = distance;
    SetupProjection();
}

void ECamera::GetFarZ(float& distance) const { distance = m_fFarZ; }

void ECamera::SetPosition(const DV& position) {
    m_vPosition = position;
    UpdateViewMatrix();
}

void ECamera::SetOrientation(const EOrientation& orientation) {
    m_Orientation = orientation;
    m_vDirection = orientation.m_Front;
    m_vSide = orientation.m_Side;
    m_vUp = orientation.m_Up;
    UpdateViewMatrix();
}

// The renderer's passes read the camera from its draw record.
void ECamera::UpdateViewMatrix() {
    m_View = pmath::LookAtLH(m_vPosition, m_vPosition + m_vDirection, m_vUp);
    g_DrawCamera.view = m_View;
    g_DrawCamera.position = m_vPosition;
}

void ECamera::MoveToObject(const char* objectName, float time) {
    m_bMoveActive = 0;
    m_bLookFromActive = 0;
    EObjectSlot* target = objectName ? g_Engine.FindObject(objectName, false) : nullptr;
    if (!target || !target->m_bUsed || time <= 0) return;
    m_fMoveElapsed = 0;
    m_fMoveDuration = time;
    m_vMoveStart = m_vPosition;
    m_MoveStartOrientation = m_Orientation;
    m_pMoveTarget = target;
    m_bMoveActive = 1;
}

void ECamera::UpdateMoveToObject() {
    if (!m_bMoveActive) return;
    if (!m_pMoveTarget || !m_pMoveTarget->m_bUsed) {
        m_bMoveActive = 0;
        return;
    }
    m_fMoveElapsed += m_fFrameTime;
    if (m_fMoveElapsed >= m_fMoveDuration) {
        m_fMoveElapsed = m_fMoveDuration;
        m_bMoveActive = 0;
    }
    DV d = m_pMoveTarget->m_vPosition - m_vMoveStart;
    float length = pmath::Length(d);
    if (length == 0) length = 1;
    float t = m_fMoveElapsed / m_fMoveDuration;
    EOrientation orientation = m_MoveStartOrientation;
    orientation.Slerp(&m_pMoveTarget->m_Orientation, t);
    SetPosition(m_vMoveStart + d * (1.0f / length) * (t * length));
    SetOrientation(orientation);
}

void ECamera::LookFromObject(const char* objectName, const char* socketName, float time) {
    m_bMoveActive = 0;
    m_bLookFromActive = 0;
    EObjectSlot* object = objectName ? g_Engine.FindObject(objectName, false) : nullptr;
    if (!object) {
        g_Console.PrintStr2("No object to look from: ", objectName ? objectName : "");
        return;
    }
    if (!object->m_bUsed) {
        g_Console.PrintStr2(objectName, " not used!");
        return;
    }
    DV position;
    EOrientation orientation;
    if (!socketName || !g_Engine.GetObjectSocket(object, socketName, &position, &orientation)) {
        g_Console.PrintStr2("Socket to look from read failed: ", socketName ? socketName : "");
        return;
    }
    if (time <= 0) return;
    m_bLookFromActive = 1;
    m_pLookFromObject = object;
    std::snprintf(m_szLookFromSocket, sizeof m_szLookFromSocket, "%s", socketName);
    m_fLookFromTime = time;
}

void ECamera::UpdateLookFrom() {
    if (!m_bLookFromActive) return;
    if (!m_pLookFromObject) {
        m_bLookFromActive = 0;
        return;
    }
    m_fLookFromTime -= m_fFrameTime;
    if (m_fLookFromTime < 0) {
        m_fLookFromTime = 0;
        m_bLookFromActive = 0;
    }
    DV position;
    EOrientation orientation;
    if (!g_Engine.GetObjectSocket(m_pLookFromObject, m_szLookFromSocket, &position, &orientation)) {
        g_Console.PrintStr2("No socket ", m_szLookFromSocket);
        m_bLookFromActive = 0;
        return;
    }
    SetPosition(position);
    SetOrientation(orientation);
}

void ECamera::UpdateSoundListener() {
    m_fListenerTimer -= m_fFrameTime;
    if (m_fListenerTimer > 0) return;
    m_fListenerTimer = kListenerPeriod;
    g_SoundMgr.SetListenerPosition(m_vPosition);
    g_SoundMgr.SetListenerOrientation(m_vDirection, m_vListenerUp);
    g_SoundMgr.CommitListener();
}

// A world's objects go with it: a flight or a view from one of them ends.
void ECamera::OnStartWorld() {}
void ECamera::OnEndWorld() {
    m_bMoveActive = 0;
    m_bLookFromActive = 0;
    m_pMoveTarget = nullptr;
    m_pLookFromObject = nullptr;
}
void ECamera::StopConstantShakeFrom(const EObjectSlot*) {}
