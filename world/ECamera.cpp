#include "world/ECamera.h"

#include <algorithm>
#include <cmath>

#include <numbers>

#include "core/ESettings.h"
#include "render/D3DDevice.h"
#include "render/DrawRecord.h"

ECamera g_Camera;

namespace {

constexpr float kMinGamma = 0.5f;
constexpr float kMaxGamma = 3.0f;
constexpr float kDefaultFarZ = 1000.0f;
constexpr float kNearZ = 0.1f;

void FillChannel(uint16_t (&channel)[256], float gamma) {
    double exponent = 1.0 / std::max(gamma, 0.01f);
    for (int i = 0; i < 256; ++i)
        channel[i] = static_cast<uint16_t>(std::min(65535.0, 65535.0 * std::pow(i / 255.0, exponent)));
}

}  // namespace

ECamera::ECamera()
    : m_fGamma(1.0f), m_fGammaR(1.0f), m_fGammaG(1.0f), m_fGammaB(1.0f), m_bOverride(0), m_fFarZ(kDefaultFarZ) {}

ECamera::~ECamera() = default;

void ECamera::SetGamma(float gamma) {
    gamma = std::clamp(gamma, kMinGamma, kMaxGamma);
    m_fGamma = m_fGammaR = m_fGammaG = m_fGammaB = gamma;
    ApplyGammaRamp();
}

void ECamera::SetGammaR(float gamma) {
    m_fGammaR = std::clamp(gamma, kMinGamma, kMaxGamma);
    ApplyGammaRamp();
}

void ECamera::SetGammaG(float gamma) {
    m_fGammaG = std::clamp(gamma, kMinGamma, kMaxGamma);
    ApplyGammaRamp();
}

void ECamera::SetGammaB(float gamma) {
    m_fGammaB = std::clamp(gamma, kMinGamma, kMaxGamma);
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

// The vertical field of view is the zoom (the FOV setting) times a quarter turn.
void ECamera::SetupProjection() {
    float fov = g_Settings.m_fFOV * std::numbers::pi_v<float> / 4;
    float aspect = g_Settings.m_iScreenHeight > 0
                       ? static_cast<float>(g_Settings.m_iScreenWidth) / static_cast<float>(g_Settings.m_iScreenHeight)
                       : 1.0f;
    m_Projection = pmath::PerspectiveFovLH(fov, aspect, kNearZ, m_fFarZ);
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

// The camera keeps nothing of a world yet, and no object shakes it.
void ECamera::OnStartWorld() {}
void ECamera::OnEndWorld() {}
void ECamera::StopConstantShakeFrom(const EObjectSlot*) {}
